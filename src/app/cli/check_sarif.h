#pragma once
// The findings of one judged module for the SARIF log of check: each
// routine that is not Good at its declaration's line in the file, with the
// add command's change as its fix where that command would make one.

#include <iosfwd>

#include "app/cli/project_target.h"
#include "app/cli/sarif_log.h"
#include "errorhandling/module_counts.h"

namespace qv::cli {

// The project's name as a fingerprint takes it: in a run over several
// projects, UTF-8; "" otherwise.
std::string FingerprintProject(LoadedTarget& target, const host::memory::MemoryProject& project);

// withFixes false: no fixes (the stored settings would make code that is
// not VB). An error that stops working out a fix is written to err; the
// finding is kept without one.
void AddModuleFindings(SarifLog& log, LoadedTarget& target,
                       host::memory::MemoryComponent& component,
                       const analysis::ModuleCounts& counts, bool withFixes, std::ostream& err,
                       const settings::SettingsRecord& settings);

}  // namespace qv::cli
