#pragma once
// Taking out, or renewing, the standard handlers that the system inserted:
// what remove and replace do to one routine.
//
// A routine counts by its top status as the main window shows it: OK and IN
// ERROR handlers are taken out; EXTRA CODE and IN ERROR & EXTRA CODE ones
// (the handler holds lines of the user's own, or stands in a routine that
// needs none) only when forced, as the main window asks first. A terminate
// routine's blocks go where they stand as insertion wrote them. Replace
// then inserts a handler built from the current templates into every
// routine that needs one and has none; it leaves routines with other error
// handling (SOME) alone. A change that would leave the routine broken (its
// code still jumping to a label that the removal deletes, or a new handler
// that would be refused) is refused before anything is deleted, and so is a
// routine that code must not be changed in.

#include "analysis/routine_parsing.h"
#include "host/code_host.h"
#include "settings/settings_record.h"
#include "shell/routine_run.h"

namespace qv::shell {

enum class HandlerChange { Remove, Replace };

RoutineOutcome ChangeHandler(host::CodeModule& module, const analysis::RoutineEntry& routine,
                             const settings::SettingsRecord& settings,
                             HandlerChange change, bool force);

// Takes the line numbers off one routine (the declarations section has none).
RoutineOutcome Unnumber(host::CodeModule& module, const analysis::RoutineEntry& routine);

}  // namespace qv::shell
