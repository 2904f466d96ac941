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
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/workbench/code_window.h"
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

QByteArray Bytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// The add-in's value in the add-in list file.
std::string AddInListValue() {
    const std::string content = qv::settings::ReadProfileFile(qv::shell::AddInListPath());
    return qv::settings::ReadProfileKey(content, qv::shell::kAddInListSection,
                                        qv::shell::kAddInKey)
        .value_or("(none)");
}

QWidget* Focus() {
    return QApplication::focusWidget();
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) target = Focus();
    QVERIFY2(target != nullptr, "no widget has the focus");
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// A click where a person would click: at a point of a widget, delivered to
// the widget under it.
void ClickAt(QWidget& widget, QPoint point, Qt::MouseButton button = Qt::LeftButton,
             bool twice = false) {
    QWidget* window = widget.window();
    const QPoint inWindow = widget.mapTo(window, point);
    QWidget* under = window->childAt(inWindow);
    if (under == nullptr) under = window;
    const QPoint local = under->mapFrom(window, inWindow);
    if (twice) {
        QTest::mouseDClick(under, button, Qt::NoModifier, local);
    } else {
        QTest::mouseClick(under, button, Qt::NoModifier, local);
    }
}

// A key that presses a button by its access key: the button shows itself
// pressed for a moment and then clicks, as it does for a person.
void AccessKey(int key) {
    Key(key, Qt::AltModifier);
    QTest::qWait(250);
}

void ClickOn(QWidget& widget, Qt::MouseButton button = Qt::LeftButton) {
    ClickAt(widget, widget.rect().center(), button);
}

// Runs step on the next modal window of type T that opens, once it is the
// active window and ready says it is done with what it was doing, as a
// person waits for a dialog to come up before typing. A dialog runs its own
// event loop, so the step has to be waiting for it; it is looked for on a
// timer, never from inside a step, so that a window busy letting events run
// is left to finish. The step runs once.
template <class T>
void WhenModalOpens(std::function<void(T&)> step, int timeoutMs = 5000,
                    std::function<bool(T&)> ready = {}) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [step, ready, started, poll, timeoutMs] {
        if (auto* window = dynamic_cast<T*>(QApplication::activeModalWidget());
            window != nullptr && window->isVisible() && window->isActiveWindow() &&
            window->isEnabled() && (!ready || ready(*window))) {
            step(*window);
            return;
        }
        if (started->elapsed() < timeoutMs) QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

// Presses a button of a message box with the mouse; its text is kept.
void AnswerWith(QMessageBox::StandardButton answer, QString* text = nullptr) {
    WhenModalOpens<QMessageBox>([answer, text](QMessageBox& box) {
        if (text != nullptr) *text = box.text();
        ClickOn(*box.button(answer));
    });
}

// What the window manager does when a dialog closes: the window under it
// is active again.
void Activate(QWidget& window) {
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) qWarning("the window is not active");
}

// The menu bar's menu with the access key, then the entry with its own; a
// dialog the entry opens runs until it closes, and its window is active
// again afterwards.
void ChooseFromMenu(IdeWindow& ide, Qt::Key menuKey, Qt::Key entryKey) {
    QTest::keyClick(&ide, menuKey, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), entryKey);
    Activate(ide);
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
        WhenModalOpens<MainWindow>(closeTwice, 10000, listed);
        ide.ConnectAddIn(qv::host::ext_cm_External);  // the main window alone, until closed
        QVERIFY(openAfterCancel);
        QVERIFY(rowsBefore > 0);
        QCOMPARE(rowsAfterCancel, rowsBefore);
        // The question names what is not saved.
        QVERIFY2(question.contains("modMain (modMain.bas)"), qPrintable(question));
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

    void TheSaveQuestionNamesTheUnsavedModules() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QVERIFY(OpenExample(ide, 12));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QString question;
        AnswerWith(QMessageBox::Cancel, &question);
        QVERIFY(!ide.close());
        QVERIFY2(question.contains("modMain (modMain.bas)"), qPrintable(question));
        QVERIFY2(!question.contains("CAccount"), qPrintable(question));
        QVERIFY(ide.isVisible());
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

  private:
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

    static void CopyExample(const QString& folder) {
        for (const char* name : {"Example.vbp", "modMain.bas", "CAccount.cls", "frmMain.frm"}) {
            QFile::copy(QString(QV_EXAMPLES) + "/" + name, folder + "/" + name);
            QFile(folder + "/" + name).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
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
