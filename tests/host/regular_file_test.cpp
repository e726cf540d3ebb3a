// Replacing and reading files as a careless user, a full disk and a hostile folder
// would have it.
#include "regular_file.h"
#include "host_image.h"
#include "scene_file.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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

// --- Signals, limits, permissions -------------------------------------------------------

// Runs `body` in a child process and returns its wait status.
template <class Body>
int InChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// Under a size limit, with SIGXFSZ left as it is (ending the program), a save too
// large fails with the system's reason and leaves nothing behind.
TEST_F(RegularFile, ASizeLimitFailsTheSaveWithoutEndingTheProgram) {
    const fs::path file = Path("scene.lsc");
    Put(file, "previous");
    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool ok = Replace(file, std::string(100000, 'x'), &error);
        const bool reason = error.find(Quoted(file) + ": File too large") != std::string::npos;
        return !ok && reason ? 0 : 1;
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status)) : "");
    EXPECT_EQ(Get(file), "previous");
    EXPECT_EQ(Entries(), std::set<std::string>{"scene.lsc"});
}

// Waits for a name to appear in the folder watched by `watch` (an inotify descriptor).
bool NameAppears(int watch) {
    pollfd p{watch, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) return false;
    alignas(inotify_event) char buf[4096];
    return ::read(watch, buf, sizeof buf) > 0;
}

// A signal that ends the program in the middle of a save: SIGINT, SIGTERM and SIGHUP
// remove the temporary file and then end it as they would have; SIGKILL, which
// nothing catches, leaves it, and the next save of the file removes it. Either way
// the previous file is whole and nothing else is left.
TEST_F(RegularFile, ASaveEndedBySignalLeavesThePreviousFileAndNothingElse) {
    const fs::path file = Path("scene.lsc");
    const std::string content(64 << 20, 'n');
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        Put(file, "previous");
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, dir_.c_str(), IN_CREATE), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveSaveFilesOnSignals();
            std::string error;
            Replace(file, content, &error);
            ::_exit(0);
        }
        ASSERT_TRUE(NameAppears(watch)) << "the save made no file";
        ::kill(child, sig);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(watch);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig << " " << status;
        EXPECT_EQ(Get(file), "previous") << sig;
        if (sig == SIGKILL) {
            EXPECT_EQ(Entries().size(), 2u) << "SIGKILL left no temporary file";
            std::string error;
            ASSERT_TRUE(Replace(file, "next", &error)) << error;
            EXPECT_EQ(Get(file), "next");
        }
        EXPECT_EQ(Entries(), std::set<std::string>{"scene.lsc"}) << sig;
    }
}

// A save removes only what earlier saves of the same file left: files of its
// temporary names whose maker is gone (or that nobody touched for an hour) and that
// nobody holds locked. A save that runs holds its file locked; links, other names,
// other targets' files and other users' files stay.
TEST_F(RegularFile, ASaveRemovesOnlyTheFilesKilledSavesOfItsFileLeft) {
    Put(Path("t.lsc"), "old");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone), alive = std::to_string(::getppid());
    const std::string prefix = ".t.lsc.saving-";
    enum Kind { kPlain, kLocked, kOld, kLink, kOtherUser };
    const struct {
        std::string name;
        Kind kind;
        bool removed;
    } cases[] = {
        {prefix + dead + "-AbCdEfGhIj", kPlain, true},       // its maker was killed
        {prefix + alive + "-AbCdEfGhIj", kOld, true},        // untouched for two hours
        {prefix + alive + "-KlMnOpQrSt", kPlain, false},     // its maker may still save
        {prefix + dead + "-KlMnOpQrSt", kLocked, false},     // a save holds it
        {prefix + dead + "-UvWxYz0123", kLink, false},       // not a file
        {prefix + dead + "-456789ABCD", kOtherUser, false},  // not this user's
        {prefix + dead + "-AbCdEfGhI", kPlain, false},       // not a name a save makes
        {prefix + dead + "-AbCdEfGhIjK", kPlain, false},
        {prefix + "0" + dead + "-AbCdEfGhIj", kPlain, false},
        {".u.lsc.saving-" + dead + "-AbCdEfGhIj", kPlain, false},  // another file's
        {".t.lsc.saving", kPlain, false},
        {"t.lsc.saving-" + dead + "-AbCdEfGhIj", kPlain, false},
    };
    std::vector<int> locks;
    for (const auto& c : cases) {
        const fs::path p = Path(c.name);
        if (c.kind == kLink) {
            fs::create_symlink("t.lsc", p);
            continue;
        }
        Put(p, "abandoned");
        if (c.kind == kLocked) {
            locks.push_back(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
        if (c.kind == kOld) {
            const timespec times[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
        }
        if (c.kind == kOtherUser) {
            if (::geteuid() != 0) continue;
            ASSERT_EQ(::chown(p.c_str(), 4321, 4321), 0);
        }
    }
    std::string error;
    ASSERT_TRUE(Replace(Path("t.lsc"), "new", &error)) << error;
    const std::set<std::string> left = Entries();
    for (const auto& c : cases) {
        if (c.kind == kOtherUser && ::geteuid() != 0) continue;
        EXPECT_EQ(left.count(c.name) == 0, c.removed) << c.name;
    }
    for (int fd : locks) ::close(fd);
    EXPECT_EQ(Get(Path("t.lsc")), "new");
}

// An access control list as the system stores it (system.posix_acl_access).
std::string AclAttribute(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
    std::string value;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) value += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(2, 4);  // version
    for (const auto& e : entries) {
        put(e[0], 2);  // tag
        put(e[1], 2);  // permissions
        put(e[2], 4);  // user or group id
    }
    return value;
}
enum AclTag : std::uint32_t { kUserObj = 1, kUser = 2, kGroupObj = 4, kMask = 0x10, kOther = 0x20 };
constexpr std::uint32_t kNoId = 0xFFFFFFFF;

std::string Attribute(const fs::path& p, const char* name) {
    char buf[1024];
    const ssize_t n = ::getxattr(p.c_str(), name, buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

// The named entries of an access control list and other extended attributes come with
// the file: the group bits (the list's mask) grant no more than before. A file whose
// previous version had no list does not take the one its folder gives new files.
TEST_F(RegularFile, AccessControlListsAndExtendedAttributesAreKept) {
    const fs::path file = Path("shared.lsc");
    Put(file, "old");
    ::chmod(file.c_str(), 0660);
    // The owner reads and writes, user 4321 too, the owning group only reads.
    const std::string acl = AclAttribute({{kUserObj, 6, kNoId},
                                          {kUser, 6, 4321},
                                          {kGroupObj, 4, kNoId},
                                          {kMask, 6, kNoId},
                                          {kOther, 0, kNoId}});
    if (::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "no access control lists here: " << std::strerror(errno);
    ASSERT_EQ(::setxattr(file.c_str(), "user.project", "lumra", 5, 0), 0) << std::strerror(errno);
    std::string error;
    ASSERT_TRUE(Replace(file, "new", &error)) << error;
    EXPECT_EQ(Get(file), "new");
    EXPECT_EQ(Attribute(file, "system.posix_acl_access"), acl);
    EXPECT_EQ(Attribute(file, "user.project"), "lumra");
    EXPECT_EQ(Mode(file), 0660u);

    // A folder whose default list lets user 4321 write new files.
    const std::string inherited = AclAttribute({{kUserObj, 7, kNoId},
                                                {kUser, 7, 4321},
                                                {kGroupObj, 5, kNoId},
                                                {kMask, 7, kNoId},
                                                {kOther, 5, kNoId}});
    fs::create_directories(Path("team"));
    const fs::path plain = Path("team/plain.lsc");
    Put(plain, "old");
    ::chmod(plain.c_str(), 0644);
    ASSERT_EQ(::setxattr(Path("team").c_str(), "system.posix_acl_default", inherited.data(),
                         inherited.size(), 0),
              0);
    ASSERT_TRUE(Replace(plain, "new", &error)) << error;
    EXPECT_EQ(Attribute(plain, "system.posix_acl_access"), "");
    EXPECT_EQ(Mode(plain), 0644u);
    // A new file gets what the folder gives.
    ASSERT_TRUE(Replace(Path("team/new.lsc"), "new", &error)) << error;
    EXPECT_NE(Attribute(Path("team/new.lsc"), "system.posix_acl_access"), "");
    EXPECT_EQ(Entries(), (std::set<std::string>{"shared.lsc", "team"}));
}

// What this process has read from files so far, as the system counts it.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return 0;
}

// Sparse files, and files whose first bytes are not what the reader expects, are
// refused without being read: loading reads next to nothing of them.
TEST_F(RegularFile, SparseFilesAndFilesOfAnotherKindAreRefusedBeforeTheyAreRead) {
    // A scene file's first bytes, then nothing but a hole.
    const fs::path holes = Path("holes.lsc");
    Put(holes, std::string("\x00\x20\x16\x00\x00\x00LUMRASCN\x01\x00\x00\x00\x00\x00\x00\x00", 22));
    fs::resize_file(holes, 64 << 20);
    const fs::path zeros = Path("zeros.lsc");  // sparse, and no scene
    Put(zeros, "");
    fs::resize_file(zeros, 64 << 20);
    const fs::path text = Path("notes.lsc");  // whole on the disk, but no scene
    Put(text, std::string(4 << 20, 't'));
    const fs::path picture = Path("holes.png");
    Put(picture, "\x89PNG\r\n\x1a\n");
    fs::resize_file(picture, 64 << 20);
    const struct {
        fs::path path;
        bool asPicture;
        const char* reason;
    } cases[] = {
        {holes, false, "claims 67108864 bytes but holds only "},
        {zeros, false, "claims 67108864 bytes but holds only 0 on the disk (a sparse file)"},
        {text, false, "not a scene file (no header chunk)"},
        {picture, true, "a sparse file"},
        {text, true, "not a picture: the file is none of"},
    };
    for (const auto& c : cases) {
        const std::uint64_t before = BytesRead();
        std::string error;
        if (c.asPicture) {
            HostImage image;
            EXPECT_FALSE(ReadHostImage(c.path.string(), image, error)) << c.path;
        } else {
            LoadedScene scene;
            EXPECT_FALSE(LoadSceneFile(c.path, SceneClassLookup(nullptr), &scene, &error))
                << c.path;
        }
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_LT(BytesRead() - before, 64u << 10) << c.path;
    }
}

// A file that may be written in a folder that may not, or in a sticky folder where
// only its owner may replace it: the folder is named as the reason, since the new
// content is made there and renamed over the file.
TEST_F(RegularFile, AFolderThatRefusesTheNewFileIsNamedAsTheReason) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const fs::path file = Path("open.lsc");
    const struct {
        mode_t folderMode;
        uid_t fileOwner;
        std::string reason;
    } cases[] = {
        {0755, 0,
         "no new file can be made in its folder " + Quoted(dir_) +
             " (Permission denied); a save writes the new content beside the file"},
        {01777, 4321,
         "its folder " + Quoted(dir_) +
             " is sticky: only the file's owner (uid 4321) or the folder's may replace it"},
    };
    for (const auto& c : cases) {
        Put(file, "old");
        ASSERT_EQ(::chown(file.c_str(), c.fileOwner, c.fileOwner), 0);
        ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(dir_.c_str(), c.folderMode), 0);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const int status = InChild([&] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 2;
            std::string error;
            const bool ok = Replace(file, "new", &error);
            (void)!::write(pipeFds[1], error.data(), error.size());
            return ok ? 1 : 0;
        });
        ::close(pipeFds[1]);
        char buf[1024];
        const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        ::close(pipeFds[0]);
        const std::string error(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(Get(file), "old");
        EXPECT_EQ(Entries(), std::set<std::string>{"open.lsc"});
    }
    ::chmod(dir_.c_str(), 0755);
}

// A disk that fills up while the new content is written (a small memory file system
// here): the previous file stays, with no temporary file beside it.
TEST_F(RegularFile, AFullDiskFailsTheSaveAndKeepsThePreviousFile) {
    const fs::path small = Path("small");
    fs::create_directories(small);
    if (::mount("lumra-test", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(errno);
    const fs::path file = small / "scene.lsc";
    Put(file, "previous");
    std::string error;
    const bool saved = Replace(file, std::string(1 << 20, 'x'), &error);
    const std::string content = Get(file);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(small)) left.push_back(e.path().filename());
    ::umount2(small.c_str(), MNT_DETACH);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(Quoted(file) + ": No space left on device"), std::string::npos) << error;
    EXPECT_EQ(content, "previous");
    EXPECT_EQ(left, std::vector<std::string>{"scene.lsc"});
}

// A link in a sticky folder that anyone may write is followed only when it belongs to
// this user or to the folder's owner, as the system's protected links rule has it.
TEST_F(RegularFile, LinksOfOtherUsersInStickySharedFoldersAreNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give links to other users";
    const fs::path victim = Path("victim");
    const fs::path shared = Path("shared");
    const fs::path link = shared / "scene.lsc";
    const struct {
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        bool followed;
    } cases[] = {
        {01777, 0, 4321, false},    // planted in a /tmp-like folder by another user
        {01777, 4321, 4321, true},  // the folder's owner's own link
        {01777, 4321, 0, true},     // this user's own link
        {00777, 0, 4321, true},     // not sticky
        {01775, 0, 4321, true},     // not writable by all
    };
    for (const auto& c : cases) {
        Put(victim, "precious");
        fs::create_directories(shared);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
        fs::create_symlink(victim, link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        std::string error;
        EXPECT_EQ(Replace(link, "new", &error), c.followed) << error;
        EXPECT_EQ(Get(victim), c.followed ? "new" : "precious");
        EXPECT_TRUE(fs::is_symlink(link));
        if (!c.followed) {
            EXPECT_NE(error.find("belongs to another user (uid 4321): such a link may have been "
                                 "planted there, and is not followed"),
                      std::string::npos)
                << error;
        }
        fs::remove_all(shared);
    }
}

}  // namespace
