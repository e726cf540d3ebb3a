#include "library_reader.h"

#include "scene_stream.h"

#include "maxtypes.h"
#include "mtl.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

namespace {

// The chunks of a scene file (scene_file.h).
enum : std::uint16_t {
    kHeaderChunk = 0x2000,
    kRootsChunk = 0x2010,
    kObjectsChunk = 0x2020,
    kObjectChunk = 0x2030,
    kClassChunk = 0x2031,
    kDataChunk = 0x2032,
    kRefsChunk = 0x2033,
};
constexpr char kMagic[8] = {'L', 'U', 'M', 'R', 'A', 'S', 'C', 'N'};
constexpr std::uint32_t kContainer = 0x80000000u;
// The pages read are given back after this many bytes.
constexpr std::size_t kReleaseEvery = std::size_t(1) << 20;

// A chunk of the short form: id, size with its 6-byte header (top bit: holds chunks).
void PutHeader(std::vector<unsigned char>& b, std::uint16_t id, std::size_t size, bool container) {
    le::PutU16(b, id);
    le::PutU32(b, static_cast<std::uint32_t>(size + 6) | (container ? kContainer : 0u));
}

}  // namespace

LibraryReader::~LibraryReader() {
    if (data_) ::munmap(const_cast<unsigned char*>(data_), size_);
}

void LibraryReader::Read(std::size_t bytes) {
    readSinceRelease_ += bytes;
    if (readSinceRelease_ < kReleaseEvery) return;
    readSinceRelease_ = 0;
    // The file's pages are read-only copies of the file: the system reads them
    // again if they are needed again.
    ::madvise(const_cast<unsigned char*>(data_), size_, MADV_DONTNEED);
}

bool LibraryReader::Open(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        *error = "cannot open '" + path + "': " +
                 (folder ? "it is a folder, not a regular file" : "it is not a regular file");
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxSceneFileBytes || st.st_size == 0) {
        ::close(fd);
        *error = "cannot open '" + path + "': " +
                 (st.st_size == 0 ? std::string("the file is empty")
                                  : "it is larger than a scene file may be");
        return false;
    }
    size_ = static_cast<std::size_t>(st.st_size);
    void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) {
        *error = "cannot read '" + path + "': " + std::strerror(errno);
        size_ = 0;
        return false;
    }
    data_ = static_cast<const unsigned char*>(map);
    ::madvise(map, size_, MADV_SEQUENTIAL);
    return Scan(error);
}

bool LibraryReader::Scan(std::string* error) {
    ChunkReader reader(data_, size_);
    const auto fail = [&](const std::string& why) {
        *error = reader.Failed() ? why + ": " + reader.Error() : why;
        return false;
    };
    char magic[8] = {};
    std::uint32_t version = 0, count = 0;
    if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kHeaderChunk ||
        ReadValue(&reader, magic) != IO_OK || std::memcmp(magic, kMagic, sizeof magic) != 0)
        return fail("not a scene file");
    if (ReadValue(&reader, version) != IO_OK || ReadValue(&reader, count) != IO_OK)
        return fail("the header chunk is cut short");
    if (version != kSceneFormatVersion)
        return fail("scene format version " + std::to_string(version) +
                    " (this host reads version " + std::to_string(kSceneFormatVersion) + ")");
    if (count > size_ / 6) return fail("the header claims more objects than the file can hold");
    reader.CloseChunk();

    std::vector<std::int32_t> roots;
    std::uint32_t rootCount = 0;
    if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kRootsChunk ||
        ReadValue(&reader, rootCount) != IO_OK ||
        reader.Remaining() != std::uint64_t(rootCount) * 4)
        return fail("the list of roots is damaged");
    std::unordered_set<std::int32_t> seenRoots;
    for (std::uint32_t k = 0; k < rootCount; ++k) {
        std::int32_t index = -1;
        ReadValue(&reader, index);
        if (index < 0 || static_cast<std::uint32_t>(index) >= count)
            return fail("root " + std::to_string(k) + " names object " + std::to_string(index) +
                        " of " + std::to_string(count));
        if (seenRoots.insert(index).second) roots.push_back(index);
    }
    reader.CloseChunk();

    if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kObjectsChunk)
        return fail("the objects are missing");
    objects_.reserve(count);
    refs_.reserve(count);
    for (;;) {
        const std::size_t before = reader.Offset();
        const IOResult r = reader.OpenChunk();
        if (r == IO_END) break;
        const std::string which = "object " + std::to_string(objects_.size());
        if (r != IO_OK || reader.CurChunkID() != kObjectChunk ||
            reader.CurChunkType() != CONTAINER_CHUNK)
            return fail("the list of objects is damaged");
        if (objects_.size() >= count)
            return fail("the file holds more objects than its header says");
        Object& o = objects_.emplace_back();
        // Class, data and references, each a chunk of its own, in this order.
        std::size_t start = reader.Offset();
        std::uint32_t partA = 0, partB = 0;
        if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kClassChunk ||
            ReadValue(&reader, o.superClass) != IO_OK || ReadValue(&reader, partA) != IO_OK ||
            ReadValue(&reader, partB) != IO_OK)
            return fail(which + ": its class is damaged");
        reader.CloseChunk();
        o.classChunk = {start, static_cast<std::uint32_t>(reader.Offset() - start)};
        start = reader.Offset();
        if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kDataChunk)
            return fail(which + ": its data is missing");
        reader.CloseChunk();
        o.dataChunk = {start, static_cast<std::uint32_t>(reader.Offset() - start)};
        std::uint32_t refCount = 0;
        if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kRefsChunk ||
            ReadValue(&reader, refCount) != IO_OK ||
            reader.Remaining() != std::uint64_t(refCount) * 4)
            return fail(which + ": its reference list is damaged");
        o.firstRef = refs_.size();
        o.refCount = refCount;
        for (std::uint32_t i = 0; i < refCount; ++i) {
            std::int32_t ref = -1;
            ReadValue(&reader, ref);
            if (ref < -1 || (ref >= 0 && static_cast<std::uint32_t>(ref) >= count))
                return fail(which + " references object " + std::to_string(ref) + " of " +
                            std::to_string(count));
            refs_.push_back(ref);
        }
        reader.CloseChunk();
        if (reader.Failed()) return fail(which);
        reader.CloseChunk();
        Read(reader.Offset() - before);
    }
    reader.CloseChunk();
    if (reader.Failed()) return fail("the file is damaged");
    if (objects_.size() != count)
        return fail("the file holds " + std::to_string(objects_.size()) + " of the " +
                    std::to_string(count) + " objects its header announces");
    if (reader.Offset() < size_) return fail("the file has bytes after its last chunk");

    // A root that another object references lives with that object.
    std::vector<bool> referenced(objects_.size(), false);
    for (std::int32_t ref : refs_)
        if (ref >= 0) referenced[static_cast<std::size_t>(ref)] = true;
    for (std::int32_t r : roots) {
        const Object& o = objects_[static_cast<std::size_t>(r)];
        if (!referenced[static_cast<std::size_t>(r)] && o.superClass == MATERIAL_CLASS_ID)
            materials_.push_back(r);
    }
    ::madvise(const_cast<unsigned char*>(data_), size_, MADV_DONTNEED);
    return true;
}

MtlHandle LibraryReader::Load(int k, const ClassLookup& classes, std::vector<std::string>* notes,
                              std::string* error) {
    // The material and what it reaches, in the file's order, renumbered.
    const std::int32_t root = materials_[static_cast<std::size_t>(k)];
    std::vector<std::int32_t> order, pending{root};
    std::unordered_set<std::int32_t> reached{root};
    while (!pending.empty()) {
        const std::int32_t n = pending.back();
        pending.pop_back();
        order.push_back(n);
        for (std::int32_t ref : Refs(objects_[static_cast<std::size_t>(n)]))
            if (ref >= 0 && reached.insert(ref).second) pending.push_back(ref);
    }
    std::sort(order.begin(), order.end());
    const auto newIndex = [&](std::int32_t n) {
        return static_cast<std::int32_t>(std::lower_bound(order.begin(), order.end(), n) -
                                         order.begin());
    };

    std::vector<unsigned char> objects;
    for (std::int32_t n : order) {
        const Object& o = objects_[static_cast<std::size_t>(n)];
        const std::size_t refsSize = 4 + 4 * std::size_t{o.refCount};
        PutHeader(objects, kObjectChunk, o.classChunk.size + o.dataChunk.size + refsSize + 6, true);
        for (const Span& s : {o.classChunk, o.dataChunk}) {
            objects.insert(objects.end(), data_ + s.start, data_ + s.start + s.size);
            Read(s.size);
        }
        PutHeader(objects, kRefsChunk, refsSize, false);
        le::PutU32(objects, o.refCount);
        for (std::int32_t ref : Refs(o))
            le::PutU32(objects, static_cast<std::uint32_t>(ref < 0 ? -1 : newIndex(ref)));
    }
    std::vector<unsigned char> scene;
    PutHeader(scene, kHeaderChunk, 16, false);
    scene.insert(scene.end(), kMagic, kMagic + sizeof kMagic);
    le::PutU32(scene, kSceneFormatVersion);
    le::PutU32(scene, static_cast<std::uint32_t>(order.size()));
    PutHeader(scene, kRootsChunk, 8, false);
    le::PutU32(scene, 1);
    le::PutU32(scene, static_cast<std::uint32_t>(newIndex(root)));
    PutHeader(scene, kObjectsChunk, objects.size(), true);
    scene.insert(scene.end(), objects.begin(), objects.end());
    objects = {};

    LoadedScene loaded;
    if (!ReadScene(scene.data(), scene.size(), classes, &loaded, error)) return MtlHandle();
    notes->insert(notes->end(), loaded.notes.begin(), loaded.notes.end());
    MtlHandle mtl;
    for (ReferenceTarget* r : loaded.roots) {
        if (auto* m = dynamic_cast<Mtl*>(r); m && !mtl)
            mtl.reset(m);
        else
            r->DeleteMe();
    }
    if (!mtl) *error = "it does not load as a material";
    return mtl;
}
