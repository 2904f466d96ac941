#include "tidy/tidy_at_cursor.h"

#include <string>

#include "analysis/routine_parsing.h"
#include "errorhandling/messages.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "tidy/tidy_routine.h"

namespace qv::tidy {

void TidyUpTheRoutine(host::CodeModule& module) try {
    host::CodePane& pane = module.CodePane();
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    pane.GetSelection(startLine, startColumn, endLine, endColumn);
    const long topLine = pane.TopLine();
    int procKind = 0;
    const std::string routine = module.ProcOfLine(startLine, procKind);
    const std::string moduleName = module.Name();

    if (analysis::IsReadOnly(module.Parent())) {
        errorhandling::MyMsgBox(4, mb::kOkOnly, false);
        return;
    }
    if (routine.empty() && moduleName.empty()) return;
    if (routine.empty()) {
        // The declarations section, or lines that belong to no routine (the
        // comments below the declarations of a module without routines).
        Tidy_Declarations(module);
    } else {
        host::Member& member = module.Members().Item(routine);
        Tidy_Routine(member, analysis::KindAtLine(module, routine, startLine), false);
    }
    pane.SetSelection(startLine, startColumn, endLine, endColumn);
    pane.SetTopLine(topLine);
} QV_PASS_UP("AddIn", "TidyUpTheRoutine")

}  // namespace qv::tidy
