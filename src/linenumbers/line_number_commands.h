#pragma once
// Line numbers on real code: a routine's lines are read from the code host,
// its old numbers taken off, the body re-indented and numbered, and only the
// lines that change are written back. The closing line keeps its text and
// place. Terminate routines are re-indented but get no numbers.

#include "host/code_host.h"

namespace qv::linenumbers {

// Numbers one routine. doHeader: the declaration is laid out first (when the
// setting `header` is on), as the module and project commands do. The blank
// and comment lines above the declaration are tidied too; a lone blank line
// between two routines stays. A routine that code must not be changed in
// (analysis::ChangeRefusal) is left alone; callers report why.
void AddLineNumbers_Mem(host::Member& member, int kind, bool doHeader);

// The code window's command: numbers the routine at the cursor of the
// module's code pane and puts the cursor back. A read-only module is refused
// with message 4, a routine that must not be changed with its reason at the
// mouse pointer; in the declarations section (or outside every routine) it
// does nothing, as declarations get no numbers.
void AddLineNos(host::CodeModule& module);

// Takes the line numbers off one routine: the numbers, and the indentation
// that numbering put before the other lines, from the line after the
// declaration through the closing line. Nothing else changes: only the
// lines the engine changed are written back. Returns true when the routine
// changed (never for a routine that must not be changed).
bool RemoveLineNumbers_Mem(host::Member& member, int kind);

// While one lives, the IDE's tab width that numbering lays the number field
// out with is read once for every routine numbered, instead of once per
// routine: module and project runs keep one for the whole run. A width that
// cannot be read is not kept, so each routine fails on it as it would alone.
class NumberingRun {
public:
    NumberingRun();
    ~NumberingRun();
    NumberingRun(const NumberingRun&) = delete;
    NumberingRun& operator=(const NumberingRun&) = delete;
};

}  // namespace qv::linenumbers
