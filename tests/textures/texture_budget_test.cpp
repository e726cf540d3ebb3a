// The bitmap textures of a material within their memory budget, and textures that
// cannot be read: refused with the file and the reason, shaded black, and kept by
// name through a save and a load.
#include "tests/io/scene_support.h"
#include "tests/support/test_slot_context.h"

#include "bitmaptex.h"
#include "host_image.h"
#include "normal_bump.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

class TextureBudget : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() /
               ("lumra_budget_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        SetMaxMaterialTextureBytes(kDefaultMaxMaterialTextureBytes);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        SceneTest::TearDown();
    }

    // An uncompressed 24-bit TGA of w x h grey pixels.
    std::wstring Picture(const std::string& name, int w, int h) {
        std::string bytes = std::string("\0\0\2", 3) + std::string(9, '\0');
        for (int v : {w, h}) bytes += {static_cast<char>(v & 255), static_cast<char>(v >> 8)};
        bytes +=
            std::string("\x18\0", 2) + std::string(static_cast<std::size_t>(w * h * 3), '\x80');
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.wstring();
    }

    BMTex* Bitmap(const std::wstring& file) {
        auto* map = static_cast<BMTex*>(NewDefaultBitmapTex());
        map->SetMapName(file.c_str());
        return map;
    }

    static AColor Shade(BMTex* map) {
        TestSlotContext sc;
        sc.uvw = Point3(0.5f, 0.5f, 0.0f);
        return map->EvalColor(sc);
    }

    std::filesystem::path dir_;
};

}  // namespace

TEST_F(TextureBudget, TheMapsOfAMaterialShareItAndTheOneBeyondIsRefusedWithTheSizes) {
    // Room for two pictures of 64 x 64 (64 KB each), not three.
    SetMaxMaterialTextureBytes(2 * 64 * 64 * 16);
    LumraMtl* mtl = NewMaterial();
    mtl->SetName(L"Brick");
    BMTex* diffuse = Bitmap(Picture("a.tga", 64, 64));
    BMTex* reflect = Bitmap(Picture("b.tga", 64, 64));
    BMTex* normal = Bitmap(Picture("c.tga", 64, 64));
    mtl->SetSubTexmap(kDiffuseMap, diffuse);
    mtl->SetSubTexmap(kReflectMap, reflect);
    // Through a Normal Bump map, as the normal map slot holds it.
    mtl->SetSubTexmap(kNormalMap, NewNormalBumpTex(normal));
    EXPECT_FALSE(diffuse->Image().Empty());
    EXPECT_FALSE(reflect->Image().Empty());
    EXPECT_EQ(diffuse->ImageBytes(), 64u * 64 * 16);
    EXPECT_TRUE(normal->Image().Empty());
    const std::string why = normal->ImageError();
    EXPECT_NE(why.find("c.tga"), std::string::npos) << why;
    EXPECT_NE(why.find("64 x 64 pixels take 64 KB: with the 128 KB of the other maps of material "
                       "\"Brick\" that is more than the 128 KB"),
              std::string::npos)
        << why;
    EXPECT_EQ(normal->ImageBytes(), 0u);
    // A refused texture shades black, as a missing file does.
    const AColor c = Shade(normal);
    EXPECT_EQ(c.r + c.g + c.b, 0.0f);

    // Another material has a budget of its own; a texture shared by two counts in both.
    LumraMtl* other = NewMaterial();
    BMTex* alone = Bitmap(Picture("d.tga", 64, 64));
    other->SetSubTexmap(kDiffuseMap, alone);
    EXPECT_FALSE(alone->Image().Empty());
    other->SetSubTexmap(kReflectMap, diffuse);
    BMTex* third = Bitmap(Picture("e.tga", 64, 64));
    other->SetSubTexmap(kEmissionMap, third);
    EXPECT_TRUE(third->Image().Empty());

    // A map that leaves gives its room back; raising the budget lets the rest in.
    mtl->SetSubTexmap(kReflectMap, nullptr);
    normal->SetMapName(normal->GetMapName());
    EXPECT_FALSE(normal->Image().Empty()) << normal->ImageError();
    SetMaxMaterialTextureBytes(kDefaultMaxMaterialTextureBytes);
    third->SetMapName(third->GetMapName());
    EXPECT_FALSE(third->Image().Empty()) << third->ImageError();
}

TEST_F(TextureBudget, ATextureOfNoMaterialIsHeldToTheBudgetAlone) {
    SetMaxMaterialTextureBytes(64 * 64 * 16 - 1);
    BMTex* map = Bitmap(Picture("a.tga", 64, 64));
    EXPECT_TRUE(map->Image().Empty());
    EXPECT_NE(map->ImageError().find(
                  "64 x 64 pixels take 64 KB, more than the 64 KB the maps of a material may take"),
              std::string::npos)
        << map->ImageError();
    map->DeleteMe();
}

TEST_F(TextureBudget, TexturesThatCannotBeReadKeepTheirNamesThroughASaveAndALoad) {
    // A picture cut short, one of a format not read, and one over the budget.
    const std::wstring cut = Picture("cut.tga", 64, 64);
    std::filesystem::resize_file(dir_ / "cut.tga", 100);
    const std::wstring gif = (dir_ / "anim.gif").wstring();
    std::ofstream(dir_ / "anim.gif", std::ios::binary) << "GIF89a\x01\0\x01\0";
    SetMaxMaterialTextureBytes(16 * 16 * 16);
    const std::wstring big = Picture("big.tga", 64, 64);

    LumraMtl* mtl = NewMaterial();
    const std::pair<int, std::wstring> maps[] = {
        {kDiffuseMap, cut}, {kReflectMap, gif}, {kEmissionMap, big}};
    const char* reasons[] = {"cut short", "GIF files are not read",
                             "the maps of a material may take"};
    for (const auto& [slot, file] : maps) mtl->SetSubTexmap(slot, Bitmap(file));
    for (int pass = 0; pass < 2; ++pass) {
        int i = 0;
        for (const auto& [slot, file] : maps) {
            auto* map = dynamic_cast<BMTex*>(mtl->GetSubTexmap(slot));
            ASSERT_NE(map, nullptr);
            EXPECT_EQ(std::wstring(map->GetMapName()), file);
            EXPECT_TRUE(map->Image().Empty());
            EXPECT_NE(map->ImageError().find(reasons[i]), std::string::npos) << map->ImageError();
            ++i;
        }
        Interval valid = FOREVER;
        mtl->Update(0, valid);
        mtl = RoundTrip(mtl);
        ASSERT_NE(mtl, nullptr);
    }
}
