#include "shell/code_window_commands.h"

#include <ctime>

#include "analysis/code_window_cursor.h"
#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "errorhandling/messages.h"
#include "platform/code_page.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "shell/line_number_commands.h"
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

RoutineOutcome RunAtCursor(host::CodeModule& module, CursorCommand command,
                           const settings::SettingsRecord& settings,
                           const RoutineAction& action) try {
    const analysis::CodeWindowCursor cursor = analysis::ReadCursor(module);
    if (analysis::IsReadOnly(module.Parent())) return ReadOnlyRefusal();
    if (cursor.routine.empty()) {
        // The declarations section, past the end, or lines of no routine
        // (the comments of a module without routines): only tidy has
        // something to do there.
        if (command == CursorCommand::Tidy && !module.Name().empty()) {
            tidy::Tidy_Declarations(module, settings);
            analysis::PutCursorBack(module, cursor);
        }
        return {};
    }
    // The copy of a routine defined more than once that the cursor is in;
    // its kind is read among that copy's accessors.
    const analysis::RoutineEntry first{cursor.routine, 0, module.ProcCopyOfLine(cursor.startLine)};
    const analysis::RoutineCopyScope copy(module, first);
    const analysis::RoutineEntry entry{
        cursor.routine, analysis::KindAtLine(module, cursor.routine, cursor.startLine), first.copy};
    switch (command) {
        case CursorCommand::Add:
            return RunCommandOn(ModuleCommand::Add, module, entry, settings);
        case CursorCommand::Own:
            return action(module, entry);
        case CursorCommand::Line:
        case CursorCommand::Tidy:
            break;
    }
    RoutineOutcome outcome = NumberOrTidy(command, module, entry, settings);
    if (outcome.refusal.empty()) analysis::PutCursorBack(module, cursor);
    return outcome;
}
QV_PASS_UP("AddIn", "RunAtCursor")

RoutineOutcome CommentAtCursor(host::VBE& vbe, const settings::SettingsRecord& settings) try {
    const std::string stamp = tidy::CommentStamp(settings.insert, std::time(nullptr));
    host::CodePane* pane = vbe.ActiveCodePane();
    if (pane == nullptr) return {};
    host::CodeModule& module = pane->CodeModule();
    if (analysis::IsReadOnly(module.Parent())) return ReadOnlyRefusal();
    long line = 0, column = 0, endLine = 0, endColumn = 0;
    pane->GetSelection(line, column, endLine, endColumn);
    // The stamp is our text (UTF-8), written in the module's code page.
    const std::string stamped =
        module.Lines(line, 1) + text::FromUtf8Replacing(stamp, module.TextCodePage());
    // A cursor below the last line (an empty module) has no line to replace.
    if (line <= module.CountOfLines()) module.DeleteLines(line, 1);
    module.InsertLines(line, stamped);
    // The cursor goes to the end of the line as the host stored it.
    const long end = static_cast<long>(module.Lines(line, 1).size()) + 1;
    pane->SetSelection(line, end, line, end);
    RoutineOutcome outcome;
    outcome.changed = true;
    outcome.done = "stamped";
    return outcome;
}
QV_PASS_UP("AddIn", "AddComment")

void ShowCursorRefusal(const RoutineOutcome& outcome) {
    if (outcome.message != 0) {
        errorhandling::MyMsgBox(outcome.message, mb::kOkOnly, false);
    } else if (!outcome.refusal.empty()) {
        errorhandling::ShowRefusal(outcome.refusal);
    }
}

}  // namespace qv::shell
