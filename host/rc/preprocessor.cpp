// The preprocessor of resource scripts and the lexer beneath it.
#include "preprocessor.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace rc {

Error::Error(const Location& where_, const std::string& message_)
    : std::runtime_error(where_.file + ":" + std::to_string(where_.line) + ": " + message_),
      where(where_),
      message(message_) {}

namespace {

constexpr unsigned kUtf8 = 65001;
constexpr unsigned kWindowsLatin1 = 1252;
constexpr unsigned kIsoLatin1 = 28591;
constexpr std::size_t kMaxIncludeDepth = 100;

// Windows code page 1252 from 0x80 to 0x9F; the five unassigned bytes map to the
// control characters of the same value, as Windows' own conversion does.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsHeaderFile(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "h" || ext == "hh" || ext == "hpp" || ext == "hxx" || ext == "c" ||
           ext == "cpp" || ext == "cxx";
}

std::optional<std::string> ReadDiskFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool IsSupportedCodePage(unsigned codePage) {
    return codePage == kUtf8 || codePage == kWindowsLatin1 || codePage == kIsoLatin1;
}

std::u32string DecodeCodePage(const std::string& bytes, unsigned codePage, const Location& where) {
    std::u32string out;
    if (codePage != kUtf8) {
        for (char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            out += codePage == kWindowsLatin1 && b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80]
                                                                       : char32_t(b);
        }
        return out;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t c = lead;
        char32_t minimum = 0;
        if (lead >= 0xF0 && lead < 0xF5)
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        else if (lead >= 0xE0 && lead < 0xF0)
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        else if (lead >= 0xC2 && lead < 0xE0)
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        else if (lead >= 0x80)
            throw Error(where, "text is not valid UTF-8");
        if (i + static_cast<std::size_t>(extra) >= bytes.size() + (extra ? 0 : 1))
            throw Error(where, "text is not valid UTF-8");
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) throw Error(where, "text is not valid UTF-8");
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            throw Error(where, "text is not valid UTF-8");
        out += c;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// One file's characters, with line splices (backslash-newline) removed and each
// character's physical line kept for messages.
class Lexer {
public:
    Lexer(std::string file, const std::string& raw) : file_(std::move(file)) {
        int line = 1;
        std::size_t i = 0;
        if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;  // byte-order mark
        for (; i < raw.size(); ++i) {
            char c = raw[i];
            if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
            if (c == '\\') {
                std::size_t j = i + 1;
                if (j < raw.size() && raw[j] == '\r' && j + 1 < raw.size() && raw[j + 1] == '\n')
                    ++j;
                if (j < raw.size() && raw[j] == '\n') {
                    ++line;
                    i = j;
                    continue;
                }
            }
            text_ += c;
            lines_.push_back(line);
            if (c == '\n') ++line;
        }
        endLine_ = line;
    }

    const std::string& File() const { return file_; }
    unsigned codePage = kUtf8;
    bool directiveMode = false;  // report line ends
    bool lenient = false;        // inside skipped or directive-only text

    Token Next() {
        bool space = false;
        for (;;) {
            if (pos_ >= text_.size()) return Make(TokenKind::EndOfFile, "", space);
            const char c = text_[pos_];
            if (c == '\n') {
                if (directiveMode) {
                    Token t = Make(TokenKind::EndOfLine, "", space);
                    ++pos_;
                    atLineStart_ = true;
                    return t;
                }
                ++pos_;
                atLineStart_ = true;
                space = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
                space = true;
            } else if (c == '/' && At(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                space = true;
            } else if (c == '/' && At(1) == '*') {
                const Location start = Here();
                const auto end = text_.find("*/", pos_ + 2);
                if (end == std::string::npos) throw Error(start, "unterminated comment");
                // A comment is one space; lines it spans are not line ends.
                pos_ = end + 2;
                space = true;
            } else {
                break;
            }
        }
        const bool lineStart = atLineStart_;
        atLineStart_ = false;
        const char c = text_[pos_];
        Token t;
        if ((c == 'L' || c == 'l') && At(1) == '"') {
            t = String(true, space);
        } else if (c == '"') {
            t = String(false, space);
        } else if (IsIdentStart(c)) {
            t = Make(TokenKind::Identifier, "", space);
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) t.text += text_[pos_++];
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t = Number(space);
        } else if (c == '\'') {
            t = Character(space);
        } else {
            t = Make(TokenKind::Punct, "", space);
            static const char* const kTwo[] = {
                "||", "&&", "==", "!=", "<=", ">=", "<<", ">>", "##"};
            for (const char* op : kTwo)
                if (text_.compare(pos_, 2, op) == 0) t.text = op;
            if (t.text.empty()) t.text = std::string(1, c);
            pos_ += t.text.size();
        }
        t.startsLine = lineStart;
        return t;
    }

    // The rest of the current line, raw (for #error).
    std::string LineText() const {
        const auto end = text_.find('\n', pos_);
        return text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
    }

private:
    char At(std::size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    Location Here() const { return {file_, pos_ < lines_.size() ? lines_[pos_] : endLine_}; }
    Token Make(TokenKind kind, std::string text, bool space) const {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.spaceBefore = space;
        t.where = Here();
        return t;
    }

    Token Number(bool space) {
        Token t = Make(TokenKind::Number, "", space);
        while (pos_ < text_.size() && IsIdentChar(text_[pos_])) t.text += text_[pos_++];
        std::string digits = t.text;
        while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                   digits.back() == 'U' || digits.back() == 'u'))
            digits.pop_back();
        int base = 10;
        std::size_t start = 0;
        if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
            base = 16, start = 2;
        else if (digits.size() > 1 && digits[0] == '0')
            base = 8, start = 1;
        // A malformed number is reported where it is used, so that C code in a header,
        // which only the compiler reads, does not stop the script.
        if (start == digits.size()) {
            t.fault = "invalid number '" + t.text + "'";
            return t;
        }
        std::uint64_t value = 0;
        for (std::size_t i = start; i < digits.size(); ++i) {
            const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(digits[i])));
            int v = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                    : (d >= 'a' && d <= 'f')                    ? d - 'a' + 10
                                                                : 99;
            if (v >= base) {
                t.fault = "invalid number '" + t.text + "'";
                return t;
            }
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(v);
            if (value > 0xFFFFFFFFull) {
                t.fault = "number '" + t.text + "' is larger than 32 bits";
                return t;
            }
        }
        t.number = static_cast<std::int64_t>(value);
        return t;
    }

    Token Character(bool space) {
        Token t = Make(TokenKind::Number, "'", space);
        ++pos_;
        std::int64_t value = 0;
        while (pos_ < text_.size() && text_[pos_] != '\'' && text_[pos_] != '\n') {
            char c = text_[pos_++];
            if (c == '\\' && pos_ < text_.size()) c = text_[pos_++];
            value = (value << 8) | static_cast<unsigned char>(c);
        }
        if (pos_ < text_.size() && text_[pos_] == '\'')
            ++pos_;
        else if (!lenient)
            throw Error(t.where, "unterminated character constant");
        t.number = value;
        return t;
    }

    // A string literal with the escapes of the resource compiler: "" for a quote,
    // \n \r \t \a \b \f \v \\ \" \', octal \ooo, hex \xHH (four digits in L"").
    // Other backslashes stay as they are.
    Token String(bool wide, bool space) {
        Token t = Make(TokenKind::String, "", space);
        t.wide = wide;
        pos_ += wide ? 2 : 1;
        std::string raw;  // source bytes not yet decoded
        auto flush = [&] {
            t.value += DecodeCodePage(raw, codePage, t.where);
            raw.clear();
        };
        auto unit = [&](std::uint32_t value) {
            if (wide) {
                flush();
                t.value += static_cast<char32_t>(value);
            } else {
                raw += static_cast<char>(value & 0xFF);  // a byte of the code page
            }
        };
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') {
                if (lenient) break;
                throw Error(t.where, "unterminated string");
            }
            const char c = text_[pos_++];
            if (c == '"') {
                if (At(0) == '"') {
                    raw += '"';
                    ++pos_;
                    continue;
                }
                break;
            }
            if (c != '\\' || pos_ >= text_.size()) {
                raw += c;
                continue;
            }
            const char e = text_[pos_];
            switch (e) {
                case 'n':
                    unit('\n');
                    ++pos_;
                    continue;
                case 'r':
                    unit('\r');
                    ++pos_;
                    continue;
                case 't':
                    unit('\t');
                    ++pos_;
                    continue;
                case 'a':
                    unit('\a');
                    ++pos_;
                    continue;
                case 'b':
                    unit('\b');
                    ++pos_;
                    continue;
                case 'f':
                    unit('\f');
                    ++pos_;
                    continue;
                case 'v':
                    unit('\v');
                    ++pos_;
                    continue;
                case '\\':
                    unit('\\');
                    ++pos_;
                    continue;
                case '"':
                    unit('"');
                    ++pos_;
                    continue;
                case '\'':
                    unit('\'');
                    ++pos_;
                    continue;
                default:
                    break;
            }
            if (e == 'x' || e == 'X') {
                const int maxDigits = wide ? 4 : 2;
                std::size_t i = pos_ + 1;
                std::uint32_t value = 0;
                int digits = 0;
                while (digits < maxDigits && i < text_.size() &&
                       std::isxdigit(static_cast<unsigned char>(text_[i]))) {
                    const char d =
                        static_cast<char>(std::tolower(static_cast<unsigned char>(text_[i])));
                    value = value * 16 +
                            static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(d))
                                                           ? d - '0'
                                                           : d - 'a' + 10);
                    ++digits;
                    ++i;
                }
                if (digits == 0) {
                    raw += '\\';  // no digits: the characters stand for themselves
                    continue;
                }
                unit(value);
                pos_ = i;
                continue;
            }
            if (e >= '0' && e <= '7') {
                std::uint32_t value = 0;
                int digits = 0;
                while (digits < 3 && pos_ < text_.size() && text_[pos_] >= '0' &&
                       text_[pos_] <= '7') {
                    value = value * 8 + static_cast<std::uint32_t>(text_[pos_++] - '0');
                    ++digits;
                }
                unit(value);
                continue;
            }
            raw += '\\';
        }
        flush();
        return t;
    }

    std::string file_;
    std::string text_;
    std::vector<int> lines_;
    int endLine_ = 1;
    std::size_t pos_ = 0;
    bool atLineStart_ = true;
};

// ---------------------------------------------------------------------------
// Expressions

namespace {

class ExpressionReader {
public:
    ExpressionReader(TokenSource& tokens, UnknownNames unknown)
        : tokens_(tokens), unknown_(unknown) {}

    std::int64_t Conditional() {
        const std::int64_t condition = Binary(1);
        if (!tokens_.Peek().IsPunct("?")) return condition;
        tokens_.Next();
        const std::int64_t yes = Conditional();
        Expect(":");
        const std::int64_t no = Conditional();
        return condition ? yes : no;
    }

private:
    static int Precedence(const Token& t) {
        if (t.kind != TokenKind::Punct) return 0;
        static const std::map<std::string, int> kLevels = {
            {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
            {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
            {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
        const auto it = kLevels.find(t.text);
        return it == kLevels.end() ? 0 : it->second;
    }

    std::int64_t Binary(int minimum) {
        std::int64_t left = Unary();
        for (;;) {
            const Token& op = tokens_.Peek();
            const int level = Precedence(op);
            if (level == 0 || level < minimum) return left;
            const Token taken = tokens_.Next();
            const std::int64_t right = Binary(level + 1);
            left = Apply(taken, left, right);
        }
    }

    static std::int64_t Apply(const Token& op, std::int64_t a, std::int64_t b) {
        const std::string& o = op.text;
        // Arithmetic wraps at 64 bits rather than overflowing.
        const auto ua = static_cast<std::uint64_t>(a);
        const auto ub = static_cast<std::uint64_t>(b);
        if (o == "||") return a || b;
        if (o == "&&") return a && b;
        if (o == "|") return a | b;
        if (o == "^") return a ^ b;
        if (o == "&") return a & b;
        if (o == "==") return a == b;
        if (o == "!=") return a != b;
        if (o == "<") return a < b;
        if (o == ">") return a > b;
        if (o == "<=") return a <= b;
        if (o == ">=") return a >= b;
        if (o == "<<" || o == ">>") {
            if (b < 0 || b > 63) throw Error(op.where, "shift count out of range");
            return o == "<<" ? static_cast<std::int64_t>(ua << b) : a >> b;
        }
        if (o == "+") return static_cast<std::int64_t>(ua + ub);
        if (o == "-") return static_cast<std::int64_t>(ua - ub);
        if (o == "*") return static_cast<std::int64_t>(ua * ub);
        if (b == 0) throw Error(op.where, "division by zero");
        if (a == INT64_MIN && b == -1) return o == "/" ? a : 0;
        return o == "/" ? a / b : a % b;
    }

    std::int64_t Unary() {
        const Token t = tokens_.Next();
        if (t.IsPunct("-"))
            return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(Unary()));
        if (t.IsPunct("+")) return Unary();
        if (t.IsPunct("~")) return ~Unary();
        if (t.IsPunct("!")) return !Unary();
        if (t.IsPunct("(")) {
            const std::int64_t v = Conditional();
            Expect(")");
            return v;
        }
        if (t.kind == TokenKind::Number) {
            if (!t.fault.empty()) throw Error(t.where, t.fault);
            return t.number;
        }
        if (t.kind == TokenKind::Identifier) {
            if (unknown_ == UnknownNames::AreZero) return 0;
            throw Error(t.where, "'" + t.text + "' is not defined");
        }
        throw Error(t.where, "expected a number" + Describe(t));
    }

    void Expect(const char* punct) {
        const Token t = tokens_.Next();
        if (!t.IsPunct(punct))
            throw Error(t.where, std::string("expected '") + punct + "'" + Describe(t));
    }

    static std::string Describe(const Token& t) {
        switch (t.kind) {
            case TokenKind::EndOfFile:
                return " at the end of the file";
            case TokenKind::EndOfLine:
                return " at the end of the line";
            case TokenKind::String:
                return ", found a string";
            default:
                return ", found '" + t.text + "'";
        }
    }

    TokenSource& tokens_;
    UnknownNames unknown_;
};

class VectorSource : public TokenSource {
public:
    VectorSource(std::vector<Token> tokens, const Location& end) : tokens_(std::move(tokens)) {
        end_.kind = TokenKind::EndOfLine;
        end_.where = end;
    }
    const Token& Peek() override { return index_ < tokens_.size() ? tokens_[index_] : end_; }
    Token Next() override { return index_ < tokens_.size() ? tokens_[index_++] : end_; }
    bool AtEnd() const { return index_ >= tokens_.size(); }
    const Token& Current() { return Peek(); }

private:
    std::vector<Token> tokens_;
    std::size_t index_ = 0;
    Token end_;
};

}  // namespace

std::int64_t EvaluateExpression(TokenSource& tokens, UnknownNames unknown) {
    return ExpressionReader(tokens, unknown).Conditional();
}

// ---------------------------------------------------------------------------
// Preprocessor

Preprocessor::Preprocessor(const Options& options) : options_(options) {
    if (!options_.readFile) options_.readFile = ReadDiskFile;
    // The resource compiler's own definition, which scripts test to hide C code.
    auto define = [&](const std::string& name, const std::string& value) {
        Macro m;
        if (!value.empty()) {
            Lexer lexer("<command line>", value);
            for (Token t = lexer.Next(); t.kind != TokenKind::EndOfFile; t = lexer.Next())
                m.body.push_back(t);
        }
        m.where = {"<command line>", 0};
        macros_[name] = std::move(m);
    };
    define("RC_INVOKED", "1");
    for (const auto& [name, value] : options_.defines) define(name, value);
    eof_.kind = TokenKind::EndOfFile;
}

Preprocessor::~Preprocessor() = default;

void Preprocessor::Open(const std::string& path) {
    const auto text = options_.readFile(path);
    if (!text) throw Error({path, 0}, "cannot open the file");
    files_.push_back(path);
    Frame frame;
    frame.lexer = std::make_unique<Lexer>(path, *text);
    frame.directivesOnly = IsHeaderFile(path);
    frame.conditionalDepth = conditionals_.size();
    frames_.push_back(std::move(frame));
}

bool Preprocessor::Skipping() const {
    return !conditionals_.empty() && !conditionals_.back().active;
}

const Token& Preprocessor::Peek() {
    if (pending_.empty()) pending_.push_back(Fetch());
    return pending_.front();
}

Token Preprocessor::Next() {
    if (pending_.empty()) return Fetch();
    Token t = std::move(pending_.front());
    pending_.pop_front();
    return t;
}

Token Preprocessor::Fetch() {
    for (;;) {
        if (!expansion_.empty()) {
            Token t = std::move(expansion_.front());
            expansion_.pop_front();
            return t;
        }
        if (frames_.empty()) {
            eof_.where = files_.empty() ? Location{} : Location{files_.front(), eof_.where.line};
            return eof_;
        }
        Frame& frame = frames_.back();
        frame.lexer->lenient = Skipping() || frame.directivesOnly;
        Token t = frame.lexer->Next();
        if (t.kind == TokenKind::EndOfFile) {
            if (conditionals_.size() > frame.conditionalDepth)
                throw Error(conditionals_.back().where, "#if without #endif");
            if (frames_.size() == 1) eof_.where = t.where;
            frames_.pop_back();
            continue;
        }
        if (t.IsPunct("#") && t.startsLine) {
            Directive();
            continue;
        }
        if (Skipping() || frame.directivesOnly) continue;
        if (t.kind == TokenKind::Identifier && macros_.count(t.text)) {
            std::vector<Token> out;
            std::vector<std::string> active;
            Expand(t, out, active);
            // An empty expansion leaves nothing; the loop fetches on.
            expansion_.insert(expansion_.end(), out.begin(), out.end());
            continue;
        }
        return t;
    }
}

void Preprocessor::Expand(const Token& use, std::vector<Token>& out,
                          std::vector<std::string>& active) const {
    const auto it = use.kind == TokenKind::Identifier ? macros_.find(use.text) : macros_.end();
    if (it == macros_.end() || std::find(active.begin(), active.end(), use.text) != active.end()) {
        out.push_back(use);
        return;
    }
    if (it->second.functionLike)
        throw Error(use.where, "macro '" + use.text + "' takes arguments, which is not supported");
    active.push_back(use.text);
    for (Token t : it->second.body) {
        t.where = use.where;  // report faults where the macro is used
        t.spaceBefore = true;
        t.startsLine = false;
        Expand(t, out, active);
    }
    active.pop_back();
}

std::vector<Token> Preprocessor::RestOfLine() {
    Lexer& lexer = *frames_.back().lexer;
    lexer.directiveMode = true;
    std::vector<Token> tokens;
    try {
        for (Token t = lexer.Next();
             t.kind != TokenKind::EndOfLine && t.kind != TokenKind::EndOfFile; t = lexer.Next())
            tokens.push_back(t);
    } catch (...) {
        lexer.directiveMode = false;
        throw;
    }
    lexer.directiveMode = false;
    return tokens;
}

void Preprocessor::Directive() {
    Lexer& lexer = *frames_.back().lexer;
    const std::string errorText = lexer.LineText();
    lexer.lenient = true;  // names and arguments are checked below, where they matter
    std::vector<Token> line = RestOfLine();
    if (line.empty()) return;  // the null directive
    const Token name = line.front();
    std::vector<Token> args(line.begin() + 1, line.end());
    const std::string& d = name.text;
    const Location where = name.where;

    if (d == "if" || d == "ifdef" || d == "ifndef") {
        Conditional c;
        c.where = where;
        if (Skipping()) {
            c.active = false;
            c.taken = true;  // no branch of a group inside skipped text is read
        } else {
            bool value;
            if (d == "if") {
                value = EvaluateCondition(args, where);
            } else {
                if (args.empty() || args[0].kind != TokenKind::Identifier)
                    throw Error(where, "#" + d + " needs a macro name");
                value = macros_.count(args[0].text) != 0;
                if (d == "ifndef") value = !value;
            }
            c.active = c.taken = value;
        }
        conditionals_.push_back(c);
        return;
    }
    if (d == "elif" || d == "else" || d == "endif") {
        if (conditionals_.size() <= frames_.back().conditionalDepth)
            throw Error(where, "#" + d + " without #if");
        Conditional& c = conditionals_.back();
        if (d == "endif") {
            conditionals_.pop_back();
            return;
        }
        if (c.sawElse) throw Error(where, "#" + d + " after #else");
        if (d == "else") {
            c.sawElse = true;
            c.active = !c.taken;
            c.taken = true;
            return;
        }
        c.active = false;
        if (!c.taken) {
            conditionals_.pop_back();  // evaluate as the enclosing text sees it
            const bool value = EvaluateCondition(args, where);
            conditionals_.push_back(c);
            conditionals_.back().active = conditionals_.back().taken = value;
        }
        return;
    }
    if (Skipping()) return;

    if (d == "define") {
        Define(args, where);
    } else if (d == "undef") {
        if (args.empty() || args[0].kind != TokenKind::Identifier)
            throw Error(where, "#undef needs a macro name");
        macros_.erase(args[0].text);
    } else if (d == "include") {
        Include(name, args);
    } else if (d == "pragma") {
        if (!args.empty() && args[0].IsWord("code_page")) {
            if (args.size() < 4 || !args[1].IsPunct("(") || !args[3].IsPunct(")"))
                throw Error(where, "expected #pragma code_page(number)");
            unsigned page = kUtf8;
            if (args[2].kind == TokenKind::Number)
                page = static_cast<unsigned>(args[2].number);
            else if (!args[2].IsWord("DEFAULT"))
                throw Error(where, "expected a code page number");
            if (!IsSupportedCodePage(page))
                throw Error(where, "code page " + std::to_string(page) +
                                       " is not supported (use 65001, 1252 or 28591)");
            frames_.back().lexer->codePage = page;
        } else if (!args.empty() && args[0].IsWord("once")) {
            onceFiles_.insert(frames_.back().lexer->File());
        }
        // Other pragmas concern other tools.
    } else if (d == "error") {
        throw Error(where, "#error" + errorText.substr(errorText.find("error") + 5));
    } else if (d == "line" || d == "warning" || d == "ident") {
        // Nothing to do for resources.
    } else if (name.kind == TokenKind::Number) {
        // "# 12 file": a line marker.
    } else {
        throw Error(where, "unknown directive #" + d);
    }
}

void Preprocessor::Define(const std::vector<Token>& args, const Location& where) {
    if (args.empty() || args[0].kind != TokenKind::Identifier)
        throw Error(where, "#define needs a macro name");
    Macro m;
    m.where = where;
    std::size_t bodyStart = 1;
    if (args.size() > 1 && args[1].IsPunct("(") && !args[1].spaceBefore) {
        m.functionLike = true;
        bodyStart = 2;
        while (bodyStart < args.size() && !args[bodyStart].IsPunct(")")) ++bodyStart;
        if (bodyStart == args.size()) throw Error(where, "missing ')' in macro parameters");
        ++bodyStart;
    }
    m.body.assign(args.begin() + static_cast<long>(bodyStart), args.end());
    const std::string& name = args[0].text;
    const auto old = macros_.find(name);
    if (old != macros_.end()) {
        auto same = [](const std::vector<Token>& a, const std::vector<Token>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](const Token& x, const Token& y) {
                                  return x.kind == y.kind && x.text == y.text && x.value == y.value;
                              });
        };
        if (old->second.functionLike != m.functionLike || !same(old->second.body, m.body))
            throw Error(where, "macro '" + name + "' redefined differently (first defined at " +
                                   old->second.where.file + ":" +
                                   std::to_string(old->second.where.line) + ")");
        return;
    }
    macros_[name] = std::move(m);
}

bool Preprocessor::EvaluateCondition(std::vector<Token> args, const Location& where) {
    if (args.empty()) throw Error(where, "#if needs an expression");
    std::vector<Token> replaced;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].IsWord("defined")) {
            std::size_t j = i + 1;
            const bool paren = j < args.size() && args[j].IsPunct("(");
            if (paren) ++j;
            if (j >= args.size() || args[j].kind != TokenKind::Identifier)
                throw Error(args[i].where, "'defined' needs a macro name");
            Token value = args[i];
            value.kind = TokenKind::Number;
            value.number = macros_.count(args[j].text) ? 1 : 0;
            if (paren) {
                ++j;
                if (j >= args.size() || !args[j].IsPunct(")"))
                    throw Error(args[i].where, "missing ')' after 'defined'");
            }
            replaced.push_back(value);
            i = j;
            continue;
        }
        std::vector<std::string> active;
        Expand(args[i], replaced, active);
    }
    VectorSource source(std::move(replaced), where);
    const std::int64_t value = EvaluateExpression(source, UnknownNames::AreZero);
    if (!source.AtEnd())
        throw Error(source.Current().where, "unexpected '" + source.Current().text + "' in #if");
    return value != 0;
}

std::optional<std::string> Preprocessor::Resolve(const std::string& name, bool quoted) const {
    auto exists = [&](const std::string& path) { return options_.readFile(path).has_value(); };
    if (!name.empty() && name[0] == '/') return exists(name) ? std::optional(name) : std::nullopt;
    if (quoted) {
        // First beside the including file, then beside the files that included it.
        for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
            const std::string candidate = DirectoryOf(it->lexer->File()) + name;
            if (exists(candidate)) return candidate;
        }
    }
    for (const std::string& dir : options_.includeDirs) {
        const std::string candidate =
            dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
        if (exists(candidate)) return candidate;
    }
    return std::nullopt;
}

void Preprocessor::Include(const Token& directive, const std::vector<Token>& args) {
    std::string name;
    bool quoted = false;
    if (!args.empty() && args[0].kind == TokenKind::String) {
        for (char32_t c : args[0].value) name += static_cast<char>(c < 0x80 ? c : '?');
        quoted = true;
    } else if (!args.empty() && args[0].IsPunct("<")) {
        std::size_t i = 1;
        for (; i < args.size() && !args[i].IsPunct(">"); ++i) name += args[i].text;
        if (i == args.size()) throw Error(directive.where, "missing '>' in #include");
    } else {
        throw Error(directive.where, "#include needs \"file\" or <file>");
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    if (frames_.size() >= kMaxIncludeDepth)
        throw Error(directive.where,
                    "#include nested too deeply (does '" + name + "' include itself?)");
    const auto path = Resolve(name, quoted);
    if (!path) throw Error(directive.where, "cannot open include file '" + name + "'");
    if (onceFiles_.count(*path)) return;
    Open(*path);
}

}  // namespace rc
