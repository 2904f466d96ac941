#pragma once
// The end of the error chain for the command line: an unexpected error gets
// the error report (clipboard copy, log entry) and the report is printed on
// standard error, where a terminal user sees it in place of a message box.

#include <iosfwd>
#include <string_view>

namespace qv::cli {

// Call inside a catch block: reports the exception being handled.
void ReportUnexpectedError(std::string_view functionName, std::ostream& err);

}  // namespace qv::cli
