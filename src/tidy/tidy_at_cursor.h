#pragma once
// The code window's tidy command.

#include "host/code_host.h"

namespace qv::tidy {

// Tidies the routine at the cursor of the module's code pane, or the
// declarations section when the cursor stands in it (or outside every
// routine). A read-only module is refused with message 4. The selection and
// the top line of the pane are put back afterwards.
void TidyUpTheRoutine(host::CodeModule& module);

}  // namespace qv::tidy
