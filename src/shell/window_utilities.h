#pragma once
// The close-windows command: closes the visible IDE windows of the kinds the
// user chose (the forms setting).

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::shell {

// Closes every visible window whose type is flagged "1" in the forms setting
// (character position type + 1; a position past the end of the setting is not
// flagged). Hidden windows are left alone.
void DoHide(host::VBE& vbe, const settings::SettingsRecord& settings);

}  // namespace qv::shell
