#pragma once
// Line numbers on real code: a routine's lines are read from the code host,
// its old numbers taken off, the body re-indented and numbered, and only the
// lines that change are written back. The closing line keeps its text and
// place. Terminate routines are re-indented but get no numbers.

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::linenumbers {

// Numbers one routine. doHeader: the declaration is laid out first (when the
// setting `header` is on), as the module and project commands do. The blank
// and comment lines above the declaration are tidied too; a lone blank line
// between two routines stays. A routine that code must not be changed in
// (analysis::ChangeRefusal) is left alone; callers report why. Returns true
// when the module was changed.
bool AddLineNumbers_Mem(host::Member& member, int kind, bool doHeader,
                        const settings::SettingsRecord& settings);

// Takes the line numbers off one routine: the numbers, and the indentation
// that numbering put before the other lines, from the line after the
// declaration through the closing line. Nothing else changes: only the
// lines the engine changed are written back. Returns true when the routine
// changed (never for a routine that must not be changed).
bool RemoveLineNumbers_Mem(host::Member& member, int kind);

}  // namespace qv::linenumbers
