#include "ui/busy_guard.h"

#include "platform/error_state.h"
#include "platform/vb_error.h"

namespace qv::ui {

BusyGuard::BusyGuard(QWidget* focusControl, QWidget* activeControl,
                     std::function<void()> onRelease) try
    : activeControl_(activeControl), onRelease_(std::move(onRelease)) {
    if (focusControl == nullptr) Raise(err::kObjectRequired);
    QWidget* window = focusControl->window();
    window_ = window;
    wasEnabled_ = window->isEnabled();
    window->setEnabled(false);
    pointer_.Hourglass();
}
QV_PASS_UP("clsFormEnable", "DisableViaFocus")

BusyGuard::~BusyGuard() {
    const ErrorRecord pending = Err();
    IgnoringErrors([this] { Release(); });
    Err() = pending;
}

void BusyGuard::Release() {
    if (QWidget* window = window_.data()) window->setEnabled(wasEnabled_);
    // Disabling the window took the focus away from its control.
    QWidget* control = activeControl_.data();
    if (control != nullptr && control->isEnabled() && control->isVisible()) {
        control->setFocus(Qt::OtherFocusReason);
    }
    if (onRelease_) onRelease_();
}

}  // namespace qv::ui
