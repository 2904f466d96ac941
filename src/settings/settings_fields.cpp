#include "settings/settings_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "host/host_constants.h"
#include "platform/text.h"
#include "settings/built_in_templates.h"
#include "settings/string_table.h"

namespace qv::settings {

namespace {

using R = SettingsRecord;

constexpr long DecimalValue(std::string_view digits) {
    long value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}
static_assert(DecimalValue(kLargestModuleDefault) == host::kDefaultLargestModuleMb,
              "the stored default of modulemb is the host's default");

const std::array<SettingsField, 19> kFields = {{
    {"menu", FieldType::Integer16, kMenuEntry, "", "1",
     "1 = each command its own pop-up menu entry, 0 = one grouped menu",
     [](const R& r) { return std::to_string(r.menu); }},
    {"select", FieldType::Integer16, kSelectEntry, "", "1",
     "non-zero = Case lines one level deeper inside Select Case",
     [](const R& r) { return std::to_string(r.select); }},
    {"insert", FieldType::Text, kInsertEntry, "", "' %d %u:",
     "comment stamp text (%u user, %d date, %t date and time)",
     [](const R& r) { return r.insert; }},
    {"comment", FieldType::Integer32, kCommentEntry, "", "1",
     "comment indentation: 0 leave, 1 with code, 2 keep column 1, 3 move to column 1",
     [](const R& r) { return std::to_string(r.comment); }},
    {"forms", FieldType::Text, 0, builtin::kForms, builtin::kForms,
     "IDE window types Close Windows closes, one flag per type",
     [](const R& r) { return r.forms; }},
    {"header", FieldType::Integer16, 0, "1", "1",
     "non-zero = module-wide tidy and numbering re-lay procedure headers",
     [](const R& r) { return std::to_string(r.header); }},
    {"ten", FieldType::Integer16, 0, "0", "0", "non-zero = line numbers in steps of 10",
     [](const R& r) { return std::to_string(r.ten); }},
    {"add0", FieldType::Text, 0, "", "", "top of a routine, above the On Error line",
     [](const R& r) { return r.add0; }},
    {"add1", FieldType::Text, 0, "", "", "top of a routine, below the On Error line",
     [](const R& r) { return r.add1; }},
    {"add2", FieldType::Text, 0, "", "", "normal exit text",
     [](const R& r) { return r.add2; }},
    {"add2a", FieldType::Text, 0, "", "", "normal exit text in MTS components",
     [](const R& r) { return r.add2a; }},
    {"add3", FieldType::Text, 0, "", "", "error exit of top-level routines",
     [](const R& r) { return r.add3; }},
    {"add4", FieldType::Text, 0, "", "", "error exit of called routines",
     [](const R& r) { return r.add4; }},
    {"add5", FieldType::Text, 0, "", "", "error exit of user controls",
     [](const R& r) { return r.add5; }},
    {"add6", FieldType::Text, 0, "", "", "error exit of MTS components",
     [](const R& r) { return r.add6; }},
    {"omit", FieldType::Text, 0, "", "", "routines that never get error handling, one per line",
     [](const R& r) { return r.omit; }},
    {"label1", FieldType::Text, 0, "", "", "label of the normal exit",
     [](const R& r) { return r.label1; }},
    {"label2", FieldType::Text, 0, "", "", "label of the error exit",
     [](const R& r) { return r.label2; }},
    {"modulemb", FieldType::Integer32, 0, kLargestModuleDefault, kLargestModuleDefault,
     "largest module file read, in MB; a bigger one is refused unread",
     [](const R& r) { return std::to_string(r.modulemb); }},
}};

}  // namespace

std::span<const SettingsField> SettingsFields() { return kFields; }

const SettingsField* FindSettingsField(std::string_view key) {
    const auto found = std::find_if(kFields.begin(), kFields.end(), [key](const SettingsField& f) {
        return text::EqualsIgnoreCase(f.key, key);
    });
    return found == kFields.end() ? nullptr : &*found;
}

long FieldMinimum(const SettingsField& field) {
    return field.type == FieldType::Integer16 ? std::numeric_limits<std::int16_t>::min()
                                              : std::numeric_limits<std::int32_t>::min();
}

long FieldMaximum(const SettingsField& field) {
    return field.type == FieldType::Integer16 ? std::numeric_limits<std::int16_t>::max()
                                              : std::numeric_limits<std::int32_t>::max();
}

}  // namespace qv::settings
