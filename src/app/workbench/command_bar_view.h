#pragma once
// The host's command bars drawn as Qt menus: the menu bar, the "Standard"
// tool bar and the pop-ups, each drawn afresh from the model, so that
// controls added or deleted at run time show at once. A built-in control
// takes the workbench's own action of its id (or its own menu, by caption);
// a built-in the workbench does not have is left out; a control added at run
// time raises its Click event.

#include <QIcon>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <string_view>

#include "host/code_host.h"

namespace qv::workbench {

class CommandBarView {
  public:
    explicit CommandBarView(host::CommandBars& bars) : bars_(bars) {}

    // The workbench's own action for a built-in control id.
    void SetBuiltIn(int id, QAction* action) { builtIns_[id] = action; }
    // The workbench's own menu for a built-in menu-bar caption ("&File").
    void SetMenu(const QString& caption, QMenu* menu) { menus_[caption] = menu; }

    void DrawMenuBar(QMenuBar& menuBar) const;
    void DrawToolBar(QToolBar& toolBar) const;
    // Fills the menu with the controls of the named bar.
    void FillPopup(QMenu& menu, std::string_view barName) const;

  private:
    void AddControl(QWidget& target, host::CommandBarControl& control, bool withIcon) const;

    host::CommandBars& bars_;
    QMap<int, QAction*> builtIns_;
    QMap<QString, QMenu*> menus_;
};

// The icon drawn for a button image number (a null icon when none fits).
QIcon FaceIdIcon(int faceId);

}  // namespace qv::workbench
