#include "settings/bad_setting.h"

#include "settings/field_source.h"
#include "settings/reg_settings.h"
#include "settings/settings_fields.h"
#include "settings/store_names.h"

namespace qv::settings {

namespace {

std::optional<BadSetting>& Last() {
    static std::optional<BadSetting> last;
    return last;
}

bool CameFromStore(const SettingsField* field) {
    try {
        return field == nullptr || SourceOf(*field) == FieldSource::Stored;
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

void RememberBadSetting(std::string_view key, std::string_view value, long number) {
    const SettingsField* field = FindSettingsField(key);
    Last() = BadSetting{std::string(key), std::string(value), number, CameFromStore(field),
                        SystemStore().FilePath()};
}

void ForgetBadSetting() { Last().reset(); }

const std::optional<BadSetting>& LastBadSetting() { return Last(); }

std::optional<std::string> DescribeSettingsError(const VbError& error) {
    const std::optional<BadSetting>& bad = Last();
    if (!bad || error.Source().find("AddIn.GetSettings(") == std::string::npos) return {};
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
