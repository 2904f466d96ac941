#include "app/workbench/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "app/workbench/code_text.h"

namespace qv::workbench {

namespace {

constexpr int kEventInterval = 50;  // milliseconds between two event runs: 20 a second

QMessageBox::Icon IconOf(int buttons) {
    switch (buttons & 0x70) {
        case mb::kCritical: return QMessageBox::Critical;
        case mb::kQuestion: return QMessageBox::Question;
        case mb::kExclamation: return QMessageBox::Warning;
        case mb::kInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// The box centred on the pointer, moved back onto the screen when it would
// leave it.
void CentreOnPointer(QMessageBox& box) {
    box.adjustSize();
    const QPoint pointer = QCursor::pos();
    QRect frame(QPoint(0, 0), box.sizeHint());
    frame.moveCenter(pointer);
    if (const QScreen* screen = QGuiApplication::screenAt(pointer)) {
        const QRect area = screen->geometry();
        if (frame.right() > area.right()) frame.moveRight(area.right());
        if (frame.bottom() > area.bottom()) frame.moveBottom(area.bottom());
        if (frame.left() < area.left()) frame.moveLeft(area.left());
        if (frame.top() < area.top()) frame.moveTop(area.top());
    }
    box.move(frame.topLeft());
}

}  // namespace

ProgressWindow::ProgressWindow() {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    label_ = new QLabel(this);
    label_->setMinimumWidth(360);
    components_ = new QProgressBar(this);
    routines_ = new QProgressBar(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(components_);
    layout->addWidget(routines_);
    components_->hide();
}

void ProgressWindow::SetTitle(std::string_view title) { setWindowTitle(DecodeCode(title)); }

void ProgressWindow::SetLabel(std::string_view label) {
    label_->setText(DecodeCode(label));
    LetEventsRun(false);
}

void ProgressWindow::SetBarMax(int bar, int max) {
    Bar(bar)->setMaximum(max);
    Bar(bar)->setValue(0);
}

void ProgressWindow::SetBarValue(int bar, int value) {
    Bar(bar)->setValue(value);
    LetEventsRun(false);
}

void ProgressWindow::SetBarVisible(int bar, bool visible) { Bar(bar)->setVisible(visible); }

void ProgressWindow::Show() {
    repaints_ = 0;
    if (QWidget* front = QApplication::activeWindow(); front != nullptr && front != this) {
        move(front->geometry().center() - rect().center());
    }
    show();
    raise();
    LetEventsRun(true);
}

void ProgressWindow::Unload() {
    hide();
    components_->hide();
    routines_->show();
}

void ProgressWindow::LetEventsRun(bool now) {
    if (!isVisible()) return;
    if (!now && sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval) return;
    sinceEvents_.start();
    ++repaints_;
    QCoreApplication::processEvents();
}

int QtServices::MessageBox(std::string_view prompt, int buttons, std::string_view title,
                           bool atCursor) {
    QMessageBox box(IconOf(buttons),
                    title.empty() ? QApplication::applicationDisplayName() : DecodeCode(title),
                    DecodeCode(prompt),
                    (buttons & 0x7) == mb::kYesNo ? QMessageBox::Yes | QMessageBox::No
                                                  : QMessageBox::Ok,
                    QApplication::activeWindow());
    if ((buttons & 0x7) == mb::kYesNo) {
        box.setDefaultButton((buttons & mb::kDefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
    }
    if (atCursor) CentreOnPointer(box);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return mb::kAnswerYes;
    if (answer == QMessageBox::No) return mb::kAnswerNo;
    return mb::kAnswerOk;
}

void QtServices::DoEvents() { QCoreApplication::processEvents(); }

void QtServices::SetClipboardText(std::string_view text) {
    QApplication::clipboard()->setText(DecodeCode(text));
}

void QtServices::Beep() { QApplication::beep(); }

void QtServices::ShellOpen(std::string_view document) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(std::string(document))));
}

}  // namespace qv::workbench
