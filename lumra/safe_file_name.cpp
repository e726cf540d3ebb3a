#include "safe_file_name.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

// The code point of the UTF-8 sequence at text[i] and its length; length 0 when
// the bytes there are not UTF-8.
std::uint32_t Decode(std::string_view text, std::size_t i, std::size_t* length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
        *length = 1;
        return b;
    } else if ((b & 0xE0) == 0xC0) {
        n = 2, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, cp = b & 0x07;
    } else {
        *length = 0;
        return 0;
    }
    if (i + n > text.size()) {
        *length = 0;
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            *length = 0;
            return 0;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        *length = 0;
        return 0;
    }
    *length = n;
    return cp;
}

bool Unsafe(std::uint32_t cp) {
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) return true;  // controls
    if (cp < 0x80 &&
        std::string_view("/\\:*?\"<>|").find(static_cast<char>(cp)) != std::string_view::npos)
        return true;
    // Marks that reorder or hide text, the line and paragraph separators, and
    // the byte-order mark.
    return (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0xFEFF;
}

bool NamesDevice(const std::string& stem) {
    std::string base = stem.substr(0, stem.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : kDevices)
        if (base == d) return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

}  // namespace

std::string SafeFileStem(std::string_view utf8, std::string_view fallback, std::size_t maxBytes) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 0;
        const std::uint32_t cp = Decode(utf8, i, &length);
        if (length == 0) {
            out += '_';
            ++i;
            continue;
        }
        if (out.size() + (Unsafe(cp) ? 1 : length) > maxBytes) break;
        if (Unsafe(cp))
            out += '_';
        else
            out.append(utf8.substr(i, length));
        i += length;
    }
    const auto strip = [](char c) { return c == ' ' || c == '.'; };
    while (!out.empty() && strip(out.back())) out.pop_back();
    out.erase(out.begin(), std::find_if_not(out.begin(), out.end(), strip));
    if (out.empty()) out = std::string(fallback);
    if (NamesDevice(out)) out += '_';
    return out;
}

std::string ThumbnailFileName(int index, int digits, std::string_view name) {
    std::string number = std::to_string(index);
    if (static_cast<int>(number.size()) < digits)
        number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
    return number + "-" + SafeFileStem(name) + ".png";
}
