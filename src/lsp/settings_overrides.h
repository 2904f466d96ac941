#pragma once
// The client's settings: initializationOptions.settings, by the keys of the
// settings store ("label1", "add4", "ten", ...), override the stored values
// for the server's run and are never stored. A value the store would refuse
// (a label that is not VB, a number out of range) is refused here too.

#include <string>
#include <vector>

#include "lsp/json.h"
#include "settings/settings_record.h"

namespace qv::lsp {

// Applies the overrides (an object; anything else overrides nothing) to the
// record; returns what was refused and why.
std::vector<std::string> OverrideSettings(const Json& overrides, settings::SettingsRecord& record);

}  // namespace qv::lsp
