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

}  // namespace qv::host::files
