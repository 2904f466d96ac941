#include "settings/upgrade_settings.h"

#include "platform/text.h"
#include "platform/vb_error.h"
#include "platform/vb_strings.h"
#include "settings/built_in_templates.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"

namespace qv::settings {

namespace {

// The run time's own settings area, where the older version kept its marker.
CRegSettings OlderStore() {
    CRegSettings older;
    older.SetAppName(kOlderAppName);
    return older;
}

// A whole number, perhaps signed and with spaces around it.
bool IsNumericPart(std::string_view part) {
    part = text::Trim(part);
    if (!part.empty() && (part.front() == '+' || part.front() == '-')) part.remove_prefix(1);
    if (part.empty()) return false;
    for (const char c : part) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// At least four digits, leading zeros added ("-1" gives "-0001").
std::string FourDigits(std::string_view part) {
    part = text::Trim(part);
    std::string sign;
    if (part.front() == '+' || part.front() == '-') {
        if (part.front() == '-') sign = "-";
        part.remove_prefix(1);
    }
    while (part.size() > 1 && part.front() == '0') part.remove_prefix(1);
    if (part == "0") sign.clear();
    return sign + std::string(part.size() < 4 ? 4 - part.size() : 0, '0') + std::string(part);
}

std::string RunningVersionKey() {
    const ProgramVersion v = RunningVersion();
    return FourDigits(std::to_string(v.major)) + FourDigits(std::to_string(v.minor)) +
           FourDigits(std::to_string(v.revision));
}

void SetAndStore(std::string& field, std::string_view key, std::string value) {
    IgnoringErrors([&] {
        field = std::move(value);
        SystemStore().SaveSetting(kSettingsSection, key, field);
    });
}

// The first matching row only.
void UpgradeFrom(const std::string& key) {
    SettingsRecord r;
    if (key < "000400030000") {
        IgnoringErrors([] { DefaultSettings(); });
    } else if (key < "000400040000") {
        SetAndStore(r.add6, "add6", builtin::Add6WithoutModule());
        SetAndStore(r.omit, "omit", builtin::Omit());
        SetAndStore(r.add2a, "add2a", std::string(builtin::kAdd2a));
    } else if (key < "000400040001") {
        SetAndStore(r.add2a, "add2a", std::string(builtin::kAdd2a));
    } else if (key < "000500000000") {
        SetAndStore(r.label1, "label1", std::string(builtin::kLabel1));
        SetAndStore(r.label2, "label2", std::string(builtin::kLabel2));
    }
}

}  // namespace

ProgramVersion RunningVersion() {
    return {QV_VERSION_MAJOR, QV_VERSION_MINOR, QV_VERSION_PATCH};
}

std::string VersionText(const ProgramVersion& version) {
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

std::string VersionKey(std::string_view version) {
    const std::vector<std::string> parts = vb5stuff::Split(version, ".");
    if (parts.size() != 3) return {};
    for (const std::string& part : parts) {
        if (!IsNumericPart(part)) return RunningVersionKey();
    }
    return FourDigits(parts[0]) + FourDigits(parts[1]) + FourDigits(parts[2]);
}

void UpgradeSettings() noexcept {
    std::string version;
    IgnoringErrors([&] { version = OlderStore().GetSetting(kOlderSection, kOlderVersionKey, ""); });
    if (version.empty()) {
        IgnoringErrors([&] { version = SystemStore().GetSetting(kVersionSection, "", ""); });
    }
    std::string key;
    IgnoringErrors([&] { key = VersionKey(version); });
    IgnoringErrors([&] { UpgradeFrom(key); });
    IgnoringErrors([] {
        CRegSettings older = OlderStore();
        if (older.HasValues(kOlderSection)) older.DeleteSetting(kOlderSection, "");
    });
    IgnoringErrors([] {
        SystemStore().SaveSetting(kVersionSection, "", VersionText(RunningVersion()));
    });
}

}  // namespace qv::settings
