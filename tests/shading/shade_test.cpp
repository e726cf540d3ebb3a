// The preview shade driver, on the cases whose answers do not depend on the
// random stream.
#include "tests/support/shade_fixture.h"

#include "shading/gloss.h"
#include "shading/shade_random.h"
#include "shading/tone_curve.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr float kTolerance = 2e-5f;

void ExpectGrey(const Color& c, float v, float tolerance = kTolerance) {
    EXPECT_NEAR(c.r, v, tolerance);
    EXPECT_NEAR(c.g, v, tolerance);
    EXPECT_NEAR(c.b, v, tolerance);
}

}  // namespace

TEST(GlossToCosPower, MapsGlossinessToCosinePower) {
    EXPECT_NEAR(GlossToCosPower(0.0f), 1.0815f, 1e-4f);
    EXPECT_NEAR(GlossToCosPower(0.25f), 3.6497f, 1e-4f);
    EXPECT_NEAR(GlossToCosPower(0.5f), 12.257f, 1e-3f);
    EXPECT_NEAR(GlossToCosPower(0.75f), 194.72f, 1e-2f);
    // The two pieces meet near 12.3 at 0.5.
    EXPECT_NEAR(GlossToCosPower(0.4999999f), GlossToCosPower(0.5f), 0.1f);
}

TEST(ShadeRandom, DrawsTheRunTimeSequenceAndMaps32767ToZero) {
    ShadeRandom r;
    r.Restart(1);
    EXPECT_EQ(r.Draw(), 41);  // the run-time generator's well-known first draws
    EXPECT_EQ(r.Draw(), 18467);
    EXPECT_EQ(r.Draw(), 6334);
    // A state whose next draw is 32767: s' = 0x7FFF0000 = s * 214013 + 2531011.
    std::uint32_t inverse = 1;
    for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;  // Newton's inverse mod 2^32
    r.Restart((0x7FFF0000u - 2531011u) * inverse);
    ShadeRandom copy = r;
    EXPECT_EQ(copy.Draw(), 32767);
    EXPECT_EQ(r.Uniform(), 0.0f);
    r.Restart(12345);
    for (int i = 0; i < 1000; ++i) {
        const float u = r.Uniform();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
}

TEST(ShadeRandom, TheCallCounterSkipsAllOnes) {
    shadeCallCounter = 0xFFFFFFFDu;
    EXPECT_EQ(AdvanceShadeCallCounter(), 0xFFFFFFFEu);
    EXPECT_EQ(AdvanceShadeCallCounter(), 0u);
    EXPECT_EQ(AdvanceShadeCallCounter(), 1u);
}

TEST_F(ShadeTest, ToneCurveValuesThroughEmission) {
    const float inputs[] = {0.0f, 0.5f, 1.0f, 1.5f, 3.0f};
    const float expected[] = {0.0f, 0.49693f, 0.87055f, 0.97556f, 0.99918f};
    for (int i = 0; i < 5; ++i) {
        LumraMtl* mtl = Material({{mtl_emission_mult, inputs[i] / 1.5f}});
        LitContext sc;
        mtl->Shade(sc);
        ExpectGrey(sc.out.c, expected[i], 1e-4f);
    }
}

TEST_F(ShadeTest, AWhiteDiffuseMaterialInFullLightGives097556) {
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_diffuse_color, 0, Color(1.0f, 1.0f, 1.0f));
    Refresh(mtl);
    FixedLight light(1.0f);
    LitContext sc;
    sc.AddLight(&light);
    mtl->Shade(sc);
    ExpectGrey(sc.out.c, 0.97556f);
    EXPECT_FALSE(sc.shadow);
}

TEST_F(ShadeTest, WithoutAnEnvironmentTheLoopRuns32Or33Times) {
    LumraMtl* dark = Material({{mtl_diffuse_mult, 0.0f}});
    LitContext sc;
    shadeStatistics.Reset();
    dark->Shade(sc);  // brightness 0 from the start: every iteration settles
    EXPECT_EQ(shadeStatistics.Iterations(), 32u);

    LumraMtl* lit = Material();
    FixedLight light(1.0f);
    sc.AddLight(&light);
    shadeStatistics.Reset();
    lit->Shade(sc);  // the first brightness differs from 0
    EXPECT_EQ(shadeStatistics.Iterations(), 33u);
    EXPECT_EQ(shadeStatistics.Calls(), 1u);
    EXPECT_EQ(sc.environmentCalls, 0);
}

TEST_F(ShadeTest, WithoutLightsTheReliefIsNotApplied) {
    LumraMtl* mtl = Material();
    auto* relief = new ConstantMap(Color(0.5f, 0.5f, 0.5f), Point3(0.3f, 0.0f, 0.0f));
    mtl->SetSubTexmap(kNormalMap, relief);
    Refresh(mtl);
    LitContext sc;
    mtl->Shade(sc);
    EXPECT_EQ(relief->perturbCalls, 0);
    EXPECT_EQ(sc.normal, Point3(0.0f, 0.0f, 1.0f));
    ExpectGrey(sc.out.c, 0.0f);
}

TEST_F(ShadeTest, EachLightsReliefAddsToThePreviousOneAndTheNormalIsRestored) {
    LumraMtl* mtl = Material({{mtl_bump_amount, 1.0f}});  // the perturbation at full strength
    const Point3 P(0.2f, 0.0f, 0.0f);
    auto* relief = new ConstantMap(Color(0.5f, 0.5f, 0.5f), P);
    mtl->SetSubTexmap(kNormalMap, relief);
    Refresh(mtl);
    FixedLight first(0.5f), second(0.5f);
    LitContext sc;
    sc.AddLight(&first);
    sc.AddLight(&second);
    mtl->Shade(sc);
    const Point3 N0(0.0f, 0.0f, 1.0f);
    const Point3 N1 = Normalize(N0 + P);
    const Point3 N2 = Normalize(N1 + P);
    ASSERT_EQ(first.normals.size(), 1u);
    EXPECT_NEAR(first.normals[0].x, N1.x, 1e-5f);
    EXPECT_NEAR(second.normals[0].x, N2.x, 1e-5f);
    EXPECT_EQ(sc.normal, N0);

    // On a back face the perturbation is reversed.
    first.normals.clear();
    sc.backFace = TRUE;
    mtl->Shade(sc);
    EXPECT_NEAR(first.normals[0].x, -N1.x, 1e-5f);
}

TEST_F(ShadeTest, TranslucencyComesOnlyFromBackLightsBeforeTheFirstFrontLight) {
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_translucency_mult, 0, 1.0f);
    mtl->pblock->SetValue(mtl_diffuse_mult, 0, 0.0f);
    Refresh(mtl);
    FixedLight front(0.3f), back(-0.5f);

    LitContext backFirst;
    backFirst.AddLight(&back);
    backFirst.AddLight(&front);
    mtl->Shade(backFirst);
    ExpectGrey(backFirst.out.c, ReferenceToneCurve(0.5f * 1.5f));

    LitContext frontFirst;
    frontFirst.AddLight(&front);
    frontFirst.AddLight(&back);
    mtl->Shade(frontFirst);
    ExpectGrey(frontFirst.out.c, 0.0f);
}

TEST_F(ShadeTest, FresnelWeightsTheMirrorReflection) {
    UseTestEnvironment();  // white everywhere
    struct Case {
        float ior;
        Point3 view;
        float weight;
    };
    const Case cases[] = {
        {1.5f, Point3(0.0f, 0.0f, -1.0f), 0.04f},  // normal incidence
        {1.5f, Point3(1.0f, 0.0f, 0.0f), 1.0f},    // grazing
        {1.0f, Point3(0.0f, 0.0f, -1.0f), 0.0f},
    };
    for (const Case& c : cases) {
        LumraMtl* mtl = Material(
            {{mtl_diffuse_mult, 0.0f}, {mtl_reflect_mult, 1.0f}, {mtl_reflect_ior, c.ior}});
        LitContext sc(c.view);
        mtl->Shade(sc);
        ExpectGrey(sc.out.c, ReferenceToneCurve(c.weight * 1.5f), 1e-4f);
    }
}

TEST_F(ShadeTest, MirrorBranchesLookUpTheReflectedDirection) {
    UseTestEnvironment();
    const Point3 view = Normalize(Point3(0.3f, 0.0f, -1.0f));
    // Glossiness 1 (and beyond, up to 10), or cosine-power mode, takes the mirror.
    for (auto setup : {std::vector<std::pair<ParamID, float>>{{mtl_refl_gloss, 1.0f}},
                       std::vector<std::pair<ParamID, float>>{{mtl_refl_gloss, 7.0f}},
                       std::vector<std::pair<ParamID, float>>{{mtl_refl_gloss, 0.2f},
                                                              {mtl_reflect_cospower, 5.0f}}}) {
        LumraMtl* mtl = NewMaterial();
        mtl->pblock->SetValue(mtl_reflect_mult, 0, 1.0f);
        for (const auto& [id, v] : setup) mtl->pblock->SetValue(id, 0, v);
        if (setup.size() == 2) mtl->pblock->SetValue(mtl_refl_gloss_or_cos, 0, 1);
        mtl->pblock->SetValue(mtl_reflect_brdf, 0, kBrdfBeckmann);
        Refresh(mtl);
        LitContext sc(view);
        mtl->Shade(sc);
        const Point3 R = view - 2.0f * (view % sc.normal) * sc.normal;
        EXPECT_NEAR(sc.lastDirection.x, R.x, 1e-6f);
        EXPECT_NEAR(sc.lastDirection.z, R.z, 1e-6f);
        EXPECT_GE(sc.environmentCalls, 32);
    }
    // Below 1 the chosen model samples around it instead.
    LumraMtl* glossy = Material({{mtl_reflect_mult, 1.0f}, {mtl_refl_gloss, 0.49f}});
    LitContext sc(view);
    glossy->Shade(sc);
    const Point3 R = view - 2.0f * (view % sc.normal) * sc.normal;
    EXPECT_GE(sc.environmentCalls, 16);  // GGX samples, most of them above the surface
    EXPECT_GT(Length(sc.lastDirection - R), 1e-3f);
}

TEST_F(ShadeTest, TheOpacityMapCutsOutAgainstTheBackground) {
    const float bg = 0.4f;
    for (bool smooth : {false, true}) {
        LumraMtl* mtl = NewMaterial();
        mtl->pblock->SetValue(mtl_opacity_smooth, 0, smooth ? 1 : 0);
        mtl->SetSubTexmap(kOpacityMap, new ConstantMap(Color(0.49f, 0.2f, 0.1f)));
        Refresh(mtl);
        LitContext sc;
        sc.background = Color(bg, bg, bg);
        mtl->Shade(sc);
        if (!smooth) {
            ExpectGrey(sc.out.c, bg);  // below one half: fully cut out
        } else {
            const float cw = 0.51f;
            const float y = ReferenceToneCurve(bg * cw * 1.5f);
            ExpectGrey(sc.out.c, y + (bg - y) * cw, 1e-4f);
        }
    }
}

TEST_F(ShadeTest, TransparencyColourIsTintedByFogUnlessThin) {
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_transparency_mult, 0, 1.0f);
    mtl->pblock->SetValue(mtl_fog_color, 0, Color(0.0f, 0.5f, 1.0f));
    mtl->pblock->SetValue(mtl_fog_multiplier, 0, 10.0f);  // d = 0.5
    Refresh(mtl);
    LitContext sc;
    const Color thick = mtl->EvalTransparencyColor(sc);
    EXPECT_NEAR(thick.r, 0.5f, 1e-6f);
    EXPECT_NEAR(thick.g, 0.75f, 1e-6f);
    EXPECT_NEAR(thick.b, 1.0f, 1e-6f);
    mtl->pblock->SetValue(mtl_transparency_thin_on, 0, 1);
    Refresh(mtl);
    ExpectGrey(mtl->EvalTransparencyColor(sc), 1.0f);
}

TEST_F(ShadeTest, GBufferIdIsPassedOn) {
    LumraMtl* mtl = Material();
    mtl->gbufID = 9;
    LitContext sc;
    mtl->Shade(sc);
    EXPECT_EQ(sc.out.gbufId, 9);
}

TEST(ToneCurve, RisesToOneForEveryFiniteInputAndBlacksOutTheRest) {
    float previous = 0.0f;
    for (float x = 1e-38f; x < 3e38f; x *= 1.01f) {
        const float y = ToneCurve(x);
        ASSERT_GE(y, 0.0f) << x;
        ASSERT_LE(y, 1.0f) << x;
        ASSERT_GE(y, previous - 4e-7f) << x;  // rising, up to the rounding of its last bits
        previous = std::max(previous, y);
    }
    EXPECT_EQ(ToneCurve(1e-40f), 1e-40f);  // like x near 0, denormals too
    EXPECT_EQ(ToneCurve(5e7f * 1.5f), 1.0f);
    EXPECT_EQ(ToneCurve(FLT_MAX), 1.0f);
    EXPECT_EQ(ToneCurve(INFINITY), 1.0f);
    for (float x : {-1.0f, -1e30f, -INFINITY, NAN}) EXPECT_EQ(ToneCurve(x), 0.0f) << x;
}

TEST_F(ShadeTest, ExtremeAndNegativeColoursShadeToFiniteColours) {
    UseTestEnvironment();
    FixedLight light(0.7f);
    const float extremes[] = {5e7f, 1e38f, -1.0f, -1e38f, 1e-40f};
    for (int model = 0; model < 5; ++model) {
        for (const float v : extremes) {
            for (const ParamID colour : {mtl_diffuse_color, mtl_reflect_color, mtl_emission_color,
                                         mtl_transparency_color, mtl_translucency_color}) {
                LumraMtl* mtl = Material({{mtl_reflect_mult, 1.0f},
                                          {mtl_transparency_mult, 1.0f},
                                          {mtl_translucency_mult, 1.0f},
                                          {mtl_emission_mult, 1.0f},
                                          {mtl_refl_gloss, 0.7f}});
                mtl->pblock->SetValue(mtl_reflect_brdf, 0, model);
                mtl->pblock->SetValue(colour, 0, Color(v, v, v));
                Refresh(mtl);
                LitContext sc;
                sc.AddLight(&light);
                mtl->Shade(sc);
                for (int ch = 0; ch < 3; ++ch) {
                    EXPECT_TRUE(std::isfinite(sc.out.c[ch]) && sc.out.c[ch] >= 0.0f)
                        << "model " << model << ", colour " << colour << " = " << v << ": "
                        << sc.out.c[ch];
                }
                if (colour == mtl_emission_color && v == 5e7f) ExpectGrey(sc.out.c, 1.0f, 0.0f);
            }
        }
    }
}
