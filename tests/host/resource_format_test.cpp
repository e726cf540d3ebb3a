// The reader of compiled resource files: what it finds in a well-formed one, and
// the damaged ones it refuses with the place of the damage.
#include "resource_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}
void Put32(std::vector<unsigned char>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One entry of a .res file with a numbered type and name.
void PutEntry(std::vector<unsigned char>& out, unsigned type, unsigned name,
              const std::vector<unsigned char>& data) {
    Put32(out, static_cast<unsigned>(data.size()));
    Put32(out, 32);
    Put16(out, 0xFFFF), Put16(out, type);
    Put16(out, 0xFFFF), Put16(out, name);
    Put32(out, 0);                           // data version
    Put16(out, 0x1030), Put16(out, 0x0409);  // memory flags, language
    Put32(out, 0), Put32(out, 0);            // version, characteristics
    out.insert(out.end(), data.begin(), data.end());
    while (out.size() % 4) out.push_back(0);
}

// String block 1 (ids 0 to 15): "Hi" as string 1, and string 2 with a surrogate pair.
std::vector<unsigned char> Block() {
    std::vector<unsigned char> b;
    for (unsigned k = 0; k < 16; ++k) {
        if (k == 1) {
            Put16(b, 2), Put16(b, 'H'), Put16(b, 'i');
        } else if (k == 2) {
            Put16(b, 3), Put16(b, 'a'), Put16(b, 0xD83D), Put16(b, 0xDE00);
        } else {
            Put16(b, 0);
        }
    }
    return b;
}

std::vector<unsigned char> ResFile() {
    std::vector<unsigned char> f;
    PutEntry(f, 0, 0, {});  // the empty entry every .res file opens with
    PutEntry(f, 6, 1, Block());
    return f;
}

}  // namespace

TEST(ResourceFormat, ReadsTheEntriesAndTheirStrings) {
    const std::vector<unsigned char> file = ResFile();
    std::vector<winres::Resource> resources;
    std::string error;
    ASSERT_TRUE(winres::ReadResFile(file.data(), file.size(), &resources, &error)) << error;
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].typeId, winres::kTypeString);
    EXPECT_EQ(resources[0].nameId, 1);
    EXPECT_EQ(resources[0].language, 0x0409);
    std::array<std::wstring, 16> strings;
    ASSERT_TRUE(winres::ReadStringBlock(resources[0].data, resources[0].size, &strings));
    EXPECT_EQ(strings[0], L"");
    EXPECT_EQ(strings[1], L"Hi");
    // The same character as a wide literal of this platform.
    EXPECT_EQ(strings[2], L"a\U0001F600");
    EXPECT_FALSE(winres::ReadStringBlock(resources[0].data, resources[0].size - 2, &strings));
}

TEST(ResourceFormat, DamagedFilesAreRefusedWithThePlaceOfTheDamage) {
    const std::vector<unsigned char> good = ResFile();
    std::vector<winres::Resource> resources;
    std::string error;
    auto refused = [&](std::vector<unsigned char> bytes) {
        error.clear();
        return !winres::ReadResFile(bytes.data(), bytes.size(), &resources, &error) &&
               resources.empty() && error.find("byte 32") != std::string::npos;
    };
    std::vector<unsigned char> bytes = good;
    bytes[32 + 4] = 16;  // a header smaller than its fixed fields
    EXPECT_TRUE(refused(bytes)) << error;
    bytes = good;
    bytes[32 + 2] = 0x01;  // data of 64 KiB more than the file holds
    EXPECT_TRUE(refused(bytes)) << error;
    bytes = good;
    bytes[32 + 4] = 0xFC, bytes[32 + 5] = 0xFF;  // a header past the end
    EXPECT_TRUE(refused(bytes)) << error;
    EXPECT_TRUE(refused({good.begin(), good.begin() + 36})) << error;  // cut in the header
}
