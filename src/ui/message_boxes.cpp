#include "ui/message_boxes.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "errorhandling/messages.h"
#include "ui/message_box_flags.h"
#include "ui/placement.h"

namespace qv::ui {

namespace {

// Centres the box on the mouse pointer when it is shown: only then does it
// know its final size, and it is not yet on the screen.
class PlacedMessageBox : public QMessageBox {
  public:
    PlacedMessageBox(bool atPointer, QWidget* parent)
        : QMessageBox(parent), atPointer_(atPointer) {}

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (atPointer_) CentreOnPointer();
    }

  private:
    void CentreOnPointer() {
        const QPoint pointer = QCursor::pos();
        QScreen* screen = QGuiApplication::screenAt(pointer);
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        const EdgeRect placed =
            ValidateCoords(CentredOn(pointer, frameGeometry().size()), screen->geometry());
        move(placed.left, placed.top);
    }

    bool atPointer_;
};

// An hourglass that a busy guard put up would otherwise sit over the box.
class ArrowWhileOpen {
  public:
    ArrowWhileOpen() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
        if (pushed_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileOpen() {
        if (pushed_) QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileOpen(const ArrowWhileOpen&) = delete;
    ArrowWhileOpen& operator=(const ArrowWhileOpen&) = delete;

  private:
    bool pushed_;
};

void Fill(QMessageBox& box, const QString& prompt, int flags, const QString& title) {
    const MessageBoxLayout layout = LayoutOf(flags);
    box.setTextFormat(Qt::PlainText);  // a prompt is never markup
    box.setText(prompt);
    box.setWindowTitle(BoxTitle(title));
    box.setIcon(layout.icon);
    for (QMessageBox::StandardButton button : layout.buttons) box.addButton(button);
    box.setDefaultButton(layout.defaultButton);
    box.setEscapeButton(layout.escapeButton);
    if (layout.stayOnTop) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

int Run(QMessageBox& box, int timeoutMs) {
    const ArrowWhileOpen arrow;
    // The timer belongs to the box: a box that is gone is never closed.
    if (timeoutMs > 0) QTimer::singleShot(timeoutMs, &box, [&box] { box.close(); });
    box.exec();
    return VbAnswer(box.standardButton(box.clickedButton()));
}

int Show(const QString& prompt, int flags, const QString& title, int timeoutMs, bool atPointer,
         QWidget* parent) {
    if (parent == nullptr) parent = QApplication::activeWindow();
    // A box owned by a disabled window (a busy guard's) would be disabled
    // with it and could never be answered; it stands alone instead.
    if (parent != nullptr && !parent->isEnabled()) parent = nullptr;
    PlacedMessageBox box(atPointer, parent);
    Fill(box, prompt, flags, title);
    return Run(box, timeoutMs);
}

}  // namespace

QString BoxTitle(const QString& title) {
    // The application is the add-in, whatever program hosts its windows.
    return title.isEmpty() ? QString::fromUtf8(errorhandling::kMessageTitle.data(),
                                               errorhandling::kMessageTitle.size())
                           : title;
}

int ShowMessageBox(const QString& prompt, int flags, const QString& title, QWidget* parent) {
    return Show(prompt, flags, title, 0, false, parent);
}

int MsgBoxCursor(const QString& prompt, int flags, const QString& title, int timeoutMs,
                 QWidget* parent) {
    return Show(prompt, flags, title, timeoutMs, true, parent);
}

}  // namespace qv::ui
