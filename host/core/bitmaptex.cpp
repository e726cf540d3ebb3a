#include "bitmaptex.h"

#include "scene_stream.h"
#include "shadecontext.h"

// --- StdUVGenImpl -------------------------------------------------------------

void StdUVGenImpl::Reset() {
    slotType_ = MAPSLOT_TEXTURE;
    mapping_ = UVMAP_EXPLICIT;
    uOffs_ = vOffs_ = 0.0f;
    uScl_ = vScl_ = 1.0f;
}

RefTargetHandle StdUVGenImpl::Clone(RemapDir& remap) {
    auto* clone = new StdUVGenImpl();
    *static_cast<MtlBase*>(clone) = *this;
    clone->slotType_ = slotType_;
    clone->mapping_ = mapping_;
    clone->uOffs_ = uOffs_;
    clone->vOffs_ = vOffs_;
    clone->uScl_ = uScl_;
    clone->vScl_ = vScl_;
    BaseClone(this, clone, remap);
    return clone;
}

// --- BMTex --------------------------------------------------------------------

BMTex::BMTex(BOOL loading) {
    if (!loading) ReplaceReference(0, new StdUVGenImpl());
}
BMTex::~BMTex() = default;

void BMTex::SetReference(int i, RefTargetHandle rtarg) {
    if (i == 0) uvGen_ = dynamic_cast<StdUVGen*>(rtarg);
}

void BMTex::SetMapName(const MCHAR* name, bool) {
    mapName_ = name ? name : L"";
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void BMTex::Reset() {
    mapName_.clear();
    filterType_ = FILTER_PYR;
    alphaSource_ = ALPHA_FILE;
    endCondition_ = END_LOOP;
    alphaAsMono_ = FALSE;
    if (uvGen_) uvGen_->Reset();
}

AColor BMTex::EvalColor(ShadeContext&) { return AColor(0.0f, 0.0f, 0.0f, 1.0f); }
Point3 BMTex::EvalNormalPerturb(ShadeContext&) { return Point3(0.0f, 0.0f, 0.0f); }

RefTargetHandle BMTex::Clone(RemapDir& remap) {
    auto* clone = new BMTex();
    *static_cast<MtlBase*>(clone) = *this;
    clone->ReplaceReference(0, remap.CloneRef(uvGen_));
    clone->mapName_ = mapName_;
    clone->filterType_ = filterType_;
    clone->alphaSource_ = alphaSource_;
    clone->endCondition_ = endCondition_;
    clone->alphaAsMono_ = alphaAsMono_;
    BaseClone(this, clone, remap);
    return clone;
}

BitmapTex* NewDefaultBitmapTex() { return new BMTex(); }

// --- Scene files ----------------------------------------------------------------
//
// Both classes write the common header (0x4000) and then their settings: the
// coordinates 0x1000 (slot type, mapping: i32; offsets and scales: f32), the bitmap
// 0x1000 (file name, UTF-16) and 0x1001 (filter, alpha source, end condition, alpha
// as mono: i32). The bitmap's coordinates object is its reference 0.

namespace {

enum : USHORT { kHeaderChunk = 0x4000, kSettingsChunk = 0x1000, kMoreSettingsChunk = 0x1001 };

IOResult SaveHeader(MtlBase* m, ISave* isave) {
    isave->BeginChunk(kHeaderChunk);
    const IOResult r = m->MtlBase::Save(isave);
    isave->EndChunk();
    return r;
}

}  // namespace

IOResult StdUVGenImpl::Save(ISave* isave) {
    IOResult r = SaveHeader(this, isave);
    if (r != IO_OK) return r;
    isave->BeginChunk(kSettingsChunk);
    for (int v : {slotType_, mapping_}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    for (float v : {uOffs_, vOffs_, uScl_, vScl_}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    isave->EndChunk();
    return r;
}

IOResult StdUVGenImpl::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        switch (iload->CurChunkID()) {
            case kHeaderChunk: chunk = MtlBase::Load(iload); break;
            case kSettingsChunk:
                for (int* v : {&slotType_, &mapping_}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                for (float* v : {&uOffs_, &vOffs_, &uScl_, &vScl_}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                break;
            default: break;
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}

IOResult BMTex::Save(ISave* isave) {
    IOResult r = SaveHeader(this, isave);
    if (r != IO_OK) return r;
    isave->BeginChunk(kSettingsChunk);
    r = isave->WriteWString(mapName_.c_str());
    isave->EndChunk();
    isave->BeginChunk(kMoreSettingsChunk);
    for (int v : {filterType_, alphaSource_, endCondition_, static_cast<int>(alphaAsMono_)}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    isave->EndChunk();
    return r;
}

IOResult BMTex::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        switch (iload->CurChunkID()) {
            case kHeaderChunk: chunk = MtlBase::Load(iload); break;
            case kSettingsChunk: {
                wchar_t* name = nullptr;
                chunk = iload->ReadWStringChunk(&name);
                if (chunk == IO_OK) mapName_ = name;
                break;
            }
            case kMoreSettingsChunk:
                for (int* v : {&filterType_, &alphaSource_, &endCondition_, &alphaAsMono_}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                break;
            default: break;
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}
