#pragma once
// Event handlers end the error chain: whatever the code below them raised is
// made the current error and handed to the program's error report, and the
// event loop goes on. The report itself (message box, clipboard, log) lives
// with the add-in's shell; a program installs it here at start, so that
// windows can trap their events without depending on the shell.
//
//     void FindWindow::OnFindClicked() {
//         EventTrap("UDFind.Command1_Click", [&] { Search(Text()); });
//     }

#include <functional>
#include <string_view>

namespace qv {

// Called with the handler's name ("UDFind.Command1_Click") while the caught
// error is the current error (Err()).
using ErrorReporter = std::function<void(std::string_view functionName)>;

// Installs the program's report; an empty reporter restores the default,
// which shows the error's description through the services and writes it to
// the application log.
void SetErrorReporter(ErrorReporter reporter);

// Call inside a catch block: makes the exception being handled the current
// error and reports it. Never throws.
void ReportCaughtError(std::string_view functionName) noexcept;

template <class Body>
void EventTrap(std::string_view functionName, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        ReportCaughtError(functionName);
    }
}

}  // namespace qv
