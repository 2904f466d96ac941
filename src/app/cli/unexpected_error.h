#pragma once
// The end of the error chain for the command line: an unexpected error is
// reported with its location chain on standard error.

#include <iosfwd>
#include <string_view>

namespace qv::cli {

// Call inside a catch block.
void ReportUnexpectedError(std::string_view functionName, std::ostream& err);

}  // namespace qv::cli
