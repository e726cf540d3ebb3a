#include "paramblock2.h"

#include "scene_stream.h"
#include "texmap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

bool g_animating = false;

std::string Narrow(const MCHAR* s) {
    std::string out;
    for (; s && *s; ++s) out += (*s >= 0x20 && *s < 0x7F) ? static_cast<char>(*s) : '?';
    return out;
}

std::string Number(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
    return buf;
}

// Why a float may not enter a block, or null when it may.
const char* NonFinite(float f) {
    if (std::isnan(f)) return "not a number";
    if (std::isinf(f)) return "infinite";
    return nullptr;
}

PB2Value Lerp(const PB2Value& a, const PB2Value& b, float s) {
    PB2Value v;
    v.f = a.f + (b.f - a.f) * s;
    v.i = a.i;
    v.c = a.c + (b.c - a.c) * s;
    return v;
}

bool SameValue(const PB2Value& a, const PB2Value& b) {
    return a.f == b.f && a.i == b.i && a.c == b.c;
}

}  // namespace

BOOL Animating() { return g_animating ? TRUE : FALSE; }
void AnimateOn() { g_animating = true; }
void AnimateOff() { g_animating = false; }

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* owner) {
    if (!pdesc) return nullptr;
    return new ParamBlock2(pdesc, owner);
}

ParamBlock2::ParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner)
    : desc_(desc), owner_(owner) {
    Build();
}

ParamBlock2* ParamBlock2::NewForLoading() { return new ParamBlock2(); }

void ParamBlock2::Build() {
    params_.assign(desc_->Count(), Param());
    ownMaps_.clear();
    for (int i = 0; i < desc_->Count(); ++i) {
        const ParamDef& def = desc_->GetParamDefByIndex(i);
        params_[i].value = def.def;
        if (KindOf(def.type) == Kind::Map && !(def.flags & P_OWNERS_REF))
            ownMaps_.push_back(nullptr);
    }
}

ParamDef& ParamBlock2::GetParamDef(ParamID id) {
    static ParamDef none;
    if (!desc_) {
        none = ParamDef();
        return none;
    }
    return desc_->GetParamDef(id);
}

ParamBlock2::~ParamBlock2() = default;

ParamBlock2::Kind ParamBlock2::KindOf(ParamType2 type) {
    switch (type) {
        case TYPE_FLOAT:
        case TYPE_ANGLE:
        case TYPE_PCNT_FRAC:
        case TYPE_WORLD:
            return Kind::Float;
        case TYPE_INT:
        case TYPE_BOOL:
            return Kind::Int;
        case TYPE_RGBA:
        case TYPE_POINT3:
        case TYPE_FRGBA:
            return Kind::Color;
        case TYPE_TEXMAP:
            return Kind::Map;
        default:
            return Kind::None;
    }
}

const ParamDef* ParamBlock2::Find(ParamID id, int tabIndex, Kind kind, int* index) {
    const int i = desc_ ? desc_->IDtoIndex(id) : -1;
    if (i < 0 || tabIndex != 0) return nullptr;
    const ParamDef& def = desc_->GetParamDefByIndex(i);
    if (KindOf(def.type) != kind) return nullptr;
    *index = i;
    return &def;
}

int ParamBlock2::OwnMapIndex(int paramIndex) const {
    int n = 0;
    for (int i = 0; i < paramIndex; ++i) {
        const ParamDef& def = desc_->GetParamDefByIndex(i);
        if (KindOf(def.type) == Kind::Map && !(def.flags & P_OWNERS_REF)) ++n;
    }
    return n;
}

// Between two keys an interpolated value holds only at its instant, a held one
// until the next key.
PB2Value KeyedValueAt(const std::vector<PB2Key>& keys, const PB2Value& constant, bool stepped,
                      TimeValue t, Interval& valid) {
    if (keys.empty()) return constant;
    if (keys.size() == 1) return keys.front().v;
    const PB2Key& first = keys.front();
    const PB2Key& last = keys.back();
    if (t <= first.t) {
        valid &= Interval(TIME_NegInfinity, first.t);
        return first.v;
    }
    if (t >= last.t) {
        valid &= Interval(last.t, TIME_PosInfinity);
        return last.v;
    }
    auto next = std::upper_bound(keys.begin(), keys.end(), t,
                                 [](TimeValue time, const PB2Key& k) { return time < k.t; });
    const PB2Key& b = *next;
    const PB2Key& a = *(next - 1);
    if (stepped || SameValue(a.v, b.v)) {
        valid &= Interval(a.t, b.t - 1);
        return a.v;
    }
    valid &= Interval(t, t);
    // Keys may lie further apart than an int spans.
    const double s = (static_cast<double>(t) - a.t) / (static_cast<double>(b.t) - a.t);
    return Lerp(a.v, b.v, static_cast<float>(s));
}

PB2Value ParamBlock2::ValueAt(int index, Kind kind, TimeValue t, Interval& valid) const {
    const Param& p = params_[index];
    return KeyedValueAt(p.keys, p.value, kind == Kind::Int, t, valid);
}

ParamBlock2::Verdict ParamBlock2::CheckValue(const ParamDef& def, PB2Value& v, std::string* why) {
    auto say = [why](const std::string& text) {
        if (why) *why = text;
    };
    switch (KindOf(def.type)) {
        case Kind::Float: {
            if (const char* bad = NonFinite(v.f)) return say(bad), Verdict::Refused;
            if (!def.has_range) return Verdict::Kept;
            const float low = def.range_low.f, high = def.range_high.f;
            if (v.f >= low && v.f <= high) return Verdict::Kept;
            const float clamped = std::min(std::max(v.f, low), high);
            say(Number(v.f) + " lies outside its range " + Number(low) + " to " + Number(high) +
                " and becomes " + Number(clamped));
            v.f = clamped;
            return Verdict::Clamped;
        }
        case Kind::Int: {
            // A choice from a list holds one of the list's values, and nothing else.
            const std::vector<int>& choices = def.combo_vals;
            if (!choices.empty() &&
                std::find(choices.begin(), choices.end(), v.i) == choices.end()) {
                std::string list;
                for (int c : choices) list += (list.empty() ? "" : ", ") + std::to_string(c);
                say(std::to_string(v.i) + " is none of its choices (" + list + ")");
                return Verdict::Refused;
            }
            if (!def.has_range) return Verdict::Kept;
            const int low = def.range_low.i, high = def.range_high.i;
            if (v.i >= low && v.i <= high) return Verdict::Kept;
            const int clamped = std::min(std::max(v.i, low), high);
            say(std::to_string(v.i) + " lies outside its range " + std::to_string(low) + " to " +
                std::to_string(high) + " and becomes " + std::to_string(clamped));
            v.i = clamped;
            return Verdict::Clamped;
        }
        case Kind::Color:
            for (float component : {v.c.r, v.c.g, v.c.b}) {
                if (const char* bad = NonFinite(component))
                    return say(std::string("a component is ") + bad), Verdict::Refused;
            }
            return Verdict::Kept;
        default:
            return Verdict::Kept;
    }
}

BOOL ParamBlock2::Set(ParamID id, TimeValue t, PB2Value v, Kind kind, int tabIndex) {
    int index = 0;
    const ParamDef* def = Find(id, tabIndex, kind, &index);
    if (!def) return FALSE;
    // A value that is not a number would poison every interpolation and range
    // check after it, and a choice the list does not hold means nothing: the block
    // keeps what it had.
    if (CheckValue(*def, v) == Verdict::Refused) return FALSE;

    Param& p = params_[index];
    const bool animatable = (def->flags & P_ANIMATABLE) != 0;
    auto keyAt = [&p](TimeValue time) {
        return std::lower_bound(p.keys.begin(), p.keys.end(), time,
                                [](const Key& k, TimeValue tv) { return k.t < tv; });
    };
    if (Animating() && animatable) {
        // The first key away from frame 0 also keys the value the parameter had,
        // at frame 0, so that the change animates from it.
        if (p.keys.empty() && t != 0) p.keys.push_back({0, p.value});
        auto pos = keyAt(t);
        if (pos != p.keys.end() && pos->t == t)
            pos->v = v;
        else
            p.keys.insert(pos, {t, v});
    } else if (!p.keys.empty()) {
        auto at = keyAt(t);
        if (at != p.keys.end() && at->t == t) {
            at->v = v;
        } else {
            // Outside animate mode a change moves the whole animation by the
            // difference at t. A move that would take a key where the parameter
            // cannot go is refused as a whole.
            Interval ignored = FOREVER;
            const PB2Value now = ValueAt(index, kind, t, ignored);
            std::vector<Key> moved = p.keys;
            for (Key& k : moved) {
                switch (kind) {
                    case Kind::Float:
                        k.v.f += v.f - now.f;
                        break;
                    case Kind::Int: {
                        // The difference of two ints need not fit in one.
                        const std::int64_t i =
                            std::int64_t{k.v.i} + (std::int64_t{v.i} - std::int64_t{now.i});
                        k.v.i = static_cast<int>(std::clamp<std::int64_t>(i, INT_MIN, INT_MAX));
                        break;
                    }
                    default:
                        k.v.c += v.c - now.c;
                        break;
                }
                if (CheckValue(*def, k.v) == Verdict::Refused) return FALSE;
            }
            p.keys = std::move(moved);
        }
    } else {
        p.value = v;
    }
    Notify(id);
    return TRUE;
}

void ParamBlock2::Notify(ParamID id) {
    lastNotifyID_ = id;
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    lastNotifyID_ = -1;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex) {
    int index = 0;
    if (!Find(id, tabIndex, Kind::Float, &index)) return FALSE;
    v = ValueAt(index, Kind::Float, t, ivalid).f;
    return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex) {
    int index = 0;
    if (!Find(id, tabIndex, Kind::Int, &index)) return FALSE;
    v = ValueAt(index, Kind::Int, t, ivalid).i;
    return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid, int tabIndex) {
    int index = 0;
    if (!Find(id, tabIndex, Kind::Color, &index)) return FALSE;
    v = ValueAt(index, Kind::Color, t, ivalid).c;
    return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex) {
    Color c;
    if (!GetValue(id, t, c, ivalid, tabIndex)) return FALSE;
    v = Point3(c.r, c.g, c.b);
    return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid, int tabIndex) {
    Color c;
    if (!GetValue(id, t, c, ivalid, tabIndex)) return FALSE;
    v = AColor(c, 1.0f);
    return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue, Texmap*& v, Interval&, int tabIndex) {
    int index = 0;
    const ParamDef* def = Find(id, tabIndex, Kind::Map, &index);
    if (!def) return FALSE;
    ReferenceTarget* target = nullptr;
    if (def->flags & P_OWNERS_REF) {
        if (owner_ && def->ref_no >= 0 && def->ref_no < owner_->NumRefs())
            target = owner_->GetReference(def->ref_no);
    } else {
        target = ownMaps_[OwnMapIndex(index)];
    }
    v = dynamic_cast<Texmap*>(target);
    return TRUE;
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
    PB2Value value;
    value.f = v;
    return Set(id, t, value, Kind::Float, tabIndex);
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
    PB2Value value;
    value.i = v;
    return Set(id, t, value, Kind::Int, tabIndex);
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex) {
    PB2Value value;
    value.c = v;
    return Set(id, t, value, Kind::Color, tabIndex);
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex) {
    return SetValue(id, t, Color(v.x, v.y, v.z), tabIndex);
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex) {
    return SetValue(id, t, Color(v.r, v.g, v.b), tabIndex);
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue, Texmap* v, int tabIndex) {
    int index = 0;
    const ParamDef* def = Find(id, tabIndex, Kind::Map, &index);
    if (!def) return FALSE;
    RefResult result = REF_FAIL;
    if (def->flags & P_OWNERS_REF) {
        // The owner holds the map as its own reference; the block only names it.
        if (owner_ && def->ref_no >= 0 && def->ref_no < owner_->NumRefs())
            result = owner_->ReplaceReference(def->ref_no, v);
    } else {
        result = ReplaceReference(OwnMapIndex(index), v);
    }
    if (result != REF_SUCCEED) return FALSE;
    Notify(id);
    return TRUE;
}

float ParamBlock2::GetFloat(ParamID id, TimeValue t, int tabIndex) {
    float v = 0.0f;
    Interval valid = FOREVER;
    GetValue(id, t, v, valid, tabIndex);
    return v;
}

int ParamBlock2::GetInt(ParamID id, TimeValue t, int tabIndex) {
    int v = 0;
    Interval valid = FOREVER;
    GetValue(id, t, v, valid, tabIndex);
    return v;
}

Color ParamBlock2::GetColor(ParamID id, TimeValue t, int tabIndex) {
    Color v(0.0f, 0.0f, 0.0f);
    Interval valid = FOREVER;
    GetValue(id, t, v, valid, tabIndex);
    return v;
}

AColor ParamBlock2::GetAColor(ParamID id, TimeValue t, int tabIndex) {
    return AColor(GetColor(id, t, tabIndex), 1.0f);
}

Texmap* ParamBlock2::GetTexmap(ParamID id, TimeValue t, int tabIndex) {
    Texmap* v = nullptr;
    Interval valid = FOREVER;
    GetValue(id, t, v, valid, tabIndex);
    return v;
}

void ParamBlock2::ResetAll(BOOL, BOOL) {
    if (!desc_) return;
    for (int i = 0; i < desc_->Count(); ++i) {
        params_[i].value = desc_->GetParamDefByIndex(i).def;
        params_[i].keys.clear();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

BOOL ParamBlock2::IsAnimated(ParamID id) {
    const int i = desc_ ? desc_->IDtoIndex(id) : -1;
    return (i >= 0 && params_[i].keys.size() > 1) ? TRUE : FALSE;
}

const std::vector<ParamBlock2::Key>& ParamBlock2::Keys(ParamID id) const {
    static const std::vector<Key> none;
    const int i = desc_ ? desc_->IDtoIndex(id) : -1;
    return i < 0 ? none : params_[i].keys;
}

BOOL ParamBlock2::SetKeys(ParamID id, std::vector<Key> keys) {
    const int i = desc_ ? desc_->IDtoIndex(id) : -1;
    if (i < 0) return FALSE;
    return RestoreParam(id, params_[i].value, std::move(keys), nullptr, nullptr) ? TRUE : FALSE;
}

bool ParamBlock2::RestoreParam(ParamID id, PB2Value value, std::vector<Key> keys,
                               std::string* refusal, std::vector<std::string>* notes) {
    auto refuse = [refusal](const std::string& why) {
        if (refusal) *refusal = why;
        return false;
    };
    const int index = desc_ ? desc_->IDtoIndex(id) : -1;
    if (index < 0) return refuse("parameter " + std::to_string(id) + " does not exist");
    const ParamDef& def = desc_->GetParamDefByIndex(index);
    const Kind kind = KindOf(def.type);
    // Said only when something is refused or clamped.
    auto where = [&def](const Key* key) {
        std::string text = "parameter " + Narrow(def.int_name);
        if (key) text += ", key at time " + std::to_string(key->t);
        return text;
    };
    if (kind != Kind::Float && kind != Kind::Int && kind != Kind::Color)
        return refuse(where(nullptr) + " holds no value of its own");

    std::stable_sort(keys.begin(), keys.end(),
                     [](const Key& a, const Key& b) { return a.t < b.t; });
    std::string why, firstClamp;
    int clamped = 0;
    auto admit = [&](PB2Value& v, const Key* key) {
        const Verdict verdict = CheckValue(def, v, &why);
        if (verdict == Verdict::Refused) return refuse(where(key) + ": " + why);
        if (verdict == Verdict::Clamped && clamped++ == 0) firstClamp = where(key) + ": " + why;
        return true;
    };
    if (!admit(value, nullptr)) return false;
    for (std::size_t n = 0; n < keys.size(); ++n) {
        if (n > 0 && keys[n].t == keys[n - 1].t)
            return refuse(where(&keys[n]) + ": a second key at this time");
        if (!admit(keys[n].v, &keys[n])) return false;
    }
    if (!(def.flags & P_ANIMATABLE) && !keys.empty()) {
        Interval ignored = FOREVER;
        value = KeyedValueAt(keys, value, kind == Kind::Int, 0, ignored);
        keys.clear();
    }
    params_[index].value = value;
    params_[index].keys = std::move(keys);
    if (clamped > 0 && notes) {
        notes->push_back(firstClamp + (clamped > 1 ? " (and " + std::to_string(clamped - 1) +
                                                         " more of its values were clamped)"
                                                   : ""));
    }
    return true;
}

RefTargetHandle ParamBlock2::GetReference(int i) {
    return (i >= 0 && i < NumRefs()) ? ownMaps_[i] : nullptr;
}

void ParamBlock2::SetReference(int i, RefTargetHandle rtarg) {
    if (i >= 0 && i < NumRefs()) ownMaps_[i] = rtarg;
}

// A block made without an owner (a clone, or one read from a file), or whose
// owner let it go, belongs to the next object that references it.
void ParamBlock2::RefAdded(RefMakerHandle rm) {
    if (rm && rm->CountsAsOwner() && (!owner_ || !IsDependent(owner_))) owner_ = rm;
}

void ParamBlock2::DependentDropped(ReferenceMaker* maker) {
    if (maker == owner_) owner_ = nullptr;
}

RefTargetHandle ParamBlock2::Clone(RemapDir& remap) {
    auto* clone = new ParamBlock2(desc_, nullptr);
    clone->params_ = params_;
    for (int i = 0; i < NumRefs(); ++i) {
        if (ownMaps_[i]) clone->ReplaceReference(i, remap.CloneRef(ownMaps_[i]));
    }
    BaseClone(this, clone, remap);
    return clone;
}

// --- Scene files ----------------------------------------------------------------
//
// 0x0001 the descriptor: super class (u32), class id parts A and B (u32) of the class
//        that declares it, and the block id (i16)
// 0x0010 one per parameter with a value: id (i16), kind (u8: 0 float, 1 integer,
//        2 colour), the constant value, key count (u32), then each key's time (i32)
//        and value. Maps are references and are stored as such.

namespace {

enum : USHORT { kDescChunk = 0x0001, kParamChunk = 0x0010 };

IOResult WriteKindValue(ISave* isave, int kind, const PB2Value& v) {
    switch (kind) {
        case 0:
            return WriteValue(isave, v.f);
        case 1:
            return WriteValue(isave, v.i);
        default:
            return WriteValue(isave, v.c);
    }
}

IOResult ReadKindValue(ILoad* iload, int kind, PB2Value& v) {
    switch (kind) {
        case 0:
            return ReadValue(iload, v.f);
        case 1:
            return ReadValue(iload, v.i);
        default:
            return ReadValue(iload, v.c);
    }
}

}  // namespace

IOResult ParamBlock2::Save(ISave* isave) {
    if (!desc_ || !desc_->cd) return IO_ERROR;
    IOResult r = IO_OK;
    auto keep = [&r](IOResult x) {
        if (r == IO_OK) r = x;
    };
    isave->BeginChunk(kDescChunk);
    keep(WriteValue(isave, static_cast<std::uint32_t>(desc_->cd->SuperClassID())));
    keep(WriteValue(isave, static_cast<std::uint32_t>(desc_->cd->ClassID().PartA())));
    keep(WriteValue(isave, static_cast<std::uint32_t>(desc_->cd->ClassID().PartB())));
    keep(WriteValue(isave, static_cast<std::int16_t>(desc_->ID)));
    isave->EndChunk();
    for (int i = 0; i < desc_->Count(); ++i) {
        const ParamDef& def = desc_->GetParamDefByIndex(i);
        const Kind kind = KindOf(def.type);
        if (kind == Kind::Map || kind == Kind::None) continue;
        const int k = kind == Kind::Float ? 0 : kind == Kind::Int ? 1 : 2;
        const Param& p = params_[i];
        isave->BeginChunk(kParamChunk);
        keep(WriteValue(isave, static_cast<std::int16_t>(def.ID)));
        keep(WriteValue(isave, static_cast<std::uint8_t>(k)));
        keep(WriteKindValue(isave, k, p.value));
        keep(WriteValue(isave, static_cast<std::uint32_t>(p.keys.size())));
        for (const Key& key : p.keys) {
            keep(WriteValue(isave, key.t));
            keep(WriteKindValue(isave, k, key.v));
        }
        isave->EndChunk();
    }
    return r;
}

IOResult ParamBlock2::Load(ILoad* iload) {
    auto* reader = dynamic_cast<ChunkReader*>(iload);
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        if (iload->CurChunkID() == kDescChunk) {
            std::uint32_t sclass = 0, a = 0, b = 0;
            std::int16_t blockId = 0;
            chunk = ReadValue(iload, sclass);
            if (chunk == IO_OK) chunk = ReadValue(iload, a);
            if (chunk == IO_OK) chunk = ReadValue(iload, b);
            if (chunk == IO_OK) chunk = ReadValue(iload, blockId);
            if (chunk == IO_OK) {
                // The class that declares the block is found as the loader finds
                // every class of the file.
                ClassDesc* cd = reader ? reader->FindClass(sclass, Class_ID(a, b)) : nullptr;
                ParamBlockDesc2* desc = cd ? cd->GetParamBlockDescByID(blockId) : nullptr;
                if (!desc || desc_) {
                    chunk = IO_ERROR;
                } else {
                    desc_ = desc;
                    Build();
                }
            }
        } else if (iload->CurChunkID() == kParamChunk) {
            std::int16_t id = 0;
            std::uint8_t k = 0;
            PB2Value value;
            std::uint32_t count = 0;
            chunk = desc_ ? ReadValue(iload, id) : IO_ERROR;
            if (chunk == IO_OK) chunk = ReadValue(iload, k);
            if (chunk == IO_OK && k > 2) chunk = IO_ERROR;
            if (chunk == IO_OK) chunk = ReadKindValue(iload, k, value);
            if (chunk == IO_OK) chunk = ReadValue(iload, count);
            std::vector<Key> keys;
            const std::uint64_t valueSize = k == 2 ? 12 : 4;
            if (chunk == IO_OK &&
                iload->CurChunkLength() != 2 + 1 + valueSize + 4 + count * (4 + valueSize))
                chunk = IO_ERROR;
            for (std::uint32_t n = 0; chunk == IO_OK && n < count; ++n) {
                Key key{};
                chunk = ReadValue(iload, key.t);
                if (chunk == IO_OK) chunk = ReadKindValue(iload, k, key.v);
                // Keys are stored in time order, one per time.
                if (chunk == IO_OK && !keys.empty() && key.t <= keys.back().t) chunk = IO_ERROR;
                keys.push_back(key);
            }
            const int index = chunk == IO_OK ? desc_->IDtoIndex(id) : -1;
            // A parameter that is gone, or whose type changed, keeps its default. A
            // value the block would refuse if it were set fails the load.
            if (index >= 0) {
                const Kind kind = KindOf(desc_->GetParamDefByIndex(index).type);
                const int expected = kind == Kind::Float   ? 0
                                     : kind == Kind::Int   ? 1
                                     : kind == Kind::Color ? 2
                                                           : -1;
                std::string refusal;
                std::vector<std::string> notes;
                if (expected == k && !RestoreParam(id, value, std::move(keys), &refusal, &notes)) {
                    if (reader) reader->Fail(refusal);
                    chunk = IO_ERROR;
                }
                for (const std::string& note : notes) {
                    if (reader) reader->AddNote(note);
                }
            }
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    if (r == IO_ERROR || !desc_) return IO_ERROR;
    return IO_OK;
}
