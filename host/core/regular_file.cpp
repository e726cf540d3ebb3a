#include "regular_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

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

// A name for the temporary file: the target's, hidden, with random characters, short
// enough for any folder.
std::string TempName(const std::string& base) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
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
    const std::string suffix = ".saving-";
    std::size_t keep = base.size();
    const std::size_t room = kMaxNameBytes - 1 - suffix.size() - kTempRandomChars;
    if (keep > room) {
        keep = room;
        // Cut between characters, not inside one.
        while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    }
    std::string name(1, '.');
    name.append(base, 0, keep);
    name += suffix;
    for (unsigned char r : random) name += kChars[r % (sizeof kChars - 1)];
    return name;
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

// The temporary file of one replace: removed unless it was renamed over the target.
class TempFile {
public:
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    // Creates it in `folder`, never through a link nor over an existing name.
    bool Create(const fs::path& folder, const std::string& base, mode_t mode, int* err) {
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            const fs::path candidate = folder / TempName(base);
            const int fd = ::open(candidate.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                fd_ = fd;
                path_ = candidate;
                return true;
            }
            if (errno != EEXIST && errno != EINTR) break;
        }
        *err = errno;
        return false;
    }
    // Closes the file, keeping it.
    bool Close(int* err) {
        const int fd = fd_;
        fd_ = -1;
        // Linux releases the descriptor even when close reports an error.
        if (::close(fd) != 0 && errno != EINTR) {
            *err = errno;
            return false;
        }
        return true;
    }
    // The file now has the target's name: nothing to remove.
    void Renamed() { path_.clear(); }
    int Fd() const { return fd_; }
    const fs::path& Path() const { return path_; }

private:
    int fd_ = -1;
    fs::path path_;
};

// Gives the new file the previous file's owner, group and mode. Only the owner may
// change a file's owner: a process that may not keeps its own, and then the
// set-user and set-group bits, which would grant its rights instead, are dropped.
bool KeepOwnerAndMode(int fd, const struct stat& previous, int* err) {
    if (::fchown(fd, previous.st_uid, previous.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), previous.st_gid);
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        *err = errno;
        return false;
    }
    mode_t mode = previous.st_mode & 07777;
    if (now.st_uid != previous.st_uid) mode &= ~static_cast<mode_t>(S_ISUID);
    if (now.st_gid != previous.st_gid) mode &= ~static_cast<mode_t>(S_ISGID);
    if (::fchmod(fd, mode) != 0) {
        *err = errno;
        return false;
    }
    return true;
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                     std::vector<unsigned char>& bytes, std::string& error) {
    bytes.clear();
    // Not blocking: opening a fifo for reading would wait for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return SystemFailure(error);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return SystemFailure(error);
    if (!S_ISREG(st.st_mode))
        return error = std::string("it is ") + FileKind(st.st_mode) + ", not a regular file", false;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > maxBytes)
        return error = "it is " + std::to_string(size) + " bytes long, more than the " +
                       std::to_string(maxBytes) + " allowed",
               false;
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return bytes.clear(), SystemFailure(error);
        if (n == 0) break;  // it shrank while being read
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
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

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    TempFile temp;
    int err = 0;
    // A new file gets what an ordinary create gives; a replacing one is private until
    // it has the previous file's owner and mode.
    if (!temp.Create(folder, target.filename().string(), exists ? 0600 : 0666, &err))
        return failed(SystemReason(err));
    if (exists && !KeepOwnerAndMode(temp.Fd(), previous, &err))
        return failed("cannot keep its permissions: " + SystemReason(err));
    if (!WriteAll(temp.Fd(), static_cast<const unsigned char*>(data), size, &err))
        return failed(SystemReason(err));
    // On the disk before it takes the name, so that a power cut cannot leave an empty
    // file under it.
    if (::fsync(temp.Fd()) != 0) return failed(SystemReason(errno));
    if (!temp.Close(&err)) return failed(SystemReason(err));
    if (::rename(temp.Path().c_str(), target.c_str()) != 0) return failed(SystemReason(errno));
    temp.Renamed();

    // The rename itself is on the disk once the folder is.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return failed("written, but its folder cannot be flushed: " + SystemReason(errno));
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;  // EINVAL: not supported
    const int syncErr = errno;
    ::close(dir);
    if (!synced)
        return failed("written, but its folder cannot be flushed: " + SystemReason(syncErr));
    return true;
}
