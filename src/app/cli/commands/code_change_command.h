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
#include "shell/routine_run.h"

namespace qv::cli {

class CodeChangeCommand : public Command {
public:
    void AddOptions(QCommandLineParser& parser) const override;
    int Run(CommandContext& context) override;

protected:
    // Options of the command besides the target's.
    virtual void AddCommandOptions(QCommandLineParser&) const {}
    // What --help says about the command after its summary.
    virtual QString Details() const { return {}; }
    // Reads the command's options; called before anything changes.
    virtual void Prepare(CommandContext&) {}
    // The command at the cursor line of the module (the code window's).
    virtual shell::RoutineOutcome AtCursor(host::memory::MemoryCodeModule& module, long line) = 0;
    // The module command on the selected component, the project command on
    // the active project.
    virtual shell::RunOutcome OnModule(host::VBE& vbe, shell::ModuleGuard& guard) = 0;
    virtual shell::RunOutcome OnProject(host::VBE& vbe, shell::ModuleGuard& guard) = 0;
};

// A command that does the same to each routine in every scope (remove,
// replace, unnumber).
class RoutineActionCommand : public CodeChangeCommand {
protected:
    virtual shell::RoutineOutcome Act(host::CodeModule& module,
                                      const analysis::RoutineEntry& routine) = 0;
    // The status window's titles before the module's or project's name.
    virtual std::string ModuleTitle() const = 0;
    virtual std::string ProjectTitle() const = 0;

    shell::RoutineOutcome AtCursor(host::memory::MemoryCodeModule& module, long line) override;
    shell::RunOutcome OnModule(host::VBE& vbe, shell::ModuleGuard& guard) override;
    shell::RunOutcome OnProject(host::VBE& vbe, shell::ModuleGuard& guard) override;

private:
    shell::RoutineAction Action();
};

// Runs a code window command (which shows its refusal in a message box) on
// the routine at the cursor line: the refusal becomes the outcome's.
shell::RoutineOutcome CursorCommand(host::memory::MemoryCodeModule& module, long line,
                                    const std::function<void(host::CodeModule&)>& command,
                                    const std::string& done);

// Refuses (exit 3) stored settings of those keys (all when none are given)
// that would make code that is not VB or that could not be read back.
void RefuseUnsafeSettings(std::initializer_list<std::string_view> keys = {});

}  // namespace qv::cli
