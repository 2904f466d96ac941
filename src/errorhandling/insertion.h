#pragma once
// Inserting the standard error handler into a routine: the top block below
// the declaration (and the comment block under it), the exit block above the
// closing line, each laid out by the indentation engine and set off from the
// routine's own code by one blank line.

#include <string>

#include "host/code_host.h"

namespace qv::errorhandling {

// Inserts the handler. Returns false, with the reason in message, when the
// routine needs no handler (message 1), has no place for one (written on one
// line, or inside #If structure that does not nest in it), already holds
// the standard On Error line (message 2) or some other On Error statement
// (message 3).
bool AddRoutineErrorHandling(host::Member& member, int kind, std::string& message);

}  // namespace qv::errorhandling
