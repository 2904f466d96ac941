#pragma once
// Every settings test runs against its own temporary configuration folder
// (XDG_CONFIG_HOME) and the compiled string table; the state before is put
// back afterwards. Header-only, so that other test programs can use it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "settings/bad_setting.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/string_table.h"

namespace qv::test {

class ConfigHomeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The temporary configuration folder.
    std::string Home() const;
    // The system's store file ($XDG_CONFIG_HOME/Brell Vantoke/qvaddin2.conf).
    std::string SystemFile() const;
    // The older location's file (the run time's settings area, qvaddin2).
    std::string OlderFile() const;

    static void WriteFile(const std::string& path, std::string_view bytes);
    // The file's bytes; nothing when it does not exist.
    static std::optional<std::string> ReadFile(const std::string& path);

private:
    std::string dir_;
    std::optional<std::string> savedXdg_;
};

inline void ConfigHomeTest::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qv-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) savedXdg_ = xdg;
    setenv("XDG_CONFIG_HOME", Home().c_str(), 1);
}

inline void ConfigHomeTest::TearDown() {
    if (savedXdg_) {
        setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
}

inline std::string ConfigHomeTest::Home() const { return dir_; }

inline std::string ConfigHomeTest::SystemFile() const {
    return Home() + "/Brell Vantoke/qvaddin2.conf";
}

inline std::string ConfigHomeTest::OlderFile() const {
    return Home() + "/VB and VBA Program Settings/qvaddin2.conf";
}

inline void ConfigHomeTest::WriteFile(const std::string& path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.is_open());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> ConfigHomeTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in.is_open()) return std::nullopt;
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace qv::test
