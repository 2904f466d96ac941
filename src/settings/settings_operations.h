#pragma once
// The operations that fill a run's settings record from the three layers:
// company defaults (the string table), the user's stored values, and the
// built-in template texts. The company defaults are the compiled string
// table unless the caller hands in another.

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/settings_fields.h"
#include "settings/string_table.h"

namespace qv::settings {

// One setting governed by the override switch: the stored value of key (with
// LoadRes(id) as the default) when the company defaults allow overriding,
// otherwise LoadRes(id) without looking at the store.
std::string GetMySetting(std::string_view key, int id, StringTable table = CompiledStringTable());

// The text GetSettings reads for one field (before converting it): the
// company default or the stored value, by the field's layer.
std::string StoredFieldText(const SettingsField& field,
                            StringTable table = CompiledStringTable());

// Fills the stored fields of the record, but for those a run may replace
// (the layer Run), which LoadSettings fills. A stored integer field that is not a number (or
// out of its range) stops it at that field: the fields before keep their new
// values, the later ones their old values, and the error (13 or 6) goes up
// with "AddIn.GetSettings(" in its source; FindBadSetting() says which.
// Where the store cannot be written and the first start's templates are
// not in it, the built-in templates take their place.
void GetSettings(SettingsRecord& record, StringTable table = CompiledStringTable());

// One run's settings: the stored fields (raising as GetSettings does) and the
// IDE's tab width. The code page is the stored one (Windows-1252 when the
// stored text names none); a run with a code page of its own (an option)
// replaces it.
SettingsRecord LoadSettings(StringTable table = CompiledStringTable());

// The largest module file a load reads, in bytes: the stored modulemb (in
// MB) when it is an allowed value, else the default. Read on its own, so that
// a command that needs no other setting is not stopped by a bad one.
size_t LargestModuleFileBytes();
// The same for a modulemb value (of a record): the default when the value is
// not an allowed one (a stored value typed in by hand).
size_t LargestModuleFileBytes(long megabytes);

// Deletes the whole section "ErrorHandling" (so every stored setting returns
// to its default) and stores the built-in template texts again; a run loads
// them afterwards.
void DefaultSettings();

}  // namespace qv::settings
