// The four menu lists: their captions with the hot-key texts, and verbs left
// out while their windows do not exist.

#include <gtest/gtest.h>

#include "shell/command_catalogue.h"
#include "shell/menu_items.h"

namespace qv::shell {
namespace {

HotKeyTable Keys(std::initializer_list<const char*> entries) {
    HotKeyTable keys;
    size_t i = 0;
    for (const char* entry : entries) keys[i++] = settings::ParseHotKey(entry);
    return keys;
}

TEST(MenuItems, CodeWindowCaptionsEndInTheirHotKeys) {
    const MenuLists lists =
        BuildMenuLists(Keys({"E,SC", "l,cs", "T,CSA", "", "W,SC", "F"}), "5.0.5", nullptr);
    ASSERT_EQ(lists.codeWindow.size(), 6u);
    EXPECT_EQ(lists.codeWindow[0],
              (MenuItem{"Add &Error Handling  (Ctrl+Shift+E)", "code add", 1090}));
    EXPECT_EQ(lists.codeWindow[1].caption, "Add &Line Numbers  (Ctrl+Shift+L)");
    EXPECT_EQ(lists.codeWindow[2].caption, "&Tidy Procedure  (Ctrl+Alt+Shift+T)");
    EXPECT_EQ(lists.codeWindow[3].caption, "Close &Windows  (Ctrl+Shift+W)");
    EXPECT_EQ(lists.codeWindow[4].caption, "&Comment ");  // no hot key: the blank stays
    EXPECT_EQ(lists.codeWindow[5].caption, "&Find  (F)");
    EXPECT_EQ(lists.toolBar[0].caption, "F&ull-screen interface for QVAddin V5.0.5");
    EXPECT_EQ(lists.project[0], (MenuItem{"&Check Error Handling", "tool", 343}));
    EXPECT_EQ(lists.moduleFolder[0], (MenuItem{"&Check Error Handling", "check", 1907}));
}

TEST(MenuItems, VerbsWithoutTheirWindowsAreLeftOut) {
    const MenuLists lists = BuildMenuLists(Keys({"E,SC"}), "5.0.5", [](std::string_view verb) {
        return verb != "find" && verb != "tool" && verb != "check";
    });
    EXPECT_EQ(lists.codeWindow.size(), 5u);
    ASSERT_EQ(lists.toolBar.size(), 1u);
    EXPECT_EQ(lists.toolBar[0].parameter, "close windows");
    EXPECT_EQ(lists.moduleFolder.size(), 4u);
    EXPECT_EQ(lists.project.size(), 4u);
}

TEST(MenuItems, EveryButtonRunsACommandOfTheCatalogue) {
    const MenuLists lists = BuildMenuLists(Keys({"E,SC"}), "5.0.5", nullptr);
    for (const MenuList* list :
         {&lists.codeWindow, &lists.toolBar, &lists.moduleFolder, &lists.project}) {
        for (const MenuItem& item : *list) {
            EXPECT_TRUE(CommandOfVerb(item.parameter).has_value()) << item.caption;
        }
    }
}

TEST(MenuItems, AVerbIsOfferedWhenTheProgramHasItsWindow) {
    CommandWindows none;
    CommandWindows find;
    find.showFind = [] {};
    EXPECT_TRUE(Offered(CommandId::CodeAdd, none));
    EXPECT_FALSE(Offered(CommandId::Find, none));
    EXPECT_TRUE(Offered(CommandId::Find, find));
    EXPECT_FALSE(Offered(CommandId::Tool, find));
    EXPECT_FALSE(Offered(CommandId::Check, find));
}

}  // namespace
}  // namespace qv::shell
