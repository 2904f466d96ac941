#pragma once
// Where the value of a settings field comes from, by the rules GetSettings
// follows: the user's stored value, a company default of the string table, a
// built-in default, or nothing (empty).

#include <string_view>

#include "settings/settings_fields.h"
#include "settings/string_table.h"

namespace qv::settings {

enum class FieldSource { Stored, CompanyDefault, BuiltInDefault, Empty };

// True when the company defaults let stored values replace entries 9-12
// (string-table entry 1, upper-cased, is "1").
bool OverrideAllowed(StringTable table = CompiledStringTable());

FieldSource SourceOf(const SettingsField& field, StringTable table = CompiledStringTable());

// "stored", "company default", "built-in default", "empty".
std::string_view SourceName(FieldSource source);

}  // namespace qv::settings
