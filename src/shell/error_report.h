#pragma once
// The end of every error chain: one report of the current error, shown in a
// message box, copied to the clipboard and written to the application log.

#include <string>
#include <string_view>

#include "platform/error_state.h"

namespace qv::shell {

// The message box style of the report: critical-stop icon, brought to the
// foreground.
inline constexpr int kErrorReportStyle = 0x10010;

// Where the report is kept besides its message box.
enum class ReportCopy {
    Clipboard,  // on the clipboard (and in the log)
    LogOnly,    // in the log only: where there is no clipboard (a terminal)
};

// The report text for an error caught in functionName (for example
// "clsVBEEvents.cMenu_Click"). Each location of the source's chain stands on
// its own indented line; the line number is added only when it is known.
// The last sentence says where the copy went.
std::string ErrorReportText(std::string_view functionName, const ErrorRecord& error,
                            ReportCopy copy = ReportCopy::Clipboard);

// Reports the current error: clears the saved error, puts the report on the
// clipboard (where the services have one), shows it (with the default
// title), writes it to the log, and clears the current error. Never raises:
// a step that fails is skipped.
void ErrorLog(std::string_view functionName);

}  // namespace qv::shell
