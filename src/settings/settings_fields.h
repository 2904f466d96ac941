#pragma once
// Every setting of the record, declared once: its key, type, default, the
// layer its value comes from, the check of its value and the record's field
// that holds it. The store's reader (GetSettings), the language server's
// overrides, the options page and the settings command all read this table.

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings_record.h"

namespace qv::settings {

enum class FieldType { Integer16, Integer32, Text, CodePage };

// Where GetSettings takes a field's value from.
enum class FieldLayer {
    // The company defaults (a string-table entry); the user's stored value
    // replaces it only when the company defaults allow overriding.
    Company,
    // The user's stored value, else the built-in default of the table.
    Stored,
    // The user's stored value, else the templates of the first start when
    // they could not be stored, else nothing.
    Template,
    // The user's stored value, else the built-in default, which one run may
    // replace (the command line's option, the language server's
    // initialization options, the IDE's own). LoadSettings reads it, not
    // GetSettings, so that re-reading the settings keeps the run's value; a
    // stored text that names nothing leaves the default, and whoever settles
    // the run's value says what is wrong with it.
    Run,
};

// How a value is checked before it is set.
enum class FieldCheck {
    Range,     // a whole number between low and high
    Flags,     // at most 16 flags, each 0 or 1
    Label,     // a VB label, not the same as the other label
    Template,  // lines of code text
    Stamp,     // one line of text
    CodePage,  // a code page there is, by number or name
};

// The stored text of modulemb when nothing is stored: the host's default.
inline constexpr std::string_view kLargestModuleDefault = "64";

using RecordMember = std::variant<short SettingsRecord::*, long SettingsRecord::*,
                                  std::string SettingsRecord::*, text::CodePage SettingsRecord::*>;

struct SettingsField {
    std::string_view key;  // the value name in the section "ErrorHandling"
    FieldType type;
    FieldLayer layer;
    // The string-table entry of a Company field (menu, select, insert,
    // comment); 0 for the others.
    int companyEntry;
    // What GetSettings reads when nothing is stored: "" for the templates.
    std::string_view storedDefault;
    // A valid value to suggest when a stored one is wrong.
    std::string_view example;
    std::string_view meaning;
    RecordMember member;
    FieldCheck check;
    // The allowed numbers of a Range field, and the range in words.
    long low = 0;
    long high = 0;
    std::string_view rangeText = {};

    // The record's value of this field as text (an integer or a code page
    // as decimal).
    std::string value(const SettingsRecord& record) const;
    // Sets the record's field from a text that passed the field's check
    // (or was converted already, as GetSettings converts stored integers).
    void Assign(SettingsRecord& record, std::string_view text) const;
};

// Every field, in the order of the record; the fields of the layer Run last.
std::span<const SettingsField> SettingsFields();

// The field of a key, compared without regard to case (registry value names
// ignore case); nullptr when there is none.
const SettingsField* FindSettingsField(std::string_view key);

// The field of a key the table declares (exact); raises when there is none.
const SettingsField& Field(std::string_view key);

// The allowed range of an integer field's type.
long FieldMinimum(const SettingsField& field);
long FieldMaximum(const SettingsField& field);

}  // namespace qv::settings
