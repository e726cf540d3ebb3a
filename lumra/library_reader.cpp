#include "library_reader.h"

#include "regular_file.h"
#include "scene_chunks.h"
#include "scene_stream.h"

#include "maxtypes.h"
#include "mtl.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

LibraryReader::~LibraryReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LibraryReader::ReadAt(std::uint64_t offset, std::size_t size, unsigned char* out) const {
    while (size > 0) {
        const ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool LibraryReader::ChunkAt(std::uint64_t offset, std::uint64_t end, Chunk* chunk) const {
    unsigned char bytes[kLongChunkHeaderBytes];
    const std::uint64_t room = end - offset;
    const std::size_t header =
        static_cast<std::size_t>(std::min<std::uint64_t>(room, sizeof bytes));
    ChunkHeader h;
    if (!ReadAt(offset, header, bytes) || !ParseChunkHeader(bytes, room, &h)) return false;
    *chunk = {h.id, h.container, offset, h.size, h.headerBytes};
    return true;
}

bool LibraryReader::Open(const std::string& path, const ClassLookup& classes, std::string* error) {
    // Read with pread rather than mapped: a file cut short by another program while
    // it is read gives a reason, not a crash. Opened as the whole-file loader opens
    // a scene file, with the same refusals.
    std::string why;
    fd_ = OpenRegularFile(path, kMaxSceneFileBytes, &size_, why, &SceneFileSignature());
    if (fd_ < 0) {
        *error = "cannot open '" + path + "': " + why;
        return false;
    }
    return Scan(classes, error);
}

bool LibraryReader::Scan(const ClassLookup& classes, std::string* error) {
    const auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };
    // The header and the roots, each read whole and taken apart by the host's reader.
    std::vector<unsigned char> bytes;
    Chunk chunk;
    const auto readChunk = [&](std::uint64_t offset, std::uint16_t id) {
        if (!ChunkAt(offset, size_, &chunk) || chunk.id != id) return false;
        bytes.resize(static_cast<std::size_t>(chunk.size));
        return ReadAt(chunk.start, bytes.size(), bytes.data());
    };
    char magic[8] = {};
    std::uint32_t version = 0, count = 0;
    if (!readChunk(0, kHeaderChunk)) return fail("not a scene file (no header chunk)");
    {
        ChunkReader reader(bytes.data(), bytes.size());
        if (reader.OpenChunk() != IO_OK || ReadValue(&reader, magic) != IO_OK ||
            std::memcmp(magic, kSceneMagic, sizeof magic) != 0)
            return fail("not a scene file (wrong magic)");
        if (ReadValue(&reader, version) != IO_OK || ReadValue(&reader, count) != IO_OK)
            return fail("the header chunk is cut short");
    }
    if (version != kSceneFormatVersion)
        return fail("scene format version " + std::to_string(version) +
                    " (this host reads version " + std::to_string(kSceneFormatVersion) + ")");
    if (count > size_ / 6) return fail("the header claims more objects than the file can hold");

    std::vector<std::int32_t> roots;
    if (!readChunk(chunk.start + chunk.size, kRootsChunk))
        return fail("the list of roots is missing");
    const std::uint64_t objectsAt = chunk.start + chunk.size;
    {
        ChunkReader reader(bytes.data(), bytes.size());
        std::uint32_t rootCount = 0;
        if (reader.OpenChunk() != IO_OK || ReadValue(&reader, rootCount) != IO_OK ||
            reader.Remaining() != std::uint64_t(rootCount) * 4)
            return fail("the list of roots has the wrong length");
        std::unordered_set<std::int32_t> seen;
        for (std::uint32_t k = 0; k < rootCount; ++k) {
            std::int32_t index = -1;
            ReadValue(&reader, index);
            if (index < 0 || static_cast<std::uint32_t>(index) >= count)
                return fail("root " + std::to_string(k) + " names object " + std::to_string(index) +
                            " of " + std::to_string(count));
            if (seen.insert(index).second) roots.push_back(index);
        }
    }

    Chunk objects;
    if (!ChunkAt(objectsAt, size_, &objects) || objects.id != kObjectsChunk || !objects.container)
        return fail("the objects are missing");
    if (objects.start + objects.size != size_)
        return fail("the file has bytes after its last chunk");
    objects_.reserve(count);
    refs_.reserve(count);
    for (std::uint64_t at = objects.start + objects.header; at < objects.start + objects.size;
         at = chunk.start + chunk.size) {
        const std::string which = "object " + std::to_string(objects_.size());
        if (!ChunkAt(at, objects.start + objects.size, &chunk) || chunk.id != kObjectChunk ||
            !chunk.container)
            return fail("the list of objects is damaged at byte " + std::to_string(at));
        if (objects_.size() >= count)
            return fail("the file holds more objects than its header says");
        bytes.resize(static_cast<std::size_t>(chunk.size));
        if (!ReadAt(chunk.start, bytes.size(), bytes.data()))
            return fail(which + " cannot be read");
        // Class, data and references, each a chunk of its own, in this order.
        ChunkReader reader(bytes.data(), bytes.size());
        Object& o = objects_.emplace_back();
        std::uint32_t partA = 0, partB = 0;
        reader.OpenChunk();
        std::size_t from = reader.Offset();
        if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kClassChunk ||
            ReadValue(&reader, o.superClass) != IO_OK || ReadValue(&reader, partA) != IO_OK ||
            ReadValue(&reader, partB) != IO_OK)
            return fail(which + ": its class is damaged");
        reader.CloseChunk();
        o.classChunk = {chunk.start + from, static_cast<std::uint32_t>(reader.Offset() - from)};
        from = reader.Offset();
        if (reader.OpenChunk() != IO_OK || reader.CurChunkID() != kDataChunk)
            return fail(which + ": its data is missing");
        reader.CloseChunk();
        o.dataChunk = {chunk.start + from, static_cast<std::uint32_t>(reader.Offset() - from)};
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
        if (reader.Failed()) return fail(which + ": " + reader.Error());
    }
    if (objects_.size() != count)
        return fail("the file holds " + std::to_string(objects_.size()) + " of the " +
                    std::to_string(count) + " objects its header announces");

    // An object of single ownership (a parameter block) that two objects reference
    // makes the whole file unloadable; as each material is loaded on its own, that
    // is checked here. Such objects are asked by an instance of their class.
    std::vector<std::int32_t> owner(objects_.size(), -1);
    std::vector<bool> shared(objects_.size(), false);
    for (std::size_t n = 0; n < objects_.size(); ++n) {
        for (std::int32_t ref : Refs(objects_[n])) {
            if (ref < 0) continue;
            std::int32_t& first = owner[static_cast<std::size_t>(ref)];
            if (first < 0)
                first = static_cast<std::int32_t>(n);
            else if (first != static_cast<std::int32_t>(n))
                shared[static_cast<std::size_t>(ref)] = true;
        }
    }
    for (std::size_t n = 0; n < objects_.size(); ++n) {
        if (!shared[n]) continue;
        const Object& o = objects_[n];
        unsigned char cls[12];
        if (!ReadAt(o.classChunk.start + o.classChunk.size - 12, 12, cls))
            return fail("object " + std::to_string(n) + " cannot be read");
        ClassDesc* cd =
            classes ? classes(le::GetU32(cls), Class_ID(le::GetU32(cls + 4), le::GetU32(cls + 8)))
                    : nullptr;
        if (!cd) continue;  // its loading says why
        auto* anim = static_cast<Animatable*>(cd->Create(TRUE));
        auto* target = dynamic_cast<ReferenceTarget*>(anim);
        const bool single = target && target->HasSingleOwner();
        if (anim) anim->DeleteThis();
        if (single)
            return fail("object " + std::to_string(n) + " belongs to object " +
                        std::to_string(owner[n]) +
                        " and is referenced by another; an object of its kind has one owner only");
    }

    // A root that another object references lives with that object.
    std::vector<bool> referenced(objects_.size(), false);
    for (std::int32_t ref : refs_)
        if (ref >= 0) referenced[static_cast<std::size_t>(ref)] = true;
    for (std::int32_t r : roots) {
        const Object& o = objects_[static_cast<std::size_t>(r)];
        if (!referenced[static_cast<std::size_t>(r)] && o.superClass == MATERIAL_CLASS_ID)
            materials_.push_back(r);
    }
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
        PutChunkHeader(objects, kObjectChunk, o.classChunk.size + o.dataChunk.size + refsSize + 6,
                       true);
        for (const Span& s : {o.classChunk, o.dataChunk}) {
            const std::size_t at = objects.size();
            objects.resize(at + s.size);
            if (!ReadAt(s.start, s.size, objects.data() + at)) {
                *error = "the file changed while it was read";
                return MtlHandle();
            }
        }
        PutChunkHeader(objects, kRefsChunk, refsSize, false);
        le::PutU32(objects, o.refCount);
        for (std::int32_t ref : Refs(o))
            le::PutU32(objects, static_cast<std::uint32_t>(ref < 0 ? -1 : newIndex(ref)));
    }
    std::vector<unsigned char> scene;
    PutChunkHeader(scene, kHeaderChunk, 16, false);
    scene.insert(scene.end(), kSceneMagic, kSceneMagic + sizeof kSceneMagic);
    le::PutU32(scene, kSceneFormatVersion);
    le::PutU32(scene, static_cast<std::uint32_t>(order.size()));
    PutChunkHeader(scene, kRootsChunk, 8, false);
    le::PutU32(scene, 1);
    le::PutU32(scene, static_cast<std::uint32_t>(newIndex(root)));
    PutChunkHeader(scene, kObjectsChunk, objects.size(), true);
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
