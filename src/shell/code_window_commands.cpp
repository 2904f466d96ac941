#include "shell/code_window_commands.h"

#include <ctime>

#include "analysis/code_window_cursor.h"
#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "host/lines_code_page.h"
#include "errorhandling/messages.h"
#include "platform/code_page.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "shell/line_number_commands.h"
#include "shell/command_target.h"
#include "shell/module_commands.h"
#include "tidy/comment_stamp.h"
#include "tidy/tidy_routine.h"

namespace qv::shell {

namespace {

using errorhandling::kReadOnlyMessage;

RoutineOutcome ReadOnlyRefusal() {
    RoutineOutcome refused;
    refused.message = kReadOnlyMessage;
    refused.refusal = errorhandling::MessageText(kReadOnlyMessage);
    return refused;
}

// Line numbers or tidy on one routine, without the header layout of the
// module and project runs.
RoutineOutcome NumberOrTidy(CursorCommand command, host::CodeModule& module,
                            const analysis::RoutineEntry& routine,
                            const settings::SettingsRecord& settings) {
    RoutineOutcome outcome(routine);
    outcome.refusal = analysis::ChangeRefusal(module, routine.name, routine.kind);
    if (!outcome.refusal.empty()) return outcome;
    host::Member& member = module.Members().Item(routine.name);
    if (command == CursorCommand::Line) {
        outcome.changed = linenumbers::AddLineNumbers_Mem(member, routine.kind, false, settings);
        if (outcome.changed) outcome.done = "numbered";
    } else {
        outcome.changed = tidy::Tidy_Routine(member, routine.kind, false, settings);
    }
    return outcome;
}

}  // namespace

RoutineOutcome RunOnRoutine(host::CodeModule& module,
                            const std::optional<analysis::RoutineEntry>& routine,
                            CursorCommand command, const settings::SettingsRecord& settings,
                            const RoutineAction& action) try {
    if (analysis::IsReadOnly(module.Parent())) return ReadOnlyRefusal();
    if (!routine) {
        // The declarations section, past the end, or lines of no routine
        // (the comments of a module without routines): only tidy has
        // something to do there.
        if (command == CursorCommand::Tidy && !module.Name().empty()) {
            tidy::Tidy_Declarations(module, settings);
        }
        return {};
    }
    // A copy of a routine defined more than once is worked on as that copy.
    const analysis::RoutineCopyScope copy(module, *routine);
    switch (command) {
        case CursorCommand::Add:
            return RunCommandOn(ModuleCommand::Add, module, *routine, settings);
        case CursorCommand::Own:
            return action(module, *routine);
        case CursorCommand::Line:
        case CursorCommand::Tidy:
            break;
    }
    return NumberOrTidy(command, module, *routine, settings);
}
QV_PASS_UP("AddIn", "RunOnRoutine")

RoutineOutcome RunAtCursor(host::CodeModule& module, CursorCommand command,
                           const settings::SettingsRecord& settings,
                           const RoutineAction& action) {
    const analysis::CodeWindowCursor cursor = analysis::ReadCursor(module);
    const std::optional<analysis::RoutineEntry> routine =
        cursor.routine.empty() ? std::nullopt : RoutineAtLine(module, cursor.startLine);
    RoutineOutcome outcome = RunOnRoutine(module, routine, command, settings, action);
    const bool keepsCursor = command == CursorCommand::Line || command == CursorCommand::Tidy;
    if (keepsCursor && outcome.message == 0 && outcome.refusal.empty()) {
        analysis::PutCursorBack(module, cursor);
    }
    return outcome;
}

RoutineOutcome CommentLine(host::CodeModule& module, long line,
                           const settings::SettingsRecord& settings) try {
    const std::string stamp = tidy::CommentStamp(settings.insert, std::time(nullptr));
    if (analysis::IsReadOnly(module.Parent())) return ReadOnlyRefusal();
    // The stamp is our text (UTF-8), written in the module's code page.
    const std::string stamped =
        module.Lines(line, 1) + text::FromUtf8Replacing(stamp, host::LinesCodePage(module, settings.codePage));
    // A line below the last (an empty module) has no line to replace.
    if (line <= module.CountOfLines()) module.DeleteLines(line, 1);
    module.InsertLines(line, stamped);
    RoutineOutcome outcome;
    outcome.changed = true;
    outcome.done = "stamped";
    return outcome;
}
QV_PASS_UP("AddIn", "AddComment")

RoutineOutcome CommentAtCursor(host::VBE& vbe, const settings::SettingsRecord& settings) {
    host::CodePane* pane = vbe.ActiveCodePane();
    if (pane == nullptr) return {};
    host::CodeModule& module = pane->CodeModule();
    long line = 0, column = 0, endLine = 0, endColumn = 0;
    pane->GetSelection(line, column, endLine, endColumn);
    RoutineOutcome outcome = CommentLine(module, line, settings);
    if (outcome.changed) {
        // The cursor goes to the end of the line as the host stored it.
        const long end = static_cast<long>(module.Lines(line, 1).size()) + 1;
        pane->SetSelection(line, end, line, end);
    }
    return outcome;
}

void ShowCursorRefusal(const RoutineOutcome& outcome) {
    if (outcome.message != 0) {
        errorhandling::MyMsgBox(outcome.message, mb::kOkOnly, false);
    } else if (!outcome.refusal.empty()) {
        errorhandling::ShowRefusal(outcome.refusal);
    }
}

}  // namespace qv::shell
