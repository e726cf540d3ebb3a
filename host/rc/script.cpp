// Resource statements: string tables and dialog templates are compiled; other
// resources are read past.
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

// Window styles the statements below imply (values of the Windows headers).
constexpr std::uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsPopup = 0x80000000,
                        kWsBorder = 0x00800000, kWsSysMenu = 0x00080000, kWsCaption = 0x00C00000,
                        kWsGroup = 0x00020000, kWsTabStop = 0x00010000, kDsSetFont = 0x40;

// A control statement's class, the style it has when the script gives none, and
// the part of it that stays when the script gives one (the resource compiler's rule).
struct ControlStatement {
    const char* keyword;
    const char32_t* windowClass;
    std::uint32_t defaultStyle;
    std::uint32_t baseStyle;
    bool hasText;
};

const ControlStatement kControlStatements[] = {
    {"LTEXT", U"STATIC", 0x0 | kWsGroup, 0x0, true},
    {"CTEXT", U"STATIC", 0x1 | kWsGroup, 0x1, true},
    {"RTEXT", U"STATIC", 0x2 | kWsGroup, 0x2, true},
    {"ICON", U"STATIC", 0x3, 0x3, true},
    {"PUSHBUTTON", U"BUTTON", 0x0 | kWsTabStop, 0x0, true},
    {"DEFPUSHBUTTON", U"BUTTON", 0x1 | kWsTabStop, 0x1, true},
    {"CHECKBOX", U"BUTTON", 0x2 | kWsTabStop, 0x2, true},
    {"AUTOCHECKBOX", U"BUTTON", 0x3 | kWsTabStop, 0x3, true},
    {"RADIOBUTTON", U"BUTTON", 0x4 | kWsTabStop, 0x4, true},
    {"STATE3", U"BUTTON", 0x5 | kWsTabStop, 0x5, true},
    {"AUTO3STATE", U"BUTTON", 0x6 | kWsTabStop, 0x6, true},
    {"GROUPBOX", U"BUTTON", 0x7, 0x7, true},
    {"AUTORADIOBUTTON", U"BUTTON", 0x9, 0x9, true},
    {"EDITTEXT", U"EDIT", 0x0 | kWsBorder | kWsTabStop, 0x0, false},
    {"COMBOBOX", U"COMBOBOX", 0x1 | kWsTabStop, 0x0, false},
    {"LISTBOX", U"LISTBOX", 0x1 | kWsBorder, 0x0, false},
    {"SCROLLBAR", U"SCROLLBAR", 0x0, 0x0, false},
};

// The predefined window classes, which a CONTROL statement may name by keyword or by
// string in any letter case.
const char32_t* const kPredefinedClasses[] = {U"BUTTON",  U"EDIT",      U"STATIC",
                                              U"LISTBOX", U"SCROLLBAR", U"COMBOBOX"};

std::u32string Upper(std::u32string s) {
    for (char32_t& c : s)
        if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
    return s;
}

std::u32string FromAscii(const std::string& s) { return std::u32string(s.begin(), s.end()); }

// The tokens of one term of a style: an expression that ends before a '|' outside
// parentheses, so that NOT applies to one term, as in "NOT WS_VISIBLE | WS_TABSTOP".
class StyleTerm : public TokenSource {
public:
    explicit StyleTerm(TokenSource& in) : in_(in) {}
    const Token& Peek() override { return AtBar() ? Stop() : in_.Peek(); }
    Token Next() override {
        if (AtBar()) return Stop();
        Token t = in_.Next();
        if (t.IsPunct("(")) ++depth_;
        if (t.IsPunct(")")) --depth_;
        return t;
    }

private:
    bool AtBar() { return depth_ == 0 && in_.Peek().IsPunct("|"); }
    const Token& Stop() {
        stop_.kind = TokenKind::EndOfLine;
        stop_.where = in_.Peek().where;
        return stop_;
    }
    TokenSource& in_;
    int depth_ = 0;
    Token stop_;
};

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
        std::sort(script_.dialogs.begin(), script_.dialogs.end(),
                  [](const Dialog& a, const Dialog& b) { return a.id < b.id; });
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
        if (type.IsWord("DIALOG") || type.IsWord("DIALOGEX")) {
            DialogTemplate(name, type);
            return;
        }
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

    // name DIALOG[EX] x, y, cx, cy [, helpId] options BEGIN controls END
    void DialogTemplate(const Token& name, const Token& type) {
        Dialog d;
        d.where = name.where;
        d.extended = type.IsWord("DIALOGEX");
        if (name.kind != TokenKind::Number || !name.fault.empty() || name.number < 0 ||
            name.number > 0xFFFF)
            throw Error(name.where,
                        "dialog '" + name.text + "' needs a number from 0 to 65535 as its name");
        d.id = static_cast<std::uint16_t>(name.number);
        for (const Dialog& other : script_.dialogs)
            if (other.id == d.id)
                throw Error(name.where, "duplicate dialog " + std::to_string(d.id) +
                                            " (first defined at " + Where(other.where) + ")");
        while (pp_.Peek().kind == TokenKind::Identifier && kMemoryFlags.count(pp_.Peek().text))
            pp_.Next();
        d.x = Coordinate();
        Expect(",", "in the dialog's size");
        d.y = Coordinate();
        Expect(",", "in the dialog's size");
        d.cx = Coordinate();
        Expect(",", "in the dialog's size");
        d.cy = Coordinate();
        if (d.extended && pp_.Peek().IsPunct(",")) {
            pp_.Next();
            d.helpId = Number32();
        }
        d.style = kWsPopup | kWsBorder | kWsSysMenu;
        for (;;) {
            const Token t = pp_.Next();
            if (IsBegin(t)) break;
            if (t.kind == TokenKind::EndOfFile)
                throw Error(type.where, "resource '" + name.text + "' has no BEGIN");
            if (t.IsWord("STYLE")) {
                d.style = Style(0);
            } else if (t.IsWord("EXSTYLE")) {
                d.exStyle = Style(0);
            } else if (t.IsWord("CAPTION")) {
                d.caption = Text("caption");
                d.style |= kWsCaption;
            } else if (t.IsWord("CLASS")) {
                d.windowClass = NameOrText("class");
            } else if (t.IsWord("MENU")) {
                d.menu = NameOrText("menu");
            } else if (t.IsWord("FONT")) {
                d.hasFont = true;
                d.pointSize = static_cast<std::uint16_t>(Number32());
                Expect(",", "after the font size");
                d.typeface = Text("typeface");
                if (d.extended && pp_.Peek().IsPunct(",")) {
                    pp_.Next();
                    d.weight = static_cast<std::uint16_t>(Number32());
                    if (pp_.Peek().IsPunct(",")) {
                        pp_.Next();
                        d.italic = static_cast<std::uint8_t>(Number32());
                        if (pp_.Peek().IsPunct(",")) {
                            pp_.Next();
                            d.charset = static_cast<std::uint8_t>(Number32());
                        }
                    }
                }
            } else if (t.IsWord("LANGUAGE")) {
                Language();
            } else if (t.IsWord("VERSION") || t.IsWord("CHARACTERISTICS")) {
                EvaluateExpression(pp_, UnknownNames::AreErrors);
            } else {
                throw Error(t.where, "unexpected '" + t.text + "' in the head of dialog " +
                                         std::to_string(d.id));
            }
        }
        // The resource compiler sets DS_SETFONT whenever a font is given.
        if (d.hasFont) d.style |= kDsSetFont;
        for (;;) {
            const Token& t = pp_.Peek();
            if (IsEnd(t)) {
                pp_.Next();
                break;
            }
            if (t.kind == TokenKind::EndOfFile)
                throw Error(type.where, "resource '" + name.text + "' has no END");
            d.items.push_back(Control(d.extended));
            // A DIALOG template holds 16-bit control ids.
            if (!d.extended) d.items.back().id &= 0xFFFF;
        }
        script_.dialogs.push_back(std::move(d));
    }

    DialogItem Control(bool extended) {
        const Token keyword = pp_.Next();
        DialogItem item;
        item.where = keyword.where;
        if (keyword.IsWord("CONTROL")) {
            item.text = TextOrEmpty();
            Expect(",", "after the control's text");
            item.id = Number32();
            Expect(",", "after the control's id");
            item.windowClass = ClassName();
            Expect(",", "after the control's class");
            item.style = Style(kWsChild | kWsVisible);
            Expect(",", "after the control's style");
            ControlRect(item);
            ControlTail(item, extended, false, 0);
            return item;
        }
        const ControlStatement* statement = nullptr;
        for (const ControlStatement& c : kControlStatements)
            if (keyword.IsWord(c.keyword)) statement = &c;
        if (!statement)
            throw Error(keyword.where,
                        "expected a control statement, found '" + keyword.text + "'");
        item.windowClass = statement->windowClass;
        if (statement->hasText) {
            item.text = TextOrEmpty();
            Expect(",", "after the control's text");
        }
        item.id = Number32();
        Expect(",", "after the control's id");
        ControlRect(item);
        item.style = kWsChild | kWsVisible | statement->defaultStyle;
        ControlTail(item, extended, true, kWsChild | kWsVisible | statement->baseStyle);
        return item;
    }

    void ControlRect(DialogItem& item) {
        item.x = Coordinate();
        Expect(",", "in the control's rectangle");
        item.y = Coordinate();
        Expect(",", "in the control's rectangle");
        item.cx = Coordinate();
        Expect(",", "in the control's rectangle");
        item.cy = Coordinate();
    }

    // [, style] [, exstyle [, helpId]]: CONTROL has its style before the rectangle.
    void ControlTail(DialogItem& item, bool extended, bool styleHere, std::uint32_t base) {
        if (styleHere && pp_.Peek().IsPunct(",")) {
            pp_.Next();
            item.style = Style(base);
        }
        if (pp_.Peek().IsPunct(",")) {
            pp_.Next();
            item.exStyle = Style(0);
            if (extended && pp_.Peek().IsPunct(",")) {
                pp_.Next();
                item.helpId = Number32();
            }
        }
    }

    // Terms joined by '|', each ORed into the start value or, after NOT, cleared from it.
    std::uint32_t Style(std::uint32_t start) {
        std::uint32_t style = start;
        for (;;) {
            const bool clear = pp_.Peek().IsWord("NOT");
            if (clear) pp_.Next();
            StyleTerm term(pp_);
            const auto v =
                static_cast<std::uint32_t>(EvaluateExpression(term, UnknownNames::AreErrors));
            style = clear ? (style & ~v) : (style | v);
            if (!pp_.Peek().IsPunct("|")) return style;
            pp_.Next();
        }
    }

    std::int16_t Coordinate() {
        const Token at = pp_.Peek();
        const std::int64_t v = EvaluateExpression(pp_, UnknownNames::AreErrors);
        if (v < -32768 || v > 32767) throw Error(at.where, "dialog coordinate out of range");
        return static_cast<std::int16_t>(v);
    }

    std::uint32_t Number32() {
        return static_cast<std::uint32_t>(EvaluateExpression(pp_, UnknownNames::AreErrors));
    }

    std::u32string Text(const char* what) {
        if (pp_.Peek().kind != TokenKind::String)
            throw Error(pp_.Peek().where, std::string("expected the ") + what + " as a string");
        std::u32string text;
        while (pp_.Peek().kind == TokenKind::String) text += pp_.Next().value;
        return text;
    }

    std::u32string TextOrEmpty() {
        if (pp_.Peek().kind != TokenKind::String)
            throw Error(pp_.Peek().where, "expected the control's text as a string");
        return Text("control's text");
    }

    std::u32string NameOrText(const char* what) {
        if (pp_.Peek().kind == TokenKind::String) return Text(what);
        const Token t = pp_.Next();
        if (t.kind == TokenKind::Identifier || t.kind == TokenKind::Number)
            return FromAscii(t.text);
        throw Error(t.where, std::string("expected the ") + what);
    }

    std::u32string ClassName() {
        const Token t = pp_.Peek();
        std::u32string name;
        if (t.kind == TokenKind::String) {
            name = Text("class");
        } else if (t.kind == TokenKind::Identifier) {
            name = FromAscii(pp_.Next().text);
        } else {
            throw Error(t.where, "expected the control's class");
        }
        for (const char32_t* predefined : kPredefinedClasses)
            if (Upper(name) == predefined) return predefined;
        if (t.kind == TokenKind::Identifier)
            throw Error(t.where, "unknown control class '" + t.text + "'");
        return name;
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
    if (!script.dialogs.empty()) {
        out += "namespace {\n\n";
        for (const Dialog& d : script.dialogs) {
            if (d.items.empty()) continue;
            out += "const winhost::DialogItemResource kDialog" + std::to_string(d.id) +
                   "Items[] = {\n";
            for (const DialogItem& i : d.items) {
                char numbers[160];
                std::snprintf(numbers, sizeof numbers,
                              "    {%u, 0x%08X, 0x%08X, %d, %d, %d, %d, 0x%X, ", i.helpId,
                              i.exStyle, i.style, i.x, i.y, i.cx, i.cy, i.id);
                out += numbers + WideLiteral(i.windowClass) + ", " + WideLiteral(i.text) + "},\n";
            }
            out += "};\n\n";
        }
        out += "const winhost::DialogResource kDialogs[] = {\n";
        for (const Dialog& d : script.dialogs) {
            char numbers[160];
            std::snprintf(
                numbers, sizeof numbers, "    {%u, %s, %u, 0x%08X, 0x%08X, %d, %d, %d, %d, ", d.id,
                d.extended ? "true" : "false", d.helpId, d.exStyle, d.style, d.x, d.y, d.cx, d.cy);
            out += numbers + WideLiteral(d.menu) + ", " + WideLiteral(d.windowClass) + ", " +
                   WideLiteral(d.caption) + ", ";
            std::snprintf(numbers, sizeof numbers, "%u, %u, %u, %u, ", d.pointSize, d.weight,
                          d.italic, d.charset);
            out += numbers + WideLiteral(d.typeface) + ", ";
            if (d.items.empty()) {
                out += "nullptr, 0},\n";
            } else {
                out += "kDialog" + std::to_string(d.id) + "Items, " +
                       std::to_string(d.items.size()) + "},\n";
            }
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
    if (script.dialogs.empty()) {
        out += "    nullptr,\n    0,\n";
    } else {
        out += "    kDialogs,\n    " + std::to_string(script.dialogs.size()) + ",\n";
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
