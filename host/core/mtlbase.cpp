#include "mtl.h"
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
