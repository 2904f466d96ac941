#include "errorhandling/error_status.h"

#include <vector>

#include "analysis/markers.h"
#include "analysis/routine_parsing.h"
#include "errorhandling/templates.h"
#include "host/lines_code_page.h"
#include "host/received_line.h"
#include "platform/line_views.h"
#include "platform/code_page.h"
#include "platform/like.h"
#include "platform/text.h"
#include "platform/thread_kept.h"
#include "platform/unicode_text.h"
#include "platform/vb_error.h"
#include "platform/vb_strings.h"
#include "settings/settings_record.h"

namespace qv::analysis {

using errorhandling::TemplateRoutine;
namespace {

// Lines begin..end (inclusive) of lines, each trimmed, joined with CR LF;
// empty when the range is empty. Tabs count as spaces here: a handler read
// from a file indented with tabs is as intact as one the editor indented
// with spaces.
std::string TrimmedRange(const std::vector<std::string_view>& lines, long begin, long end) {
    std::string out;
    for (long i = begin; i <= end; ++i) {
        if (i > begin) out.append(text::kCrLf);
        out.append(text::TrimBlanks(lines[static_cast<size_t>(i)]));
    }
    return out;
}

// The line trimmed of spaces with its tabs read as spaces; a copy is made
// (into scratch) only for a line that holds a tab.
std::string_view TabsAsSpacesTrimmed(std::string_view line, std::string& scratch) {
    if (line.find('\t') == std::string_view::npos) return text::Trim(line);
    scratch = text::ReplaceAll(line, "\t", " ");
    return text::Trim(scratch);
}

// The block compared with the templates, both sides in upper case. Each
// pattern is only built and matched when the comparisons before it failed.
class BlockComparison {
public:
    BlockComparison(std::string_view actual, std::string_view expected, std::string_view pattern)
        : actual_(text::ToUpper(actual)),
          expected_(text::ToUpper(expected)),
          pattern_(text::ToUpper(pattern)) {}

    bool Equal() const { return actual_ == expected_; }
    bool MatchesPattern() const { return Like(actual_, pattern_); }
    // Every template line there, in order, with other lines allowed between.
    bool MatchesExpectedSpread() const { return Like(actual_, Spread(expected_)); }
    bool MatchesPatternSpread() const { return Like(actual_, Spread(pattern_)); }

private:
    static std::string Spread(std::string_view block) {
        return text::ReplaceAll(block, text::kCrLf, "\r\n*");
    }

    std::string actual_;
    std::string expected_;
    std::string pattern_;
};

TemplateRoutine RoutineOf(host::CodeModule& module, std::string_view name, int kind) {
    return TemplateRoutine(module.Members().Item(name), kind);
}

std::string FullBodyText(host::CodeModule& module, std::string_view name, int kind) {
    std::string fullText;
    RemoveComments(module, name, kind, fullText);
    return fullText;
}

// The omit list's lines (split at CR LF, as vb5stuff::Split splits it), each
// with whether it is ASCII.
struct OmitList {
    std::string text;
    std::vector<std::pair<std::string, bool>> lines;
};

const OmitList& OmitListOf(const std::string& omit) {
    OmitList& list = platform::ThreadKept<OmitList>();
    if (list.text == omit && !list.lines.empty()) return list;
    list.text = omit;
    list.lines.clear();
    for (const std::string& line : vb5stuff::Split(omit, text::kCrLf)) {
        list.lines.emplace_back(line, text::IsAscii(line));
    }
    return list;
}

}  // namespace

StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText,
                            const settings::SettingsRecord& settings) try {
    return GetRoutineStatus(module, name, kind, codeText, FullBodyText(module, name, kind),
                            settings);
} QV_PASS_UP("AddIn", "GetRoutineStatus")

StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText, std::string_view fullText,
                            const settings::SettingsRecord& settings) try {
    return GetRoutineStatus(module, name, kind, codeText, [&] { return fullText; }, settings);
} QV_PASS_UP("AddIn", "GetRoutineStatus")

StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText,
                            const std::function<std::string_view()>& readFullText,
                            const settings::SettingsRecord& settings) try {
    if (modSearchText::StringInRoutine(codeText, "On Error GoTo " + settings.label2)) {
        TemplateRoutine routine = RoutineOf(module, name, kind);
        const std::string_view fullText = readFullText();
        return {TestForTop(routine, fullText, settings),
                TestForOldStuff(routine, fullText, settings)};
    }
    if (!modSearchText::StringInRoutine(codeText, "On Error ")) {
        return {kStatusMissing, kStatusNotApplicable};
    }
    return {kStatusSome, kStatusNotApplicable};
} QV_PASS_UP("AddIn", "GetRoutineStatus")

int TestForTop(host::CodeModule& module, std::string_view name, int kind,
               const settings::SettingsRecord& settings) try {
    TemplateRoutine routine = RoutineOf(module, name, kind);
    return TestForTop(routine, FullBodyText(module, name, kind), settings);
} QV_PASS_UP("AddIn", "TestForTop")

int TestForTop(TemplateRoutine& routine, std::string_view fullText,
               const settings::SettingsRecord& settings) try {
    const std::string expected = errorhandling::TopBit(routine, settings, false);
    const std::string pattern = errorhandling::TopBit(routine, settings, true);
    const std::string onErrorLine = "On Error GoTo " + settings.label2;

    const std::vector<std::string_view> lines = text::SplitLineViews(fullText);
    long onError = -1, opening = -1, closing = -1;
    std::string scratch;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view t = TabsAsSpacesTrimmed(lines[i], scratch);
        if (t == onErrorLine) onError = static_cast<long>(i);
        if (t == kOpeningMarker) opening = static_cast<long>(i);
        if (t == kClosingMarker) closing = static_cast<long>(i);
    }
    // Without a start (the On Error line written in other letter case, or
    // followed by a comment, and no marker) or without an end, the compared
    // block is empty: it differs from the templates, which is what the user
    // needs to hear, instead of the check failing for the whole module.
    const long from = opening >= 0 ? opening : onError;
    const long to = closing >= 0 ? closing : onError;
    const std::string actual = from >= 0 && to >= from ? TrimmedRange(lines, from, to) : "";

    const BlockComparison block(actual, expected, pattern);
    if (block.Equal()) return kStatusOk;
    if (block.MatchesPattern()) return kStatusInError;
    if (block.MatchesExpectedSpread()) return kStatusExtraCode;
    if (block.MatchesPatternSpread()) return kStatusInErrorExtraCode;
    return kStatusInError;
} QV_PASS_UP("AddIn", "TestForTop")

int TestForOldStuff(host::CodeModule& module, std::string_view name, int kind,
                    const settings::SettingsRecord& settings) try {
    TemplateRoutine routine = RoutineOf(module, name, kind);
    return TestForOldStuff(routine, FullBodyText(module, name, kind), settings);
} QV_PASS_UP("AddIn", "TestForOldStuff")

int TestForOldStuff(TemplateRoutine& routine, std::string_view fullText,
                    const settings::SettingsRecord& settings) try {
    const std::string pattern = errorhandling::LastBit(routine, settings, true);
    const std::string expected = errorhandling::LastBit(routine, settings, false);
    const std::string labelLine = settings.label1 + ":";

    // The exit label is looked for exactly, from the body's second line on.
    const std::vector<std::string_view> lines = text::SplitLineViews(fullText);
    const long last = static_cast<long>(lines.size()) - 1;
    std::string actual;
    for (long i = 1; i <= last; ++i) {
        if (lines[static_cast<size_t>(i)] == labelLine) {
            actual = TrimmedRange(lines, i, last);
            break;
        }
    }

    const BlockComparison block(actual, expected, pattern);
    if (block.Equal()) return kStatusOk;
    if (block.MatchesExpectedSpread()) return kStatusExtraCode;
    if (block.MatchesPattern()) return kStatusInError;
    if (block.MatchesPatternSpread()) return kStatusInErrorExtraCode;
    return kStatusInError;
} QV_PASS_UP("AddIn", "TestForOldStuff")

std::string TopBlockGap(std::string_view fullText, const settings::SettingsRecord& settings) {
    const std::string onErrorLine = "On Error GoTo " + settings.label2;
    bool onError = false, marker = false;
    std::string scratch;
    for (const std::string_view line : text::SplitLineViews(fullText)) {
        const std::string_view t = TabsAsSpacesTrimmed(line, scratch);
        if (t == onErrorLine) onError = true;
        if (t == kOpeningMarker || t == kClosingMarker) marker = true;
    }
    if (!onError && !marker) {
        return "no line reads \"" + onErrorLine +
               "\" by itself (the statement is written in other letter case, or shares its "
               "line with other code or a comment), so the top block is not found";
    }
    const bool templatesAroundIt = !settings.add0.empty() || !settings.add1.empty();
    if (!marker && templatesAroundIt) {
        return "the On Error line stands alone: the templates' lines around it, between the "
               "marker lines, are missing";
    }
    return {};
}

std::string ExitBlockGap(std::string_view fullText, const settings::SettingsRecord& settings) {
    const std::string labelLine = settings.label1 + ":";
    const std::vector<std::string_view> lines = text::SplitLineViews(fullText);
    // Found as TestForOldStuff finds it: the block is there.
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == labelLine) return {};
    }
    bool exitLabel = false, errorLabel = false;
    for (const std::string_view line : lines) {
        const std::string label = host::LineLabel(line);
        if (text::EqualsIgnoreCase(label, settings.label1)) exitLabel = true;
        if (text::EqualsIgnoreCase(label, settings.label2)) errorLabel = true;
    }
    if (exitLabel) {
        return "the exit label is not found as the exit block's first line: it must read \"" +
               labelLine + "\" alone, at the start of its line, below the body's first line";
    }
    std::string gap = "there is no exit block: no line reads \"" + labelLine + "\"";
    if (!errorLabel) {
        gap += ", and no line defines the label " + settings.label2 +
               " that the On Error line goes to";
    }
    return gap;
}

bool ErrorHandlingRequired(host::Member& member, const settings::SettingsRecord& settings) {
    return ErrorHandlingRequired(ModuleOf(member), member.Name(), settings);
}

bool ErrorHandlingRequired(host::CodeModule& module, std::string_view name,
                           const settings::SettingsRecord& settings) try {
    bool required = true;
    // The omit list is the user's text (UTF-8), the name the module's bytes.
    const text::CodePage page = host::LinesCodePage(module, settings.codePage);
    // The list is asked for every routine: its lines, and which of them are
    // ASCII, are kept per thread while the list stays the same.
    const OmitList& omitList = OmitListOf(settings.omit);
    const bool asciiName = text::IsAscii(name);
    for (const auto& [omitted, ascii] : omitList.lines) {
        const bool same = asciiName && ascii ? text::EqualsIgnoreCase(name, omitted)
                                             : text::SameTextIgnoringCase(name, page, omitted);
        if (same) required = false;
    }
    if (module.Parent().Type() == host::vbext_ct_ClassModule && text::StartsWith(name, "Class_")) {
        // The initialisation of a creatable public class needs no handler;
        // a terminate event always needs one, to keep a pending error.
        if (GetInstancing(module) >= 3 && text::EqualsIgnoreCase(name, "Class_Initialize")) {
            required = false;
        } else if (text::EqualsIgnoreCase(name, "Class_Terminate")) {
            required = true;
        }
    }
    return required;
} QV_PASS_UP("AddIn", "ErrorHandlingRequired")

int ShownTopStatus(int top, bool required) {
    if (required) return top;
    return top == kStatusSome || top == kStatusMissing ? kStatusOk : kStatusExtraCode;
}

std::string StatusString(int code) {
    switch (code) {
        case kStatusOk: return "OK";
        case kStatusSome: return "SOME";
        case kStatusMissing: return "MISSING";
        case kStatusInError: return "IN ERROR";
        case kStatusExtraCode: return "EXTRA CODE";
        case kStatusInErrorExtraCode: return "IN ERROR & EXTRA CODE";
        case kStatusNotApplicable: return "N/A";
        default: return {};
    }
}

}  // namespace qv::analysis
