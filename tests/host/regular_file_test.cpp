// Replacing and reading files as a careless user, a full disk and a hostile folder
// would have it.
#include "regular_file.h"
#include "scene_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A file's name as messages quote it.
std::string Quoted(const fs::path& p) {
    std::string q(1, '\'');
    q += p.string();
    q += '\'';
    return q;
}

class RegularFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lumra_regular_file_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Path(const std::string& name) const { return dir_ / name; }
    static void Put(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
    static std::string Get(const fs::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static bool Replace(const fs::path& p, const std::string& text, std::string* error) {
        return ReplaceRegularFile(p.string(), text.data(), text.size(), *error);
    }
    // The names in the folder, so that a temporary file left behind shows.
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
        return names;
    }
    static mode_t Mode(const fs::path& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_mode & 07777;
    }
    fs::path dir_;
};

TEST_F(RegularFile, LinksAreFollowedToTheFileTheyNameAndStayLinks) {
    fs::create_directories(Path("sub"));
    Put(Path("real.lsc"), "old");
    ::chmod(Path("real.lsc").c_str(), 0600);
    // A chain: an absolute link to a relative one in another folder.
    fs::create_symlink("../real.lsc", Path("sub/link"));
    fs::create_symlink(Path("sub/link"), Path("chain"));
    std::string error;
    ASSERT_TRUE(Replace(Path("chain"), "new", &error)) << error;
    EXPECT_EQ(Get(Path("real.lsc")), "new");
    EXPECT_TRUE(fs::is_symlink(Path("chain")));
    EXPECT_TRUE(fs::is_symlink(Path("sub/link")));
    EXPECT_EQ(Mode(Path("real.lsc")), 0600u);
    EXPECT_EQ(Entries(), (std::set<std::string>{"chain", "real.lsc", "sub"}));

    // A link to a file that does not exist yet makes that file; a new file gets
    // what the umask leaves.
    fs::create_symlink("sub/made.lsc", Path("dangling"));
    const mode_t mask = ::umask(027);
    const bool made = Replace(Path("dangling"), "made", &error);
    ::umask(mask);
    ASSERT_TRUE(made) << error;
    EXPECT_TRUE(fs::is_symlink(Path("dangling")));
    EXPECT_EQ(Get(Path("sub/made.lsc")), "made");
    EXPECT_EQ(Mode(Path("sub/made.lsc")), 0640u);

    fs::create_symlink("loop", Path("loop"));
    EXPECT_FALSE(Replace(Path("loop"), "x", &error));
    EXPECT_NE(error.find("Too many levels of symbolic links"), std::string::npos) << error;
}

TEST_F(RegularFile, LinksPlantedAtLikelyTemporaryNamesAreNeverFollowed) {
    const fs::path victim = Path("victim");
    Put(victim, "precious");
    Put(Path("t.lsc"), "old");
    const std::set<std::string> planted = {"t.lsc.saving", ".t.lsc.saving", "t.lsc.tmp", "t.lsc~",
                                           ".t.lsc.swp"};
    for (const std::string& name : planted) fs::create_symlink(victim, Path(name));
    std::string error;
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(Replace(Path("t.lsc"), "new", &error)) << error;
    EXPECT_EQ(Get(victim), "precious");
    EXPECT_EQ(Get(Path("t.lsc")), "new");
    std::set<std::string> expected = planted;
    expected.insert({"victim", "t.lsc"});
    EXPECT_EQ(Entries(), expected);
}

TEST_F(RegularFile, OwnerAndModeOfThePreviousFileAreKept) {
    const fs::path file = Path("private.lsc");
    Put(file, "old");
    ::chmod(file.c_str(), 0620);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    }
    std::string error;
    ASSERT_TRUE(Replace(file, "new", &error)) << error;
    EXPECT_EQ(Mode(file), 0620u);
    if (root) {
        struct stat st {};
        ::stat(file.c_str(), &st);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
}

TEST_F(RegularFile, WhatIsNotAWritableRegularFileIsRefusedBeforeAnythingIsWritten) {
    Put(Path("readonly.lsc"), "kept");
    ::chmod(Path("readonly.lsc").c_str(), 0444);
    fs::create_directories(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/full", Path("full"));
    const std::set<std::string> before = Entries();
    const struct {
        fs::path path;
        const char* reason;
    } cases[] = {
        {Path("readonly.lsc"), "read-only"},
        {Path("folder"), "a folder, not a regular file"},
        {Path("fifo"), "a fifo, not a regular file"},
        {Path("full"), "the file '/dev/full'): it is a device, not a regular file"},
        {"/dev/null", "a device, not a regular file"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Replace(c.path, "new", &error)) << c.path;
        EXPECT_NE(error.find(Quoted(c.path)), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_EQ(Get(Path("readonly.lsc")), "kept");
    EXPECT_EQ(Entries(), before);

    std::string error;
    EXPECT_FALSE(Replace(Path("missing/x.lsc"), "new", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

// A write that the system refuses (here: over the size this process may write, as
// on a full disk) leaves the previous file and no temporary file, and says why.
TEST_F(RegularFile, FailedWriteKeepsThePreviousFileAndGivesTheSystemsReason) {
    const fs::path file = Path("scene.lsc");
    Put(file, "previous");
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool ok = Replace(file, std::string(100000, 'x'), &error);
        (void)!::write(pipeFds[1], error.data(), error.size());
        ::_exit(ok ? 1 : 0);
    }
    ::close(pipeFds[1]);
    std::string error;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        error.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not fail";
    EXPECT_NE(error.find(Quoted(file) + ": File too large"), std::string::npos) << error;
    EXPECT_EQ(Get(file), "previous");
    EXPECT_EQ(Entries(), std::set<std::string>{"scene.lsc"});
}

TEST_F(RegularFile, LoadingRefusesWhatIsNotARegularFileWithoutReadingIt) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    // Over the cap, and sparse: refusing it must not read it.
    const fs::path huge = Path("huge.lsc");
    Put(huge, "");
    fs::resize_file(huge, kMaxSceneFileBytes + 1);
    const struct {
        fs::path path;
        const char* reason;
    } cases[] = {
        {dir_, "a folder, not a regular file"},
        {Path("fifo"), "a fifo, not a regular file"},  // without waiting for a writer
        {"/dev/zero", "a device, not a regular file"},
        {huge, "4294967297 bytes long, more than the 4294967296 allowed"},
        {Path("missing.lsc"), "No such file or directory"},
    };
    ::alarm(30);  // a hang fails the test instead of blocking the run
    for (const auto& c : cases) {
        LoadedScene scene;
        std::string error;
        EXPECT_FALSE(LoadSceneFile(c.path, SceneClassLookup(nullptr), &scene, &error)) << c.path;
        EXPECT_NE(error.find(Quoted(c.path)), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    ::alarm(0);
}

}  // namespace
