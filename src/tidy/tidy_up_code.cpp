#include "tidy/tidy_up_code.h"

#include "platform/text.h"
#include "platform/vb_error.h"
#include "tidy/counts.h"
#include "tidy/line_text.h"

namespace qv::tidy {

namespace {

// The closing line of a routine: column 1, no trailing space.
std::string ClosingLine(const std::string& line) {
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

void TidyUpCode(std::vector<std::string>& lines, const KeywordList& openers,
                const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings) try {
    TidyState state;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (routineFlag == 1 && i + 1 == lines.size()) {
            lines[i] = ClosingLine(lines[i]);
        } else {
            Counts(lines[i], state, openers, closers, routineFlag, i == 0, settings);
        }
    }
    if (lines.size() < 2) return;
    CondenseBlankLines(lines);
} QV_PASS_UP("Tidy", "TidyUpCode")

}  // namespace qv::tidy
