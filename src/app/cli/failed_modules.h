#pragma once
// A module that a module or project run fails in halfway is put back
// exactly (shell::OnModuleFailure::KeepWhole: its edit transaction is
// cancelled, lines and hidden attribute lines), so that no module is written
// half-changed. The commands that change code report such a module and
// write the others.

#include <ostream>
#include <string>

#include "app/cli/project_target.h"
#include "shell/routine_run.h"

namespace qv::cli {

// One line on err per module of the run that failed halfway:
// "qvaddin: FILE: routine R: ...; module M was left as it was".
void ReportFailedModules(std::ostream& err, LoadedTarget& target, const shell::RunOutcome& outcome);

}  // namespace qv::cli
