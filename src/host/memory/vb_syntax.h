#pragma once
// How the IDE reads the structure of a code module: procedure declarations,
// closing lines, comments, continuations and the statements of the
// declarations section. Used by the in-memory host; case is ignored as VB
// ignores it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::memory {

// Leading spaces and tabs removed.
std::string_view SkipBlanks(std::string_view s);

// The line continues on the next one: it ends with a blank and "_", or is
// the "_" alone (trailing blanks ignored).
bool IsContinued(std::string_view line);

// A comment statement starts the (blank-stripped) text: "'" or the word Rem.
bool IsCommentStart(std::string_view text);

bool IsIdentifierChar(char c);

struct ProcDeclaration {
    std::string name;
    int kind = 0;   // procedure kind: 0 Sub/Function, 1 Let, 2 Set, 3 Get
    int scope = 2;  // 1 Private, 2 Public, 3 Friend
    bool isProperty = false;
};

// A Sub, Function or Property declaration line ("[scope] [Static] Sub Name...").
std::optional<ProcDeclaration> ParseProcDeclaration(std::string_view line);

// "End Sub", "End Function" or "End Property" (a leading line number allowed).
bool IsProcEnd(std::string_view line);

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
