// Tokens of a resource script after the C preprocessor's work: files included,
// conditional blocks chosen, object-like macros replaced. Resource statements and
// #if lines share the integer expressions evaluated here.
#pragma once

#include "rcscript.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace rc {

enum class TokenKind { Identifier, Number, String, Punct, EndOfLine, EndOfFile };

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    std::string text;  // spelling (identifiers, punctuators, numbers)
    std::int64_t number = 0;
    std::u32string value;  // decoded text of a string
    bool wide = false;     // L"..."
    std::string fault;     // why a number is malformed, reported where it is used
    bool spaceBefore = false;
    bool startsLine = false;
    Location where;

    bool Is(TokenKind k, const char* spelling) const { return kind == k && text == spelling; }
    bool IsPunct(const char* spelling) const { return Is(TokenKind::Punct, spelling); }
    bool IsWord(const char* spelling) const { return Is(TokenKind::Identifier, spelling); }
};

class TokenSource {
public:
    virtual ~TokenSource() = default;
    virtual const Token& Peek() = 0;
    virtual Token Next() = 0;
};

// What an identifier left in an expression means.
enum class UnknownNames { AreZero, AreErrors };

// A C integer expression (| ^ & == != < > <= >= << >> + - * / % ! ~ && || ?: and
// parentheses), read until a token that cannot continue it.
std::int64_t EvaluateExpression(TokenSource& tokens, UnknownNames unknown);

// Decodes bytes of the script's code page; throws on bytes that are not text in it.
std::u32string DecodeCodePage(const std::string& bytes, unsigned codePage, const Location& where);
bool IsSupportedCodePage(unsigned codePage);

class Lexer;

class Preprocessor : public TokenSource {
public:
    explicit Preprocessor(const Options& options);
    ~Preprocessor() override;

    void Open(const std::string& path);
    const Token& Peek() override;
    Token Next() override;

    const std::vector<std::string>& Files() const { return files_; }

private:
    struct Macro {
        std::vector<Token> body;
        bool functionLike = false;
        Location where;
    };
    struct Frame {
        std::unique_ptr<Lexer> lexer;
        bool directivesOnly = false;  // a C header: only its directives count
        std::size_t conditionalDepth = 0;
    };
    struct Conditional {
        bool active = false;  // this branch's lines are read
        bool taken = false;   // some branch of the group has been taken
        bool sawElse = false;
        Location where;
    };

    Token Fetch();
    bool Skipping() const;
    void Directive();
    std::vector<Token> RestOfLine();
    void Include(const Token& directive, const std::vector<Token>& args);
    void Define(const std::vector<Token>& args, const Location& where);
    bool EvaluateCondition(std::vector<Token> args, const Location& where);
    void Expand(const Token& use, std::vector<Token>& out, std::vector<std::string>& active) const;
    std::optional<std::string> Resolve(const std::string& name, bool quoted) const;

    Options options_;
    std::vector<Frame> frames_;
    std::vector<Conditional> conditionals_;
    std::map<std::string, Macro> macros_;
    std::deque<Token> pending_;    // looked at, not yet taken
    std::deque<Token> expansion_;  // the rest of a macro's replacement
    std::set<std::string> onceFiles_;
    std::vector<std::string> files_;
    Token eof_;
};

}  // namespace rc
