// Reading and replacing files on Windows: the same promises as on other systems
// (regular_file.h) with the Win32 file calls. A file is replaced by a temporary file
// created with CREATE_NEW beside the file a link leads to, flushed, then moved over
// it with MOVEFILE_WRITE_THROUGH. Not done here (yet): the new file takes the
// permissions its folder gives rather than the previous file's access control list,
// temporary files of killed saves stay, and there are no signals to handle.
#include "regular_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr int kTempNameAttempts = 100;
constexpr int kTempRandomChars = 10;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Quoted(const fs::path& p) {
    std::string q(1, '\'');
    q += Utf8(p.native());
    q += '\'';
    return q;
}

// The system's words for an error code, on one line.
std::string SystemReason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' ||
                               reason.back() == L' ' || reason.back() == L'.'))
        reason.pop_back();
    return Utf8(reason);
}

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    void Reset(HANDLE h) {
        Close();
        h_ = h;
    }
    bool Close() {
        const bool ok = !Valid() || CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

// Why a handle that opened is not a regular file, or null when it is one.
const char* NotRegular(HANDLE h) {
    if (GetFileType(h) != FILE_TYPE_DISK) return "a device";
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return "a folder";
    return nullptr;
}

std::wstring TempName(const std::wstring& base) {
    static const wchar_t kChars[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::uint64_t x = static_cast<std::uint64_t>(counter.QuadPart) ^
                      (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
                      (static_cast<std::uint64_t>(GetCurrentThreadId()) << 16);
    std::wstring name = L"." + base.substr(0, 200) + L".saving-";
    for (int i = 0; i < kTempRandomChars; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        name += kChars[x % (sizeof kChars / sizeof kChars[0] - 1)];
    }
    return name;
}

}  // namespace

bool ReadRegularFile(const std::string& utf8Path, std::uint64_t maxBytes,
                     std::vector<unsigned char>& bytes, std::string& error,
                     const FileSignature* signature) {
    bytes.clear();
    auto failed = [&](const std::string& why) { return Fail(error, why); };
    // Directories open only with backup semantics: opened so, to be named as such.
    Handle file(CreateFileW(Wide(utf8Path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return failed(SystemReason(GetLastError()));
    if (const char* kind = NotRegular(file.Get()))
        return failed(std::string("it is ") + kind + ", not a regular file");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return failed(SystemReason(GetLastError()));
    const std::uint64_t count = static_cast<std::uint64_t>(size.QuadPart);
    if (count > maxBytes)
        return failed("it is " + std::to_string(count) + " bytes long, more than the " +
                      std::to_string(maxBytes) + " allowed");
    // A sparse file holds on the disk what its compressed size says.
    BY_HANDLE_FILE_INFORMATION info{};
    if (count > kSparseAllowance && GetFileInformationByHandle(file.Get(), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE)) {
        DWORD high = 0;
        const DWORD low = GetCompressedFileSizeW(Wide(utf8Path).c_str(), &high);
        const std::uint64_t held = (static_cast<std::uint64_t>(high) << 32) | low;
        if (low != INVALID_FILE_SIZE && held * kMaxSparseRatio < count)
            return failed("it claims " + std::to_string(count) + " bytes but holds only " +
                          std::to_string(held) + " on the disk (a sparse file)");
    }
    // Reads up to `size` bytes at `at`; fewer when the file ends first.
    auto readUpTo = [&](unsigned char* at, std::size_t size, std::size_t* done) {
        *done = 0;
        while (*done < size) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(size - *done, std::size_t(1) << 30));
            DWORD n = 0;
            if (!ReadFile(file.Get(), at + *done, chunk, &n, nullptr)) return false;
            if (n == 0) break;
            *done += n;
        }
        return true;
    };
    std::size_t head = 0;
    if (signature && signature->check) {
        bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, signature->bytes)));
        if (!readUpTo(bytes.data(), bytes.size(), &head))
            return bytes.clear(), failed(SystemReason(GetLastError()));
        const std::string refused = signature->check(bytes.data(), head);
        if (!refused.empty()) return bytes.clear(), failed(refused);
    }
    bytes.resize(static_cast<std::size_t>(count));
    std::size_t rest = 0;
    if (!readUpTo(bytes.data() + head, bytes.size() - head, &rest))
        return bytes.clear(), failed(SystemReason(GetLastError()));
    bytes.resize(head + rest);
    return true;
}

bool ReplaceRegularFile(const std::string& utf8Path, const void* data, std::size_t size,
                        std::string& error) {
    const fs::path path = Wide(utf8Path);
    fs::path target = path;
    bool exists = false;
    {
        // Opened through any links, to find the file they lead to.
        Handle existing(CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (existing.Valid()) {
            exists = true;
            if (const char* kind = NotRegular(existing.Get()))
                return Fail(error, "cannot write " + Quoted(path) + ": it is " + kind +
                                       ", not a regular file");
            std::wstring final(MAX_PATH, L'\0');
            DWORD n = GetFinalPathNameByHandleW(existing.Get(), final.data(),
                                                static_cast<DWORD>(final.size()), 0);
            if (n >= final.size()) {
                final.resize(n + 1);
                n = GetFinalPathNameByHandleW(existing.Get(), final.data(),
                                              static_cast<DWORD>(final.size()), 0);
            }
            if (n > 0 && n < final.size()) {
                final.resize(n);
                target = final;
            }
        } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return Fail(error,
                        "cannot write " + Quoted(path) + ": " + SystemReason(GetLastError()));
        }
    }
    const std::string name = Quoted(path);
    auto failed = [&](const std::string& why) {
        return Fail(error, "cannot write " + name + ": " + why);
    };
    if (exists) {
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return failed("the file is read-only");
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(L".");
    Handle temp;
    fs::path tempPath;
    for (int attempt = 0; attempt < kTempNameAttempts && !temp.Valid(); ++attempt) {
        tempPath = folder / TempName(target.filename().native());
        temp.Reset(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!temp.Valid() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!temp.Valid()) {
        const DWORD code = GetLastError();
        // The file may be writable while its folder is not: the save needs both.
        if (code == ERROR_ACCESS_DENIED)
            return failed("no new file can be made in its folder " + Quoted(folder) + " (" +
                          SystemReason(code) +
                          "); a save writes the new content beside the file, so the folder "
                          "must be writable too");
        return failed(SystemReason(code));
    }
    struct Remover {
        const fs::path& path;
        bool keep = false;
        ~Remover() {
            if (!keep) DeleteFileW(path.c_str());
        }
    } remover{tempPath};

    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, std::size_t(1) << 30));
        DWORD n = 0;
        if (!WriteFile(temp.Get(), p, chunk, &n, nullptr))
            return temp.Close(), failed(SystemReason(GetLastError()));
        p += n;
        size -= n;
    }
    if (!FlushFileBuffers(temp.Get())) return temp.Close(), failed(SystemReason(GetLastError()));
    if (!temp.Close()) return failed(SystemReason(GetLastError()));
    if (!MoveFileExW(tempPath.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return failed(SystemReason(GetLastError()));
    remover.keep = true;
    return true;
}

// Windows has no such signals; a console's Ctrl-C ends the program as it would.
void RemoveSaveFilesOnSignals() {}
void RemoveFilesOfSavesInFlight() noexcept {}
