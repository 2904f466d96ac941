#include "shell/error_report.h"

#include "platform/services.h"
#include "platform/text.h"

namespace qv::shell {

namespace {

// Runs one step of the report; the report goes on whatever happens.
template <typename Step>
void Ignoring(Step step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

std::string ErrorReportText(std::string_view functionName, const ErrorRecord& error,
                            ReportCopy copy) {
    const std::string crlf(text::kCrLf);
    const std::string sourceWithBreaks = text::ReplaceAll(error.source, ":", crlf + "\t\t");
    std::string report = "An error has occurred.  Contact Brell with the following information:" +
                         crlf + crlf + "\tFunction: " + std::string(functionName) + crlf + crlf +
                         "\tError Source: " + crlf + "\t\t" + sourceWithBreaks + crlf + crlf +
                         "\tError Number: " + std::to_string(error.number) + crlf + crlf +
                         "\tError Description: " + error.description + crlf + crlf +
                         (copy == ReportCopy::Clipboard
                              ? "THIS INFORMATION HAS BEEN COPIED TO THE CLIPBOARD."
                              : "THIS INFORMATION HAS BEEN WRITTEN TO THE SYSTEM LOG.");
    if (error.line != 0) report += "\tLast known line number: " + std::to_string(error.line);
    return report;
}

void ErrorLog(std::string_view functionName) {
    ErrorRecord error;
    Ignoring([&] { error = Err(); });
    Ignoring([] { ClearSavedError(); });
    ReportCopy copy = ReportCopy::Clipboard;
    Ignoring([&] { copy = GetServices().HasClipboard() ? ReportCopy::Clipboard : ReportCopy::LogOnly; });
    std::string report;
    Ignoring([&] { report = ErrorReportText(functionName, error, copy); });
    if (copy == ReportCopy::Clipboard) Ignoring([&] { GetServices().SetClipboardText(report); });
    Ignoring([&] { GetServices().MessageBox(report, kErrorReportStyle, {}, false); });
    Ignoring([&] { GetServices().LogError(report); });
    Ignoring([] { ClearCurrentError(); });
}

}  // namespace qv::shell
