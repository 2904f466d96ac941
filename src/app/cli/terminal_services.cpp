#include "app/cli/terminal_services.h"

#include <iostream>

#include "app/cli/console.h"
#include "app/cli/vb_text.h"
#include "platform/text.h"

namespace qv::cli {

void TerminalStatusWindow::SetTitle(std::string_view title) { title_ = title; }

void TerminalStatusWindow::SetLabel(std::string_view label) {
    label_ = label;
    Draw();
}

void TerminalStatusWindow::SetBarMax(int bar, int max) {
    if (bar == 0 || bar == 1) max_[bar] = max;
}

void TerminalStatusWindow::SetBarValue(int bar, int value) {
    if (bar == 0 || bar == 1) value_[bar] = value;
    Draw();
}

void TerminalStatusWindow::SetBarVisible(int bar, bool visible) {
    if (bar == 0 || bar == 1) visible_[bar] = visible;
}

void TerminalStatusWindow::Show() { shown_ = true; }

void TerminalStatusWindow::Unload() {
    if (shown_ && isTerminal_) std::cerr << "\r\033[K" << std::flush;
    shown_ = false;
}

void TerminalStatusWindow::Draw() {
    if (!shown_ || !isTerminal_) return;
    // UTF-8 (a stray byte of another code page is read as Windows-1252).
    std::string line = DisplayMessage(title_, text::CodePage::Windows1252());
    for (int bar = 0; bar < 2; ++bar) {
        if (visible_[bar] && max_[bar] > 0) {
            line += " [" + std::to_string(value_[bar] * 100 / max_[bar]) + "%]";
        }
    }
    if (!label_.empty()) line += " " + DisplayMessage(label_, text::CodePage::Windows1252());
    if (line.size() > 100) {
        // Not inside a character.
        size_t cut = 100;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    std::cerr << "\r\033[K" << line << std::flush;
}

TerminalServices::TerminalServices() : status_(StandardErrorIsTerminal()) {}

int TerminalServices::MessageBox(std::string_view prompt, int buttons, std::string_view title,
                                 bool) {
    std::cerr << EscapeControls(title, true) << ": " << EscapeControls(prompt, true) << '\n';
    return (buttons & 0xF) == mb::kYesNo ? mb::kAnswerNo : mb::kAnswerOk;
}

std::string TerminalServices::FormatGeneralDate(std::time_t when, bool withTime) {
    // The general date: the locale's short date, and its long time when asked.
    return LocalDateText(when, withTime);
}

void TerminalServices::LogError(std::string_view report) {
    // One entry, with the report's line breaks as the system log keeps them.
    WriteSystemLog(text::ReplaceAll(report, text::kCrLf, "\n"));
}

}  // namespace qv::cli
