// The lumra command line, run as a user runs it.
#include "tests/lumra/work_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// `shell` runs before the program, in the shell that starts it.
Result RunLumra(const std::string& args, const std::string& shell = "") {
    const auto errFile = WorkFolder() / ("lumra_cli_err_" + std::to_string(::getpid()));
    const std::string command =
        shell + " '" + LUMRA_EXE + "' " + args + " 2>'" + errFile.string() + "'";
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = ReadFile(errFile);
    std::filesystem::remove(errFile);
    return r;
}

// The line of `show` output that lists a parameter (after its id) or a getter of
// ILumraMtl (first).
std::string ParamLine(const std::string& out, const std::string& name) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string id, n;
        words >> id >> n;
        if (n == name || id == name) return line;
    }
    return "";
}

}  // namespace

TEST(LumraCli, ClassesListsTheMaterial) {
    const Result r = RunLumra("classes");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("class LumraMtl"), std::string::npos);
    EXPECT_NE(r.out.find("(0xA3F0E60D, 0x941BA693)"), std::string::npos);
    EXPECT_NE(r.out.find("0x00000C00 (material)"), std::string::npos);
    EXPECT_NE(r.out.find("category          Material editor"), std::string::npos);
    EXPECT_NE(r.out.find("browser category  Materials\\Lumra"), std::string::npos);
    EXPECT_NE(r.out.find("Lumra renderer material editor"), std::string::npos);
}

// The value a getter of ILumraMtl printed.
std::string GetterValue(const std::string& out, const std::string& getter) {
    std::istringstream words(ParamLine(out, getter));
    std::string name, value;
    words >> name >> value;
    return value;
}

TEST(LumraCli, ShowListsEveryParameterInDeclarationOrderThenTheAccessor) {
    const Result r = RunLumra("show");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("68 parameters"), std::string::npos);
    // Declaration order: id 65 comes sixth, 32 and 33 before 31.
    EXPECT_LT(r.out.find("mtl_diffuse_mult "), r.out.find("mtl_roughness_mult"));
    EXPECT_LT(r.out.find("mtl_roughness_mult"), r.out.find("mtl_specular_color"));
    EXPECT_LT(r.out.find("mtl_transparency_cospower"), r.out.find("mtl_transparency_thin_on"));
    EXPECT_NE(ParamLine(r.out, "mtl_diffuse_color").find("0.8,0.8,0.8"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_reflect_brdf").find("3 (GGX)"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_reflect_cospower").find("1 .. 1000000"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_refl_fresnel_on,").find("ReflectFresnelOn"), std::string::npos);
    EXPECT_NE(r.out.find("ILumraMtl, as the renderer reads it after Update at time 0 (valid "
                         "forever)"),
              std::string::npos);
    EXPECT_EQ(GetterValue(r.out, "GetReflectIor"), "1.5");
    EXPECT_EQ(GetterValue(r.out, "GetReflectBrdf"), "3");
    EXPECT_EQ(GetterValue(r.out, "GetDiffuseMap"), "none");
    EXPECT_EQ(GetterValue(r.out, "HasOpacityMap"), "false");
    EXPECT_EQ(GetterValue(r.out, "GetBumpRadius"), "0.25");
}

TEST(LumraCli, ShowAppliesSettingsAsAScriptWould) {
    const Result r = RunLumra(
        "show --set mtl_reflect_brdf=TRGGX --set mtl_fog_color=0.1,0.2,0.3 "
        "--set mtl_emission_gi=false --set 'mtl_lock_specular,=0' --set mtl_reflect_extrusion=1 "
        "--set mtl_refl_gloss=0.25");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ParamLine(r.out, "mtl_reflect_brdf").find("4 (TRGGX)"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_fog_color").find("0.1,0.2,0.3"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_emission_gi").find("false"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_lock_specular,").find("false"), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_reflect_extrusion").find("1 (luminance)"), std::string::npos);
    // The renderer sees the changed values through the accessor.
    EXPECT_EQ(GetterValue(r.out, "GetReflectBrdf"), "4");
    EXPECT_EQ(GetterValue(r.out, "GetReflectGloss"), "0.25");
    EXPECT_EQ(GetterValue(r.out, "GetFogColor"), "0.1,0.2,0.3");
    EXPECT_EQ(GetterValue(r.out, "GetEmissionGi"), "false");
    EXPECT_EQ(GetterValue(r.out, "GetReflectExtrusion"), "1");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(LumraCli, AValueOutsideTheRangeIsKeptWithinItWithAWarning) {
    const Result r = RunLumra("show --set mtl_diffuse_mult=500 --set mtl_reflect_rotation=-20");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ParamLine(r.out, "mtl_diffuse_mult").find(" 100 "), std::string::npos);
    EXPECT_NE(ParamLine(r.out, "mtl_reflect_rotation").find(" 0 "), std::string::npos);
    EXPECT_NE(
        r.err.find("warning: mtl_diffuse_mult: 500 is outside its range 0 .. 100; kept at 100"),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("mtl_reflect_rotation"), std::string::npos);
}

TEST(LumraCli, BadSettingsFailClearly) {
    struct Case {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"show --set mtl_nothing=1", "unknown parameter 'mtl_nothing'"},
        {"show --set mtl_diffuse_mult=lots", "mtl_diffuse_mult: 'lots' is not a number"},
        {"show --set mtl_diffuse_mult=nan", "mtl_diffuse_mult: 'nan' is not finite"},
        {"show --set mtl_refl_gloss=-inf", "is not finite"},
        {"show --set mtl_refl_gloss=1e39", "'1e39' is out of the range of a 32-bit float"},
        {"show --set mtl_diffuse_color=0,nan,0", "'nan' is not finite"},
        {"show --set mtl_reflect_brdf=4294967296", "or an index from 0 to 4"},
        {"render --background nan,0,0", "'nan' is not finite"},
        {"render --background 1,1e39,0", "'1e39' is out of the range of a 32-bit float"},
        {"render --threads 100000", "not in range 1 to 256"},
        {"render --threads -1", "not in range 1 to 256"},
        {"show --set mtl_diffuse_color=1,2", "is not a colour r,g,b"},
        {"show --set mtl_diffuse_color=1,2,3,4", "is not a colour r,g,b"},
        {"show --set mtl_affect_shadow=maybe", "is not a switch"},
        {"show --set mtl_reflect_brdf=Lambert", "is not one of \"Phong\", \"TorrSparr\""},
        {"show --set mtl_reflect_brdf=5", "or an index from 0 to 4"},
        {"show --set mtl_refl_gloss_or_cos=2", "is not 0 or 1"},
        {"show --set mtl_diffuse_map=a.png", "is a map parameter"},
        {"show --set =3", "is not of the form NAME=VALUE"},
        {"show --set mtl_ior", "is not of the form NAME=VALUE"},
        {"--plugins /no/such/folder show", "plug-in folder '/no/such/folder' does not exist"},
    };
    for (const Case& c : cases) {
        const Result r = RunLumra(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    // Values too small for a float are rounded, not refused.
    EXPECT_EQ(RunLumra("show --set mtl_refl_gloss=1e-40").exitCode, 0);
}

TEST(LumraCli, EveryCommandHasHelp) {
    for (const char* args :
         {"--help", "classes --help", "show --help", "render --help", "panel --help"}) {
        const Result r = RunLumra(args);
        EXPECT_EQ(r.exitCode, 0) << args;
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << args;
    }
    EXPECT_NE(RunLumra("show --help").out.find("--set"), std::string::npos);
    EXPECT_NE(RunLumra("").exitCode, 0);
}

TEST(LumraCli, RenderWritesTheSlotAndReportsTimeAndLoopLength) {
    const auto dir = WorkFolder() / ("lumra_render_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const char* name : {"slot.png", "slot.exr", "slot.hdr"}) {
        const auto file = dir / name;
        const Result r = RunLumra("render --size 32 --threads 2 --set mtl_reflect_mult=1 -o '" +
                                  file.string() + "'");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_GT(std::filesystem::file_size(file), 100u) << name;
        EXPECT_NE(r.out.find("32x32, 2 threads"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("loop iterations per shaded pixel"), std::string::npos) << r.out;
    }
    const auto sheet = dir / "sheet.png";
    const Result r =
        RunLumra("render --sheet --size 16 --background 0.2,0.2,0.2 -o '" + sheet.string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("80x80"), std::string::npos) << r.out;
    std::filesystem::remove_all(dir);
}

TEST(LumraCli, RenderRefusesBadOptionsClearly) {
    struct Case {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"render --background 1,2 -o /tmp/x.png", "neither 'checker' nor a colour"},
        {"render --size 2 -o /tmp/x.png", "--size must be between 8 and 8192"},
        {"render --size 16 -o /tmp/lumra_x.bmp", "unknown picture type"},
        {"render --size 16 -o /no/such/folder/x.png", "cannot write"},
        {"render --map mtl_diffuse_mult=a.png -o /tmp/x.png", "is not a map parameter"},
        {"render --set mtl_reflect_brdf=Blinn -o /tmp/x.png", "is not one of"},
    };
    for (const Case& c : cases) {
        const Result r = RunLumra(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    // Values too small for a float are rounded, not refused.
    EXPECT_EQ(RunLumra("show --set mtl_refl_gloss=1e-40").exitCode, 0);
}

// A picture that cannot be written whole (here: larger than the process may write,
// as on a full disk) fails the command with the system's reason and leaves the
// previous picture; a device is never written.
TEST(LumraCli, FailedPictureWritesSayWhyAndKeepThePreviousPicture) {
    const auto dir = WorkFolder() / ("lumra_picture_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string limited = "trap '' XFSZ; ulimit -f 2;";
    for (const char* name : {"slot.png", "slot.exr", "slot.hdr", "panel.png"}) {
        const std::string file = (dir / name).string();
        const std::string command = name[0] == 'p' ? "panel -o '" : "render --size 64 -o '";
        ASSERT_EQ(RunLumra(command + file + "'").exitCode, 0) << name;
        const std::string previous = ReadFile(file);
        const Result r = RunLumra(command + file + "'", limited);
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(file), previous) << name;
    }
    std::filesystem::create_symlink("/dev/full", dir / "full.exr");
    const Result full = RunLumra("render --size 16 -o '" + (dir / "full.exr").string() + "'");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("not a regular file"), std::string::npos) << full.err;
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 5u);  // no temporary file left behind
    std::filesystem::remove_all(dir);
}

namespace {

// Width and height from a PNG file's header.
std::pair<unsigned, unsigned> PngSize(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    if (h[1] != 'P' || h[2] != 'N' || h[3] != 'G') return {0, 0};
    auto word = [&](int at) {
        return (unsigned(h[at]) << 24) | (unsigned(h[at + 1]) << 16) | (unsigned(h[at + 2]) << 8) |
               h[at + 3];
    };
    return {word(16), word(20)};
}

}  // namespace

TEST(LumraCli, PanelDrawsThePanelOnePixelPerScreenPixel) {
    const auto png = WorkFolder() / ("lumra_panel_" + std::to_string(::getpid()) + ".png");
    const Result r = RunLumra(
        "panel --set mtl_reflect_brdf=TRGGX --map mtl_diffuse_map=/maps/brick_01.png -o '" +
        png.string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("326 x 686 pixels"), std::string::npos) << r.out;
    EXPECT_EQ(PngSize(png), std::make_pair(326u, 686u));
    std::filesystem::remove(png);
}

TEST(LumraCli, PanelReportsWhereEachDroppedFileWent) {
    // (150, 30) is on the diffuse map button, (150, 130) on the reflection glossiness
    // map button, (75, 30) on the diffuse multiplier's edit box.
    const Result r = RunLumra(
        "panel --drop 150,30=/maps/brick_01.png --drop 150,130=C:\\\\maps\\\\gloss.tif "
        "--drop 75,30=/maps/x.png");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("150,30 /maps/brick_01.png: map slot 0 (DiffuseMap) holds the bitmap "
                         "texture 'brick_01'"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("map slot 7 (ReflectGlossinessMap) holds the bitmap texture 'gloss'"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("75,30 /maps/x.png: no map button takes it; nothing changed"),
              std::string::npos)
        << r.out;
}

TEST(LumraCli, PanelRefusesWhatItCannotDo) {
    EXPECT_NE(RunLumra("panel").err.find("-o FILE"), std::string::npos);
    EXPECT_NE(RunLumra("panel --drop 10=/x.png").err.find("is not X,Y=FILE"), std::string::npos);
    EXPECT_NE(RunLumra("panel --map mtl_diffuse_color=/x.png --drop 1,1=/x.png")
                  .err.find("not a map parameter"),
              std::string::npos);
    EXPECT_NE(
        RunLumra("panel --map mtl_nothing=/x.png --drop 1,1=/x.png").err.find("unknown parameter"),
        std::string::npos);
}

TEST(LumraCli, RenderTakesFilesDroppedOnThePanel) {
    const auto out = WorkFolder() / ("lumra_drop_" + std::to_string(::getpid()) + ".png");
    const Result r =
        RunLumra("render --size 16 --drop 190,33=/tmp/lumra_wood.png -o '" + out.string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("map slot 0 (DiffuseMap) holds the bitmap texture 'lumra_wood'"),
              std::string::npos)
        << r.out;
    // The file does not exist: the texture says so once, and the slot still renders.
    EXPECT_NE(r.err.find("lumra_wood.png"), std::string::npos) << r.err;
    std::filesystem::remove(out);
}

TEST(LumraCli, RenderTakesAMaterialFromASceneFile) {
    const auto dir = WorkFolder() / ("lumra_scene_render_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string scene = (dir / "one.scene").string();
    ASSERT_EQ(RunLumra("save '" + scene + "' --set mtl_diffuse_color=0,0,1").exitCode, 0);
    const std::string image = (dir / "slot.exr").string();
    const Result r = RunLumra("render --scene '" + scene + "' --size 16 -o '" + image + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(image));

    const Result missing =
        RunLumra("render --scene '" + scene + "' --material 2 -o '" + image + "'");
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("holds 1 material; there is no material 2"), std::string::npos)
        << missing.err;
    const Result bad = RunLumra("render --scene /no/such.scene -o '" + image + "'");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("/no/such.scene"), std::string::npos) << bad.err;
    std::filesystem::remove_all(dir);
}

// Address-space limits cannot be combined with the address sanitizer's shadow memory.
#if !defined(__SANITIZE_ADDRESS__)
TEST(LumraCli, RendersWithinTheMemoryItHas) {
    const std::string out = " -o '" + (WorkFolder() / "lumra_mem.png").string() + "'";
    // A picture that cannot fit is refused before any work, with its size named.
    const Result big = RunLumra("render --sheet --size 2048" + out, "ulimit -v 2000000; ");
    EXPECT_EQ(big.exitCode, 1);
    EXPECT_NE(big.err.find("a 10240 x 10240 picture needs about 2.9 GB"), std::string::npos)
        << big.err;
    // Threads the system cannot start leave their rows to those that did.
    const Result threads = RunLumra("render --threads 256 --size 32" + out, "ulimit -v 1200000; ");
    EXPECT_EQ(threads.exitCode, 0) << threads.err;
}
#endif

// Names in several scripts and beyond the Basic Multilingual Plane, for every kind
// of file the host opens or writes: the scene saved and loaded, a texture given and
// one dropped on a map button, the preview environment under the plug-in root, the
// picture written and the plug-in folder and module.
TEST(LumraCli, FilesNamedInAnyScriptAreSavedLoadedReadAndWritten) {
    namespace fs = std::filesystem;
    const fs::path dir = WorkFolder() / "scripts";
    fs::create_directories(dir / "plug-ins é😀");
    fs::create_symlink(LUMRA_PLUGIN_FILE, dir / "plug-ins é😀" / "Лумра 漢字 😀.dlt");
    fs::create_directory_symlink(LUMRA_DATA_DIR, dir / "données 😀");
    const std::string texture = "текстура 漢字 😀.png", scene = "scène Ελλάδα عربي 😀.lsc";
    ASSERT_EQ(RunLumra("render --size 8 -o '" + (dir / texture).string() + "'").exitCode, 0);
    const std::string plugins = "--plugins 'plug-ins é😀' ";
    const std::string shell = "cd '" + dir.string() + "' && LUMRA_ROOT='données 😀'";
    const Result saved = RunLumra(plugins + "save '" + scene + "' --set mtl_reflect_mult=1 " +
                                      "--map 'mtl_diffuse_map=" + texture + "'",
                                  shell);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const Result loaded = RunLumra(plugins + "load '" + scene + "'", shell);
    EXPECT_NE(loaded.out.find(scene + ": 1 material"), std::string::npos) << loaded.out;
    EXPECT_NE(loaded.out.find("\"текстура 漢字 😀\" (Bitmap)"), std::string::npos);

    // The texture and the environment are read: nothing to complain about.
    const Result rendered =
        RunLumra(plugins + "render --scene '" + scene + "' --size 8 -o 'slot عربي 😀.exr'", shell);
    EXPECT_EQ(rendered.exitCode, 0);
    EXPECT_EQ(rendered.err, "");
    EXPECT_NE(rendered.out.find("slot عربي 😀.exr: 8x8"), std::string::npos) << rendered.out;
    EXPECT_GT(fs::file_size(dir / "slot عربي 😀.exr"), 100u);

    const Result dropped = RunLumra(
        plugins + "render --size 8 --drop '190,33=" + texture + "' -o 'drop Ελ.png'", shell);
    EXPECT_EQ(dropped.exitCode, 0);
    EXPECT_EQ(dropped.err, "");
    EXPECT_NE(dropped.out.find("holds the bitmap texture 'текстура 漢字 😀'"), std::string::npos)
        << dropped.out;
}

// A Linux file name may be any bytes, but the host holds names as Unicode text: a
// name that is not UTF-8 is refused by its name, escaped, rather than turned into
// another one (an overlong '/' into a separator, say).
TEST(LumraCli, NamesThatAreNotUtf8AreRefusedByName) {
    const Result bad = RunLumra("load 'bad\xFF.lsc'");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("\"bad\\xFF.lsc\" is not UTF-8 text"), std::string::npos) << bad.err;
    const Result overlong = RunLumra(
        "save '..\xC0\xAF"
        "x.lsc'");
    EXPECT_EQ(overlong.exitCode, 1);
    EXPECT_NE(overlong.err.find("\"..\\xC0\\xAFx.lsc\" is not UTF-8"), std::string::npos);

    // A module named so in the plug-in folder is left out; the others load.
    const auto dir = WorkFolder() / "odd plug-ins";
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink(LUMRA_PLUGIN_FILE, dir / "good.dlt");
    std::filesystem::create_symlink(LUMRA_PLUGIN_FILE, dir / "odd\xFF.dlt");
    const Result r = RunLumra("--plugins '" + dir.string() + "' classes");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("odd\\xFF.dlt: the file name is not UTF-8 text; not loaded"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("good.dlt\n"), std::string::npos) << r.out;
}

// Every line that names a file reaches the terminal with the name's controls
// escaped: results, drop reports, errors, the texture's complaint and the parser's.
TEST(LumraCli, FileNamesArePrintedWithControlCharactersEscaped) {
    const std::string scene = (WorkFolder() / "x\x1b[2J.lsc").string();
    ASSERT_EQ(RunLumra("save '" + scene + "'").exitCode, 0);
    const Result loaded = RunLumra("load '" + scene + "'");
    EXPECT_NE(loaded.out.find("x\\x1B[2J.lsc: 1 material"), std::string::npos) << loaded.out;

    const Result rendered =
        RunLumra("render --size 8 --drop '190,33=m\x07.png' -o 'o\x1b]0;t\x07.png'");
    EXPECT_EQ(rendered.exitCode, 0) << rendered.err;
    EXPECT_NE(rendered.out.find("190,33 m\\x07.png: map slot 0 (DiffuseMap) holds the bitmap "
                                "texture 'm\\x07'"),
              std::string::npos)
        << rendered.out;
    EXPECT_NE(rendered.out.find("o\\x1B]0;t\\x07.png: 8x8"), std::string::npos) << rendered.out;
    EXPECT_NE(rendered.err.find("cannot read \"m\\x07.png\""), std::string::npos) << rendered.err;

    const Result missing = RunLumra("load 'gone\x1b[31m.lsc'");
    EXPECT_NE(missing.err.find("gone\\x1B[31m.lsc: cannot open"), std::string::npos);
    const Result extra = RunLumra("load a.lsc 'b\x1b[31m.lsc'");
    EXPECT_NE(extra.err.find("b\\x1B[31m.lsc"), std::string::npos) << extra.err;
    for (const Result* r : {&loaded, &rendered, &missing, &extra})
        EXPECT_EQ((r->out + r->err).find_first_of("\x1b\x07"), std::string::npos)
            << r->out << r->err;
}

TEST(LumraCli, TheTextureBudgetOfAMaterialIsASetting) {
    // A 32 x 32 picture (16 KB in memory) in two map slots: 20 KB holds one of them.
    std::string tga =
        std::string("\0\0\2", 3) + std::string(9, '\0') + std::string("\x20\0\x20\0\x18\0", 6);
    tga += std::string(32 * 32 * 3, '\x40');
    const std::string a = (WorkFolder() / "budget_a.tga").string();
    const std::string b = (WorkFolder() / "budget_b.tga").string();
    std::ofstream(a, std::ios::binary) << tga;
    std::ofstream(b, std::ios::binary) << tga;
    const std::string maps = " render --size 8 -o '" + (WorkFolder() / "budget.png").string() +
                             "' --map mtl_diffuse_map='" + a + "' --map mtl_reflect_map='" + b +
                             "'";
    const Result tight = RunLumra("--max-texture-memory 20K" + maps);
    EXPECT_EQ(tight.exitCode, 0) << tight.err;
    EXPECT_NE(tight.err.find("32 x 32 pixels take 16 KB: with the 16 KB of the other maps of "
                             "material"),
              std::string::npos)
        << tight.err;
    EXPECT_NE(tight.err.find("more than the 20 KB the maps of a material may take"),
              std::string::npos)
        << tight.err;
    const Result roomy = RunLumra("--max-texture-memory 1M" + maps);
    EXPECT_EQ(roomy.exitCode, 0) << roomy.err;
    EXPECT_EQ(roomy.err.find("cannot read"), std::string::npos) << roomy.err;
    for (const char* bad : {"0", "-5", "lots"}) {
        const Result r = RunLumra(std::string("--max-texture-memory ") + bad + " show");
        EXPECT_EQ(r.exitCode, 1) << bad;
    }
    EXPECT_NE(RunLumra("--help").out.find("--max-texture-memory"), std::string::npos);
    std::filesystem::remove(a);
    std::filesystem::remove(b);
}
