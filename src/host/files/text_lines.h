#pragma once
// The lines of a file's bytes, as views into them (no copy per line), with
// the file's own line ending and whether its last line ends with a break.
// Code pages do not matter here: only CR and LF bytes break lines, and no
// lead or trail byte of a DBCS code page is either of them.

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
};

// Splits at CR LF, LF or a lone CR.
SplitText SplitFileLines(std::string_view text);

// The line break that follows line in text, when line is a view into text
// and a break follows it: "\r\n", "\n" or "\r"; "" otherwise.
std::string_view BreakAfter(std::string_view text, std::string_view line);

}  // namespace qv::host::files
