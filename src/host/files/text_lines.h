#pragma once
// The lines of a file's bytes, as views into them (no copy per line), with
// the file's own line ending and whether its last line ends with a break.
// Code pages do not matter here: only CR and LF bytes break lines, and no
// lead or trail byte of a DBCS code page is either of them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::files {

enum class LineEnding { CrLf, Lf, Cr };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view LineEndingText(LineEnding ending);

struct SplitText {
    std::vector<std::string_view> lines;
    // The break most lines end with (CR LF when there is none or a tie).
    LineEnding ending = LineEnding::CrLf;
    // The last line ends with a break. The break ends that line; it does not
    // start an empty one.
    bool finalBreak = false;
    // Every line of the text was split (false only when a split stopped at
    // its most lines; the ending then counts the lines split).
    bool complete = true;
};

// Splits at CR LF, LF or a lone CR; at most `most` lines, the first ones,
// split as a whole split would.
SplitText SplitFileLines(std::string_view text, size_t most = static_cast<size_t>(-1));

// A text's lines, split as a reader asks for them (as SplitFileLines splits
// them, a byte-order mark left out of the first): a reader of the first
// lines splits no further than it reads.
class LinesOnDemand {
public:
    explicit LinesOnDemand(std::string_view text);
    // Whether the text has line i (from 0): split so far as that.
    bool Has(size_t i) {
        while (i >= lines_.size()) {
            if (!SplitNext()) return false;
        }
        return true;
    }
    // Line i, which Has told is there.
    std::string_view operator[](size_t i) const { return lines_[i]; }
    // Whether the last line ends with a break; told once Has found no more.
    bool FinalBreak() const { return finalBreak_; }

private:
    bool SplitNext();

    std::string_view text_;
    size_t next_ = 0;  // where the line after those split starts
    std::vector<std::string_view> lines_;
    bool finalBreak_ = false;
};

// What one pass over a file's bytes tells without splitting its lines.
struct LineScan {
    // A line (as SplitFileLines splits the text) is longer than the limit.
    bool longLine = false;
    // Every byte is ASCII; told only when no line is too long (the scan
    // stops at the first one that is).
    bool ascii = true;
};
LineScan ScanLines(std::string_view text, size_t limit);

// ScanLines' first answer alone (a text about to be written is not asked
// whether it is ASCII).
bool AnyLineLongerThan(std::string_view text, size_t limit);

// The line break that follows line in text, when line is a view into text
// and a break follows it: "\r\n", "\n" or "\r"; "" otherwise. (Inline:
// a module's text is written asking it of every line.)
inline std::string_view BreakAfter(std::string_view text, std::string_view line) {
    // Compared as addresses: line may be a view into any other text.
    const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
    const auto at = reinterpret_cast<std::uintptr_t>(line.data()) + line.size();
    if (line.data() == nullptr || at < begin || at >= begin + text.size() ||
        reinterpret_cast<std::uintptr_t>(line.data()) < begin) {
        return {};
    }
    const size_t offset = at - begin;
    if (text[offset] == '\n') return "\n";
    if (text[offset] != '\r') return {};
    return offset + 1 < text.size() && text[offset + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace qv::host::files
