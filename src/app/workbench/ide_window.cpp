#include "app/workbench/ide_window.h"

// The IDE window itself: building it and taking it down, opening projects in
// it and closing them, its caption, the recent files, closing the window and
// files dropped on it. Its other parts are in the ide_window_*.cpp files.

#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

#include "app/workbench/command_bar_view.h"
#include "app/workbench/ide_window_shared.h"
#include "app/workbench/run_summary.h"
#include "app/workbench/workbench_app.h"
#include "findwindow/find_dock.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "settings/code_page_setting.h"
#include "settings/settings_operations.h"
#include "shell/connection.h"
#include "ui/vb_qstring.h"
#include "workspace/loaded_target.h"

namespace qv::workbench {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

namespace {

constexpr int kRecentCount = 8;

}  // namespace

IdeWindow::IdeWindow(WorkbenchApp& app)
    : app_(app),
      vbe_(std::make_unique<host::memory::MemoryVbe>()),
      bars_(std::make_unique<CommandBarView>(vbe_->Bars())) {
    findwindow::RegisterFindDocument(vbe_->AllWindows());
    // The IDE reads its own tab width once, as it reads its options at start;
    // every project opened lays its received lines out with it.
    vbe_->SetTabWidth(settings::StoredTabWidth().HostWidth());
    setWindowIcon(WorkbenchIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* w) { OnSubWindowActivated(w); });
    position_ = new QLabel(this);
    statusBar()->addPermanentWidget(position_);
    standard_ = new QToolBar(tr("Standard"), this);
    standard_->setObjectName("Standard");
    addToolBar(standard_);
    BuildDocks();
    BuildActions();
    connect(&history_, &QUndoStack::cleanChanged, this, [this] { UpdateEditState(); });
    connect(&history_, &QUndoStack::indexChanged, this, [this] { UpdateEditState(); });
    Redraw();
    UpdateCaption();
    // Most of the screen, and the project window wide enough for a module's
    // name and its file's.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1240, screen.width() - 40), std::min(780, screen.height() - 20));
    resizeDocks({projectDock_, propertiesDock_}, {340, 340}, Qt::Horizontal);
}

IdeWindow::~IdeWindow() {
    // A window destroyed while showing hides its docks after the host is
    // gone: they no longer report to it.
    for (QDockWidget* dock : {projectDock_, propertiesDock_, immediateDock_})
        disconnect(dock, nullptr, this, nullptr);
    if (connection_) connection_->OnDisconnection(0);
    connection_.reset();
    edits_.UnwatchAll();
    history_.clear();
    // Code windows refer to modules of the host: they go first, forgotten
    // before they are deleted (a deleted window still reports its marker).
    codeWindows_.clear();
    for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
}

// ---------------------------------------------------------------- opening

bool IdeWindow::Open(const QStringList& paths) {
    if (paths.isEmpty()) return false;
    if (!SettleUnsavedChanges(tr("Save changes to the open project first?"), this)) return false;
    CloseProjects();
    std::vector<std::string> targets;
    for (const QString& p : paths) targets.push_back(p.toStdString());
    workspace::OpenOptions options;
    options.into = vbe_.get();
    options.largestFile = settings::LargestModuleFileBytes();
    // The workbench saves into these folders: a killed run's leftovers go.
    options.removeLeftovers = true;
    // The files are read in the code page the settings name (Windows-1252
    // when they name none, or none that is one: that is said below).
    std::string codePageProblem;
    options.codePage = settings::StoredCodePage(codePageProblem).value_or(text::CodePage());
    // The IDE lays out the tabs of the lines it receives with its own width.
    options.tabWidth = vbe_->TabWidth();
    workspace::OpenResult opened = workspace::Open(targets, options);
    if (!opened.target) {
        CloseProjects();
        QMessageBox::critical(
            this, kProgramName,
            tr("The project could not be opened:\n%1").arg(ui::MessageQString(opened.error)));
        return false;
    }
    target_ = std::move(opened.target);
    if (!codePageProblem.empty()) {
        immediate_->appendPlainText(QString::fromStdString(codePageProblem));
    }
    for (const std::string& warning : target_->Warnings()) {
        immediate_->appendPlainText(ui::MessageQString(warning));
    }
    for (MemoryCodeModule* module : AllModules(*vbe_)) {
        edits_.Watch(*module);
        WatchPaneFocus(*module);
    }
    FillProjectTree();
    UpdateCaption();
    AddRecent(paths);
    statusBar()->showMessage(tr("Opened %1").arg(paths.join(u' ')), 5000);
    return true;
}

void IdeWindow::CloseProjects() {
    edits_.UnwatchAll();
    history_.clear();
    history_.setClean();
    for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
    codeWindows_.clear();
    savedEdits_.clear();
    designers_.clear();
    properties_->setRowCount(0);
    position_->clear();
    letGoAt_.reset();
    if (summary_) summary_->close();
    while (vbe_->Projects().Count() > 0) vbe_->Projects().Remove(vbe_->Projects().At(1));
    target_.reset();
    tree_->clear();
}

// ---------------------------------------------------------------- caption, files, closing

void IdeWindow::UpdateCaption() {
    host::VBProject* project = vbe_->ActiveVBProject();
    const std::string name = project != nullptr ? project->Name() + " - " : std::string();
    const text::CodePage page = project != nullptr ? project->TextCodePage() : vbe_->TextCodePage();
    title_ = ui::VbQString(name, page) + kProgramName + " [design]";
    vbe_->Main().SetCaption(ui::VbBytes(title_, page));
    setWindowTitle(title_ + "[*]");
}

void IdeWindow::OpenDialog() {
    const QStringList paths =
        QFileDialog::getOpenFileNames(this, tr("Open Project"), QString(),
                                      tr("VB projects and modules (*.vbp *.vbg *.bas *.cls *.frm "
                                         "*.ctl *.pag *.dob *.dsr);;All files (*)"));
    Open(paths);
}

void IdeWindow::AddRecent(const QStringList& paths) {
    QSettings settings(kProgramName, "workbench");
    QStringList recent = settings.value("recent").toStringList();
    for (const QString& p : paths) {
        const QString absolute = QFileInfo(p).absoluteFilePath();
        recent.removeAll(absolute);
        recent.prepend(absolute);
    }
    while (recent.size() > kRecentCount) recent.removeLast();
    settings.setValue("recent", recent);
}

void IdeWindow::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = QSettings(kProgramName, "workbench").value("recent").toStringList();
    for (const QString& path : recent) {
        recentMenu_->addAction(path, this, [this, path] { Open({path}); });
    }
    recentMenu_->setEnabled(true);
    if (recent.isEmpty()) recentMenu_->addAction(tr("(none)"))->setEnabled(false);
}

void IdeWindow::closeEvent(QCloseEvent* event) {
    if (!SettleUnsavedChanges(tr("Save changes before closing?"), this)) {
        event->ignore();
        return;
    }
    DisconnectAddIn();
    app_.WindowClosed(*this);
    event->accept();
}

void IdeWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void IdeWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    if (Open(paths)) event->acceptProposedAction();
}

}  // namespace qv::workbench
