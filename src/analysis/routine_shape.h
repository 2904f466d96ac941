#pragma once
// The shapes of real code that decide where a routine's declaration ends
// and whether a command may change the routine at all: a routine declared
// in alternatives under #If (its declaration ends at the #End If that
// closes them), a routine written on one line with its body and closing
// statement (it has no body to change), and #If structure that opens or
// closes outside the routine (code put into it could land in the wrong
// branch). A routine without a closing line (while it is being edited) has
// no end that code could go above.

#include <string>
#include <string_view>
#include <vector>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"

namespace qv::analysis {

// Line numbers of the module, 1-based.
struct RoutineShape {
    long start = 0;                  // the host's start line (comments above included)
    long blockEnd = 0;               // the block's last line
    long body = 0;                   // the (first) declaration line
    long firstDeclarationEnd = 0;    // its last line (continuations)
    long declarationEnd = 0;         // the declaration's last line: the #End If of alternatives
    std::vector<long> alternatives;  // the other declarations under #If
    bool oneLine = false;
    bool closed = true;  // it has a closing line of its own
    bool nests = true;
};

RoutineShape ReadRoutineShape(host::CodeModule& module, std::string_view name, int kind);

// FirstAndLast, with the shape it reads on the way left in shape.
RoutineSpan FirstAndLast(host::CodeModule& module, std::string_view name, int kind,
                         RoutineShape& shape);

// Why a command that changes code must leave the routine alone; "" when it
// may change it.
std::string ChangeRefusal(host::CodeModule& module, std::string_view name, int kind);
std::string ChangeRefusal(const RoutineShape& shape, std::string_view name);

}  // namespace qv::analysis
