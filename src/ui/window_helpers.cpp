#include "ui/window_helpers.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWidget>

#include "ui/placement.h"

namespace qv::ui {

namespace {

// The control's rectangle on the screen; a window's includes its frame.
QRect ScreenRect(const QWidget& control) {
    if (control.isWindow()) return control.frameGeometry();
    return {control.mapToGlobal(QPoint(0, 0)), control.size()};
}

QScreen* ScreenOf(const QWidget& window) {
    if (QScreen* screen = window.screen()) return screen;
    return QGuiApplication::primaryScreen();
}

}  // namespace

void SetCursorOverControl(QWidget& control, int position) {
    const QPoint point = CursorPointOverRect(ToEdgeRect(ScreenRect(control)), position);
    QCursor::setPos(ScreenOf(control), point);
}

void AlignForm(QWidget& window, int position) {
    QScreen* screen = ScreenOf(window);
    if (screen == nullptr) return;
    window.move(
        AlignedTopLeft(screen->availableGeometry(), window.frameGeometry().size(), position));
}

void SetTopmost(QWidget& window) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
    // Changing a window's flags hides it; show it again where it was.
    const bool wasVisible = window.isVisible();
    const QRect geometry = window.geometry();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window.setGeometry(geometry);
    if (wasVisible) window.show();
}

void HiLight(QWidget& control) {
    if (auto* line = qobject_cast<QLineEdit*>(&control)) {
        line->selectAll();
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(&control)) {
        text->selectAll();
    }
}

}  // namespace qv::ui
