#include "settings/reg_settings.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <cstdlib>

#include "platform/text.h"

namespace qv::settings {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The INI key of a registry value name: "*" is the key's default value.
QString ValueKey(std::string_view section, std::string_view key) {
    const QString name = key == "*" ? QStringLiteral(".") : Q(key);
    return section.empty() ? name : Q(section) + QLatin1Char('/') + name;
}

}  // namespace

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config";
}

CRegSettings::CRegSettings() : company_(kDefaultCompany), appName_(kProductName) {}

void CRegSettings::SetCompany(std::string_view company) {
    company = text::Trim(company);
    company_ = company.empty() ? std::string(kDefaultCompany) : std::string(company);
}

void CRegSettings::SetAppName(std::string_view appName) {
    appName = text::Trim(appName);
    appName_ = appName.empty() ? std::string(kProductName) : std::string(appName);
}

std::string CRegSettings::FilePath() const {
    return ConfigHome() + "/" + company_ + "/" + appName_ + ".conf";
}

std::string CRegSettings::SubKey(std::string_view section) const {
    std::string key = "Software\\" + company_ + "\\" + appName_;
    if (!section.empty()) key += "\\" + std::string(section);
    return key;
}

std::string CRegSettings::GetSetting(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    QSettings store(Q(FilePath()), QSettings::NativeFormat);
    const QVariant value = store.value(ValueKey(section, key));
    // A missing value, or one that holds no data, reads as the default.
    if (!value.isValid() || value.isNull()) return std::string(defaultValue);
    const std::string text = value.toString().toStdString();
    return qv::text::ReplaceAll(text, "\\n", "\r\n");
}

bool CRegSettings::SaveSetting(std::string_view section, std::string_view key,
                               std::string_view setting) {
    QSettings store(Q(FilePath()), QSettings::NativeFormat);
    const std::string escaped = qv::text::ReplaceAll(setting, "\r\n", "\\n");
    store.setValue(ValueKey(section, key), QString::fromStdString(escaped));
    store.sync();
    return store.status() == QSettings::NoError;
}

bool CRegSettings::DeleteSetting(std::string_view section, std::string_view key) {
    QSettings store(Q(FilePath()), QSettings::NativeFormat);
    const QString path = key.empty() ? Q(section) : ValueKey(section, key);
    const bool present = key.empty() ? store.childGroups().contains(Q(section))
                                     : store.contains(path);
    if (!present) return false;
    store.remove(path);
    store.sync();
    return store.status() == QSettings::NoError;
}

CRegSettings& SystemStore() {
    static CRegSettings store;
    return store;
}

}  // namespace qv::settings
