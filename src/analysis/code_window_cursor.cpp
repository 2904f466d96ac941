#include "analysis/code_window_cursor.h"

namespace qv::analysis {

CodeWindowCursor ReadCursor(host::CodeModule& module) {
    CodeWindowCursor cursor;
    host::CodePane& pane = module.CodePane();
    pane.GetSelection(cursor.startLine, cursor.startColumn, cursor.endLine, cursor.endColumn);
    cursor.topLine = pane.TopLine();
    cursor.routine = module.ProcOfLine(cursor.startLine, cursor.routineKind);
    return cursor;
}

void PutCursorBack(host::CodeModule& module, const CodeWindowCursor& cursor) {
    host::CodePane& pane = module.CodePane();
    pane.SetSelection(cursor.startLine, cursor.startColumn, cursor.endLine, cursor.endColumn);
    pane.SetTopLine(cursor.topLine);
}

}  // namespace qv::analysis
