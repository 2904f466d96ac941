#pragma once
// What the commands that change routines share (add, number, remove,
// replace, unnumber): the three scopes (the routine at the cursor with
// --routine or --line, every routine of a module with --module, every
// module of the project otherwise), the refusal of a read-only or codeless
// target, modules kept whole when a routine fails halfway, saving (or the
// diff of --dry-run), and the report of what changed and what was refused,
// per module and routine, as text or JSON.

#include <functional>
#include <initializer_list>
#include <string>

#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "shell/command_catalogue.h"

namespace qv::cli {

class CodeChangeCommand : public Command {
  public:
    void AddOptions(OptionParser& parser) const override;
    int Run(CommandContext& context) override;

  protected:
    // Options of the command besides the target's.
    virtual void AddCommandOptions(OptionParser&) const {}
    // What --help says about the command after its summary.
    virtual std::string Details() const { return {}; }
    // Reads the command's options; called before anything changes.
    virtual void Prepare(CommandContext&) {}
    // The command's action in the catalogue ("add", "line", "remove", ...):
    // its code window command runs at the cursor line of the module, its
    // module command on the selected component, its project command on the
    // active project.
    virtual std::string_view Action() const = 0;
    // Remove and replace: --force.
    bool force_ = false;
};

// Runs a project command on each project of the selection in turn (every
// project the command line names), each as the command's target, and
// gathers the outcomes.
shell::RunOutcome RunOnEachProject(
    const Selection& selection,
    const std::function<shell::RunOutcome(host::memory::MemoryProject&)>& run);

// --strict: a run that refused a routine for a reason other than that the
// routine needs no change exits 1 (kExitFindings), so that a script learns
// that work was left undone.
const Option& StrictOption();
// The refusal leaves work undone: it is not one that says the routine needs
// no change (no handler wanted, the standard one there already).
bool LeftUndone(const shell::RoutineOutcome& routine);

// Refuses (exit 3) stored settings of those keys (all when none are given)
// that would make code that is not VB or that could not be read back.
void RefuseUnsafeSettings(const settings::SettingsRecord& settings,
                          std::initializer_list<std::string_view> keys = {});

}  // namespace qv::cli
