#pragma once
// Which lines of one text stay, go and come in another: the steps of a
// shortest edit, line by line, that the unified diff prints and the
// language server turns into text edits.

#include <vector>

#include "host/files/text_lines.h"

namespace qv::host::files {

enum class LineOp : char { Equal, Delete, Insert };

// The steps that turn a's lines into b's: one Equal or Delete per line of a,
// one Equal or Insert per line of b; within each run of changes the removed
// lines come first. A last line without a break differs from the same line
// with one.
std::vector<LineOp> DiffLines(const SplitText& a, const SplitText& b);

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

// The runs of changed lines from a to b, in order; none when they are equal.
std::vector<LineHunk> LineHunks(const SplitText& a, const SplitText& b);

}  // namespace qv::host::files
