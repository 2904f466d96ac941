#include "ui/message_box_flags.h"

#include "platform/services.h"

namespace qv::ui {

namespace {

using Button = QMessageBox::StandardButton;

QList<Button> ButtonsOf(int flags) {
    switch (flags & 0xF) {
        case vb_box::kOkCancel:
            return {QMessageBox::Ok, QMessageBox::Cancel};
        case vb_box::kAbortRetryIgnore:
            return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case vb_box::kYesNoCancel:
            return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case mb::kYesNo:
            return {QMessageBox::Yes, QMessageBox::No};
        case vb_box::kRetryCancel:
            return {QMessageBox::Retry, QMessageBox::Cancel};
        default:
            return {QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(int flags) {
    switch (flags & 0x70) {
        case mb::kCritical:
            return QMessageBox::Critical;
        case mb::kQuestion:
            return QMessageBox::Question;
        case mb::kExclamation:
            return QMessageBox::Warning;
        case mb::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The button that closing the box stands for: the one that changes nothing
// (Cancel, else No, else Abort), or the only button.
Button EscapeOf(const QList<Button>& buttons) {
    for (Button safe : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort}) {
        if (buttons.contains(safe)) return safe;
    }
    return buttons.first();
}

}  // namespace

MessageBoxLayout LayoutOf(int flags) {
    MessageBoxLayout layout;
    layout.buttons = ButtonsOf(flags);
    layout.icon = IconOf(flags);
    const qsizetype defaultIndex = (flags & 0xF00) / mb::kDefaultButton2;
    layout.defaultButton = layout.buttons.value(defaultIndex, layout.buttons.first());
    layout.escapeButton = EscapeOf(layout.buttons);
    layout.stayOnTop = (flags & (mb::kSystemModal | vb_box::kTopmost)) != 0;
    return layout;
}

int VbAnswer(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return mb::kAnswerOk;
        case QMessageBox::Cancel:
            return vb_box::kAnswerCancel;
        case QMessageBox::Abort:
            return vb_box::kAnswerAbort;
        case QMessageBox::Retry:
            return vb_box::kAnswerRetry;
        case QMessageBox::Ignore:
            return vb_box::kAnswerIgnore;
        case QMessageBox::Yes:
            return mb::kAnswerYes;
        case QMessageBox::No:
            return mb::kAnswerNo;
        default:
            return 0;
    }
}

}  // namespace qv::ui
