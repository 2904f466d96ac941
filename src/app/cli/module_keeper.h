#pragma once
// Keeps a copy of each module before a module or project run touches it and
// puts it back exactly (lines and hidden attribute lines) when the run fails
// halfway, so that no module is written half-changed. The commands that
// change code report such a module and write the others.

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/project_target.h"
#include "shell/routine_run.h"

namespace qv::cli {

class ModuleKeeper : public shell::ModuleGuard {
  public:
    explicit ModuleKeeper(const host::files::Workspace& workspace) : workspace_(workspace) {}
    void Before(host::VBComponent& component) override;
    bool Failed(host::VBComponent& component, const VbError& error) override;

  private:
    const host::files::Workspace& workspace_;
    std::shared_ptr<const std::string> buffer_;
    std::vector<std::string_view> lines_;
    std::map<std::string, std::vector<host::memory::HiddenAttribute>> attributes_;
};

// "description (error N, in source)" of a module whose run failed.
std::string FailureText(const shell::ModuleOutcome& module);

// One line on err per module of the run that failed halfway:
// "qvaddin: FILE: routine R: ...; module M was left as it was".
void ReportFailedModules(std::ostream& err, LoadedTarget& target, const shell::RunOutcome& outcome);

}  // namespace qv::cli
