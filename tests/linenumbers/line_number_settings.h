#pragma once
// The settings the line-number engine reads, at their company defaults, and
// a private settings folder so that the IDE's tab width comes from the test.

#include <gtest/gtest.h>

#include <string>

#include "settings/config_home_fixture.h"
#include "settings/reg_settings.h"
#include "settings/settings_record.h"

namespace qv::linenumbers::test {

class LineNumberTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        auto& s = settings_;
        s.ten = 0;
        s.comment = 1;
        s.label1 = "Exit_Routine";
        s.label2 = "Error_Routine";
    }
    // The run's settings the tests hand to the engines.
    settings::SettingsRecord& Settings() { return settings_; }
    settings::SettingsRecord settings_;

    // Stores the IDE's tab width as the IDE's options page would.
    static void SetIdeTabWidth(const std::string& value) {
        settings::CRegSettings store;
        store.SetCompany("Microsoft");
        store.SetAppName("VBA");
        store.SaveSetting("Microsoft Visual Basic", "TabWidth", value);
    }
};

}  // namespace qv::linenumbers::test
