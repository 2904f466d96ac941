#pragma once
// The fields of the settings record as data: key, type, where the value comes
// from, and the record's current value as text. Used to show, read and write
// single settings by key.

#include <span>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace qv::settings {

enum class FieldType { Integer16, Integer32, Text };

// The stored text of modulemb when nothing is stored: the host's default.
inline constexpr std::string_view kLargestModuleDefault = "64";

struct SettingsField {
    std::string_view key;  // the value name in the section "ErrorHandling"
    FieldType type;
    // The string-table entry of a field governed by the override switch
    // (menu, select, insert, comment); 0 for the others.
    int companyEntry;
    // What GetSettings reads when nothing is stored: "" for the templates.
    std::string_view storedDefault;
    // A valid value to suggest when a stored one is wrong.
    std::string_view example;
    std::string_view meaning;
    std::string (*value)(const SettingsRecord&);
};

// Every field, in the order of the record.
std::span<const SettingsField> SettingsFields();

// The field of a key, compared without regard to case (registry value names
// ignore case); nullptr when there is none.
const SettingsField* FindSettingsField(std::string_view key);

// The allowed range of an integer field.
long FieldMinimum(const SettingsField& field);
long FieldMaximum(const SettingsField& field);

}  // namespace qv::settings
