// The material object: identity, references and sub-maps, construction, cloning,
// reset, and the host's colour queries and setters.
#include "material/lumra_mtl.h"

#include "material/param_table.h"
#include "material/preview_environment.h"
#include "plugin/class_desc.h"
#include "plugin/string_table.h"
#include "ui/lumra_dlg_proc.h"
#include "ui/resource.h"

namespace {

// The first material of the module configures the preview environment.
bool previewEnvironmentConfigured = false;

// 0.8 times the Rec. 709 luminance weights, the transparency the host's viewport
// and legacy renderers see.
constexpr float kXParencyRed = 0.17008f;
constexpr float kXParencyGreen = 0.57216f;
constexpr float kXParencyBlue = 0.05776f;
// Share of the reflection colour that the simple diffuse colour shows.
constexpr float kReflectionInDiffuse = 0.01f;

}  // namespace

LumraMtl::LumraMtl(BOOL loading) {
    if (!previewEnvironmentConfigured) {
        previewEnvironmentConfigured = true;
        previewEnvironment.Configure();
    }
    // A material made for loading receives its block from the scene file.
    if (!loading) lumraMaterialClassDesc.MakeAutoParamBlocks(this);
}

LumraMtl::~LumraMtl() = default;

void LumraMtl::DeleteThis() { delete this; }

void LumraMtl::GetClassName(MSTR& s) { s = GetString(IDS_CLASS_NAME); }

Animatable* LumraMtl::SubAnim(int i) { return GetReference(i); }

MSTR LumraMtl::SubAnimName(int) { return MSTR(); }

IParamBlock2* LumraMtl::GetParamBlock(int i) { return i == 0 ? pblock : nullptr; }

IParamBlock2* LumraMtl::GetParamBlockByID(BlockID id) {
    return id == kLumraParamBlockId ? pblock : nullptr;
}

RefTargetHandle LumraMtl::GetReference(int i) {
    if (i >= 0 && i < kNumMapSlots) return texmaps[i];
    if (i == kParamBlockRef) return pblock;
    return nullptr;
}

// A parameter block lands in pblock whatever index it comes with; anything else
// (or none) at a map index fills or empties that slot.
void LumraMtl::SetReference(int i, RefTargetHandle rtarg) {
    if (i < 0 || i > kParamBlockRef) return;
    MSTR className;
    if (rtarg) rtarg->GetClassName(className);
    // A damaged scene file can offer an object of another kind; it is not taken.
    if (i < kNumMapSlots && className != MSTR(L"ParamBlock2"))
        texmaps[i] = dynamic_cast<Texmap*>(rtarg);
    else
        pblock = dynamic_cast<IParamBlock2*>(rtarg);
}

RefTargetHandle LumraMtl::Clone(RemapDir& remap) {
    auto* mtl = new LumraMtl(FALSE);
    *static_cast<MtlBase*>(mtl) = *this;
    mtl->ReplaceReference(kParamBlockRef, remap.CloneRef(pblock));
    mtl->cached = cached;
    mtl->ivalid = FOREVER;
    for (int i = 0; i < kNumMapSlots; ++i) {
        if (texmaps[i]) mtl->ReplaceReference(i, remap.CloneRef(texmaps[i]));
    }
    BaseClone(this, mtl, remap);
    return mtl;
}

ULONG LumraMtl::Requirements(int) { return MTLREQ_TRANSP | MTLREQ_UV | MTLREQ_TRANSP_IN_VP; }

// Maps go and parameters return to their defaults; the cached values stay until
// the next refresh, and the retired specular layer's values stay for good.
void LumraMtl::Reset() {
    ivalid = NEVER;
    for (int i = 0; i < kNumMapSlots; ++i) {
        if (texmaps[i]) {
            DeleteReference(i);
            texmaps[i] = nullptr;
        }
    }
    lumraMaterialClassDesc.MakeAutoParamBlocks(this);
}

// The panel is the class descriptor's automatic one, with the material's own
// procedure on its parameter map. No procedure is made for a panel that could not be
// built: it would stay on the descriptor, owned by no map.
ParamDlg* LumraMtl::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) {
    IAutoMParamDlg* masterDlg = lumraMaterialClassDesc.CreateParamDlgs(hwMtlEdit, imp, this);
    if (masterDlg) lumraParamBlockDesc.SetUserDlgProc(0, new LumraMtlDlgProc(this));  // the one map
    return masterDlg;
}

// --- The host's simple colour model, from the cached values ---------------------

BOOL LumraMtl::GetTransparencyHint(TimeValue, Interval&) {
    const Color& c = cached.transparencyColor;
    return (c.r + c.g + c.b) * TransparencyMult() > 0.0f ? TRUE : FALSE;
}

Color LumraMtl::GetAmbient(int mtlNum, BOOL backFace) { return GetDiffuse(mtlNum, backFace); }

Color LumraMtl::GetDiffuse(int, BOOL) {
    return cached.diffuseColor * cached.diffuseMult +
           cached.reflectColor * cached.reflectMult * kReflectionInDiffuse;
}

Color LumraMtl::GetSpecular(int, BOOL) { return cached.reflectColor * cached.reflectMult; }

float LumraMtl::GetShininess(int, BOOL) { return cached.reflGloss; }

float LumraMtl::GetShinStr(int, BOOL) { return 1.0f; }

// The host's transparency is at most full: a larger multiplier is lowered to 1 in
// the cached value itself. Render threads may be reading it meanwhile, so it is
// read and written as an atomic value.
float LumraMtl::GetXParency(int, BOOL) {
    std::atomic_ref<float> mult(cached.transparencyMult);
    if (mult.load(std::memory_order_relaxed) > 1.0f) mult.store(1.0f, std::memory_order_relaxed);
    const Color& c = cached.transparencyColor;
    return (kXParencyRed * c.r + kXParencyGreen * c.g + kXParencyBlue * c.b) *
           mult.load(std::memory_order_relaxed);
}

BOOL LumraMtl::GetSelfIllumColorOn(int, BOOL) { return TRUE; }

float LumraMtl::GetSelfIllum(int, BOOL) { return 0.0f; }

// Emission compressed into [0, 1) per channel.
Color LumraMtl::GetSelfIllumColor(int, BOOL) {
    const Color e = cached.emissionColor * cached.emissionMult;
    return Color(e.r / (e.r + 1.0f), e.g / (e.g + 1.0f), e.b / (e.b + 1.0f));
}

Sampler* LumraMtl::GetPixelSampler(int, BOOL) { return nullptr; }

float LumraMtl::WireSize(int, BOOL) { return 1.0f; }

void LumraMtl::SetAmbient(Color, TimeValue) {}

void LumraMtl::SetDiffuse(Color c, TimeValue t) {
    cached.diffuseColor = c;
    if (pblock) pblock->SetValue(mtl_diffuse_color, t, c);
    NotifyChanged();
}

void LumraMtl::SetSpecular(Color c, TimeValue t) {
    cached.specularColor = c;
    if (pblock) pblock->SetValue(mtl_specular_color, t, c);
    NotifyChanged();
}

// The host's shininess lands in the retired specular roughness and in the
// reflection roughness parameter, the same value in both.
void LumraMtl::SetShininess(float v, TimeValue t) {
    cached.specularRoughness = v;
    if (pblock) pblock->SetValue(mtl_reflect_roughness, t, v);
    NotifyChanged();
}

// The material has no sub-materials, so there is nothing to set.
void LumraMtl::SetSubMtl(int, Mtl*) {}

MSTR LumraMtl::GetSubMtlSlotName(int) { return MSTR(); }

// --- Sub-textures ---------------------------------------------------------------

Texmap* LumraMtl::GetSubTexmap(int i) {
    return (i >= 0 && i < kNumMapSlots) ? texmaps[i] : nullptr;
}

void LumraMtl::SetSubTexmap(int i, Texmap* m) {
    if (i >= 0 && i < kNumMapSlots) {
        ReplaceReference(i, m, TRUE);
        if (pblock) pblock->SetValue(kSlotParamIds[i], 0, m, 0);
    }
    NotifyChanged();
}

// A slot is named by its map parameter's label.
MSTR LumraMtl::GetSubTexmapSlotName(int i) {
    if (i < 0 || i >= kNumMapSlots) return MSTR();
    return MSTR(GetString(FindParamSpec(kSlotParamIds[i])->label));
}

void LumraMtl::NotifyChanged() { NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); }
