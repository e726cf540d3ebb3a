#include "paramblock.h"

#include "scene_stream.h"

#include <algorithm>
#include <string>

namespace {

// Entry types that hold a value, and how it is read: 0 float, 1 integer, 2 colour.
int KindOf(ParamType type) {
    switch (type) {
        case TYPE_FLOAT:
            return 0;
        case TYPE_INT:
        case TYPE_BOOL:
            return 1;
        case TYPE_RGBA:
        case TYPE_POINT3:
            return 2;
        default:
            return -1;
    }
}

IOResult WriteKind(ISave* isave, int kind, const PB2Value& v) {
    return kind == 0   ? WriteValue(isave, v.f)
           : kind == 1 ? WriteValue(isave, v.i)
                       : WriteValue(isave, v.c);
}

IOResult ReadKind(ILoad* iload, int kind, PB2Value& v) {
    return kind == 0   ? ReadValue(iload, v.f)
           : kind == 1 ? ReadValue(iload, v.i)
                       : ReadValue(iload, v.c);
}

enum : USHORT { kVersionChunk = 0x0001, kEntryChunk = 0x0010 };

}  // namespace

IParamBlock* CreateParameterBlock(ParamBlockDescID* pdesc, int count, DWORD version) {
    if (!pdesc || count < 0) return nullptr;
    return new ParamBlock(pdesc, count, version);
}

ParamBlock::ParamBlock(const ParamBlockDescID* desc, int count, DWORD version) : version_(version) {
    for (int i = 0; desc && i < count; ++i)
        entries_.push_back({desc[i].type, desc[i].animatable, PB2Value(), {}});
}

ParamBlock::~ParamBlock() = default;

ParamType ParamBlock::GetParameterType(int i) {
    return (i >= 0 && i < NumParams()) ? entries_[i].type : TYPE_USER;
}

BOOL ParamBlock::IsEntryAnimatable(int i) const {
    return (i >= 0 && i < static_cast<int>(entries_.size())) ? entries_[i].animatable : FALSE;
}

ParamBlock::Entry* ParamBlock::Find(int i, ParamType type) {
    if (i < 0 || i >= NumParams()) return nullptr;
    Entry& e = entries_[i];
    const int kind = KindOf(e.type);
    return (kind >= 0 && kind == KindOf(type)) ? &e : nullptr;
}

PB2Value ParamBlock::ValueAt(const Entry& e, TimeValue t, Interval& valid) const {
    return KeyedValueAt(e.keys, e.value, KindOf(e.type) == 1, t, valid);
}

BOOL ParamBlock::GetValueAt(int i, TimeValue t, float& v, Interval& ivalid) {
    const Entry* e = Find(i, TYPE_FLOAT);
    if (!e) return FALSE;
    v = ValueAt(*e, t, ivalid).f;
    return TRUE;
}

BOOL ParamBlock::GetValueAt(int i, TimeValue t, int& v, Interval& ivalid) {
    const Entry* e = Find(i, TYPE_INT);
    if (!e) return FALSE;
    v = ValueAt(*e, t, ivalid).i;
    return TRUE;
}

BOOL ParamBlock::GetValueAt(int i, TimeValue t, Color& v, Interval& ivalid) {
    const Entry* e = Find(i, TYPE_RGBA);
    if (!e) return FALSE;
    v = ValueAt(*e, t, ivalid).c;
    return TRUE;
}

// Outside animate mode a value replaces the constant (or the key at t); in animate
// mode an animatable entry gets a key at t.
BOOL ParamBlock::Set(int i, ParamType type, TimeValue t, PB2Value v) {
    Entry* e = Find(i, type);
    if (!e) return FALSE;
    if (Animating() && e->animatable) {
        if (e->keys.empty() && t != 0) e->keys.push_back({0, e->value});
        auto pos = std::lower_bound(e->keys.begin(), e->keys.end(), t,
                                    [](const Key& k, TimeValue tv) { return k.t < tv; });
        if (pos != e->keys.end() && pos->t == t)
            pos->v = v;
        else
            e->keys.insert(pos, {t, v});
    } else {
        e->value = v;
        for (Key& k : e->keys) {
            if (k.t == t) k.v = v;
        }
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    return TRUE;
}

BOOL ParamBlock::SetValueAt(int i, TimeValue t, float v) {
    PB2Value value;
    value.f = v;
    return Set(i, TYPE_FLOAT, t, value);
}

BOOL ParamBlock::SetValueAt(int i, TimeValue t, int v) {
    PB2Value value;
    value.i = v;
    return Set(i, TYPE_INT, t, value);
}

BOOL ParamBlock::SetValueAt(int i, TimeValue t, const Color& v) {
    PB2Value value;
    value.c = v;
    return Set(i, TYPE_RGBA, t, value);
}

const PB2Value* ParamBlock::Value(int i) const {
    return (i >= 0 && i < static_cast<int>(entries_.size())) ? &entries_[i].value : nullptr;
}

const std::vector<ParamBlock::Key>& ParamBlock::Keys(int i) const {
    static const std::vector<Key> none;
    return (i >= 0 && i < static_cast<int>(entries_.size())) ? entries_[i].keys : none;
}

BOOL ParamBlock::SetKeys(int i, std::vector<Key> keys) {
    if (i < 0 || i >= NumParams()) return FALSE;
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.t < b.t; });
    entries_[i].keys = std::move(keys);
    return TRUE;
}

ParamDef& ParamBlock::GetParamDef(ParamID) {
    static ParamDef none;
    none = ParamDef();
    return none;
}

RefTargetHandle ParamBlock::Clone(RemapDir& remap) {
    auto* clone = new ParamBlock(nullptr, 0, version_);
    clone->entries_ = entries_;
    BaseClone(this, clone, remap);
    return clone;
}

// 0x0001 the layout's version (u32)
// 0x0010 one per entry, in entry order: type (u8), animatable (u8), the constant
//        value, key count (u32), then each key's time (i32) and value. A user-type
//        entry has no value and no keys.
IOResult ParamBlock::Save(ISave* isave) {
    IOResult r = IO_OK;
    auto keep = [&r](IOResult x) {
        if (r == IO_OK) r = x;
    };
    isave->BeginChunk(kVersionChunk);
    keep(WriteValue(isave, static_cast<std::uint32_t>(version_)));
    isave->EndChunk();
    for (const Entry& e : entries_) {
        isave->BeginChunk(kEntryChunk);
        keep(WriteValue(isave, static_cast<std::uint8_t>(e.type)));
        keep(WriteValue(isave, static_cast<std::uint8_t>(e.animatable ? 1 : 0)));
        const int kind = KindOf(e.type);
        if (kind >= 0) {
            keep(WriteKind(isave, kind, e.value));
            keep(WriteValue(isave, static_cast<std::uint32_t>(e.keys.size())));
            for (const Key& k : e.keys) {
                keep(WriteValue(isave, k.t));
                keep(WriteKind(isave, kind, k.v));
            }
        }
        isave->EndChunk();
    }
    return r;
}

IOResult ParamBlock::Load(ILoad* iload) {
    entries_.clear();
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        if (iload->CurChunkID() == kVersionChunk) {
            std::uint32_t v = 0;
            chunk = ReadValue(iload, v);
            version_ = v;
        } else if (iload->CurChunkID() == kEntryChunk) {
            std::uint8_t type = 0, animatable = 0;
            chunk = ReadValue(iload, type);
            if (chunk == IO_OK) chunk = ReadValue(iload, animatable);
            // Only the first edition's own types: float, integer, colour, point,
            // switch and user.
            if (chunk == IO_OK && type > 5) chunk = IO_ERROR;
            if (chunk != IO_OK) type = 5;
            Entry e{static_cast<ParamType>(type), animatable ? TRUE : FALSE, PB2Value(), {}};
            const int kind = KindOf(e.type);
            if (chunk == IO_OK && kind >= 0) {
                std::uint32_t count = 0;
                chunk = ReadKind(iload, kind, e.value);
                if (chunk == IO_OK) chunk = ReadValue(iload, count);
                const std::uint64_t valueSize = kind == 2 ? 12 : 4;
                if (chunk == IO_OK &&
                    iload->CurChunkLength() != 2 + valueSize + 4 + count * (4 + valueSize))
                    chunk = IO_ERROR;
                for (std::uint32_t n = 0; chunk == IO_OK && n < count; ++n) {
                    Key k{};
                    chunk = ReadValue(iload, k.t);
                    if (chunk == IO_OK) chunk = ReadKind(iload, kind, k.v);
                    if (chunk == IO_OK && !e.keys.empty() && k.t <= e.keys.back().t)
                        chunk = IO_ERROR;
                    e.keys.push_back(k);
                }
            }
            entries_.push_back(std::move(e));
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}

// --- The upgrade to the second edition --------------------------------------------

namespace {

// Carries the old block's entries into the new block by id: the constant and the
// keys, each checked as every value entering a block is (a parameter that is not
// animatable takes the value at time 0). False, with the reason, when a value is
// refused.
bool CarryOver(ParamBlock* old, const ParamVersionDesc& layout, ParamBlock2* block,
               std::string* refusal, std::vector<std::string>* notes) {
    ParamBlockDesc2* desc = block->GetDesc();
    const int n = std::min(layout.count, old->NumParams());
    for (int i = 0; i < n; ++i) {
        const ParamBlockDescID& entry = layout.desc[i];
        const ParamID id = entry.pb2_id == -2 ? static_cast<ParamID>(entry.id) : entry.pb2_id;
        if (id == -1) continue;
        const int kind = KindOf(old->GetParameterType(i));
        if (kind < 0 || kind != KindOf(entry.type)) continue;
        const int index = desc->IDtoIndex(id);
        if (index < 0) continue;
        if (KindOf(desc->GetParamDefByIndex(index).type) != kind) continue;
        if (!block->RestoreParam(id, *old->Value(i), old->Keys(i), refusal, notes)) return false;
    }
    return true;
}

}  // namespace

void ParamBlock2PLCB::proc(ILoad* iload) {
    auto* reader = dynamic_cast<ChunkReader*>(iload);
    ReferenceTarget* found = (targ && pbRefNum >= 0 && pbRefNum < targ->NumRefs())
                                 ? targ->GetReference(pbRefNum)
                                 : nullptr;
    auto* old = dynamic_cast<ParamBlock*>(found);
    if (old && curdesc) {
        const ParamVersionDesc* layout = nullptr;
        for (int v = 0; versions && v < count; ++v) {
            if (versions[v].version == old->GetVersion()) layout = &versions[v];
        }
        auto* block = static_cast<ParamBlock2*>(CreateParameterBlock2(curdesc, targ));
        const std::string version = std::to_string(old->GetVersion());
        std::string refusal;
        std::vector<std::string> notes;
        if (!layout) {
            // A layout this plug-in does not know: nothing can be read from it, and the
            // owner gets a block of defaults rather than one it cannot use.
            notes.push_back("a parameter block of unknown layout version " + version +
                            " was replaced by defaults");
        } else if (CarryOver(old, *layout, block, &refusal, &notes)) {
            notes.insert(notes.begin(), "a parameter block of layout version " + version + " (" +
                                            std::to_string(layout->count) +
                                            " entries) was upgraded");
        } else {
            // The old block holds a value that no block may hold: the load fails, as
            // it does for such a value in a block of the current edition.
            if (reader)
                reader->Fail("the parameter block of layout version " + version + ": " + refusal);
            block->DeleteMe();
            block = nullptr;
        }
        if (reader) {
            for (const std::string& note : notes) reader->AddNote(note);
        }
        if (block && targ->ReplaceReference(pbRefNum, block) != REF_SUCCEED) block->DeleteMe();
    }
    delete this;
}
