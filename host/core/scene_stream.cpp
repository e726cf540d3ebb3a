#include "scene_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint32_t kContainerBit32 = 0x80000000u;
constexpr std::uint64_t kContainerBit64 = 0x8000000000000000ull;
constexpr std::size_t kShortHeader = 6;
constexpr std::size_t kLongHeader = 14;

std::string HexId(USHORT id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", id);
    return buf;
}

// Scene files hold wide strings as UTF-16, as Windows keeps them in memory. Where
// wchar_t is 16 bits (Windows) the units are stored and read back exactly; where
// it holds whole code points (Linux) a character beyond the Basic Multilingual
// Plane becomes a pair of surrogates, so that a name means the same on both.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void AppendUtf16(std::vector<unsigned char>& out, const wchar_t* s) {
    auto unit = [&out](std::uint32_t u) { le::PutU16(out, static_cast<std::uint16_t>(u)); };
    for (; *s; ++s) {
        auto c = static_cast<std::uint32_t>(*s);
        if constexpr (kWideIsUtf16) {
            unit(c);
            continue;
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    }
    unit(0);
}

// Up to the first null. Where wchar_t holds code points, a pair of surrogates is
// one character and an unpaired one becomes U+FFFD.
std::wstring DecodeUtf16(const unsigned char* p, std::size_t units) {
    std::wstring out;
    for (std::size_t k = 0; k < units; ++k) {
        std::uint32_t u = le::GetU16(p + 2 * k);
        if (u == 0) break;
        if constexpr (kWideIsUtf16) {
            out += static_cast<wchar_t>(u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const std::uint32_t lo = le::GetU16(p + 2 * (k + 1));
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++k;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        out += static_cast<wchar_t>(u);
    }
    return out;
}

}  // namespace

// --- ChunkWriter ----------------------------------------------------------------

ChunkWriter::ChunkWriter() = default;
ChunkWriter::~ChunkWriter() = default;

void ChunkWriter::Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
}

void ChunkWriter::BeginChunk(USHORT id) {
    if (!open_.empty()) {
        if (open_.back().hasData)
            Fail("chunk " + HexId(id) + " begun inside a chunk that holds data");
        open_.back().hasChunks = true;
    }
    if (bytes_.size() + kShortHeader > capacity_) Fail("the stream is full");
    open_.push_back({bytes_.size(), false, false});
    le::PutU16(bytes_, id);
    le::PutU32(bytes_, 0);
}

void ChunkWriter::EndChunk() {
    if (open_.empty()) {
        Fail("a chunk was ended that was never begun");
        return;
    }
    const Open chunk = open_.back();
    open_.pop_back();
    const std::uint64_t size = bytes_.size() - chunk.start;
    if (size < longThreshold_ && size <= 0x7FFFFFFFu) {
        std::uint32_t field = static_cast<std::uint32_t>(size);
        if (chunk.hasChunks) field |= kContainerBit32;
        for (int k = 0; k < 4; ++k)
            bytes_[chunk.start + 2 + k] = static_cast<unsigned char>(field >> (8 * k));
        return;
    }
    // The 32-bit field stays 0 and the 64-bit size goes after it.
    std::uint64_t field = size + (kLongHeader - kShortHeader);
    if (chunk.hasChunks) field |= kContainerBit64;
    unsigned char wide[8];
    for (int k = 0; k < 8; ++k) wide[k] = static_cast<unsigned char>(field >> (8 * k));
    bytes_.insert(bytes_.begin() + static_cast<std::ptrdiff_t>(chunk.start + kShortHeader), wide,
                  wide + 8);
}

IOResult ChunkWriter::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
    if (nwrit) *nwrit = 0;
    if (open_.empty()) {
        Fail("data written outside any chunk");
        return IO_ERROR;
    }
    if (open_.back().hasChunks) {
        Fail("data written into a chunk that holds chunks");
        return IO_ERROR;
    }
    if (nbytes > capacity_ || bytes_.size() > capacity_ - nbytes) {
        Fail("the stream is full");
        return IO_ERROR;
    }
    open_.back().hasData = true;
    const auto* p = static_cast<const unsigned char*>(buf);
    bytes_.insert(bytes_.end(), p, p + nbytes);
    if (nwrit) *nwrit = nbytes;
    return IO_OK;
}

IOResult ChunkWriter::WriteWString(const wchar_t* str) {
    std::vector<unsigned char> units;
    AppendUtf16(units, str ? str : L"");
    ULONG written = 0;
    return Write(units.data(), static_cast<ULONG>(units.size()), &written);
}

IOResult ChunkWriter::WriteCString(const char* str) {
    const char* s = str ? str : "";
    ULONG written = 0;
    return Write(s, static_cast<ULONG>(std::strlen(s) + 1), &written);
}

bool ParseChunkHeader(const unsigned char* p, std::uint64_t room, ChunkHeader* header) {
    *header = {};
    if (room < kShortHeader) return false;
    header->id = le::GetU16(p);
    const std::uint32_t size32 = le::GetU32(p + 2);
    if (size32 == 0) {
        if (room < kLongHeader) return false;
        const std::uint64_t size64 = le::GetU64(p + kShortHeader);
        header->container = (size64 & kContainerBit64) != 0;
        header->size = size64 & ~kContainerBit64;
        header->headerBytes = kLongHeader;
    } else {
        header->container = (size32 & kContainerBit32) != 0;
        header->size = size32 & ~kContainerBit32;
        header->headerBytes = kShortHeader;
    }
    return header->size >= header->headerBytes && header->size <= room;
}

void PutChunkHeader(std::vector<unsigned char>& b, USHORT id, std::size_t content, bool container) {
    le::PutU16(b, id);
    le::PutU32(
        b, static_cast<std::uint32_t>(content + kShortHeader) | (container ? kContainerBit32 : 0u));
}

// --- ChunkReader ----------------------------------------------------------------

ChunkReader::ChunkReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

ChunkReader::~ChunkReader() = default;

void ChunkReader::Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
}

IOResult ChunkReader::OpenChunk() {
    const std::size_t end = LevelEnd();
    if (pos_ >= end) return IO_END;
    if (!open_.empty() && !open_.back().container) {
        Fail("chunk " + HexId(open_.back().id) + " holds data where chunks were expected");
        return IO_ERROR;
    }
    const std::size_t start = pos_;
    const std::size_t room = end - start;
    ChunkHeader h;
    if (!ParseChunkHeader(data_ + start, room, &h)) {
        if (h.headerBytes == 0)
            Fail("a chunk header is cut off at byte " + std::to_string(start));
        else
            Fail("chunk " + HexId(h.id) + " at byte " + std::to_string(start) + " claims " +
                 std::to_string(h.size) + " bytes, but " +
                 (h.size < h.headerBytes ? "its header alone takes " + std::to_string(h.headerBytes)
                                         : "only " + std::to_string(room) + " are left"));
        return IO_ERROR;
    }
    open_.push_back(
        {h.id, h.container, start + h.headerBytes, start + static_cast<std::size_t>(h.size)});
    pos_ = start + h.headerBytes;
    return IO_OK;
}

USHORT ChunkReader::CurChunkID() { return open_.empty() ? 0 : open_.back().id; }

ChunkType ChunkReader::CurChunkType() {
    if (open_.empty()) return NEW_CHUNK;
    return open_.back().container ? CONTAINER_CHUNK : DATA_CHUNK;
}

ULONGLONG ChunkReader::CurChunkLength() {
    return open_.empty() ? 0 : open_.back().end - open_.back().contentStart;
}

IOResult ChunkReader::CloseChunk() {
    if (open_.empty()) return IO_ERROR;
    pos_ = open_.back().end;
    open_.pop_back();
    return IO_OK;
}

USHORT ChunkReader::PeekNextChunkID() {
    if (!open_.empty() && !open_.back().container) return 0;
    const std::size_t end = LevelEnd();
    if (pos_ >= end || end - pos_ < 2) return 0;
    return le::GetU16(data_ + pos_);
}

std::uint64_t ChunkReader::Remaining() const {
    if (open_.empty() || open_.back().container) return 0;
    return open_.back().end - pos_;
}

IOResult ChunkReader::Read(void* buf, ULONG nbytes, ULONG* nread) {
    if (nread) *nread = 0;
    if (open_.empty() || open_.back().container) return IO_ERROR;
    if (nbytes > Remaining()) return IO_ERROR;
    if (nbytes) std::memcpy(buf, data_ + pos_, nbytes);
    pos_ += nbytes;
    if (nread) *nread = nbytes;
    return IO_OK;
}

IOResult ChunkReader::ReadWStringChunk(wchar_t** buf) {
    if (open_.empty() || open_.back().container) return IO_ERROR;
    const std::size_t n = static_cast<std::size_t>(Remaining());
    wstring_ = DecodeUtf16(data_ + pos_, n / 2);
    pos_ += n;
    if (buf) *buf = wstring_.data();
    return IO_OK;
}

IOResult ChunkReader::ReadCStringChunk(char** buf) {
    if (open_.empty() || open_.back().container) return IO_ERROR;
    const std::size_t n = static_cast<std::size_t>(Remaining());
    const auto* p = reinterpret_cast<const char*>(data_ + pos_);
    cstring_.assign(p, strnlen(p, n));
    pos_ += n;
    if (buf) *buf = cstring_.data();
    return IO_OK;
}

void ChunkReader::RegisterPostLoadCallback(PostLoadCallback* cb) {
    if (cb) callbacks_.push_back(cb);
}

void ChunkReader::RunPostLoadCallbacks() {
    std::vector<PostLoadCallback*> pending;
    pending.swap(callbacks_);
    auto priority = [](PostLoadCallback* cb) { return std::clamp(cb->Priority(), 0, 10); };
    std::stable_sort(pending.begin(), pending.end(), [&](PostLoadCallback* a, PostLoadCallback* b) {
        return priority(a) < priority(b);
    });
    for (PostLoadCallback* cb : pending) cb->proc(this);
}

void ChunkReader::DiscardPostLoadCallbacks() {
    std::vector<PostLoadCallback*> pending;
    pending.swap(callbacks_);
    for (PostLoadCallback* cb : pending) cb->Discard();
}
