#pragma once
// Every settings test runs against its own temporary configuration folder
// (XDG_CONFIG_HOME; on Windows also a registry key of its own) and the
// compiled string table; the state before is put back afterwards.
// Header-only, so that other test programs can use it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/native_path.h"
#include "settings/bad_setting.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/string_table.h"
#include "support/settings_home.h"

namespace qv::test {

class ConfigHomeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The temporary configuration folder.
    std::string Home() const;
    // The system's store file ($XDG_CONFIG_HOME/Brell Vantoke/qvaddin2.conf;
    // on Windows the store is the registry and the file is never made).
    std::string SystemFile() const;
    // Where the system's store is, as its FilePath() names it: the file on
    // Linux, the test's own registry key on Windows.
    std::string SystemStoreLocation() const;

    static void WriteFile(const std::string& path, std::string_view bytes);
    // The file's bytes; nothing when it does not exist.
    static std::optional<std::string> ReadFile(const std::string& path);

private:
    std::unique_ptr<SettingsHome> home_;
};

inline void ConfigHomeTest::SetUp() { home_ = std::make_unique<SettingsHome>(); }

inline void ConfigHomeTest::TearDown() { home_.reset(); }

inline std::string ConfigHomeTest::Home() const { return home_->FolderText(); }

inline std::string ConfigHomeTest::SystemFile() const {
    return Home() + "/Brell Vantoke/qvaddin2.conf";
}

inline std::string ConfigHomeTest::SystemStoreLocation() const {
#ifdef _WIN32
    return "HKEY_CURRENT_USER\\" + home_->RegistryRoot() + "\\Software\\Brell Vantoke\\qvaddin2";
#else
    return SystemFile();
#endif
}

inline void ConfigHomeTest::WriteFile(const std::string& path, std::string_view bytes) {
    const std::filesystem::path target = file::NativePath(path);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.is_open());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> ConfigHomeTest::ReadFile(const std::string& path) {
    std::ifstream in(file::NativePath(path), std::ios::binary | std::ios::ate);
    if (!in.is_open()) return std::nullopt;
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace qv::test
