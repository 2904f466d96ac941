#include "errorhandling/removal.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "errorhandling/error_status.h"
#include "analysis/markers.h"
#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "errorhandling/templates.h"
#include "host/received_line.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {

namespace {

// Lines of a module read once, numbered as in the module; lines outside the
// range read as empty, as the host gives them past the module's end.
class ModuleLines {
public:
    ModuleLines(const host::CodeModule& module, long first, long count) : first_(first) {
        const long available = std::min(count, module.CountOfLines() - first + 1);
        if (available > 0) lines_ = text::SplitLines(module.Lines(first, available));
    }

    std::string_view Line(long line) const {
        const long i = line - first_;
        if (i < 0 || i >= static_cast<long>(lines_.size())) return {};
        return lines_[static_cast<size_t>(i)];
    }

private:
    long first_;
    std::vector<std::string> lines_;
};

bool IsBlank(std::string_view line) {
    return text::Trim(line).empty();
}


enum class Lines { All, Code };

// The statements of a line with string literals blanked out and a comment
// at its end cut off: what the line jumps to, and nothing it only mentions.
std::string CodeText(std::string_view line) {
    std::string code;
    bool inString = false;
    for (const char c : line) {
        if (c == '"') inString = !inString;
        if (!inString && c == '\'') break;
        code.push_back(inString && c != '"' ? ' ' : c);
    }
    return code;
}

// The first line in from..to whose text holds what, case ignored (the
// host's plain search); 0 when none does. line(n) gives the text of line n.
// Searching the code only passes over comments and string literals: a
// commented-out label or On Error line of an older handler, or one named in
// a note, is the user's, and taking it for the handler would delete the
// user's lines.
template <typename LineOf>
long FindLine(long from, long to, std::string_view what, Lines which, const LineOf& line) {
    for (long l = from; l <= to; ++l) {
        const std::string_view t = line(l);
        if (which == Lines::Code) {
            if (analysis::IsCommentLine(text::Trim(t))) continue;
            if (text::FindIgnoreCase(CodeText(t), what) != std::string_view::npos) return l;
        } else if (text::FindIgnoreCase(t, what) != std::string_view::npos) {
            return l;
        }
    }
    return 0;
}

// The first line in from..to that the label labels (case ignored); 0 when
// none does. Only a label counts: a longer label that ends in the name
// (Local_Exit_Routine:), a named argument (Exit_Routine:=) or code that
// merely holds the text is the user's, and taking it for the exit block
// would delete the user's lines.
template <typename LineOf>
long FindLabelLine(long from, long to, std::string_view label, const LineOf& line) {
    bool continuation = false;
    for (long l = from; l <= to; ++l) {
        const std::string_view t = line(l);
        if (!continuation && text::EqualsIgnoreCase(host::LineLabel(t), label)) return l;
        continuation = host::IsContinuedLine(t);
    }
    return 0;
}

// A terminate routine's blocks where they stand exactly as insertion wrote
// them (indentation aside): the terminate top block at the first line with
// the blank line below it, "ErrorRestore" right above the closing line with
// the blank line above it. Anything else gives an empty plan.
RemovalPlan PlanTerminateRemoval(host::CodeModule& module, const analysis::RoutineSpan& span) {
    const std::vector<std::string> top = text::SplitLines(kTerminateTopBlock);
    const long topEnd = span.firstLine + static_cast<long>(top.size()) - 1;
    const long restore = span.lastLine - 1;
    if (restore <= topEnd) return {};
    const ModuleLines lines(module, span.firstLine, span.lastLine - span.firstLine + 1);
    for (size_t i = 0; i < top.size(); ++i) {
        if (text::TrimBlanks(lines.Line(span.firstLine + static_cast<long>(i))) !=
            text::TrimBlanks(top[i])) {
            return {};
        }
    }
    if (text::TrimBlanks(lines.Line(restore)) != kTerminateExitBlock) return {};
    RemovalPlan plan;
    const long exitFirst = restore - 1 > topEnd && IsBlank(lines.Line(restore - 1)) ? restore - 1
                                                                                     : restore;
    plan.exitBlock = {exitFirst, restore - exitFirst + 1};
    const bool blankBelow = topEnd + 1 < exitFirst && IsBlank(lines.Line(topEnd + 1));
    plan.topBlock = {span.firstLine, static_cast<long>(top.size()) + (blankBelow ? 1 : 0)};
    return plan;
}

bool IsExtraCode(int status) {
    return status == analysis::kStatusExtraCode || status == analysis::kStatusInErrorExtraCode;
}

bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_';
}

// The line jumps to the label: GoTo, GoSub or Resume names it (an
// "On x GoTo a, b" list included).
bool JumpsTo(std::string_view code, std::string_view label) {
    for (size_t at = text::FindIgnoreCase(code, label); at != std::string_view::npos;
         at = text::FindIgnoreCase(code, label, at + 1)) {
        const size_t end = at + label.size();
        if ((at > 0 && IsWordChar(code[at - 1])) || (end < code.size() && IsWordChar(code[end]))) {
            continue;
        }
        const std::string before(text::TrimBlanks(code.substr(0, at)));
        for (std::string_view word : {"GoTo", "GoSub", "Resume"}) {
            if (text::EndsWithIgnoreCase(before, word) &&
                (before.size() == word.size() || !IsWordChar(before[before.size() - word.size() - 1]))) {
                return true;
            }
        }
        if (text::EndsWith(before, ",") && (text::ContainsIgnoreCase(before, "GoTo") ||
                                            text::ContainsIgnoreCase(before, "GoSub"))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool RemovalPlan::Removes(long line) const {
    if (exitBlock.Holds(line)) return true;
    // Below the exit block the lines move up by its size before the top
    // block is taken out.
    const long after =
        !exitBlock.Empty() && line >= exitBlock.first ? line - exitBlock.count : line;
    return topBlock.Holds(after);
}

RemovalPlan PlanRemoval(host::CodeModule& module, std::string_view name, int kind,
                        const settings::SettingsRecord& s) try {
    if (!analysis::ChangeRefusal(module, name, kind).empty()) return {};
    return PlanRemoval(module, name, analysis::FirstAndLast(module, name, kind), s);
} QV_PASS_UP("AddIn", "PlanRemoval")

RemovalPlan PlanRemoval(host::CodeModule& module, std::string_view name,
                        const analysis::RoutineSpan& span,
                        const settings::SettingsRecord& s) try {
    const long start = span.startLine;
    const long count = span.blockEnd - span.startLine + 1;
    // The searches begin below the declaration (a note at its end may name a
    // label or the On Error line, and the declaration is never the
    // handler's) and stay within the routine's block, as the closing line is
    // looked for within it.
    const long from = span.afterDeclarationLine;
    const ModuleLines lines(module, start, count);
    const auto before = [&](long l) { return lines.Line(l); };
    RemovalPlan plan;
    plan.span = span;

    // The exit block: from the exit label to the line above the closing line.
    // Without an exit label setting there is no label to find (the search
    // for ":" alone would take the first line with a colon for it).
    const long blockEnd = start + count - 1;
    const long label = s.label1.empty() ? 0 : FindLabelLine(from, blockEnd, s.label1, before);
    if (label > 0) {
        long closing = 0;
        for (long l = blockEnd; l >= start && closing == 0; --l) {
            if (analysis::IsClosingLine(lines.Line(l))) closing = l;
        }
        if (closing > label) {
            // With the blank line that insertion put above the block.
            const long first = label > from && IsBlank(lines.Line(label - 1)) ? label - 1 : label;
            plan.exitBlock = {first, closing - first};
        }
    }

    // The top block, searched in the routine as it stands without the exit
    // block, up to the line before its last one.
    const long removed = plan.exitBlock.count;
    const auto after = [&](long l) {
        return lines.Line(removed > 0 && l >= plan.exitBlock.first ? l + removed : l);
    };
    const long searchEnd = start + (count - removed) - 2;
    const long opening = FindLine(from, searchEnd, analysis::kOpeningMarker, Lines::All, after);
    // Likewise without an error label: any On Error GoTo line would do.
    const long onError = s.label2.empty() ? 0
                                          : FindLine(from, searchEnd, "On Error GoTo " + s.label2,
                                                     Lines::Code, after);
    const long closingMarker =
        FindLine(from, searchEnd, analysis::kClosingMarker, Lines::All, after);
    const long top = opening > 0 ? opening : onError;
    const long to = closingMarker > 0 ? closingMarker : onError;
    // No top block; or an opening marker with nothing below it that ends the
    // block: deleting up to an unknown line could take the user's code too.
    if (top == 0 || to < top) {
        // A terminate routine's own blocks, where they stand, are what
        // insertion wrote; an exit label above them is then the user's (the
        // terminate blocks have none), and its lines stay.
        if (IsTermimate(module.Members().Item(name))) {
            RemovalPlan terminate = PlanTerminateRemoval(module, span);
            if (!terminate.Empty() || plan.Empty()) {
                terminate.span = span;
                return terminate;
            }
        }
        return plan;
    }

    long blockCount = to - top + 1;
    // Exactly the one blank line that insertion put below the block. The
    // user's own blank lines under it (below a comment block, say) stay.
    const long linesAfter = module.CountOfLines() - removed;
    if (to + 1 <= linesAfter && IsBlank(after(to + 1))) ++blockCount;
    plan.topBlock = {top, blockCount};
    return plan;
} QV_PASS_UP("AddIn", "PlanRemoval")

bool RemoveOld(host::Member& member, int kind, const settings::SettingsRecord& settings) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    return RemoveOld(module, PlanRemoval(module, member.Name(), kind, settings));
} QV_PASS_UP("AddIn", "RemoveOld")

bool RemoveOld(host::CodeModule& module, const RemovalPlan& plan) try {
    // Bottom-up: the exit block first, then the top block as numbered after it.
    if (!plan.exitBlock.Empty()) module.DeleteLines(plan.exitBlock.first, plan.exitBlock.count);
    if (!plan.topBlock.Empty()) module.DeleteLines(plan.topBlock.first, plan.topBlock.count);
    return !plan.Empty();
} QV_PASS_UP("AddIn", "RemoveOld")

analysis::RoutineSpan SpanAfterRemoval(host::CodeModule& module, const RemovalPlan& plan) {
    const analysis::RoutineSpan& before = plan.span;
    const long removed = plan.exitBlock.count + plan.topBlock.count;
    return analysis::SpanAt(module, before.startLine, before.afterDeclarationLine,
                            before.blockEnd - removed);
}

std::string CodeAfterRemoval(host::CodeModule& module, const RemovalPlan& plan) try {
    const analysis::RoutineSpan& span = plan.span;
    if (span.lastLine <= span.afterDeclarationLine) return {};
    const long count = span.lastLine - span.afterDeclarationLine;
    const ModuleLines lines(module, span.afterDeclarationLine, count);
    std::vector<std::string> code;
    for (long l = span.afterDeclarationLine; l < span.lastLine; ++l) {
        const std::string_view t = text::Trim(lines.Line(l));
        if (t.empty() || analysis::IsCommentLine(t) || plan.Removes(l)) continue;
        code.emplace_back(lines.Line(l));
    }
    return text::JoinLines(code);
} QV_PASS_UP("AddIn", "CodeAfterRemoval")

RemovalDecision DecideRemoval(host::CodeModule& module, std::string_view name, int kind,
                              const settings::SettingsRecord& settings) try {
    RemovalDecision decision;
    decision.refusal = analysis::ChangeRefusal(module, name, kind);
    if (!decision.refusal.empty()) {
        decision.need = RemovalNeed::Refused;
        return decision;
    }
    decision.span = analysis::FirstAndLast(module, name, kind);
    std::string fullText;
    const std::string code = analysis::RemoveComments(module, decision.span, fullText);
    const analysis::StatusPair status =
        analysis::GetRoutineStatus(module, name, kind, code, fullText, settings);
    host::Member& member = module.Members().Item(name);
    decision.top = status.top;
    decision.exit = status.exit;
    decision.required = analysis::ErrorHandlingRequired(member, settings);
    decision.shownTop = analysis::ShownTopStatus(decision.top, decision.required);
    if (decision.top == analysis::kStatusSome || decision.top == analysis::kStatusMissing) {
        // No standard On Error line: no handler of ours, unless the
        // terminate blocks stand as insertion wrote them.
        if (IsTermimate(member) && !PlanTerminateRemoval(module, decision.span).Empty()) {
            decision.need = RemovalNeed::Remove;
        }
        return decision;
    }
    decision.need = IsExtraCode(decision.shownTop) ? RemovalNeed::Confirm : RemovalNeed::Remove;
    return decision;
} QV_PASS_UP("AddIn", "DecideRemoval")

std::vector<std::string> LabelsLeftUndefined(host::CodeModule& module,
                                             const RemovalPlan& plan) try {
    const analysis::RoutineSpan& span = plan.span;
    if (span.lastLine <= span.afterDeclarationLine) return {};
    const ModuleLines lines(module, span.afterDeclarationLine,
                            span.lastLine - span.afterDeclarationLine);
    std::vector<std::string> removed, kept, code;
    for (long l = span.afterDeclarationLine; l < span.lastLine; ++l) {
        const std::string_view line = lines.Line(l);
        const std::string label = host::LineLabel(line);
        if (plan.Removes(l)) {
            if (!label.empty()) removed.push_back(label);
            continue;
        }
        if (!label.empty()) kept.push_back(label);
        if (!analysis::IsCommentLine(text::Trim(line))) code.push_back(CodeText(line));
    }
    std::vector<std::string> undefined;
    for (const std::string& label : removed) {
        const auto same = [&](const std::string& other) { return text::EqualsIgnoreCase(other, label); };
        if (std::any_of(kept.begin(), kept.end(), same)) continue;
        if (std::any_of(undefined.begin(), undefined.end(), same)) continue;
        if (std::any_of(code.begin(), code.end(),
                        [&](const std::string& c) { return JumpsTo(c, label); })) {
            undefined.push_back(label);
        }
    }
    return undefined;
} QV_PASS_UP("AddIn", "LabelsLeftUndefined")

}  // namespace qv::errorhandling
