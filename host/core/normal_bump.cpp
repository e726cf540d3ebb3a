#include "normal_bump.h"

#include "bitmaptex.h"

#include "shadecontext.h"

#include <cmath>

namespace {

// A unit vector perpendicular to unit n, for surfaces without usable tangents.
Point3 AnyPerpendicular(const Point3& n) {
    const Point3 axis = std::fabs(n.x) < 0.9f ? Point3(1.0f, 0.0f, 0.0f) : Point3(0.0f, 1.0f, 0.0f);
    return Normalize(CrossProd(axis, n));
}

}  // namespace

NormalBumpTex::NormalBumpTex() = default;
NormalBumpTex::~NormalBumpTex() = default;

Class_ID NormalBumpTex::ClassID() { return NORMAL_BUMP_CLASS_ID; }

RefTargetHandle NormalBumpTex::GetReference(int i) { return i == 0 ? normalMap_ : nullptr; }

void NormalBumpTex::SetReference(int i, RefTargetHandle rtarg) {
    if (i != 0) return;
    normalMap_ = dynamic_cast<Texmap*>(rtarg);
    if (auto* bitmap = dynamic_cast<BMTex*>(normalMap_)) bitmap->SetFileGamma(1.0f);
}

void NormalBumpTex::SetNormalMap(Texmap* map) {
    ReplaceReference(0, map);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void NormalBumpTex::SetSubTexmap(int i, Texmap* m) {
    if (i == 0) SetNormalMap(m);
}

MSTR NormalBumpTex::GetSubTexmapSlotName(int i) { return i == 0 ? MSTR(_M("Normal")) : MSTR(); }

RefTargetHandle NormalBumpTex::Clone(RemapDir& remap) {
    auto* clone = new NormalBumpTex();
    *static_cast<MtlBase*>(clone) = *this;
    if (normalMap_) clone->ReplaceReference(0, remap.CloneRef(normalMap_));
    BaseClone(this, clone, remap);
    return clone;
}

AColor NormalBumpTex::EvalColor(ShadeContext& sc) {
    return normalMap_ ? normalMap_->EvalColor(sc) : AColor(0.5f, 0.5f, 1.0f, 1.0f);
}

Point3 NormalBumpTex::EvalNormalPerturb(ShadeContext& sc) {
    if (!normalMap_) return Point3(0.0f, 0.0f, 0.0f);
    const AColor c = normalMap_->EvalColor(sc);
    const Point3 t(2.0f * c.r - 1.0f, 2.0f * c.g - 1.0f, 2.0f * c.b - 1.0f);

    const Point3 n = Normalize(sc.Normal());
    if (n == Point3(0.0f, 0.0f, 0.0f)) return Point3(0.0f, 0.0f, 0.0f);
    Point3 dP[3];
    sc.DPdUVW(dP, 0);
    // An orthonormal frame around the normal, its first axis along +u and its
    // second on the side of +v (mirrored texture coordinates keep their sense).
    Point3 tu = Normalize(dP[0] - n * DotProd(n, dP[0]));
    if (tu == Point3(0.0f, 0.0f, 0.0f)) tu = AnyPerpendicular(n);
    Point3 tv = CrossProd(n, tu);
    if (DotProd(tv, dP[1]) < 0.0f) tv = -tv;

    const Point3 mapped = Normalize(tu * t.x + tv * t.y + n * t.z);
    if (mapped == Point3(0.0f, 0.0f, 0.0f)) return Point3(0.0f, 0.0f, 0.0f);
    return mapped - sc.Normal();
}

void NormalBumpTex::Update(TimeValue t, Interval& valid) {
    if (normalMap_) normalMap_->Update(t, valid);
}

void NormalBumpTex::Reset() { DeleteReference(0); }

Interval NormalBumpTex::Validity(TimeValue t) {
    return normalMap_ ? normalMap_->Validity(t) : FOREVER;
}

Texmap* NewNormalBumpTex(Texmap* normalMap) {
    auto* tex = new NormalBumpTex();
    if (normalMap) tex->SetNormalMap(normalMap);
    return tex;
}
