// The workbench as a person uses it, on a copy of the example project: a
// command is one undo step and saving after its undo gives back the file's
// bytes; the add-in's buttons come and go with loading and unloading; the
// editor's typed lines reach the module tidied.

#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <stdexcept>

#include "app/workbench/code_text.h"
#include "app/workbench/code_window.h"
#include "app/workbench/example_copy.h"
#include "app/workbench/real_input.h"
#include "app/workbench/ide_window.h"
#include "app/workbench/workbench_app.h"
#include "host/host_constants.h"
#include "mainwindow/main_window.h"
#include "mainwindow/project_browser.h"
#include "mainwindow/routine_commands.h"
#include "shell/command_bar_menus.h"
#include "shell/process_start.h"
#include "window_support/paint_counter.h"

using qv::workbench::IdeWindow;
using qv::workbench::WorkbenchApp;

namespace {

// The editor's text as the module would hold it.
std::string EditorText(qv::workbench::CodeWindow& window) {
    return window.Editor().toPlainText().replace(u'\n', QStringLiteral("\r\n")).toStdString();
}

std::string ModuleText(qv::host::CodeModule& module) {
    return module.Lines(1, module.CountOfLines());
}

// modMain with its lines ending in CR LF and LF by turns.
QByteArray MixedBreaks(const QByteArray& crlf) {
    QList<QByteArray> lines = crlf.split('\n');
    QByteArray mixed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 == lines.size()) {
            mixed += line;
            break;
        }
        if (i % 2 == 1 && line.endsWith('\r')) line.chop(1);
        mixed += line + '\n';
    }
    return mixed;
}

// Runs the command line on a copy of the example; its files by name.
QMap<QString, QByteArray> CommandLineRun(const QString& folder, const QStringList& arguments) {
    QProcess process;
    process.start(QV_CLI, arguments);
    process.waitForFinished(60000);
    QMap<QString, QByteArray> files;
    for (const char* name : {"modMain.bas", "CAccount.cls", "frmMain.frm"}) {
        files[name] = Bytes(folder + "/" + name);
    }
    return files;
}

using qv::test::PaintCounter;

}  // namespace

class WorkbenchTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        qv::shell::SubMain();
        project_ = std::make_unique<QTemporaryDir>();
        CopyExample(project_->path());
    }

    void CommandIsOneUndoStep() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        ide.show();
        QVERIFY(QTest::qWaitForWindowActive(&ide));
        QVERIFY(OpenExample(ide, 11));
        const QByteArray original = Bytes(project_->filePath("modMain.bas"));
        auto& code = *ide.Vbe().ActiveCodePane()->CodeModule().Parent().CodeModule();
        auto* window =
            ide.OpenCodeWindow(static_cast<qv::host::memory::MemoryComponent&>(code.Parent()));
        // A right-click in the code window, then a click on the pop-up's row
        // of the add-in's error handling.
        bool chosen = false;
        QTimer::singleShot(0, [&chosen] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (popup == nullptr) return;
            for (QAction* action : popup->actions()) {
                if (!action->text().startsWith("Add &Error Handling")) continue;
                QTest::mouseClick(popup, Qt::LeftButton, {},
                                  popup->actionGeometry(action).center());
                chosen = true;
                return;
            }
            popup->close();
        });
        QWidget& viewport = *window->Editor().viewport();
        QTest::mouseClick(ide.windowHandle(), Qt::RightButton, {},
                          viewport.mapTo(&ide, viewport.rect().center()));
        QVERIFY(chosen);
        // The offscreen platform does not hand the activation back to the
        // window when a pop-up closes (a real X server does: tests/x11).
        ide.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&ide));
        QCOMPARE(EditorText(*window), ModuleText(code));  // the editor followed the command
        QVERIFY(ide.isWindowModified());
        QVERIFY(window->parentWidget()->isWindowModified());  // the code window's marker
        QWidget* editor = QApplication::focusWidget();
        QCOMPARE(editor, &window->Editor());
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        const QByteArray added = Bytes(project_->filePath("modMain.bas"));
        QVERIFY(added.contains("On Error GoTo Error_Routine"));
        QVERIFY(!ide.isWindowModified());
        QVERIFY(!window->parentWidget()->isWindowModified());
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(EditorText(*window), ModuleText(code));  // and the undo
        QVERIFY(ide.isWindowModified());
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), original);
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // redo
        QCOMPARE(EditorText(*window), ModuleText(code));
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), added);
    }

    void MixedLineBreaksSurviveSaveUndoSave() {
        const QString path = project_->filePath("modMain.bas");
        const QByteArray original = MixedBreaks(Bytes(path));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(original);
        }
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 11));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        const QByteArray added = Bytes(path);
        QVERIFY(added.contains("On Error GoTo Error_Routine"));
        QVERIFY(added.count("\r\n") > 0 && added.count("\r\n") < added.count('\n'));
        Key(Qt::Key_Z, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Bytes(path), original);
    }

    void MainWindowCommandsAreUndoStepsOfTheirOwn() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 12));
        qv::host::CodeModule& code = ide.Vbe().ActiveCodePane()->CodeModule();
        const std::string before = ModuleText(code);
        bool ran = false;
        std::string added;
        // The window is modal: driven from inside its own event loop, with
        // clicks on the module's row and on the module tool bar's buttons
        // (add error handling, then line numbers).
        using qv::mainwindow::MainWindow;
        // It starts once the window has listed the modules: a step run while
        // the listing lets events run would wait on the listing forever.
        const auto listed = [](MainWindow& window) {
            return !window.SplashShown() && window.Browser().isEnabled() &&
                   window.Browser().ModuleList().findItems("modMain", Qt::MatchExactly).size() == 1;
        };
        WhenModalOpens<MainWindow>([&](MainWindow& window) {
            QTreeWidget& modules = window.Browser().ModuleList();
            const auto rows = modules.findItems("modMain", Qt::MatchExactly);
            QCOMPARE(rows.size(), 1);
            QTest::mouseClick(modules.viewport(), Qt::LeftButton, {},
                              modules.visualItemRect(rows[0]).topLeft() + QPoint(4, 4));
            ClickModuleTool(window, 1);
            added = ModuleText(code);
            ClickModuleTool(window, 4);
            ran = true;
            QTest::mouseClick(&window.CloseButton(), Qt::LeftButton);
        }, 60000, listed);
        ClickAddInButton(ide);
        QVERIFY(ran);
        QVERIFY(added != before);
        QVERIFY(ModuleText(code) != added);
        Activate(ide);
        CodeWindowOf(ide, "modMain").Editor().setFocus();
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(code), added);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(code), before);
    }

    void ProjectCommandSavesWhatTheCommandLineWrites() {
        QTemporaryDir cli;
        CopyExample(cli.path());
        const auto expected = CommandLineRun(cli.path(), {"add", cli.filePath("Example.vbp")});
        QVERIFY(expected["modMain.bas"].contains("Error_Routine"));

        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 11));
        const QByteArray original = Bytes(project_->filePath("modMain.bas"));
        // The project window's pop-up: "Add Error Handling to Project".
        auto* tree = ide.findChild<QTreeWidget*>();
        WhenPopupOpens([](QMenu&) { Key(Qt::Key_E); });
        // Through the window, as the window system hands it, so that the
        // right button opens the context menu.
        QTest::mouseClick(ide.windowHandle(), Qt::RightButton, {},
                          tree->viewport()->mapTo(
                              &ide, tree->visualItemRect(tree->topLevelItem(0)).center()));
        QTRY_VERIFY(Bytes(project_->filePath("modMain.bas")) == original &&
                    CodeWindowOf(ide, "modMain").Editor().toPlainText().contains("Error_Routine"));
        // The whole run is one step: undone and done again, it still writes
        // the same.
        Activate(ide);
        CodeWindowOf(ide, "modMain").Editor().setFocus();
        Key(Qt::Key_Z, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), original);
        QVERIFY(!Bytes(project_->filePath("CAccount.cls")).contains("Error_Routine"));
        Key(Qt::Key_Y, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QCOMPARE(Bytes(project_->filePath(it.key())), it.value());
        }
    }

    void AFileChangedOnDiskIsOverwrittenOnlyWhenTheUserSays() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 11));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        const QString path = project_->filePath("modMain.bas");
        const QByteArray theirs = Bytes(path) + "' another program's line\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(theirs);
        }
        AnswerWith(QMessageBox::No);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Bytes(path), theirs);
        QVERIFY(ide.HasUnsavedChanges());
        Activate(ide);
        AnswerWith(QMessageBox::Yes);
        Key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(Bytes(path).contains("Error_Routine"));
        QVERIFY(!ide.HasUnsavedChanges());
    }

    void ClosingWithUnsavedChangesAsks() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 11));
        const QByteArray original = Bytes(project_->filePath("modMain.bas"));
        Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        AnswerWith(QMessageBox::Cancel);
        ChooseFromMenu(ide, Qt::Key_F, Qt::Key_C);  // File, Close Window
        QVERIFY(ide.isVisible());
        QCOMPARE(app.Windows().size(), size_t(1));
        QPointer<IdeWindow> gone(&ide);
        AnswerWith(QMessageBox::Discard);
        ChooseFromMenu(ide, Qt::Key_F, Qt::Key_C);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(gone.isNull());
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), original);
    }

    void TypedLineReachesModuleTidied() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        ide.show();
        QVERIFY(QTest::qWaitForWindowActive(&ide));
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        QVERIFY(ide.ShowModule("modMain", 11));
        auto& window = CodeWindowOf(ide, "modMain");
        QWidget* editor = QApplication::focusWidget();
        QCOMPARE(editor, &window.Editor());
        // A label typed on an indented line, with blanks after it.
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, "Again:   ");
        QTest::keyClick(editor, Qt::Key_Up);  // the cursor leaves the line
        auto& module = window.Module();
        QCOMPARE(QString::fromStdString(std::string(module.Line(12))), QString("Again:"));
        QCOMPARE(window.Editor().document()->findBlockByNumber(11).text(), QString("Again:"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(module.Line(12) != "Again:");
    }

    void TypingAtBothEndsUndoesAndRedoesLineByLine() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        ide.show();
        QVERIFY(QTest::qWaitForWindowActive(&ide));
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        QVERIFY(ide.ShowModule("modMain", 1));
        auto& window = CodeWindowOf(ide, "modMain");
        auto& module = window.Module();
        QWidget* editor = QApplication::focusWidget();
        QCOMPARE(editor, &window.Editor());
        const std::string original = ModuleText(module);
        // A line typed at the top, then one at the end; each goes to the
        // module when the cursor leaves it.
        QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(editor, "' top");
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
        const std::string top = ModuleText(module);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, "' end");
        QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(EditorText(window), ModuleText(module));
        QCOMPARE(std::string(module.Line(1)), std::string("' top"));
        QCOMPARE(std::string(module.Line(module.CountOfLines())), std::string("' end"));
        const std::string typed = ModuleText(module);
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(module), top);
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(module), original);
        QCOMPARE(EditorText(window), original);
        QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(ModuleText(module), typed);
        QCOMPARE(EditorText(window), typed);
    }

    void EveryCodePageByteSurvivesTheEditor() {
        std::string bytes;
        for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
        const qv::text::CodePage western = qv::text::CodePage::Windows1252();
        const QString shown = qv::workbench::DecodeCode(bytes, western);
        QCOMPARE(shown.size(), qsizetype(255));
        QCOMPARE(shown[0x80 - 1], QChar(0x20AC));  // the euro sign
        QCOMPARE(shown[0xE9 - 1], QChar(0xE9));
        QCOMPARE(qv::workbench::EncodeCode(shown, western), bytes);
        QCOMPARE(qv::workbench::EncodeCode(QString::fromUtf8("\u4E2D"), western), std::string("?"));
        // Another single-byte code page shows its own letters (Cyrillic, and
        // Greek with bytes it leaves unassigned); a double-byte one and UTF-8
        // their characters. Every byte comes back, whole or broken.
        const auto cyrillic = *qv::text::CodePage::Named("1251");
        QCOMPARE(qv::workbench::DecodeCode("\xC0\xFF", cyrillic), QString::fromUtf8("\u0410\u044F"));
        for (const char* page : {"1251", "1253", "932", "936", "949", "950", "utf-8"}) {
            const auto code = *qv::text::CodePage::Named(page);
            for (const std::string& text : {bytes, bytes.substr(0x80) + bytes.substr(0, 0x80)}) {
                // Shift-JIS has characters of two byte forms; shown, they
                // are the same character.
                const QString decoded = qv::workbench::DecodeCode(text, code);
                const std::string back = qv::workbench::EncodeCode(decoded, code);
                if (code.Number() == 932) QCOMPARE(qv::workbench::DecodeCode(back, code), decoded);
                else QCOMPARE(back, text);
            }
        }
        const auto utf8 = qv::text::CodePage::Utf8();
        const std::string astral = "a\xF0\x9F\x98\x80\xC3";  // an emoji, then a broken byte
        QCOMPARE(qv::workbench::DecodeCode(astral, utf8).size(), qsizetype(4));
        QCOMPARE(qv::workbench::EncodeCode(qv::workbench::DecodeCode(astral, utf8), utf8), astral);
        QCOMPARE(qv::workbench::ByteOffsetOf(qv::workbench::DecodeCode(astral, utf8), 3, utf8), 5L);
        QCOMPARE(qv::workbench::ShownOffsetOf(qv::workbench::DecodeCode(astral, utf8), 3, utf8), 1);
    }

    void AnIdleWorkbenchDoesNotPaint() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        ide.show();
        QVERIFY(OpenExample(ide, 11));
        QVERIFY(QTest::qWaitForWindowExposed(&ide));
        QTest::qWait(300);  // the first paints after opening
        PaintCounter counter;
        QApplication::instance()->installEventFilter(&counter);
        QTest::qWait(1000);
        QApplication::instance()->removeEventFilter(&counter);
        // A blinking cursor paints its line a couple of times a second.
        QVERIFY2(counter.paints <= 10, qPrintable(QString::number(counter.paints)));
    }

    void CloseWindowsClosesTheKindsTheFormsSettingFlags() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        ide.show();
        QVERIFY(OpenExample(ide, 11));
        auto* project = ide.findChild<QDockWidget*>("Project");
        auto* properties = ide.findChild<QDockWidget*>("Properties");
        auto* immediate = ide.findChild<QDockWidget*>("Immediate");
        QPlainTextEdit& editor = CodeWindowOf(ide, "modMain").Editor();
        Key(Qt::Key_G, Qt::ControlModifier);  // View, Immediate Window
        Key(Qt::Key_F4);                      // View, Properties Window
        QVERIFY(project->isVisible() && properties->isVisible() && immediate->isVisible());
        editor.setFocus();
        QVERIFY(editor.isVisible());
        // The settings as shipped flag every kind but the project window.
        QTest::keyClick(&editor, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!editor.isVisible());
        QVERIFY(!properties->isVisible());
        QVERIFY(!immediate->isVisible());
        QVERIFY(project->isVisible());
        QVERIFY(!WindowRecord(ide, qv::host::vbext_wt_PropertyWindow).Visible());
        QVERIFY(WindowRecord(ide, qv::host::vbext_wt_ProjectWindow).Visible());
    }

    void AHotKeyActsOnTheWindowInFrontAndOutlivesTheFirstWindow() {
        WorkbenchApp app;
        IdeWindow* first = &app.NewWindow();
        IdeWindow& second = app.NewWindow();
        QTemporaryDir other;
        CopyExample(other.path());
        first->show();
        second.show();
        QVERIFY(OpenExample(*first, 11));
        QVERIFY(second.Open({other.filePath("Example.vbp")}) && second.ShowModule("modMain", 11));
        second.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        auto& firstModule = CodeWindowOf(*first, "modMain").Module();
        auto& secondModule = CodeWindowOf(second, "modMain").Module();
        const std::string firstText = ModuleText(firstModule);
        const std::string secondText = ModuleText(secondModule);
        Activate(second);  // the window in front

        QTest::keyClick(&CodeWindowOf(second, "modMain").Editor(), Qt::Key_E,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(ModuleText(firstModule), firstText);
        QVERIFY(ModuleText(secondModule) != secondText);

        QTest::keyClick(&CodeWindowOf(second, "modMain").Editor(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(secondModule), secondText);
        Activate(*first);
        ChooseFromMenu(*first, Qt::Key_F, Qt::Key_C);  // File, Close Window
        QTRY_COMPARE(app.Windows().size(), size_t(1));
        QTest::keyClick(&CodeWindowOf(second, "modMain").Editor(), Qt::Key_E,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(ModuleText(secondModule) != secondText);
    }

    void AModuleThatCannotBeReadIsMarkedAndTheRestWorks() {
        // The form's designer block never ends; the project still opens.
        QFile form(project_->filePath("frmMain.frm"));
        QVERIFY(form.open(QIODevice::WriteOnly | QIODevice::Truncate));
        form.write("VERSION 5.00\r\nBegin VB.Form frmMain\r\n   Caption = \"Main\"\r\n");
        form.close();
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(OpenExample(ide, 11));
        auto* tree = ide.findChild<QTreeWidget*>();
        QVERIFY(tree != nullptr);
        const auto broken = tree->findItems("frmMain", Qt::MatchStartsWith | Qt::MatchRecursive);
        QCOMPARE(broken.size(), qsizetype(1));
        QVERIFY(broken[0]->text(0).contains("cannot be read"));
        QVERIFY(!broken[0]->toolTip(0).isEmpty());
        QPlainTextEdit& editor = CodeWindowOf(ide, "modMain").Editor();
        QTest::keyClick(&editor, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(editor.toPlainText().contains("Error_Routine"));
        QTest::keyClick(&editor, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(Bytes(project_->filePath("modMain.bas")).contains("Error_Routine"));
    }

    void ProjectThatFailsToLoadLeavesWindowUsable() {
        WorkbenchApp app;
        IdeWindow& ide = Shown(app.NewWindow());
        QString shown;
        // As the command line names it (the open dialog takes only files
        // that are there).
        AnswerWith(QMessageBox::Ok, &shown);
        QVERIFY(!ide.Open({project_->filePath("Missing.vbp")}));
        // The loader's own message, naming the file.
        QVERIFY2(shown.contains("Missing.vbp"), qPrintable(shown));
        QCOMPARE(ide.Vbe().VBProjects().Count(), 0L);
        Activate(ide);
        OpenThroughTheDialog(ide, project_->filePath("Example.vbp"));
        QTRY_COMPARE(ide.Vbe().VBProjects().Count(), 1L);
    }

  private:
    static IdeWindow& Shown(IdeWindow& ide) {
        ide.show();
        Activate(ide);
        return ide;
    }

    // Ctrl+O, the path typed into the open dialog, Enter.
    static void OpenThroughTheDialog(IdeWindow& ide, const QString& path) {
        WhenModalOpens<QDialog>([path](QDialog&) {
            QTest::keyClicks(QApplication::focusWidget(), path);
            Key(Qt::Key_Return);
        });
        QTest::keyClick(&ide, Qt::Key_O, Qt::ControlModifier);
    }

    // The add-in's button on the Standard tool bar, which opens the main window.
    static void ClickAddInButton(IdeWindow& ide) {
        for (QToolBar* bar : ide.findChildren<QToolBar*>()) {
            for (QAction* button : bar->actions()) {
                if (!button->text().contains("QVAddin")) continue;
                QTest::mouseClick(bar->widgetForAction(button), Qt::LeftButton);
                return;
            }
        }
        QFAIL("no add-in button on the tool bars");
    }

    static void ClickModuleTool(qv::mainwindow::MainWindow& window, int image) {
        QToolBar& tools = window.Browser().ModuleTools();
        for (QAction* action : tools.actions()) {
            if (action->data().toInt() == image)
                QTest::mouseClick(tools.widgetForAction(action), Qt::LeftButton);
        }
    }

    static qv::workbench::CodeWindow& CodeWindowOf(IdeWindow& ide, const char* module) {
        return *ide.OpenCodeWindow(static_cast<qv::host::memory::MemoryComponent&>(
            ide.Vbe().ActiveVBProject()->VBComponents().Item(module)));
    }

    static qv::host::Window& WindowRecord(IdeWindow& ide, int type) {
        auto& windows = ide.Vbe().Windows();
        for (long i = 1; i <= windows.Count(); ++i) {
            if (windows.Item(i).Type() == type) return windows.Item(i);
        }
        throw std::runtime_error("no such window");
    }

    // The example in the window with the add-in connected and the cursor on
    // a code line of modMain.
    bool OpenExample(IdeWindow& ide, long line, const char* module = "modMain") {
        if (!ide.Open({project_->filePath("Example.vbp")}) || !ide.ShowModule(module, line)) {
            return false;
        }
        ide.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        ide.show();
        Activate(ide);
        CodeWindowOf(ide, module).Editor().setFocus();
        return ide.AddInLoaded();
    }

    QTemporaryDir config_;
    std::unique_ptr<QTemporaryDir> project_;
};

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
