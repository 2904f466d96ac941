#pragma once
// Every setting's check, in one place for everything that sets one: the
// settings command, the options page, the language server's overrides and
// the store's callers. A value is checked against its type and range when it
// is set; the values that reach code are checked again before a command
// uses a stored one (typed into the settings file by hand).
//
// - menu, select, header and ten are 0 or 1; comment is 0 to 3; modulemb
//   (MB) 1 to 2047; whole decimal numbers only.
// - forms is at most 16 flags, each 0 or 1.
// - label1 and label2 are VB identifiers (a letter, then letters, digits
//   and "_", at most 255 characters), no reserved word, and not the same
//   label: "On Error GoTo " + label2 and label + ":" are written into code.
// - The templates (add0 to add6, add2a) and omit hold no control character
//   but tabs and their CR LF line breaks, no line longer than a module line
//   may be, and no more than 64 KB in all.
// - The comment stamp (insert) is one line without control characters.
// - codePage names a code page there is, by number or by name.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_fields.h"
#include "settings/settings_record.h"

namespace qv::settings {

// Why value cannot be stored under field; nothing when it can. other: the
// record's current values, against which a label is compared.
std::optional<std::string> ValueProblem(const SettingsField& field, std::string_view value,
                                        const SettingsRecord& other);

// The whole numbers an integer setting may take.
struct IntegerRange {
    long low = 0;
    long high = 0;
};
IntegerRange AllowedRange(const SettingsField& field);

// The first field of the record that reaches code (of those keys; all when
// none are given) that would make a handler or a stamp that is not VB or
// cannot be read back: "label1 "Err Label: x" is not a VB label: ...".
// Numbers and flags are not judged here: a stored one out of range still
// means what it always meant.
std::optional<std::string> RecordProblem(const SettingsRecord& record,
                                         std::initializer_list<std::string_view> keys = {});

// A VB identifier that is no reserved word.
bool IsVbLabel(std::string_view name);

// A word that VB reserves (compared without regard to case).
bool IsReservedWord(std::string_view name);

}  // namespace qv::settings
