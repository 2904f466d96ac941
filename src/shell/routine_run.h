#pragma once
// Running one action over every routine of a module or of the active
// project, as the module and project commands do: the status window with
// its title, label and two bars, the routine list of each module (the
// declarations section first), and the components a project run passes over
// (read-only ones, related documents, components without code).
//
// The outcome says, per module and routine, what changed and what was
// refused and why, for callers that report it (the command line).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"
#include "platform/vb_error.h"

namespace qv::shell {

// What an action did to one routine (or to the declarations section).
struct RoutineOutcome {
    RoutineOutcome() = default;
    explicit RoutineOutcome(const analysis::RoutineEntry& routine)
        : name(routine.name), kind(routine.kind), copy(routine.copy) {}

    std::string name;
    int kind = 0;
    long copy = 0;  // which copy of a routine defined more than once
    bool changed = false;
    std::string done;     // what was done, in a word ("added", "numbered", ...), when changed
    std::string refusal;  // why the routine was left alone; "" when it was not refused
    int message = 0;      // the numbered message of the refusal, 0 when it has its own text
    // The refusal says the routine needs no change: it needs no handler, or
    // holds the standard one already. Nothing is left undone.
    bool needsNothing = false;
};

enum class Skip { None, ReadOnly, RelatedDocument, NoCode };

struct ModuleOutcome {
    host::VBComponent* component = nullptr;
    Skip skipped = Skip::None;
    std::vector<RoutineOutcome> routines;
    // An error stopped the module's run at this routine, and the module was
    // put back as it was (its routines' outcomes are dropped).
    std::optional<VbError> failure;
    std::string failedRoutine;

    bool Changed() const;
};

struct RunOutcome {
    // The target module is read-only: nothing was done. The command shows
    // message 4 for it.
    bool refused = false;
    std::vector<ModuleOutcome> modules;
};

// One routine of a module's routine list ("(Declarations)" included).
using RoutineAction =
    std::function<RoutineOutcome(host::CodeModule& module, const analysis::RoutineEntry& routine)>;

// What becomes of a module whose run an error stops halfway. Each module's
// run is one edit transaction of its code module.
enum class OnModuleFailure {
    // The lines changed so far stay changed and the error passes on, as the
    // IDE's add-in does.
    PassUp,
    // The module is put back as it was (the transaction is cancelled), the
    // failure goes into its outcome, and the run goes on with the next one.
    KeepWhole,
};

// Told of each module of a project run as soon as its run ends (whether it
// changed, was put back whole, or failed), before the next module starts:
// a caller that writes the module's new text at once may let its code go.
using ModuleDone = std::function<void(ModuleOutcome& module)>;

// The module command: every routine of the target component, else of the
// component selected in the active project. A read-only module is refused
// (RunOutcome::refused) and no window shows. The window's title
// is titlePrefix followed by the module's name.
RunOutcome RunOnModule(host::VBE& vbe, std::string_view titlePrefix, const RoutineAction& action,
                       OnModuleFailure onFailure = OnModuleFailure::PassUp,
                       host::VBComponent* target = nullptr);

// The project command: every routine of every module of the target
// project, else of the active project (nothing when there is none).
// titlePrefix is followed by the project's name.
// done, when given, is told of each module whose routines were run.
// sideBySide: a KeepWhole run works on several modules at once, one thread
// each, on the machine's cores, and tells done of them and gives their
// outcomes in the project's order on the calling thread, as a run in turn
// would. Only for a host whose module runs touch nothing of each other's
// (the command line's in-memory one), and whose status window shows
// nothing: the routines' progress is not shown then.
RunOutcome RunOnProject(host::VBE& vbe, std::string_view titlePrefix, const RoutineAction& action,
                        OnModuleFailure onFailure = OnModuleFailure::PassUp,
                        host::VBProject* target = nullptr, const ModuleDone& done = {},
                        bool sideBySide = false);

}  // namespace qv::shell
