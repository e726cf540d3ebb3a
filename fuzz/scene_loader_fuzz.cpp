// libFuzzer target: the scene loader on arbitrary bytes. Whatever loads is used as
// the host uses a material (an update, the colour queries) and deleted.
#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"

#include "scene_file.h"
#include "winhost.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool attached = winhost::AttachLinkedModules();
    if (!attached) return 0;
    static const ClassLookup classes = [](SClass_ID sclass, const Class_ID& cid) -> ClassDesc* {
        if (ClassDesc* cd = HostClassDirectory().FindClass(sclass, cid)) return cd;
        if (sclass == MATERIAL_CLASS_ID && cid == LUMRA_MTL_CLASS_ID)
            return &lumraMaterialClassDesc;
        return nullptr;
    };
    LoadedScene scene;
    std::string error;
    if (ReadScene(data, size, classes, &scene, &error)) {
        for (ReferenceTarget* root : scene.roots) {
            if (auto* mtl = dynamic_cast<LumraMtl*>(root)) {
                Interval valid = FOREVER;
                mtl->Update(0, valid);
                mtl->GetDiffuse();
                mtl->GetXParency();
            }
            root->DeleteMe();
        }
    }
    return 0;
}
