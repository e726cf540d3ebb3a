#include "scene_file.h"

#include "dll_dir.h"
#include "host_paths.h"
#include "regular_file.h"
#include "scene_chunks.h"
#include "scene_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string Hex(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%lX", v);
    return buf;
}

std::string Narrow(const MCHAR* s) {
    std::string out;
    for (; s && *s; ++s) out += (*s >= 0x20 && *s < 0x7F) ? static_cast<char>(*s) : '?';
    return out;
}

std::string Describe(ReferenceTarget* obj) {
    MSTR name;
    obj->GetClassName(name);
    return Narrow(name.data());
}

// A loop of references, or a chain deeper than kMaxReferenceDepth, in a scene's graph.
struct GraphFault {
    std::size_t object;
    bool tooDeep;  // else a loop, which reference `reference` of `object` closes
    std::size_t reference;
};

std::string TooDeep() {
    return ": its references lead more than " + std::to_string(kMaxReferenceDepth) +
           " objects deep, deeper than a scene may nest";
}

// A loop of references would make every notification endless, and a chain of
// references deeper than kMaxReferenceDepth would end the program: notifications,
// updates, shading and deletion each walk a chain one call per link. The graph of
// `count` objects, object n referencing the indices refsOf(n) (-1: none), is searched
// once, depth first, so that the cost grows with the size of the scene.
template <class RefsOf>
std::optional<GraphFault> FindGraphFault(std::size_t count, RefsOf refsOf) {
    enum : unsigned char { kUnseen, kOnPath, kDone };
    std::vector<unsigned char> state(count, kUnseen);
    // The longest chain of references from each object searched, itself counted.
    std::vector<std::uint32_t> depth(count, 0);
    struct Step {
        std::size_t object;
        std::size_t next;  // the reference to follow next
    };
    std::vector<Step> path;
    for (std::size_t start = 0; start < count; ++start) {
        if (state[start] != kUnseen) continue;
        state[start] = kOnPath;
        path.push_back({start, 0});
        while (!path.empty()) {
            Step& step = path.back();
            const std::vector<std::int32_t>& refs = refsOf(step.object);
            if (step.next == refs.size()) {
                std::uint32_t below = 0;
                for (std::int32_t r : refs) {
                    if (r >= 0) below = std::max(below, depth[static_cast<std::size_t>(r)]);
                }
                depth[step.object] = below + 1;
                if (depth[step.object] > kMaxReferenceDepth)
                    return GraphFault{step.object, true, 0};
                state[step.object] = kDone;
                path.pop_back();
                continue;
            }
            const std::size_t i = step.next++;
            if (refs[i] < 0) continue;
            const auto target = static_cast<std::size_t>(refs[i]);
            if (state[target] == kOnPath) return GraphFault{step.object, false, i};
            if (state[target] == kUnseen) {
                state[target] = kOnPath;
                path.push_back({target, 0});
            }
        }
    }
    return std::nullopt;
}

}  // namespace

// --- Class directory --------------------------------------------------------------

void ClassDirectory::Add(ClassDesc* cd) {
    if (cd) classes_.push_back(cd);
}

ClassDesc* ClassDirectory::FindClass(SClass_ID superClassID, const Class_ID& classID) const {
    for (ClassDesc* cd : classes_) {
        if (cd->SuperClassID() == superClassID && cd->ClassID() == classID) return cd;
    }
    return nullptr;
}

ClassLookup SceneClassLookup(const DllDir* plugins) {
    return [plugins](SClass_ID sclass, const Class_ID& cid) -> ClassDesc* {
        if (ClassDesc* cd = HostClassDirectory().FindClass(sclass, cid)) return cd;
        return plugins ? plugins->FindClass(sclass, cid) : nullptr;
    };
}

ClassLookup SceneClassLookup(std::vector<ClassDesc*> pluginClasses) {
    return
        [plugins = std::move(pluginClasses)](SClass_ID sclass, const Class_ID& cid) -> ClassDesc* {
            if (ClassDesc* cd = HostClassDirectory().FindClass(sclass, cid)) return cd;
            for (ClassDesc* cd : plugins) {
                if (cd && cd->SuperClassID() == sclass && cd->ClassID() == cid) return cd;
            }
            return nullptr;
        };
}

// --- Saving -----------------------------------------------------------------------

bool WriteScene(const std::vector<ReferenceTarget*>& roots, const ClassLookup& classes,
                std::vector<unsigned char>* bytes, std::string* error, std::size_t capacity) {
    // Every object once, each before the objects it references (depth first).
    std::vector<ReferenceTarget*> objects;
    std::unordered_map<ReferenceTarget*, std::int32_t> indexOf;
    std::vector<ReferenceTarget*> pending;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) {
        if (*it) pending.push_back(*it);
    }
    while (!pending.empty()) {
        ReferenceTarget* obj = pending.back();
        pending.pop_back();
        if (!indexOf.emplace(obj, static_cast<std::int32_t>(objects.size())).second) continue;
        objects.push_back(obj);
        for (int i = obj->NumRefs() - 1; i >= 0; --i) {
            if (ReferenceTarget* t = obj->GetReference(i)) pending.push_back(t);
        }
    }

    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    // Loading refuses a whole file for one object whose class it cannot find: such a
    // file would lose everything it holds, so it is not written at all.
    for (std::size_t n = 0; n < objects.size(); ++n) {
        ReferenceTarget* obj = objects[n];
        const SClass_ID sclass = obj->SuperClassID();
        const Class_ID cid = obj->ClassID();
        if (!classes || !classes(sclass, cid))
            return fail("object " + std::to_string(n) + " (" + Describe(obj) +
                        ") is of a class that loading would not know (super class " + Hex(sclass) +
                        ", class id (" + Hex(cid.PartA()) + ", " + Hex(cid.PartB()) +
                        ")): a file holding it could not be loaded again");
    }

    // Nor is a scene whose references nest deeper than loading follows.
    std::vector<std::vector<std::int32_t>> refs(objects.size());
    for (std::size_t n = 0; n < objects.size(); ++n) {
        for (int i = 0; i < objects[n]->NumRefs(); ++i) {
            ReferenceTarget* t = objects[n]->GetReference(i);
            refs[n].push_back(t ? indexOf[t] : std::int32_t(-1));
        }
    }
    if (const std::optional<GraphFault> fault = FindGraphFault(
            objects.size(),
            [&refs](std::size_t n) -> const std::vector<std::int32_t>& { return refs[n]; }))
        return fail("object " + std::to_string(fault->object) + " (" +
                    Describe(objects[fault->object]) + ")" +
                    (fault->tooDeep
                         ? TooDeep()
                         : ": reference " + std::to_string(fault->reference) + " closes a loop") +
                    ": a file holding it could not be loaded again");

    ChunkWriter w;
    w.SetCapacity(capacity);

    w.BeginChunk(kHeaderChunk);
    w.Write(kSceneMagic, sizeof kSceneMagic, nullptr);
    WriteValue(&w, kSceneFormatVersion);
    WriteValue(&w, static_cast<std::uint32_t>(objects.size()));
    w.EndChunk();

    w.BeginChunk(kRootsChunk);
    std::vector<std::int32_t> rootIndices;
    for (ReferenceTarget* r : roots) {
        if (r) rootIndices.push_back(indexOf[r]);
    }
    WriteValue(&w, static_cast<std::uint32_t>(rootIndices.size()));
    for (std::int32_t i : rootIndices) WriteValue(&w, i);
    w.EndChunk();

    w.BeginChunk(kObjectsChunk);
    for (std::size_t n = 0; n < objects.size(); ++n) {
        ReferenceTarget* obj = objects[n];
        w.BeginChunk(kObjectChunk);
        w.BeginChunk(kClassChunk);
        WriteValue(&w, static_cast<std::uint32_t>(obj->SuperClassID()));
        WriteValue(&w, static_cast<std::uint32_t>(obj->ClassID().PartA()));
        WriteValue(&w, static_cast<std::uint32_t>(obj->ClassID().PartB()));
        w.EndChunk();

        w.BeginChunk(kDataChunk);
        const int depth = w.CurChunkDepth();
        const IOResult saved = obj->Save(&w);
        if (saved != IO_OK)
            return fail("object " + std::to_string(n) + " (" + Describe(obj) +
                        ") could not be saved" + (w.Failed() ? ": " + w.Error() : ""));
        if (w.CurChunkDepth() != depth)
            return fail("object " + std::to_string(n) + " (" + Describe(obj) +
                        ") left its chunks unbalanced");
        w.EndChunk();

        w.BeginChunk(kRefsChunk);
        const int count = obj->NumRefs();
        WriteValue(&w, static_cast<std::uint32_t>(count));
        for (int i = 0; i < count; ++i) {
            ReferenceTarget* t = obj->GetReference(i);
            WriteValue(&w, t ? indexOf[t] : std::int32_t(-1));
        }
        w.EndChunk();
        w.EndChunk();
        if (w.Failed()) return fail(w.Error());
    }
    w.EndChunk();
    if (w.Failed()) return fail(w.Error());
    *bytes = w.Bytes();
    return true;
}

bool SaveSceneFile(const std::filesystem::path& path, const std::vector<ReferenceTarget*>& roots,
                   const ClassLookup& classes, std::string* error, std::size_t capacity) {
    try {
        std::vector<unsigned char> bytes;
        if (!WriteScene(roots, classes, &bytes, error, capacity)) return false;
        // A file that loading would refuse must not replace one it reads.
        if (bytes.size() > kMaxSceneFileBytes) {
            if (error)
                *error = "cannot write '" + Utf8Path(path) + "': the scene takes " +
                         std::to_string(bytes.size()) + " bytes, more than the " +
                         std::to_string(kMaxSceneFileBytes) + " a scene file may hold";
            return false;
        }
        std::string why;
        if (ReplaceRegularFile(Utf8Path(path), bytes.data(), bytes.size(), why)) return true;
        if (error) *error = why;
        return false;
    } catch (const std::bad_alloc&) {
        if (error) *error = "not enough memory to save '" + Utf8Path(path) + "'";
        return false;
    } catch (const std::exception& e) {
        if (error) *error = "cannot save '" + Utf8Path(path) + "': " + e.what();
        return false;
    }
}

// --- Loading ----------------------------------------------------------------------

// Holds the objects of a file while it loads, as the host's scene does, so that none
// is deleted before every reference is restored and every callback has run.
class SceneHolder : public ReferenceMaker {
public:
    SClass_ID SuperClassID() override { return 0; }
    bool CountsAsOwner() override { return false; }
    int NumRefs() override { return static_cast<int>(slots.size()); }
    RefTargetHandle GetReference(int i) override {
        return (i >= 0 && i < NumRefs()) ? slots[i] : nullptr;
    }
    std::vector<ReferenceTarget*> slots;

protected:
    void SetReference(int i, RefTargetHandle rtarg) override {
        if (i >= 0 && i < NumRefs()) slots[i] = rtarg;
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
};

class SceneLoader {
public:
    SceneLoader(const unsigned char* data, std::size_t size, const ClassLookup& classes)
        : reader_(data, size), size_(size), classes_(classes) {
        reader_.SetClassLookup(classes);
    }
    ~SceneLoader() { Release({}); }

    bool Load(LoadedScene* scene, std::string* error);

private:
    struct Stored {
        ReferenceTarget* obj = nullptr;
        bool root = false;
        std::vector<std::int32_t> refs;
    };

    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = reader_.Failed() ? why + ": " + reader_.Error() : why;
        return false;
    }
    bool ReadHeader();
    bool ReadRoots();
    bool ReadObject(std::size_t n);
    bool CheckReferenceIndices();
    bool CheckReferenceGraph();
    bool RestoreReferences();
    std::string Which(std::size_t n);
    void Hold(ReferenceTarget* obj, bool root);
    // Lets go of every object: those kept survive, the rest only while something
    // references them.
    void Release(const std::unordered_set<ReferenceTarget*>& keep);
    static void Unhold(SceneHolder& holder, const std::unordered_set<ReferenceTarget*>& keep);

    ChunkReader reader_;
    std::size_t size_;
    const ClassLookup& classes_;
    std::uint32_t objectCount_ = 0;
    std::vector<std::int32_t> roots_;
    std::unordered_set<std::int32_t> rootSet_;
    std::vector<Stored> objects_;
    SceneHolder rootHolder_;
    SceneHolder otherHolder_;
    std::string error_;
};

void SceneLoader::Hold(ReferenceTarget* obj, bool root) {
    SceneHolder& h = root ? rootHolder_ : otherHolder_;
    h.slots.push_back(obj);
    h.Attach(obj);
}

void SceneLoader::Unhold(SceneHolder& holder, const std::unordered_set<ReferenceTarget*>& keep) {
    while (!holder.slots.empty()) {
        ReferenceTarget* obj = holder.slots.back();
        holder.slots.pop_back();
        if (!obj) continue;  // deleted while loading
        holder.Detach(obj);
        if (!keep.count(obj)) obj->MaybeAutoDelete();
    }
}

// Roots go last, so that none is deleted while an object about to go still holds it.
void SceneLoader::Release(const std::unordered_set<ReferenceTarget*>& keep) {
    Unhold(otherHolder_, keep);
    Unhold(rootHolder_, keep);
}

bool SceneLoader::ReadHeader() {
    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kHeaderChunk)
        return Fail("not a scene file (no header chunk)");
    char magic[8] = {};
    std::uint32_t version = 0;
    if (ReadValue(&reader_, magic) != IO_OK || std::memcmp(magic, kSceneMagic, sizeof magic) != 0)
        return Fail("not a scene file (wrong magic)");
    if (ReadValue(&reader_, version) != IO_OK || ReadValue(&reader_, objectCount_) != IO_OK)
        return Fail("the header chunk is cut short");
    if (version != kSceneFormatVersion)
        return Fail("scene format version " + std::to_string(version) +
                    " (this host reads version " + std::to_string(kSceneFormatVersion) + ")");
    // Every object takes at least its chunk headers.
    if (objectCount_ > size_ / 6)
        return Fail("the header claims more objects than the file can hold");
    reader_.CloseChunk();
    return true;
}

bool SceneLoader::ReadRoots() {
    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kRootsChunk)
        return Fail("the list of roots is missing");
    std::uint32_t count = 0;
    if (ReadValue(&reader_, count) != IO_OK || reader_.Remaining() != std::uint64_t(count) * 4)
        return Fail("the list of roots has the wrong length");
    for (std::uint32_t k = 0; k < count; ++k) {
        std::int32_t index = -1;
        ReadValue(&reader_, index);
        if (index < 0 || static_cast<std::uint32_t>(index) >= objectCount_)
            return Fail("root " + std::to_string(k) + " names object " + std::to_string(index) +
                        " of " + std::to_string(objectCount_));
        if (rootSet_.insert(index).second) roots_.push_back(index);
    }
    reader_.CloseChunk();
    return true;
}

bool SceneLoader::ReadObject(std::size_t n) {
    const std::string which = "object " + std::to_string(n);
    if (reader_.CurChunkID() != kObjectChunk || reader_.CurChunkType() != CONTAINER_CHUNK)
        return Fail(which + ": unexpected chunk " + Hex(reader_.CurChunkID()));

    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kClassChunk)
        return Fail(which + ": its class is missing");
    std::uint32_t sclass = 0, partA = 0, partB = 0;
    if (ReadValue(&reader_, sclass) != IO_OK || ReadValue(&reader_, partA) != IO_OK ||
        ReadValue(&reader_, partB) != IO_OK)
        return Fail(which + ": its class is cut short");
    reader_.CloseChunk();

    const Class_ID cid(partA, partB);
    ClassDesc* cd = classes_ ? classes_(sclass, cid) : nullptr;
    if (!cd)
        return Fail(which + ": no loaded class has super class " + Hex(sclass) + " and class id (" +
                    Hex(partA) + ", " + Hex(partB) + ")");
    auto* anim = static_cast<Animatable*>(cd->Create(TRUE));
    auto* obj = dynamic_cast<ReferenceTarget*>(anim);
    if (!obj) {
        if (anim) anim->DeleteThis();
        return Fail(which + ": its class could not create it");
    }
    Hold(obj, rootSet_.count(static_cast<std::int32_t>(n)) != 0);
    Stored& stored = objects_.emplace_back();
    stored.obj = obj;

    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kDataChunk)
        return Fail(which + " (" + Describe(obj) + "): its data is missing");
    const int depth = reader_.CurChunkDepth();
    const IOResult loaded = obj->Load(&reader_);
    if (reader_.Failed()) return Fail(which + " (" + Describe(obj) + ")");
    if (loaded != IO_OK)
        return Fail(which + " (" + Describe(obj) + ") could not read its data" +
                    (loaded == IO_END ? " (it ends early)" : ""));
    if (reader_.CurChunkDepth() != depth)
        return Fail(which + " (" + Describe(obj) + ") left its chunks unbalanced");
    reader_.CloseChunk();

    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kRefsChunk)
        return Fail(which + ": its references are missing");
    std::uint32_t count = 0;
    if (ReadValue(&reader_, count) != IO_OK || reader_.Remaining() != std::uint64_t(count) * 4)
        return Fail(which + ": its reference list has the wrong length");
    stored.refs.resize(count);
    for (std::uint32_t k = 0; k < count; ++k) ReadValue(&reader_, stored.refs[k]);
    reader_.CloseChunk();
    return true;
}

std::string SceneLoader::Which(std::size_t n) {
    return "object " + std::to_string(n) + " (" + Describe(objects_[n].obj) + ")";
}

bool SceneLoader::CheckReferenceIndices() {
    for (std::size_t n = 0; n < objects_.size(); ++n) {
        const std::vector<std::int32_t>& refs = objects_[n].refs;
        ReferenceTarget* maker = objects_[n].obj;
        if (refs.size() > static_cast<std::size_t>(maker->NumRefs()))
            return Fail(Which(n) + " has " + std::to_string(refs.size()) +
                        " references stored but takes " + std::to_string(maker->NumRefs()));
        for (std::size_t i = 0; i < refs.size(); ++i) {
            if (refs[i] >= 0 && static_cast<std::size_t>(refs[i]) >= objects_.size())
                return Fail(Which(n) + ": reference " + std::to_string(i) + " names object " +
                            std::to_string(refs[i]) + " of " + std::to_string(objects_.size()));
        }
    }
    return true;
}

bool SceneLoader::CheckReferenceGraph() {
    const std::optional<GraphFault> fault = FindGraphFault(
        objects_.size(),
        [this](std::size_t n) -> const std::vector<std::int32_t>& { return objects_[n].refs; });
    if (!fault) return true;
    return Fail(Which(fault->object) +
                (fault->tooDeep
                     ? TooDeep()
                     : ": reference " + std::to_string(fault->reference) + " closes a loop"));
}

bool SceneLoader::RestoreReferences() {
    if (!CheckReferenceIndices() || !CheckReferenceGraph()) return false;
    // The maker that each object of one owner (a parameter block, say) belongs to.
    std::vector<std::int32_t> ownerOf(objects_.size(), -1);
    for (std::size_t n = 0; n < objects_.size(); ++n) {
        ReferenceTarget* maker = objects_[n].obj;
        const std::vector<std::int32_t>& refs = objects_[n].refs;
        for (std::size_t i = 0; i < refs.size(); ++i) {
            const std::int32_t index = refs[i];
            if (index < 0) continue;
            ReferenceTarget* target = objects_[index].obj;
            if (maker->GetReference(static_cast<int>(i)))
                return Fail(Which(n) + ": reference " + std::to_string(i) + " is already set");
            if (target->HasSingleOwner()) {
                std::int32_t& owner = ownerOf[static_cast<std::size_t>(index)];
                if (owner >= 0 && static_cast<std::size_t>(owner) != n)
                    return Fail(Which(n) + ": reference " + std::to_string(i) + " names " +
                                Which(static_cast<std::size_t>(index)) +
                                ", which already belongs to " +
                                Which(static_cast<std::size_t>(owner)) +
                                "; an object of its kind has one owner only");
                owner = static_cast<std::int32_t>(n);
            }
            maker->Attach(target);
            maker->SetReference(static_cast<int>(i), target);
            target->RefAdded(maker);
        }
        // An object that did not take a reference as it was saved (one of the wrong
        // kind, say) would hold what it no longer reports: the file is damaged.
        for (std::size_t i = 0; i < refs.size(); ++i) {
            ReferenceTarget* expected = refs[i] >= 0 ? objects_[refs[i]].obj : nullptr;
            if (maker->GetReference(static_cast<int>(i)) != expected)
                return Fail(Which(n) + " does not take reference " + std::to_string(i) +
                            " (object " + std::to_string(refs[i]) + ")");
        }
    }
    return true;
}

bool SceneLoader::Load(LoadedScene* scene, std::string* error) {
    auto failed = [&] {
        reader_.DiscardPostLoadCallbacks();
        Release({});
        if (error) *error = error_.empty() ? reader_.Error() : error_;
        return false;
    };
    if (!ReadHeader() || !ReadRoots()) return failed();
    if (reader_.OpenChunk() != IO_OK || reader_.CurChunkID() != kObjectsChunk)
        return Fail("the objects are missing"), failed();
    objects_.reserve(objectCount_);
    for (;;) {
        const IOResult r = reader_.OpenChunk();
        if (r == IO_END) break;
        if (r != IO_OK) return Fail("the list of objects is damaged"), failed();
        if (objects_.size() >= objectCount_)
            return Fail("the file holds more objects than its header says"), failed();
        if (!ReadObject(objects_.size())) return failed();
        reader_.CloseChunk();
    }
    reader_.CloseChunk();
    if (objects_.size() != objectCount_)
        return Fail("the file holds " + std::to_string(objects_.size()) + " of the " +
                    std::to_string(objectCount_) + " objects its header announces"),
               failed();
    if (reader_.Failed()) return Fail("the file is damaged"), failed();
    // The objects are the last chunk: whatever follows them (a second list of objects,
    // say) means the file was damaged or pieced together, and what it holds is unsure.
    if (reader_.Offset() < size_) {
        const std::size_t tail = size_ - reader_.Offset();
        return Fail("the file has " + std::to_string(tail) + " byte" + (tail == 1 ? "" : "s") +
                    " after its last chunk" +
                    (reader_.PeekNextChunkID() == kObjectsChunk ? " (a second list of objects)"
                                                                : "")),
               failed();
    }
    if (!RestoreReferences()) return failed();

    reader_.RunPostLoadCallbacks();
    // A post-load step (the upgrade of an old parameter block) may refuse what it found.
    if (reader_.Failed()) return Fail("after loading"), failed();

    scene->roots.clear();
    for (std::int32_t r : roots_) scene->roots.push_back(objects_[r].obj);
    // Roots deleted by a callback are gone from the holder. A root that another
    // object references lives with that object, not on its own: the caller gets only
    // roots that nothing else holds, so that deleting one never deletes another.
    std::unordered_set<ReferenceTarget*> alive(rootHolder_.slots.begin(), rootHolder_.slots.end());
    std::vector<ReferenceTarget*> living;
    for (ReferenceTarget* r : scene->roots) {
        if (alive.count(r) && r->NumDependents() == 1) living.push_back(r);
    }
    scene->roots = living;
    scene->notes = reader_.Notes();
    Release(std::unordered_set<ReferenceTarget*>(living.begin(), living.end()));
    return true;
}

bool ReadScene(const unsigned char* data, std::size_t size, const ClassLookup& classes,
               LoadedScene* scene, std::string* error) {
    SceneLoader loader(data, size, classes);
    return loader.Load(scene, error);
}

const FileSignature& SceneFileSignature() {
    // The header chunk's id and magic come first: a file without them is refused
    // before the rest of it is read.
    static const FileSignature signature{
        6 + sizeof kSceneMagic, [](const unsigned char* head, std::size_t size) -> std::string {
            const bool header = size >= 6 + sizeof kSceneMagic &&
                                head[0] == (kHeaderChunk & 0xFF) &&
                                head[1] == (kHeaderChunk >> 8) &&
                                std::memcmp(head + 6, kSceneMagic, sizeof kSceneMagic) == 0;
            return header ? std::string() : "not a scene file (no header chunk)";
        }};
    return signature;
}

bool LoadSceneFile(const std::filesystem::path& path, const ClassLookup& classes,
                   LoadedScene* scene, std::string* error) {
    try {
        std::vector<unsigned char> bytes;
        std::string why;
        if (!ReadRegularFile(Utf8Path(path), kMaxSceneFileBytes, bytes, why,
                             &SceneFileSignature())) {
            if (error) *error = "cannot open '" + Utf8Path(path) + "': " + why;
            return false;
        }
        return ReadScene(bytes.data(), bytes.size(), classes, scene, error);
    } catch (const std::bad_alloc&) {
        if (error) *error = "not enough memory to load '" + Utf8Path(path) + "'";
        return false;
    } catch (const std::exception& e) {
        if (error) *error = "cannot load '" + Utf8Path(path) + "': " + e.what();
        return false;
    }
}
