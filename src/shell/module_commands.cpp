#include "shell/module_commands.h"

#include "analysis/routine_shape.h"
#include "errorhandling/insertion.h"
#include "errorhandling/templates.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "shell/line_number_commands.h"
#include "tidy/tidy_routine.h"

namespace qv::shell {

namespace {

bool IsDeclarations(const analysis::RoutineEntry& routine) {
    return routine.name == analysis::kDeclarationsName;
}

// A terminate routine refused for its "On Error Resume Next" may hold just
// the terminate blocks that insertion gives it.
bool HoldsTerminateBlocks(host::CodeModule& module, host::Member& member,
                          const analysis::RoutineEntry& routine) {
    if (!errorhandling::IsTermimate(member)) return false;
    std::string fullText;
    return errorhandling::HoldsTerminateHandler(
        analysis::RemoveComments(module, routine.name, routine.kind, fullText));
}

RoutineOutcome AddHandler(host::CodeModule& module, const analysis::RoutineEntry& routine,
                          const settings::SettingsRecord& settings) {
    RoutineOutcome outcome(routine);
    if (IsDeclarations(routine)) return outcome;  // declarations get no handler
    std::string message;
    int number = 0;
    host::Member& member = module.Members().Item(routine.name);
    outcome.changed =
        errorhandling::AddRoutineErrorHandling(member, routine.kind, settings, message, &number);
    if (outcome.changed) {
        outcome.done = "added";
    } else {
        outcome.refusal = message;
        outcome.needsNothing = number == 1 || number == 2 ||
                               (number == 3 && HoldsTerminateBlocks(module, member, routine));
    }
    return outcome;
}

// Line numbers and tidy: the declarations section is tidied, every routine
// numbered or tidied with its header; a routine that must not be changed is
// refused with the reason.
RoutineOutcome LineOrTidy(ModuleCommand command, host::CodeModule& module,
                          const analysis::RoutineEntry& routine,
                          const settings::SettingsRecord& settings) {
    RoutineOutcome outcome(routine);
    if (!IsDeclarations(routine)) {
        outcome.refusal = analysis::ChangeRefusal(module, routine.name, routine.kind);
        if (!outcome.refusal.empty()) return outcome;
    }
    if (IsDeclarations(routine)) {
        outcome.changed = tidy::Tidy_Declarations(module, settings);
    } else if (command == ModuleCommand::Line) {
        outcome.changed = linenumbers::AddLineNumbers_Mem(module.Members().Item(routine.name),
                                                          routine.kind, true, settings);
    } else {
        outcome.changed =
            tidy::Tidy_Routine(module.Members().Item(routine.name), routine.kind, true, settings);
    }
    if (outcome.changed) {
        outcome.done =
            command == ModuleCommand::Line && !IsDeclarations(routine) ? "numbered" : "tidied";
    }
    return outcome;
}

// The status window's title before the module's or project's name.
std::string ModuleTitle(ModuleCommand command) {
    switch (command) {
        case ModuleCommand::Add:
            return "Adding Module Error Handling to ";
        case ModuleCommand::Line:
            return "Adding Module Line Numbers to ";
        case ModuleCommand::Tidy:
            return "Tidying Module ";
    }
    return {};
}

std::string ProjectTitle(ModuleCommand command) {
    switch (command) {
        case ModuleCommand::Add:
            return "Adding Project Error Handling to ";
        case ModuleCommand::Line:
            return "Adding Project Line Numbers to ";
        case ModuleCommand::Tidy:
            return "Tidying Project ";
    }
    return {};
}

}  // namespace

RoutineOutcome RunCommandOn(ModuleCommand command, host::CodeModule& module,
                            const analysis::RoutineEntry& routine,
                            const settings::SettingsRecord& settings) try {
    const analysis::RoutineCopyScope copy(module, routine);
    if (command == ModuleCommand::Add) return AddHandler(module, routine, settings);
    return LineOrTidy(command, module, routine, settings);
}
QV_PASS_UP("clsVBEEvents", "RunCommandOn")

RunOutcome RunModuleCommand(host::VBE& vbe, ModuleCommand command,
                            const settings::SettingsRecord& record, OnModuleFailure onFailure,
                            host::VBComponent* target) {
    return RunOnModule(
        vbe, ModuleTitle(command),
        [command, &record](host::CodeModule& module, const analysis::RoutineEntry& routine) {
            return RunCommandOn(command, module, routine, record);
        },
        onFailure, target);
}

RunOutcome RunProjectCommand(host::VBE& vbe, ModuleCommand command,
                             const settings::SettingsRecord& record, OnModuleFailure onFailure,
                             host::VBProject* target, const ModuleDone& done,
                             bool sideBySide) {
    return RunOnProject(
        vbe, ProjectTitle(command),
        [command, &record](host::CodeModule& module, const analysis::RoutineEntry& routine) {
            return RunCommandOn(command, module, routine, record);
        },
        onFailure, target, done, sideBySide);
}

}  // namespace qv::shell
