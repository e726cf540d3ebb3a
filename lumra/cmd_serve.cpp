// lumra serve: the material's panel and sample slot in a web browser, with the
// plug-in behind every click.
#include "commands.h"
#include "serve/editor_server.h"
#include "text.h"

#include <pthread.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

int Fail(const std::string& message) {
    PrintError(message);
    return 1;
}

// A folder of the session's own, for uploads: made private, removed at the end.
std::string MakeWorkFolder(std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lumra-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *error = "cannot make a folder for uploads in " + pattern.substr(0, pattern.size() - 13);
        return {};
    }
    return pattern;
}

}  // namespace

int RunServe(const HostOptions& hostOptions, const ServeOptions& options) {
    ServeConfig config;
    config.host = hostOptions;
    config.bind = options.bind;
    config.port = options.port;
    config.maxUpload = options.maxUploadMiB << 20;
    config.editor.scene = options.scene;
    config.editor.material = options.material;
    config.editor.saveFile =
        options.save.empty() && options.scene.empty() ? "material.lsc" : options.save;
    config.editor.size = options.size;
    config.editor.threads = options.threads;
    config.editor.timing = options.timing;
    if (std::string why; !ParseBackground(options.background, &config.editor.background, &why))
        return Fail(why);

    // Ctrl-C and a request to terminate are taken by one thread that waits for them;
    // every other thread (made from here on) leaves them blocked.
    // A shell starts a background job with Ctrl-C ignored; the server still stops on it
    // (an ignored signal would never reach sigwait). A hang-up stays ignored under nohup.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string error;
    config.editor.workFolder = MakeWorkFolder(&error);
    if (config.editor.workFolder.empty()) return Fail(error);
    auto removeFolder = [&] {
        std::error_code ec;
        std::filesystem::remove_all(config.editor.workFolder, ec);
    };
    int status = 0;
    {
        EditorServer server(config);
        if (!server.Start(&error)) {
            server.Stop();
            removeFolder();
            return Fail(error);
        }
        std::printf("lumra serve: open %s\n", server.Guard().Address().c_str());
        std::printf("Save writes %s; Ctrl-C stops the server.\n",
                    EscapeControls(config.editor.saveFile).c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::fprintf(stderr, "lumra serve: stopping\n");
        server.Stop();
    }
    removeFolder();
    std::fprintf(stderr, "lumra serve: stopped; the uploads are removed\n");
    return status;
}
