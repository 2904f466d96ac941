#pragma once
// Which lines of a code module are comment and which are blank. Code lines are
// not counted: they are what remains of a total.

#include "host/code_host.h"

namespace qv::stats {

struct LineCounts {
    long comments = 0;
    long blanks = 0;
};

// Counts the lines startLine .. endLine − 1 (the end line itself is not
// examined; nothing when endLine <= startLine). A line is a comment when,
// trimmed of spaces, it begins with "'" or "Rem " (case-sensitive), and so is
// every line that continues a comment line (it ended with " _"). A line that
// is empty after trimming is blank; a line holding a tab is not.
LineCounts CountLines(host::CodeModule& module, long startLine, long endLine);

}  // namespace qv::stats
