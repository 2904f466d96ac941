#pragma once
// The workbench process: every IDE window it shows, the services on Qt, the
// hot keys (application-wide shortcuts stand for the system-wide hot keys
// and go to the IDE whose window is in front) and the windows the add-in
// asks for.

#include <QIcon>
#include <QObject>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "shell/add_in_ui.h"
#include "shell/hot_keys.h"
#include "ui/qt_services.h"

namespace qv::workbench {

class IdeWindow;

// The workbench's own icon (the add-in's windows carry the add-in's).
QIcon WorkbenchIcon();

class WorkbenchAddIn : public host::AddInInstance {
  public:
    std::string ProgId() const override;
};

class WorkbenchApp : public QObject, public shell::HotKeyPlatform, public shell::AddInUi {
  public:
    WorkbenchApp();
    ~WorkbenchApp() override;

    IdeWindow& NewWindow();
    void WindowClosed(IdeWindow& window);
    void CloseAll();
    const std::vector<IdeWindow*>& Windows() const { return windows_; }
    host::AddInInstance& AddIn() { return addIn_; }
    ui::QtServices& Services() { return services_; }
    IdeWindow* WindowOf(host::VBE& vbe);

    // --- HotKeyPlatform
    void Register(int id, int modifiers, int keyCode) override;
    void Unregister(int id) override;
    std::string ForegroundInstanceKey() override;
    bool HasHotKey(int id) const { return hotKeys_.count(id) != 0; }

    // --- AddInUi
    // The find window and the main window of the IDE.
    shell::CommandWindows Windows(host::VBE& vbe) override;
    void BeginCommand(host::VBE& vbe) override;
    void EndCommand(host::VBE& vbe) override;
    void ShowRunSummary(host::VBE& vbe, const shell::CommandInfo& command,
                        const shell::RunOutcome& run) override;
    void CloseAddInWindows(host::VBE& vbe) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    ui::QtServices services_;
    WorkbenchAddIn addIn_;
    std::vector<IdeWindow*> windows_;
    std::map<int, std::pair<int, int>> hotKeys_;  // id → (modifiers, key code)
    QWidget* keyWindow_ = nullptr;                // the window of the key being handled
};

}  // namespace qv::workbench
