// File names made from names that come from files (a material's name): safe on
// every file system the pictures may be copied to.
#pragma once

#include <string>
#include <string_view>

// A file-name stem from UTF-8 text: path separators, the characters Windows
// refuses (: * ? " < > |), control characters, the marks that reorder text and
// bytes that are not UTF-8 become '_'; leading and trailing spaces and dots go;
// a stem that names a device on Windows (CON, NUL, COM1, LPT1..., in any case,
// with or without an extension) gets a '_' appended; an empty stem is `fallback`.
// At most maxBytes bytes, cut at a character boundary.
std::string SafeFileStem(std::string_view utf8, std::string_view fallback = "material",
                         std::size_t maxBytes = 96);

// The picture of material `index` (from 1) of a library: "0042-Brushed_steel.png",
// the index padded to `digits`. Distinct indices give names that differ even
// where letter case does not count.
std::string ThumbnailFileName(int index, int digits, std::string_view name);
