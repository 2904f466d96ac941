#pragma once
// Values that would make a command write code that is not VB, or a file the
// tool cannot read back, are refused: when they are set, and before a
// command uses a stored one (typed into the settings file by hand).
//
// - label1 and label2 are VB identifiers (a letter, then letters, digits
//   and "_", at most 255 characters), no reserved word, and not the same
//   label: "On Error GoTo " + label2 and label + ":" are written into code.
// - The templates (add0 to add6, add2a) hold no NUL byte, no line longer
//   than a module line may be, and no more than 64 KB in all.
// - The comment stamp (insert) is one line without NUL bytes.

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

// The first field of the record (of those keys; all when none are given)
// that would make a handler or a stamp that is not VB or cannot be read
// back: "label1 "Err Label: x" is not a VB label: ...".
std::optional<std::string> RecordProblem(const SettingsRecord& record,
                                         std::initializer_list<std::string_view> keys = {});

// A VB identifier that is no reserved word.
bool IsVbLabel(std::string_view name);

// A word that VB reserves (compared without regard to case).
bool IsReservedWord(std::string_view name);

}  // namespace qv::settings
