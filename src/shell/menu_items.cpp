#include "shell/menu_items.h"

#include <algorithm>

#include "settings/upgrade_settings.h"
#include "shell/command_catalogue.h"

namespace qv::shell {

namespace {

// A button of a command: its verb is the catalogue's.
MenuItem Item(std::string caption, CommandId id, int faceId) {
    return {std::move(caption), std::string(Info(id).verb), faceId};
}

MenuList OfferedItems(MenuList items, const VerbFilter& offered) {
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
        for (int i = 0; i < kHotKeyCount; ++i)
            keys[static_cast<size_t>(i)] = settings::HotKeyFromTable(i);
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
    lists.codeWindow =
        OfferedItems({Item(withKey("Add &Error Handling ", 0), CommandId::CodeAdd, 1090),
                      Item(withKey("Add &Line Numbers ", 1), CommandId::CodeLine, 11),
                      Item(withKey("&Tidy Procedure ", 2), CommandId::CodeTidy, 2138),
                      Item(withKey("Close &Windows ", 4), CommandId::CloseWindows, 1670),
                      Item(withKey("&Comment ", 3), CommandId::CodeComment, 938),
                      Item(withKey("&Find ", 5), CommandId::Find, 25)},
                     offered);
    lists.toolBar = OfferedItems(
        {Item("F&ull-screen interface for QVAddin V" + std::string(versionText), CommandId::Tool,
              343),
         Item("Close &Windows", CommandId::CloseWindows, 1670), Item("&Find", CommandId::Find, 25)},
        offered);
    lists.moduleFolder =
        OfferedItems({Item("&Check Error Handling", CommandId::Check, 1907),
                      Item("Close &Windows", CommandId::CloseWindows, 1670),
                      Item("Add &Error Handling to Module", CommandId::ModuleAdd, 1090),
                      Item("Add &Line Numbers to Module", CommandId::ModuleLine, 11),
                      Item("&Tidy Procedures in Module", CommandId::ModuleTidy, 2138)},
                     offered);
    lists.project =
        OfferedItems({Item("&Check Error Handling", CommandId::Tool, 343),
                      Item("Close &Windows", CommandId::CloseWindows, 1670),
                      Item("Add &Error Handling to Project", CommandId::ProjectAdd, 1090),
                      Item("Add &Line Numbers to Project", CommandId::ProjectLine, 11),
                      Item("&Tidy Procedures in Project", CommandId::ProjectTidy, 2138)},
                     offered);
    return lists;
}

}  // namespace qv::shell
