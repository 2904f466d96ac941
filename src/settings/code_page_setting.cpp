#include "settings/code_page_setting.h"

#include "settings/reg_settings.h"
#include "settings/settings_fields.h"
#include "settings/store_names.h"

namespace qv::settings {

std::optional<text::CodePage> ParseCodePageSetting(std::string_view value, std::string& problem) {
    if (const auto page = text::CodePage::Named(value)) return page;
    problem = "\"" + std::string(value) +
              "\" is not a code page: give the number of a Windows code page, one of " +
              text::KnownCodePages() + " (65001 is UTF-8), or a name such as shift_jis or gbk";
    return std::nullopt;
}

std::optional<text::CodePage> StoredCodePage(std::string& problem) {
    const SettingsField& field = Field(kCodePageKey);
    const CRegSettings& store = SystemStore();
    const std::string value = store.GetSetting(kSettingsSection, field.key, field.storedDefault);
    std::string why;
    if (const auto page = ParseCodePageSetting(value, why)) return page;
    problem = "the stored setting " + std::string(kCodePageKey) + " in " + store.FilePath() +
              ": " + why + " ('qvaddin settings set " + std::string(kCodePageKey) +
              " 1252' stores a good one)";
    return std::nullopt;
}

}  // namespace qv::settings
