# Writes OUTPUT, a C++ source holding the files of the editor's page as byte arrays,
# with FindWebAsset over them. Run at build time: cmake -DOUTPUT=... -DWEB_DIR=... -P
set(entries "")
set(arrays "")
set(n 0)
foreach(entry "/|index.html|text/html; charset=utf-8"
             "/editor.js|editor.js|text/javascript; charset=utf-8"
             "/editor.css|editor.css|text/css; charset=utf-8")
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 url)
  list(GET parts 1 file)
  list(GET parts 2 type)
  file(READ "${WEB_DIR}/${file}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kAsset${n}[] = {${bytes}0};\n")
  string(APPEND entries "    {\"${url}\", \"${type}\", kAsset${n}, ${size}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from lumra/serve/web at build time; do not edit.
#include \"lumra/serve/web_assets.h\"

namespace {
${arrays}
const WebAsset kAssets[] = {
${entries}};
}  // namespace

const WebAsset* FindWebAsset(std::string_view path) {
    for (const WebAsset& a : kAssets)
        if (path == a.path) return &a;
    return nullptr;
}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
