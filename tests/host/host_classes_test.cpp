// The host's class directory against the host's own code: every concrete kind of
// reference target that the host defines can end up in a scene, so the loader must
// be able to make each one again. The kinds are read from the host's sources, so
// that a class added without its entry in the directory fails here.
#include "scene_file.h"

#include <gtest/gtest.h>

#include <cxxabi.h>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Declared {
    std::string base;
    bool inSdk = false;  // the SDK's headers declare the abstract interfaces
};

// The words and punctuation of a source text, comments included (a declaration in
// a comment does no harm).
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c) || c == '_') {
            std::size_t end = i;
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else {
            if (!std::isspace(c)) tokens.emplace_back(1, text[i]);
            ++i;
        }
    }
    return tokens;
}

// Every "class [EXPORT] NAME [final] : public BASE" of the host's sources, by name.
std::map<std::string, Declared> ReadClassDeclarations(const fs::path& root) {
    std::map<std::string, Declared> classes;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::vector<std::string> t = Tokens(text.str());
        const bool inSdk = entry.path().parent_path().filename() == "sdk";
        for (std::size_t i = 0; i + 4 < t.size(); ++i) {
            if (t[i] != "class") continue;
            std::size_t k = i + 1;
            const std::string& word = t[k];
            if (word.size() > 6 && word.compare(word.size() - 6, 6, "Export") == 0) ++k;
            if (word == "WINHOSTAPI") ++k;
            const std::size_t name = k++;
            if (k < t.size() && t[k] == "final") ++k;
            if (k + 2 < t.size() && t[k] == ":" && t[k + 1] == "public")
                classes[t[name]] = {t[k + 2], inSdk};
        }
    }
    return classes;
}

bool IsReferenceTarget(const std::map<std::string, Declared>& classes, std::string name) {
    for (int depth = 0; depth < 32; ++depth) {
        if (name == "ReferenceTarget") return true;
        auto it = classes.find(name);
        if (it == classes.end()) return false;
        name = it->second.base;
    }
    return false;
}

std::string TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 ? name.get() : type.name();
}

TEST(HostClasses, EveryKindOfObjectTheHostDefinesCanBeLoaded) {
    const std::map<std::string, Declared> declared = ReadClassDeclarations(LUMRA_HOST_SOURCE_DIR);
    std::set<std::string> hostKinds;
    for (const auto& [name, d] : declared) {
        if (!d.inSdk && IsReferenceTarget(declared, name)) hostKinds.insert(name);
    }
    ASSERT_TRUE(hostKinds.count("BMTex")) << "the host's sources were not read";

    std::set<std::string> loadable;
    for (ClassDesc* cd : HostClassDirectory().Classes()) {
        auto* made = static_cast<Animatable*>(cd->Create(TRUE));
        ASSERT_NE(made, nullptr);
        loadable.insert(TypeName(typeid(*made)));
        made->DeleteThis();
    }
    for (const std::string& kind : hostKinds)
        EXPECT_TRUE(loadable.count(kind)) << kind << " is missing from HostClassDirectory()";
}

}  // namespace
