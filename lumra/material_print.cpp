// Printing a material as `show` and `load` do: every parameter of its block, then
// what the renderer reads through ILumraMtl after an update.
#include "material_print.h"

#include "param_text.h"
#include "text.h"

#include "material/ilumramtl.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace {

std::string GetterText(float v) { return FormatFloat(v); }
std::string GetterText(int v) { return std::to_string(v); }
std::string GetterText(bool v) { return v ? "true" : "false"; }
std::string GetterText(Color c) {
    return FormatFloat(c.r) + "," + FormatFloat(c.g) + "," + FormatFloat(c.b);
}
std::string GetterText(Texmap* map) { return FormatMap(map); }

// One getter of ILumraMtl, called through the interface as the renderer calls it.
struct Getter {
    const char* name;
    std::string (*text)(ILumraMtl& mtl);
};

template <auto Get>
std::string Call(ILumraMtl& mtl) {
    return GetterText((mtl.*Get)());
}

// In the interface's order.
const Getter kGetters[] = {
    {"GetDiffuseMap", Call<&ILumraMtl::GetDiffuseMap>},
    {"GetDiffuseMult", Call<&ILumraMtl::GetDiffuseMult>},
    {"GetDiffuseColor", Call<&ILumraMtl::GetDiffuseColor>},
    {"GetDiffuseMultOn", Call<&ILumraMtl::GetDiffuseMultOn>},
    {"GetRoughnessMult", Call<&ILumraMtl::GetRoughnessMult>},
    {"GetReflectMap", Call<&ILumraMtl::GetReflectMap>},
    {"GetReflectGlossMap", Call<&ILumraMtl::GetReflectGlossMap>},
    {"GetReflectAnisotropyMap", Call<&ILumraMtl::GetReflectAnisotropyMap>},
    {"GetReflectRotationMap", Call<&ILumraMtl::GetReflectRotationMap>},
    {"GetReflectMult", Call<&ILumraMtl::GetReflectMult>},
    {"GetReflectColor", Call<&ILumraMtl::GetReflectColor>},
    {"GetReflectMultOn", Call<&ILumraMtl::GetReflectMultOn>},
    {"GetReflectGloss", Call<&ILumraMtl::GetReflectGloss>},
    {"GetReflectBrdf", Call<&ILumraMtl::GetReflectBrdf>},
    {"GetReflectIor", Call<&ILumraMtl::GetReflectIor>},
    {"GetReflectFresnelOn", Call<&ILumraMtl::GetReflectFresnelOn>},
    {"GetReflectExtrusion", Call<&ILumraMtl::GetReflectExtrusion>},
    {"GetReflectAnisotropy", Call<&ILumraMtl::GetReflectAnisotropy>},
    {"GetReflectRotation", Call<&ILumraMtl::GetReflectRotation>},
    {"GetTransparencyMap", Call<&ILumraMtl::GetTransparencyMap>},
    {"GetTransparencyGlossMap", Call<&ILumraMtl::GetTransparencyGlossMap>},
    {"GetTransparencyMult", Call<&ILumraMtl::GetTransparencyMult>},
    {"GetTransparencyColor", Call<&ILumraMtl::GetTransparencyColor>},
    {"GetTransparencyMultOn", Call<&ILumraMtl::GetTransparencyMultOn>},
    {"GetTransparencyGloss", Call<&ILumraMtl::GetTransparencyGloss>},
    {"GetIor", Call<&ILumraMtl::GetIor>},
    {"GetFogMultiplier", Call<&ILumraMtl::GetFogMultiplier>},
    {"GetFogColor", Call<&ILumraMtl::GetFogColor>},
    {"GetTransparencyThinOn", Call<&ILumraMtl::GetTransparencyThinOn>},
    {"GetOpacityMap", Call<&ILumraMtl::GetOpacityMap>},
    {"GetAffectShadow", Call<&ILumraMtl::GetAffectShadow>},
    {"GetOpacitySmooth", Call<&ILumraMtl::GetOpacitySmooth>},
    {"HasOpacityMap", Call<&ILumraMtl::HasOpacityMap>},
    {"GetEmissionMap", Call<&ILumraMtl::GetEmissionMap>},
    {"GetEmissionMult", Call<&ILumraMtl::GetEmissionMult>},
    {"GetEmissionColor", Call<&ILumraMtl::GetEmissionColor>},
    {"GetEmissionMultOn", Call<&ILumraMtl::GetEmissionMultOn>},
    {"GetEmissionGi", Call<&ILumraMtl::GetEmissionGi>},
    {"GetTranslucencyMap", Call<&ILumraMtl::GetTranslucencyMap>},
    {"GetTranslucencyMult", Call<&ILumraMtl::GetTranslucencyMult>},
    {"GetTranslucencyColor", Call<&ILumraMtl::GetTranslucencyColor>},
    {"GetTranslucencyMultOn", Call<&ILumraMtl::GetTranslucencyMultOn>},
    {"GetNormalMap", Call<&ILumraMtl::GetNormalMap>},
    {"GetBumpAmount", Call<&ILumraMtl::GetBumpAmount>},
    {"GetBumpRadius", Call<&ILumraMtl::GetBumpRadius>},
};
static_assert(std::size(kGetters) == 45, "every getter of ILumraMtl is printed");

std::string IntervalText(const Interval& i) {
    if (i == FOREVER) return "forever";
    if (i.Empty()) return "never";
    auto end = [](TimeValue t) {
        return t == TIME_NegInfinity   ? std::string("-inf")
               : t == TIME_PosInfinity ? std::string("+inf")
                                       : std::to_string(t);
    };
    std::string text = "[";
    text += end(i.Start());
    text += ", ";
    text += end(i.End());
    text += "]";
    return text;
}

}  // namespace

void PrintMaterial(Mtl* mtl, ClassDesc* cd, IParamBlock2* block, TimeValue t) {
    ParamBlockDesc2* desc = block->GetDesc();
    MSTR className;
    mtl->GetClassName(className);
    std::printf("%s: %d parameters of block \"%s\", in declaration order\n",
                ToUtf8(className.str()).c_str(), desc->Count(), ToUtf8(desc->int_name).c_str());
    std::printf("%4s  %-35s %-6s  %-22s %-14s %s\n", "id", "internal name", "type", "value",
                "range", "label");
    for (int i = 0; i < desc->Count(); ++i) {
        const ParamDef& def = desc->GetParamDefByIndex(i);
        const MCHAR* label = cd->GetRsrcString(def.local_name);
        std::printf("%4d  %-35s %-6s  %-22s %-14s %s\n", def.ID, ToUtf8(def.int_name).c_str(),
                    FormatParamType(def).c_str(), FormatParamValue(block, cd, def, t).c_str(),
                    FormatParamRange(def).c_str(), label ? ToUtf8(label).c_str() : "");
    }

    // The material's class id says it offers ILumraMtl, as its published header has it.
    if (mtl->ClassID() != LUMRA_MTL_CLASS_ID) return;
    auto* lumra = static_cast<ILumraMtl*>(mtl);
    Interval valid = FOREVER;
    lumra->Update(t, valid);
    std::printf("\nILumraMtl, as the renderer reads it after Update at time %d (valid %s)\n", t,
                IntervalText(valid).c_str());
    for (const Getter& g : kGetters) std::printf("  %-28s %s\n", g.name, g.text(*lumra).c_str());
}
