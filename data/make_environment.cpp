// Makes the preview environment picture. Run it by hand after changing the set
// in studio_environment.cpp, and commit its output:
//   make_environment data/pluginFiles/material/EnvMatEdit.hdr
#include "data/studio_environment.h"
#include "lumra/image_file.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_environment OUTPUT.hdr\n");
        return 2;
    }
    const std::vector<float> rgb = MakeStudioEnvironment(kStudioWidth, kStudioHeight);
    std::string error;
    if (!WriteImageFile(argv[1], kStudioWidth, kStudioHeight, rgb.data(), error)) {
        std::fprintf(stderr, "make_environment: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
