#pragma once
// What InsertLines stores: the IDE tidies every code line it is given, and a
// code host does the same. Engines that want to write only the lines that
// change use this to foresee the stored form.
//
// The IDE tidies every code line it is given: tab characters outside string
// literals and comments become spaces up to the next tab stop, a line label
// (a name that is not a keyword, followed by ":", or a line number) that
// starts the line moves to column 1, and trailing blanks go. A continuation
// line (the line above ends with " _") has no label, even when it begins
// with a digit.

#include <string>
#include <string_view>

namespace qv::host {

std::string TidyReceivedLine(std::string_view line, int tabWidth, bool isContinuation);
// The same line appended to out (for a caller that keeps many lines in one
// buffer).
void AppendReceivedLine(std::string& out, std::string_view line, int tabWidth, bool isContinuation);

// The line continues on the next one: it ends with a blank and "_" (trailing
// blanks ignored).
bool IsContinuedLine(std::string_view line);

// The line label a line begins with (leading blanks ignored): a name that is
// not a statement keyword, followed by ":" ("" when there is none; line
// numbers are not returned).
std::string LineLabel(std::string_view line);

}  // namespace qv::host
