#include "shell/process_start.h"

#include <optional>

#include "platform/vb_error.h"
#include "settings/profile_file.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"
#include "settings/upgrade_settings.h"

namespace qv::shell {

namespace {

// The list with the previous generation's key gone and the add-in's key
// "1"; with keepUnloaded, a "0" the user chose stays.
std::string Registered(std::string_view content, bool keepUnloaded = false) {
    const std::optional<std::string> now =
        settings::ReadProfileKey(content, kAddInListSection, kAddInKey);
    const char* value = keepUnloaded && now == "0" ? "0" : "1";
    return settings::WriteProfileKey(
        settings::DeleteProfileKey(content, kAddInListSection, kPreviousAddInKey),
        kAddInListSection, kAddInKey, value);
}

bool HoldsPreviousEntry(std::string_view content) {
    return settings::DeleteProfileKey(content, kAddInListSection, kPreviousAddInKey) != content;
}

}  // namespace

std::string AddInListPath() {
    return settings::ConfigHome() + "/" + std::string(kAddInListFolder) + "/" +
           std::string(kAddInListFileName);
}

Registration RegisterAddIn() try {
    Registration result;
    result.fileWritten = settings::EditProfileFile(AddInListPath(), [&](std::string_view content) {
        result.previousEntryRemoved = HoldsPreviousEntry(content);
        return Registered(content);
    });
    return result;
} QV_PASS_UP("modMain", "RegisterAddIn")

Registration RegisterAddInAtStart() try {
    Registration result;
    result.fileWritten = settings::EditProfileFile(AddInListPath(), [&](std::string_view content) {
        result.previousEntryRemoved = HoldsPreviousEntry(content);
        return Registered(content, true);
    });
    return result;
} QV_PASS_UP("modMain", "RegisterAddInAtStart")

Registration RegistrationPreview() try {
    Registration result;
    const std::string content = settings::ReadProfileFile(AddInListPath());
    result.previousEntryRemoved = HoldsPreviousEntry(content);
    result.fileWritten = Registered(content) != content;
    return result;
} QV_PASS_UP("modMain", "RegistrationPreview")

void SubMain() noexcept {
    IgnoringErrors(RegisterAddInAtStart);
    settings::UpgradeSettings();
}

void CommandLineStart() noexcept {
    settings::UpgradeSettings();
}

}  // namespace qv::shell
