// The host's chunk streams, as scene files store them: every chunk starts with a
// 16-bit id and a 32-bit size that counts the 6-byte header; the size's top bit marks
// a container (its content is chunks), and a size of 0 says that a 64-bit size
// follows (a 14-byte header, the container bit then being the top bit of the 64-bit
// size). All numbers are little-endian.
#pragma once

#include "ioapi.h"

#include "plugapi.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Finds the class descriptor of a stored object by its super class and class id.
using ClassLookup = std::function<ClassDesc*(SClass_ID, const Class_ID&)>;

// A chunk's header as stored: its id, whether it holds chunks, the header's length (6
// or 14 bytes) and the chunk's whole length, its header included.
struct ChunkHeader {
    USHORT id = 0;
    bool container = false;
    std::size_t headerBytes = 0;
    std::uint64_t size = 0;
};
constexpr std::size_t kLongChunkHeaderBytes = 14;  // the most a header takes
// Takes apart the header at `p`, of which `room` bytes (from `p` to the end of what
// encloses the chunk) may be read; false when the header is cut off or the chunk
// claims less than its header or more than `room`.
CoreExport bool ParseChunkHeader(const unsigned char* p, std::uint64_t room, ChunkHeader* header);
// Appends the short header of a chunk whose content (after the header) is `content`
// bytes, less than 2 GiB.
CoreExport void PutChunkHeader(std::vector<unsigned char>& b, USHORT id, std::size_t content,
                               bool container);

// Writes chunks into memory. A chunk that receives chunks is a container; one that
// receives bytes is a data chunk; one that receives both is an error.
class CoreExport ChunkWriter : public ISave {
public:
    ChunkWriter();
    ~ChunkWriter() override;

    void BeginChunk(USHORT id) override;
    void EndChunk() override;
    int CurChunkDepth() override { return static_cast<int>(open_.size()); }
    IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;
    IOResult WriteWString(const wchar_t* str) override;
    IOResult WriteCString(const char* str) override;

    // Chunks at least this long get the 64-bit size form (normally those that do
    // not fit 31 bits); lowered by tests.
    void SetLongSizeThreshold(std::uint64_t bytes) { longThreshold_ = bytes; }
    // Writes that would take the stream past this many bytes fail, as on a full
    // disk; for tests.
    void SetCapacity(std::size_t bytes) { capacity_ = bytes; }

    // True when a write failed or chunks did not nest; Error() says what happened first.
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

private:
    struct Open {
        std::size_t start;
        bool hasChunks;
        bool hasData;
    };
    void Fail(const std::string& why);

    std::vector<unsigned char> bytes_;
    std::vector<Open> open_;
    std::uint64_t longThreshold_ = 0x80000000ull;
    std::size_t capacity_ = SIZE_MAX;
    std::string error_;
};

// Reads chunks from memory, never past the end of the buffer or of the chunk that
// is open. A malformed header makes OpenChunk fail and is remembered: Failed() stays
// true, so the file is refused however the object reading it reacts.
class CoreExport ChunkReader : public ILoad {
public:
    ChunkReader(const unsigned char* data, std::size_t size);
    ~ChunkReader() override;

    IOResult OpenChunk() override;
    USHORT CurChunkID() override;
    ChunkType CurChunkType() override;
    ULONGLONG CurChunkLength() override;
    int CurChunkDepth() override { return static_cast<int>(open_.size()); }
    IOResult CloseChunk() override;
    USHORT PeekNextChunkID() override;
    IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
    IOResult ReadWStringChunk(wchar_t** buf) override;
    IOResult ReadCStringChunk(char** buf) override;
    void RegisterPostLoadCallback(PostLoadCallback* cb) override;

    // Runs the registered callbacks by priority (0 first; in registration order
    // within a priority), or discards them when the load is abandoned.
    void RunPostLoadCallbacks();
    void DiscardPostLoadCallbacks();
    std::size_t PostLoadCallbackCount() const { return callbacks_.size(); }

    // The classes the file's objects are made from.
    void SetClassLookup(ClassLookup classes) { classes_ = std::move(classes); }
    ClassDesc* FindClass(SClass_ID superClassID, const Class_ID& classID) const {
        return classes_ ? classes_(superClassID, classID) : nullptr;
    }

    // Bytes left in the open data chunk.
    std::uint64_t Remaining() const;
    // Where reading stands, in bytes from the start of the buffer.
    std::size_t Offset() const { return pos_; }

    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    void Fail(const std::string& why);
    // Remarks for the user about what loading did (an upgraded layout, say).
    void AddNote(const std::string& note) { notes_.push_back(note); }
    const std::vector<std::string>& Notes() const { return notes_; }

private:
    struct Open {
        USHORT id;
        bool container;
        std::size_t contentStart;
        std::size_t end;
    };
    std::size_t LevelEnd() const { return open_.empty() ? size_ : open_.back().end; }

    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::vector<Open> open_;
    std::vector<PostLoadCallback*> callbacks_;
    ClassLookup classes_;
    std::wstring wstring_;
    std::string cstring_;
    std::string error_;
    std::vector<std::string> notes_;
};

// Little-endian helpers for the host's own chunk contents.
namespace le {
inline void PutU16(std::vector<unsigned char>& b, std::uint16_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void PutU32(std::vector<unsigned char>& b, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}
inline std::uint16_t GetU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetU64(const unsigned char* p) {
    return static_cast<std::uint64_t>(GetU32(p)) |
           (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
}
}  // namespace le

// Typed reads and writes of plain values, each exactly its own size.
template <class T>
IOResult WriteValue(ISave* isave, const T& v) {
    ULONG written = 0;
    return isave->Write(&v, sizeof v, &written);
}
template <class T>
IOResult ReadValue(ILoad* iload, T& v) {
    ULONG read = 0;
    return iload->Read(&v, sizeof v, &read);
}
