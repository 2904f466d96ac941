#include "host/memory/vb_syntax.h"

#include "platform/text.h"

namespace qv::host::memory {

namespace {

bool IsBlank(char c) { return IsBlankChar(c); }

// IsIdentifierChar of every byte, looked up rather than worked out: the
// words of every declaration and closing line pass through TakeWord.
struct IdentifierTable {
    bool is[256] = {};
    constexpr IdentifierTable() {
        for (int c = 0; c < 256; ++c) {
            is[c] = c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                    (c >= 'a' && c <= 'z') || c == '_';
        }
    }
};
constexpr IdentifierTable kIdentifier;

bool InWord(char c) { return kIdentifier.is[static_cast<unsigned char>(c)]; }

// The word at the start of s (identifier characters), s advanced past it and
// past the blanks after it.
std::string_view TakeWord(std::string_view& s) {
    size_t n = 0;
    while (n < s.size() && InWord(s[n])) ++n;
    std::string_view word = s.substr(0, n);
    s = SkipBlanks(s.substr(n));
    return word;
}

// The word is the keyword, ASCII case ignored (written out here: every
// declaration and closing line is compared with several keywords).
bool Is(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != keyword[i] && text::AsciiLower(word[i]) != text::AsciiLower(keyword[i])) {
            return false;
        }
    }
    return true;
}

// A sign that cannot follow a name in a declaration but can be the trail
// byte of a double-byte character (Shift-JIS, GBK, Big5): after a byte
// above 0x7F it is the second half of a letter of the name. ("@" may
// follow a name as its type sign, so it is not one of them.)
bool IsTrailSign(char c) {
    return c == '\\' || c == '|' || c == '[' || c == ']' || c == '^' || c == '`' || c == '{' ||
           c == '}' || c == '~';
}

// The name of a declared item: a bracketed name or identifier characters.
std::string TakeName(std::string_view s) {
    s = SkipBlanks(s);
    if (!s.empty() && s[0] == '[') {
        const size_t close = s.find(']');
        if (close != std::string_view::npos) return std::string(s.substr(0, close + 1));
    }
    size_t n = 0;
    while (n < s.size() && InWord(s[n])) {
        if (static_cast<unsigned char>(s[n]) >= 0x80 && n + 1 < s.size() && IsTrailSign(s[n + 1])) {
            ++n;
        }
        ++n;
    }
    return std::string(s.substr(0, n));
}

bool StartsName(std::string_view s) {
    if (s.empty()) return false;
    const auto c = static_cast<unsigned char>(s[0]);
    return c == '[' || c >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits at commas outside parentheses and string literals.
std::vector<std::string_view> SplitTopLevel(std::string_view s) {
    std::vector<std::string_view> pieces;
    int depth = 0;
    bool inString = false;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') inString = !inString;
        if (inString) continue;
        if (c == '\'') break;  // a comment ends the statement
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if (c == ',' && depth == 0) {
            pieces.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(s.substr(start));
    return pieces;
}

void AddNames(std::string_view list, int type, int scope, DeclarationStatement& out) {
    for (std::string_view piece : SplitTopLevel(list)) {
        piece = SkipBlanks(piece);
        std::string_view rest = piece;
        std::string_view first = TakeWord(rest);
        if (Is(first, "WithEvents")) piece = rest;
        if (!StartsName(piece)) continue;
        std::string name = TakeName(piece);
        if (!name.empty()) out.names.push_back({std::move(name), type, scope});
    }
}

}  // namespace

std::optional<ProcDeclaration> ParseProcDeclaration(std::string_view line) {
    std::string_view s = SkipBlanks(line);
    // Every line of a module passes here as it loads: most begin with a
    // word that no declaration begins with (Public, Private, Friend,
    // Static, Sub, Function, Property), and the case bit settles that.
    if (!MayDeclareProcedure(s)) return std::nullopt;
    ProcDeclaration decl;
    std::string_view rest = s;
    std::string_view word = TakeWord(rest);
    if (Is(word, "Public") || Is(word, "Private") || Is(word, "Friend")) {
        decl.scope = Is(word, "Private") ? 1 : (Is(word, "Public") ? 2 : 3);
        s = rest;
        word = TakeWord(rest);
    }
    if (Is(word, "Static")) {
        s = rest;
        word = TakeWord(rest);
    }
    if (rest.size() == s.size() - word.size()) return std::nullopt;  // keyword needs a blank after it
    if (Is(word, "Sub") || Is(word, "Function")) {
        decl.kind = 0;
    } else if (Is(word, "Property")) {
        std::string_view accessor = TakeWord(rest);
        if (Is(accessor, "Get")) decl.kind = 3;
        else if (Is(accessor, "Let")) decl.kind = 1;
        else if (Is(accessor, "Set")) decl.kind = 2;
        else return std::nullopt;
        decl.isProperty = true;
    } else {
        return std::nullopt;
    }
    if (!StartsName(rest)) return std::nullopt;
    decl.name = TakeName(rest);
    return decl;
}

bool IsProcEnd(std::string_view line) {
    std::string_view s = SkipBlanks(line);
    if (!MayEndProcedure(s)) return false;
    size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
    if (digits > 0) {
        s.remove_prefix(digits);
        if (!s.empty() && s[0] == ':') s.remove_prefix(1);
        else if (s.empty() || !IsBlank(s[0])) return false;
        s = SkipBlanks(s);
        // A numbered line (every line of a numbered routine) is turned away
        // as cheaply as the others.
        if (!MayEndProcedure(s)) return false;
    }
    std::string_view rest = s;
    if (!Is(TakeWord(rest), "End") || rest.size() == s.size() - 3) return false;
    // "End If", "End With" and the like go no further.
    if (rest.empty()) return false;
    const char next = static_cast<char>(rest[0] | 0x20);
    if (next != 's' && next != 'f' && next != 'p') return false;
    std::string_view after = rest;
    std::string_view what = TakeWord(after);
    if (!(Is(what, "Sub") || Is(what, "Function") || Is(what, "Property"))) return false;
    const std::string_view tail = rest.substr(what.size());
    return tail.empty() || IsBlank(tail[0]) || tail[0] == '\'' || tail[0] == ':';
}

DeclarationStatement ParseDeclarationStatement(std::string_view statement) {
    DeclarationStatement out;
    std::string_view s = SkipBlanks(statement);
    if (s.empty() || IsCommentStart(s) || s[0] == '#') return out;
    std::string_view rest = s;
    std::string_view word = TakeWord(rest);
    if (Is(word, "End")) {
        std::string_view what = TakeWord(rest);
        out.closesBlock = Is(what, "Type") || Is(what, "Enum");
        return out;
    }
    int scope = 0;
    if (Is(word, "Public") || Is(word, "Global")) scope = 2;
    else if (Is(word, "Private") || Is(word, "Dim")) scope = 1;
    else if (Is(word, "Friend")) scope = 3;
    if (scope != 0) {
        s = rest;
        word = TakeWord(rest);
    }
    if (Is(word, "Type") || Is(word, "Enum")) {
        out.opensBlock = StartsName(rest);
        return out;
    }
    if (Is(word, "Const")) {
        AddNames(rest, 5, scope == 0 ? 1 : scope, out);
    } else if (Is(word, "Declare")) {
        if (Is(TakeWord(rest), "PtrSafe")) TakeWord(rest);
        std::string name = TakeName(rest);
        if (!name.empty()) out.names.push_back({std::move(name), 1, scope == 0 ? 2 : scope});
    } else if (Is(word, "Event")) {
        std::string name = TakeName(rest);
        if (!name.empty()) out.names.push_back({std::move(name), 4, scope == 0 ? 2 : scope});
    } else if (scope != 0) {
        AddNames(s, 3, scope, out);
    }
    return out;
}

}  // namespace qv::host::memory
