#pragma once
// The host's message-box flag word (buttons, icon, default button, modality)
// read as a Qt message box, and the button pressed as the host's answer
// number.

#include <QList>
#include <QMessageBox>

namespace qv::ui {

// Button sets and answers in the host's numbering, beside the flags that
// platform/services.h already names.
namespace vb_box {
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kRetryCancel = 5;
inline constexpr int kDefaultButton3 = 512;
inline constexpr int kDefaultButton4 = 768;
inline constexpr int kTopmost = 0x40000;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
}  // namespace vb_box

struct MessageBoxLayout {
    QList<QMessageBox::StandardButton> buttons;  // in the order shown
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // What closing the box answers (a time-out, Escape, the close button).
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    bool stayOnTop = false;  // system-modal and topmost boxes stay above other windows
};

// Unknown button sets show OK alone; a default button past the last button
// leaves the first as default.
MessageBoxLayout LayoutOf(int flags);

// The host's answer for a button: OK 1, Cancel 2, Abort 3, Retry 4, Ignore 5,
// Yes 6, No 7; 0 for anything else.
int VbAnswer(QMessageBox::StandardButton button);

}  // namespace qv::ui
