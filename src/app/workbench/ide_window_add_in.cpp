#include "app/workbench/ide_window.h"

// The IDE window's add-in: connecting it, its commands as undo steps, and
// its windows (main window, find window, run summary).

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <algorithm>

#include "app/workbench/add_in_list.h"
#include "app/workbench/run_summary.h"
#include "app/workbench/ide_window_shared.h"
#include "app/workbench/workbench_app.h"
#include "findwindow/find_dock.h"
#include "mainwindow/main_window.h"
#include "shell/command_catalogue.h"
#include "shell/connection.h"
#include "shell/process_start.h"

namespace qv::workbench {

void IdeWindow::BeginCommand() {
    FlushEditors();
    for (QMdiSubWindow* sub : codeWindows_) {
        auto* window = static_cast<CodeWindow*>(sub->widget());
        window->PublishSelection();
        window->BeginCommand();
    }
    edits_.BeginStep(tr("Add-In Command"));
    // No second command and no typing while this one lets events run.
    busy_.emplace(this, QApplication::focusWidget());
}

void IdeWindow::EndCommand() {
    busy_.reset();
    edits_.EndStep();
    // The editors followed the lines already; the cursor of the window in
    // front goes where the command left the pane's selection.
    QMdiSubWindow* front = mdi_->activeSubWindow();
    for (QMdiSubWindow* sub : codeWindows_)
        static_cast<CodeWindow*>(sub->widget())->EndCommand(sub == front);
    SyncWindowsFromHost();
}

void IdeWindow::ShowMainWindow(int displayType) {
    // The button that opened the window started a step; the window's own
    // commands are steps of their own, so that step ends here (empty, it
    // makes none) and starts again for the rest of the button's command.
    const bool inCommand = busy_.has_value();
    if (inCommand) edits_.EndStep();
    const QString typing = edits_.SetLoneGroupLabel(tr("Add-In Command"));
    std::function<bool(QWidget*)> mayClose;
    if (connectMode_ == host::ext_cm_External) {
        mayClose = [this](QWidget* over) {
            return SettleUnsavedChanges(tr("Save changes before closing?"), over);
        };
    }
    mainwindow::ShowMainWindow(*vbe_, displayType, this, mayClose);
    edits_.SetLoneGroupLabel(typing);
    if (inCommand) edits_.BeginStep(tr("Add-In Command"));
    SyncWindowsFromHost();
}

void IdeWindow::ShowFind() {
    findwindow::ShowFindDock(find_, app_.AddIn(), *vbe_, *this);
}

void IdeWindow::CloseAddInWindows() {
    // The find window is one per connection: the next one makes its own.
    if (find_.window != nullptr) find_.window->Close();
    delete find_.dock.data();
    find_ = {};
    if (summary_) summary_->close();
}

void IdeWindow::ShowRunSummary(const shell::CommandInfo& command, const shell::RunOutcome& run) {
    if (summary_) summary_->close();
    summary_ = new RunSummary(
        RunTitle(command, run), run,
        [this](host::VBComponent& component, const std::string& routine, int kind, bool focus) {
            GoToRoutine(component, routine, kind, focus);
        },
        this);
    PlaceInCodeArea(*summary_);
    summary_->show();
}

void IdeWindow::PlaceInCodeArea(QWidget& window) {
    // Over the code windows its rows open, clear of the project and
    // properties windows beside them: the user clicks through the list and
    // reads both. Narrowed to the code area, never below what it needs.
    const int margin = 12;
    const QRect area(mdi_->mapToGlobal(QPoint(0, 0)), mdi_->size());
    const QSize least = window.minimumSizeHint();
    const QSize size(std::max(std::min(window.width(), area.width() - 2 * margin), least.width()),
                     std::max(std::min(window.height(), area.height() - 2 * margin),
                              least.height()));
    window.resize(size);
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

// ---------------------------------------------------------------- add-in

void IdeWindow::ConnectAddIn(int connectMode) {
    if (connection_) return;
    connectMode_ = connectMode;
    try {
        connection_ = std::make_unique<shell::Connect>();
        connection_->OnConnection(*vbe_, connectMode, app_.AddIn());
    } catch (const std::exception& e) {
        connection_.reset();
        QMessageBox::warning(
            this, kProgramName,
            tr("The add-in could not be connected:\n%1").arg(QString::fromStdString(e.what())));
    }
    Redraw();
}

void IdeWindow::DisconnectAddIn() {
    if (!connection_) return;
    try {
        connection_->OnDisconnection(0);
    } catch (const std::exception& e) {
        QMessageBox::warning(this, kProgramName, QString::fromStdString(e.what()));
    }
    connection_.reset();
    Redraw();
}

void IdeWindow::LoadStartupAddIns() {
    for (const AddInEntry& entry : ReadAddInList()) {
        if (entry.progId != shell::kAddInKey || !entry.LoadOnStartup()) continue;
        ConnectAddIn(host::ext_cm_Startup);
        if (connection_) connection_->OnStartupComplete();
    }
}

}  // namespace qv::workbench
