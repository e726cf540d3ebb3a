// Printing a material as `show` and `load` do: every parameter of its block, then
// its cached values after an update.
#include "material_print.h"

#include "param_text.h"
#include "text.h"

#include "material/lumra_mtl.h"

#include <cstdio>

namespace {

std::string CachedValue(const CachedState& s, const CachedMember& m) {
    switch (m.kind) {
        case CachedMember::Kind::Int:
            return std::to_string(s.*m.i);
        case CachedMember::Kind::Bool:
            return (s.*m.i) ? "TRUE" : "FALSE";
        case CachedMember::Kind::Float:
            return FormatFloat(s.*m.f);
        case CachedMember::Kind::Color: {
            const Color& c = s.*m.c;
            return FormatFloat(c.r) + "," + FormatFloat(c.g) + "," + FormatFloat(c.b);
        }
    }
    return "?";
}

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

    // The tool is built with the plug-in, so it knows the material's layout.
    if (mtl->ClassID() != LUMRA_MTL_CLASS_ID) return;
    auto* lumra = static_cast<LumraMtl*>(mtl);
    Interval valid = FOREVER;
    lumra->Update(t, valid);
    std::printf("\ncached values after Update at time %d (valid %s)\n", t,
                IntervalText(valid).c_str());
    for (const CachedMember& m : kCachedMembers) {
        std::string source = "legacy";
        if (m.source != CachedMember::kLegacy) {
            const int index = desc->IDtoIndex(m.source);
            source = index >= 0 ? ToUtf8(desc->GetParamDefByIndex(index).int_name) : "?";
        }
        std::printf("  %-28s %-22s %s\n", m.name, CachedValue(lumra->cached, m).c_str(),
                    source.c_str());
    }
}
