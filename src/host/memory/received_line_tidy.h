#pragma once
// The IDE tidies every code line it is given: tab characters outside string
// literals and comments become spaces up to the next tab stop, a line label
// (a name that is not a keyword, followed by ":", or a line number) that
// starts the line moves to column 1, and trailing blanks go. A continuation
// line (the line above ends with " _") has no label, even when it begins
// with a digit.

#include <string>
#include <string_view>

namespace qv::host::memory {

std::string TidyReceivedLine(std::string_view line, int tabWidth, bool isContinuation);

}  // namespace qv::host::memory
