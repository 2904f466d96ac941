#include "shell/verb_dispatch.h"

#include <string>

#include "errorhandling/insertion.h"
#include "linenumbers/line_number_commands.h"
#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "shell/add_in_ui.h"
#include "shell/error_report.h"
#include "shell/module_commands.h"
#include "shell/window_utilities.h"
#include "tidy/comment_stamp.h"
#include "tidy/tidy_at_cursor.h"

namespace qv::shell {

namespace {

constexpr long kObjectVariableNotSet = 91;

host::CodeModule& ActiveModule(host::VBE& vbe) {
    host::CodePane* pane = vbe.ActiveCodePane();
    if (pane == nullptr) Raise(kObjectVariableNotSet, "No code window is active.");
    return pane->CodeModule();
}

bool commandRunning = false;

// Ends the busy state however the command ends.
class BusyScope {
public:
    explicit BusyScope(host::VBE& vbe) : vbe_(vbe) {
        commandRunning = true;
        if (AddInUi* ui = GetAddInUi()) ui->BeginCommand(vbe_);
    }
    ~BusyScope() {
        if (AddInUi* ui = GetAddInUi()) ui->EndCommand(vbe_);
        commandRunning = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    host::VBE& vbe_;
};

}  // namespace

void RunVerb(host::VBE& vbe, std::string_view verb) try {
    if (verb.starts_with("module ")) {
        if (auto command = ParseModuleCommand(verb.substr(7))) RunModuleCommand(vbe, *command);
    } else if (verb.starts_with("project ")) {
        if (auto command = ParseModuleCommand(verb.substr(8))) RunProjectCommand(vbe, *command);
    } else if (verb == "code add") {
        errorhandling::AddErrorHandling(ActiveModule(vbe));
    } else if (verb == "code line") {
        linenumbers::AddLineNos(ActiveModule(vbe));
    } else if (verb == "code tidy") {
        tidy::TidyUpTheRoutine(ActiveModule(vbe));
    } else if (verb == "close windows") {
        DoHide(vbe);
    } else if (verb == "code comment") {
        tidy::AddComment(vbe);
    } else if (AddInUi* ui = GetAddInUi(); ui != nullptr && ui->Offers(verb)) {
        if (verb == "find") ui->ShowFind(vbe);
        if (verb == "check") ui->ShowMainWindow(vbe, 2);
        if (verb == "tool") ui->ShowMainWindow(vbe, 1);
    }
} QV_PASS_UP("clsVBEEvents", "RunVerb")

bool RunAsOneCommand(host::VBE& vbe, const std::function<void()>& command) {
    if (commandRunning) {
        GetServices().Beep();
        return false;
    }
    BusyScope busy(vbe);
    command();
    return true;
}

void MenuClick(host::VBE& vbe, host::CommandBarControl& control) {
    try {
        const std::string verb = control.Parameter();
        RunAsOneCommand(vbe, [&] { RunVerb(vbe, verb); });
    } catch (...) {
        SetCurrentError(CurrentAsVbError());
        ErrorLog("clsVBEEvents.cMenu_Click");
    }
}

}  // namespace qv::shell
