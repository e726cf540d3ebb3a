// Shading allocates nothing. This program replaces operator new to count the calls
// each thread makes, and shades every pixel of a sample slot twice (the first pass
// reads the maps' pictures): the second pass must make none, for every reflectance
// model and the settings that take the loop's other branches.
#include "tests/support/shade_fixture.h"

#include "material/preview_environment.h"

#include "sample_slot.h"

#include <cstdlib>
#include <functional>
#include <new>

namespace {

// Calls of operator new made by this thread.
thread_local long allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The memory came from malloc above, whatever the compiler infers from the names.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

Texmap* PictureMap() {
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetMapName(kPreviewEnvironmentFile);
    return map;
}

void Reflective(IParamBlock2* pb, int model, float gloss, float anisotropy) {
    pb->SetValue(mtl_reflect_mult, 0, 1.0f);
    pb->SetValue(mtl_reflect_brdf, 0, model);
    pb->SetValue(mtl_refl_gloss, 0, gloss);
    pb->SetValue(mtl_reflect_anisotropy, 0, anisotropy);
    pb->SetValue(mtl_reflect_rotation, 0, 30.0f);
}

class ShadeAllocation : public ShadeTest {
protected:
    // Calls of operator new while the second pass shades the slot.
    long AllocationsOfSecondPass(const std::function<void(IParamBlock2*)>& set) {
        LumraMtl* mtl = NewMaterial();
        set(mtl->pblock);
        Refresh(mtl);
        SampleSlot slot(16, 16);
        SampleSlotContext sc(slot);
        long counted = 0;
        for (int pass = 0; pass < 2; ++pass) {
            const long before = allocations;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) sc.ShadePixel(*mtl, x + 0.5f, y + 0.5f);
            counted = allocations - before;
        }
        return counted;
    }
};

}  // namespace

TEST_F(ShadeAllocation, ShadingASlotAgainAllocatesNothing) {
    ASSERT_NE(savedEnvironment_, nullptr);
    previewEnvMap = savedEnvironment_;
    for (int model = 0; model < 5; ++model) {
        for (const float anisotropy : {0.0f, 0.5f}) {
            EXPECT_EQ(AllocationsOfSecondPass(
                          [&](IParamBlock2* pb) { Reflective(pb, model, 0.7f, anisotropy); }),
                      0)
                << "model " << model << ", anisotropy " << anisotropy;
        }
    }
    EXPECT_EQ(AllocationsOfSecondPass([](IParamBlock2* pb) {
                  Reflective(pb, kBrdfBeckmann, 0.8f, 0.0f);
                  pb->SetValue(mtl_transparency_mult, 0, 1.0f);
                  pb->SetValue(mtl_transp_gloss, 0, 0.6f);
                  pb->SetValue(mtl_translucency_mult, 0, 0.5f);
                  pb->SetValue(mtl_roughness_mult, 0, 0.5f);
              }),
              0)
        << "glossy refraction, translucency, rough diffuse";
    EXPECT_EQ(AllocationsOfSecondPass([](IParamBlock2* pb) {
                  Reflective(pb, kBrdfTrggx, 0.6f, 0.7f);
                  pb->SetValue(mtl_diffuse_map, 0, PictureMap());
                  pb->SetValue(mtl_refl_gl_map, 0, PictureMap());
                  pb->SetValue(mtl_reflect_anisotropy_map, 0, PictureMap());
                  pb->SetValue(mtl_normal_map, 0, PictureMap());
                  pb->SetValue(mtl_opacity_map, 0, PictureMap());
              }),
              0)
        << "maps";
}
