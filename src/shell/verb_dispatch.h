#pragma once
// The one entry of the add-in's menu buttons: a click arrives with the
// button's command verb and runs it on the target the IDE gives (the routine
// at the cursor, the selected component, the active project).

#include <functional>
#include <string_view>

#include "host/code_host.h"

namespace qv::shell {

// Runs the catalogue's command of the verb with the program's windows; an
// unknown verb does nothing. Errors pass up.
void RunVerb(host::VBE& vbe, std::string_view verb);

// The click of one of the add-in's buttons (clsVBEEvents.cMenu_Click): runs
// its verb as one command and ends the error chain with the report. A click
// while another command still runs (its progress window lets events through)
// is refused with a beep.
void MenuClick(host::VBE& vbe, host::CommandBarControl& control);

// Runs one command with the busy guard of the program's windows; false when
// another command is still running.
bool RunAsOneCommand(host::VBE& vbe, const std::function<void()>& command);

}  // namespace qv::shell
