#pragma once
// Tidy on a code module: one routine, or the declarations section.

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::tidy {

// Tidies, with the given settings, one routine of the member's module, bottom-up: the closing line
// and the lines below it (the last routine takes the module's trailing lines), the body (line
// numbers removed, one level in), then the blank and comment lines above the declaration. The
// declaration itself is laid out only when doHeader is set and the settings' `header` is on. A lone
// blank line between two routines stays. A routine that code must not be changed in
// (analysis::ChangeRefusal) is left alone; callers report why. Returns
// true when the module was changed.
bool Tidy_Routine(host::Member& member, int kind, bool doHeader,
                  const settings::SettingsRecord& settings);

// Tidies the declarations section with the given settings; the attributes of public variables and
// events are kept. Returns true when the module was changed.
bool Tidy_Declarations(host::CodeModule& module, const settings::SettingsRecord& settings);

}  // namespace qv::tidy
