#pragma once
// Removing the standard handler that the system inserted earlier: the exit
// block from the exit label down to the closing line, the top block from the
// opening marker (or the On Error line) to the closing marker (or the On
// Error line), and the one blank line that insertion put next to each.
//
// A handler is found by its labels and marker lines; its exit block begins
// at the first line that the exit label labels. A terminate routine's
// blocks, which have neither, are taken out only where they stand exactly as
// insertion wrote them. A routine that code must not be put into (one
// written on one line, #If structure that does not nest in it) is left
// alone.

#include <string>
#include <string_view>
#include <vector>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {

// Lines first .. first + count − 1 of a module.
struct LineRange {
    long first = 0;
    long count = 0;
    bool Empty() const { return count <= 0; }
    bool Holds(long line) const { return line >= first && line < first + count; }
};

// What the removal deletes, worked out before anything is deleted. The exit
// block goes first; the top block's lines are numbered as they stand after
// that.
struct RemovalPlan {
    LineRange exitBlock;  // with the blank line above it
    LineRange topBlock;   // with the blank line below it
    // The routine's lines as the plan found them: the later steps work at
    // this place and do not look the routine up again. All 0 in the plan of
    // a routine that must not be changed.
    analysis::RoutineSpan span;
    bool Empty() const { return exitBlock.Empty() && topBlock.Empty(); }
    // Whether the removal deletes the line (numbered as before the removal).
    bool Removes(long line) const;
};

// The labels and marker lines are those of the given settings.
RemovalPlan PlanRemoval(host::CodeModule& module, std::string_view name, int kind,
                        const settings::SettingsRecord& settings);
// The same for a routine found already at span (FirstAndLast), which the
// caller has made sure may be changed (DecideRemoval refuses otherwise).
RemovalPlan PlanRemoval(host::CodeModule& module, std::string_view name,
                        const analysis::RoutineSpan& span,
                        const settings::SettingsRecord& settings);

// Whether a routine's handler is taken out, decided as the main window
// decides: on the top status as shown. OK and IN ERROR handlers are taken
// out; EXTRA CODE and IN ERROR & EXTRA CODE ones (the handler holds lines of
// the user's own, or stands in a routine that needs none) only after a
// confirmation. A routine without the standard On Error line has nothing to
// take out, except a terminate routine holding the terminate blocks.
enum class RemovalNeed { Nothing, Remove, Confirm, Refused };

struct RemovalDecision {
    RemovalNeed need = RemovalNeed::Nothing;
    std::string refusal;  // why the routine must be left alone (Refused)
    int top = 0;          // the top status as the text has it
    int shownTop = 0;     // as shown and counted
    int exit = 0;
    bool required = true;  // the routine needs the standard handler
    // Where the routine was found, once, for the steps after the decision
    // (all 0 when it was refused).
    analysis::RoutineSpan span;
};

RemovalDecision DecideRemoval(host::CodeModule& module, std::string_view name, int kind,
                              const settings::SettingsRecord& settings);

// Both below read the routine where the plan found it.
// The labels that the removal deletes and that the code it leaves still
// jumps to (GoTo, GoSub, Resume), where nothing it leaves defines them.
std::vector<std::string> LabelsLeftUndefined(host::CodeModule& module, const RemovalPlan& plan);

// Deletes the handler; nothing when the routine holds neither the opening
// marker nor the On Error line to the error label (an exit block alone is
// still removed). An opening marker with neither the On Error line nor the
// closing marker below it gives no top block to delete. Returns true when
// lines were deleted.
bool RemoveOld(host::Member& member, int kind, const settings::SettingsRecord& settings);
// Deletes what the plan says, bottom-up.
bool RemoveOld(host::CodeModule& module, const RemovalPlan& plan);

// Where the routine whose handler the plan took out stands afterwards: found
// by the lines deleted inside it, which all lie below its declaration.
analysis::RoutineSpan SpanAfterRemoval(host::CodeModule& module, const RemovalPlan& plan);

// The routine's code as the removal would leave it: the lines from the one
// after the declaration up to the closing line that the plan keeps, without
// blank and comment lines, joined with CR LF. Comment lines are told by
// their own text only, so a continued comment counts as code here.
std::string CodeAfterRemoval(host::CodeModule& module, const RemovalPlan& plan);

}  // namespace qv::errorhandling
