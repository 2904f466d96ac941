// The workbench and the add-in's windows driven as a person drives them, on
// a copy of the example project: keys go to the widget with the focus, clicks
// to the widget under a point, and a dialog that opens is answered the same
// way. Grouped by what the person is doing: managing the add-in, closing,
// running commands from the code window and the project window, and looking
// at the windows.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <memory>

#include "app/workbench/code_window.h"
#include "app/workbench/example_copy.h"
#include "app/workbench/real_input.h"
#include "app/workbench/ide_window.h"
#include "app/workbench/run_summary.h"
#include "app/workbench/workbench_app.h"
#include "findwindow/find_window.h"
#include "host/host_constants.h"
#include "mainwindow/main_window.h"
#include "mainwindow/project_browser.h"
#include "settings/profile_file.h"
#include "shell/process_start.h"
#include "ui/app_icons.h"

using qv::workbench::CodeWindow;
using qv::workbench::IdeWindow;
using qv::workbench::WorkbenchApp;

namespace {

// The add-in's value in the add-in list file.
std::string AddInListValue() {
    const std::string content = qv::settings::ReadProfileFile(qv::shell::AddInListPath());
    return qv::settings::ReadProfileKey(content, qv::shell::kAddInListSection,
                                        qv::shell::kAddInKey)
        .value_or("(none)");
}

QDockWidget* FindDock(IdeWindow& ide) {
    for (QDockWidget* dock : ide.findChildren<QDockWidget*>()) {
        if (dock->windowTitle() == "Find") return dock;
    }
    return nullptr;
}

// What a person sees of the add-in: its buttons on the tool bar or its
// pop-up on the menu bar.
bool MenusHoldTheAddIn(IdeWindow& ide) {
    for (QToolBar* bar : ide.findChildren<QToolBar*>()) {
        for (QAction* button : bar->actions()) {
            if (button->text().contains("QVAddin") || button->text().contains("DA Zarav"))
                return true;
        }
    }
    for (QAction* menu : ide.menuBar()->actions()) {
        if (menu->text().contains("DA Zarav")) return true;
        if (menu->menu() == nullptr) continue;
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->text().contains("QVAddin")) return true;
        }
    }
    return false;
}

QImage Look(const QIcon& icon) {
    return icon.pixmap(32, 32).toImage();
}

}  // namespace

class IdeUseTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        config_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
        qv::shell::SubMain();
        project_ = std::make_unique<QTemporaryDir>();
        CopyExample(project_->path());
    }

    // ------------------------------------------------------------ the add-in manager

    void LoadOnStartupTurnedOffStaysOffAfterARestart() {
        {
            WorkbenchApp app;
            IdeWindow& ide = Shown(app.NewWindow());
            QVERIFY(ide.AddInLoaded());
            QCOMPARE(AddInListValue(), std::string("1"));
            // The IDE's title (as shown: without Qt's mark of a change) ends
            // with its state, not with the add-in's name.
            QVERIFY2(QString(ide.windowTitle()).remove("[*]").endsWith("[design]"),
                     qPrintable(ide.windowTitle()));
            QVERIFY(MenusHoldTheAddIn(ide));
            QString listed, description;
            WhenModalOpens<QDialog>([&](QDialog& manager) {
                auto* list = manager.findChild<QTreeWidget*>();
                listed = list->currentItem()->text(0);
                for (QLabel* label : manager.findChildren<QLabel*>())
                    if (label->wordWrap()) description = label->text();
                AccessKey(Qt::Key_S);  // Load on Startup
                Key(Qt::Key_Return);
            });
            ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);  // Add-Ins, Add-In Manager...
            QCOMPARE(AddInListValue(), std::string("0"));
            QVERIFY(ide.AddInLoaded());  // loaded still: only the start-up changed
            // The add-in by its name, with a description of what it does.
            QVERIFY2(listed.startsWith("QVAddin"), qPrintable(listed));
            QVERIFY2(description.contains("error handl"), qPrintable(description));
        }
        qv::shell::SubMain();  // the next start of the program
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QCOMPARE(AddInListValue(), std::string("0"));
        QVERIFY(!ide.AddInLoaded());
        QVERIFY(!MenusHoldTheAddIn(ide));
        QVERIFY(!app.HasHotKey(1));
    }

    void UnloadingTheAddInClosesItsFindWindow() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(FindDock(ide) != nullptr && FindDock(ide)->isVisible());
        WhenModalOpens<QDialog>([](QDialog&) {
            AccessKey(Qt::Key_L);  // Loaded/Unloaded
            Key(Qt::Key_Return);
        });
        ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);
        QVERIFY(!ide.AddInLoaded());
        QTRY_VERIFY(FindDock(ide) == nullptr || !FindDock(ide)->isVisible());
        ClickOn(CodeWindowOf(ide, "modMain").Editor());
        Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);  // no add-in, no find
        QVERIFY(FindDock(ide) == nullptr || !FindDock(ide)->isVisible());

        // Loaded again, the add-in has a find window of its own that works.
        WhenModalOpens<QDialog>([](QDialog&) {
            AccessKey(Qt::Key_L);
            Key(Qt::Key_Return);
        });
        ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);
        QVERIFY(ide.AddInLoaded());
        ClickOn(CodeWindowOf(ide, "modMain").Editor());
        Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QDockWidget* dock = FindDock(ide);
        QVERIFY(dock != nullptr && dock->isVisible());
        auto* find = dynamic_cast<qv::findwindow::FindWindow*>(dock->widget());
        QVERIFY(find != nullptr);
        find->SearchBox().setEditText("Balance");
        ClickOn(find->FindButton());
        QVERIFY(find->ResultTree().model()->rowCount() > 0);
    }

    void UnloadingInTheManagerRemovesEveryButtonAndLoadingPutsThemBack() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(ide.AddInLoaded());  // the add-in list loads it at start-up
        const auto count = [&ide](const char* bar) {
            return ide.Vbe().CommandBars().Item(bar).Controls().Count();
        };
        const long loaded = count("Code Window");
        const auto toggleLoaded = [] {
            WhenModalOpens<QDialog>([](QDialog&) {
                AccessKey(Qt::Key_L);  // Loaded/Unloaded
                Key(Qt::Key_Return);
            });
        };
        toggleLoaded();
        ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);  // Add-Ins, Add-In Manager...
        QVERIFY(!ide.AddInLoaded());
        const long plain = count("Code Window");
        const long standard = count("Standard");
        QVERIFY(loaded > plain);
        QVERIFY(!MenusHoldTheAddIn(ide));
        QVERIFY(!app.HasHotKey(1));
        toggleLoaded();
        ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);
        QVERIFY(ide.AddInLoaded());
        QCOMPARE(count("Code Window"), loaded);
        QVERIFY(app.HasHotKey(1));
        toggleLoaded();
        ChooseFromMenu(ide, Qt::Key_A, Qt::Key_A);
        QCOMPARE(count("Code Window"), plain);  // nothing left behind by the second load
        QCOMPARE(count("Standard"), standard);
    }

    // ------------------------------------------------------------ closing

    void ExternalMainWindowStaysAsItWasWhenClosingIsCancelled() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 12));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);  // a change not saved
        QVERIFY(ide.HasUnsavedChanges());
        ide.DisconnectAddIn();
        QString question;
        int rowsBefore = -1, rowsAfterCancel = -1;
        bool openAfterCancel = false;
        using qv::mainwindow::MainWindow;
        // Up, with the active project's modules listed.
        const auto listed = [](MainWindow& window) {
            return !window.SplashShown() && window.Browser().isEnabled() &&
                   window.Browser().ModuleList().topLevelItemCount() > 0;
        };
        const auto closeTwice = [&](MainWindow& window) {
            rowsBefore = window.Browser().ModuleList().topLevelItemCount();
            AnswerWith(QMessageBox::Cancel, &question);
            ClickOn(window.CloseButton());
            openAfterCancel = window.isVisible() && !window.SplashShown();
            rowsAfterCancel = window.Browser().ModuleList().topLevelItemCount();
            AnswerWith(QMessageBox::Discard);
            ClickOn(window.CloseButton());
        };
        WhenModalOpens<MainWindow>(closeTwice, 60000, listed);
        ide.ConnectAddIn(qv::host::ext_cm_External);  // the main window alone, until closed
        QVERIFY(openAfterCancel);
        QVERIFY(rowsBefore > 0);
        QCOMPARE(rowsAfterCancel, rowsBefore);
        // The question names what is not saved, and only that.
        QVERIFY2(question.contains("modMain (modMain.bas)"), qPrintable(question));
        QVERIFY2(!question.contains("CAccount"), qPrintable(question));
        // Answered once: closing the program asks no more.
        bool askedAgain = false;
        WhenModalOpens<QMessageBox>(
            [&](QMessageBox& box) {
                askedAgain = true;
                ClickOn(*box.button(QMessageBox::Cancel));
            },
            500);
        QVERIFY(ide.close());
        QVERIFY(!askedAgain);
        QTest::qWait(600);
    }

    // ------------------------------------------------------------ the code window

    void AHotKeyCommandKeepsTheChangedRoutineInView() {
        AppendRoutines(40);
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 200));
        QPlainTextEdit& editor = CodeWindowOf(ide, "modMain").Editor();
        const int top = TopLine(editor);
        QVERIFY(top > 150);
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(editor.toPlainText().count("Error_Routine") > 0);
        QTest::qWait(50);
        QVERIFY2(std::abs(TopLine(editor) - top) <= 2, qPrintable(QString::number(TopLine(editor))));
        QVERIFY(editor.viewport()->rect().contains(editor.cursorRect()));
    }

    void TheTitleKeepsItsMarkWhileAModuleIsUnsaved() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(ide.windowHandle()->title().contains('*'), qPrintable(ide.windowHandle()->title()));
        Key(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);  // Close Windows
        for (QMdiSubWindow* sub : ide.findChildren<QMdiSubWindow*>()) QVERIFY(!sub->isVisible());
        QVERIFY2(ide.windowHandle()->title().contains('*'), qPrintable(ide.windowHandle()->title()));
        QVERIFY(ide.isWindowModified());
    }

    void RightClickPutsTheCaretOnTheClickedLineBeforeThePopUp() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        QPlainTextEdit& editor = CodeWindowOf(ide, "modMain").Editor();
        const QTextBlock inTotalBalance = editor.document()->findBlockByNumber(19);
        QVERIFY(inTotalBalance.text().contains("Dim total"));
        long paneLine = 0, column = 0, endLine = 0, endColumn = 0;
        QStringList entries;
        WhenPopupOpens([&](QMenu& popup) {
            ide.Vbe().ActiveCodePane()->GetSelection(paneLine, column, endLine, endColumn);
            for (QAction* action : popup.actions()) entries << action->text();
            Key(Qt::Key_Escape);
        });
        ClickAt(*editor.viewport(), editor.cursorRect(QTextCursor(inTotalBalance)).center() +
                                        QPoint(30, 0), Qt::RightButton);
        QCOMPARE(paneLine, 20L);  // what the pop-up's commands act on
        QCOMPARE(editor.textCursor().blockNumber(), 19);
        QVERIFY2(entries.join('|').contains("Error Handling"), qPrintable(entries.join('|')));

        // Inside a selection the selection stays, to be cut or copied.
        QTextCursor selection(editor.document()->findBlockByNumber(10));
        selection.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
        editor.setTextCursor(selection);
        WhenPopupOpens([](QMenu&) { Key(Qt::Key_Escape); });
        ClickAt(*editor.viewport(),
                editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(11))).center() +
                    QPoint(10, 0),
                Qt::RightButton);
        QVERIFY(editor.textCursor().hasSelection());
    }

    void ACommandInTheDeclarationsSaysWhyItDidNothing() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 4));  // the Declare line
        auto& code = ide.Vbe().ActiveCodePane()->CodeModule();
        const std::string before = code.Lines(1, code.CountOfLines());
        QString told;
        AnswerWith(QMessageBox::Ok, &told);
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(told, QString("Select a procedure first."));
        told.clear();
        Activate(ide);
        AnswerWith(QMessageBox::Ok, &told);
        Key(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(told, QString("Select a procedure first."));
        QCOMPARE(code.Lines(1, code.CountOfLines()), before);
    }

    void TheProcedureListFollowsTheCode() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        CodeWindow& account = CodeWindowOf(ide, "CAccount");
        QComboBox* procedures = account.findChildren<QComboBox*>().value(1);
        QVERIFY(procedures != nullptr);
        QStringList listed;
        for (int i = 0; i < procedures->count(); ++i) listed << procedures->itemText(i);
        // In the class, Get Balance stands above Let Balance, and Set Owner
        // above Get Owner.
        const qsizetype getBalance = listed.indexOf("Balance [Get]");
        const qsizetype letBalance = listed.indexOf("Balance [Let]");
        QVERIFY2(getBalance >= 0 && letBalance > getBalance, qPrintable(listed.join('|')));
        QVERIFY(listed.indexOf("Owner [Set]") < listed.indexOf("Owner [Get]"));
        QCOMPARE(listed.first(), QString("(Declarations)"));
    }

    // ------------------------------------------------------------ the project window

    // The summary covers neither the project window nor the properties: its
    // rows are read beside the tree. Wider than the code area, it would
    // hide the left of the tree's rows.
    static bool LiesOverTheCodeArea(QWidget& ide, QWidget& summary) {
        const QRect shown = summary.frameGeometry();
        QWidget* area = ide.findChild<QMdiArea*>();
        const QRect code(area->mapToGlobal(QPoint(0, 0)), area->size());
        bool clear = code.contains(shown);
        for (QDockWidget* dock : ide.findChildren<QDockWidget*>()) {
            const QRect docked(dock->mapToGlobal(QPoint(0, 0)), dock->size());
            if (dock->isVisible() && docked.intersects(shown)) clear = false;
        }
        if (!clear) qWarning() << "summary" << shown << "code area" << code;
        return clear;
    }

    void AProjectCommandEndsWithASummaryToClickThrough() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        RunFromProjectPopup(ide, Qt::Key_E);  // Add Error Handling to Project
        qv::workbench::RunSummary* summary = ide.Summary();
        QVERIFY(summary != nullptr && summary->isVisible());
        QCOMPARE(summary->SummaryLabel().text(),
                 QString("Add Error Handling to Project Example: 16 routines changed in 3 "
                         "modules; none refused."));
        QVERIFY(summary->windowTitle().contains("Add Error Handling to Project"));
        QVERIFY(LiesOverTheCodeArea(ide, *summary));

        // Again: every routine has its handler now, and says so.
        Activate(ide);
        RunFromProjectPopup(ide, Qt::Key_E);
        summary = ide.Summary();
        QVERIFY(summary != nullptr && summary->isVisible());
        QVERIFY2(summary->SummaryLabel().text().contains("nothing changed; 16 refused"),
                 qPrintable(summary->SummaryLabel().text()));
        QVERIFY(LiesOverTheCodeArea(ide, *summary));
        QTreeWidget& list = summary->List();
        QCOMPARE(list.topLevelItemCount(), 16);
        QTreeWidgetItem* let = nullptr;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = list.topLevelItem(i);
            if (row->text(0) == "CAccount" && row->text(1) == "Balance (Let)") let = row;
            QVERIFY(!row->text(2).isEmpty());  // why
        }
        QVERIFY(let != nullptr);
        QCOMPARE(let->text(2), QString("Error handling is already in this procedure!"));

        // A click shows the routine, and the list keeps the focus.
        Activate(*summary);
        ClickAt(*list.viewport(), list.visualItemRect(let).center());
        QMdiSubWindow* front = ide.findChild<QMdiArea*>()->activeSubWindow();
        QVERIFY(front != nullptr && front->windowTitle().contains("CAccount"));
        auto* code = dynamic_cast<CodeWindow*>(front->widget());
        QVERIFY(code->Editor().textCursor().block().text().contains("Property Let Balance"));
        QCOMPARE(Focus(), static_cast<QWidget*>(&list));
        // Down the list with the arrow key: the next routine shows.
        const QString next = list.itemBelow(let)->text(1);
        Key(Qt::Key_Down);
        const QString shown = code->Editor().textCursor().block().text();
        QVERIFY2(shown.contains(next.section(' ', 0, 0)), qPrintable(shown + " / " + next));
        // Enter hands the focus to the code.
        Key(Qt::Key_Return);
        QTRY_COMPARE(Focus(), static_cast<QWidget*>(&code->Editor()));
    }

    void ClosingTheProjectClearsTheLineAndColumn() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 13));
        Key(Qt::Key_End);
        auto* position = ide.statusBar()->findChildren<QLabel*>().value(0);
        QVERIFY(position != nullptr);
        QTRY_VERIFY(position->text().startsWith("Ln 13, Col"));
        // Another project opened through the open dialog closes this one.
        QTemporaryDir other;
        CopyExample(other.path());
        WhenModalOpens<QDialog>([&](QDialog&) {
            QTest::keyClicks(Focus(), other.filePath("Example.vbp"));
            Key(Qt::Key_Return);
        });
        Key(Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(ide.Vbe().VBProjects().Count(), 1L);
        QCOMPARE(QString::fromStdString(ide.Vbe().Projects().At(1).FileName()),
                 other.filePath("Example.vbp"));
        QCOMPARE(position->text(), QString());
    }

    void NewCodeWindowsOpenCascadedInsideTheCodeArea() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        ide.resize(1240, 780);  // as on a screen of 1280 by 800
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        auto* tree = ide.findChild<QTreeWidget*>();
        auto* area = ide.findChild<QMdiArea*>();
        QList<QRect> frames;
        for (const char* module : {"modMain", "CAccount", "frmMain"}) {
            const auto found = tree->findItems(module, Qt::MatchStartsWith | Qt::MatchRecursive);
            QCOMPARE(found.size(), qsizetype(1));
            ClickAt(*tree->viewport(), tree->visualItemRect(found[0]).center(), Qt::LeftButton,
                    true);
            QMdiSubWindow* front = area->activeSubWindow();
            QVERIFY(front != nullptr && front->windowTitle().contains(module));
            frames << front->geometry();
        }
        const QRect inside = area->viewport()->rect();
        for (const QRect& frame : frames) {
            QVERIFY2(inside.contains(frame), qPrintable(QString("%1,%2 %3x%4")
                                                            .arg(frame.x())
                                                            .arg(frame.y())
                                                            .arg(frame.width())
                                                            .arg(frame.height())));
        }
        QVERIFY(frames[1].topLeft().x() > frames[0].topLeft().x());
        QVERIFY(frames[2].topLeft().y() > frames[1].topLeft().y());
    }

    // ------------------------------------------------------------ the look of the windows

    void TheFindWindowGivesItsResultsTheHeight() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        ide.resize(1240, 780);
        QVERIFY(OpenExample(ide, 12));
        Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QDockWidget* dock = FindDock(ide);
        QVERIFY(dock != nullptr && dock->isVisible());
        auto* find = dynamic_cast<qv::findwindow::FindWindow*>(dock->widget());
        QTreeView& tree = find->ResultTree();
        QTest::qWait(100);
        const int rows = tree.viewport()->height() / tree.fontMetrics().height();
        QVERIFY2(rows >= 12, qPrintable(QString::number(rows)));
        // The line between the search and the results moves with the mouse.
        QSplitterHandle* handle = find->Splitter().handle(1);
        QVERIFY(handle != nullptr);
        const int before = tree.height();
        QWindow* window = ide.windowHandle();
        const QPoint grip = handle->mapTo(&ide, handle->rect().center());
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, grip);
        QTest::mouseMove(window, grip + QPoint(0, 30));
        QTest::mouseMove(window, grip + QPoint(0, 60));
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, grip + QPoint(0, 60));
        QTRY_VERIFY2(tree.height() < before - 40, qPrintable(QString::number(tree.height())));
    }

    // A project window narrower than its rows scrolls them into view whole:
    // no name or file name is cut short with an ellipsis.
    void TheProjectWindowScrollsItsLongRowsInsteadOfCuttingThem() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        ide.resize(1240, 780);
        QVERIFY(OpenExample(ide, 12));
        auto* dock = ide.findChild<QDockWidget*>("Project");
        QVERIFY(dock != nullptr);
        ide.resizeDocks({dock}, {130}, Qt::Horizontal);
        auto* tree = static_cast<QTreeWidget*>(dock->widget());
        QTRY_VERIFY(tree->viewport()->width() < 140);
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            const int room = tree->visualItemRect(*it).width();
            const int text = tree->fontMetrics().horizontalAdvance((*it)->text(0));
            QVERIFY2(room > text, qPrintable((*it)->text(0) + QString(": %1 < %2").arg(room).arg(text)));
        }
        QTRY_VERIFY(tree->horizontalScrollBar()->maximum() > 0);
    }

    void TheWorkbenchAndTheAddInShowIconsOfTheirOwn() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        const QImage workbench = Look(ide.windowIcon());
        const QImage addIn = Look(qv::ui::AddInIcon());
        QVERIFY(!workbench.isNull() && !addIn.isNull());
        QVERIFY(workbench != addIn);
        // Not the toolkit's own (the icon a window has when it is given none).
        QVERIFY(workbench != Look(QIcon(":/qt-project.org/qmessagebox/images/qtlogo-64.png")));
        QVERIFY(!QApplication::windowIcon().isNull());
        QImage mainWindow;
        WhenModalOpens<qv::mainwindow::MainWindow>(
            [&](qv::mainwindow::MainWindow& window) {
                mainWindow = Look(window.windowIcon());
                ClickOn(window.CloseButton());
            },
            10000,
            [](qv::mainwindow::MainWindow& window) {
                return !window.SplashShown() && window.Browser().isEnabled();
            });
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);  // a change to show the main window over
        for (QToolBar* bar : ide.findChildren<QToolBar*>()) {
            for (QAction* button : bar->actions()) {
                if (!button->text().contains("QVAddin")) continue;
                ClickOn(*bar->widgetForAction(button));
                break;
            }
        }
        QCOMPARE(mainWindow, addIn);
    }

  private:
    // Right-clicks the project in the project window and chooses the
    // pop-up's entry by its access key.
    static void RunFromProjectPopup(IdeWindow& ide, Qt::Key entry) {
        auto* tree = ide.findChild<QTreeWidget*>();
        QTreeWidgetItem* project = tree->topLevelItem(0);
        WhenPopupOpens([entry](QMenu&) { Key(entry); });
        ClickAt(*tree->viewport(), tree->visualItemRect(project).center(), Qt::RightButton);
    }

    // The first line the editor shows (from 1).
    static int TopLine(QPlainTextEdit& editor) {
        return editor.cursorForPosition(QPoint(2, 2)).blockNumber() + 1;
    }

    // Routines added to modMain, so that its code window scrolls.
    void AppendRoutines(int count) {
        QByteArray code = Bytes(project_->filePath("modMain.bas"));
        for (int i = 1; i <= count; ++i) {
            code += QString("\r\nPublic Sub Step%1()\r\n    Dim x As Long\r\n    x = %1\r\n"
                            "    Debug.Print x\r\nEnd Sub\r\n")
                        .arg(i)
                        .toLatin1();
        }
        WriteBytes(project_->filePath("modMain.bas"), code);
    }

    static IdeWindow& Shown(IdeWindow& ide) {
        ide.show();
        QApplication::setActiveWindow(&ide);
        if (!QTest::qWaitForWindowActive(&ide)) qWarning("the IDE window is not active");
        return ide;
    }

    static CodeWindow& CodeWindowOf(IdeWindow& ide, const char* module) {
        return *ide.OpenCodeWindow(static_cast<qv::host::memory::MemoryComponent&>(
            ide.Vbe().ActiveVBProject()->VBComponents().Item(module)));
    }

    // The example with the add-in connected and the cursor on a code line
    // of modMain, whose editor has the focus.
    bool OpenExample(IdeWindow& ide, long line) {
        if (!ide.Open({project_->filePath("Example.vbp")}) || !ide.ShowModule("modMain", line)) {
            return false;
        }
        ide.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        QApplication::setActiveWindow(&ide);
        CodeWindowOf(ide, "modMain").Editor().setFocus();
        return ide.AddInLoaded();
    }

    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<QTemporaryDir> project_;
};

QTEST_MAIN(IdeUseTest)
#include "ide_use_test.moc"
