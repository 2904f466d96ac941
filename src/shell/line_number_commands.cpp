#include "shell/line_number_commands.h"

#include <string>
#include <vector>

#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "errorhandling/templates.h"
#include "linenumbers/add_line_numbers.h"
#include "linenumbers/remove_line_numbers.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "tidy/header_layout.h"
#include "tidy/module_lines.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"

namespace qv::linenumbers {

namespace {

using Lines = std::vector<std::string>;

// The numbered range: from the line after the declaration through the closing line, which is
// tidied with the rest (it tells the engine where the body ends) but the module keeps its own.
// The old lines are views (the module is unchanged until they are compared). True when the
// module changed.
bool NumberBody(host::CodeModule& module, host::Member& member, long first, long last,
                const settings::SettingsRecord& settings) {
    tidy::LineViews old = tidy::ReadLineViews(module, first, last - first + 1);
    tidy::EditedLines edited(old.lines.size());
    Lines& lines = edited.Lines();
    tidy::TidyUpCopy(old.lines, lines, tidy::RoutineOpeners(), tidy::RoutineClosers(), 1, settings,
                     true);
    if (!errorhandling::IsTermimate(member)) AddLineNumbers(lines, settings);
    if (lines.empty()) return false;
    lines.pop_back();
    old.lines.pop_back();
    // An empty body still keeps its line: one blank line.
    if (lines.empty()) lines.emplace_back();
    return tidy::ReplaceLines(module, first, old.lines, lines, settings.tabWidth.HostWidth());
}

// The blank and comment lines above the declaration, tidied at level 0.
bool TidyHead(host::CodeModule& module, long start, long declaration,
              const settings::SettingsRecord& settings) {
    const tidy::LineViews old = tidy::ReadLineViews(module, start, declaration - start);
    tidy::EditedLines edited(old.lines.size());
    Lines& lines = edited.Lines();
    tidy::TidyUpCopy(old.lines, lines, tidy::RoutineOpeners(), tidy::RoutineClosers(), 0, settings,
                     false);
    return tidy::ReplaceLines(module, start, old.lines, lines, settings.tabWidth.HostWidth());
}

// Writes back the runs of lines that differ between old and lines (arrays
// of the same size), bottom-up; the lines between the runs stay untouched.
bool ReplaceChangedRuns(host::CodeModule& module, long first, const Lines& old,
                        const Lines& lines) {
    bool changed = false;
    size_t end = old.size();
    while (end > 0) {
        if (old[end - 1] == lines[end - 1]) {
            --end;
            continue;
        }
        size_t begin = end - 1;
        while (begin > 0 && old[begin - 1] != lines[begin - 1]) --begin;
        const Lines run(lines.begin() + static_cast<long>(begin),
                        lines.begin() + static_cast<long>(end));
        const std::string joined = text::JoinLines(run);
        const long at = first + static_cast<long>(begin);
        module.DeleteLines(at, static_cast<long>(end - begin));
        // The host stores " " as one empty line; "" would insert none.
        module.InsertLines(at, joined.empty() ? std::string(" ") : joined);
        changed = true;
        end = begin;
    }
    return changed;
}

}  // namespace

bool AddLineNumbers_Mem(host::Member& member, int kind, bool doHeader,
                        const settings::SettingsRecord& settings) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    const std::string name = member.Name();
    if (!analysis::ChangeRefusal(module, name, kind).empty()) return false;
    const analysis::RoutineSpan span = analysis::FirstAndLast(module, name, kind);
    bool changed = false;
    if (doHeader) {
        // The header lines keep their number, so the span stays valid.
        changed =
            tidy::DoHeader(span.startLine, span.afterDeclarationLine - span.startLine,
                           member, settings);
    }
    if (span.lastLine != span.afterDeclarationLine) {
        changed |= NumberBody(module, member, span.afterDeclarationLine, span.lastLine, settings);
    }
    const long declaration = module.ProcBodyLine(name, kind);
    if (span.startLine < declaration) changed |= TidyHead(module, span.startLine, declaration, settings);
    return changed;
}
QV_PASS_UP("AddIn", "AddLineNumbers_Mem")

bool RemoveLineNumbers_Mem(host::Member& member, int kind) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    if (!analysis::ChangeRefusal(module, member.Name(), kind).empty()) return false;
    const analysis::RoutineSpan span = analysis::FirstAndLast(module, member.Name(), kind);
    const Lines old = tidy::ReadLines(module, span.afterDeclarationLine,
                                      span.lastLine - span.afterDeclarationLine + 1);
    Lines lines = old;
    RemoveLineNumbers(lines);
    return ReplaceChangedRuns(module, span.afterDeclarationLine, old, lines);
}
QV_PASS_UP("AddIn", "RemoveLineNumbers_Mem")

}  // namespace qv::linenumbers
