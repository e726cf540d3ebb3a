#include "bitmaptex.h"

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

BMTex::BMTex() { ReplaceReference(0, new StdUVGenImpl()); }
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
