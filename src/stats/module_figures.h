#pragma once
// The figures of one module and of its routines, computed afresh from the code
// module each time they are asked for.

#include <string>
#include <string_view>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"

namespace qv::stats {

struct ModuleFigures {
    long routines = 0;
    long totalLines = 0;
    long declaration = 0;
    long blank = 0;
    long comments = 0;
    long code = 0;

    bool operator==(const ModuleFigures&) const = default;
};

struct RoutineFigures {
    long totalLines = 0;
    long blank = 0;
    long comments = 0;
    long actualCode = 0;

    bool operator==(const RoutineFigures&) const = default;
};

// How the Routines figure of a module is counted.
enum class RoutineCounting {
    // The routine list: one per procedure and accessor, Declare statements
    // not counted (the statistics of one project).
    RoutineList,
    // The members that are neither variables, events nor constants: a
    // property counts once, a Declare statement counts (group statistics).
    Members,
};

// The module's figures. The last line of the module is not examined by the
// line count, so a final comment line counts as code.
ModuleFigures GetModuleFigures(host::VBE& vbe, std::string_view projectName,
                               std::string_view componentName, RoutineCounting counting);
// The same figures of a module at hand, with no progress report: they touch
// nothing but the module, so that different modules can be counted side by
// side.
ModuleFigures GetModuleFigures(host::CodeModule& module, RoutineCounting counting);

// The declarations row: its comment and blank lines, the last declaration line
// not examined.
RoutineFigures GetDeclarationsFigures(host::CodeModule& module);

// One routine's row: from its start line (the comment block above the
// declaration included) to its closing line, which is not examined.
RoutineFigures GetRoutineFigures(host::CodeModule& module, const analysis::RoutineEntry& routine);

}  // namespace qv::stats
