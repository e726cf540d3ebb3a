#include "data/studio_environment.h"
#include "lumra/image_file.h"
#include "tests/support/test_slot_context.h"

#include "bitmaptex.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

float Luminance(const AColor& c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }

}  // namespace

TEST(StudioEnvironment, CommittedPictureIsWhatTheMakerMakes) {
    const std::vector<float> rgb = MakeStudioEnvironment(kStudioWidth, kStudioHeight);
    const std::string made = EncodeRadianceHdr(kStudioWidth, kStudioHeight, rgb.data());
    const std::string committed =
        ReadBytes(LUMRA_SOURCE_DIR "/data/pluginFiles/material/EnvMatEdit.hdr");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(made == committed)
        << "run make_environment data/pluginFiles/material/EnvMatEdit.hdr and commit the file";
}

TEST(StudioEnvironment, PreviewTextureShowsKeyFillAndFloor) {
    // Set up as the module sets up its preview texture, read from the build's
    // data folder through the plug-in root.
    unsetenv("LUMRA_ROOT");
    BitmapTex* tex = NewDefaultBitmapTex();
    tex->GetUVGen()->InitSlotType(MAPSLOT_ENVIRON);
    tex->GetUVGen()->SetCoordMapping(0);
    tex->SetFilterType(FILTER_NADA);
    tex->SetMapName(L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr");
    TestSlotContext sc;
    const float key = Luminance(sc.EvalEnvironMap(tex, Point3(0.55f, 0.6f, 0.58f)));
    const float fill = Luminance(sc.EvalEnvironMap(tex, Point3(-0.85f, 0.45f, 0.15f)));
    const float wall = Luminance(sc.EvalEnvironMap(tex, Point3(0.0f, -1.0f, 0.3f)));
    const float floor = Luminance(sc.EvalEnvironMap(tex, Point3(0.0f, -1.0f, -0.5f)));
    EXPECT_GT(key, 20.0f);
    EXPECT_GT(fill, 2.0f);
    EXPECT_LT(fill, key / 4.0f);
    EXPECT_GT(wall, floor);
    EXPECT_GT(floor, 0.05f);
    EXPECT_LT(wall, 1.0f);
    tex->DeleteMe();
}
