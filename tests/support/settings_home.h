#pragma once
// Settings of the test's own, so that no test reads or writes the user's:
// a temporary configuration folder (XDG_CONFIG_HOME; APPDATA on Windows)
// and, on Windows, where the store is the registry, a registry key of its
// own under HKEY_CURRENT_USER (QVADDIN_REGISTRY_ROOT) that stands in for
// HKEY_CURRENT_USER. Both are removed at the end and the variables put back.

#include <filesystem>
#include <memory>
#include <string>

#include "support/environment.h"

namespace qv::test {

class SettingsHome {
  public:
    SettingsHome();
    ~SettingsHome();
    SettingsHome(const SettingsHome&) = delete;
    SettingsHome& operator=(const SettingsHome&) = delete;

    // The configuration folder, as a path and as UTF-8 text.
    const std::filesystem::path& Folder() const { return folder_; }
    std::string FolderText() const;
    // On Windows the key (under HKEY_CURRENT_USER) that holds this test's
    // Software\...; empty elsewhere.
    const std::string& RegistryRoot() const { return registryRoot_; }

  private:
    std::filesystem::path folder_;
    std::string registryRoot_;
    std::unique_ptr<ScopedEnvironment> configHome_;
    std::unique_ptr<ScopedEnvironment> registry_;
};

}  // namespace qv::test
