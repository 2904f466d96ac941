#pragma once
// Inserting the standard error handler into a routine: the top block below
// the declaration (and the comment block under it), the exit block above the
// closing line, each laid out by the indentation engine and set off from the
// routine's own code by one blank line.

#include <string>

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {

// Inserts the handler built from the given settings. Returns false, with the reason in message,
// when the routine needs no handler (message 1), has no place for one (written on one line, or
// inside #If structure that does not nest in it), already holds the standard On Error line (message
// 2) or some other On Error statement (message 3).
bool AddRoutineErrorHandling(host::Member& member, int kind,
                             const settings::SettingsRecord& settings, std::string& message);

// The On Error statement that stops an insertion into a routine whose code
// (comments taken out) is given: the standard one, to the settings' error label in any
// letter case (message 2), or any other (message 3, case-sensitive); 0 when
// there is none.
int OnErrorRefusal(const std::string& code, const settings::SettingsRecord& settings);

// Takes the routine's standard handler out and puts one built from the
// given settings' templates in. Returns whether the routine changed: a handler that
// already stood as the templates build it comes back as it was, which is no
// change. message: the insertion's refusal, as AddRoutineErrorHandling's.
bool ReplaceHandler(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    std::string& message);

}  // namespace qv::errorhandling
