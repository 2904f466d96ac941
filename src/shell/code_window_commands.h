#pragma once
// The code window's commands on the routine at the cursor of a module's code
// pane: error handling, line numbers, tidy and the change stamp (the menus'
// "code add", "code line", "code tidy", "code comment"), and our own remove,
// replace and unnumber. Each tells
// what it did as a routine outcome; Execute shows its refusal where the IDE's
// add-in shows it (message 4 for a read-only module as a plain box, any other
// reason at the mouse pointer).

#include <optional>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"
#include "settings/settings_record.h"
#include "shell/routine_run.h"

namespace qv::shell {

enum class CursorCommand { Add, Line, Tidy, Own };

// The command on one routine of the module: a read-only module is refused
// with message 4; without a routine (outside every routine) add, line and
// our own commands do nothing (the outcome names no routine) and tidy tidies
// the declarations section. Line numbers and tidy lay out no header. action
// is the routine action of our own commands (ignored for the others).
RoutineOutcome RunOnRoutine(host::CodeModule& module,
                            const std::optional<analysis::RoutineEntry>& routine,
                            CursorCommand command, const settings::SettingsRecord& settings,
                            const RoutineAction& action = {});

// The same on the routine at the cursor of the module's code pane, as the
// code window's menus and hot keys run it; line numbers and tidy put the
// cursor and the pane's top line back.
RoutineOutcome RunAtCursor(host::CodeModule& module, CursorCommand command,
                           const settings::SettingsRecord& settings,
                           const RoutineAction& action = {});

// The comment command: appends the change stamp of the setting `insert` to
// the line (1-based). A read-only module is refused with message 4.
RoutineOutcome CommentLine(host::CodeModule& module, long line,
                           const settings::SettingsRecord& settings);
// The same on the line at the cursor of the active code pane, and puts the
// cursor after the stamp; without an active code pane nothing happens.
RoutineOutcome CommentAtCursor(host::VBE& vbe, const settings::SettingsRecord& settings);

// Shows an outcome's refusal as the code window's commands do.
void ShowCursorRefusal(const RoutineOutcome& outcome);

}  // namespace qv::shell
