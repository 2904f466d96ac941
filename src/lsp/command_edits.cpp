#include "lsp/command_edits.h"

#include "errorhandling/messages.h"
#include "platform/vb_error.h"
#include "settings/setting_checks.h"
#include "settings/settings_record.h"

namespace qv::lsp {

namespace {

std::string RefusalText(const shell::RoutineOutcome& routine) {
    if (routine.message == 0) return routine.refusal;
    return "Message " + std::to_string(routine.message) + ": " + routine.refusal;
}

// The first refusal or failure of the run, as a user reads it.
std::string Refusal(const shell::RunOutcome& run) {
    if (run.refused) {
        return "Message " + std::to_string(errorhandling::kReadOnlyMessage) + ": " +
               errorhandling::MessageText(errorhandling::kReadOnlyMessage);
    }
    for (const shell::ModuleOutcome& module : run.modules) {
        if (module.failure) {
            return module.failedRoutine + ": " + module.failure->Description() + " (error " +
                   std::to_string(module.failure->Number()) + ")";
        }
        for (const shell::RoutineOutcome& routine : module.routines) {
            if (!routine.refusal.empty()) return RefusalText(routine);
        }
    }
    return {};
}

}  // namespace

CommandEdits RunOnDocument(DocumentModule& document, const std::string& text,
                           shell::CommandId id, long codeLine) {
    CommandEdits result;
    if (document.Component() == nullptr || document.Component()->Code() == nullptr) return result;
    // Handlers are written from the labels and templates: settings that
    // would make code that is not VB refuse the commands that write them.
    const std::string_view action = shell::Info(id).name.substr(shell::Info(id).name.find('.') + 1);
    if (action == "add" || action == "replace") {
        if (const auto problem = settings::RecordProblem(document.Settings())) {
            result.refusal = "The settings would make code that is not VB: " + *problem;
            return result;
        }
    }
    host::memory::MemoryComponent& component = *document.Component();
    const bool routine = shell::Info(id).scope == shell::CommandScope::Routine;
    shell::CommandContext context{
        .vbe = document.Target()->Vbe(),
        .onModuleFailure = shell::OnModuleFailure::KeepWhole,
        .showMessages = false,
        .target = routine ? shell::CommandTarget::Line(component, codeLine)
                          : shell::CommandTarget::Module(component),
        .settings = document.Settings()};
    // The command only proposes its edits: its group is undone when they
    // are read, and the module holds the editor's text again.
    host::EditTransaction proposal(*component.Code());
    try {
        const shell::CommandResult run = shell::Execute(id, context);
        result.refusal = Refusal(run.run);
        result.edits = LineEdits(text, document.RenderUtf8());
    } catch (...) {
        result.refusal = CurrentAsVbError().Description();
    }
    proposal.Cancel();
    return result;
}

}  // namespace qv::lsp
