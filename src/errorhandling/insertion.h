#pragma once
// Inserting the standard error handler into a routine: the top block below
// the declaration (and the comment block under it), the exit block above the
// closing line, each laid out by the indentation engine and set off from the
// routine's own code by one blank line.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"
#include "settings/settings_record.h"
#include "tidy/literal_contents.h"
#include "tidy/tidy_up_code.h"

namespace qv::errorhandling {

struct RemovalPlan;
class TemplateRoutine;

// Inserts the handler built from the given settings. Returns false, with the reason in message,
// when the routine needs no handler (message 1), has no place for one (written on one line, or
// inside #If structure that does not nest in it), already holds the standard On Error line (message
// 2) or some other On Error statement (message 3), or defines a label of its own that the handler
// would define again (LabelRefusal).
// messageNumber, when given, receives the number of a numbered message
// (1 to 3), else 0.
bool AddRoutineErrorHandling(host::Member& member, int kind,
                             const settings::SettingsRecord& settings, std::string& message,
                             int* messageNumber = nullptr);
// A block as the indentation engine laid it out, with its literals emptied,
// and what they hold, in order: tidy::FillLiterals(shape, contents) is the
// block.
struct ShapedBlock {
    std::string shape;
    std::vector<std::string> contents;
};
// What AddRoutineErrorHandling inserts, worked out without changing the
// module: exitText goes in at exitLine first, then topText at topLine (lines
// joined with CR LF, as InsertLines takes them).
struct HandlerInsertion {
    long exitLine = 0;
    std::string exitText;
    long topLine = 0;
    std::string topText;
    // Planned with layouts, the blocks are given as laid out with their
    // literals emptied, and exitText and topText are left empty (their
    // literals need not be filled for a caller that receives the blocks by
    // their shape): exitText is a CR LF followed by exitBlock, topText
    // topBlock followed by a CR LF.
    std::optional<ShapedBlock> exitBlock, topBlock;
};

// Blocks as the indentation engine laid them out, for a caller that plans
// the insertions of many routines with one settings record: most routines
// get the same top block, and exit blocks that differ in a line or two,
// mostly in the routine's name inside a string literal. A block is kept
// with its literals emptied (what they hold plays no part in the layout):
// the exit blocks of a module's routines are then one block. Keeps a few
// blocks, not every block it was given, and the lines of the blocks that
// were laid out.
class BlockLayouts {
  public:
    // The block as layOut lays it out, with its literals emptied, and what
    // they hold; layOut must lay out a block alike whatever its literals
    // hold, as the indentation engine does.
    template <typename LayOut>
    ShapedBlock ShapeOf(std::string_view block, const LayOut& layOut) {
        ShapedBlock shaped{ByShape(laidOut_, block, layOut), {}};
        shaped.contents.assign(contents_.begin(), contents_.end());
        return shaped;
    }
    tidy::LineLayouts& Lines() { return lines_; }
    // The line labels a handler (its lines joined with CR LF) defines, in
    // order, as LabelRefusal reads them: what its literals hold plays no
    // part in that either.
    const std::vector<std::string>& LabelsOf(std::string_view handler);

  private:
    // What make gives for the text's shape (its literals emptied; their
    // contents into contents_), kept in cache for the next text of that
    // shape.
    template <typename Value, typename Make>
    const Value& ByShape(std::unordered_map<std::string, Value>& cache, std::string_view text,
                         const Make& make) {
        tidy::EmptyLiterals(text, shape_, contents_);
        auto it = cache.find(shape_);
        if (it == cache.end()) {
            if (cache.size() >= kKept) cache.clear();
            it = cache.emplace(shape_, make(shape_)).first;
        }
        return it->second;
    }

    static constexpr size_t kKept = 64;
    std::unordered_map<std::string, std::string> laidOut_;
    std::unordered_map<std::string, std::vector<std::string>> labels_;  // by the handler's shape
    tidy::LineLayouts lines_;
    std::string shape_;                       // of the block being looked up
    std::vector<std::string_view> contents_;  // its literals' contents
};

// Whether each line of the text ends with CR LF (or the text's end) and
// holds no tab after its first quote: then the host's tidy of each line
// received keeps its quotes where they are, in order, and what stands
// between them as it is, whatever that is.
bool LiteralsSetApart(std::string_view text);

// What a caller that judged the routine (with the same settings, and the
// module unchanged since) knows of it already: ErrorHandlingRequired's
// answer and, where it asked, GetRoutineType's.
struct JudgedRoutine {
    bool required = true;
    std::optional<std::string> routineType;
    // Where the routine's body lies, when its shape gives no reason to
    // refuse a change (null: it is read again, and any refusal found).
    const analysis::RoutineSpan* span = nullptr;
    // The declaration's line (ProcBodyLine's), when it was read (0: not).
    long bodyLine = 0;
};

// The insertion AddRoutineErrorHandling would make, or none with the same
// message and message number as its refusal. layouts: blocks laid out
// before with the same settings, to be used again (none: each is laid out);
// with them the blocks are given as shapes (exitBlock, topBlock).
// judged: what is known of the routine already (none: all is read).
std::optional<HandlerInsertion> PlanRoutineErrorHandling(host::Member& member, int kind,
                                                         const settings::SettingsRecord& settings,
                                                         std::string& message,
                                                         int* messageNumber = nullptr,
                                                         BlockLayouts* layouts = nullptr,
                                                         const JudgedRoutine* judged = nullptr);

// The same into the routine found already at span, which the caller has made
// sure may be changed (a routine written on one line, or in #If structure
// that does not nest in it, must not be).
bool AddRoutineErrorHandling(host::Member& member, int kind, const analysis::RoutineSpan& span,
                             const settings::SettingsRecord& settings, std::string& message);

// The On Error statement that stops an insertion into a routine whose code
// (comments taken out) is given: the standard one, to the settings' error label in any
// letter case (message 2), or any other (message 3, case-sensitive); 0 when
// there is none.
int OnErrorRefusal(const std::string& code, const settings::SettingsRecord& settings);

// The handler that insertion would put into the routine, before it is laid
// out: the top block, then the exit block, joined with CR LF.
std::string HandlerText(host::Member& member, int kind, const settings::SettingsRecord& settings);
std::string HandlerText(TemplateRoutine& routine, const settings::SettingsRecord& settings);

// Why a handler (its lines joined with CR LF) must not go into a routine
// whose code (comments taken out) is given: the code defines a label of the
// handler already ("Exit_Routine:" of its own), and a second one would not
// compile. "" when no label is defined twice.
std::string LabelRefusal(std::string_view routineName, std::string_view code,
                         std::string_view handler);

// Takes the routine's standard handler out and puts one built from the
// given settings' templates in. Returns whether the routine changed: a handler that
// already stood as the templates build it comes back as it was, which is no
// change. message: the insertion's refusal, as AddRoutineErrorHandling's.
bool ReplaceHandler(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    std::string& message);
// The same with the removal planned already (PlanRemoval at the routine's
// place): the new handler goes where the removal leaves the routine.
bool ReplaceHandler(host::Member& member, int kind, const RemovalPlan& plan,
                    const settings::SettingsRecord& settings, std::string& message);

}  // namespace qv::errorhandling
