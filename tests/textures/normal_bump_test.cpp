#include "tests/support/test_slot_context.h"
#include "tests/textures/texture_fixture.h"

#include "bitmaptex.h"
#include "normal_bump.h"

namespace {

// A map of one colour everywhere.
class FlatColorMap : public Texmap {
public:
    explicit FlatColorMap(AColor c) : color(c) {}
    AColor color;
    AColor EvalColor(ShadeContext&) override { return color; }
    Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0, 0, 0); }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
};

struct TexmapDeleter {
    void operator()(Texmap* t) const { t->DeleteMe(); }
};
using TexmapPtr = std::unique_ptr<Texmap, TexmapDeleter>;

// The colour that encodes tangent-space normal n.
AColor Encode(const Point3& n) {
    return AColor(0.5f * n.x + 0.5f, 0.5f * n.y + 0.5f, 0.5f * n.z + 0.5f);
}

void ExpectNear(const Point3& a, const Point3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

constexpr float kHalfRoot2 = 0.70710678f;

}  // namespace

TEST(NormalBump, IsNamedAsTheDisplacementRuleExpects) {
    TexmapPtr tex(NewNormalBumpTex(nullptr));
    MSTR name;
    tex->GetClassName(name);
    EXPECT_TRUE(name == MSTR(_M("Normal Bump")));
    EXPECT_EQ(tex->NumSubTexmaps(), 1);
    EXPECT_EQ(tex->GetSubTexmap(0), nullptr);
    TestSlotContext sc;
    EXPECT_EQ(tex->EvalNormalPerturb(sc), Point3(0, 0, 0));  // nothing to show yet
}

TEST(NormalBump, ShowsTheWrappedMapsColourAndOwnsIt) {
    auto* map = new FlatColorMap(AColor(0.2f, 0.4f, 0.6f));
    TexmapPtr tex(NewNormalBumpTex(map));
    EXPECT_EQ(tex->GetSubTexmap(0), map);
    EXPECT_EQ(tex->GetReference(0), map);
    TestSlotContext sc;
    const AColor c = tex->EvalColor(sc);
    EXPECT_FLOAT_EQ(c.g, 0.4f);
}

TEST(NormalBump, FlatNormalMapLeavesTheNormalAlone) {
    TexmapPtr tex(NewNormalBumpTex(new FlatColorMap(Encode(Point3(0, 0, 1)))));
    TestSlotContext sc;
    sc.normal = Normalize(Point3(0.3f, -0.2f, 0.9f));
    sc.dPdu = Point3(2.0f, 0.5f, 0.0f);  // neither unit nor perpendicular to the normal
    sc.dPdv = Point3(0.0f, 3.0f, 1.0f);
    ExpectNear(tex->EvalNormalPerturb(sc), Point3(0, 0, 0));
}

TEST(NormalBump, TiltedNormalTurnsTowardsTheTangentItNames) {
    TestSlotContext sc;
    sc.normal = Point3(0, 1, 0);
    sc.dPdu = Point3(0, 0, 2);  // +u along camera +Z
    sc.dPdv = Point3(1, 0, 0);  // +v along camera +X
    {
        TexmapPtr tex(
            NewNormalBumpTex(new FlatColorMap(Encode(Point3(kHalfRoot2, 0.0f, kHalfRoot2)))));
        const Point3 p = tex->EvalNormalPerturb(sc);
        ExpectNear(sc.normal + p, Point3(0.0f, kHalfRoot2, kHalfRoot2));
    }
    TexmapPtr tex(NewNormalBumpTex(new FlatColorMap(Encode(Point3(0.0f, kHalfRoot2, kHalfRoot2)))));
    ExpectNear(sc.normal + tex->EvalNormalPerturb(sc), Point3(kHalfRoot2, kHalfRoot2, 0.0f));
    // Mirrored texture coordinates: +v now runs along -X, and so does the tilt.
    sc.dPdv = Point3(-1, 0, 0);
    ExpectNear(sc.normal + tex->EvalNormalPerturb(sc), Point3(-kHalfRoot2, kHalfRoot2, 0.0f));
    // Without usable tangents the tilt still stays a unit vector off the normal.
    sc.dPdu = Point3(0, 0, 0);
    sc.dPdv = Point3(0, 0, 0);
    const Point3 mapped = sc.normal + tex->EvalNormalPerturb(sc);
    EXPECT_NEAR(Length(mapped), 1.0f, 1e-5f);
    EXPECT_NEAR(DotProd(mapped, sc.normal), kHalfRoot2, 1e-5f);
}

using NormalBumpFiles = TextureFiles;

TEST_F(NormalBumpFiles, EightBitNormalMapIsReadAsData) {
    // The flat normal as an 8-bit picture holds (128, 128, 255). Read as a colour
    // picture (gamma 2.2) it would decode to a normal tilted far off; the Normal
    // Bump texture reads its bitmap linearly.
    const float flat = 128.0f / 255.0f;
    const std::vector<float> display = {std::pow(flat, 2.2f), std::pow(flat, 2.2f), 1.0f};
    const std::string path = Write("flat_normal.png", 1, 1, display);
    BitmapTex* bitmap = NewDefaultBitmapTex();
    bitmap->SetMapName(Wide(path).c_str());
    TexmapPtr tex(NewNormalBumpTex(bitmap));
    TestSlotContext sc;
    const Point3 p = tex->EvalNormalPerturb(sc);
    EXPECT_LT(Length(p), 0.01f);
    EXPECT_EQ(static_cast<BMTex*>(bitmap)->GetFileGamma(), 1.0f);
}
