#include <gtest/gtest.h>

#include <map>

#include "host/memory/memory_vbe.h"
#include "settings/settings_record.h"
#include "shell/window_utilities.h"

namespace qv::shell {
namespace {

using host::memory::MemoryWindow;

class DoHideTest : public ::testing::Test {
protected:
    DoHideTest() {
        // The IDE starts with the main, project, properties and immediate
        // windows; add one visible window of each other type.
        for (int type : {0, 1, 2, 3, 4, 8, 9, 10, 11, 15}) {
            vbe_.AllWindows().Add(type, "window " + std::to_string(type)).SetVisible(true);
        }
        Immediate().SetVisible(true);
    }

    // Which window types are still visible, first window of each type.
    settings::SettingsRecord& Settings() { return settings_; }
    settings::SettingsRecord settings_;

    std::map<int, bool> VisibleByType() {
        std::map<int, bool> visible;
        auto& windows = vbe_.Windows();
        for (long i = 1; i <= windows.Count(); ++i) {
            visible.emplace(windows.Item(i).Type(), windows.Item(i).Visible());
        }
        return visible;
    }

    host::Window& Immediate() {
        auto& windows = vbe_.Windows();
        for (long i = 1; i <= windows.Count(); ++i) {
            if (windows.Item(i).Type() == host::vbext_wt_Immediate) return windows.Item(i);
        }
        throw std::logic_error("no immediate window");
    }

    host::memory::MemoryVbe vbe_;
};

TEST_F(DoHideTest, TheDefaultKeepsTheProjectAndToolWindowsOpen) {
    Settings().forms = "1111110111111110";
    DoHide(vbe_, Settings());
    const std::map<int, bool> expected{{0, false},  {1, false}, {2, false},  {3, false},
                                       {4, false},  {5, false}, {6, true},   {7, false},
                                       {8, false},  {9, false}, {10, false}, {11, false},
                                       {12, false}, {15, true}};
    EXPECT_EQ(VisibleByType(), expected);
}

TEST_F(DoHideTest, HiddenWindowsAreNotTouched) {
    Settings().forms = "1111111111111111";
    Immediate().SetVisible(false);
    DoHide(vbe_, Settings());
    EXPECT_FALSE(static_cast<MemoryWindow&>(Immediate()).Closed());
}

TEST_F(DoHideTest, AShortSettingClosesNothingBeyondItsEnd) {
    Settings().forms = "11";
    DoHide(vbe_, Settings());
    const std::map<int, bool> visible = VisibleByType();
    EXPECT_FALSE(visible.at(0));
    EXPECT_FALSE(visible.at(1));
    for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15}) {
        EXPECT_TRUE(visible.at(type)) << "type " << type;
    }
    Settings().forms.clear();
    EXPECT_NO_THROW(DoHide(vbe_, Settings()));
}

}  // namespace
}  // namespace qv::shell
