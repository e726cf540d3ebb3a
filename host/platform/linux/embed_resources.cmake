# cmake -DIN=<file.res> -DOUT=<file.cpp> -P embed_resources.cmake
# Writes a source that embeds a module's compiled resources (see resdata.h).
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
get_filename_component(name ${IN} NAME)
file(WRITE ${OUT}.tmp "// Made by embed_resources.cmake from ${name}: the module's compiled resources.
#include \"resdata.h\"

namespace {
alignas(4) const unsigned char kResourceBytes[${size}] = {
${bytes}
};
}  // namespace

extern \"C\" const winhost::ResourceData WINHOST_RESOURCE_SYMBOL = {kResourceBytes, ${size}};
")
file(RENAME ${OUT}.tmp ${OUT})
