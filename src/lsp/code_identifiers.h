#pragma once
// The identifiers of a module's code lines as VB reads them, for finding the
// references of a name: words in code, not the words of comments and string
// literals (which are reported apart, for a search that wants them), each
// marked where it declares the name (a routine, Declare, Event, Type or
// Enum, a variable or constant, a parameter, a Type field or Enum member,
// a line label). A comment ends with its line unless the line ends in " _";
// a statement may run over continuation lines and share a line with others
// after ":". Each use has its scope: the module's declarations section, or
// the body of one routine, from its declaration (parameters included) to
// its End line.

#include <string>
#include <vector>

namespace qv::lsp {

struct IdentifierUse {
    long line = 0;        // 1-based, as the lines were given
    long column = 0;      // 1-based byte column of the first character
    long length = 0;      // in bytes
    bool declares = false;
    bool inText = false;  // a word of a comment or string literal
    // 0 at module level; else the routine's number (1, 2, ... in order). The
    // parameters of a Declare or an Event have a number of their own, as
    // they are seen nowhere else.
    long scope = 0;
};

// Every identifier of the lines in order; words of comments and strings
// too when withText is set. Bytes of 128 and above count as letters, so a
// name in a multi-byte encoding stays one word.
std::vector<IdentifierUse> IdentifierUses(const std::vector<std::string>& lines, bool withText);

}  // namespace qv::lsp
