#pragma once
// The operations that fill the process-wide settings record from the three
// layers: company defaults (the string table), the user's stored values, and
// the built-in template texts.

#include <string>
#include <string_view>

namespace qv::settings {

// One setting governed by the override switch: the stored value of key (with
// LoadRes(id) as the default) when the company defaults allow overriding,
// otherwise LoadRes(id) without looking at the store. Whether overriding is
// allowed is decided on the first call and kept for the process.
std::string GetMySetting(std::string_view key, int id);

// Fills the whole record. A stored integer field that is not a number (or
// out of its range) stops it at that field: the fields before keep their new
// values, the later ones their old values, and the error (13 or 6) goes up
// with "AddIn.GetSettings(" in its source; LastBadSetting() says which.
void GetSettings();

// Resets the template fields to their built-in texts, deletes the whole
// section "ErrorHandling" (so every other stored setting returns to its
// default) and stores the template fields again.
void DefaultSettings();

// Tests: forget the override decision, so that the next GetMySetting takes it
// again from the string table in use.
void ResetOverrideFlagForTesting();

}  // namespace qv::settings
