#pragma once
// What the operating system gave the add-in, as one interface: message boxes,
// progress, clipboard, application log, user name, date format, file
// attributes, shell open. The command-line tool implements it on the terminal,
// the workbench with Qt, tests with a recording fake. Engines reach the user
// only through here.

#include <ctime>
#include <string>
#include <string_view>

namespace qv {

// Message-box flag words and answers, in the host's numbering.
namespace mb {
constexpr int kOkOnly = 0;
constexpr int kYesNo = 4;
constexpr int kCritical = 16;
constexpr int kQuestion = 32;
constexpr int kExclamation = 48;
constexpr int kInformation = 64;
constexpr int kDefaultButton2 = 256;
constexpr int kSystemModal = 4096;
constexpr int kSetForeground = 0x10000;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;
}  // namespace mb

// The small window that module and project commands show while they run: a
// title, one label and two bars (0 the component bar, 1 the routine bar).
class StatusWindow {
public:
    virtual ~StatusWindow() = default;
    // Title and label are UTF-8 (names decoded by the caller).
    virtual void SetTitle(std::string_view title) = 0;
    virtual void SetLabel(std::string_view label) = 0;
    virtual void SetBarMax(int bar, int max) = 0;
    virtual void SetBarValue(int bar, int value) = 0;
    virtual void SetBarVisible(int bar, bool visible) = 0;
    virtual void Show() = 0;
    virtual void Unload() = 0;
};

// A status window that shows nothing: where there is no screen, or where a
// run on several threads at once may tell no real window.
class NoStatusWindow : public StatusWindow {
public:
    void SetTitle(std::string_view) override {}
    void SetLabel(std::string_view) override {}
    void SetBarMax(int, int) override {}
    void SetBarValue(int, int) override {}
    void SetBarVisible(int, bool) override {}
    void Show() override {}
    void Unload() override {}
};

class Services {
public:
    virtual ~Services() = default;

    // Shows a message box and returns the button pressed. atCursor: centred on
    // the mouse pointer instead of the usual place.
    virtual int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                           bool atCursor) = 0;

    // The progress report of the main window: four optional values, −1 leaves
    // one unchanged (see the main window for the drawing rules). Every call
    // lets pending user-interface events run.
    virtual void DoStatus(int value1 = -1, int value2 = -1, int max1 = -1, int max2 = -1) = 0;

    // Lets pending user-interface events run.
    virtual void DoEvents() = 0;

    virtual StatusWindow& GetStatusWindow() = 0;

    virtual void SetClipboardText(std::string_view text) = 0;
    // False where no clipboard is at hand (a terminal): the error report
    // then says where else it went, and is not copied.
    virtual bool HasClipboard() { return true; }
    virtual void LogError(std::string_view report) = 0;
    virtual void Beep() = 0;
    virtual void ShellOpen(std::string_view document) = 0;

    // The logon name of the current user ("" when it cannot be read).
    virtual std::string UserName() = 0;
    // A moment in the general date format of the user's locale: the date, and
    // the time too when withTime is set.
    virtual std::string FormatGeneralDate(std::time_t when, bool withTime) = 0;

    // True when the file has the read-only attribute. Raises a VbError when
    // the file cannot be examined (for example when it does not exist).
    virtual bool FileIsReadOnly(std::string_view path) = 0;
};

// Services with no user interface: messages go to standard error, progress is
// dropped, the clipboard is kept in memory, file facts come from the file
// system. The default until a program installs its own.
class HeadlessServices : public Services {
public:
    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override;
    void DoStatus(int, int, int, int) override {}
    void DoEvents() override {}
    StatusWindow& GetStatusWindow() override;
    void SetClipboardText(std::string_view text) override { clipboard_ = text; }
    void LogError(std::string_view report) override;
    void Beep() override {}
    void ShellOpen(std::string_view) override {}
    std::string UserName() override;
    std::string FormatGeneralDate(std::time_t when, bool withTime) override;
    bool FileIsReadOnly(std::string_view path) override;

    const std::string& Clipboard() const { return clipboard_; }

private:
    std::string clipboard_;
};

// Services that pass every call on to other services; a caller overrides
// only the calls it handles itself.
class ForwardingServices : public Services {
public:
    explicit ForwardingServices(Services& inner) : inner_(inner) {}
    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override {
        return inner_.MessageBox(prompt, buttons, title, atCursor);
    }
    void DoStatus(int v1, int v2, int m1, int m2) override { inner_.DoStatus(v1, v2, m1, m2); }
    void DoEvents() override { inner_.DoEvents(); }
    StatusWindow& GetStatusWindow() override { return inner_.GetStatusWindow(); }
    void SetClipboardText(std::string_view text) override { inner_.SetClipboardText(text); }
    bool HasClipboard() override { return inner_.HasClipboard(); }
    void LogError(std::string_view report) override { inner_.LogError(report); }
    void Beep() override { inner_.Beep(); }
    void ShellOpen(std::string_view document) override { inner_.ShellOpen(document); }
    std::string UserName() override { return inner_.UserName(); }
    std::string FormatGeneralDate(std::time_t when, bool withTime) override {
        return inner_.FormatGeneralDate(when, withTime);
    }
    bool FileIsReadOnly(std::string_view path) override { return inner_.FileIsReadOnly(path); }

protected:
    Services& Inner() { return inner_; }

private:
    Services& inner_;
};

// The services of the calling thread: those of a ThreadServicesScope it is
// in, else the installed ones.
Services& GetServices();
// Installs the services of a program or test; nullptr restores the headless ones.
void SetServices(Services* services);

// Installs services for the length of a scope and puts the previous ones back
// however the scope ends.
class ScopedServices {
public:
    explicit ScopedServices(Services& during) : previous_(GetServices()) { SetServices(&during); }
    ~ScopedServices() { SetServices(&previous_); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services& previous_;
};

// Gives the calling thread alone other services for the length of a scope
// (work done on several threads at once, which may not share a window or a
// progress report).
class ThreadServicesScope {
public:
    explicit ThreadServicesScope(Services& during);
    ~ThreadServicesScope();
    ThreadServicesScope(const ThreadServicesScope&) = delete;
    ThreadServicesScope& operator=(const ThreadServicesScope&) = delete;

private:
    Services* previous_;
};

}  // namespace qv
