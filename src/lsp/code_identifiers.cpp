#include "lsp/code_identifiers.h"

#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/text.h"

namespace qv::lsp {

namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(unsigned char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameWord(std::string_view a, std::string_view b) { return text::EqualsIgnoreCase(a, b); }

struct Token {
    enum Kind { Name, Punct, Other } kind;
    std::string_view text;
    size_t use = 0;  // the IdentifierUse of a Name
};

bool Is(const Token& token, std::string_view word) {
    return token.kind == Token::Name && SameWord(token.text, word);
}
bool IsAny(const Token& token, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words) {
        if (Is(token, word)) return true;
    }
    return false;
}
bool IsPunct(const Token& token, char c) {
    return token.kind == Token::Punct && token.text.size() == 1 && token.text[0] == c;
}

// The line ends in a blank and "_" (or is "_" alone), blanks after it aside.
bool EndsContinued(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return end > 0 && text[end - 1] == '_' && (end == 1 || IsBlank(text[end - 2]));
}

class Scanner {
  public:
    Scanner(bool withText, std::vector<IdentifierUse>& uses) : withText_(withText), uses_(uses) {}

    void Line(long number, std::string_view line);
    // The last statement, when the lines ended on a continuation.
    void Finish() { EndLogicalLine(); }

  private:
    void Comment(long number, std::string_view line, size_t from);
    void TextWords(long number, std::string_view line, size_t from, size_t to);
    void AddName(long number, std::string_view line, size_t from, size_t to);
    bool AtStatementStart() const {
        return logical_.empty() || IsPunct(logical_.back(), ':');
    }
    void EndLogicalLine();
    void Statement(std::span<Token> tokens);
    // The routine's name and parameters; a body follows unless it is a
    // Declare or an Event.
    void DeclareRoutine(std::span<Token> tokens, size_t nameAt, bool body);
    void DeclareVariables(std::span<Token> tokens, size_t from);
    void Declare(const Token& token) {
        if (token.kind == Token::Name) uses_[token.use].declares = true;
    }

    enum class Block { None, Type, Enum };

    bool withText_;
    std::vector<IdentifierUse>& uses_;
    bool commentContinues_ = false;
    std::vector<Token> logical_;  // the code tokens of the statement line so far
    Block block_ = Block::None;
    long scope_ = 0;   // of the lines being read
    long scopes_ = 0;  // numbers given out
};

void Scanner::Line(long number, std::string_view line) {
    if (commentContinues_) {
        Comment(number, line, 0);
        return;
    }
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (IsBlank(static_cast<char>(c))) {
            ++i;
        } else if (c == '"') {
            // "" inside a literal is one quote; an unclosed one ends with the line.
            size_t j = i + 1;
            while (j < n && !(line[j] == '"' && (j + 1 >= n || line[j + 1] != '"'))) {
                j += line[j] == '"' ? 2 : 1;
            }
            TextWords(number, line, i + 1, std::min(j, n));
            logical_.push_back({Token::Other, line.substr(i, std::min(j + 1, n) - i)});
            i = std::min(j + 1, n);
        } else if (c == '\'') {
            Comment(number, line, i + 1);
            return;
        } else if (IsLetter(c)) {
            size_t j = i;
            while (j < n && IsNameChar(static_cast<unsigned char>(line[j]))) ++j;
            if (AtStatementStart() && SameWord(line.substr(i, j - i), "Rem")) {
                Comment(number, line, j);
                return;
            }
            AddName(number, line, i, j);
            i = j;
        } else if (c == '[' && line.find(']', i) != std::string_view::npos) {
            const size_t close = line.find(']', i);
            AddName(number, line, i + 1, close);
            i = close + 1;
        } else if (c == '&' && i + 1 < n && (line[i + 1] == 'H' || line[i + 1] == 'h' ||
                                             line[i + 1] == 'O' || line[i + 1] == 'o')) {
            // &HFF, &O17: digits, not a name.
            size_t j = i + 2;
            while (j < n && IsNameChar(static_cast<unsigned char>(line[j]))) ++j;
            logical_.push_back({Token::Other, line.substr(i, j - i)});
            i = j;
        } else if (IsDigit(c)) {
            size_t j = i;
            while (j < n && (IsNameChar(static_cast<unsigned char>(line[j])) || line[j] == '.')) ++j;
            logical_.push_back({Token::Other, line.substr(i, j - i)});
            i = j;
        } else if (c == '_' && EndsContinued(line) && line.find_first_not_of(" \t", i + 1) ==
                                                          std::string_view::npos) {
            return;  // the statement goes on on the next line
        } else {
            logical_.push_back({Token::Punct, line.substr(i, 1)});
            ++i;
        }
    }
    EndLogicalLine();
}

void Scanner::Comment(long number, std::string_view line, size_t from) {
    TextWords(number, line, from, line.size());
    commentContinues_ = EndsContinued(line);
    EndLogicalLine();
}

void Scanner::TextWords(long number, std::string_view line, size_t from, size_t to) {
    if (!withText_) return;
    size_t i = from;
    while (i < to) {
        if (!IsLetter(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < to && IsNameChar(static_cast<unsigned char>(line[j]))) ++j;
        uses_.push_back(
            {number, static_cast<long>(i) + 1, static_cast<long>(j - i), false, true, scope_});
        i = j;
    }
}

void Scanner::AddName(long number, std::string_view line, size_t from, size_t to) {
    logical_.push_back({Token::Name, line.substr(from, to - from), uses_.size()});
    uses_.push_back(
        {number, static_cast<long>(from) + 1, static_cast<long>(to - from), false, false, scope_});
}

void Scanner::EndLogicalLine() {
    std::span<Token> tokens(logical_);
    // A label starts the line: a name and ":".
    if (tokens.size() >= 2 && tokens[0].kind == Token::Name && IsPunct(tokens[1], ':')) {
        Declare(tokens[0]);
        tokens = tokens.subspan(2);
    }
    size_t start = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        if (i == tokens.size() || IsPunct(tokens[i], ':')) {
            if (i > start) Statement(tokens.subspan(start, i - start));
            start = i + 1;
        }
    }
    logical_.clear();
}

void Scanner::Statement(std::span<Token> t) {
    if (block_ != Block::None) {
        // Fields of a Type and members of an Enum, up to End Type / End Enum.
        if (Is(t[0], "End") && t.size() > 1 && IsAny(t[1], {"Type", "Enum"})) {
            block_ = Block::None;
        } else {
            Declare(t[0]);
        }
        return;
    }
    if (Is(t[0], "End") && t.size() > 1 && IsAny(t[1], {"Sub", "Function", "Property"})) {
        scope_ = 0;
        return;
    }
    size_t k = 0;
    bool variable = false;
    while (k < t.size() && IsAny(t[k], {"Public", "Private", "Friend", "Global", "Static", "Dim",
                                        "Const", "WithEvents"})) {
        variable = variable || !Is(t[k], "Friend");
        ++k;
    }
    if (k >= t.size()) return;
    const Token& head = t[k];
    const bool accessor = k + 1 < t.size() && IsAny(t[k + 1], {"Get", "Let", "Set"});
    if (IsAny(head, {"Sub", "Function", "Event"})) {
        DeclareRoutine(t, k + 1, !Is(head, "Event"));
    } else if (Is(head, "Property") && accessor) {
        DeclareRoutine(t, k + 2, true);
    } else if (Is(head, "Declare")) {
        DeclareRoutine(t, k + 2, false);  // after Sub or Function
    } else if (IsAny(head, {"Type", "Enum"}) && k + 1 < t.size()) {
        Declare(t[k + 1]);
        block_ = Is(head, "Type") ? Block::Type : Block::Enum;
    } else if (variable) {
        DeclareVariables(t, k);
    }
}

void Scanner::DeclareRoutine(std::span<Token> t, size_t nameAt, bool body) {
    if (nameAt >= t.size()) return;
    Declare(t[nameAt]);
    const long scope = ++scopes_;
    if (body) scope_ = scope;
    size_t j = nameAt + 1;
    while (j < t.size() && !IsPunct(t[j], '(')) ++j;
    // The parameters: a name after "(" or ",", past Optional, ByVal, ByRef
    // and ParamArray.
    int depth = 1;
    bool expectName = true;
    for (++j; j < t.size() && depth > 0; ++j) {
        if (IsPunct(t[j], '(')) {
            ++depth;
        } else if (IsPunct(t[j], ')')) {
            --depth;
        } else if (IsPunct(t[j], ',') && depth == 1) {
            expectName = true;
        } else if (expectName && t[j].kind == Token::Name &&
                   !IsAny(t[j], {"Optional", "ByVal", "ByRef", "ParamArray"})) {
            Declare(t[j]);
            uses_[t[j].use].scope = scope;
            expectName = false;
        }
    }
}

void Scanner::DeclareVariables(std::span<Token> t, size_t from) {
    int depth = 0;
    bool expectName = true;
    for (size_t j = from; j < t.size(); ++j) {
        if (IsPunct(t[j], '(')) {
            ++depth;
        } else if (IsPunct(t[j], ')')) {
            --depth;
        } else if (IsPunct(t[j], ',') && depth == 0) {
            expectName = true;
        } else if (expectName && t[j].kind == Token::Name && !Is(t[j], "WithEvents")) {
            Declare(t[j]);
            expectName = false;
        }
    }
}

}  // namespace

std::vector<IdentifierUse> IdentifierUses(const std::vector<std::string>& lines, bool withText) {
    std::vector<IdentifierUse> uses;
    Scanner scanner(withText, uses);
    for (size_t i = 0; i < lines.size(); ++i) scanner.Line(static_cast<long>(i) + 1, lines[i]);
    scanner.Finish();
    return uses;
}

}  // namespace qv::lsp
