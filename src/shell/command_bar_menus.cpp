#include "shell/command_bar_menus.h"

#include "platform/vb_error.h"
#include "settings/settings_operations.h"

namespace qv::shell {

namespace {

constexpr long kMenuBarIndex = 1;
constexpr long kStandardBarIndex = 2;

// The anchor's position on the bar, 0 when no control has that id.
long AnchorPosition(host::CommandBarControls& controls, int anchorId) {
    if (anchorId == 0) return 0;
    for (long i = 1; i <= controls.Count(); ++i) {
        if (controls.Item(i).Id() == anchorId) return i;
    }
    return 0;
}

void SetUp(host::CommandBarControl& button, const MenuItem& item) {
    button.SetCaption(item.caption);
    button.SetParameter(item.parameter);
    button.SetFaceId(item.faceId);
}

// The handler of one button, found again by its caption as the IDE wants.
void AddHandler(host::VBE& vbe, host::CommandBarControls& controls, const MenuItem& item,
                MenuHandlers& handlers, const ClickAction& onClick) {
    host::CommandBarControl& button = controls.Item(item.caption);
    auto source = vbe.Events().CommandBarEvents(button);
    source->OnClick([onClick](host::CommandBarControl& control, bool& handled, bool&) {
        onClick(control);
        handled = true;
    });
    handlers.push_back(std::move(source));
}

bool IsItemOf(host::CommandBarControl& control, const MenuList& items) {
    for (const MenuItem& item : items) {
        if (control.Caption() == item.caption && control.Parameter() == item.parameter) return true;
    }
    return false;
}

void RemoveFromBar(host::CommandBarControls& controls, const MenuList& items, bool individual) {
    for (long i = controls.Count(); i >= 1; --i) {
        host::CommandBarControl& control = controls.Item(i);
        const bool ours = individual ? IsItemOf(control, items)
                                     : control.Type() == host::msoControlPopup &&
                                           control.Caption() == kGroupCaption;
        if (ours) control.Delete();
    }
}

}  // namespace

std::vector<BarPlacement> MenuPlacements(const MenuLists& lists, bool individualButtons) {
    return {
        {std::string("Code Window"), &lists.codeWindow, 32805},
        {individualButtons ? kStandardBarIndex : kMenuBarIndex, &lists.toolBar,
         individualButtons ? 548 : 0},
        {std::string("Project Window Form Folder"), &lists.moduleFolder, 222},
        {std::string("Project Window Module/Class Folder"), &lists.moduleFolder, 222},
        {std::string("Project Window Project"), &lists.project, 2578},
        {std::string("Project Window"), &lists.project, 2578},
    };
}

bool IndividualButtons() {
    return settings::GetMySetting("menu", 9) == "1";
}

host::CommandBar& BarOf(host::VBE& vbe, const BarRef& bar) {
    if (const auto* name = std::get_if<std::string>(&bar)) return vbe.CommandBars().Item(*name);
    return vbe.CommandBars().Item(std::get<long>(bar));
}

void AddComBar(host::VBE& vbe, const BarRef& bar, const MenuList& items, int anchorId,
               MenuHandlers& handlers, const ClickAction& onClick) try {
    host::CommandBarControls& barControls = BarOf(vbe, bar).Controls();
    const long anchor = AnchorPosition(barControls, anchorId);
    const int before = anchor > 0 ? static_cast<int>(anchor + 1) : 0;
    if (!IndividualButtons()) {
        host::CommandBarControl& popup =
            barControls.Add(host::msoControlPopup, 1, {}, before, true);
        popup.SetCaption(kGroupCaption);
        host::CommandBarControls& inner = *popup.Controls();
        for (const MenuItem& item : items) {
            SetUp(inner.Add(host::msoControlButton, 1, item.parameter, 0, true), item);
            AddHandler(vbe, inner, item, handlers, onClick);
        }
        return;
    }
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        SetUp(barControls.Add(host::msoControlButton, 1, item->parameter, before, true), *item);
    }
    for (const MenuItem& item : items) AddHandler(vbe, barControls, item, handlers, onClick);
}
QV_PASS_UP("CommonCode", "AddComBar")

void RemoveMenus(host::VBE& vbe, const MenuLists& lists, bool individual) try {
    for (const BarPlacement& placement : MenuPlacements(lists, individual)) {
        RemoveFromBar(BarOf(vbe, placement.bar).Controls(), *placement.items, individual);
    }
}
QV_PASS_UP("CommonCode", "RemoveMenus")

host::CommandBarControl* FindAddInButton(host::VBE& vbe, std::string_view barName,
                                         std::string_view verb) {
    host::CommandBarControls& controls = vbe.CommandBars().Item(barName).Controls();
    for (long i = 1; i <= controls.Count(); ++i) {
        host::CommandBarControl& control = controls.Item(i);
        if (control.Parameter() == verb) return &control;
        if (control.Type() == host::msoControlPopup && control.Caption() == kGroupCaption) {
            host::CommandBarControls& inner = *control.Controls();
            for (long j = 1; j <= inner.Count(); ++j) {
                if (inner.Item(j).Parameter() == verb) return &inner.Item(j);
            }
        }
    }
    return nullptr;
}

}  // namespace qv::shell
