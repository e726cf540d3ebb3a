// Exact pixels of sample slots, for every reflectance model and the settings that
// steer the progressive loop: rendered on one thread from a fixed call counter,
// through the host's preview environment, each slot's pixels must hash to the
// value recorded when the loop was first written. Any change of the shading
// arithmetic, however small, shows here. The slot's own seeding must give the
// same pixels on any number of threads.
//
// The hashes belong to this platform's build (glibc's single-precision maths on
// x86-64); elsewhere the test is skipped.
#include "tests/support/shade_fixture.h"

#include "material/preview_environment.h"
#include "shading/shade_random.h"

#include "sample_slot.h"

#include <cstdint>
#include <cstring>
#include <functional>

namespace {

struct Setting {
    const char* name;
    std::function<void(IParamBlock2*)> set;
    std::uint64_t hash;
};

// A bitmap texture of the environment picture in a texture slot: values that
// vary across the sphere, some of them above 1.
Texmap* PictureMap() {
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetMapName(kPreviewEnvironmentFile);
    return map;
}

auto Reflective(int model, float gloss, float anisotropy = 0.0f, float rotation = 0.0f) {
    return [=](IParamBlock2* pb) {
        pb->SetValue(mtl_reflect_mult, 0, 1.0f);
        pb->SetValue(mtl_reflect_brdf, 0, model);
        pb->SetValue(mtl_refl_gloss, 0, gloss);
        pb->SetValue(mtl_reflect_anisotropy, 0, anisotropy);
        pb->SetValue(mtl_reflect_rotation, 0, rotation);
    };
}

std::uint64_t PixelHash(const std::vector<Color>& pixels) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const Color& c : pixels) {
        for (float v : {c.r, c.g, c.b}) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            for (int i = 0; i < 4; ++i) {
                h ^= (bits >> (8 * i)) & 0xFFu;
                h *= 1099511628211ull;
            }
        }
    }
    return h;
}

const Setting kSettings[] = {
    {"default material", [](IParamBlock2*) {}, 0xdee1e0334cdcfeb1ull},
    {"Phong 0.3", Reflective(kBrdfPhong, 0.3f), 0xcaab2049add465f6ull},
    {"Phong 0.7", Reflective(kBrdfPhong, 0.7f), 0xddb299e7f2f63d8bull},
    {"Phong 0.95", Reflective(kBrdfPhong, 0.95f), 0x2c243fafac948f12ull},
    {"TorrSparr 0.3", Reflective(kBrdfTorrSparr, 0.3f), 0xf5b694ddb83f592ull},
    {"TorrSparr 0.7", Reflective(kBrdfTorrSparr, 0.7f), 0xee68f3ecd0baaab9ull},
    {"TorrSparr 0.95", Reflective(kBrdfTorrSparr, 0.95f), 0x45e64b07e7a938fcull},
    {"Beckmann 0.3", Reflective(kBrdfBeckmann, 0.3f), 0x397b2dd31705aafbull},
    {"Beckmann 0.7", Reflective(kBrdfBeckmann, 0.7f), 0x86f0aeaf4af0cc0full},
    {"Beckmann 0.95", Reflective(kBrdfBeckmann, 0.95f), 0xbb806bcf96f80367ull},
    {"Beckmann 0.3 anisotropic", Reflective(kBrdfBeckmann, 0.3f, 0.5f, 30.0f),
     0x78297e0306d6d1c4ull},
    {"Beckmann 0.7 anisotropic", Reflective(kBrdfBeckmann, 0.7f, 0.5f, 30.0f),
     0x336ba2c504b245caull},
    {"Beckmann 0.95 anisotropic", Reflective(kBrdfBeckmann, 0.95f, 0.5f, 30.0f),
     0x12e361927e50f94dull},
    {"GGX 0.3", Reflective(kBrdfGgx, 0.3f), 0xcdc26e78971fa43bull},
    {"GGX 0.7", Reflective(kBrdfGgx, 0.7f), 0x861357118a780615ull},
    {"GGX 0.95", Reflective(kBrdfGgx, 0.95f), 0x12e2e02fea81cd97ull},
    {"TRGGX 0.3", Reflective(kBrdfTrggx, 0.3f), 0xa1bb7ad934bb2d20ull},
    {"TRGGX 0.7", Reflective(kBrdfTrggx, 0.7f), 0x2be90b9aa12a2e01ull},
    {"TRGGX 0.95", Reflective(kBrdfTrggx, 0.95f), 0x8553838f550870cbull},
    {"TRGGX 0.3 anisotropic", Reflective(kBrdfTrggx, 0.3f, 0.5f, 30.0f), 0xb526542d7dacbc58ull},
    {"TRGGX 0.7 anisotropic", Reflective(kBrdfTrggx, 0.7f, 0.5f, 30.0f), 0x3200f08baf36800bull},
    {"TRGGX 0.95 anisotropic", Reflective(kBrdfTrggx, 0.95f, 0.5f, 30.0f), 0xe5004a9ba5e4291cull},
    {"TRGGX fully anisotropic, turned", Reflective(kBrdfTrggx, 0.5f, 1.0f, 200.0f),
     0x6b59752753165243ull},
    {"mirror", Reflective(kBrdfGgx, 1.0f), 0x738a19715181fa3eull},
    {"cosine powers: mirror reflection, mirror refraction",
     [](IParamBlock2* pb) {
         Reflective(kBrdfPhong, 0.5f)(pb);
         pb->SetValue(mtl_refl_gloss_or_cos, 0, 1);
         pb->SetValue(mtl_reflect_cospower, 0, 40.0f);
         pb->SetValue(mtl_transparency_mult, 0, 0.5f);
         pb->SetValue(mtl_transp_gloss_or_cos, 0, 1);
         pb->SetValue(mtl_transparency_cospower, 0, 3.0f);
     },
     0x2e82a34787eda7eull},
    {"glossy refraction under Beckmann",
     [](IParamBlock2* pb) {
         Reflective(kBrdfBeckmann, 0.8f)(pb);
         pb->SetValue(mtl_transparency_mult, 0, 1.0f);
         pb->SetValue(mtl_transp_gloss, 0, 0.6f);
     },
     0x205d186f68b02a25ull},
    {"clear refraction with fog, TorrSparr without Fresnel",
     [](IParamBlock2* pb) {
         Reflective(kBrdfTorrSparr, 0.5f)(pb);
         pb->SetValue(mtl_refl_fresnel_on, 0, 0);
         pb->SetValue(mtl_transparency_mult, 0, 0.8f);
         pb->SetValue(mtl_transparency_thin_on, 0, 0);
         pb->SetValue(mtl_fog_multiplier, 0, 4.0f);
     },
     0x78be37d93cba4eb3ull},
    {"rough diffuse, translucency, luminance extrusion",
     [](IParamBlock2* pb) {
         Reflective(kBrdfPhong, 0.5f)(pb);
         pb->SetValue(mtl_roughness_mult, 0, 0.5f);
         pb->SetValue(mtl_translucency_mult, 0, 0.5f);
         pb->SetValue(mtl_reflect_extrusion, 0, kExtrusionLuminance);
         pb->SetValue(mtl_reflect_color, 0, Color(0.9f, 0.5f, 0.2f));
     },
     0xe4fa069d90b7af03ull},
    {"TRGGX with glossiness, anisotropy, rotation, relief and opacity maps",
     [](IParamBlock2* pb) {
         Reflective(kBrdfTrggx, 0.6f, 0.7f, 0.0f)(pb);
         pb->SetValue(mtl_refl_gl_map, 0, PictureMap());
         pb->SetValue(mtl_reflect_anisotropy_map, 0, PictureMap());
         pb->SetValue(mtl_reflect_rotation_map, 0, PictureMap());
         pb->SetValue(mtl_normal_map, 0, PictureMap());
         pb->SetValue(mtl_opacity_map, 0, PictureMap());
         pb->SetValue(mtl_opacity_smooth, 0, 1);
     },
     0x55ecdab6fa6160acull},
};

class SlotPixels : public ShadeTest {};

// A host that does not choose the seeding: every call is seeded from the module's
// shared counter.
class CounterSeededContext : public SampleSlotContext {
public:
    using SampleSlotContext::SampleSlotContext;
    BaseInterface* GetInterface(Interface_ID id) override {
        return id == LUMRA_SHADE_SEED_INTERFACE ? nullptr : SampleSlotContext::GetInterface(id);
    }
};

std::vector<Color> RenderCounterSeeded(Mtl& mtl, SampleSlot& slot) {
    Interval valid = FOREVER;
    mtl.Update(0, valid);
    CounterSeededContext sc(slot);
    std::vector<Color> pixels;
    for (int y = 0; y < slot.Height(); ++y)
        for (int x = 0; x < slot.Width(); ++x)
            pixels.push_back(sc.ShadePixel(mtl, x + 0.5f, y + 0.5f));
    return pixels;
}

}  // namespace

TEST_F(SlotPixels, EveryModelAndSettingKeepsItsExactPixels) {
#if !(defined(__GLIBC__) && defined(__x86_64__))
    GTEST_SKIP() << "the recorded hashes belong to glibc on x86-64";
#endif
    ASSERT_NE(savedEnvironment_, nullptr);
    previewEnvMap = savedEnvironment_;
    for (const Setting& setting : kSettings) {
        LumraMtl* mtl = NewMaterial();
        setting.set(mtl->pblock);
        SampleSlot slot(24, 24);
        shadeCallCounter = 1000;
        const std::uint64_t hash = PixelHash(RenderCounterSeeded(*mtl, slot));
        EXPECT_EQ(hash, setting.hash) << setting.name << ": 0x" << std::hex << hash;
        // The slot's seeding follows the counter's single-threaded order, whatever
        // the threads; the counter itself is left alone.
        slot.SetShadeCallsBefore(1000);
        for (int threads : {1, 2, 7}) {
            const std::uint64_t seeded = PixelHash(RenderSampleSlot(*mtl, slot, threads));
            EXPECT_EQ(seeded, setting.hash)
                << setting.name << ", " << threads << " threads: 0x" << std::hex << seeded;
        }
        // A host that updated the material itself shades the same picture.
        const std::uint64_t shaded = PixelHash(ShadeSampleSlot(*mtl, slot, 2));
        EXPECT_EQ(shaded, setting.hash)
            << setting.name << ", shaded only: 0x" << std::hex << shaded;
        std::uint32_t hits = 0;
        for (int y = 0; y < slot.Height(); ++y) hits += static_cast<std::uint32_t>(slot.RowHits(y));
        EXPECT_EQ(shadeCallCounter.load(), 1000u + hits) << setting.name;
    }
}

TEST_F(SlotPixels, AStoppedSlotLeavesTheRowsNotBegunUnshaded) {
    LumraMtl* mtl = NewMaterial();
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    SampleSlot slot(16, 16);
    const std::atomic<bool> stop{true};
    int lastProgress = -1;
    const std::vector<Color> pixels = ShadeSampleSlot(
        *mtl, slot, 2, 0, [&](int rows) { lastProgress = rows; }, &stop);
    ASSERT_EQ(pixels.size(), 16u * 16u);
    for (const Color& c : pixels) EXPECT_EQ(c.r + c.g + c.b, 0.0f);
    EXPECT_EQ(lastProgress, 16);  // the progress still reaches its end
}
