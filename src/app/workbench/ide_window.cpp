#include "app/workbench/ide_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
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

#include "app/workbench/add_in_list.h"
#include "app/workbench/add_in_manager.h"
#include "app/workbench/code_text.h"
#include "app/workbench/command_bar_view.h"
#include "app/workbench/designer_view.h"
#include "app/workbench/run_summary.h"
#include "app/workbench/workbench_app.h"
#include "findwindow/find_dock.h"
#include "host/files/file_error.h"
#include "host/files/module_loader.h"
#include "host/memory/memory_windows.h"
#include "mainwindow/main_window.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "settings/settings_operations.h"
#include "shell/command_catalogue.h"
#include "shell/connection.h"
#include "settings/code_page_setting.h"
#include "shell/process_start.h"
#include "ui/vb_qstring.h"
#include "workspace/saving.h"

namespace qv::workbench {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

namespace {

// "Project1 - Module1 (Code)": the names read in the code pages of their files.
QString WindowTitle(MemoryComponent& component, const char* kind) {
    const auto& project = component.Owner().Project();
    return ui::VbQString(project.Name(), project.TextCodePage()) + " - " +
           ui::VbQString(component.Name(), component.TextCodePage()) + kind;
}

constexpr int kComponentRole = Qt::UserRole + 1;
constexpr int kBarRole = Qt::UserRole + 2;  // the pop-up bar of a tree item
constexpr int kRecentCount = 8;
constexpr const char* kProgramName = "qvaddin-workbench";
// A new code window's size, and the step between cascaded windows.
constexpr QSize kCodeWindowSize(720, 480);
constexpr QSize kSmallestCodeWindow(360, 240);
constexpr int kCascadeStep = 28;

struct Folder {
    const char* caption;
    std::vector<int> types;
    const char* bar;
};

const std::vector<Folder>& Folders() {
    static const std::vector<Folder> folders = {
        {"Forms",
         {host::vbext_ct_VBForm, host::vbext_ct_VBMDIForm, host::vbext_ct_MSForm},
         "Project Window Form Folder"},
        {"Modules", {host::vbext_ct_StdModule}, "Project Window Module/Class Folder"},
        {"Class Modules", {host::vbext_ct_ClassModule}, "Project Window Module/Class Folder"},
        {"User Controls", {host::vbext_ct_UserControl}, "Project Window"},
        {"Property Pages", {host::vbext_ct_PropPage}, "Project Window"},
        {"User Documents", {host::vbext_ct_DocObject}, "Project Window"},
        {"Designers", {host::vbext_ct_ActiveXDesigner}, "Project Window"},
        {"Related Documents",
         {host::vbext_ct_RelatedDocument, host::vbext_ct_ResFile},
         "Project Window"},
    };
    return folders;
}

size_t FolderOf(int type) {
    for (size_t i = 0; i < Folders().size(); ++i) {
        for (int t : Folders()[i].types) {
            if (t == type) return i;
        }
    }
    return 1;
}

QString FileName(const std::string& path) {
    return QString::fromStdString(path).section(u'/', -1);
}

std::vector<MemoryCodeModule*> AllModules(host::memory::MemoryVbe& vbe) {
    std::vector<MemoryCodeModule*> modules;
    for (long p = 1; p <= vbe.Projects().Count(); ++p) {
        auto& components = vbe.Projects().At(p).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            if (MemoryCodeModule* code = components.At(c).Code()) modules.push_back(code);
        }
    }
    return modules;
}

host::Window* WindowOfType(host::VBE& vbe, int type) {
    for (long i = 1; i <= vbe.Windows().Count(); ++i) {
        if (vbe.Windows().Item(i).Type() == type) return &vbe.Windows().Item(i);
    }
    return nullptr;
}

}  // namespace

IdeWindow::IdeWindow(WorkbenchApp& app)
    : app_(app),
      vbe_(std::make_unique<host::memory::MemoryVbe>()),
      bars_(std::make_unique<CommandBarView>(vbe_->Bars())) {
    findwindow::RegisterFindDocument(vbe_->AllWindows());
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

// ---------------------------------------------------------------- building

void IdeWindow::BuildDocks() {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OnTreeActivated(item); });
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { OnTreeSelection(); });
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ProjectPopup(p); });
    properties_ = new QTableWidget(0, 2, this);
    properties_->setHorizontalHeaderLabels({tr("Property"), tr("Value")});
    properties_->horizontalHeader()->setStretchLastSection(true);
    properties_->verticalHeader()->hide();
    properties_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    immediate_ = new QPlainTextEdit(this);

    auto dock = [this](QDockWidget*& d, const QString& title, QWidget* w, Qt::DockWidgetArea area,
                       int type) {
        d = new QDockWidget(title, this);
        d->setObjectName(title);
        d->setWidget(w);
        addDockWidget(area, d);
        connect(d, &QDockWidget::visibilityChanged, this, [this, d, type](bool) {
            if (host::Window* record = WindowOfType(*vbe_, type))
                record->SetVisible(!d->isHidden());
        });
    };
    dock(projectDock_, tr("Project"), tree_, Qt::RightDockWidgetArea, host::vbext_wt_ProjectWindow);
    dock(propertiesDock_, tr("Properties"), properties_, Qt::RightDockWidgetArea,
         host::vbext_wt_PropertyWindow);
    dock(immediateDock_, tr("Immediate"), immediate_, Qt::BottomDockWidgetArea,
         host::vbext_wt_Immediate);
}

void IdeWindow::BuildActions() {
    auto menu = [this](const QString& caption) {
        auto* m = new QMenu(caption, this);
        ownMenus_[caption] = m;
        bars_->SetMenu(caption, m);
        return m;
    };
    QMenu* file = menu(tr("&File"));
    file->addAction(tr("&Open Project..."), QKeySequence::Open, this, [this] { OpenDialog(); });
    recentMenu_ = file->addMenu(tr("Recent &Files"));
    connect(recentMenu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    QAction* save =
        file->addAction(tr("&Save Project"), QKeySequence::Save, this, [this] { SaveAll(); });
    file->addAction(tr("Save A&ll"), this, [this] { SaveAll(); });
    file->addSeparator();
    file->addAction(tr("New &Window"), this, [this] { app_.NewWindow().show(); });
    file->addAction(tr("&Close Window"), this, [this] { close(); });
    file->addAction(tr("E&xit"), this, [this] { app_.CloseAll(); });

    QMenu* edit = menu(tr("&Edit"));
    undo_ = edit->addAction(tr("&Undo"), QKeySequence::Undo, this, [this] { Undo(); });
    redo_ = edit->addAction(tr("&Redo"), this, [this] { Redo(); });
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo_->setEnabled(false);
    redo_->setEnabled(false);
    edit->addSeparator();
    auto onEditor = [this](void (QPlainTextEdit::*f)()) {
        return [this, f] {
            if (auto* w = mdi_->activeSubWindow(); w && dynamic_cast<CodeWindow*>(w->widget())) {
                (static_cast<CodeWindow*>(w->widget())->Editor().*f)();
            }
        };
    };
    QAction* cut =
        edit->addAction(tr("Cu&t"), QKeySequence::Cut, this, onEditor(&QPlainTextEdit::cut));
    edit->addAction(tr("&Copy"), QKeySequence::Copy, this, onEditor(&QPlainTextEdit::copy));
    edit->addAction(tr("&Paste"), QKeySequence::Paste, this, onEditor(&QPlainTextEdit::paste));

    QMenu* view = menu(tr("&View"));
    QAction* code = view->addAction(tr("&Code"), QKeySequence(Qt::Key_F7), this, [this] {
        if (MemoryComponent* c = ComponentOf(tree_->currentItem())) OpenCodeWindow(*c);
    });
    view->addAction(tr("O&bject"), QKeySequence(Qt::SHIFT | Qt::Key_F7), this, [this] {
        if (MemoryComponent* c = ComponentOf(tree_->currentItem())) OpenDesigner(*c);
    });
    view->addSeparator();
    view->addAction(tr("&Immediate Window"), QKeySequence(Qt::CTRL | Qt::Key_G), this, [this] {
        WindowOfType(*vbe_, host::vbext_wt_Immediate)->SetVisible(true);
        SyncWindowsFromHost();
    });
    view->addAction(tr("Project E&xplorer"), QKeySequence(Qt::CTRL | Qt::Key_R), this, [this] {
        WindowOfType(*vbe_, host::vbext_wt_ProjectWindow)->SetVisible(true);
        SyncWindowsFromHost();
    });
    QAction* properties =
        view->addAction(tr("Properties &Window"), QKeySequence(Qt::Key_F4), this, [this] {
            WindowOfType(*vbe_, host::vbext_wt_PropertyWindow)->SetVisible(true);
            SyncWindowsFromHost();
        });
    view->addAction(standard_->toggleViewAction());

    QMenu* addIns = menu(tr("&Add-Ins"));
    addIns->addAction(tr("&Add-In Manager..."), this, [this] { RunAddInManager(*this); });

    QMenu* window = menu(tr("&Window"));
    window->addAction(tr("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
    window->addAction(tr("&Tile"), mdi_, &QMdiArea::tileSubWindows);
    window->addSeparator();
    window->addAction(tr("C&lose"), QKeySequence(Qt::CTRL | Qt::Key_F4), mdi_,
                      &QMdiArea::closeActiveSubWindow);
    window->addAction(tr("&Next"), QKeySequence(Qt::CTRL | Qt::Key_F6), mdi_,
                      &QMdiArea::activateNextSubWindow);
    window->addAction(tr("&Previous"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), mdi_,
                      &QMdiArea::activatePreviousSubWindow);

    QMenu* help = menu(tr("&Help"));
    help->addAction(tr("&About"), this, [this] {
        QMessageBox::about(
            this, tr("About"),
            tr("%1\nA small VB6-style IDE that loads the add-in.").arg(kProgramName));
    });

    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cut->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    bars_->SetBuiltIn(3, save);
    bars_->SetBuiltIn(21, cut);
    bars_->SetBuiltIn(2558, code);
    bars_->SetBuiltIn(2578, properties);
    bars_->SetBuiltIn(222, properties);
}

void IdeWindow::Redraw() {
    bars_->DrawMenuBar(*menuBar());
    bars_->DrawToolBar(*standard_);
    SyncWindowsFromHost();
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
    options.tabWidth = settings::StoredTabWidth().HostWidth();
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

void IdeWindow::FillProjectTree() {
    tree_->clear();
    for (long p = 1; p <= vbe_->Projects().Count(); ++p) {
        auto& project = vbe_->Projects().At(p);
        auto* root = new QTreeWidgetItem(tree_);
        root->setText(
            0, ui::VbQString(project.Name(), project.TextCodePage()) +
                   (project.FileName().empty() ? QString()
                                               : " (" + FileName(project.FileName()) + ")"));
        root->setData(0, kBarRole, "Project Window Project");
        std::vector<QTreeWidgetItem*> folders(Folders().size(), nullptr);
        auto folderItem = [&](size_t f) {
            if (folders[f] == nullptr) {
                folders[f] = new QTreeWidgetItem(root, {tr(Folders()[f].caption)});
                folders[f]->setData(0, kBarRole, Folders()[f].bar);
            }
            return folders[f];
        };
        for (long c = 1; c <= project.Components().Count(); ++c) {
            MemoryComponent& component = project.Components().At(c);
            const size_t f = FolderOf(component.Type());
            QString label = ui::VbQString(component.Name(), component.TextCodePage());
            if (component.FileCount() > 0) label += " (" + FileName(component.FileNames(1)) + ")";
            auto* item = new QTreeWidgetItem(folderItem(f), {label});
            item->setData(0, kComponentRole, QVariant::fromValue(quintptr(&component)));
            item->setData(0, kBarRole, Folders()[f].bar);
        }
        for (const host::files::BrokenModule& broken : target_->BrokenModules(&project)) {
            const size_t f = FolderOf(host::files::TypeOfExtension(broken.path));
            auto* item = new QTreeWidgetItem(folderItem(f),
                                             {ui::MessageQString(broken.name) +
                                              tr(" (cannot be read)")});
            item->setForeground(0, Qt::gray);
            item->setToolTip(0, ui::MessageQString(broken.message));
        }
        root->setExpanded(true);
        for (QTreeWidgetItem* folder : folders) {
            if (folder != nullptr) folder->setExpanded(true);
        }
    }
}

MemoryComponent* IdeWindow::ComponentOf(QTreeWidgetItem* item) {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<MemoryComponent*>(item->data(0, kComponentRole).value<quintptr>());
}

void IdeWindow::OnTreeSelection() {
    QTreeWidgetItem* item = tree_->currentItem();
    MemoryComponent* component = ComponentOf(item);
    vbe_->SetSelectedComponent(component);
    while (item != nullptr && item->parent() != nullptr) item = item->parent();
    if (item != nullptr)
        vbe_->SetActiveProject(&vbe_->Projects().At(tree_->indexOfTopLevelItem(item) + 1));
    ShowProperties(component);
}

void IdeWindow::OnTreeActivated(QTreeWidgetItem* item) {
    if (MemoryComponent* component = ComponentOf(item)) OpenCodeWindow(*component);
}

void IdeWindow::ShowProperties(MemoryComponent* component) {
    properties_->setRowCount(0);
    if (component == nullptr) return;
    host::memory::MemoryProperties& props = component->Props();
    properties_->setRowCount(static_cast<int>(props.Count()) + 1);
    properties_->setItem(0, 0, new QTableWidgetItem("(Name)"));
    const text::CodePage page = component->TextCodePage();
    properties_->setItem(0, 1, new QTableWidgetItem(ui::VbQString(component->Name(), page)));
    for (long i = 1; i <= props.Count(); ++i) {
        properties_->setItem(static_cast<int>(i), 0,
                             new QTableWidgetItem(ui::VbQString(props.Item(i).Name(), page)));
        properties_->setItem(static_cast<int>(i), 1,
                             new QTableWidgetItem(ui::VbQString(props.Item(i).Value(), page)));
    }
}

void IdeWindow::ProjectPopup(const QPoint& position) {
    QTreeWidgetItem* item = tree_->itemAt(position);
    if (item != nullptr) tree_->setCurrentItem(item);
    const QString bar = item != nullptr ? item->data(0, kBarRole).toString() : "Project Window";
    QMenu popup(this);
    bars_->FillPopup(popup, bar.toStdString());
    popup.exec(tree_->viewport()->mapToGlobal(position));
}

CodeWindow* IdeWindow::OpenCodeWindow(MemoryComponent& component) {
    MemoryCodeModule* module = component.Code();
    if (module == nullptr) return nullptr;
    QMdiSubWindow* sub = codeWindows_.value(module);
    if (sub == nullptr) {
        auto* window = new CodeWindow(*module, *this);
        sub = mdi_->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(WindowTitle(component, " (Code)[*]"));
        PlaceNewSubWindow(*sub);
        codeWindows_[module] = sub;
        sub->installEventFilter(this);
        UpdateModuleMarkers();
    }
    module->CodePane().Show();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    auto* window = static_cast<CodeWindow*>(sub->widget());
    window->Editor().setFocus();
    return window;
}

void IdeWindow::OpenDesigner(MemoryComponent& component) {
    if (component.Designer() == nullptr) return;
    QMdiSubWindow* sub = designers_.value(&component);
    if (sub == nullptr) {
        sub = mdi_->addSubWindow(new DesignerView(component));
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(WindowTitle(component, " (Form)"));
        PlaceNewSubWindow(*sub);
        designers_[&component] = sub;
    }
    sub->show();
    mdi_->setActiveSubWindow(sub);
}

bool IdeWindow::ShowModule(const QString& moduleName, long line) {
    const std::string wanted = moduleName.toStdString();
    for (long p = 1; p <= vbe_->Projects().Count(); ++p) {
        auto& components = vbe_->Projects().At(p).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            MemoryComponent& component = components.At(c);
            if (!text::SameTextIgnoringCase(component.Name(), component.TextCodePage(), wanted) ||
                component.Code() == nullptr)
                continue;
            CodeWindow* window = OpenCodeWindow(component);
            window->GoToLine(std::max(1L, line));
            window->PublishSelection();
            return true;
        }
    }
    QMessageBox::warning(this, kProgramName, tr("No module named %1 is open.").arg(moduleName));
    return false;
}

void IdeWindow::PlaceNewSubWindow(QMdiSubWindow& sub) {
    const QSize area = mdi_->viewport()->size();
    int shown = 0;
    for (QMdiSubWindow* other : mdi_->subWindowList()) {
        if (other != &sub && other->isVisible()) ++shown;
    }
    // Down and to the right by one step per window shown, back to the
    // corner before a window would get smaller than it can be used at.
    const int room = std::min(area.width() - kSmallestCodeWindow.width(),
                              area.height() - kSmallestCodeWindow.height());
    const int steps = std::max(1, room / kCascadeStep + 1);
    const int offset = (shown % steps) * kCascadeStep;
    const QSize size(std::max(1, std::min(kCodeWindowSize.width(), area.width() - offset)),
                     std::max(1, std::min(kCodeWindowSize.height(), area.height() - offset)));
    sub.setGeometry(QRect(QPoint(offset, offset), size));
}

void IdeWindow::OnSubWindowActivated(QMdiSubWindow* sub) {
    if (sub == nullptr) {
        // No code window is in front: no line and column to show.
        if (mdi_->activeSubWindow() == nullptr) position_->clear();
        return;
    }
    // Ctrl+F4 is the Window menu's: the same key on the window's own system
    // menu would make both of them ambiguous, and neither would close.
    for (QAction* action : sub->systemMenu()->actions()) {
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
            action->setShortcut({});
    }
    if (auto* window = dynamic_cast<CodeWindow*>(sub->widget())) {
        MemoryCodeModule& module = window->Module();
        auto& component = static_cast<MemoryComponent&>(module.Parent());
        vbe_->SetActiveCodePane(&module.CodePane());
        vbe_->SetSelectedComponent(&component);
        vbe_->SetActiveProject(&component.Owner().Project());
        ShowProperties(&component);
        const QTextCursor cursor = window->Editor().textCursor();
        CursorMoved(cursor.blockNumber() + 1, cursor.positionInBlock() + 1);
    }
}

bool IdeWindow::eventFilter(QObject* watched, QEvent* event) {
    // A code window the user closes is closed in the host's collection too.
    if (event->type() == QEvent::Close) {
        for (auto it = codeWindows_.begin(); it != codeWindows_.end(); ++it) {
            if (it.value() == watched) it.key()->CodePane().Window().Close();
        }
        // Once it is hidden, the window before it comes to the front.
        QMetaObject::invokeMethod(this, [this] { ActivateFrontWindow(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void IdeWindow::ActivateFrontWindow() {
    if (QMdiSubWindow* active = mdi_->activeSubWindow(); active != nullptr && active->isVisible())
        return;
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(*it)->isVisible()) continue;
        mdi_->setActiveSubWindow(*it);
        if (auto* code = dynamic_cast<CodeWindow*>((*it)->widget())) code->Editor().setFocus();
        return;
    }
}

void IdeWindow::CursorMoved(long line, long column) {
    position_->setText(tr("Ln %1, Col %2").arg(line).arg(column));
}

void IdeWindow::CodePopup(const QPoint& globalPosition) {
    QMenu popup(this);
    bars_->FillPopup(popup, "Code Window");
    popup.exec(globalPosition);
}

// ---------------------------------------------------------------- host windows

void IdeWindow::SyncWindowsFromHost() {
    const std::pair<int, QDockWidget*> docks[] = {{host::vbext_wt_ProjectWindow, projectDock_},
                                                  {host::vbext_wt_PropertyWindow, propertiesDock_},
                                                  {host::vbext_wt_Immediate, immediateDock_}};
    for (const auto& [type, dock] : docks) {
        if (host::Window* record = WindowOfType(*vbe_, type)) dock->setVisible(record->Visible());
    }
    for (auto it = codeWindows_.begin(); it != codeWindows_.end(); ++it) {
        const bool visible = it.key()->CodePane().Window().Visible();
        if (!visible && it.value()->isVisible()) it.value()->hide();
    }
}

// ---------------------------------------------------------------- commands and undo

void IdeWindow::FlushEditors() {
    for (QMdiSubWindow* sub : codeWindows_) static_cast<CodeWindow*>(sub->widget())->Flush(true);
}

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
    summary_->show();
}

void IdeWindow::GoToRoutine(host::VBComponent& component, const std::string& routine, int kind,
                            bool focusCode) {
    auto& memory = static_cast<MemoryComponent&>(component);
    QWidget* hadFocus = QApplication::focusWidget();
    CodeWindow* window = OpenCodeWindow(memory);
    if (window == nullptr) return;
    long line = 1;
    if (!routine.empty() && routine != analysis::kDeclarationsName) {
        try {
            line = memory.Code()->ProcBodyLine(routine, kind);
        } catch (const std::exception&) {
            line = 1;  // the routine went since the command ran
        }
    }
    window->GoToLine(line);
    window->PublishSelection();
    if (focusCode) {
        activateWindow();
        window->Editor().setFocus();
    } else if (hadFocus != nullptr) {
        hadFocus->activateWindow();
        hadFocus->setFocus();
    }
}

void IdeWindow::Undo() {
    FlushEditors();
    history_.undo();
}

void IdeWindow::Redo() {
    FlushEditors();
    history_.redo();
}

// ---------------------------------------------------------------- saving

bool IdeWindow::HasUnsavedChanges() {
    FlushEditors();
    return !history_.isClean();
}

QStringList IdeWindow::UnsavedModules() {
    FlushEditors();
    QStringList names;
    for (MemoryCodeModule* module : AllModules(*vbe_)) {
        if (module->EditCount() == savedEdits_.value(module, 0)) continue;
        auto& component = static_cast<MemoryComponent&>(module->Parent());
        QString name = ui::VbQString(component.Name(), component.Collection().Parent().TextCodePage());
        if (component.FileCount() > 0) name += " (" + FileName(component.FileNames(1)) + ")";
        names << name;
    }
    return names;
}

bool IdeWindow::SettleUnsavedChanges(const QString& question, QWidget* over) {
    if (!HasUnsavedChanges() || letGoAt_ == history_.index()) return true;
    constexpr qsizetype kNamed = 12;
    const QStringList modules = UnsavedModules();
    QString text = question;
    if (!modules.isEmpty()) {
        text += "\n\n" + tr("Changed and not saved:") + "\n    " +
                modules.mid(0, kNamed).join("\n    ");
        if (modules.size() > kNamed) text += "\n    " + tr("and %n more", nullptr,
                                                            static_cast<int>(modules.size() - kNamed));
    }
    const auto answer = QMessageBox::question(
        over != nullptr ? over : this, kProgramName, text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save) return SaveAll();
    letGoAt_ = history_.index();
    return true;
}

bool IdeWindow::SaveAll() {
    FlushEditors();
    return SaveChanges();
}

bool IdeWindow::SaveChanges() {
    if (!target_) return true;
    // A file another program changed since it was read is written only when
    // the user says so.
    bool declined = false;
    const workspace::SaveResult saved =
        workspace::SaveChanges(*target_, [this, &declined](const std::string& path) {
            const auto answer = QMessageBox::question(
                this, kProgramName,
                tr("%1 was changed by another program since it was opened.\nOverwrite it?")
                    .arg(QString::fromStdString(path)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            declined |= answer != QMessageBox::Yes;
            return answer == QMessageBox::Yes;
        });
    if (!saved.Ok()) {
        if (!declined) {
            QMessageBox::warning(
                this, kProgramName,
                tr("Nothing was saved:\n%1").arg(QString::fromStdString(saved.error)));
        }
        return false;
    }
    for (MemoryCodeModule* module : AllModules(*vbe_)) savedEdits_[module] = module->EditCount();
    history_.setClean();
    UpdateModuleMarkers();
    statusBar()->showMessage(tr("Saved %n file(s)", nullptr, static_cast<int>(saved.paths.size())),
                             5000);
    return true;
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

// ---------------------------------------------------------------- caption, files, closing

void IdeWindow::UpdateCaption() {
    host::VBProject* project = vbe_->ActiveVBProject();
    const std::string name = project != nullptr ? project->Name() + " - " : std::string();
    const text::CodePage page = project != nullptr ? project->TextCodePage() : vbe_->TextCodePage();
    title_ = ui::VbQString(name, page) + kProgramName + " [design]";
    vbe_->Main().SetCaption(ui::VbBytes(title_, page));
    setWindowTitle(title_ + "[*]");
}

bool IdeWindow::Unsaved() const {
    // Typing is a step from its first keystroke, although it reaches the
    // history only when the cursor leaves it.
    return AnyTyping() || !history_.isClean();
}

void IdeWindow::UpdateModifiedMarker() {
    setWindowModified(Unsaved());
}

void IdeWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A code window that hides (Close Windows, its close button) clears its
    // main window's modified mark, which is Qt's way for maximised windows;
    // here the mark says whether anything is unsaved, so it is put back.
    if (event->type() == QEvent::ModifiedChange && isWindowModified() != Unsaved()) {
        UpdateModifiedMarker();
    }
}

void IdeWindow::UpdateModuleMarkers() {
    for (auto it = codeWindows_.begin(); it != codeWindows_.end(); ++it) {
        const bool typing = static_cast<CodeWindow*>(it.value()->widget())->HasTyping();
        it.value()->setWindowModified(typing ||
                                      it.key()->EditCount() != savedEdits_.value(it.key(), 0));
    }
}

bool IdeWindow::AnyTyping() const {
    for (QMdiSubWindow* sub : codeWindows_) {
        if (static_cast<CodeWindow*>(sub->widget())->HasTyping()) return true;
    }
    return false;
}

void IdeWindow::UpdateEditState() {
    // Undo puts open typing into the history first.
    const bool typing = AnyTyping();
    UpdateModifiedMarker();
    undo_->setEnabled(typing || history_.canUndo());
    redo_->setEnabled(!typing && history_.canRedo());
    UpdateModuleMarkers();
}

void IdeWindow::WatchPaneFocus(MemoryCodeModule& module) {
    auto* window = dynamic_cast<host::memory::MemoryWindow*>(&module.CodePane().Window());
    if (window == nullptr) return;
    window->SetFocusHandler([this, &module](host::memory::MemoryWindow&) {
        CodeWindow* code = OpenCodeWindow(static_cast<MemoryComponent&>(module.Parent()));
        if (code == nullptr) return;
        code->FollowPane();
        activateWindow();
        code->Editor().setFocus(Qt::OtherFocusReason);
    });
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
