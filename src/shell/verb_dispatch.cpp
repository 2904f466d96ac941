#include "shell/verb_dispatch.h"

#include <string>

#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "shell/add_in_ui.h"
#include "shell/command_catalogue.h"
#include "shell/error_report.h"

namespace qv::shell {

namespace {

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
    const std::optional<CommandId> id = CommandOfVerb(verb);
    if (!id) return;
    CommandContext context = IdeCommand(vbe);
    const CommandResult result = Execute(*id, context);
    const CommandInfo& info = Info(*id);
    const bool run = info.scope == CommandScope::Module || info.scope == CommandScope::Project;
    if (run && !result.run.refused && !result.run.modules.empty()) {
        if (AddInUi* ui = GetAddInUi()) ui->ShowRunSummary(vbe, info, result.run);
    }
}
QV_PASS_UP("clsVBEEvents", "RunVerb")

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
