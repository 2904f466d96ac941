#pragma once
// Putting the add-in's buttons on the IDE's command bars and taking them off
// again. With the menu setting "1" each button stands on the bar itself,
// right after its anchor control; otherwise each bar gets one pop-up that
// holds them. Every button gets a click handler, kept alive by the caller.

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/code_host.h"
#include "shell/menu_items.h"

namespace qv::shell {

// A command bar by name, or by index (1 the menu bar, 2 "Standard").
using BarRef = std::variant<std::string, long>;

struct BarPlacement {
    BarRef bar;
    const MenuList* items;
    int anchorId;  // 0: no anchor, the buttons go at the end
};

// The six rows of the placement table, in their order.
std::vector<BarPlacement> MenuPlacements(const MenuLists& lists, bool individualButtons);

// Whether the menu setting asks for individual buttons.
bool IndividualButtons();

using ClickAction = std::function<void(host::CommandBarControl& control)>;
// One click handler per button, held as long as the button should react.
using MenuHandlers = std::vector<std::shared_ptr<host::CommandBarEvents>>;

// Adds the buttons of one list to one bar and one handler per button.
void AddComBar(host::VBE& vbe, const BarRef& bar, const MenuList& items, int anchorId,
               MenuHandlers& handlers, const ClickAction& onClick);

// Deletes every control that AddComBar put on the placement's bars, in the
// arrangement they were added in (the setting may have changed since).
void RemoveMenus(host::VBE& vbe, const MenuLists& lists, bool individualButtons);

host::CommandBar& BarOf(host::VBE& vbe, const BarRef& bar);

// The add-in's button of a verb on the named bar, standing on it or in the
// group pop-up; nullptr when there is none.
host::CommandBarControl* FindAddInButton(host::VBE& vbe, std::string_view barName,
                                         std::string_view verb);

}  // namespace qv::shell
