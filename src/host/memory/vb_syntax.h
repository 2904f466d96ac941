#pragma once
// How the IDE reads the structure of a code module: procedure declarations,
// closing lines, comments, continuations and the statements of the
// declarations section. Used by the in-memory host; case is ignored as VB
// ignores it.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace qv::host::memory {

// These few are inline: the procedure index passes every line of a module
// through them as it loads.

inline bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// Leading spaces and tabs removed. (An indent of spaces is passed four
// bytes at a time.)
inline std::string_view SkipBlanks(std::string_view s) {
    size_t i = 0;
    for (std::uint32_t four; i + 4 <= s.size(); i += 4) {
        std::memcpy(&four, s.data() + i, 4);
        if (four != 0x20202020u) break;
    }
    while (i < s.size() && IsBlankChar(s[i])) ++i;
    return s.substr(i);
}

// The line continues on the next one: it ends with a blank and "_", or is
// the "_" alone (trailing blanks ignored).
inline bool IsContinued(std::string_view line) {
    size_t n = line.size();
    while (n > 0 && IsBlankChar(line[n - 1])) --n;
    if (n == 0 || line[n - 1] != '_') return false;
    // A line of the mark alone continues too: no name is "_", and a tidy
    // that puts the mark in column 1 must not join what it separated.
    return n == 1 || IsBlankChar(line[n - 2]) || SkipBlanks(line.substr(0, n)).size() == 1;
}

// A comment statement starts the (blank-stripped) text: "'" or the word Rem.
// (A letter differs from its capital only in the bit 0x20, and no other
// byte folds onto a letter.)
inline bool IsCommentStart(std::string_view text) {
    if (text.empty()) return false;
    if (text[0] == '\'') return true;
    return text.size() >= 3 && (text[0] | 0x20) == 'r' && (text[1] | 0x20) == 'e' &&
           (text[2] | 0x20) == 'm' &&
           (text.size() == 3 || IsBlankChar(text[3]) || text[3] == ':');
}

// Orders names with ASCII case ignored, as VB compares them: below zero
// when a comes first, zero when they are the same name.
inline int CompareNames(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;  // most bytes of names that share a start
        const auto x = static_cast<unsigned char>(text::AsciiLower(a[i]));
        const auto y = static_cast<unsigned char>(text::AsciiLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool IsIdentifierChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
           (u >= 'a' && u <= 'z') || u == '_';
}

struct ProcDeclaration {
    std::string name;
    int kind = 0;   // procedure kind: 0 Sub/Function, 1 Let, 2 Set, 3 Get
    int scope = 2;  // 1 Private, 2 Public, 3 Friend
    bool isProperty = false;
};

// A Sub, Function or Property declaration line ("[scope] [Static] Sub Name...").
std::optional<ProcDeclaration> ParseProcDeclaration(std::string_view line);

// Whether the blank-stripped text may be a declaration at all: its first
// two letters are those of Public, Private, Property, Friend, Function,
// Static or Sub. Most lines fail this, and need no further reading.
inline bool MayDeclareProcedure(std::string_view t) {
    if (t.size() < 4) return false;
    const char second = static_cast<char>(t[1] | 0x20);
    switch (t[0] | 0x20) {
        case 'p': return second == 'u' || second == 'r';
        case 'f': return second == 'r' || second == 'u';
        case 's': return second == 't' || second == 'u';
        default: return false;
    }
}

// "End Sub", "End Function" or "End Property" (a leading line number allowed).
bool IsProcEnd(std::string_view line);

// Whether the blank-stripped text may be a closing line: only a line number
// or the word End and a blank can open one.
inline bool MayEndProcedure(std::string_view t) {
    if (t.empty()) return false;
    if (t[0] >= '0' && t[0] <= '9') return true;
    return t.size() > 3 && (t[0] | 0x20) == 'e' && (t[1] | 0x20) == 'n' && (t[2] | 0x20) == 'd' &&
           IsBlankChar(t[3]);
}

// One named item declared by a statement of the declarations section.
struct DeclaredName {
    std::string name;
    int type = 0;   // member type: 1 Declare, 3 variable, 4 event, 5 constant
    int scope = 1;  // 1 Private, 2 Public, 3 Friend
};

// What a statement of the declarations section declares (its continuation
// lines joined). blockOpened/blockClosed report Type and Enum blocks, whose
// fields are not members.
struct DeclarationStatement {
    std::vector<DeclaredName> names;
    bool opensBlock = false;  // "Type X" or "Enum X"
    bool closesBlock = false; // "End Type" or "End Enum"
};
DeclarationStatement ParseDeclarationStatement(std::string_view statement);

}  // namespace qv::host::memory
