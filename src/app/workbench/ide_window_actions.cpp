#include "app/workbench/ide_window.h"

// The IDE window's docks, menus and actions, and the docks kept in step with
// the host's windows.

#include <QDockWidget>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>

#include "app/workbench/add_in_manager.h"
#include "app/workbench/command_bar_view.h"
#include "app/workbench/ide_window_shared.h"
#include "app/workbench/workbench_app.h"

namespace qv::workbench {

using host::memory::MemoryComponent;

namespace {

host::Window* WindowOfType(host::VBE& vbe, int type) {
    for (long i = 1; i <= vbe.Windows().Count(); ++i) {
        if (vbe.Windows().Item(i).Type() == type) return &vbe.Windows().Item(i);
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- building

void IdeWindow::BuildDocks() {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    // A long module or file name scrolls into view instead of being cut
    // short with an ellipsis.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
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

}  // namespace qv::workbench
