#pragma once
// The error-handling figures of one module as the main window shows them: the
// number of routines counted Good, Some, Error and None, and on request every
// routine with its shown status pair. The main window's module and routine
// lists and the command line's check both come from here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "errorhandling/error_status.h"
#include "analysis/routine_parsing.h"
#include "host/code_host.h"

namespace qv::analysis {

enum class Tally { Good, Some, Error, None };

// How a routine with this shown status pair is counted: MISSING is None,
// SOME is Some, OK with exit OK or N/A is Good, anything else is Error.
Tally CountAs(const StatusPair& status);

struct RoutineStatusRow {
    std::string name;
    int kind = 0;
    long copy = 0;            // which copy of a routine defined more than once
    std::string typeWord;     // "Let", "Set", "Get" or "" (the routine list's "Type")
    std::string routineType;  // "Property" for accessors, else "Sub", "Function" or ""
    StatusPair status;        // as shown: a routine needing no handler has its top replaced
    bool required = true;     // whether the routine needs the standard handler
    // A terminate routine that holds the terminate blocks insertion gives it:
    // it counts Some (its On Error line is not the standard one) though
    // nothing is missing.
    bool standardTerminate = false;
    // For a block shown IN ERROR that is not there at all (rather than
    // different from the templates): what is missing (TopBlockGap,
    // ExitBlockGap); "" otherwise.
    std::string topGap;
    std::string exitGap;
    // Where the routine's body lies, as judging it read it, when a change may
    // go into it (its shape gives no reason to refuse one): planning the
    // change needs not read it again.
    std::optional<RoutineSpan> changeSpan;
    long declarationLine = 0;  // its declaration's line (ProcBodyLine), as judging read it
};

struct ModuleCounts {
    int good = 0;
    int some = 0;
    int error = 0;
    int none = 0;
    // Of the Some routines, the terminate routines with the terminate blocks.
    int standardTerminate = 0;
    // Every routine in the host's order, without "(Declarations)"; filled only
    // when asked for.
    std::vector<RoutineStatusRow> routines;

    bool AllGood() const { return some == 0 && error == 0 && none == 0; }
    // Every routine carries the standard handler: Good, or a terminate routine
    // with the terminate blocks.
    bool AllStandard() const { return some == standardTerminate && error == 0 && none == 0; }
    // Counts one more routine.
    void Add(const StatusPair& status);
    void Add(const RoutineStatusRow& row);
};

// The shown status pair of one routine of the module; with withType also its
// type word and routine type.
RoutineStatusRow JudgeRoutine(host::CodeModule& module, const RoutineEntry& entry, bool withType,
                              const settings::SettingsRecord& settings);

// Works out, against the given settings, the status of every routine of the component and counts
// them. Reports progress on the second bar as the main window does. A component without a code
// module gives zero counts.
ModuleCounts CountModule(host::VBE& vbe, std::string_view projectName,
                         std::string_view componentName, bool withRoutines,
                         const settings::SettingsRecord& settings);
// The same for a module at hand, with no progress report: it touches nothing
// but the module, so that different modules can be judged side by side.
ModuleCounts CountModule(host::CodeModule& module, bool withRoutines,
                         const settings::SettingsRecord& settings);

}  // namespace qv::analysis
