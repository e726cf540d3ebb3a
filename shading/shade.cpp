// The material as the host's sample slots and scanline renderer shade it.
#include "material/lumra_mtl.h"

#include "shadecontext.h"

// A flat preview: the diffuse colour and multiplier, within [0, 1].
void LumraMtl::Shade(ShadeContext& sc) {
    if (gbufID) sc.SetGBufferID(static_cast<int>(gbufID));
    Color c = cached.diffuseColor * cached.diffuseMult;
    c.ClampMinMax();
    sc.out.c = c;
}
