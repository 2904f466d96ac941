#pragma once
// The findings of one judged module for the SARIF log of check: each
// routine that is not Good at its declaration's line in the file, with the
// add command's change as its fix where that command would make one.

#include <iosfwd>
#include <string>
#include <unordered_map>

#include "app/cli/project_target.h"
#include "app/cli/sarif_log.h"
#include "errorhandling/module_counts.h"
#include "host/files/module_loader.h"

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

// The modules of a run whose every module is worked on once, in turn (the
// SARIF log, a baseline): each lets its code go as the load reads it, as
// the tables do, so that a large project never sits in memory whole, and
// is read from its file again at its turn. The load keeps what tells that
// the file still holds what it read: a file changed since is never read
// again, so that nothing worked out from one text is placed on another.
class ModulesReadAgain {
  public:
    ModulesReadAgain() = default;
    ModulesReadAgain(const ModulesReadAgain&) = delete;
    ModulesReadAgain& operator=(const ModulesReadAgain&) = delete;

    // For the load (LoadTarget's moduleLoaded), which calls it on one
    // thread with each module in turn.
    host::files::ModuleLoaded OnLoaded();

    // Reads the component's code again when the load let it go (once for
    // each component: what was kept of it is taken then): "" when
    // its code is there, else why it is not (ASCII). Touches that component
    // and its file (and what was kept of them) only, so components may be
    // read side by side.
    std::string ReadAgain(host::files::Workspace& workspace,
                          host::memory::MemoryComponent& component);

  private:
    std::unordered_map<const host::VBComponent*, host::files::ReleasedCode> released_;
};

}  // namespace qv::cli
