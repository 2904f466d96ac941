#pragma once
// The settings the line-number engine reads, at their company defaults, and
// a private settings folder so that the IDE's tab width comes from the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/reg_settings.h"
#include "settings/settings_record.h"

namespace qv::linenumbers::test {

class LineNumberTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-linenumbers-XXXXXX";
        folder_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        saved_ = settings::Settings();
        auto& s = settings::Settings();
        s.ten = 0;
        s.comment = 1;
        s.label1 = "Exit_Routine";
        s.label2 = "Error_Routine";
    }
    void TearDown() override {
        settings::Settings() = saved_;
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder_);
    }
    // Stores the IDE's tab width as the IDE's options page would.
    static void SetIdeTabWidth(const std::string& value) {
        settings::CRegSettings store;
        store.SetCompany("Microsoft");
        store.SetAppName("VBA");
        store.SaveSetting("Microsoft Visual Basic", "TabWidth", value);
    }

private:
    std::string folder_;
    settings::SettingsRecord saved_;
};

}  // namespace qv::linenumbers::test
