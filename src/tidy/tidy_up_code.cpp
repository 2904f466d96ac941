#include "tidy/tidy_up_code.h"

#include "linenumbers/remove_line_numbers.h"
#include "platform/text.h"
#include "platform/thread_kept.h"
#include "platform/vb_error.h"
#include "tidy/counts.h"
#include "tidy/line_text.h"

namespace qv::tidy {
namespace {

// The closing line of a routine: column 1, no trailing space.
std::string ClosingLine(std::string_view line) {
    return std::string(text::Trim(TabsToSpaces(line)));
}

void CondenseBlankLines(std::vector<std::string>& lines) {
    size_t kept = 1;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty() && lines[kept - 1].empty()) continue;
        if (kept != i) lines[kept] = std::move(lines[i]);
        ++kept;
    }
    lines.resize(kept);
}

}  // namespace

int LineLayouts::Flags(const TidyState& state) {
    return state.thenPending | state.ifHeader << 1 | state.continued << 2 |
           state.inComment << 3 | state.previousComment << 4 | state.inType << 5;
}

// The line's hash with the state mixed in (kept and sought keys alike).
size_t LineLayouts::KeyHash::Hash(long level, int flags, std::string_view line) {
    const size_t state = static_cast<size_t>(level) << 6 | static_cast<size_t>(flags);
    return std::hash<std::string_view>()(line) ^ (state * 0x9E3779B97F4A7C15ull);
}

const LineLayouts::Laid* LineLayouts::Find(const TidyState& before, std::string_view line) const {
    const auto it = laid_.find(SoughtKey{before.level, Flags(before), line});
    return it == laid_.end() ? nullptr : &it->second;
}

void LineLayouts::Keep(const TidyState& before, std::string line, Laid laid) {
    if (laid_.size() >= kKept) laid_.clear();
    laid_.insert_or_assign(KeptKey{before.level, Flags(before), std::move(line)}, std::move(laid));
}

namespace {

// The text of source line i put into line (nothing to do when the source is
// the line itself).
void CopyInto(std::string& line, const std::string& text) {
    if (&line != &text) line = text;
}
void CopyInto(std::string& line, std::string_view text) {
    line.assign(text);
}

// Lays out the lines of source into lines, which holds as many strings
// (source may be lines itself, laid out in place).
template <class Source>
void LayOutLines(const Source& source, std::vector<std::string>& lines,
                 const KeywordList& openers, const KeywordList& closers, int routineFlag,
                 const settings::SettingsRecord& settings, LineLayouts* layouts) {
    TidyState state;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (routineFlag == 1 && i + 1 == lines.size()) {
            lines[i] = ClosingLine(source[i]);
            continue;
        }
        if (layouts == nullptr) {
            CopyInto(lines[i], source[i]);
            Counts(lines[i], state, openers, closers, routineFlag, i == 0, settings);
            continue;
        }
        // The first line starts from the state every layout starts from.
        if (i == 0) state = TidyState{.level = routineFlag};
        if (const LineLayouts::Laid* laid = layouts->Find(state, source[i])) {
            state = laid->after;
            lines[i] = laid->line;
            continue;
        }
        const TidyState before = state;
        std::string line(source[i]);
        CopyInto(lines[i], source[i]);
        Counts(lines[i], state, openers, closers, routineFlag, i == 0, settings);
        layouts->Keep(before, std::move(line), {state, lines[i]});
    }
    if (lines.size() < 2) return;
    CondenseBlankLines(lines);
}

}  // namespace

void TidyUpCode(std::vector<std::string>& lines, const KeywordList& openers,
                const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings, LineLayouts* layouts) try {
    LayOutLines(lines, lines, openers, closers, routineFlag, settings, layouts);
} QV_PASS_UP("Tidy", "TidyUpCode")

LineLayouts& KeptLayouts(const KeywordList& openers, const KeywordList& closers, int routineFlag,
                         const settings::SettingsRecord& settings) {
    struct Kept {
        const KeywordList* openers = nullptr;
        const KeywordList* closers = nullptr;
        int routineFlag = -1;
        long select = 0;
        long comment = 0;
        LineLayouts layouts;
    };
    // A tidy of a routine uses three (its head, body and tail), a module's
    // declarations one more.
    constexpr size_t kCombinations = 4;
    struct KeptSet {
        std::array<Kept, kCombinations> kept;
        size_t oldest = 0;
    };
    KeptSet& set = platform::ThreadKept<KeptSet>();
    std::array<Kept, kCombinations>& kept = set.kept;
    size_t& oldest = set.oldest;
    const long select = settings.select;
    const long comment = settings.comment;
    for (Kept& k : kept) {
        if (k.openers == &openers && k.closers == &closers && k.routineFlag == routineFlag &&
            k.select == select && k.comment == comment) {
            return k.layouts;
        }
    }
    Kept& k = kept[oldest];
    oldest = (oldest + 1) % kCombinations;
    k.openers = &openers;
    k.closers = &closers;
    k.routineFlag = routineFlag;
    k.select = select;
    k.comment = comment;
    k.layouts = LineLayouts();
    return k.layouts;
}

void TidyUpCodeKept(std::vector<std::string>& lines, const KeywordList& openers,
                    const KeywordList& closers, int routineFlag,
                    const settings::SettingsRecord& settings) {
    TidyUpCode(lines, openers, closers, routineFlag, settings,
               &KeptLayouts(openers, closers, routineFlag, settings));
}

void TidyUpCopy(const std::vector<std::string_view>& source, std::vector<std::string>& lines,
                const KeywordList& openers, const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings, bool removeNumbers) try {
    if (removeNumbers && linenumbers::HoldsLineNumbers(source)) {
        lines.assign(source.begin(), source.end());
        linenumbers::RemoveLineNumbers(lines);
        TidyUpCodeKept(lines, openers, closers, routineFlag, settings);
        return;
    }
    // The strings are reused; each gets its text from the layout.
    lines.resize(source.size());
    LayOutLines(source, lines, openers, closers, routineFlag, settings,
                &KeptLayouts(openers, closers, routineFlag, settings));
} QV_PASS_UP("Tidy", "TidyUpCopy")

}  // namespace qv::tidy
