#include "tidy/tidy_at_cursor.h"

#include <string>

#include "analysis/code_window_cursor.h"
#include "analysis/routine_parsing.h"
#include "errorhandling/messages.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "tidy/tidy_routine.h"

namespace qv::tidy {

void TidyUpTheRoutine(host::CodeModule& module) try {
    const analysis::CodeWindowCursor cursor = analysis::ReadCursor(module);
    const std::string& routine = cursor.routine;
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
        const int kind = analysis::KindAtLine(module, routine, cursor.startLine);
        if (errorhandling::RefuseChange(module, routine, kind)) return;
        Tidy_Routine(member, kind, false);
    }
    analysis::PutCursorBack(module, cursor);
} QV_PASS_UP("AddIn", "TidyUpTheRoutine")

}  // namespace qv::tidy
