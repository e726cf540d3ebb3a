#include "regular_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

}  // namespace

bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                     std::vector<unsigned char>& bytes, std::string& error) {
    bytes.clear();
    // Not blocking: opening a fifo for reading would wait for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return SystemFailure(error);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return SystemFailure(error);
    if (S_ISDIR(st.st_mode)) return error = "it is a folder, not a regular file", false;
    if (!S_ISREG(st.st_mode)) return error = "it is not a regular file", false;
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
