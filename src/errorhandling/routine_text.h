#pragma once
// The text of a routine as the main window's code box shows it: the routine
// with the blank and comment lines directly above it. Its line range is also
// what deleting the routine deletes.

#include <string>
#include <string_view>

#include "host/code_host.h"

namespace qv::errorhandling {

struct RoutineText {
    std::string text;    // the lines joined with CR LF
    long startLine = 0;  // first line shown
    long count = 0;      // number of lines shown
};

// routineText is the routine list's row text: the name, or the name followed
// by a space and more. "(Declarations)" gives the declarations section.
RoutineText GetRoutine(host::VBProject& project, std::string_view moduleName,
                       std::string_view routineText, int kind);

}  // namespace qv::errorhandling
