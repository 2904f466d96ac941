#include "tidy/tidy_routine.h"

#include <string>
#include <vector>

#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/ide_tab_width.h"
#include "settings/settings_record.h"
#include "tidy/header_layout.h"
#include "tidy/member_properties.h"
#include "tidy/module_lines.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"

namespace qv::tidy {

namespace {

// Reads count lines at start, tidies them with the routine lists and writes
// back what changed; true when anything did.
bool TidyRange(host::CodeModule& module, long start, long count, int routineFlag,
               bool removeNumbers, const settings::SettingsRecord& settings) {
    const LineViews old = ReadLineViews(module, start, count);
    EditedLines edited(old.lines.size());
    std::vector<std::string>& lines = edited.Lines();
    TidyUpCopy(old.lines, lines, RoutineOpeners(), RoutineClosers(), routineFlag, settings,
               removeNumbers);
    return ReplaceLines(module, start, old.lines, lines, settings.tabWidth.HostWidth());
}

}  // namespace

bool Tidy_Routine(host::Member& member, int kind, bool doHeader,
                  const settings::SettingsRecord& settings) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    const std::string name = member.Name();
    if (!analysis::ChangeRefusal(module, name, kind).empty()) return false;
    const analysis::RoutineSpan span = analysis::FirstAndLast(module, name, kind);
    const long count = module.ProcCountLines(name, kind);

    // Tail: the closing line and what follows it in the routine's block.
    const long tailCount = span.startLine + count - span.lastLine;
    bool changed = false;
    if (doHeader) {
        // The layout ends with the declaration: the comment block under it is
        // the body's, which tidies it next. Laid out with the declaration, it
        // would be pushed to the parenthesis column first, and a comment
        // setting that keeps comments as written would keep it there.
        changed = DoHeader(span.startLine, span.afterDeclarationLine - span.startLine,
                           member, settings);
    }
    changed |= TidyRange(module, span.lastLine, tailCount, 0, false, settings);

    // Body: from the line after the declaration through the closing line.
    changed |= TidyRange(module, span.afterDeclarationLine,
                         span.lastLine - span.afterDeclarationLine + 1, 1, true, settings);

    // Head: the lines above the declaration. The body may have shrunk, but
    // the lines above it have not moved; the host is asked again all the same.
    const long declaration = module.ProcBodyLine(name, kind);
    if (span.startLine < declaration) {
        changed |=
            TidyRange(module, span.startLine, declaration - span.startLine, 0, false, settings);
    }
    return changed;
}
QV_PASS_UP("Tidy", "Tidy_Routine")

bool Tidy_Declarations(host::CodeModule& module, const settings::SettingsRecord& settings) try {
    const long n = module.CountOfDeclarationLines();
    if (n == 0) return false;
    const LineViews old = ReadLineViews(module, 1, n);
    EditedLines edited(old.lines.size());
    std::vector<std::string>& lines = edited.Lines();
    TidyUpCopy(old.lines, lines, DeclarationOpeners(), DeclarationClosers(), 0, settings, false);
    if (lines.empty()) return false;
    const SavedPropertyList saved = SaveProperties(module);
    if (!ReplaceLines(module, 1, old.lines, lines, settings.tabWidth.HostWidth())) return false;
    RestoreProperties(module, saved);
    return true;
}
QV_PASS_UP("Tidy", "Tidy_Declarations")

}  // namespace qv::tidy
