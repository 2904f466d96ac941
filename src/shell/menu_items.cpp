#include "shell/menu_items.h"

#include <algorithm>

#include "settings/upgrade_settings.h"

namespace qv::shell {

namespace {

MenuList Offered(MenuList items, const VerbFilter& offered) {
    if (!offered) return items;
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const MenuItem& item) { return !offered(item.parameter); }),
                items.end());
    return items;
}

}  // namespace

const HotKeyTable& ProcessHotKeys() {
    static const HotKeyTable table = [] {
        HotKeyTable keys;
        for (int i = 0; i < kHotKeyCount; ++i) keys[static_cast<size_t>(i)] = settings::HotKeyFromTable(i);
        return keys;
    }();
    return table;
}

MenuLists BuildMenuLists(const HotKeyTable& hotKeys, std::string_view versionText,
                         const VerbFilter& offered) {
    auto withKey = [&](std::string caption, int index) {
        return caption + hotKeys[static_cast<size_t>(index)].caption;
    };
    MenuLists lists;
    lists.codeWindow = Offered({{withKey("Add &Error Handling ", 0), "code add", 1090},
                                {withKey("Add &Line Numbers ", 1), "code line", 11},
                                {withKey("&Tidy Procedure ", 2), "code tidy", 2138},
                                {withKey("Close &Windows ", 4), "close windows", 1670},
                                {withKey("&Comment ", 3), "code comment", 938},
                                {withKey("&Find ", 5), "find", 25}},
                               offered);
    lists.toolBar =
        Offered({{"F&ull-screen interface for QVAddin V" + std::string(versionText), "tool", 343},
                 {"Close &Windows", "close windows", 1670},
                 {"&Find", "find", 25}},
                offered);
    lists.moduleFolder = Offered({{"&Check Error Handling", "check", 1907},
                                  {"Close &Windows", "close windows", 1670},
                                  {"Add &Error Handling to Module", "module add", 1090},
                                  {"Add &Line Numbers to Module", "module line", 11},
                                  {"&Tidy Procedures in Module", "module tidy", 2138}},
                                 offered);
    lists.project = Offered({{"&Check Error Handling", "tool", 343},
                             {"Close &Windows", "close windows", 1670},
                             {"Add &Error Handling to Project", "project add", 1090},
                             {"Add &Line Numbers to Project", "project line", 11},
                             {"&Tidy Procedures in Project", "project tidy", 2138}},
                            offered);
    return lists;
}

}  // namespace qv::shell
