// lumra serve's HTTP side: the editor's page and its requests, each checked for the
// session's token and this server's own address, the host's work posted to the host
// thread, the preview pushed to the pages as server-sent events.
#pragma once

#include "access_guard.h"
#include "editor_session.h"
#include "event_hub.h"
#include "host_thread.h"

#include "lumra/plugin_host.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

struct ServeConfig {
    HostOptions host;
    EditorOptions editor;
    std::string bind = "127.0.0.1";
    int port = 0;                                    // 0: any free port
    std::size_t maxUpload = std::size_t(64) << 20;   // an uploaded picture or scene
    std::size_t maxRequest = std::size_t(64) << 10;  // any other request's body
};

class EditorServer {
public:
    explicit EditorServer(ServeConfig config);
    ~EditorServer();
    EditorServer(const EditorServer&) = delete;
    EditorServer& operator=(const EditorServer&) = delete;

    // Loads the plug-ins, opens the material, listens; false with the reason.
    bool Start(std::string* error);
    // Stops listening, ends the pages' streams, stops the preview and closes the
    // panel; the plug-ins are released on the host thread.
    void Stop();

    int Port() const { return port_; }
    const AccessGuard& Guard() const { return *guard_; }

    // Runs f(session) on the host thread (for tests and tools).
    template <typename F>
    auto OnHost(F f) {
        return host_.Call([&] { return f(*session_); });
    }

private:
    void Routes();
    void Preview(const PreviewFrame& frame);

    ServeConfig config_;
    HostThread host_;
    std::unique_ptr<PluginHost> plugins_;  // used on the host thread only
    std::unique_ptr<EditorSession> session_;
    std::unique_ptr<AccessGuard> guard_;
    std::unique_ptr<httplib::Server> http_;
    EventHub hub_{8};
    std::thread listener_;
    int port_ = 0;
    std::mutex previewMutex_;
    std::string lastPreview_;  // the newest picture's event data, for pages that open later
    bool stopped_ = false;
};
