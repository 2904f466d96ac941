// qvaddin unnumber <target>: takes the line numbers off routines (and the
// indentation numbering put before the other lines), changing nothing else,
// so that numbers can come out before a commit. Scopes as for number.

#include "analysis/routine_shape.h"
#include "app/cli/commands/code_change_command.h"
#include "linenumbers/line_number_commands.h"

namespace qv::cli {

namespace {

class UnnumberCommand : public RoutineActionCommand {
public:
    QString Name() const override { return "unnumber"; }
    QString Summary() const override {
        return "Remove line numbers from routines and change nothing else.";
    }

protected:
    QString Details() const override {
        return "Takes the numbers off the lines from the declaration to the closing line, and the\n"
               "indentation that numbering put before the other lines; nothing else changes.";
    }
    std::string ModuleTitle() const override { return "Removing Module Line Numbers from "; }
    std::string ProjectTitle() const override { return "Removing Project Line Numbers from "; }

    shell::RoutineOutcome Act(host::CodeModule& module,
                              const analysis::RoutineEntry& routine) override {
        shell::RoutineOutcome outcome(routine);
        if (routine.name == analysis::kDeclarationsName) return outcome;
        outcome.refusal = analysis::ChangeRefusal(module, routine.name, routine.kind);
        if (!outcome.refusal.empty()) return outcome;
        outcome.changed =
            linenumbers::RemoveLineNumbers_Mem(module.Members().Item(routine.name), routine.kind);
        if (outcome.changed) outcome.done = "unnumbered";
        return outcome;
    }
};

}  // namespace

QV_REGISTER_COMMAND("unnumber", UnnumberCommand);

}  // namespace qv::cli
