// Sample slots rendered with the shade driver, checked against answers that do not
// depend on the random stream.
#include "tests/support/shade_fixture.h"

#include "sample_slot.h"

#include <cmath>

namespace {

// An environment that is a smooth function of the world direction it is asked
// for, as the host's environment lookups ask it.
class DirectionEnvironment : public ConstantMap {
public:
    explicit DirectionEnvironment(bool black = false)
        : ConstantMap(Color(0.0f, 0.0f, 0.0f)), black_(black) {}
    static Color At(const Point3& world) {
        const Point3 d = Normalize(world);
        return Color(0.5f + 0.5f * d.x, 0.5f + 0.5f * d.y, 0.5f + 0.5f * d.z);
    }
    AColor EvalColor(ShadeContext& sc) override {
        if (black_) return AColor(0.0f, 0.0f, 0.0f);
        return AColor(At(sc.VectorTo(sc.V(), REF_WORLD)));
    }

private:
    bool black_;
};

class SlotRenderTest : public ShadeTest {
protected:
    void UseEnvironment(Texmap* env) { previewEnvMap = env; }
};

}  // namespace

TEST_F(SlotRenderTest, AMirrorReflectsTheEnvironmentAtTheReflectedDirection) {
    DirectionEnvironment env;
    UseEnvironment(&env);
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_diffuse_mult, 0, 0.0f);
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 1.0f);
    mtl->pblock->SetValue(mtl_refl_fresnel_on, 0, 0);
    Refresh(mtl);

    SampleSlot slot(48, 48);
    const std::vector<Color> pixels = RenderSampleSlot(*mtl, slot, 2);
    SampleSlotContext probe(slot);
    int checked = 0;
    for (int y = 0; y < 48; y += 5) {
        for (int x = 0; x < 48; x += 5) {
            if (!probe.SetPixel(x + 0.5f, y + 0.5f)) continue;
            const Color e =
                DirectionEnvironment::At(probe.VectorTo(probe.ReflectVector(), REF_WORLD));
            const Color& got = pixels[static_cast<std::size_t>(y) * 48 + x];
            EXPECT_NEAR(got.r, ReferenceToneCurve(1.5f * e.r), 1e-4f) << x << "," << y;
            EXPECT_NEAR(got.g, ReferenceToneCurve(1.5f * e.g), 1e-4f) << x << "," << y;
            EXPECT_NEAR(got.b, ReferenceToneCurve(1.5f * e.b), 1e-4f) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
    // Outside the sphere the slot shows its background.
    EXPECT_EQ(pixels[0], slot.BackgroundAt(0.5f, 0.5f));
}

TEST_F(SlotRenderTest, ABlackEnvironmentLeavesTheLitShadingAlone) {
    DirectionEnvironment black(true);
    UseEnvironment(&black);
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_diffuse_color, 0, Color(1.0f, 1.0f, 1.0f));
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 1.0f);  // reflects nothing but black
    mtl->pblock->SetValue(mtl_refl_gloss, 0, 0.6f);
    Refresh(mtl);

    SampleSlot slot(40, 40, SampleSlotBackground{false, Color(0.0f, 0.0f, 0.0f)});
    const std::vector<Color> pixels = RenderSampleSlot(*mtl, slot, 1);
    SampleSlotContext probe(slot);
    for (int y = 2; y < 40; y += 6) {
        for (int x = 2; x < 40; x += 6) {
            if (!probe.SetPixel(x + 0.5f, y + 0.5f)) continue;
            const Point3 n = probe.Normal();
            // The lit colour, less the reflection layer's share of it.
            float lit = 0.0f;
            for (int i = 0; i < slot.NumLights(); ++i) {
                Point3 dir;
                Color c;
                float dot = 0.0f, coef = 0.0f;
                Point3 nn = n;
                slot.Light(i)->Illuminate(probe, nn, c, dir, dot, coef);
                lit += c.r * std::fmax(dot, 0.0f);
            }
            const float c = std::fabs(n % probe.OrigView());
            const float n2 = 1.5f * 1.5f;
            const float F =
                0.5f * std::fabs((n2 - 3.0f * c + c * c) / (n2 + 3.0f * c + c * c) +
                                 (n2 * c * c - 3.0f * c + 1.0f) / (n2 * c * c + 3.0f * c + 1.0f));
            const float expected = ReferenceToneCurve(1.5f * lit * (1.0f - std::fmin(F, 1.0f)));
            EXPECT_NEAR(pixels[static_cast<std::size_t>(y) * 40 + x].g, expected, 2e-4f)
                << x << "," << y;
        }
    }
}

TEST_F(SlotRenderTest, AGlossySlotMatchesAReferenceOfManySamplesRegionByRegion) {
    DirectionEnvironment env;
    UseEnvironment(&env);
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_diffuse_mult, 0, 0.0f);
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 1.0f);
    mtl->pblock->SetValue(mtl_refl_fresnel_on, 0, 0);
    mtl->pblock->SetValue(mtl_refl_gloss, 0, 0.7f);
    Refresh(mtl);

    constexpr int kSize = 32;
    SampleSlot slot(kSize, kSize, SampleSlotBackground{false, Color(0.0f, 0.0f, 0.0f)});
    const std::vector<Color> once = RenderSampleSlot(*mtl, slot, 2);
    std::vector<Color> reference(once.size(), Color(0.0f, 0.0f, 0.0f));
    constexpr int kRenders = 12;
    for (int r = 0; r < kRenders; ++r) {
        const std::vector<Color> more = RenderSampleSlot(*mtl, slot, 2);
        for (std::size_t i = 0; i < more.size(); ++i) reference[i] += more[i] / kRenders;
    }
    // Quadrant means: the random stream changes the pixels, not the picture.
    for (int qy = 0; qy < 2; ++qy) {
        for (int qx = 0; qx < 2; ++qx) {
            Color a(0.0f, 0.0f, 0.0f), b(0.0f, 0.0f, 0.0f);
            for (int y = qy * kSize / 2; y < (qy + 1) * kSize / 2; ++y) {
                for (int x = qx * kSize / 2; x < (qx + 1) * kSize / 2; ++x) {
                    a += once[static_cast<std::size_t>(y) * kSize + x];
                    b += reference[static_cast<std::size_t>(y) * kSize + x];
                }
            }
            EXPECT_NEAR(a.r, b.r, 0.02f * b.r + 0.5f) << qx << "," << qy;
            EXPECT_NEAR(a.b, b.b, 0.02f * b.b + 0.5f) << qx << "," << qy;
            EXPECT_GT(b.g, 10.0f);  // the quadrant is not empty
        }
    }
}
