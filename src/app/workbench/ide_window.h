#pragma once
// One IDE: its own root of the code host with projects, windows and command
// bars, drawn as a main window with the project window, code windows,
// designer windows, the properties and immediate windows, the menu bar, the
// "Standard" tool bar and the pop-ups; it loads the add-in as its add-in
// list says and opens and saves through the workspace.

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QUndoStack>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/workbench/code_window.h"
#include "app/workbench/edit_history.h"
#include "app/workbench/run_summary.h"
#include "findwindow/find_tool_window.h"
#include "host/memory/memory_vbe.h"
#include "ui/busy_guard.h"
#include "workspace/loaded_target.h"

class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace qv::shell {
class Connect;
struct CommandInfo;
struct RunOutcome;
}

namespace qv::workbench {

class CommandBarView;
class RunSummary;
class WorkbenchApp;

class IdeWindow : public QMainWindow, public CodeWindowOwner {
  public:
    explicit IdeWindow(WorkbenchApp& app);
    ~IdeWindow() override;

    host::memory::MemoryVbe& Vbe() { return *vbe_; }
    QUndoStack& History() { return history_; }

    // Opens projects, groups or module files in place of what is open
    // (asking first when changes are unsaved). False when nothing was opened;
    // the loader's message was shown then.
    bool Open(const QStringList& paths);
    // Opens a module's code window with the cursor on a code line.
    bool ShowModule(const QString& moduleName, long line);
    CodeWindow* OpenCodeWindow(host::memory::MemoryComponent& component);
    // Writes the changed modules; false when something was refused.
    bool SaveAll();
    bool HasUnsavedChanges();
    // The modules changed since they were loaded or saved, as the project
    // window names them.
    QStringList UnsavedModules();
    // Asks whether to save the unsaved changes, naming the modules, over the
    // given window: true when they were saved or the user let them go (or
    // there were none), false on Cancel or a save that failed.
    bool SettleUnsavedChanges(const QString& question, QWidget* over);
    // Shows a routine in its code window (the declarations section for an
    // empty name); focusCode gives the code window the focus.
    void GoToRoutine(host::VBComponent& component, const std::string& routine, int kind,
                     bool focusCode);

    // The add-in: connect in the given mode, or disconnect.
    void ConnectAddIn(int connectMode);
    void DisconnectAddIn();
    bool AddInLoaded() const { return connection_ != nullptr; }
    // The add-in's windows of this IDE close: the connection is going.
    void CloseAddInWindows();
    // The add-ins of the list that load at start-up.
    void LoadStartupAddIns();

    // Around a command of the add-in: typed lines go to the modules first,
    // the window refuses input meanwhile; afterwards the changes are one
    // undo step and every window shows them.
    void BeginCommand();
    void EndCommand();

    // The host's windows and command bars as they stand now.
    void Redraw();

    // The add-in's find window in a dock of this window.
    void ShowFind();
    // The add-in's main window, modal; each of its commands is one undo step.
    // Connected in external mode, the window is all the user sees: closing
    // it first asks about unsaved changes, and Cancel leaves it open.
    void ShowMainWindow(int displayType);
    // What a module or project command of a button did, in a window of its
    // own (the one of the command before goes).
    void ShowRunSummary(const shell::CommandInfo& command, const shell::RunOutcome& run);
    RunSummary* Summary() const { return summary_.data(); }

    // --- CodeWindowOwner
    void CursorMoved(long line, long column) override;
    void CodePopup(const QPoint& globalPosition) override;
    void TypingChanged() override { UpdateEditState(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildActions();
    void BuildDocks();
    void BindBarsToActions();
    void FillProjectTree();
    void ShowProperties(host::memory::MemoryComponent* component);
    void ProjectPopup(const QPoint& position);
    void OnTreeActivated(QTreeWidgetItem* item);
    void OnTreeSelection();
    void OpenDesigner(host::memory::MemoryComponent& component);
    void OnSubWindowActivated(QMdiSubWindow* window);
    // When the active code or designer window was closed, the visible one
    // used last takes its place (with the focus).
    void ActivateFrontWindow();
    void SyncWindowsFromHost();
    void UpdateCaption();
    // Anything unsaved: commands or typing.
    bool Unsaved() const;
    void UpdateModifiedMarker();
    // A new code window's place: cascaded from the code area's top left
    // corner, inside the area.
    void PlaceNewSubWindow(QMdiSubWindow& sub);
    // Centres a window of the add-in over the code area.
    void PlaceInCodeArea(QWidget& window);
    // A code window's caption is marked while its module differs from the
    // file as last saved or loaded.
    void UpdateModuleMarkers();
    // The "*" marks and Undo and Redo as the history and the typing not
    // yet in a module stand.
    void UpdateEditState();
    bool AnyTyping() const;
    // A code pane's window is given the focus (the find window's jump):
    // its code window opens with the pane's selection and takes the focus.
    void WatchPaneFocus(host::memory::MemoryCodeModule& module);
    void FlushEditors();
    void CloseProjects();
    void OpenDialog();
    void AddRecent(const QStringList& paths);
    void FillRecentMenu();
    void Undo();
    void Redo();
    bool SaveChanges();
    host::memory::MemoryComponent* ComponentOf(QTreeWidgetItem* item);

    WorkbenchApp& app_;
    std::unique_ptr<host::memory::MemoryVbe> vbe_;
    std::unique_ptr<workspace::LoadedTarget> target_;  // what is open; null when nothing
    std::unique_ptr<shell::Connect> connection_;
    std::unique_ptr<CommandBarView> bars_;
    QUndoStack history_;
    EditHistory edits_{history_};
    std::optional<ui::BusyGuard> busy_;
    findwindow::FindToolWindow find_;
    int savedIndex_ = 0;
    int connectMode_ = -1;
    // The history's index at which the user let the unsaved changes go.
    std::optional<int> letGoAt_;
    QPointer<RunSummary> summary_;

    QMdiArea* mdi_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QTableWidget* properties_ = nullptr;
    QPlainTextEdit* immediate_ = nullptr;
    QDockWidget* projectDock_ = nullptr;
    QDockWidget* propertiesDock_ = nullptr;
    QDockWidget* immediateDock_ = nullptr;
    QToolBar* standard_ = nullptr;
    QLabel* position_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QMap<QString, QMenu*> ownMenus_;
    QMap<host::memory::MemoryCodeModule*, QMdiSubWindow*> codeWindows_;
    QMap<host::memory::MemoryComponent*, QMdiSubWindow*> designers_;
    QString title_;
    QMap<host::memory::MemoryCodeModule*, unsigned long> savedEdits_;
};

}  // namespace qv::workbench
