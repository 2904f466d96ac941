#include "app/workbench/workbench_app.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

#include "app/workbench/ide_window.h"
#include "shell/connection.h"
#include "shell/process_start.h"
#include "ui/app_icons.h"

namespace qv::workbench {

namespace {

// The hot-key modifier sum (1 Alt, 2 Ctrl, 4 Shift) of a key press.
int ModifierSum(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::AltModifier ? 1 : 0) + (modifiers & Qt::ControlModifier ? 2 : 0) +
           (modifiers & Qt::ShiftModifier ? 4 : 0);
}

}  // namespace

QIcon WorkbenchIcon() {
    return ui::IconFromSvg(QStringLiteral(":/qvaddin/workbench/qvaddin-workbench.svg"));
}

std::string WorkbenchAddIn::ProgId() const {
    return std::string(shell::kAddInKey);
}

WorkbenchApp::WorkbenchApp() {
    SetServices(&services_);
    // Dialogs of the workbench's own carry its icon.
    QApplication::setWindowIcon(WorkbenchIcon());
    shell::SetHotKeyPlatform(this);
    shell::SetAddInUi(this);
    qApp->installEventFilter(this);
}

WorkbenchApp::~WorkbenchApp() {
    qApp->removeEventFilter(this);
    for (IdeWindow* window : std::vector<IdeWindow*>(windows_)) delete window;
    shell::SetAddInUi(nullptr);
    shell::SetHotKeyPlatform(nullptr);
    SetServices(nullptr);
}

IdeWindow& WorkbenchApp::NewWindow() {
    auto* window = new IdeWindow(*this);
    windows_.push_back(window);
    window->LoadStartupAddIns();
    return *window;
}

void WorkbenchApp::WindowClosed(IdeWindow& window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
}

void WorkbenchApp::CloseAll() {
    for (IdeWindow* window : std::vector<IdeWindow*>(windows_)) {
        if (!window->close()) return;
    }
}

IdeWindow* WorkbenchApp::WindowOf(host::VBE& vbe) {
    for (IdeWindow* window : windows_) {
        if (&window->Vbe() == &vbe) return window;
    }
    return nullptr;
}

void WorkbenchApp::Register(int id, int modifiers, int keyCode) {
    hotKeys_[id] = {modifiers, keyCode};
}

void WorkbenchApp::Unregister(int id) {
    hotKeys_.erase(id);
}

std::string WorkbenchApp::ForegroundInstanceKey() {
    // The window the key went to is the one in front; a dialog belongs to
    // the IDE window that opened it.
    QWidget* front = keyWindow_ != nullptr ? keyWindow_ : QApplication::activeWindow();
    for (QWidget* w = front; w != nullptr; w = w->parentWidget()) {
        if (auto* ide = dynamic_cast<IdeWindow*>(w->window()))
            return shell::InstanceKey(ide->Vbe());
        w = w->window();
    }
    return {};
}

shell::CommandWindows WorkbenchApp::Windows(host::VBE& vbe) {
    shell::CommandWindows windows;
    IdeWindow* window = WindowOf(vbe);
    if (window == nullptr) return windows;
    windows.showFind = [window] { window->ShowFind(); };
    windows.showMainWindow = [window](int displayType) { window->ShowMainWindow(displayType); };
    return windows;
}

void WorkbenchApp::BeginCommand(host::VBE& vbe) {
    if (IdeWindow* window = WindowOf(vbe)) window->BeginCommand();
}

void WorkbenchApp::EndCommand(host::VBE& vbe) {
    if (IdeWindow* window = WindowOf(vbe)) window->EndCommand();
}

void WorkbenchApp::ShowRunSummary(host::VBE& vbe, const shell::CommandInfo& command,
                                  const shell::RunOutcome& run) {
    if (IdeWindow* window = WindowOf(vbe)) window->ShowRunSummary(command, run);
}

void WorkbenchApp::CloseAddInWindows(host::VBE& vbe) {
    if (IdeWindow* window = WindowOf(vbe)) window->CloseAddInWindows();
}

bool WorkbenchApp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || hotKeys_.empty()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const int modifiers = ModifierSum(key->modifiers());
    for (const auto& [id, combination] : hotKeys_) {
        if (combination.first == modifiers && combination.second == key->key()) {
            QWidget* receiver = qobject_cast<QWidget*>(watched);
            keyWindow_ = receiver != nullptr ? receiver->window() : nullptr;
            shell::DoKey(id);
            keyWindow_ = nullptr;
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace qv::workbench
