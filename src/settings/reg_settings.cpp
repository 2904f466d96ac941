#include "settings/reg_settings.h"

#include "platform/text.h"
#include "settings/store_names.h"

namespace qv::settings {

CRegSettings::CRegSettings()
    : company_(kDefaultCompany), appName_(kProductName), folder_(ConfigHome()) {}

void CRegSettings::SetCompany(std::string_view company) {
    company = text::Trim(company);
    company_ = company.empty() ? std::string(kDefaultCompany) : std::string(company);
    cache_.reset();
}

void CRegSettings::SetAppName(std::string_view appName) {
    appName = text::Trim(appName);
    appName_ = appName.empty() ? std::string(kProductName) : std::string(appName);
    cache_.reset();
}

std::string CRegSettings::SubKey(std::string_view section) const {
    std::string key = "Software\\" + company_ + "\\" + appName_;
    if (!section.empty()) key += "\\" + std::string(section);
    return key;
}

CRegSettings SystemStore() {
    CRegSettings store;
    store.SetCompany(kSystemCompany);
    store.SetAppName(kSystemAppName);
    return store;
}

}  // namespace qv::settings
