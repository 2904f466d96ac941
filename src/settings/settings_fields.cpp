#include "settings/settings_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "host/host_constants.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/built_in_templates.h"
#include "settings/code_page_setting.h"
#include "settings/integer_text.h"
#include "settings/string_table.h"

namespace qv::settings {

namespace {

using R = SettingsRecord;
using T = FieldType;
using L = FieldLayer;
using C = FieldCheck;

constexpr long DecimalValue(std::string_view digits) {
    long value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}
static_assert(DecimalValue(kLargestModuleDefault) == host::kDefaultLargestModuleMb,
              "the stored default of modulemb is the host's default");
static_assert(DecimalValue(kDefaultCodePage) == text::CodePage::Windows1252().Number(),
              "the stored default of codePage is the record's");

constexpr std::string_view kZeroOrOne = "0 or 1";

// A template field: text from the store over the first start's templates.
constexpr SettingsField TemplateField(std::string_view key, std::string_view meaning,
                                      std::string SettingsRecord::*member, C check) {
    return {key, T::Text, L::Template, 0, "", "", meaning, member, check};
}

const std::array<SettingsField, 20> kFields = {{
    {"menu", T::Integer16, L::Company, kMenuEntry, "", "1",
     "1 = each command its own pop-up menu entry, 0 = one grouped menu", &R::menu, C::Range, 0, 1,
     kZeroOrOne},
    {"select", T::Integer16, L::Company, kSelectEntry, "", "1",
     "non-zero = Case lines one level deeper inside Select Case", &R::select, C::Range, 0, 1,
     kZeroOrOne},
    {"insert", T::Text, L::Company, kInsertEntry, "", "' %d %u:",
     "comment stamp text (%u user, %d date, %t date and time)", &R::insert, C::Stamp},
    {"comment", T::Integer32, L::Company, kCommentEntry, "", "1",
     "comment indentation: 0 leave, 1 with code, 2 keep column 1, 3 move to column 1",
     &R::comment, C::Range, 0, 3, "0, 1, 2 or 3"},
    {"forms", T::Text, L::Stored, 0, builtin::kForms, builtin::kForms,
     "IDE window types Close Windows closes, one flag per type", &R::forms, C::Flags},
    {"header", T::Integer16, L::Stored, 0, "1", "1",
     "non-zero = module-wide tidy and numbering re-lay procedure headers", &R::header, C::Range, 0,
     1, kZeroOrOne},
    {"ten", T::Integer16, L::Stored, 0, "0", "0", "non-zero = line numbers in steps of 10", &R::ten,
     C::Range, 0, 1, kZeroOrOne},
    TemplateField("add0", "top of a routine, above the On Error line", &R::add0, C::Template),
    TemplateField("add1", "top of a routine, below the On Error line", &R::add1, C::Template),
    TemplateField("add2", "normal exit text", &R::add2, C::Template),
    TemplateField("add2a", "normal exit text in MTS components", &R::add2a, C::Template),
    TemplateField("add3", "error exit of top-level routines", &R::add3, C::Template),
    TemplateField("add4", "error exit of called routines", &R::add4, C::Template),
    TemplateField("add5", "error exit of user controls", &R::add5, C::Template),
    TemplateField("add6", "error exit of MTS components", &R::add6, C::Template),
    TemplateField("omit", "routines that never get error handling, one per line", &R::omit,
                  C::Template),
    TemplateField("label1", "label of the normal exit", &R::label1, C::Label),
    TemplateField("label2", "label of the error exit", &R::label2, C::Label),
    {"modulemb", T::Integer32, L::Stored, 0, kLargestModuleDefault, kLargestModuleDefault,
     "largest module file read, in MB; a bigger one is refused unread", &R::modulemb, C::Range, 1,
     2047, "a whole number of MB from 1 to 2047"},
    {kCodePageKey, T::CodePage, L::Run, 0, kDefaultCodePage, kDefaultCodePage,
     "the code page the VB files are written in", &R::codePage, C::CodePage},
}};

}  // namespace

std::string SettingsField::value(const SettingsRecord& record) const {
    return std::visit(
        [&record](auto pointer) -> std::string {
            const auto& field = record.*pointer;
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                return field;
            } else if constexpr (std::is_same_v<Field, text::CodePage>) {
                return std::to_string(field.Number());
            } else {
                return std::to_string(field);
            }
        },
        member);
}

void SettingsField::Assign(SettingsRecord& record, std::string_view text) const {
    std::visit(
        [&record, text](auto pointer) {
            auto& field = record.*pointer;
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                field = std::string(text);
            } else if constexpr (std::is_same_v<Field, text::CodePage>) {
                field = text::CodePage::Named(text).value_or(field);
            } else if constexpr (std::is_same_v<Field, short>) {
                field = ToInteger16(text);
            } else {
                field = ToInteger32(text);
            }
        },
        member);
}

std::span<const SettingsField> SettingsFields() { return kFields; }

const SettingsField* FindSettingsField(std::string_view key) {
    const auto found = std::find_if(kFields.begin(), kFields.end(), [key](const SettingsField& f) {
        return text::EqualsIgnoreCase(f.key, key);
    });
    return found == kFields.end() ? nullptr : &*found;
}

const SettingsField& Field(std::string_view key) {
    for (const SettingsField& field : kFields) {
        if (field.key == key) return field;
    }
    Raise(err::kInvalidProcedureCall, "No setting " + std::string(key));
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
