#pragma once
// Where the cursor of a module's code pane stands, for the code window's
// commands: they act on the routine at the cursor and put the cursor and the
// scroll position back afterwards.

#include <string>

#include "host/code_host.h"

namespace qv::analysis {

struct CodeWindowCursor {
    long startLine = 0;
    long startColumn = 0;
    long endLine = 0;
    long endColumn = 0;
    long topLine = 0;
    std::string routine;  // the routine at the start line; "" outside every routine
    int routineKind = 0;
};

CodeWindowCursor ReadCursor(host::CodeModule& module);
void PutCursorBack(host::CodeModule& module, const CodeWindowCursor& cursor);

}  // namespace qv::analysis
