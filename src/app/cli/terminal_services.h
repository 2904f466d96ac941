#pragma once
// The services on a terminal: messages go to standard error, the status
// window of long runs is a progress line on standard error when it is a
// terminal (nothing otherwise), the clipboard is kept in memory.

#include <string>

#include "platform/services.h"

namespace qv::cli {

class TerminalStatusWindow : public StatusWindow {
public:
    explicit TerminalStatusWindow(bool isTerminal) : isTerminal_(isTerminal) {}
    void SetTitle(std::string_view title) override;
    void SetLabel(std::string_view label) override;
    void SetBarMax(int bar, int max) override;
    void SetBarValue(int bar, int value) override;
    void SetBarVisible(int bar, bool visible) override;
    void Show() override;
    void Unload() override;

private:
    void Draw();

    bool isTerminal_;
    bool shown_ = false;
    std::string title_;
    std::string label_;
    int max_[2] = {0, 0};
    int value_[2] = {0, 0};
    bool visible_[2] = {false, false};
};

class TerminalServices : public HeadlessServices {
public:
    TerminalServices();
    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override;
    StatusWindow& GetStatusWindow() override { return status_; }
    std::string FormatGeneralDate(std::time_t when, bool withTime) override;
    // The application log is the system log (identity "qvaddin", error
    // priority). A terminal has no clipboard: the error report says that it
    // went to the system log instead.
    void LogError(std::string_view report) override;
    bool HasClipboard() override { return false; }

private:
    TerminalStatusWindow status_;
};

}  // namespace qv::cli
