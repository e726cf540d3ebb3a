// lumra show: a new material, optionally changed as a script would change it, with
// every parameter of its block and the cached values the shader reads.
#include "commands.h"
#include "text.h"

#include "material/lumra_mtl.h"

#include <cstdio>

namespace {

std::string CachedValue(const CachedState& s, const CachedMember& m) {
    switch (m.kind) {
        case CachedMember::Kind::Int: return std::to_string(s.*m.i);
        case CachedMember::Kind::Bool: return (s.*m.i) ? "TRUE" : "FALSE";
        case CachedMember::Kind::Float: return FormatFloat(s.*m.f);
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
        return t == TIME_NegInfinity ? std::string("-inf")
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

int RunShow(const HostOptions& hostOptions, const ShowOptions& options) {
    std::vector<Setting> settings;
    for (const std::string& text : options.settings) {
        Setting s;
        std::string error;
        if (!ParseSetting(text, &s, &error)) {
            std::fprintf(stderr, "lumra: %s\n", error.c_str());
            return 1;
        }
        settings.push_back(s);
    }

    PluginHost host;
    std::string error;
    if (!host.Load(hostOptions, &error)) {
        std::fprintf(stderr, "lumra: %s\n", error.c_str());
        return 1;
    }
    ClassDesc* cd = host.LumraMaterialClass();
    if (!cd) {
        std::fprintf(stderr, "lumra: no loaded plug-in provides the Lumra material\n");
        return 1;
    }
    MtlHandle mtl = host.CreateMaterial(cd);
    if (!mtl) {
        std::fprintf(stderr, "lumra: the material could not be created\n");
        return 1;
    }
    IParamBlock2* block = mtl->GetParamBlockByID(kLumraParamBlockId);
    if (!block) {
        std::fprintf(stderr, "lumra: the material has no parameter block\n");
        return 1;
    }

    const TimeValue t = 0;
    for (const Setting& s : settings) {
        std::string warning;
        if (!ApplySetting(block, cd, s, t, &error, &warning)) {
            std::fprintf(stderr, "lumra: %s\n", error.c_str());
            return 1;
        }
        if (!warning.empty()) std::fprintf(stderr, "lumra: warning: %s\n", warning.c_str());
    }

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
    if (mtl->ClassID() != LUMRA_MTL_CLASS_ID) return 0;
    auto* lumra = static_cast<LumraMtl*>(mtl.get());
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
    return 0;
}
