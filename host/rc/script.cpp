// Resource statements: string tables are compiled; other resources are read past.
#include "preprocessor.h"
#include "rcscript.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace rc {

namespace {

constexpr std::size_t kMaxStringLength = 4097;  // the resource compiler's limit

// Attributes that old scripts still write on resources and that mean nothing now.
const std::set<std::string> kMemoryFlags = {"DISCARDABLE", "MOVEABLE", "FIXED",
                                            "PURE",        "IMPURE",   "PRELOAD",
                                            "LOADONCALL",  "SHARED",   "NONSHARED"};

bool IsBegin(const Token& t) { return t.IsWord("BEGIN") || t.IsPunct("{"); }
bool IsEnd(const Token& t) { return t.IsWord("END") || t.IsPunct("}"); }

std::string Where(const Location& l) { return l.file + ":" + std::to_string(l.line); }

class ScriptReader {
public:
    ScriptReader(Preprocessor& pp, ResourceScript& script) : pp_(pp), script_(script) {}

    void Read() {
        for (;;) {
            const Token& t = pp_.Peek();
            if (t.kind == TokenKind::EndOfFile) break;
            if (t.IsWord("STRINGTABLE")) {
                StringTable();
            } else if (t.IsWord("LANGUAGE")) {
                pp_.Next();
                language_ = Language();
            } else if (t.IsWord("VERSION") || t.IsWord("CHARACTERISTICS")) {
                pp_.Next();
                EvaluateExpression(pp_, UnknownNames::AreErrors);
            } else {
                Resource();
            }
        }
        std::sort(script_.strings.begin(), script_.strings.end(),
                  [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
        if (languageUsed_) script_.language = usedLanguage_;
    }

private:
    std::uint16_t Language() {
        const Token at = pp_.Peek();
        const std::int64_t primary = EvaluateExpression(pp_, UnknownNames::AreErrors);
        Expect(",", "between language and sub-language");
        const std::int64_t sub = EvaluateExpression(pp_, UnknownNames::AreErrors);
        if (primary < 0 || primary > 0x3FF || sub < 0 || sub > 0x3F)
            throw Error(at.where, "language out of range");
        return static_cast<std::uint16_t>((sub << 10) | primary);
    }

    void Expect(const char* punct, const char* what) {
        const Token t = pp_.Next();
        if (!t.IsPunct(punct))
            throw Error(t.where, std::string("expected '") + punct + "' " + what);
    }

    void StringTable() {
        const Token keyword = pp_.Next();
        std::uint16_t language = language_;
        for (;;) {
            const Token& t = pp_.Peek();
            if (IsBegin(t)) break;
            if (t.kind != TokenKind::Identifier)
                throw Error(t.where, "expected BEGIN after STRINGTABLE");
            const Token option = pp_.Next();
            if (option.IsWord("LANGUAGE")) {
                language = Language();
            } else if (option.IsWord("VERSION") || option.IsWord("CHARACTERISTICS")) {
                EvaluateExpression(pp_, UnknownNames::AreErrors);
            } else if (!kMemoryFlags.count(option.text)) {
                throw Error(option.where, "unexpected '" + option.text + "' after STRINGTABLE");
            }
        }
        pp_.Next();  // BEGIN
        UseLanguage(language, keyword.where);
        for (;;) {
            const Token& t = pp_.Peek();
            if (IsEnd(t)) {
                pp_.Next();
                return;
            }
            if (t.kind == TokenKind::EndOfFile)
                throw Error(keyword.where, "STRINGTABLE without END");
            StringEntry entry;
            entry.where = t.where;
            const std::int64_t id = EvaluateExpression(pp_, UnknownNames::AreErrors);
            if (id < 0 || id > 0xFFFF)
                throw Error(entry.where,
                            "string id " + std::to_string(id) + " is outside 0 to 65535");
            entry.id = static_cast<std::uint16_t>(id);
            if (pp_.Peek().IsPunct(",")) pp_.Next();
            if (pp_.Peek().kind != TokenKind::String)
                throw Error(pp_.Peek().where, "expected the text of string " + std::to_string(id));
            while (pp_.Peek().kind == TokenKind::String) entry.text += pp_.Next().value;
            if (entry.text.size() > kMaxStringLength)
                throw Error(entry.where, "string " + std::to_string(id) + " is longer than " +
                                             std::to_string(kMaxStringLength) + " characters");
            const auto first = ids_.find(entry.id);
            if (first != ids_.end())
                throw Error(entry.where, "duplicate string id " + std::to_string(id) +
                                             " (first defined at " + Where(first->second) + ")");
            ids_.emplace(entry.id, entry.where);
            script_.strings.push_back(std::move(entry));
        }
    }

    // One language per module: LoadStringW serves the module's only string table.
    void UseLanguage(std::uint16_t language, const Location& where) {
        if (languageUsed_ && language != usedLanguage_) {
            char text[80];
            std::snprintf(text, sizeof text,
                          "string tables in two languages (0x%04X and 0x%04X) are not supported",
                          usedLanguage_, language);
            throw Error(where, text);
        }
        languageUsed_ = true;
        usedLanguage_ = language;
    }

    // name TYPE ... : resources the host does not serve (yet) are read past, whole.
    void Resource() {
        const Token name = pp_.Next();
        if (name.kind != TokenKind::Identifier && name.kind != TokenKind::Number &&
            name.kind != TokenKind::String)
            throw Error(name.where, "expected a resource statement, found '" + name.text + "'");
        const Token type = pp_.Next();
        if (type.kind != TokenKind::Identifier && type.kind != TokenKind::Number &&
            type.kind != TokenKind::String)
            throw Error(type.where, "expected a resource type after '" + name.text + "'");
        // A resource in a file of its own: name TYPE [flags] "file".
        while (pp_.Peek().kind == TokenKind::Identifier && kMemoryFlags.count(pp_.Peek().text))
            pp_.Next();
        if (pp_.Peek().kind == TokenKind::String) {
            pp_.Next();
            return;
        }
        // Otherwise a header (sizes, STYLE, CAPTION, FONT ...) and a BEGIN ... END body.
        for (;;) {
            const Token t = pp_.Next();
            if (t.kind == TokenKind::EndOfFile)
                throw Error(type.where, "resource '" + name.text + "' has no BEGIN");
            if (IsBegin(t)) break;
            if (t.startsLine && IsResourceStart(t))
                throw Error(type.where, "resource '" + name.text + "' has no BEGIN");
        }
        int depth = 1;
        while (depth > 0) {
            const Token t = pp_.Next();
            if (t.kind == TokenKind::EndOfFile)
                throw Error(type.where, "resource '" + name.text + "' has no END");
            if (IsBegin(t))
                ++depth;
            else if (IsEnd(t))
                --depth;
        }
    }

    static bool IsResourceStart(const Token& t) {
        return t.IsWord("STRINGTABLE") || t.IsWord("LANGUAGE");
    }

    Preprocessor& pp_;
    ResourceScript& script_;
    std::uint16_t language_ = kDefaultLanguage;
    bool languageUsed_ = false;
    std::uint16_t usedLanguage_ = kDefaultLanguage;
    std::map<std::uint16_t, Location> ids_;
};

// A wide literal that C++ reads back unchanged: printable ASCII as itself, the rest
// as hex escapes, the literal split after each so that no digit joins an escape.
std::string WideLiteral(const std::u32string& text) {
    std::string out = "L\"";
    for (char32_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else {
            char escape[24];
            std::snprintf(escape, sizeof escape, "\\x%X\" L\"", static_cast<unsigned>(c));
            out += escape;
        }
    }
    out += '"';
    return out;
}

std::string DepfileEscape(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

}  // namespace

ResourceScript ReadResourceScript(const std::string& path, const Options& options) {
    ResourceScript script;
    Preprocessor pp(options);
    pp.Open(path);
    ScriptReader(pp, script).Read();
    script.files = pp.Files();
    return script;
}

std::string EmitResourceSource(const ResourceScript& script, const std::string& scriptName) {
    std::string out;
    out += "// The resources of " + scriptName +
           ", compiled by the resource compiler. Edit the script, not this file.\n";
    out += "#include \"resdata.h\"\n\n";
    if (!script.strings.empty()) {
        out += "namespace {\n\nconst winhost::StringResource kStrings[] = {\n";
        for (const StringEntry& s : script.strings) {
            out += "    {" + std::to_string(s.id) + ", " + std::to_string(s.text.size()) + ", " +
                   WideLiteral(s.text) + "},\n";
        }
        out += "};\n\n}  // namespace\n\n";
    }
    char language[16];
    std::snprintf(language, sizeof language, "0x%04X", script.language);
    out += "extern \"C\" const winhost::ResourceData WINHOST_RESOURCE_SYMBOL = {\n";
    out += "    winhost::kResourceDataVersion,\n";
    out += std::string("    ") + language + ",\n";
    if (script.strings.empty()) {
        out += "    nullptr,\n    0,\n";
    } else {
        out += "    kStrings,\n    " + std::to_string(script.strings.size()) + ",\n";
    }
    out += "};\n";
    return out;
}

std::string EmitDepfile(const std::string& output, const ResourceScript& script) {
    std::string out = DepfileEscape(output) + ":";
    for (const std::string& file : script.files) out += " \\\n  " + DepfileEscape(file);
    out += "\n";
    return out;
}

}  // namespace rc
