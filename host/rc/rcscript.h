// Reading Windows resource scripts (.rc): the preprocessor subset that scripts and
// their resource.h use, and the resource statements the host serves. The compiler
// tool turns the result into a C++ source of the module's resource data.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

struct Location {
    std::string file;
    int line = 0;
};

// A fault in a script, reported as "file:line: message".
class Error : public std::runtime_error {
public:
    Error(const Location& where, const std::string& message);
    Location where;
    std::string message;
};

struct Options {
    std::vector<std::string> includeDirs;        // searched for #include, in order
    std::map<std::string, std::string> defines;  // as -D NAME=VALUE
    // Reads a file; nullopt when it does not exist. Disk by default.
    std::function<std::optional<std::string>(const std::string& path)> readFile;
};

// Windows LANGID: primary language in the low 10 bits, sub-language above.
inline constexpr std::uint16_t kDefaultLanguage = 0x0409;

struct StringEntry {
    std::uint16_t id = 0;
    std::u32string text;
    Location where;
};

// One control of a dialog template. Styles are final: the statement's default
// styles applied, NOT terms cleared.
struct DialogItem {
    std::uint32_t helpId = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t id = 0;        // -1 (IDC_STATIC) is 0xFFFFFFFF
    std::u32string windowClass;  // predefined classes in capitals: BUTTON, EDIT, STATIC...
    std::u32string text;
    Location where;
};

// A DIALOG or DIALOGEX template. Sizes are in dialog units.
struct Dialog {
    std::uint16_t id = 0;
    bool extended = false;  // DIALOGEX
    std::uint32_t helpId = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u32string caption;
    std::u32string windowClass;  // empty: the system's dialog class
    std::u32string menu;
    bool hasFont = false;
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 1;  // DEFAULT_CHARSET
    std::u32string typeface;
    std::vector<DialogItem> items;  // in template order, which is the tab and Z order
    Location where;
};

struct ResourceScript {
    std::uint16_t language = kDefaultLanguage;
    std::vector<StringEntry> strings;  // sorted by id
    std::vector<Dialog> dialogs;       // sorted by id
    std::vector<std::string> files;    // the script and every file it included
};

ResourceScript ReadResourceScript(const std::string& path, const Options& options);

// The C++ source that defines the module's resource data (see host/win/resdata.h).
std::string EmitResourceSource(const ResourceScript& script, const std::string& scriptName);

// A make-style dependency file naming every input of `output`.
std::string EmitDepfile(const std::string& output, const ResourceScript& script);

}  // namespace rc
