// lumra thumbnails, run as a user runs it on libraries made by lumra_make_library:
// pictures equal to single renders on any number of threads, safe names, the
// cache, and the bad inputs.
#include "tests/lumra/work_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const fs::path& p) {
    std::string q = "'";
    q += p.string();
    q += "'";
    return q;
}

Result RunProgram(const std::string& exe, const std::string& args) {
    const fs::path errFile = WorkFolder() / ("thumbs_err_" + std::to_string(::getpid()));
    const std::string command = "'" + exe + "' " + args + " 2>" + Quoted(errFile);
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    fs::remove(errFile);
    return r;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every picture of a folder and its bytes.
std::map<std::string, std::string> Pictures(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".png") files[e.path().filename().string()] = Slurp(e);
    return files;
}

// The names of the pictures that differ between two folders' listings.
std::string Differing(const std::map<std::string, std::string>& a,
                      const std::map<std::string, std::string>& b) {
    std::string names;
    for (const auto& [name, bytes] : a) {
        const auto it = b.find(name);
        if (it == b.end() || it->second != bytes) names += name + " ";
    }
    for (const auto& [name, bytes] : b)
        if (!a.count(name)) names += name + " ";
    return names;
}

class ThumbnailsCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = WorkFolder() / ("thumbs_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A library of `count` materials (maps on materials 1 and 11, from
    // textures/texture_0.png and texture_1.png), the first ones named by `names`.
    fs::path Library(const std::string& file, int count, const std::vector<std::string>& names) {
        std::ofstream(dir_ / "names.txt", std::ios::binary | std::ios::trunc) << [&] {
            std::string text;
            for (const std::string& n : names) text += n + "\n";
            return text;
        }();
        const fs::path lib = dir_ / file;
        const Result r =
            RunProgram(MAKE_LIBRARY_EXE, Quoted(lib) + " " + std::to_string(count) +
                                             " --textures " + Quoted(dir_ / "textures") +
                                             " --names " + Quoted(dir_ / "names.txt"));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return lib;
    }
    Result Thumbnails(const fs::path& lib, const fs::path& out, const std::string& more = "") {
        return RunProgram(
            LUMRA_EXE, "thumbnails " + Quoted(lib) + " -o " + Quoted(out) + " --size 24 " + more);
    }
    fs::path dir_;
};

nlohmann::json Index(const fs::path& out) {
    return nlohmann::json::parse(Slurp(out / "index.json"));
}

TEST_F(ThumbnailsCli, BatchEqualsSingleRendersOnAnyThreadsWithSafeDistinctNames) {
    const std::vector<std::string> names = {
        "Brushed steel",      "a/b\\c:d", "Case", "case", "CON", "tab\there \x1b[31mred", "..", "",
        "\xff\xfe bad bytes", "nul.txt"};
    const fs::path lib = Library("lib.lsc", 12, names);
    std::map<std::string, std::string> first;
    std::string indexText;
    for (int threads : {1, 3}) {
        const fs::path out = dir_ / ("out" + std::to_string(threads));
        const Result r = Thumbnails(lib, out, "--threads " + std::to_string(threads));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::map<std::string, std::string> files = Pictures(out);
        if (first.empty()) {
            first = files;
            indexText = Slurp(out / "index.json");
        } else {
            EXPECT_EQ(Differing(files, first), "") << "threads change the pictures";
            EXPECT_EQ(Slurp(out / "index.json"), indexText);
        }
    }
    const nlohmann::json index = nlohmann::json::parse(indexText);
    ASSERT_EQ(index["materials"].size(), 12u);
    std::set<std::string> folded;
    for (const auto& m : index["materials"]) {
        const std::string file = m["file"];
        for (char c : file) {
            EXPECT_FALSE(c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
                << file;
        }
        std::string lower = file;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(folded.insert(lower).second) << "two files differ only in case: " << file;
        EXPECT_TRUE(fs::is_regular_file(dir_ / "out1" / file)) << file;
    }
    EXPECT_EQ(index["materials"][4]["file"], "05-CON_.png");
    EXPECT_EQ(index["materials"][7]["file"], "08-material.png");
    EXPECT_EQ(index["materials"][5]["name"], names[5]);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "out1" / "sheet.png"));

    // Material k of the batch is the picture 'render' draws of it alone.
    for (int k : {1, 6, 11}) {
        const fs::path single = dir_ / ("single" + std::to_string(k) + ".png");
        const Result r =
            RunProgram(LUMRA_EXE, "render --scene " + Quoted(lib) + " --material " +
                                      std::to_string(k) + " --size 24 -o " + Quoted(single));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string file = index["materials"][k - 1]["file"];
        EXPECT_EQ(Slurp(single), first[file]) << "material " << k;
    }

    // A range draws only its materials, named by their index in the library.
    const Result part = Thumbnails(lib, dir_ / "part", "--materials 11-20");
    ASSERT_EQ(part.exitCode, 0) << part.err;
    const nlohmann::json partIndex = Index(dir_ / "part");
    ASSERT_EQ(partIndex["materials"].size(), 2u);
    EXPECT_EQ(Slurp(dir_ / "part" / std::string(partIndex["materials"][0]["file"])),
              first[index["materials"][10]["file"]]);
    for (const char* bad : {"0-3", "5-2", "13", "x"})
        EXPECT_EQ(Thumbnails(lib, dir_ / "bad", std::string("--materials ") + bad).exitCode, 1)
            << bad;
}

TEST_F(ThumbnailsCli, CacheRedrawsExactlyTheChangedMaterialsAndNeverUsesABadEntry) {
    const fs::path lib = Library("lib.lsc", 12, {});
    const fs::path cache = dir_ / "cache";
    const fs::path out = dir_ / "out";
    const auto drawn = [&] {
        std::set<int> indices;
        const nlohmann::json index = Index(out);
        for (const auto& m : index["materials"])
            if (!m["cached"].get<bool>()) indices.insert(m["index"].get<int>());
        return indices;
    };
    ASSERT_EQ(Thumbnails(lib, out, "--cache " + Quoted(cache)).exitCode, 0);
    EXPECT_EQ(drawn().size(), 12u);
    const std::map<std::string, std::string> before = Pictures(out);
    ASSERT_EQ(Thumbnails(lib, out, "--cache " + Quoted(cache)).exitCode, 0);
    EXPECT_TRUE(drawn().empty());
    EXPECT_EQ(Differing(Pictures(out), before), "") << "cached pictures differ from drawn ones";

    // One material renamed (its saved data changes), one texture changed (only
    // material 11 uses texture_1.png).
    Library("lib.lsc", 12, {"Material 1 Phong gloss 1 refractive mapped", "Renamed"});
    std::string texture = Slurp(dir_ / "textures" / "texture_1.png");
    const fs::path other = dir_ / "textures" / "texture_2.png";
    std::ofstream(dir_ / "textures" / "texture_1.png", std::ios::binary | std::ios::trunc)
        << Slurp(other);
    ASSERT_EQ(Thumbnails(lib, out, "--cache " + Quoted(cache)).exitCode, 0);
    EXPECT_EQ(drawn(), (std::set<int>{2, 11}));

    // A damaged entry and a foreign one (another material's, under this one's key)
    // are drawn again, and give the same pictures as before.
    const nlohmann::json index = Index(out);
    const std::string key3 = index["materials"][2]["hash"];
    const std::string key4 = index["materials"][3]["hash"];
    const std::string key5 = index["materials"][4]["hash"];
    std::string entry = Slurp(cache / (key3 + ".thumb"));
    entry[entry.size() - 20] ^= 0x01;
    std::ofstream(cache / (key3 + ".thumb"), std::ios::binary | std::ios::trunc) << entry;
    fs::copy_file(cache / (key5 + ".thumb"), cache / (key4 + ".thumb"),
                  fs::copy_options::overwrite_existing);
    const std::map<std::string, std::string> good = Pictures(out);
    ASSERT_EQ(Thumbnails(lib, out, "--cache " + Quoted(cache)).exitCode, 0);
    EXPECT_EQ(drawn(), (std::set<int>{3, 4}));
    EXPECT_EQ(Differing(Pictures(out), good), "");
}

TEST_F(ThumbnailsCli, BadInputFailsBeforeWorkOrWarnsAndOtherFilesStay) {
    const fs::path lib = Library("lib.lsc", 3, {});
    const fs::path out = dir_ / "out";
    fs::create_directories(out);
    std::ofstream(out / "notes.txt") << "mine";

    // A missing texture: the material is still drawn, with the warning.
    fs::remove(dir_ / "textures" / "texture_0.png");
    Result r = Thumbnails(lib, out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("material 1"), std::string::npos) << r.err;
    const nlohmann::json index = Index(out);
    ASSERT_EQ(index["materials"][0]["warnings"].size(), 1u);
    EXPECT_NE(index["materials"][0]["warnings"][0].get<std::string>().find("texture_0.png"),
              std::string::npos);
    EXPECT_TRUE(index["materials"][1]["warnings"].empty());
    EXPECT_TRUE(fs::is_regular_file(out / std::string(index["materials"][0]["file"])));
    EXPECT_EQ(Slurp(out / "notes.txt"), "mine");

    // A damaged library: refused with the loader's reason, nothing written.
    const std::string bytes = Slurp(lib);
    std::ofstream(dir_ / "cut.lsc", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    r = Thumbnails(dir_ / "cut.lsc", dir_ / "never");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cut.lsc"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "never"));

    // What is not a scene file is refused as loading the whole file refuses it, with
    // the reason, before a chunk is walked: a fifo (never waited on), a sparse file
    // (a scene's first bytes, then a hole) and a file of another kind.
    ASSERT_EQ(::mkfifo((dir_ / "fifo.lsc").c_str(), 0600), 0);
    std::ofstream(dir_ / "holes.lsc", std::ios::binary)
        << std::string("\x00\x20\x16\x00\x00\x00LUMRASCN\x01\x00\x00\x00\x00\x00\x00\x00", 22);
    fs::resize_file(dir_ / "holes.lsc", 64 << 20);
    std::ofstream(dir_ / "text.lsc") << std::string(100, 'x');
    for (const auto& [name, reason] :
         std::map<std::string, std::string>{{"fifo.lsc", "a fifo, not a regular file"},
                                            {"holes.lsc", "(a sparse file)"},
                                            {"text.lsc", "not a scene file"}}) {
        r = Thumbnails(dir_ / name, dir_ / "never");
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "never")) << name;
    }

    // An output folder that cannot be written, or that is a file: refused before
    // any work (the cache is not even made).
    r = Thumbnails(lib, out / "notes.txt" / "sub", "--cache " + Quoted(dir_ / "cache"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("output folder"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "cache"));
    r = Thumbnails(lib, out / "notes.txt");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("is not a folder"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(out / "notes.txt"), "mine");
}

// The library is read a material at a time: on every sample scene (old layouts,
// shared maps, a block shared against the rules, names with controls) it must
// refuse what loading the whole file refuses and otherwise draw what 'render' does.
TEST_F(ThumbnailsCli, EverySampleSceneIsReadAsTheWholeFileLoaderReadsIt) {
    const fs::path scenes = dir_ / "scenes";
    ASSERT_EQ(RunProgram(FIXTURES_EXE, Quoted(scenes)).exitCode, 0);
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(scenes)) {
        const fs::path scene = entry.path();
        const std::string name = scene.filename().string();
        const int loads = RunProgram(LUMRA_EXE, "load " + Quoted(scene)).exitCode;
        const fs::path out = dir_ / ("out_" + scene.stem().string());
        const Result r = Thumbnails(scene, out);
        ASSERT_EQ(r.exitCode, loads) << name << ": " << r.err;
        if (loads != 0) {
            EXPECT_FALSE(fs::exists(out)) << name;
            continue;
        }
        const nlohmann::json index = Index(out);
        for (std::size_t k = 1; k <= index["materials"].size(); ++k) {
            const fs::path single = dir_ / "single.png";
            ASSERT_EQ(
                RunProgram(LUMRA_EXE, "render --scene " + Quoted(scene) + " --material " +
                                          std::to_string(k) + " --size 24 -o " + Quoted(single))
                    .exitCode,
                0)
                << name;
            EXPECT_EQ(Slurp(single), Slurp(out / std::string(index["materials"][k - 1]["file"])))
                << name << ", material " << k;
            ++checked;
        }
    }
    EXPECT_GE(checked, 6);
}

}  // namespace
