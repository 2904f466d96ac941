#include "shell/process_start.h"

#include "platform/vb_error.h"
#include "settings/profile_file.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"
#include "settings/upgrade_settings.h"

namespace qv::shell {

namespace {

void NameSystemStore() {
    settings::CRegSettings& store = settings::SystemStore();
    store.SetCompany(settings::kSystemCompany);
    store.SetAppName(settings::kSystemAppName);
}

std::string Registered(std::string_view content) {
    return settings::WriteProfileKey(
        settings::DeleteProfileKey(content, kAddInListSection, kPreviousAddInKey),
        kAddInListSection, kAddInKey, "1");
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

Registration RegistrationPreview() try {
    Registration result;
    const std::string content = settings::ReadProfileFile(AddInListPath());
    result.previousEntryRemoved = HoldsPreviousEntry(content);
    result.fileWritten = Registered(content) != content;
    return result;
} QV_PASS_UP("modMain", "RegistrationPreview")

void SubMain() noexcept {
    IgnoringErrors(NameSystemStore);
    IgnoringErrors(RegisterAddIn);
    settings::UpgradeSettings();
}

void CommandLineStart() noexcept {
    IgnoringErrors(NameSystemStore);
    settings::UpgradeSettings();
}

}  // namespace qv::shell
