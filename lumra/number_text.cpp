#include "number_text.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ParseFloatText(const std::string& text, float* value, std::string* why) {
    const std::string s = Trim(text);
    char* end = nullptr;
    errno = 0;
    const float v = s.empty() ? 0.0f : std::strtof(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size()) {
        *why = "is not a number";
        return false;
    }
    if (std::isinf(v) && errno == ERANGE) {
        *why = "is out of the range of a 32-bit float (about -3.4e38 to 3.4e38)";
        return false;
    }
    if (!std::isfinite(v)) {
        *why = "is not finite";
        return false;
    }
    *value = v;
    return true;
}

bool ParseIntText(const std::string& text, int* value, std::string* why) {
    const std::string s = Trim(text);
    char* end = nullptr;
    errno = 0;
    const long long v = s.empty() ? 0 : std::strtoll(s.c_str(), &end, 10);
    if (s.empty() || end != s.c_str() + s.size()) {
        *why = "is not a whole number";
        return false;
    }
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX) {
        *why = "is out of the range of a 32-bit integer";
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool ParseColorText(const std::string& text, Color* value, std::string* why) {
    float c[3];
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        const auto comma = text.find(',', start);
        if ((k < 2) != (comma != std::string::npos)) {
            *why = "is not a colour r,g,b";
            return false;
        }
        const std::string part = text.substr(start, comma - start);
        std::string partWhy;
        if (!ParseFloatText(part, &c[k], &partWhy)) {
            *why = "is not a colour r,g,b: '" + Trim(part) + "' " + partWhy;
            return false;
        }
        start = comma + 1;
    }
    *value = Color(c[0], c[1], c[2]);
    return true;
}
