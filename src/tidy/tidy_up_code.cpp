#include "tidy/tidy_up_code.h"

#include <algorithm>
#include <functional>

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

std::uint64_t LineLayouts::LineHash(long level, int flags, std::string_view line) {
    const std::uint64_t state =
        static_cast<std::uint64_t>(level) << 6 | static_cast<unsigned>(flags);
    return std::hash<std::string_view>()(line) ^ (state * 0x9E3779B97F4A7C15ull);
}

size_t LineLayouts::Probe(std::uint64_t hash, long level, int flags, std::string_view line) const {
    // Linear probing ends at a free slot: the slots are never more than half
    // taken.
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == kNone) return i;
        if (slot.hash != hash) continue;
        const Entry& e = entries_[slot.entry];
        if (e.level == level && e.flags == flags &&
            std::string_view(text_.data() + e.at, e.lineLength) == line) {
            return i;
        }
    }
}

bool LineLayouts::Find(const TidyState& before, std::string_view line, TidyState& after,
                       std::string& laid) const {
    if (slots_.empty()) return false;
    const long level = before.level;
    const int flags = Flags(before);
    const Slot& slot = slots_[Probe(hash_(level, flags, line), level, flags, line)];
    if (slot.entry == kNone) return false;
    // line is not read after this: laid may be the string it views.
    const Entry& e = entries_[slot.entry];
    after = e.after;
    laid.assign(text_.data() + e.at + e.lineLength, e.laidLength);
    return true;
}

void LineLayouts::Keep(const TidyState& before, std::string_view line, const TidyState& after,
                       std::string_view laid) {
    const size_t length = line.size() + laid.size();
    if (length > kKeptText) return;
    if (slots_.empty()) {
        slots_.resize(kSlots);
        entries_.reserve(kKept);
    }
    // A line kept again takes a new entry, so that the entries count the
    // lines kept and bound the slots taken.
    if (entries_.size() >= kKept || text_.size() + length > kKeptText) Empty();
    const long level = before.level;
    const int flags = Flags(before);
    const std::uint64_t hash = hash_(level, flags, line);
    Slot& slot = slots_[Probe(hash, level, flags, line)];
    slot.hash = hash;
    slot.entry = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({.after = after,
                        .level = level,
                        .flags = flags,
                        .at = static_cast<std::uint32_t>(text_.size()),
                        .lineLength = static_cast<std::uint32_t>(line.size()),
                        .laidLength = static_cast<std::uint32_t>(laid.size())});
    text_.append(line).append(laid);
}

void LineLayouts::Empty() {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    entries_.clear();
    text_.clear();
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

// The text of a source line before it is laid out, to keep its layout by: a
// copy in unlaid where the line is laid out in place (Counts rewrites it),
// the source's own view otherwise.
std::string_view Unlaid(const std::string& line, std::string& unlaid) {
    unlaid = line;
    return unlaid;
}
std::string_view Unlaid(std::string_view line, std::string&) {
    return line;
}

// Lays out the lines of source into lines, which holds as many strings
// (source may be lines itself, laid out in place).
template <class Source>
void LayOutLines(const Source& source, std::vector<std::string>& lines,
                 const KeywordList& openers, const KeywordList& closers, int routineFlag,
                 const settings::SettingsRecord& settings, LineLayouts* layouts) {
    TidyState state;
    std::string unlaid;  // reused for every line that Unlaid copies
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
        // Find copies the layout into the line: nothing refers into the
        // store when the Keep below grows or empties it.
        if (layouts->Find(state, source[i], state, lines[i])) continue;
        const TidyState before = state;
        const std::string_view line = Unlaid(source[i], unlaid);
        CopyInto(lines[i], source[i]);
        Counts(lines[i], state, openers, closers, routineFlag, i == 0, settings);
        layouts->Keep(before, line, state, lines[i]);
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
