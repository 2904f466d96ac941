#pragma once
// A registry-style settings store: company + application name one INI file
// $XDG_CONFIG_HOME/<Company>/<AppName>.conf (~/.config when the variable is
// unset); a section is an INI group; the key "*" is the key's unnamed default
// value, stored under the INI key ".". Multi-line values are stored with each
// CR LF written as backslash + "n".
//
// A missing file, section or key is not an error: reads give the default.

#include <string>
#include <string_view>

namespace qv::settings {

class CRegSettings {
public:
    CRegSettings();

    // Company: default "VB and VBA Program Settings"; set trimmed; an empty
    // text restores the default.
    std::string Company() const { return company_; }
    void SetCompany(std::string_view company);
    // AppName: default the product name of the program; set trimmed; an empty
    // text restores the default.
    std::string AppName() const { return appName_; }
    void SetAppName(std::string_view appName);

    // With a key: deletes that value. With an empty key: deletes the whole
    // section. True when something was deleted and the store was written.
    bool DeleteSetting(std::string_view section, std::string_view key);
    // The stored value, or default when the value is missing or empty of data.
    std::string GetSetting(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // True when the value was written.
    bool SaveSetting(std::string_view section, std::string_view key, std::string_view setting);
    // "Software\<Company>\<AppName>[\<section>]".
    std::string SubKey(std::string_view section) const;

    // The INI file behind the store.
    std::string FilePath() const;

private:
    std::string company_;
    std::string appName_;
};

inline constexpr std::string_view kDefaultCompany = "VB and VBA Program Settings";
inline constexpr std::string_view kProductName = "qvaddin";

// The configuration folder: $XDG_CONFIG_HOME, or ~/.config when it is unset.
std::string ConfigHome();

// The process-wide store of the system's own settings (named at process start).
CRegSettings& SystemStore();

}  // namespace qv::settings
