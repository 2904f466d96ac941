#pragma once
// A unified diff of two texts, line by line (three lines of context), as
// --dry-run prints it, the preview of changes before they are saved. Lines keep their bytes; their
// line breaks are not shown, and a last line without a break is marked as diff marks it.

#include <string>
#include <string_view>
#include <vector>

namespace qv::host::files {

// "" when the texts are equal.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel);

// One run of changed lines: the old lines [oldStart, oldStart + oldCount)
// become the new lines [newStart, newStart + newCount); 0-based. A last line
// that gains or loses its line break counts as changed.
struct LineHunk {
    long oldStart = 0;
    long oldCount = 0;
    long newStart = 0;
    long newCount = 0;
    bool operator==(const LineHunk&) const = default;
};

// The runs of changed lines from the old text to the new, in order, as the
// diff above finds them; none when the texts are equal.
std::vector<LineHunk> LineHunks(std::string_view oldText, std::string_view newText);

}  // namespace qv::host::files
