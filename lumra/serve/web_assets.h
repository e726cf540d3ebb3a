// The editor's page, its script and its style, built into the program from the
// files of web/.
#pragma once

#include <cstddef>
#include <string_view>

struct WebAsset {
    const char* path;  // as requested: "/", "/editor.js"...
    const char* type;  // the content type
    const unsigned char* data;
    std::size_t size;
};

// The asset served at the path, or null.
const WebAsset* FindWebAsset(std::string_view path);
