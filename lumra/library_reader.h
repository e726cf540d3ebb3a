// A material library (a scene file, host/core/scene_file.h) read one material at a
// time, so that a library of any size is drawn in bounded memory.
//
// Open walks the file's chunks once, an object at a time, keeping for each object
// only where its class and data chunks lie and whom it references. Load then makes
// a scene of one material and the objects it reaches (their chunks read from the
// file again, references renumbered) and reads
// it with the host's own loader, which checks and upgrades it as it would in the
// whole file. The materials are the roots the whole file's loading would give:
// roots of the material super class that no object of the file references, each
// once, in the file's order.
#pragma once

#include "plugin_host.h"
#include "scene_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LibraryReader {
public:
    LibraryReader() = default;
    ~LibraryReader();
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // False, with the reason, when the file cannot be read, its chunks are damaged
    // or two objects reference an object of single ownership (objects' own data is
    // checked as each is loaded). `classes` are those the objects are made of.
    bool Open(const std::string& path, const ClassLookup& classes, std::string* error);
    int Count() const { return static_cast<int>(materials_.size()); }
    // Material k (from 0) and everything it references; null with the reason.
    // What loading did (an upgraded block) is added to `notes`. Not for several
    // threads at once.
    MtlHandle Load(int k, const ClassLookup& classes, std::vector<std::string>* notes,
                   std::string* error);

private:
    // Kept for every object of the file: about 40 bytes and 4 a reference.
    struct Span {
        std::uint64_t start = 0;
        std::uint32_t size = 0;
    };
    struct Object {
        Span classChunk, dataChunk;
        std::uint32_t superClass = 0;
        std::uint32_t refCount = 0;
        std::size_t firstRef = 0;  // in refs_
    };
    struct RefRange {
        const std::int32_t* first;
        const std::int32_t* last;
        const std::int32_t* begin() const { return first; }
        const std::int32_t* end() const { return last; }
    };
    RefRange Refs(const Object& o) const {
        return {refs_.data() + o.firstRef, refs_.data() + o.firstRef + o.refCount};
    }
    // A chunk's place in the file: its first byte, its size with its header.
    struct Chunk {
        std::uint16_t id = 0;
        bool container = false;
        std::uint64_t start = 0, size = 0, header = 0;
    };
    bool Scan(const ClassLookup& classes, std::string* error);
    bool ReadAt(std::uint64_t offset, std::size_t size, unsigned char* out) const;
    // The chunk whose header starts at `offset`, ending by `end`; false when its
    // header is cut or claims more than there is.
    bool ChunkAt(std::uint64_t offset, std::uint64_t end, Chunk* chunk) const;

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<Object> objects_;
    std::vector<std::int32_t> refs_;       // every object's references, one after another
    std::vector<std::int32_t> materials_;  // object indices
};
