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

// The report text for an error caught in functionName (for example
// "clsVBEEvents.cMenu_Click"). Each location of the source's chain stands on
// its own indented line; the line number is added only when it is known.
std::string ErrorReportText(std::string_view functionName, const ErrorRecord& error);

// Reports the current error: clears the saved error, puts the report on the
// clipboard, shows it (with the default title), writes it to the log, and
// clears the current error. Never raises: a step that fails is skipped.
void ErrorLog(std::string_view functionName);

}  // namespace qv::shell
