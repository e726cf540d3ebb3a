// The material's displacement: the height its relief map gives, scaled by the
// bump amount. A tangent-space normal map carries no height.
#include "material/lumra_mtl.h"

#include "shadecontext.h"

namespace {
// Class name of the host's normal-map texture.
constexpr const MCHAR* kNormalBumpClassName = L"Normal Bump";
}  // namespace

float LumraMtl::EvalDisplacement(ShadeContext& sc) {
    Texmap* relief = texmaps[kNormalMap];
    if (!relief || !sc.doMaps) return 0.0f;
    MSTR className;
    relief->GetClassName(className);
    if (className == kNormalBumpClassName) return 0.0f;
    return relief->EvalMono(sc) * cached.bumpAmount;
}
