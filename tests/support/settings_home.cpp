#include "support/settings_home.h"

#include "platform/native_path.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/win32_text.h"
#endif

namespace qv::test {

namespace {

#ifdef _WIN32
// Where the store finds the configuration folder, and the registry key that
// stands in for HKEY_CURRENT_USER.
constexpr const char* kConfigHomeVariable = "APPDATA";
constexpr const char* kRegistryRootVariable = "QVADDIN_REGISTRY_ROOT";
// Every test's key is beneath this one; windows_leg.sh clears it first, so
// that a test program that crashed leaves nothing for the next run.
constexpr const char* kTestsKey = "Software\\qvaddin tests";
#else
constexpr const char* kConfigHomeVariable = "XDG_CONFIG_HOME";
#endif

}  // namespace

SettingsHome::SettingsHome() : folder_(MakeTemporaryFolder("qv-settings")) {
    configHome_ = std::make_unique<ScopedEnvironment>(kConfigHomeVariable, FolderText());
#ifdef _WIN32
    // The folder's random name is unique among the running tests: the key
    // takes it.
    registryRoot_ = std::string(kTestsKey) + "\\" + folder_.filename().string();
    registry_ = std::make_unique<ScopedEnvironment>(kRegistryRootVariable, registryRoot_);
#endif
}

SettingsHome::~SettingsHome() {
    registry_.reset();
    configHome_.reset();
#ifdef _WIN32
    ::RegDeleteTreeW(HKEY_CURRENT_USER, file::WideText(registryRoot_).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, file::WideText(registryRoot_).c_str());
#endif
    RemoveFolder(folder_);
}

std::string SettingsHome::FolderText() const { return file::Utf8Path(folder_); }

}  // namespace qv::test
