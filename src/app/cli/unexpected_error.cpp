#include "app/cli/unexpected_error.h"

#include <ostream>

#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "shell/error_report.h"

namespace qv::cli {

namespace {

// The installed services, except that the report's message box is printed on
// the command's error stream (one copy, in the terminal's line breaks).
class ReportOnStream : public Services {
public:
    ReportOnStream(Services& inner, std::ostream& err) : inner_(inner), err_(err) {}

    int MessageBox(std::string_view prompt, int, std::string_view, bool) override {
        err_ << text::ReplaceAll(prompt, text::kCrLf, "\n") << '\n';
        return mb::kAnswerOk;
    }
    void DoStatus(int v1, int v2, int m1, int m2) override { inner_.DoStatus(v1, v2, m1, m2); }
    void DoEvents() override { inner_.DoEvents(); }
    StatusWindow& GetStatusWindow() override { return inner_.GetStatusWindow(); }
    void SetClipboardText(std::string_view text) override { inner_.SetClipboardText(text); }
    void LogError(std::string_view report) override { inner_.LogError(report); }
    void Beep() override { inner_.Beep(); }
    void ShellOpen(std::string_view document) override { inner_.ShellOpen(document); }
    std::string UserName() override { return inner_.UserName(); }
    std::string FormatGeneralDate(std::time_t when, bool withTime) override {
        return inner_.FormatGeneralDate(when, withTime);
    }
    bool FileIsReadOnly(std::string_view path) override { return inner_.FileIsReadOnly(path); }

private:
    Services& inner_;
    std::ostream& err_;
};

// Puts the previous services back however the report ends.
class ServicesScope {
public:
    ServicesScope(Services& previous, Services& during) : previous_(previous) {
        SetServices(&during);
    }
    ~ServicesScope() { SetServices(&previous_); }
    ServicesScope(const ServicesScope&) = delete;
    ServicesScope& operator=(const ServicesScope&) = delete;

private:
    Services& previous_;
};

}  // namespace

void ReportUnexpectedError(std::string_view functionName, std::ostream& err) {
    SetCurrentError(CurrentAsVbError());
    Services& installed = GetServices();
    ReportOnStream onStream(installed, err);
    ServicesScope scope(installed, onStream);
    shell::ErrorLog(functionName);
}

}  // namespace qv::cli
