#pragma once
// The services on Qt for the workbench: message boxes (centred on the mouse
// pointer when asked, kept on the screen), the progress window of module and
// project commands, the clipboard, the log, shell open.

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>

#include "platform/services.h"

namespace qv::workbench {

// The progress window: a title, one label, the component bar and the
// routine bar. It lets the events of the program run as it is drawn, a few
// times a second, so that the workbench repaints during a long command.
class ProgressWindow : public QDialog, public StatusWindow {
public:
    ProgressWindow();
    void SetTitle(std::string_view title) override;
    void SetLabel(std::string_view label) override;
    void SetBarMax(int bar, int max) override;
    void SetBarValue(int bar, int value) override;
    void SetBarVisible(int bar, bool visible) override;
    void Show() override;
    void Unload() override;

    // How many times the window let events run since it was shown.
    int Repaints() const { return repaints_; }

private:
    QProgressBar* Bar(int bar) { return bar == 0 ? components_ : routines_; }
    void LetEventsRun(bool now);

    QLabel* label_;
    QProgressBar* components_;
    QProgressBar* routines_;
    QElapsedTimer sinceEvents_;
    int repaints_ = 0;
};

class QtServices : public HeadlessServices {
public:
    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override;
    void DoStatus(int, int, int, int) override { DoEvents(); }
    void DoEvents() override;
    StatusWindow& GetStatusWindow() override { return progress_; }
    void SetClipboardText(std::string_view text) override;
    void Beep() override;
    void ShellOpen(std::string_view document) override;

    ProgressWindow& Progress() { return progress_; }

private:
    ProgressWindow progress_;
};

}  // namespace qv::workbench
