#include "tests/support/test_slot_context.h"
#include "tests/textures/texture_fixture.h"

#include "bitmaptex.h"
#include "latlong.h"

#include <array>
#include <bit>
#include <cstdint>
#include <latch>
#include <limits>
#include <random>
#include <thread>

namespace {

// Four texels, top row first: red, green / blue, white.
const std::vector<float> kQuad = {1, 0, 0, 0, 1, 0,  //
                                  0, 0, 1, 1, 1, 1};

struct BitmapTexDeleter {
    void operator()(BMTex* t) const { t->DeleteMe(); }
};
using BitmapPtr = std::unique_ptr<BMTex, BitmapTexDeleter>;

BitmapPtr NewBitmap(const std::string& path) {
    BitmapPtr tex(static_cast<BMTex*>(NewDefaultBitmapTex()));
    tex->SetMapName(Wide(path).c_str());
    return tex;
}

AColor ColorAt(BMTex& tex, float u, float v) {
    TestSlotContext sc;
    sc.uvw = Point3(u, v, 0.0f);
    return tex.EvalColor(sc);
}

void ExpectColor(const AColor& c, float r, float g, float b, float tolerance = 1e-3f) {
    EXPECT_NEAR(c.r, r, tolerance);
    EXPECT_NEAR(c.g, g, tolerance);
    EXPECT_NEAR(c.b, b, tolerance);
}

// An environment texture set up as sample slots use theirs.
BitmapPtr NewEnvironment(const std::string& path) {
    BitmapPtr tex = NewBitmap(path);
    tex->GetUVGen()->InitSlotType(MAPSLOT_ENVIRON);
    tex->GetUVGen()->SetCoordMapping(0);
    tex->SetFilterType(FILTER_NADA);
    return tex;
}

AColor EnvironmentAt(BMTex& tex, const Point3& worldDirection) {
    TestSlotContext sc;  // camera space is world space
    return sc.EvalEnvironMap(&tex, worldDirection);
}

}  // namespace

using BitmapTexture = TextureFiles;

TEST_F(BitmapTexture, BilinearLookupHitsTexelCentresAndBlendsBetweenThem) {
    BitmapPtr tex = NewBitmap(Write("quad.exr", 2, 2, kQuad));
    ExpectColor(ColorAt(*tex, 0.25f, 0.75f), 1, 0, 0);       // top left
    ExpectColor(ColorAt(*tex, 0.75f, 0.25f), 1, 1, 1);       // bottom right
    ExpectColor(ColorAt(*tex, 0.5f, 0.75f), 0.5f, 0.5f, 0);  // between the top two
    ExpectColor(ColorAt(*tex, 0.5f, 0.5f), 0.5f, 0.5f, 0.5f);
    ExpectColor(ColorAt(*tex, 0.375f, 0.625f), 0.625f, 0.25f, 0.25f);
    TestSlotContext sc;
    sc.uvw = Point3(0.25f, 0.25f, 0.0f);  // blue
    EXPECT_NEAR(tex->EvalMono(sc), 1.0f / 3.0f, 1e-4f);
    EXPECT_FLOAT_EQ(tex->EvalColor(sc).a, 1.0f);  // no alpha in the file: opaque
}

TEST_F(BitmapTexture, EndConditionsDecideWhatLiesBeyondTheEdges) {
    BitmapPtr tex = NewBitmap(Write("quad.exr", 2, 2, kQuad));
    // Looping: the left edge blends with the right column, and whole tiles repeat.
    ExpectColor(ColorAt(*tex, 0.0f, 0.75f), 0.5f, 0.5f, 0);
    ExpectColor(ColorAt(*tex, 1.25f, 0.75f), 1, 0, 0);
    ExpectColor(ColorAt(*tex, -3.75f, -1.75f), 0, 0, 1);
    tex->SetEndCondition(END_HOLD);
    ExpectColor(ColorAt(*tex, 0.0f, 0.75f), 1, 0, 0);
    ExpectColor(ColorAt(*tex, 7.0f, 0.75f), 0, 1, 0);
    tex->SetEndCondition(END_PINGPONG);
    ExpectColor(ColorAt(*tex, 1.25f, 0.75f), 0, 1, 0);  // mirrored: the right column again
    ExpectColor(ColorAt(*tex, 1.75f, 0.75f), 1, 0, 0);
}

TEST_F(BitmapTexture, NonFiniteAndHugeCoordinatesGiveFiniteColours) {
    BitmapPtr tex = NewBitmap(Write("quad.exr", 2, 2, kQuad));
    for (int end : {END_LOOP, END_HOLD, END_PINGPONG}) {
        tex->SetEndCondition(end);
        for (float u : {std::nanf(""), 1e30f, -1e30f, 3e7f}) {
            const AColor c = ColorAt(*tex, u, u);
            EXPECT_TRUE(std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b)) << u;
        }
    }
}

TEST_F(BitmapTexture, TilingScalesAboutTheCentreAndOffsetMovesThePicture) {
    BitmapPtr tex = NewBitmap(Write("quad.exr", 2, 2, kQuad));
    StdUVGen* uv = tex->GetUVGen();
    uv->SetUScl(2.0f, 0);
    ExpectColor(ColorAt(*tex, 0.125f, 0.75f), 0, 1, 0);  // picture u = -0.25, looped to 0.75
    ExpectColor(ColorAt(*tex, 0.375f, 0.75f), 1, 0, 0);  // picture u = 0.25
    uv->SetUScl(1.0f, 0);
    uv->SetUOffs(0.25f, 0);
    ExpectColor(ColorAt(*tex, 0.5f, 0.75f), 1, 0, 0);
    uv->SetVOffs(0.5f, 0);
    ExpectColor(ColorAt(*tex, 0.5f, 0.25f), 1, 0, 0);
}

TEST_F(BitmapTexture, AlphaSourceAndAlphaAsMono) {
    BitmapPtr tex = NewBitmap(Write("grey.exr", 1, 1, {0.25f, 0.5f, 0.75f}));
    TestSlotContext sc;
    tex->SetAlphaSource(ALPHA_RGB);
    EXPECT_NEAR(tex->EvalColor(sc).a, 0.5f, 1e-4f);
    tex->SetAlphaSource(ALPHA_NONE);
    EXPECT_FLOAT_EQ(tex->EvalColor(sc).a, 1.0f);
    tex->SetAlphaAsMono(TRUE);
    EXPECT_FLOAT_EQ(tex->EvalMono(sc), 1.0f);
}

TEST_F(BitmapTexture, HeightGradientPerturbsTheNormalDownhill) {
    // Brightness rises from 0 to 1 across the picture in u: slope 1 per unit of u.
    BitmapPtr tex = NewBitmap(WriteCoordinateRamp("ramp.exr", 16, 16));
    TestSlotContext sc;
    sc.uvw = Point3(0.5f, 0.5f, 0.0f);
    sc.dPdu = Point3(0.0f, 3.0f, 0.0f);  // u runs along camera +Y on this surface
    sc.dPdv = Point3(-2.0f, 0.0f, 0.0f);
    const Point3 p = tex->EvalNormalPerturb(sc);
    // Mono of (u, v, 0) is (u + v) / 3: slopes of 1/3 along both directions.
    EXPECT_NEAR(p.x, 1.0f / 3.0f, 1e-3f);
    EXPECT_NEAR(p.y, -1.0f / 3.0f, 1e-3f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
    // Tiling twice doubles the slope per unit of texture coordinate.
    tex->GetUVGen()->SetUScl(2.0f, 0);
    EXPECT_NEAR(tex->EvalNormalPerturb(sc).y, -2.0f / 3.0f, 1e-3f);
}

TEST_F(BitmapTexture, EnvironmentIsLookedUpByWorldDirection) {
    BitmapPtr tex = NewEnvironment(WriteCoordinateRamp("ramp.exr", 64, 32));
    // The centre of the picture looks along -Y, at the horizon.
    ExpectColor(EnvironmentAt(*tex, Point3(0, -1, 0)), 0.5f, 0.5f, 0);
    ExpectColor(EnvironmentAt(*tex, Point3(-1, 0, 0)), 0.75f, 0.5f, 0);
    ExpectColor(EnvironmentAt(*tex, Point3(1, 0, 0)), 0.25f, 0.5f, 0);
    // 45 degrees up: three quarters of the way up the picture; the length of
    // the direction does not matter.
    ExpectColor(EnvironmentAt(*tex, Point3(0, -2, 2)), 0.5f, 0.75f, 0);
    // The poles hold the top and bottom rows.
    EXPECT_NEAR(EnvironmentAt(*tex, Point3(0, 0, 1)).g, 1.0f - 0.5f / 32.0f, 1e-3f);
    EXPECT_NEAR(EnvironmentAt(*tex, Point3(0, 0, -1)).g, 0.5f / 32.0f, 1e-3f);
    EXPECT_NEAR(EnvironmentAt(*tex, Point3(0.001f, 0.0f, -1.0f)).g, 0.5f / 32.0f, 1e-3f);
    // Degenerate directions still read inside the picture.
    const float inf = std::numeric_limits<float>::infinity();
    for (const Point3& d :
         {Point3(0, 0, 0), Point3(std::nanf(""), 0.0f, 1.0f), Point3(inf, -inf, inf)}) {
        const AColor c = EnvironmentAt(*tex, d);
        EXPECT_TRUE(std::isfinite(c.r) && std::isfinite(c.g)) << d.x << " " << d.y << " " << d.z;
    }
}

TEST_F(BitmapTexture, EnvironmentWrapsAcrossTheSeamBehindTheCentre) {
    BitmapPtr tex = NewEnvironment(WriteCoordinateRamp("ramp.exr", 64, 32));
    // At +Y the left and right edges meet: the lookup blends the first and last
    // columns (u 1/128 and 127/128) instead of holding either.
    const float left = EnvironmentAt(*tex, Point3(0.0005f, 1.0f, 0.0f)).r;
    const float right = EnvironmentAt(*tex, Point3(-0.0005f, 1.0f, 0.0f)).r;
    EXPECT_NEAR(left, 0.5f, 0.02f);
    EXPECT_NEAR(right, 0.5f, 0.02f);
    EXPECT_NEAR(EnvironmentAt(*tex, Point3(0, 1, 0)).r, 0.5f, 1e-3f);
}

TEST_F(BitmapTexture, EnvironmentFollowsTheCameraToWorldRotation) {
    BitmapPtr tex = NewEnvironment(WriteCoordinateRamp("ramp.exr", 64, 32));
    // A camera looking along world -Y with +Z up: camera +X is world -X, camera
    // +Y world +Z and camera +Z world +Y.
    TestSlotContext sc;
    sc.toWorld[0] = Point3(-1, 0, 0);
    sc.toWorld[1] = Point3(0, 0, 1);
    sc.toWorld[2] = Point3(0, 1, 0);
    ExpectColor(sc.EvalEnvironMap(tex.get(), Point3(0, 0, -1)), 0.5f, 0.5f, 0);  // ahead: centre
    ExpectColor(sc.EvalEnvironMap(tex.get(), Point3(1, 0, 0)), 0.75f, 0.5f, 0);  // right: u grows
    ExpectColor(sc.EvalEnvironMap(tex.get(), Point3(0.0f, 0.7071068f, -0.7071068f)), 0.5f, 0.75f,
                0);
    // The context's own view is what a direct evaluation looks along.
    sc.view = Point3(-1, 0, 0);
    ExpectColor(tex->EvalColor(sc), 0.25f, 0.5f, 0);
    EXPECT_EQ(tex->EvalNormalPerturb(sc), Point3(0, 0, 0));
}

TEST_F(BitmapTexture, EnvironmentLookupsByDirectionEqualEvaluationThroughAContext) {
    // The host answers EvalEnvironMap from the direction straight to the texels;
    // a map evaluated by a context that looks along the direction must see the
    // same colour, bit for bit, whatever the alpha source, and a texture in a
    // texture slot (or with no picture) must still come out as it evaluates.
    BitmapPtr environment = NewEnvironment(WriteCoordinateRamp("ramp.exr", 64, 32));
    BitmapPtr texture = NewBitmap(Write("quad.exr", 2, 2, kQuad));
    BitmapPtr missing = NewEnvironment(PathOf("no such picture.exr"));
    ::testing::internal::CaptureStderr();
    TestSlotContext sc;
    sc.toWorld[0] = Normalize(Point3(0.6f, 0.0f, 0.8f));
    sc.toWorld[1] = Point3(0.0f, 1.0f, 0.0f);
    sc.toWorld[2] = CrossProd(sc.toWorld[0], sc.toWorld[1]);
    sc.uvw = Point3(0.3f, 0.6f, 0.0f);
    std::mt19937 rng(5);
    std::normal_distribution<float> gauss;
    std::vector<Point3> directions = {Point3(0, 0, 0), Point3(0, 0, 1), Point3(0, 0, -1),
                                      Point3(std::nanf(""), 0.0f, 1.0f), Point3(0, 1, 0)};
    for (int i = 0; i < 500; ++i) directions.emplace_back(gauss(rng), gauss(rng), gauss(rng));
    const auto bits = [](const AColor& c) {
        return std::array<std::uint32_t, 4>{
            std::bit_cast<std::uint32_t>(c.r), std::bit_cast<std::uint32_t>(c.g),
            std::bit_cast<std::uint32_t>(c.b), std::bit_cast<std::uint32_t>(c.a)};
    };
    for (int alpha : {ALPHA_FILE, ALPHA_RGB, ALPHA_NONE}) {
        for (BMTex* tex : {environment.get(), texture.get(), missing.get()}) {
            tex->SetAlphaSource(alpha);
            for (const Point3& d : directions) {
                TestSlotContext along = sc;
                along.view = d;
                EXPECT_EQ(bits(sc.EvalEnvironMap(tex, d)), bits(tex->EvalColor(along)))
                    << alpha << ": " << d.x << " " << d.y << " " << d.z;
            }
        }
    }
    ::testing::internal::GetCapturedStderr();
}

TEST_F(BitmapTexture, MissingFileIsBlackAndReportedOnce) {
    const std::string path = PathOf("no such picture.png");
    BitmapPtr tex = NewBitmap(path);
    ::testing::internal::CaptureStderr();
    TestSlotContext sc;
    for (int i = 0; i < 5; ++i) {
        ExpectColor(tex->EvalColor(sc), 0, 0, 0, 0);
        EXPECT_EQ(tex->EvalNormalPerturb(sc), Point3(0, 0, 0));
        EXPECT_EQ(tex->EvalMono(sc), 0.0f);
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    size_t count = 0;
    for (size_t at = err.find(path); at != std::string::npos; at = err.find(path, at + 1)) ++count;
    EXPECT_EQ(count, 2u) << err;  // the name and where it was looked for, in one line
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// Names in several scripts and beyond the Basic Multilingual Plane, in the folder
// and the file, are read as they are named.
TEST_F(BitmapTexture, FilesNamedInAnyScriptAreRead) {
    std::filesystem::create_directories(dir_ / "é😀");
    const char* const names[] = {"é😀/café.exr", "Ελληνικά.exr", "Кириллица.exr",
                                 "漢字.exr",    "عربي.exr",     "😀.exr"};
    float red = 0.0f;
    for (const char* name : names) {
        red += 0.125f;
        BitmapPtr tex = NewBitmap(Write(name, 1, 1, {red, 0, 0}));
        ::testing::internal::CaptureStderr();
        ExpectColor(ColorAt(*tex, 0.5f, 0.5f), red, 0, 0);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << name;
    }
}

// The texture's complaint names a file from a scene or a user: nothing in the name
// reaches the terminal as a control.
TEST_F(BitmapTexture, NamesInItsComplaintAreEscaped) {
    BitmapPtr tex = NewBitmap(PathOf("no\x1b[2J\x07such\u202e.png"));
    ::testing::internal::CaptureStderr();
    ColorAt(*tex, 0.5f, 0.5f);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no\\x1B[2J\\x07such\\u{202E}.png\" ("), std::string::npos) << err;
    EXPECT_EQ(err.find_first_of("\x1b\x07"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(BitmapTexture, UnreadableFileAndEmptyNameAreBlack) {
    const std::string path = PathOf("garbage.png");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("\x89PNG\r\n\x1a\n not really a picture", f);
        std::fclose(f);
    }
    BitmapPtr tex = NewBitmap(path);
    BitmapPtr unnamed(static_cast<BMTex*>(NewDefaultBitmapTex()));
    ::testing::internal::CaptureStderr();
    ExpectColor(ColorAt(*tex, 0.5f, 0.5f), 0, 0, 0, 0);
    ExpectColor(ColorAt(*unnamed, 0.5f, 0.5f), 0, 0, 0, 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("garbage.png"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;  // nothing for no name
}

TEST_F(BitmapTexture, NewNameReadsAnewAndClonesKeepTheSettings) {
    const std::string red = Write("red.exr", 1, 1, {1, 0, 0});
    const std::string green = Write("green.exr", 1, 1, {0, 1, 0});
    BitmapPtr tex = NewBitmap(red);
    ExpectColor(ColorAt(*tex, 0.5f, 0.5f), 1, 0, 0);
    tex->SetMapName(Wide(green).c_str());
    ExpectColor(ColorAt(*tex, 0.5f, 0.5f), 0, 1, 0);
    tex->SetEndCondition(END_HOLD);
    tex->GetUVGen()->SetUScl(3.0f, 0);
    tex->SetFileGamma(1.0f);
    class Remap : public RemapDir {
    public:
        RefTargetHandle GetPtr(RefTargetHandle) override { return nullptr; }
        RefTargetHandle FindMapping(RefTargetHandle) override { return nullptr; }
        void AddEntry(RefTargetHandle, RefTargetHandle) override {}
        void DeleteThis() override {}
    } remap;
    BitmapPtr clone(static_cast<BMTex*>(tex->Clone(remap)));
    EXPECT_STREQ(clone->GetMapName(), Wide(green).c_str());
    EXPECT_EQ(clone->GetEndCondition(), END_HOLD);
    EXPECT_EQ(clone->GetUVGen()->GetUScl(0), 3.0f);
    EXPECT_NE(clone->GetUVGen(), tex->GetUVGen());
    EXPECT_EQ(clone->GetFileGamma(), 1.0f);
    ExpectColor(ColorAt(*clone, 0.5f, 0.5f), 0, 1, 0);
}

TEST_F(BitmapTexture, EightBitFilesAreLinearisedWithTheFileGamma) {
    // 8-bit PNG of value 128: gamma 2.2 reads it as (128/255)^2.2, gamma 1 as 128/255.
    std::vector<float> grey(3, std::pow(128.0f / 255.0f, 2.2f));
    BitmapPtr tex = NewBitmap(Write("grey.png", 1, 1, grey));
    EXPECT_NEAR(ColorAt(*tex, 0.5f, 0.5f).r, std::pow(128.0f / 255.0f, 2.2f), 1e-5f);
    tex->SetFileGamma(1.0f);
    EXPECT_NEAR(ColorAt(*tex, 0.5f, 0.5f).r, 128.0f / 255.0f, 1e-5f);
}

TEST_F(BitmapTexture, EightThreadsEvaluatingFirstReadTheFileOnce) {
    // A missing file shows how often the texture tried to read: once.
    for (bool missing : {true, false}) {
        const std::string path =
            missing ? PathOf("missing.exr") : WriteCoordinateRamp("ramp.exr", 64, 32);
        BitmapPtr tex = NewBitmap(path);
        constexpr int kThreads = 8;
        std::latch start(kThreads);
        std::vector<float> seen(kThreads, -1.0f);
        ::testing::internal::CaptureStderr();
        {
            std::vector<std::jthread> threads;
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([&, i] {
                    TestSlotContext sc;
                    sc.uvw = Point3(0.25f, 0.5f, 0.0f);
                    start.arrive_and_wait();
                    float sum = 0.0f;
                    for (int k = 0; k < 100; ++k) sum += tex->EvalColor(sc).r;
                    seen[static_cast<size_t>(i)] = sum / 100.0f;
                });
            }
        }
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), missing ? 1 : 0) << err;
        for (float s : seen) EXPECT_NEAR(s, missing ? 0.0f : 0.25f, 1e-3f);
    }
}

TEST(LatLong, FastArcTangentAgreesWithTheLibrary) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    float worst = 0.0f;
    for (int i = 0; i < 200000; ++i) {
        const float y = uniform(rng), x = uniform(rng);
        worst = std::max(worst, std::fabs(latlong::Atan2(y, x) - std::atan2(y, x)));
    }
    EXPECT_LT(worst, 2e-5f);
    for (float y : {0.0f, 1.0f, -1.0f, 1e-30f})
        for (float x : {0.0f, 1.0f, -1.0f, 1e-30f})
            EXPECT_NEAR(latlong::Atan2(y, x), std::atan2(y, x), 2e-5f) << y << ", " << x;
    // The round trip through the picture's layout.
    for (float u : {0.1f, 0.5f, 0.9f})
        for (float v : {0.05f, 0.5f, 0.8f}) {
            float u2, v2;
            latlong::DirectionToUV(latlong::UVToDirection(u, v), u2, v2);
            EXPECT_NEAR(u2, u, 1e-5f);
            EXPECT_NEAR(v2, v, 1e-5f);
        }
}
