// The resource compiler of the stand-in host:
//   lumra_rc [-I dir]... [-D NAME[=VALUE]]... -o out.cpp [--depfile out.d] script.rc
// turns a Windows resource script into a C++ source of the module's resource data.
#include "rcscript.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

int Usage(const char* message) {
    std::cerr << "lumra_rc: " << message << "\n"
              << "usage: lumra_rc [-I dir]... [-D NAME[=VALUE]]... -o out.cpp [--depfile out.d] "
                 "script.rc\n";
    return 2;
}

bool WriteFile(const std::string& path, const std::string& text) {
    // Written beside the target and renamed, so that a failed run leaves no half file.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !(out << text) || !out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    rc::Options options;
    std::string output, depfile, input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const std::string& flag) -> std::string {
            if (arg.size() > flag.size()) return arg.substr(flag.size());
            if (i + 1 >= argc) return {};
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            Usage("compiles a resource script");
            return 0;
        } else if (arg.rfind("-I", 0) == 0) {
            options.includeDirs.push_back(value("-I"));
        } else if (arg.rfind("-D", 0) == 0) {
            const std::string d = value("-D");
            const auto eq = d.find('=');
            options.defines[d.substr(0, eq)] = eq == std::string::npos ? "1" : d.substr(eq + 1);
        } else if (arg == "-o") {
            output = value("-o");
        } else if (arg == "--depfile") {
            depfile = value("--depfile");
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else if (input.empty()) {
            input = arg;
        } else {
            return Usage("more than one script given");
        }
    }
    if (input.empty() || output.empty()) return Usage("a script and -o are required");

    try {
        const rc::ResourceScript script = rc::ReadResourceScript(input, options);
        if (!WriteFile(output, rc::EmitResourceSource(script, BaseName(input)))) {
            std::cerr << output << ": cannot write the output\n";
            return 1;
        }
        if (!depfile.empty() && !WriteFile(depfile, rc::EmitDepfile(output, script))) {
            std::cerr << depfile << ": cannot write the dependency file\n";
            return 1;
        }
    } catch (const rc::Error& e) {
        std::cerr << e.where.file << ":" << e.where.line << ": error: " << e.message << "\n";
        return 1;
    }
    return 0;
}
