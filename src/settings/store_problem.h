#pragma once
// Says in one sentence why a store's file cannot be used: it cannot be read,
// it is not an INI file, or it cannot be created. Reads then give defaults
// and writes are refused; the user should know.

#include <optional>
#include <string>

#include "settings/reg_settings.h"

namespace qv::settings {

std::optional<std::string> StoreProblem(const CRegSettings& store);

}  // namespace qv::settings
