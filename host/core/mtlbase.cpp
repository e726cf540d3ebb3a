#include "mtl.h"
#include "scene_stream.h"
#include "shadecontext.h"
#include "texmap.h"

// --- ISubMap ------------------------------------------------------------------

ISubMap::~ISubMap() = default;
Texmap* ISubMap::GetSubTexmap(int) { return nullptr; }
void ISubMap::SetSubTexmap(int, Texmap*) {}
MSTR ISubMap::GetSubTexmapSlotName(int) { return MSTR(); }
BOOL ISubMap::SetDlgThing(ParamDlg*) { return FALSE; }

// --- MtlBase ------------------------------------------------------------------

MtlBase::MtlBase() = default;
MtlBase::~MtlBase() = default;

MtlBase& MtlBase::operator=(const MtlBase& m) {
    if (this != &m) {
        name_ = m.name_;
        mtlFlags_ = m.mtlFlags_;
        gbufID = m.gbufID;
    }
    return *this;
}

void MtlBase::SetName(MSTR s) { name_ = s; }
MSTR MtlBase::GetFullName() { return name_; }

void MtlBase::SetMtlFlag(int mask, BOOL val) {
    if (val)
        mtlFlags_ |= static_cast<ULONG>(mask);
    else
        mtlFlags_ &= ~static_cast<ULONG>(mask);
}
void MtlBase::ClearMtlFlag(int mask) { mtlFlags_ &= ~static_cast<ULONG>(mask); }
int MtlBase::TestMtlFlag(int mask) const { return (mtlFlags_ & static_cast<ULONG>(mask)) ? 1 : 0; }

ULONG MtlBase::Requirements(int subMtlNum) {
    ULONG req = LocalRequirements(subMtlNum);
    for (int i = 0; i < NumSubTexmaps(); ++i) {
        if (Texmap* map = GetSubTexmap(i)) req |= map->Requirements(subMtlNum);
    }
    return req;
}

void MtlBase::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
    ReferenceTarget::BaseClone(from, to, remap);
}

// The header's chunks: 0x0001 the name (UTF-16), 0x0002 the flags (u32), 0x0003 the
// G-buffer id (u32). Chunks of other ids are skipped.
namespace {
enum : USHORT { kNameChunk = 0x0001, kFlagsChunk = 0x0002, kGBufChunk = 0x0003 };
}

IOResult MtlBase::Save(ISave* isave) {
    IOResult r = IO_OK;
    isave->BeginChunk(kNameChunk);
    r = isave->WriteWString(name_.data());
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(kFlagsChunk);
    r = WriteValue(isave, static_cast<std::uint32_t>(mtlFlags_));
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(kGBufChunk);
    r = WriteValue(isave, static_cast<std::uint32_t>(gbufID));
    isave->EndChunk();
    return r;
}

IOResult MtlBase::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        switch (iload->CurChunkID()) {
            case kNameChunk: {
                wchar_t* name = nullptr;
                chunk = iload->ReadWStringChunk(&name);
                if (chunk == IO_OK) name_ = name;
                break;
            }
            case kFlagsChunk: {
                std::uint32_t v = 0;
                chunk = ReadValue(iload, v);
                if (chunk == IO_OK) mtlFlags_ = v;
                break;
            }
            case kGBufChunk: {
                std::uint32_t v = 0;
                chunk = ReadValue(iload, v);
                if (chunk == IO_OK) gbufID = v;
                break;
            }
            default:
                break;
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}

// --- Mtl ----------------------------------------------------------------------

Mtl::Mtl() = default;
Mtl::~Mtl() = default;
void Mtl::GetClassName(MSTR& s) { s = _M("Mtl"); }
MSTR Mtl::GetSubMtlSlotName(int) { return MSTR(); }

// --- Texmap -------------------------------------------------------------------

Texmap::Texmap() = default;
Texmap::~Texmap() = default;
void Texmap::GetClassName(MSTR& s) { s = _M("Texture"); }
float Texmap::EvalMono(ShadeContext& sc) { return Intens(EvalColor(sc)); }
