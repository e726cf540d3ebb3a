#include "regular_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool SystemFailure(std::string& error) {
    error = std::strerror(errno);
    return false;
}

// Links followed before a chain is taken for a loop, as the system's own limit.
constexpr int kMaxLinkHops = 40;
// The longest name a folder entry can have on the usual file systems.
constexpr std::size_t kMaxNameBytes = 255;
// Attempts at a free temporary name before giving up (each collision is a 1 in
// 62^10 chance unless someone plants names on purpose).
constexpr int kTempNameAttempts = 100;
constexpr int kTempRandomChars = 10;
// Room for the process id in a temporary name (Linux's largest is 4194304).
constexpr std::size_t kPidDigits = 10;
// A temporary file untouched for this long belongs to no save that still runs, even
// one of another machine whose process this one cannot see.
constexpr std::time_t kAbandonedAfterSeconds = 3600;
constexpr char kTempMark[] = ".saving-";
constexpr char kNameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string Quoted(const fs::path& p) {
    std::string q(1, '\'');
    q += p.string();
    q += '\'';
    return q;
}

std::string SystemReason(int err) { return std::strerror(err); }

// What a file that is not a regular file is, for a message.
const char* FileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a fifo";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// --- Saves in flight, for signal handlers ------------------------------------------

// A fixed table that a signal handler may read: no allocation, no lock. A slot is
// filled by the save that owns it and armed; the handler claims an armed slot
// before it removes the file, so that a slot being refilled is never read half
// written. A save that finds no free slot runs unlisted (the next save of its file
// removes what a signal leaves of it).
enum SlotState : int { kFree, kFilling, kArmed, kClaimed, kRemoved };
struct SaveInFlight {
    std::atomic<int> state{kFree};
    pid_t process = 0;  // a child forked during the save inherits the slot, not the save
    int folder = -1;
    char name[kMaxNameBytes + 1] = {};
};
constexpr int kMaxSavesInFlight = 64;
SaveInFlight g_inFlight[kMaxSavesInFlight];
static_assert(std::atomic<int>::is_always_lock_free, "the handler's table needs lock-free atomics");

int ListSaveInFlight(int folder, const std::string& name) {
    for (int i = 0; i < kMaxSavesInFlight; ++i) {
        int expected = kFree;
        if (!g_inFlight[i].state.compare_exchange_strong(expected, kFilling)) continue;
        g_inFlight[i].process = ::getpid();
        g_inFlight[i].folder = folder;
        std::snprintf(g_inFlight[i].name, sizeof g_inFlight[i].name, "%s", name.c_str());
        g_inFlight[i].state.store(kArmed);
        return i;
    }
    return -1;
}

void UnlistSaveInFlight(int slot) {
    if (slot < 0) return;
    std::atomic<int>& state = g_inFlight[slot].state;
    for (;;) {
        int seen = state.load();
        // A handler that claimed the slot (on another thread) is removing the file:
        // the slot is free again once it has.
        if (seen == kClaimed) {
            ::sched_yield();
            continue;
        }
        if (state.compare_exchange_strong(seen, kFree)) return;
    }
}

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveSaveFilesAndEnd(int sig) {
    const int savedErrno = errno;
    RemoveFilesOfSavesInFlight();
    errno = savedErrno;
    // The handler was installed to run once: the signal's default action is back,
    // and the signal, raised again, takes it as soon as the handler returns.
    ::raise(sig);
}

// Holds SIGINT, SIGTERM and SIGHUP back from this thread while a temporary file is
// created and listed, so that none is left between the two.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : kEndingSignals) sigaddset(&set, sig);
        held_ = ::pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0;
    }
    ~EndingSignalsHeld() {
        if (held_) ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_;
    bool held_ = false;
};

// --- Finding the file a save replaces ------------------------------------------------

// The content of a symbolic link.
bool ReadLink(const fs::path& link, fs::path* target, int* err) {
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size());
        if (n < 0) {
            *err = errno;
            return false;
        }
        if (static_cast<std::size_t>(n) < buf.size()) {
            buf.resize(static_cast<std::size_t>(n));
            *target = buf;
            return true;
        }
        buf.resize(buf.size() * 2);
    }
}

fs::path FolderOf(const fs::path& p) {
    return p.has_parent_path() ? p.parent_path() : fs::path(".");
}

// A folder as a message names it: "." is not much help to the user.
std::string FolderName(const fs::path& folder) {
    if (folder != ".") return Quoted(folder);
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    return ec ? Quoted(folder) : Quoted(here);
}

// The system's protected links rule: in a sticky folder that anyone may write (such
// as /tmp), another user may plant a link where a file is expected; such a link is
// followed only when it belongs to this user or to the folder's owner.
bool MayFollow(const fs::path& link, const struct stat& linkStatus, std::string* why) {
    if (linkStatus.st_uid == ::geteuid()) return true;
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) return true;  // the walk reports it
    if ((folder.st_mode & S_ISVTX) == 0 || (folder.st_mode & S_IWOTH) == 0) return true;
    if (folder.st_uid == linkStatus.st_uid) return true;
    *why = "the link " + Quoted(link) + " is in " + FolderName(FolderOf(link)) +
           ", a sticky folder that anyone may write, and belongs to another user (uid " +
           std::to_string(linkStatus.st_uid) +
           "): such a link may have been planted there, and is not followed";
    return false;
}

// Where a save to `path` must go: the file at the end of its chain of links (which
// need not exist). `exists` says whether it does, with its status in `st`.
bool ResolveTarget(const fs::path& path, fs::path* target, bool* exists, struct stat* st,
                   std::string& error) {
    fs::path current = path;
    for (int hops = 0;; ++hops) {
        if (::lstat(current.c_str(), st) != 0) {
            if (errno != ENOENT)
                return Fail(error, "cannot write " + Quoted(path) + ": " + SystemReason(errno));
            *exists = false;
            break;
        }
        if (!S_ISLNK(st->st_mode)) {
            *exists = true;
            break;
        }
        if (hops == kMaxLinkHops)
            return Fail(error, "cannot write " + Quoted(path) + ": " + SystemReason(ELOOP));
        std::string why;
        if (!MayFollow(current, *st, &why))
            return Fail(error, "cannot write " + Quoted(path) + ": " + why);
        fs::path next;
        int err = 0;
        if (!ReadLink(current, &next, &err))
            return Fail(error, "cannot write " + Quoted(path) + ": " + SystemReason(err));
        // A relative link is relative to the folder that holds it. The folder's name
        // is kept as given (not normalised), so that ".." after a linked folder goes
        // where the system would take it.
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    *target = current;
    return true;
}

// --- Temporary files -------------------------------------------------------------------

// What every temporary name of a save of `base` starts with: the target's name,
// hidden, cut (between characters) so that the whole name fits any folder.
std::string TempPrefix(const std::string& base) {
    const std::size_t mark = sizeof kTempMark - 1;
    const std::size_t room = kMaxNameBytes - 1 - mark - kPidDigits - 1 - kTempRandomChars;
    std::size_t keep = base.size();
    if (keep > room) {
        keep = room;
        while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    }
    std::string prefix(1, '.');
    prefix.append(base, 0, keep);
    prefix += kTempMark;
    return prefix;
}

// A name for a temporary file: the prefix, this process's id (so that a later save
// can tell whether the save that made it may still run), and random characters.
std::string TempName(const std::string& base) {
    unsigned char random[kTempRandomChars];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        // No entropy yet (early boot): unpredictable enough for a name that is created
        // exclusively anyway.
        std::uint64_t x = static_cast<std::uint64_t>(
                              std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<std::uint64_t>(::getpid()) << 32);
        for (unsigned char& r : random) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            r = static_cast<unsigned char>(x);
        }
    }
    std::string name = TempPrefix(base) + std::to_string(::getpid()) + '-';
    for (unsigned char r : random) name += kNameChars[r % (sizeof kNameChars - 1)];
    return name;
}

// The process id in a name that TempName could have made for `prefix`, or 0 when the
// name is not one.
pid_t MakerOfTempName(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    std::size_t i = prefix.size();
    std::uint64_t pid = 0;
    const std::size_t digits = i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && i - digits < kPidDigits)
        pid = pid * 10 + static_cast<unsigned>(name[i++] - '0');
    if (i == digits || name[digits] == '0' || pid > INT32_MAX) return 0;
    if (i >= name.size() || name[i++] != '-' || name.size() - i != kTempRandomChars) return 0;
    for (; i < name.size(); ++i) {
        if (!std::strchr(kNameChars, name[i]) || name[i] == '\0') return 0;
    }
    return static_cast<pid_t>(pid);
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size, int* err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        if (n == 0) {
            *err = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The temporary file of one replace, in the folder open as `folder`: locked while it
// exists, listed for the signal handlers, and removed unless it was renamed over the
// target.
class TempFile {
public:
    explicit TempFile(int folder) : folder_(folder) {}
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
        UnlistSaveInFlight(slot_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates it, never through a link nor over an existing name.
    bool Create(const std::string& base, mode_t mode, int* err) {
        EndingSignalsHeld held;
        // Made without a name and locked first where the file system allows: a later
        // save that looks for abandoned files then never finds this one unlocked.
        const int unnamed = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (unnamed >= 0) {
            Descriptor fd(unnamed);
            ::flock(fd.get(), LOCK_EX);
            char self[64];
            std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd.get());
            for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
                const std::string name = TempName(base);
                if (::linkat(AT_FDCWD, self, folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    return Adopt(fd.Release(), name);
                if (errno != EEXIST) break;
            }
            // Without /proc the file cannot be given a name: made with one instead.
        } else if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOSPC ||
                   errno == EDQUOT) {
            *err = errno;
            return false;
        }
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            const std::string name = TempName(base);
            const int fd = ::openat(folder_, name.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                ::flock(fd, LOCK_EX);
                return Adopt(fd, name);
            }
            if (errno != EEXIST && errno != EINTR) break;
        }
        *err = errno;
        return false;
    }
    // The file now has the target's name: nothing to remove.
    void Renamed() {
        name_.clear();
        UnlistSaveInFlight(slot_);
        slot_ = -1;
    }
    // Closes the file (which lets go of its lock).
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int Fd() const { return fd_; }
    const std::string& Name() const { return name_; }

private:
    bool Adopt(int fd, const std::string& name) {
        fd_ = fd;
        name_ = name;
        slot_ = ListSaveInFlight(folder_, name);
        return true;
    }

    int folder_;
    int fd_ = -1;
    std::string name_;
    int slot_ = -1;
};

// Removes what earlier saves of `base` left in the folder when they were killed
// (SIGKILL, a power cut): files of the temporary names, regular, of this user, whose
// maker is gone or that nobody touched for an hour, and that nobody holds locked (a
// save that runs holds its file locked). A file of another name, a link, a file of
// another user or one another save holds is never touched. Best effort: what cannot
// be examined stays.
void RemoveAbandonedTempFiles(int folder, const std::string& base) {
    const std::string prefix = TempPrefix(base);
    std::vector<std::string> names;
    {
        const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (listing < 0) return;
        DIR* dir = ::fdopendir(listing);
        if (!dir) {
            ::close(listing);
            return;
        }
        while (const dirent* entry = ::readdir(dir)) {
            if (MakerOfTempName(entry->d_name, prefix) > 0) names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    for (const std::string& name : names) {
        const pid_t maker = MakerOfTempName(name, prefix);
        if (maker == ::getpid()) continue;  // another thread's save
        struct stat st {};
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1)
            continue;
        const bool makerGone = ::kill(maker, 0) != 0 && errno == ESRCH;
        const bool untouched = std::time(nullptr) - st.st_mtime > kAbandonedAfterSeconds;
        if (!makerGone && !untouched) continue;
        Descriptor fd(::openat(folder, name.c_str(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino)
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        ::unlinkat(folder, name.c_str(), 0);
    }
}

// --- Permissions ---------------------------------------------------------------------

// The names of a file's extended attributes (by path without following a link, or by
// descriptor). A file system without them has none.
bool AttributeNames(const fs::path* path, int fd, std::vector<std::string>* names, int* err) {
    names->clear();
    std::vector<char> buf(1024);
    for (;;) {
        const ssize_t n = path ? ::llistxattr(path->c_str(), buf.data(), buf.size())
                               : ::flistxattr(fd, buf.data(), buf.size());
        if (n >= 0) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(n);) {
                const std::string name(buf.data() + i);
                i += name.size() + 1;
                if (!name.empty()) names->push_back(name);
            }
            return true;
        }
        if (errno == ENOTSUP) return true;
        if (errno != ERANGE) break;
        buf.resize(buf.size() * 4);
    }
    *err = errno;
    return false;
}

bool AttributeValue(const fs::path* path, int fd, const std::string& name, std::vector<char>* value,
                    int* err) {
    value->resize(256);
    for (;;) {
        const ssize_t n =
            path ? ::lgetxattr(path->c_str(), name.c_str(), value->data(), value->size())
                 : ::fgetxattr(fd, name.c_str(), value->data(), value->size());
        if (n >= 0) {
            value->resize(static_cast<std::size_t>(n));
            return true;
        }
        if (errno != ERANGE || value->size() > (std::size_t(1) << 24)) break;
        value->resize(value->size() * 4);
    }
    *err = errno;
    return false;
}

// Hashes and signatures of the content that the kernel keeps: they describe the old
// content, not who may use the file.
bool DescribesContent(const std::string& name) {
    return name == "security.ima" || name == "security.evm";
}

// Gives the new file the previous file's extended attributes: its access control
// list (system.posix_acl_access), user attributes, security labels. An attribute the
// new file got from its folder (a default access control list) and the previous file
// did not have goes. Anything that cannot be kept fails the save: a file that lost
// the entries of its list, or kept one its owner had removed, would not have the
// previous file's permissions.
bool KeepAttributes(int fd, const fs::path& previous, std::string* why) {
    std::vector<std::string> names, current;
    int err = 0;
    if (!AttributeNames(&previous, -1, &names, &err) ||
        !AttributeNames(nullptr, fd, &current, &err))
        return *why = "cannot read its extended attributes: " + SystemReason(err), false;
    const std::set<std::string> kept(names.begin(), names.end());
    for (const std::string& name : current) {
        if (kept.count(name) || DescribesContent(name)) continue;
        if (::fremovexattr(fd, name.c_str()) != 0 && errno != ENODATA &&
            name.compare(0, 7, "system.") == 0)
            return *why = "cannot drop the extended attribute '" + name +
                          "' its folder gives new files: " + SystemReason(errno),
                   false;
    }
    std::vector<char> value, now;
    for (const std::string& name : names) {
        if (DescribesContent(name)) continue;
        if (!AttributeValue(&previous, -1, name, &value, &err)) {
            if (err == ENODATA) continue;  // removed meanwhile
            return *why = "cannot read its extended attribute '" + name + "': " + SystemReason(err),
                   false;
        }
        // One the new file already has alike (a security label its folder gave it) is
        // left as it is: setting it may need a privilege that keeping it does not.
        if (AttributeValue(nullptr, fd, name, &now, &err) && now == value) continue;
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            return *why =
                       "cannot keep its extended attribute '" + name + "': " + SystemReason(errno),
                   false;
    }
    return true;
}

// Gives the new file the previous file's owner, group, extended attributes and mode.
// Only the owner may change a file's owner: a process that may not keeps its own, and
// then the set-user and set-group bits, which would grant its rights instead, are
// dropped. The mode goes last: it sets the mask of an access control list, which the
// previous mode showed.
bool KeepPermissions(int fd, const fs::path& target, const struct stat& previous,
                     std::string* why) {
    if (::fchown(fd, previous.st_uid, previous.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), previous.st_gid);
    if (!KeepAttributes(fd, target, why)) return false;
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return *why = "cannot keep its permissions: " + SystemReason(errno), false;
    mode_t mode = previous.st_mode & 07777;
    if (now.st_uid != previous.st_uid) mode &= ~static_cast<mode_t>(S_ISUID);
    if (now.st_gid != previous.st_gid) mode &= ~static_cast<mode_t>(S_ISGID);
    if (::fchmod(fd, mode) != 0)
        return *why = "cannot keep its permissions: " + SystemReason(errno), false;
    return true;
}

// --- Reading -------------------------------------------------------------------------

// Reads up to `size` bytes; fewer when the file ends first.
bool ReadUpTo(int fd, unsigned char* data, std::size_t size, std::size_t* done) {
    *done = 0;
    while (*done < size) {
        const ssize_t n = ::read(fd, data + *done, size - *done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // it shrank while being read
        *done += static_cast<std::size_t>(n);
    }
    return true;
}

// True for a file that holds far fewer bytes on the disk than it claims, counted in
// its data regions (after its block count says it might). Moves the file's offset.
bool IsSparse(int fd, const struct stat& st, std::uint64_t* held) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const auto blocks = static_cast<std::uint64_t>(st.st_blocks) * 512;
    if (size <= kSparseAllowance || blocks * kMaxSparseRatio >= size) return false;
    std::uint64_t data = 0;
    off_t at = 0;
    while (static_cast<std::uint64_t>(at) < size) {
        const off_t start = ::lseek(fd, at, SEEK_DATA);
        if (start < 0) {
            if (errno == ENXIO) break;  // only a hole is left
            return false;               // cannot tell
        }
        const off_t end = ::lseek(fd, start, SEEK_HOLE);
        if (end < 0) return false;
        data += static_cast<std::uint64_t>(end - start);
        if (data * kMaxSparseRatio >= size) break;
        at = end;
    }
    *held = data;
    return data * kMaxSparseRatio < size;
}

}  // namespace

namespace {

// Opens a file that must be a regular file of at most `maxBytes` bytes, not sparse,
// whose first bytes (read into `head`, the file then standing after them) the
// signature accepts.
int OpenChecked(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size,
                std::vector<unsigned char>& head, std::string& error,
                const FileSignature* signature) {
    head.clear();
    // Not blocking: opening a fifo for reading would wait for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return SystemFailure(error), -1;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return SystemFailure(error), -1;
    if (!S_ISREG(st.st_mode))
        return error = std::string("it is ") + FileKind(st.st_mode) + ", not a regular file", -1;
    *size = static_cast<std::uint64_t>(st.st_size);
    if (*size > maxBytes)
        return error = "it is " + std::to_string(*size) + " bytes long, more than the " +
                       std::to_string(maxBytes) + " allowed",
               -1;
    std::uint64_t held = 0;
    const bool sparse = IsSparse(fd.get(), st, &held);
    if (::lseek(fd.get(), 0, SEEK_SET) != 0) return SystemFailure(error), -1;
    if (sparse)
        return error = "it claims " + std::to_string(*size) + " bytes but holds only " +
                       std::to_string(held) + " on the disk (a sparse file)",
               -1;
    if (signature && signature->check) {
        head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(*size, signature->bytes)));
        std::size_t done = 0;
        if (!ReadUpTo(fd.get(), head.data(), head.size(), &done))
            return head.clear(), SystemFailure(error), -1;
        head.resize(done);
        const std::string refused = signature->check(head.data(), done);
        if (!refused.empty()) return head.clear(), error = refused, -1;
    }
    return fd.Release();
}

}  // namespace

int OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size,
                    std::string& error, const FileSignature* signature) {
    std::vector<unsigned char> head;
    return OpenChecked(path, maxBytes, size, head, error, signature);
}

bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                     std::vector<unsigned char>& bytes, std::string& error,
                     const FileSignature* signature) {
    std::uint64_t size = 0;
    const Descriptor fd(OpenChecked(path, maxBytes, &size, bytes, error, signature));
    if (fd.get() < 0) return false;
    const std::size_t done = bytes.size();
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t rest = 0;
    if (!ReadUpTo(fd.get(), bytes.data() + done, bytes.size() - done, &rest))
        return bytes.clear(), SystemFailure(error);
    bytes.resize(done + rest);
    return true;
}

bool ReplaceRegularFile(const std::string& utf8Path, const void* data, std::size_t size,
                        std::string& error) {
    const fs::path path = utf8Path;
    fs::path target;
    bool exists = false;
    struct stat previous {};
    if (!ResolveTarget(path, &target, &exists, &previous, error)) return false;
    const std::string name =
        target == path ? Quoted(path) : Quoted(path) + " (the file " + Quoted(target) + ")";
    auto failed = [&](const std::string& why) {
        return Fail(error, "cannot write " + name + ": " + why);
    };

    if (exists) {
        if (!S_ISREG(previous.st_mode))
            return failed(std::string("it is ") + FileKind(previous.st_mode) +
                          ", not a regular file");
        // As an editor does, a file marked read-only is not replaced without the user
        // changing its permissions first, even by a process that could.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return failed("the file is read-only (" + SystemReason(errno) + ")");
        if ((previous.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return failed("the file is read-only");
    }
    const std::string base = target.filename().string();
    if (base.empty()) return failed("it names no file");
    // The file is written from its start, so the size limit is known to be crossed
    // before anything is written (the system would otherwise end the program).
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur)
        return failed(SystemReason(EFBIG));

    const fs::path folderPath = FolderOf(target);
    const Descriptor folder(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return failed("its folder " + FolderName(folderPath) +
                      " cannot be opened: " + SystemReason(errno));
    // First, what killed saves of this file left: on a full disk that is room.
    RemoveAbandonedTempFiles(folder.get(), base);
    TempFile temp(folder.get());
    int err = 0;
    // A new file gets what an ordinary create gives; a replacing one is private until
    // it has the previous file's owner and mode.
    if (!temp.Create(base, exists ? 0600 : 0666, &err)) {
        // The file may be writable while its folder is not: the save needs both.
        if (err == EACCES || err == EPERM || err == EROFS)
            return failed("no new file can be made in its folder " + FolderName(folderPath) + " (" +
                          SystemReason(err) +
                          "); a save writes the new content beside the file, so the folder " +
                          "must be writable too");
        return failed(SystemReason(err));
    }
    std::string why;
    if (exists && !KeepPermissions(temp.Fd(), target, previous, &why)) return failed(why);
    if (!WriteAll(temp.Fd(), static_cast<const unsigned char*>(data), size, &err))
        return failed(SystemReason(err));
    // On the disk before it takes the name, so that a power cut cannot leave an empty
    // file under it.
    if (::fsync(temp.Fd()) != 0) return failed(SystemReason(errno));
    // Renamed while still locked, so that no other save takes it for abandoned.
    if (::renameat(folder.get(), temp.Name().c_str(), folder.get(), base.c_str()) != 0) {
        const int renameErr = errno;
        struct stat f {};
        if ((renameErr == EPERM || renameErr == EACCES) && exists &&
            ::fstat(folder.get(), &f) == 0 && (f.st_mode & S_ISVTX) != 0)
            return failed("its folder " + FolderName(folderPath) +
                          " is sticky: only the file's owner (uid " +
                          std::to_string(previous.st_uid) + ") or the folder's may replace it (" +
                          SystemReason(renameErr) + ")");
        return failed(SystemReason(renameErr));
    }
    temp.Renamed();
    temp.Close();

    // The rename itself is on the disk once the folder is.
    const int dir = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return failed("written, but its folder cannot be flushed: " + SystemReason(errno));
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;  // EINVAL: not supported
    const int syncErr = errno;
    ::close(dir);
    if (!synced)
        return failed("written, but its folder cannot be flushed: " + SystemReason(syncErr));
    return true;
}

void RemoveSaveFilesOnSignals() {
    for (int sig : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = RemoveSaveFilesAndEnd;
        sigemptyset(&action.sa_mask);
        for (int other : kEndingSignals) sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(sig, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

void RemoveFilesOfSavesInFlight() noexcept {
    const pid_t self = ::getpid();
    for (SaveInFlight& save : g_inFlight) {
        int expected = kArmed;
        if (!save.state.compare_exchange_strong(expected, kClaimed)) continue;
        if (save.process == self) ::unlinkat(save.folder, save.name, 0);
        save.state.store(kRemoved);
    }
}
