// The resource-script reader: the texts it compiles, the preprocessing that scripts
// rely on, and faults reported at their line.
#include "host/rc/rcscript.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

class Files {
public:
    Files& Add(const std::string& path, const std::string& text) {
        files_[path] = text;
        return *this;
    }
    rc::Options Options() const {
        rc::Options options;
        options.includeDirs = {"/sys"};
        options.readFile = [this](const std::string& path) -> std::optional<std::string> {
            const auto it = files_.find(path);
            if (it == files_.end()) return std::nullopt;
            return it->second;
        };
        return options;
    }
    rc::ResourceScript Read(const std::string& path = "/ui/m.rc") const {
        return rc::ReadResourceScript(path, Options());
    }

private:
    std::map<std::string, std::string> files_;
};

rc::ResourceScript ReadScript(const std::string& text) {
    return Files().Add("/ui/m.rc", text).Read();
}

std::u32string Text(const rc::ResourceScript& script, unsigned id) {
    for (const auto& s : script.strings)
        if (s.id == id) return s.text;
    return U"<missing>";
}

// The message of the fault the script holds, "" if it reads cleanly.
std::string Fault(const Files& files) {
    try {
        files.Read();
    } catch (const rc::Error& e) {
        return e.what();
    }
    return "";
}

std::string Fault(const std::string& text) { return Fault(Files().Add("/ui/m.rc", text)); }

}  // namespace

TEST(RcStrings, EscapesAsTheResourceCompilerReadsThem) {
    const auto s = ReadScript(
        "STRINGTABLE\nBEGIN\n"
        "  1 \"Say \"\"hi\"\" and \\\"bye\\\"\"\n"
        "  2 \"a\\tb\\nc\\rd\\\\e\"\n"
        "  3 \"line one\\012line two\"\n"
        "  4 \"\\x41\\x4a2\"\n"       // narrow hex takes two digits
        "  5 L\"\\x263A\\x00e9x\"\n"  // wide hex takes four
        "  6 \"keep \\q and \\x\"\n"  // unknown escapes keep their backslash
        "  7 \"joined\" \" text\"\n"
        "  8 \"a\\0b\"\n"
        "END\n");
    EXPECT_EQ(Text(s, 1), U"Say \"hi\" and \"bye\"");
    EXPECT_EQ(Text(s, 2), U"a\tb\nc\rd\\e");
    EXPECT_EQ(Text(s, 3), U"line one\nline two");
    EXPECT_EQ(Text(s, 4), U"AJ2");
    EXPECT_EQ(Text(s, 5), U"\u263A\u00e9x");
    EXPECT_EQ(Text(s, 6), U"keep \\q and \\x");
    EXPECT_EQ(Text(s, 7), U"joined text");
    EXPECT_EQ(Text(s, 8), std::u32string(U"a\0b", 3));
}

TEST(RcStrings, SourceTextFollowsTheCodePage) {
    // UTF-8 by default; 1252 maps its own upper half (0x80 is the euro sign).
    const auto s = ReadScript(
        "STRINGTABLE { 1 \"Gr\xC3\xBC\xC3\x9F"
        "e\" }\n"
        "#pragma code_page(1252)\n"
        "STRINGTABLE { 2 \"\x80 \xE9\" }\n");
    EXPECT_EQ(Text(s, 1), U"Gr\u00fc\u00dfe");
    EXPECT_EQ(Text(s, 2), U"\u20ac \u00e9");
}

TEST(RcStrings, ContinuedLinesAndBothBlockForms) {
    const auto s = ReadScript(
        "STRINGTABLE DISCARDABLE\n"
        "{\n"
        "  1, \"first \\\n"
        "part\"\n"
        "}\n"
        "STRINGTABLE LANGUAGE 9, 1 BEGIN 3 \"three\" END\n");
    EXPECT_EQ(Text(s, 1), U"first part");
    EXPECT_EQ(Text(s, 3), U"three");
    ASSERT_EQ(s.strings.size(), 2u);
    EXPECT_EQ(s.strings[1].where.line, 6);
}

TEST(RcPreprocessor, IdsFromTheIncludedHeaderAndExpressions) {
    Files files;
    files.Add("/ui/resource.h",
              "//{{NO_DEPENDENCIES}}\n"
              "#define IDS_BASE 100\n"
              "#define IDS_NEXT (IDS_BASE + 1)\n"
              "#define IDS_HEX 0x20\n"
              "int notForResources(void) { return 'x' + 0x1FFFFFFFFLL; }\n"
              "#ifdef APSTUDIO_INVOKED\n"
              "#define _APS_NEXT_RESOURCE_VALUE 101\n"
              "#endif\n");
    files.Add("/sys/winres.h", "#define LANG_GERMAN 0x07\n#define SUBLANG_GERMAN 0x01\n");
    files.Add("/ui/m.rc",
              "#include \"resource.h\"\n"
              "#include <winres.h>\n"
              "LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\n"
              "STRINGTABLE\nBEGIN\n"
              "  IDS_BASE \"base\"\n"
              "  IDS_NEXT, \"next\"\n"
              "  IDS_HEX * 2 + 1 \"sixty-five\"\n"
              "END\n");
    const auto s = files.Read();
    EXPECT_EQ(Text(s, 100), U"base");
    EXPECT_EQ(Text(s, 101), U"next");
    EXPECT_EQ(Text(s, 65), U"sixty-five");
    EXPECT_EQ(s.language, 0x0407);
    ASSERT_EQ(s.strings.size(), 3u);
    EXPECT_EQ(s.strings.front().id, 65);  // sorted by id
    EXPECT_EQ(s.files, (std::vector<std::string>{"/ui/m.rc", "/ui/resource.h", "/sys/winres.h"}));
}

TEST(RcPreprocessor, ConditionalBlocksAreChosenAndSkippedTextIsNotRead) {
    const auto s = ReadScript(
        "#define FEATURE 2\n"
        "#ifdef APSTUDIO_INVOKED\n"
        "1 TEXTINCLUDE BEGIN \"unterminated\n END\n"
        "#endif\n"
        "#if FEATURE > 2\n"
        "STRINGTABLE { 1 \"if\" }\n"
        "#elif defined(FEATURE) && !defined NOT_DEFINED\n"
        "STRINGTABLE { 1 \"elif\" }\n"
        "#else\n"
        "STRINGTABLE { 1 \"else\" }\n"
        "#endif\n"
        "#ifndef RC_INVOKED\n"
        "this is C code\n"
        "#endif\n"
        "#if 0\n"
        "#if 1\n"  // inside skipped text, no branch is read
        "STRINGTABLE { 2 \"nested if\" }\n"
        "#else\n"
        "STRINGTABLE { 2 \"nested else\" }\n"
        "#endif\n"
        "#endif\n");
    ASSERT_EQ(s.strings.size(), 1u);
    EXPECT_EQ(Text(s, 1), U"elif");
}

TEST(RcPreprocessor, CommentsKeepLineNumbers) {
    const auto s = ReadScript(
        "/* a comment\n   over lines */ // and one to the end\n"
        "STRINGTABLE\nBEGIN\n"
        "  1 \"// not a comment\" /* trailing */\n"
        "END\n");
    EXPECT_EQ(Text(s, 1), U"// not a comment");
    EXPECT_EQ(s.strings[0].where.line, 5);
}

TEST(RcPreprocessor, OtherResourcesAreReadPast) {
    const auto s = ReadScript(
        "#define WS_CHILD 0x40000000L\n#define WS_VISIBLE 0x10000000L\n"
        "#define WS_TABSTOP 0x00010000L\n"
        "IDI_ICON ICON \"lumra.ico\"\n"
        "82 DIALOGEX 0, 0, 217, 422\n"
        "STYLE WS_CHILD | WS_VISIBLE\n"
        "FONT 8, \"MS Sans Serif\"\n"
        "BEGIN\n"
        "    GROUPBOX \"Diffuse\", -1, 0, 5, 215, 40\n"
        "    CONTROL \"\", 1003, \"CustButton\", WS_TABSTOP, 85, 15, 85, 10\n"
        "END\n"
        "1 VERSIONINFO FILEVERSION 1,0,0,0\n"
        "BEGIN BLOCK \"StringFileInfo\" BEGIN VALUE \"x\", \"y\" END END\n"
        "STRINGTABLE { 1 \"after\" }\n");
    ASSERT_EQ(s.strings.size(), 1u);
    EXPECT_EQ(Text(s, 1), U"after");
}

TEST(RcFaults, UnknownNamesDuplicatesAndRangesAtTheirLine) {
    EXPECT_EQ(Fault("STRINGTABLE\nBEGIN\n  IDS_MISSING \"x\"\nEND\n"),
              "/ui/m.rc:3: 'IDS_MISSING' is not defined");
    EXPECT_EQ(Fault("STRINGTABLE\nBEGIN\n  7 \"a\"\nEND\nSTRINGTABLE\nBEGIN\n  7 \"b\"\nEND\n"),
              "/ui/m.rc:7: duplicate string id 7 (first defined at /ui/m.rc:3)");
    EXPECT_EQ(Fault("STRINGTABLE { 65536 \"x\" }"),
              "/ui/m.rc:1: string id 65536 is outside 0 to 65535");
    EXPECT_EQ(Fault("STRINGTABLE { -1 \"x\" }"), "/ui/m.rc:1: string id -1 is outside 0 to 65535");
    EXPECT_EQ(Fault("STRINGTABLE\n{\n  4\n}\n"), "/ui/m.rc:4: expected the text of string 4");
    EXPECT_EQ(Fault("STRINGTABLE { 1 \"" + std::string(4098, 'x') + "\" }"),
              "/ui/m.rc:1: string 1 is longer than 4097 characters");
    EXPECT_EQ(Fault("STRINGTABLE LANGUAGE 9, 1 { 1 \"a\" }\nSTRINGTABLE LANGUAGE 7, 1 { 2 \"b\" }"),
              "/ui/m.rc:2: string tables in two languages (0x0409 and 0x0407) are not supported");
}

TEST(RcFaults, BrokenTextAndBlocks) {
    EXPECT_EQ(Fault("STRINGTABLE\nBEGIN\n  1 \"open\nEND\n"), "/ui/m.rc:3: unterminated string");
    EXPECT_EQ(Fault("STRINGTABLE\nBEGIN\n  1 \"x\"\n"), "/ui/m.rc:1: STRINGTABLE without END");
    EXPECT_EQ(Fault("\n/* open"), "/ui/m.rc:2: unterminated comment");
    EXPECT_EQ(Fault("STRINGTABLE { 1 \"bad \xC3\x28\" }"), "/ui/m.rc:1: text is not valid UTF-8");
    EXPECT_EQ(Fault("1 DIALOGEX 0, 0, 10, 10\nBEGIN\n"), "/ui/m.rc:1: resource '1' has no END");
    EXPECT_EQ(Fault("STRINGTABLE { 0x1G \"x\" }"), "/ui/m.rc:1: invalid number '0x1G'");
    EXPECT_EQ(Fault("#define IDS_BIG 0x100000000\nSTRINGTABLE\n{\n IDS_BIG \"x\" }"),
              "/ui/m.rc:4: number '0x100000000' is larger than 32 bits");
}

TEST(RcFaults, PreprocessorDirectives) {
    EXPECT_EQ(Fault("\n#if 1\nSTRINGTABLE { 1 \"x\" }\n"), "/ui/m.rc:2: #if without #endif");
    EXPECT_EQ(Fault("#endif\n"), "/ui/m.rc:1: #endif without #if");
    EXPECT_EQ(Fault("#if 0\n#else\n#else\n#endif\n"), "/ui/m.rc:3: #else after #else");
    EXPECT_EQ(Fault("\n#include \"missing.h\"\n"),
              "/ui/m.rc:2: cannot open include file 'missing.h'");
    EXPECT_EQ(Fault("#error stop here\n"), "/ui/m.rc:1: #error stop here");
    EXPECT_EQ(Fault("#frobnicate\n"), "/ui/m.rc:1: unknown directive #frobnicate");
    EXPECT_EQ(Fault("#pragma code_page(932)\n"),
              "/ui/m.rc:1: code page 932 is not supported (use 65001, 1252 or 28591)");
    EXPECT_EQ(Fault("#if 1 / 0\n#endif\n"), "/ui/m.rc:1: division by zero");

    // A header that gives one id two values is a fault, not a silent choice.
    Files twice;
    twice.Add("/ui/resource.h", "#define IDS_A 1\n#define IDS_A 1\n\n#define IDS_A 2\n");
    twice.Add("/ui/m.rc", "#include \"resource.h\"\n");
    EXPECT_EQ(Fault(twice),
              "/ui/resource.h:4: macro 'IDS_A' redefined differently (first defined at "
              "/ui/resource.h:1)");

    Files loop;
    loop.Add("/ui/m.rc", "#include \"m.rc\"\n");
    EXPECT_NE(Fault(loop).find("nested too deeply"), std::string::npos);

    EXPECT_EQ(Fault("#define ID(x) x\nSTRINGTABLE { ID(1) \"x\" }"),
              "/ui/m.rc:2: macro 'ID' takes arguments, which is not supported");
}

TEST(RcOutput, DependencyFileNamesEveryInput) {
    Files files;
    files.Add("/ui/resource.h", "#define IDS_A 1\n");
    files.Add("/ui/m.rc", "#include \"resource.h\"\nSTRINGTABLE { IDS_A \"a\" }\n");
    EXPECT_EQ(rc::EmitDepfile("/build/my out.cpp", files.Read()),
              "/build/my\\ out.cpp: \\\n  /ui/m.rc \\\n  /ui/resource.h\n");
}

TEST(RcTool, ReportsAFaultWithItsLineAndFails) {
    const std::string dir = testing::TempDir();
    const std::string script = dir + "lumra_rc_fault.rc";
    const std::string output = dir + "lumra_rc_fault.cpp";
    const std::string log = dir + "lumra_rc_fault.log";
    std::remove(output.c_str());
    std::ofstream(script) << "STRINGTABLE\nBEGIN\n  1 \"one\"\n  1 \"again\"\nEND\n";
    const std::string command =
        std::string(LUMRA_RC_PATH) + " -o " + output + " " + script + " 2> " + log;
    const int status = std::system(command.c_str());
    EXPECT_NE(status, 0);
    std::stringstream message;
    message << std::ifstream(log).rdbuf();
    EXPECT_EQ(message.str(),
              script + ":4: error: duplicate string id 1 (first defined at " + script + ":3)\n");
    EXPECT_FALSE(std::ifstream(output).good());  // no output from a failed run
}

// --- Dialog templates ---------------------------------------------------------

namespace {

const char* const kStyles =
    "#define WS_CHILD 0x40000000L\n#define WS_VISIBLE 0x10000000L\n"
    "#define WS_DISABLED 0x08000000L\n#define WS_GROUP 0x00020000L\n"
    "#define WS_TABSTOP 0x00010000L\n#define WS_VSCROLL 0x00200000L\n"
    "#define DS_SETFONT 0x40\n#define CBS_DROPDOWN 0x2L\n#define BS_AUTOCHECKBOX 0x3L\n"
    "#define IDC_STATIC (-1)\n";

rc::Dialog OnlyDialog(const std::string& text) {
    const auto s = ReadScript(std::string(kStyles) + text);
    EXPECT_EQ(s.dialogs.size(), 1u);
    return s.dialogs.empty() ? rc::Dialog() : s.dialogs[0];
}

}  // namespace

TEST(RcDialogs, HeadOfAnExtendedDialog) {
    const rc::Dialog d = OnlyDialog(
        "#define IDD_PANEL 82\n"
        "IDD_PANEL DIALOGEX DISCARDABLE 1, 2, 217, 422, 77\n"
        "STYLE WS_CHILD | WS_VISIBLE\n"
        "CAPTION \"Panel\"\n"
        "FONT 8, \"MS Sans Serif\", 400, 1, 0x1\n"
        "BEGIN\nEND\n");
    EXPECT_EQ(d.id, 82);
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.helpId, 77u);
    EXPECT_EQ(std::vector<int>({d.x, d.y, d.cx, d.cy}), std::vector<int>({1, 2, 217, 422}));
    // A caption brings WS_CAPTION and a font DS_SETFONT, as with the Windows compiler.
    EXPECT_EQ(d.style, 0x40000000u | 0x10000000u | 0x00C00000u | 0x40u);
    EXPECT_EQ(d.caption, U"Panel");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, 400);
    EXPECT_EQ(d.italic, 1);
    EXPECT_EQ(d.typeface, U"MS Sans Serif");
    EXPECT_TRUE(d.items.empty());
}

TEST(RcDialogs, StatementsTakeTheirClassAndDefaultStyles) {
    const rc::Dialog d = OnlyDialog(
        "1 DIALOGEX 0, 0, 100, 100\nBEGIN\n"
        "  RTEXT \"Multiply\", IDC_STATIC, 5, 15, 34, 8\n"
        "  GROUPBOX \"Diffuse\", -1, 0, 5, 215, 40\n"
        "  CONTROL \"\", 1041, \"Button\", BS_AUTOCHECKBOX | WS_TABSTOP, 200, 30, 10, 10\n"
        "  CONTROL \"\", 1042, \"CustEdit\", WS_TABSTOP, 45, 15, 20, 10\n"
        "  COMBOBOX 1013, 45, 120, 65, 12, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP\n"
        "  COMBOBOX 1014, 1, 1, 1, 1\n"
        "  CONTROL \"x\", 7, static, 0, 1, 1, 1, 1, 0x200, 9\n"
        "END\n");
    ASSERT_EQ(d.items.size(), 7u);
    EXPECT_EQ(d.items[0].windowClass, U"STATIC");
    EXPECT_EQ(d.items[0].id, 0xFFFFFFFFu);
    EXPECT_EQ(d.items[0].style, 0x50020002u);  // child, visible, group, right-aligned
    EXPECT_EQ(d.items[0].text, U"Multiply");
    EXPECT_EQ(d.items[1].windowClass, U"BUTTON");
    EXPECT_EQ(d.items[1].style, 0x50000007u);
    EXPECT_EQ(d.items[2].windowClass, U"BUTTON");  // the predefined class in any case
    EXPECT_EQ(d.items[2].style, 0x50010003u);
    EXPECT_EQ(d.items[3].windowClass, U"CustEdit");  // a custom class as written
    EXPECT_EQ(d.items[3].style, 0x50010000u);
    // A given style replaces the statement's default (CBS_SIMPLE | WS_TABSTOP), which
    // would otherwise turn a drop-down into a drop-down list.
    EXPECT_EQ(d.items[4].style, 0x50210002u);
    EXPECT_EQ(d.items[5].style, 0x50010001u);
    EXPECT_EQ(d.items[6].windowClass, U"STATIC");
    EXPECT_EQ(d.items[6].exStyle, 0x200u);
    EXPECT_EQ(d.items[6].helpId, 9u);
    EXPECT_EQ(d.items[6].where.line, 19);
}

TEST(RcDialogs, NotClearsOneTermOfTheStyle) {
    const rc::Dialog d = OnlyDialog(
        "1 DIALOGEX 0, 0, 100, 100\nBEGIN\n"
        "  CONTROL \"\", 1, \"CustEdit\", NOT WS_VISIBLE | WS_TABSTOP, 1, 1, 1, 1\n"
        "  CTEXT \"Sigma\", -1, 1, 1, 1, 1, NOT WS_VISIBLE | WS_GROUP\n"
        "  CONTROL \"\", 2, \"CustEdit\", (WS_DISABLED | WS_TABSTOP), 1, 1, 1, 1\n"
        "END\n");
    ASSERT_EQ(d.items.size(), 3u);
    EXPECT_EQ(d.items[0].style, 0x40010000u);
    EXPECT_EQ(d.items[1].style, 0x40020001u);
    EXPECT_EQ(d.items[2].style, 0x58010000u);
}

TEST(RcDialogs, OldDialogsHoldSixteenBitIdsAndTemplatesAreSorted) {
    const auto s = ReadScript(std::string(kStyles) +
                              "9 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", -1, 0, 0, 1, 1\nEND\n"
                              "3 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n");
    ASSERT_EQ(s.dialogs.size(), 2u);
    EXPECT_EQ(s.dialogs[0].id, 3);
    EXPECT_EQ(s.dialogs[1].id, 9);
    EXPECT_FALSE(s.dialogs[1].extended);
    EXPECT_EQ(s.dialogs[1].items[0].id, 0xFFFFu);
}

TEST(RcDialogs, FaultsAtTheirLine) {
    const std::string head = std::string(kStyles);  // 10 lines
    EXPECT_EQ(
        Fault(
            head +
            "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n CONTROL \"\", 1, \"X\", WS_NOPE, 1, 1, 1, 1\nEND\n"),
        "/ui/m.rc:13: 'WS_NOPE' is not defined");
    EXPECT_EQ(Fault(head + "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n SLIDER \"\", 1, 1, 1, 1, 1\nEND\n"),
              "/ui/m.rc:13: expected a control statement, found 'SLIDER'");
    EXPECT_EQ(
        Fault(head +
              "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n CONTROL \"\", 1, thing, 0, 1, 1, 1, 1\nEND\n"),
        "/ui/m.rc:13: unknown control class 'thing'");
    EXPECT_EQ(
        Fault(head + "1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n1 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"),
        "/ui/m.rc:14: duplicate dialog 1 (first defined at /ui/m.rc:11)");
    EXPECT_EQ(Fault(head + "PANEL DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n"),
              "/ui/m.rc:11: dialog 'PANEL' needs a number from 0 to 65535 as its name");
    EXPECT_EQ(Fault(head + "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", 1, 0, 0, 1\nEND\n"),
              "/ui/m.rc:14: expected ',' in the control's rectangle");
}
