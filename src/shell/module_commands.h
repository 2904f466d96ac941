#pragma once
// The module and project commands of the menus: "module add", "module
// line", "module tidy" and "project add", "project line", "project tidy".
// Error handling goes into every routine (the declarations section gets
// none, and a routine that refuses it is passed over without a message);
// line numbers and tidy also tidy the declarations section and lay out the
// procedure headers.

#include <string>

#include "host/code_host.h"
#include "settings/settings_record.h"
#include "shell/routine_run.h"

namespace qv::shell {

enum class ModuleCommand { Add, Line, Tidy };

// What the command does, with the given settings, to one entry of a routine
// list.
RoutineOutcome RunCommandOn(ModuleCommand command, host::CodeModule& module,
                            const analysis::RoutineEntry& routine,
                            const settings::SettingsRecord& settings);

// The command on the target component, else on the one selected in the
// active project (refused with message 4 when it is read-only), or on every
// module of the target project, else of the active project (read-only
// components, related documents and components without code passed over).
RunOutcome RunModuleCommand(host::VBE& vbe, ModuleCommand command,
                            const settings::SettingsRecord& settings,
                            OnModuleFailure onFailure = OnModuleFailure::PassUp,
                            host::VBComponent* target = nullptr);
RunOutcome RunProjectCommand(host::VBE& vbe, ModuleCommand command,
                             const settings::SettingsRecord& settings,
                             OnModuleFailure onFailure = OnModuleFailure::PassUp,
                             host::VBProject* target = nullptr, const ModuleDone& done = {},
                             bool sideBySide = false);

}  // namespace qv::shell
