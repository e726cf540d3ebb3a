// lumra save and load, run as a user runs them, on files the project's own code made.
#include "tests/lumra/work_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Result RunProgram(const std::string& exe, const std::string& args) {
    const fs::path errFile = WorkFolder() / ("lumra_scene_err_" + std::to_string(::getpid()));
    std::string command = "'";
    command += exe;
    command += "' ";
    command += args;
    command += " 2>'";
    command += errFile.string();
    command += "'";
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    fs::remove(errFile);
    return r;
}

// The argument in single quotes, for the shell.
std::string Quoted(const std::string& arg) {
    std::string q = "'";
    q += arg;
    q += "'";
    return q;
}

Result Lumra(const std::string& args) { return RunProgram(LUMRA_EXE, args); }

class SceneCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = WorkFolder() / ("lumra_scene_cli_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

// The line that names a parameter or a getter of ILumraMtl.
bool HasLine(const std::string& out, const std::string& first, const std::string& value) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string a, b, c, d;
        words >> a >> b >> c >> d;
        // "ID NAME TYPE VALUE ..." for a parameter, "GETTER VALUE" for a getter.
        if (a == first && (b == value || d == value)) return true;
    }
    return false;
}

TEST_F(SceneCli, SavedMaterialLoadsWithItsSettingsAndMaps) {
    const std::string file = Path("scene.lsc");
    Result saved = Lumra("save '" + file +
                         "' --set mtl_reflect_brdf=TRGGX --set mtl_refl_gloss=0.7 "
                         "--map mtl_diffuse_map=/textures/oak.png "
                         "--map mtl_normal_map=normal:/textures/relief.png");
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    Result loaded = Lumra("load '" + file + "'");
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_NE(loaded.out.find("1 material"), std::string::npos);
    EXPECT_TRUE(HasLine(loaded.out, "19", "4")) << loaded.out;  // mtl_reflect_brdf: 4 (TRGGX)
    EXPECT_TRUE(HasLine(loaded.out, "GetReflectBrdf", "4"));
    EXPECT_TRUE(HasLine(loaded.out, "46", "0.7"));
    EXPECT_TRUE(HasLine(loaded.out, "GetReflectGloss", "0.7"));
    EXPECT_TRUE(HasLine(loaded.out, "GetDiffuseMap", "\"oak\""));
    EXPECT_NE(loaded.out.find("\"relief\" (Normal Bump)"), std::string::npos);
    EXPECT_TRUE(HasLine(loaded.out, "GetNormalMap", "\"relief\""));
    EXPECT_EQ(loaded.out.find("upgraded"), std::string::npos);
}

TEST_F(SceneCli, BadArgumentsAndFailedSavesKeepThePreviousFile) {
    const std::string file = Path("scene.lsc");
    ASSERT_EQ(Lumra("save '" + file + "' --set mtl_ior=2").exitCode, 0);
    const auto size = fs::file_size(file);
    Result notAMap = Lumra("save '" + file + "' --map mtl_ior=x.png");
    EXPECT_EQ(notAMap.exitCode, 1);
    EXPECT_NE(notAMap.err.find("not a map parameter"), std::string::npos);
    Result mapBySet = Lumra("save '" + file + "' --set mtl_diffuse_map=x.png");
    EXPECT_EQ(mapBySet.exitCode, 1);
    EXPECT_NE(mapBySet.err.find("--map"), std::string::npos);
    EXPECT_EQ(fs::file_size(file), size);
    EXPECT_TRUE(HasLine(Lumra("load '" + file + "'").out, "32", "2"));

    // A save into a folder that does not exist fails and says so.
    Result nowhere = Lumra("save '" + Path("missing/scene.lsc") + "'");
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.err.find("not saved"), std::string::npos);
}

TEST_F(SceneCli, EarlierLayoutsAreUpgradedAndSaid) {
    ASSERT_EQ(RunProgram(FIXTURES_EXE, Quoted(dir_.string())).exitCode, 0);
    for (const std::string version : {"0", "1"}) {
        Result r = Lumra("load '" + Path("layout" + version + ".lsc") + "'");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("layout version " + version), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("upgraded"), std::string::npos);
        EXPECT_TRUE(HasLine(r.out, "19", "4"));
        EXPECT_TRUE(HasLine(r.out, "18", "0.5"));
    }
    Result shared = Lumra("load '" + Path("shared_maps.lsc") + "'");
    EXPECT_NE(shared.out.find("2 materials"), std::string::npos);
}

TEST_F(SceneCli, DamagedFileIsRefusedWithAReason) {
    ASSERT_EQ(RunProgram(FIXTURES_EXE, Quoted(dir_.string())).exitCode, 0);
    const std::string file = Path("default.lsc");
    fs::resize_file(file, fs::file_size(file) - 10);
    Result r = Lumra("load '" + file + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("bytes"), std::string::npos) << r.err;
    // A file with a tail is damaged too.
    const std::string tailed = Path("shared_maps.lsc");
    std::ofstream(tailed, std::ios::binary | std::ios::app) << "tail";
    Result tail = Lumra("load '" + tailed + "'");
    EXPECT_EQ(tail.exitCode, 1);
    EXPECT_NE(tail.err.find("4 bytes after its last chunk"), std::string::npos) << tail.err;
    Result missing = Lumra("load '" + Path("none.lsc") + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos);
}

TEST_F(SceneCli, ControlCharactersInNamesArePrintedEscaped) {
    ASSERT_EQ(RunProgram(FIXTURES_EXE, Quoted(dir_.string())).exitCode, 0);
    Result r = Lumra("load '" + Path("control_names.lsc") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("material 1 \"Red\\x1B[31m alert\\x07\\u{202E}\""), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"line\\x0Amaterial 2 \"fake\"\" (Bitmap)"), std::string::npos);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find("\nmaterial 2"), std::string::npos);  // no line the file made up
}

}  // namespace
