#include "ui/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <iostream>

#include "ui/application_log.h"
#include "ui/general_date.h"
#include "ui/message_boxes.h"
#include "ui/status_window.h"
#include "ui/vb_qstring.h"

namespace qv::ui {

QtServices::QtServices(QString logPath)
    : logPath_(logPath.isEmpty() ? DefaultLogPath() : std::move(logPath)) {}

QtServices::~QtServices() = default;

int QtServices::MessageBox(std::string_view prompt, int buttons, std::string_view title,
                           bool atCursor) {
    const QString text = MessageQString(prompt);
    const QString caption = MessageQString(title);
    return atCursor ? MsgBoxCursor(text, buttons, caption, 0)
                    : ShowMessageBox(text, buttons, caption);
}

void QtServices::DoStatus(int value1, int value2, int max1, int max2) {
    progress_.DoStatus(value1, value2, max1, max2);
    DoEvents();
}

void QtServices::DoEvents() {
    constexpr qint64 kEventsInterval = 10;  // ms
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventsInterval) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceEvents_.restart();
}

StatusWindow& QtServices::GetStatusWindow() {
    if (!statusWindow_) statusWindow_ = std::make_unique<QtStatusWindow>();
    return *statusWindow_;
}

void QtServices::SetClipboardText(std::string_view text) {
    QGuiApplication::clipboard()->setText(MessageQString(text));
}

void QtServices::LogError(std::string_view report) {
    if (!AppendLogEntry(logPath_, MessageQString(report))) {
        std::cerr << "The application log " << logPath_.toStdString() << " cannot be written:\n"
                  << MessageQString(report).toStdString() << '\n';
    }
}

void QtServices::Beep() {
    QApplication::beep();
}

void QtServices::ShellOpen(std::string_view document) {
    QDesktopServices::openUrl(DocumentUrl(MessageQString(document)));
}

std::string QtServices::FormatGeneralDate(std::time_t when, bool withTime) {
    return GeneralDateText(QDateTime::fromSecsSinceEpoch(when), withTime, QLocale::system())
        .toStdString();
}

QUrl DocumentUrl(const QString& document) {
    const QUrl url(document, QUrl::StrictMode);
    // "C:\x" parses with the scheme "c": a scheme of one letter is a drive.
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(document);
}

}  // namespace qv::ui
