#include "app/workbench/command_bar_view.h"

#include <QApplication>
#include <QStyle>

#include "app/workbench/code_text.h"
#include "host/host_constants.h"
#include "host/memory/memory_command_bars.h"

namespace qv::workbench {

namespace {

constexpr long kMenuBar = 1;
constexpr long kStandardBar = 2;

bool IsBuiltIn(host::CommandBarControl& control) {
    auto* memory = dynamic_cast<host::memory::MemoryCommandBarControl*>(&control);
    return memory != nullptr && !memory->Temporary();
}

// A caption's text as Qt draws it: "&" marks the access key in both. The
// captions are the IDE's and the add-in's own, in the IDE's code page.
QString CaptionText(host::CommandBarControl& control) {
    return DecodeCode(control.Caption(), text::CodePage::Windows1252());
}

// Takes the actions and menus of the last drawing away.
void ClearDrawn(QWidget& target) {
    for (QAction* action : target.actions()) {
        if (action->parent() == &target) action->deleteLater();
    }
    for (QMenu* menu : target.findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        menu->deleteLater();
    }
}

}  // namespace

QIcon FaceIdIcon(int faceId) {
    QStyle* style = QApplication::style();
    switch (faceId) {
        case 1090:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);  // error handling
        case 11:
            return style->standardIcon(QStyle::SP_FileDialogDetailedView);  // line numbers
        case 2138:
            return style->standardIcon(QStyle::SP_FileDialogListView);  // tidy
        case 1670:
            return style->standardIcon(QStyle::SP_TitleBarCloseButton);  // close windows
        case 938:
            return style->standardIcon(QStyle::SP_FileDialogInfoView);  // comment
        case 25:
            return style->standardIcon(QStyle::SP_FileDialogContentsView);  // find
        case 343:
        case 1907:
            return style->standardIcon(QStyle::SP_DialogApplyButton);
        default:
            return {};
    }
}

void CommandBarView::AddControl(QWidget& target, host::CommandBarControl& control,
                                bool withIcon) const {
    if (IsBuiltIn(control)) {
        if (QAction* own = builtIns_.value(control.Id())) target.addAction(own);
        return;
    }
    if (control.Type() == host::msoControlPopup && control.Controls() != nullptr) {
        auto* popup = new QMenu(CaptionText(control), &target);
        host::CommandBarControls* inner = control.Controls();
        for (long i = 1; i <= inner->Count(); ++i) AddControl(*popup, inner->Item(i), true);
        target.addAction(popup->menuAction());
        return;
    }
    auto* action = new QAction(CaptionText(control), &target);
    if (withIcon) action->setIcon(FaceIdIcon(control.FaceId()));
    action->setToolTip(QString(CaptionText(control)).remove(u'&'));
    // The bars are drawn again whenever controls are added or deleted, so
    // the control outlives its action.
    host::CommandBarControl* clicked = &control;
    QObject::connect(action, &QAction::triggered, action, [clicked] { clicked->Execute(); });
    target.addAction(action);
}

void CommandBarView::DrawMenuBar(QMenuBar& menuBar) const {
    ClearDrawn(menuBar);
    menuBar.clear();
    host::CommandBarControls& controls = bars_.Item(kMenuBar).Controls();
    for (long i = 1; i <= controls.Count(); ++i) {
        host::CommandBarControl& control = controls.Item(i);
        if (IsBuiltIn(control)) {
            if (QMenu* own = menus_.value(CaptionText(control))) menuBar.addMenu(own);
            continue;
        }
        AddControl(menuBar, control, false);
    }
}

void CommandBarView::DrawToolBar(QToolBar& toolBar) const {
    ClearDrawn(toolBar);
    toolBar.clear();
    host::CommandBarControls& controls = bars_.Item(kStandardBar).Controls();
    for (long i = 1; i <= controls.Count(); ++i) AddControl(toolBar, controls.Item(i), true);
}

void CommandBarView::FillPopup(QMenu& menu, std::string_view barName) const {
    ClearDrawn(menu);
    menu.clear();
    host::CommandBarControls& controls = bars_.Item(barName).Controls();
    for (long i = 1; i <= controls.Count(); ++i) AddControl(menu, controls.Item(i), true);
}

}  // namespace qv::workbench
