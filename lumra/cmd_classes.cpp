// lumra classes: the classes of every loaded plug-in.
#include "commands.h"
#include "text.h"

#include "IMaterialBrowserEntryInfo.h"

#include <cstdio>

namespace {

std::string SuperClassName(SClass_ID id) {
    switch (id) {
        case MATERIAL_CLASS_ID:
            return "material";
        case TEXMAP_CLASS_ID:
            return "texture map";
        default:
            return "other";
    }
}

// Several descriptor queries share one text buffer: copy each answer at once.
std::string Copy(const MCHAR* text) { return text ? EscapeControls(ToUtf8(text)) : "(none)"; }

}  // namespace

int RunClasses(const HostOptions& hostOptions) {
    PluginHost host;
    std::string error;
    if (!host.Load(hostOptions, &error)) {
        PrintError(error);
        return 1;
    }
    for (int d = 0; d < host.Dlls().Count(); ++d) {
        const DllDesc& dll = host.Dlls()[d];
        std::printf("%s\n  %s, host version %s\n", EscapeControls(ToUtf8(dll.path)).c_str(),
                    dll.description.empty() ? "(no description)"
                                            : EscapeControls(ToUtf8(dll.description)).c_str(),
                    HexWord(dll.version).c_str());
        for (ClassDesc* cd : dll.classes) {
            const std::string name = Copy(cd->ClassName());
            const std::string category = Copy(cd->Category());
            const std::string internalName = Copy(cd->InternalName());
            std::string browser = "(none)";
            auto* entry = static_cast<IMaterialBrowserEntryInfo*>(
                cd->GetInterface(IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE));
            if (entry) browser = Copy(entry->GetEntryCategory());
            const Class_ID id = cd->ClassID();
            std::printf("  class %s\n", name.c_str());
            std::printf("    internal name     %s\n", internalName.c_str());
            std::printf("    super class       %s (%s)\n", HexWord(cd->SuperClassID()).c_str(),
                        SuperClassName(cd->SuperClassID()).c_str());
            std::printf("    class id          (%s, %s)\n", HexWord(id.PartA()).c_str(),
                        HexWord(id.PartB()).c_str());
            std::printf("    category          %s\n", category.c_str());
            std::printf("    browser category  %s\n", browser.c_str());
            std::printf("    public            %s\n", cd->IsPublic() ? "yes" : "no");
        }
    }
    return 0;
}
