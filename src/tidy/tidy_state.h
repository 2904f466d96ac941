#pragma once
// The state that carries the nesting level from line to line while tidy runs
// over one array of lines; each run has its own.

namespace qv::tidy {

struct TidyState {
    long level = 0;               // current nesting level
    bool thenPending = false;     // a block If whose header spanned lines found its Then
    bool ifHeader = false;        // inside an If (or #If) that continues onto further lines
    bool continued = false;       // the current statement continues on the next line
    bool inComment = false;       // the current line is a comment, or continues one
    bool previousComment = false; // in-comment as it stood when the line began
    bool inType = false;          // inside a Type block: openers are not tested
};

}  // namespace qv::tidy
