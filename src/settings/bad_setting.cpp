#include "settings/bad_setting.h"

#include "settings/field_source.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_fields.h"
#include "settings/store_names.h"

namespace qv::settings {

namespace {

bool CameFromStore(const SettingsField& field) {
    try {
        return SourceOf(field) == FieldSource::Stored;
    } catch (...) {
        return true;
    }
}

std::string Problem(const BadSetting& bad, const SettingsField* field) {
    if (bad.number != err::kOverflow) return "which is not a whole number";
    if (field == nullptr) return "which is out of range";
    return "which is out of range (" + std::to_string(FieldMinimum(*field)) + " to " +
           std::to_string(FieldMaximum(*field)) + ")";
}

}  // namespace

std::optional<BadSetting> FindBadSetting() {
    try {
        SettingsRecord scratch;
        for (const SettingsField& field : SettingsFields()) {
            if (field.type == FieldType::Text || field.layer == FieldLayer::Run) continue;
            const std::string value = StoredFieldText(field);
            try {
                field.Assign(scratch, value);
            } catch (const VbError& e) {
                return BadSetting{std::string(field.key), value, e.Number(), CameFromStore(field),
                                  SystemStore().FilePath()};
            }
        }
    } catch (...) {
        // A store that cannot be read names no setting.
    }
    return std::nullopt;
}

std::optional<std::string> DescribeSettingsError(const VbError& error) {
    if (error.Source().find("AddIn.GetSettings(") == std::string::npos) return {};
    const std::optional<BadSetting> bad = FindBadSetting();
    if (!bad) return {};
    const SettingsField* field = FindSettingsField(bad->key);
    if (!bad->stored) {
        const int entry = field != nullptr ? field->companyEntry : 0;
        return "the company default of \"" + bad->key + "\" (string-table entry " +
               std::to_string(entry) + ") is \"" + bad->value + "\", " + Problem(*bad, field) +
               "; correct it in company_defaults.txt and rebuild";
    }
    const std::string example = field != nullptr ? std::string(field->example) : "0";
    return "the setting \"" + bad->key + "\" in section [" + std::string(kSettingsSection) +
           "] of " + bad->file + " is \"" + bad->value + "\", " + Problem(*bad, field) +
           "; store a number with 'qvaddin settings set " + bad->key + " " + example +
           "', or restore every default with 'qvaddin settings reset'";
}

}  // namespace qv::settings
