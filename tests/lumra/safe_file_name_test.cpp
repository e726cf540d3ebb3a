// File names made from materials' names.
#include "lumra/safe_file_name.h"

#include <gtest/gtest.h>

namespace {

TEST(SafeFileStem, EveryFileSystemTakesTheStem) {
    const struct {
        const char* name;
        const char* stem;
    } kCases[] = {
        {"Brushed steel", "Brushed steel"},
        {"\xC3\x96lfarbe \xF0\x9F\x8E\xA8", "\xC3\x96lfarbe \xF0\x9F\x8E\xA8"},  // Ölfarbe 🎨
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\nline\x1B[31m\x7F", "tab_here_line_[31m_"},
        {"\xC2\x85 C1, \xE2\x80\xAE reversed, \xE2\x80\xA8 separated",
         "_ C1, _ reversed, _ separated"},
        {"\xFF\xFE cut \xE2\x82", "__ cut __"},
        {"\xC0\xAF overlong, \xED\xA0\x80 surrogate", "__ overlong, ___ surrogate"},
        {"  . hidden.. ", "hidden"},
        {"..", "material"},
        {"", "material"},
        {"CON", "CON_"},
        {"nul.txt", "nul.txt_"},
        {"Com7", "Com7_"},
        {"lpt1 ", "lpt1_"},
        {"CONSOLE", "CONSOLE"},
        {"COM", "COM"},
    };
    for (const auto& c : kCases) EXPECT_EQ(SafeFileStem(c.name), c.stem) << c.name;
}

TEST(SafeFileStem, LongNamesAreCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xC3\xA9";  // é, two bytes each
    const std::string stem = SafeFileStem(name, "material", 25);
    EXPECT_EQ(stem.size(), 24u);
    EXPECT_EQ(stem, name.substr(0, 24));
}

TEST(ThumbnailFileName, TheIndexKeepsNamesApartWhateverTheirCase) {
    EXPECT_EQ(ThumbnailFileName(7, 4, "Case"), "0007-Case.png");
    EXPECT_EQ(ThumbnailFileName(8, 4, "case"), "0008-case.png");
    EXPECT_EQ(ThumbnailFileName(123456, 4, "a/b"), "123456-a_b.png");
}

}  // namespace
