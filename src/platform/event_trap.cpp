#include "platform/event_trap.h"

#include <string>

#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/vb_error.h"

namespace qv {

namespace {

ErrorReporter& InstalledReporter() {
    static ErrorReporter reporter;
    return reporter;
}

// Until a program installs its report: the error is shown and logged, never
// lost.
void DefaultReport(std::string_view functionName) {
    const ErrorRecord& error = Err();
    const std::string text = std::string(functionName) + ": " + error.source + " " +
                             std::to_string(error.number) + " " + error.description;
    GetServices().LogError(text);
    GetServices().MessageBox(text, mb::kCritical, {}, false);
    ClearCurrentError();
}

}  // namespace

void SetErrorReporter(ErrorReporter reporter) { InstalledReporter() = std::move(reporter); }

void ReportCaughtError(std::string_view functionName) noexcept {
    IgnoringErrors([&] {
        SetCurrentError(CurrentAsVbError());
        if (InstalledReporter()) InstalledReporter()(functionName);
        else DefaultReport(functionName);
    });
}

}  // namespace qv
