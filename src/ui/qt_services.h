#pragma once
// The services on Qt, for the windowed programs: message boxes (centred on
// the pointer where the caller asks), the progress report of the window that
// has bars, the progress window of long commands, the clipboard, the
// application log file, the locale's date format, beeps and opening
// documents. The user name and file attributes come from the system as in
// the headless services.

#include <QElapsedTimer>
#include <QString>
#include <QUrl>
#include <memory>

#include "platform/services.h"
#include "ui/progress_report.h"

namespace qv::ui {

class QtStatusWindow;

class QtServices : public HeadlessServices {
  public:
    // logPath: the application log file (DefaultLogPath() when empty).
    explicit QtServices(QString logPath = {});
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override;
    // Drawn on the display set with SetProgressDisplay (the main window's
    // bars); every call lets pending events run.
    void DoStatus(int value1, int value2, int max1, int max2) override;
    // Runs pending events except user input: windows repaint while a command
    // runs, but no click or key can start a second command inside it. A
    // project run asks after every routine; events run at most every few
    // milliseconds, which keeps the windows painting and costs the run little.
    void DoEvents() override;
    StatusWindow& GetStatusWindow() override;
    void SetClipboardText(std::string_view text) override;
    // Appends to the log file; when that cannot be written the report goes
    // to standard error, so that it is never lost.
    void LogError(std::string_view report) override;
    void Beep() override;
    // Opens a URL ("mailto:...", "https://...") or a file with the desktop's
    // program for it. As with the shell's own call, a failure is not reported.
    void ShellOpen(std::string_view document) override;
    std::string FormatGeneralDate(std::time_t when, bool withTime) override;

    void SetProgressDisplay(ProgressDisplay* display) { progress_.SetDisplay(display); }
    const ProgressReport& Progress() const { return progress_; }
    const QString& LogPath() const { return logPath_; }

  private:
    QString logPath_;
    ProgressReport progress_;
    std::unique_ptr<QtStatusWindow> statusWindow_;
    QElapsedTimer sinceEvents_;
};

// The URL ShellOpen opens for a document: the text itself when it has a
// scheme ("mailto:", "https:"), else the local file it names.
QUrl DocumentUrl(const QString& document);

}  // namespace qv::ui
