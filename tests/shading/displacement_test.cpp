// The displacement the material answers from its relief slot.
#include "tests/support/shade_fixture.h"

namespace {
class DisplacementTest : public ShadeTest {};
}  // namespace

TEST_F(DisplacementTest, AHeightMapScaledByTheBumpAmount) {
    LumraMtl* mtl = Material();
    LitContext sc;
    EXPECT_FLOAT_EQ(mtl->EvalDisplacement(sc), 0.0f);  // no map
    mtl->SetSubTexmap(kNormalMap, new ConstantMap(Color(0.5f, 0.5f, 0.5f)));
    Refresh(mtl);
    EXPECT_NEAR(mtl->EvalDisplacement(sc), 0.1f, 1e-6f);  // 0.5 × 0.2
    sc.doMaps = FALSE;
    EXPECT_FLOAT_EQ(mtl->EvalDisplacement(sc), 0.0f);
    EXPECT_EQ(mtl->DisplacementValidity(0), FOREVER);
}

TEST_F(DisplacementTest, ANormalMapCarriesNoHeightButOnlyByItsExactClassName) {
    LumraMtl* mtl = Material({{mtl_bump_amount, 5.0f}});
    mtl->SetSubTexmap(kNormalMap,
                      new ConstantMap(Color(0.5f, 0.5f, 0.5f), Point3(0, 0, 0), L"Normal Bump"));
    Refresh(mtl);
    LitContext sc;
    EXPECT_FLOAT_EQ(mtl->EvalDisplacement(sc), 0.0f);
    mtl->SetSubTexmap(kNormalMap,
                      new ConstantMap(Color(0.5f, 0.5f, 0.5f), Point3(0, 0, 0), L"normal bump"));
    Refresh(mtl);
    EXPECT_NEAR(mtl->EvalDisplacement(sc), 2.5f, 1e-6f);
}
