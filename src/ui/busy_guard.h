#pragma once
// A guard for the length of a command in a window: the window is disabled
// (so the user cannot start a second command meanwhile) and the pointer shows
// the hourglass. On release the window's enabled state comes back, the focus
// returns to the control that had it, and the window's own clean-up runs
// (the main window hides its progress bars there).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/mouse_pointer_guard.h"

namespace qv::ui {

class BusyGuard {
  public:
    // The window is focusControl's window; activeControl is the control that
    // has the focus now (may be null). onRelease runs after the window is
    // enabled again and before the hourglass ends.
    BusyGuard(QWidget* focusControl, QWidget* activeControl, std::function<void()> onRelease = {});
    // An error that a trap has caught and not yet reported survives the
    // release unchanged; a failing onRelease is ignored.
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    void Release();

    QPointer<QWidget> window_;
    QPointer<QWidget> activeControl_;
    bool wasEnabled_ = true;
    std::function<void()> onRelease_;
    MousePointerGuard pointer_;  // declared last: the hourglass ends last
};

}  // namespace qv::ui
