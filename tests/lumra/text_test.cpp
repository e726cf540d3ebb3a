// Names from files made safe for the terminal.
#include "lumra/text.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeControls, PrintableTextStaysAsItIs) {
    EXPECT_EQ(EscapeControls("Oak \"wide\" C:\\maps\\x.png"), "Oak \"wide\" C:\\maps\\x.png");
    EXPECT_EQ(EscapeControls("\xC3\x96lfarbe \xE6\xB2\xB9 \xF0\x9F\x8E\xA8"),
              "\xC3\x96lfarbe \xE6\xB2\xB9 \xF0\x9F\x8E\xA8");  // Ölfarbe 油 🎨
}

TEST(EscapeControls, ControlsAndBytesThatAreNotUtf8AreEscaped) {
    EXPECT_EQ(EscapeControls(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(EscapeControls("\x1B]0;title\x07\r\n\x7F"), "\\x1B]0;title\\x07\\x0D\\x0A\\x7F");
    // C1 controls, the line separator and the right-to-left override.
    EXPECT_EQ(EscapeControls("\xC2\x85\xC2\x9B\xE2\x80\xA8\xE2\x80\xAE"),
              "\\u{85}\\u{9B}\\u{2028}\\u{202E}");
    // A stray continuation byte, a cut sequence, an overlong '/', a surrogate.
    EXPECT_EQ(EscapeControls("\x80|\xE2\x82|\xC0\xAF|\xED\xA0\x80"),
              "\\x80|\\xE2\\x82|\\xC0\\xAF|\\xED\\xA0\\x80");
}

}  // namespace
