// The workbench at the keyboard and the mouse: every key goes to the widget
// that has the focus and every click to the widget under the point, as a
// person's do, on a copy of the example project. The editor's own keys
// (Tab, Shift+Tab, Return, Insert, Delete), the "changed" marks at the first
// keystroke, and the find window from Ctrl+Shift+F to a click on a hit.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>

#include "app/workbench/code_window.h"
#include "app/workbench/example_copy.h"
#include "app/workbench/real_input.h"
#include "app/workbench/ide_window.h"
#include "app/workbench/workbench_app.h"
#include "findwindow/find_tree_model.h"
#include "findwindow/find_window.h"
#include "host/host_constants.h"
#include "settings/reg_settings.h"
#include "shell/process_start.h"

using qv::workbench::CodeWindow;
using qv::workbench::IdeWindow;
using qv::workbench::WorkbenchApp;

namespace {

constexpr auto kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

std::string ModuleText(qv::host::CodeModule& module) {
    return module.Lines(1, module.CountOfLines());
}

std::string Line(qv::host::CodeModule& module, long line) {
    return module.Lines(line, 1);
}

QString EditorLine(CodeWindow& window, int line) {
    return window.Editor().document()->findBlockByNumber(line - 1).text();
}

// The first child widget of a class; the workbench's widget classes have no
// meta-object of their own, so findChild would take any widget for one.
template <class Widget>
Widget* ChildOf(QWidget& parent) {
    for (QWidget* child : parent.findChildren<QWidget*>()) {
        if (auto* found = dynamic_cast<Widget*>(child)) return found;
    }
    return nullptr;
}

QAction* ActionNamed(IdeWindow& ide, const QString& text) {
    for (QAction* action : ide.findChildren<QAction*>()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

}  // namespace

class WorkbenchInputTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        qv::shell::SubMain();
        project_ = std::make_unique<QTemporaryDir>();
        CopyExample(project_->path());
        app_ = std::make_unique<WorkbenchApp>();
        ide_ = &app_->NewWindow();
        ide_->show();
        QVERIFY(QTest::qWaitForWindowActive(ide_));
        QVERIFY(ide_->Open({project_->filePath("Example.vbp")}));
        QVERIFY(ide_->AddInLoaded());
    }

    void cleanup() {
        ide_->History().clear();
        app_.reset();
    }

    // --- undo and redo from the editor

    void AnEditInsideALineIsMarkedAtTheFirstKeystroke() {
        CodeWindow& main = ShowAt("modMain", 11);
        QAction* undo = ActionNamed(*ide_, "&Undo");
        QVERIFY(undo != nullptr);
        QVERIFY(!undo->isEnabled());
        QVERIFY(!ide_->isWindowModified());
        Key(Qt::Key_End);
        Key(Qt::Key_1);
        QVERIFY(undo->isEnabled());
        QVERIFY(ide_->isWindowModified());
        QVERIFY(main.parentWidget()->isWindowModified());  // the code window's "*"
        // The typing group is still open: the module does not have it yet.
        QCOMPARE(Line(main.Module(), 11), std::string("    Set gAccounts = New Collection"));
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(EditorLine(main, 11), QString("    Set gAccounts = New Collection"));
        QVERIFY(!ide_->isWindowModified());
    }

    void AKeyThatDeletesCodeLeavesAnUndoStep() {
        CodeWindow& main = ShowAt("modMain", 10);
        const std::string before = ModuleText(main.Module());
        for (int i = 0; i < 3; ++i) Key(Qt::Key_Down, Qt::ShiftModifier);
        Key(Qt::Key_Delete);
        QVERIFY(EditorLine(main, 10).startsWith("End Sub"));
        QVERIFY(ActionNamed(*ide_, "&Undo")->isEnabled());
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(main.Module()), before);
        QCOMPARE(EditorLine(main, 10), QString("Sub Main()"));
    }

    void ATypedLineKeepsTheIndentationAndIsOneStep() {
        CodeWindow& main = ShowAt("modMain", 11);
        const std::string before = ModuleText(main.Module());
        const int steps = ide_->History().count();
        Key(Qt::Key_End);
        Key(Qt::Key_Return);
        Type("x = 1");
        QCOMPARE(EditorLine(main, 12), QString("    x = 1"));
        Key(Qt::Key_Return);
        Type("y = 2");
        Key(Qt::Key_Up);  // the cursor leaves the lines: they reach the module
        QCOMPARE(Line(main.Module(), 12), std::string("    x = 1"));
        QCOMPARE(Line(main.Module(), 13), std::string("    y = 2"));
        QCOMPARE(ide_->History().count(), steps + 1);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ModuleText(main.Module()), before);
        QCOMPARE(EditorLine(main, 12), QString("    frmMain.Show"));
    }

    void AnEditThatDoesNotMoveTheCursorGoesToTheModuleWithTheNextMove() {
        CodeWindow& main = ShowAt("modMain", 11);
        Key(Qt::Key_Delete);
        Key(Qt::Key_Down);
        QCOMPARE(Line(main.Module(), 11), std::string("   Set gAccounts = New Collection"));
        QVERIFY(!main.HasTyping());
    }

    // --- Tab, Shift+Tab, Insert

    void TabAndShiftTabIndentAndOutdentTheSelectedLines() {
        // Code lines 13 to 16: End Sub, a blank line and two comment lines.
        CodeWindow& main = ShowAt("modMain", 13);
        const std::string before = ModuleText(main.Module());
        const int steps = ide_->History().count();
        for (int i = 0; i < 4; ++i) Key(Qt::Key_Down, Qt::ShiftModifier);
        Key(Qt::Key_Tab);
        // At once in the module, as a step of its own; a blank line stays blank.
        QCOMPARE(Line(main.Module(), 13), std::string("    End Sub"));
        QCOMPARE(Line(main.Module(), 14), std::string(""));
        QCOMPARE(Line(main.Module(), 16), std::string("    ' Closed accounts count only when asked for."));
        QCOMPARE(Line(main.Module(), 17), std::string("Public Function TotalBalance(ByVal includeClosed As Boolean, _"));
        QCOMPARE(ide_->History().count(), steps + 1);
        Key(Qt::Key_Tab);  // the lines are still selected
        QCOMPARE(Line(main.Module(), 15), std::string("        ' Adds up the balances of the accounts."));
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(ModuleText(main.Module()), before);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);  // nothing left to take off
        QCOMPARE(ModuleText(main.Module()), before);
        Key(Qt::Key_Z, Qt::ControlModifier);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Line(main.Module(), 15), std::string("        ' Adds up the balances of the accounts."));
    }

    void ShiftTabWithoutASelectionOutdentsTheLine() {
        CodeWindow& main = ShowAt("modMain", 23);  // "            If account.Balance ..."
        Key(Qt::Key_End);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(Line(main.Module(), 23), std::string("        If account.Balance >= minimum Then"));
    }

    void TabInsertsSpacesToTheNextTabStop() {
        CodeWindow& main = ShowAt("modMain", 11);
        Key(Qt::Key_End);
        Key(Qt::Key_Return);
        Type("'a");
        Key(Qt::Key_Tab);
        Type("b");
        Key(Qt::Key_Tab);
        Type("cdefg");
        Key(Qt::Key_Tab);
        Type("h");
        QCOMPARE(EditorLine(main, 12), QString("    'a  b   cdefg   h"));
    }

    void InsertSwitchesBetweenInsertingAndOverwriting() {
        CodeWindow& main = ShowAt("modMain", 11);
        Key(Qt::Key_Insert);
        Type("ab");
        Key(Qt::Key_Insert);
        Type("c");
        QCOMPARE(EditorLine(main, 11), QString("abc  Set gAccounts = New Collection"));
        // Shift+Insert is still the clipboard's paste, not a switch.
        QApplication::clipboard()->setText("Z");
        Key(Qt::Key_Insert, Qt::ShiftModifier);
        Type("d");
        QCOMPARE(EditorLine(main, 11), QString("abcZd  Set gAccounts = New Collection"));
    }

    // --- code windows from the keyboard

    void CtrlF6GoesToTheNextCodeWindowAndCtrlF4ClosesOne() {
        CodeWindow& main = ShowAt("modMain", 11);
        CodeWindow& account = ShowAt("CAccount", 3);
        QCOMPARE(Focus(), &account.Editor());
        Key(Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(Focus(), &main.Editor());
        Key(Qt::Key_F4, Qt::ControlModifier);
        QVERIFY(!main.isVisible());
        QTRY_COMPARE(Focus(), &account.Editor());
        Type("x");
        QCOMPARE(EditorLine(account, 3), QString("x"));
    }

    // --- the find window

    void CtrlShiftFGivesTheSearchBoxTheFocusWithTheSelectedText() {
        CodeWindow& main = ShowAt("modMain", 11);
        for (int i = 0; i < 8; ++i) Key(Qt::Key_Right);
        for (int i = 0; i < 9; ++i) Key(Qt::Key_Right, Qt::ShiftModifier);
        Key(Qt::Key_F, kCtrlShift);
        QTRY_COMPARE(Focus(), FindBoxFocus());
        QCOMPARE(FindBox()->text(), QString("gAccounts"));
        QCOMPARE(FindBox()->selectedText(), QString("gAccounts"));
        QCOMPARE(EditorLine(main, 11), QString("    Set gAccounts = New Collection"));
        // Typing replaces it; Enter searches.
        Type("Balance");
        QCOMPARE(FindBox()->text(), QString("Balance"));
        Key(Qt::Key_Return);
        QVERIFY(FindPane()->ResultTree().model()->rowCount() > 0);
    }

    void CtrlShiftFTakesTheFirstLineOfASelectionAndKeepsTheTextWithoutOne() {
        CodeWindow& main = ShowAt("modMain", 11);
        for (int i = 0; i < 8; ++i) Key(Qt::Key_Right);
        Key(Qt::Key_Down, Qt::ShiftModifier);
        Key(Qt::Key_Home, Qt::ShiftModifier);  // to the next line's start
        Key(Qt::Key_F, kCtrlShift);
        QTRY_COMPARE(Focus(), FindBoxFocus());
        QCOMPARE(FindBox()->text(), QString("gAccounts = New Collection"));
        // Back in the code, the caret alone: the search text stays.
        QTest::mouseClick(main.Editor().viewport(), Qt::LeftButton, {},
                          main.Editor().cursorRect().center());
        QTRY_COMPARE(Focus(), &main.Editor());
        QVERIFY(!main.Editor().textCursor().hasSelection());
        Key(Qt::Key_F, kCtrlShift);
        QTRY_COMPARE(Focus(), FindBoxFocus());
        QCOMPARE(FindBox()->text(), QString("gAccounts = New Collection"));
    }

    void AClickOnAHitSelectsItAndHandsTheFocusToItsCodeWindow() {
        CodeWindow& main = ShowAt("modMain", 1);
        Search("gAccounts");
        ClickFirstHit(1);
        QTRY_COMPARE(Focus(), &main.Editor());
        const QTextCursor cursor = main.Editor().textCursor();
        QCOMPARE(cursor.selectedText(), QString("gAccounts"));
        QCOMPARE(cursor.blockNumber() + 1, 7);
        QCOMPARE(main.Module().CodePane().TopLine(), 7L);
        Type("ZZ");  // the keys go where the hit was
        QCOMPARE(EditorLine(main, 7), QString("Public ZZ As Collection"));
    }

    void ADoubleClickOnAHitInAModuleNotOpenOpensIt() {
        ShowAt("modMain", 1);
        Search("mOwner");
        ClickFirstHit(2);
        // The code window opens when the click is over.
        QTRY_VERIFY(CodeWindowOf("CAccount") != nullptr && CodeWindowOf("CAccount")->isVisible());
        CodeWindow* account = CodeWindowOf("CAccount");
        QTRY_COMPARE(Focus(), &account->Editor());
        QCOMPARE(account->Editor().textCursor().selectedText(), QString("mOwner"));
        QCOMPARE(account->Editor().textCursor().blockNumber() + 1, 5);
    }

    void EnterOnAHitSelectsIt() {
        CodeWindow& main = ShowAt("modMain", 1);
        Search("includeClosed");
        QTreeView& tree = FindPane()->ResultTree();
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualRect(tree.model()->index(0, 0)).center());
        QCOMPARE(Focus(), tree.viewport()->parentWidget());
        // Down to the second hit, then Enter.
        int hits = 0;
        for (int row = 0; row < 20 && hits < 2; ++row) {
            Key(Qt::Key_Down);
            if (tree.currentIndex().data(qv::findwindow::FindTreeModel::TagRole) == "Code") ++hits;
        }
        QCOMPARE(hits, 2);
        Key(Qt::Key_Return);
        QTRY_COMPARE(Focus(), &main.Editor());
        QCOMPARE(main.Editor().textCursor().selectedText(), QString("includeClosed"));
        QCOMPARE(main.Editor().textCursor().blockNumber() + 1, 22);
    }

    // --- code in a double-byte code page

    // A Shift-JIS module: its Japanese shows as Japanese, the host's columns
    // (bytes) meet the editor's (characters) at the right place, and lines
    // the user does not touch go back as their bytes.
    void ADoubleByteModuleShowsItsCharactersAndKeepsItsBytes() {
        QVERIFY(qv::settings::SystemStore().SaveSetting("ErrorHandling", "codePage", "932"));
        QTemporaryDir folder;
        // A character of two byte forms (the second one is written when the
        // line is typed), and a lead byte at the end of the line.
        const QByteArray untouched = "' \xFA\xFB \x82";
        const QByteArray module =
            "Attribute VB_Name = \"modJp\"\r\n"
            "Option Explicit\r\n"
            "Public Sub Hello()\r\n"
            "    MsgBox \"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\": Dim zKey As Long\r\n" +
            untouched + "\r\n"
            "End Sub\r\n";
        WriteBytes(folder.filePath("modJp.bas"), module);
        WriteBytes(folder.filePath("Jp.vbp"),
                   "Type=Exe\r\nModule=modJp; modJp.bas\r\nName=\"Jp\"\r\n");
        QVERIFY(ide_->Open({folder.filePath("Jp.vbp")}));
        CodeWindow& window = ShowAt("modJp", 1);
        QCOMPARE(EditorLine(window, 3),
                 QString::fromUtf8("    MsgBox \"\u3053\u3093\u306B\u3061\u306F\": Dim zKey As Long"));
        // A hit after the Japanese text is selected where it stands.
        Search("zKey");
        ClickFirstHit(1);
        QTRY_COMPARE(Focus(), &window.Editor());
        QCOMPARE(window.Editor().textCursor().selectedText(), QString("zKey"));
        long line = 0, column = 0, endLine = 0, endColumn = 0;
        window.Module().CodePane().GetSelection(line, column, endLine, endColumn);
        QCOMPARE(column, 30L);  // 29 bytes before it, ten of them five wide characters
        // Typing there changes that line alone.
        Type("Another");
        Key(Qt::Key_Down);
        // A key typed and taken back on the next line leaves its bytes.
        Type("x");
        Key(Qt::Key_Backspace);
        Key(Qt::Key_Down);
        Key(Qt::Key_S, Qt::ControlModifier);
        QByteArray expected = module;
        expected.replace("zKey", "Another");
        QTRY_COMPARE(Bytes(folder.filePath("modJp.bas")), expected);
    }

  private:
    // The module's code window, shown with the cursor on a code line.
    CodeWindow& ShowAt(const char* module, long line) {
        ide_->ShowModule(module, line);
        return *CodeWindowOf(module);
    }

    CodeWindow* CodeWindowOf(const char* module) {
        for (QMdiSubWindow* sub : ide_->findChildren<QMdiSubWindow*>()) {
            auto* window = dynamic_cast<CodeWindow*>(sub->widget());
            if (window != nullptr && window->Module().Name() == module) return window;
        }
        return nullptr;
    }

    qv::findwindow::FindWindow* FindPane() {
        return ChildOf<qv::findwindow::FindWindow>(*ide_);
    }

    // The search box: an editable combo box that hands its keys to its line
    // edit.
    QLineEdit* FindBox() {
        return FindPane() != nullptr ? FindPane()->SearchBox().lineEdit() : nullptr;
    }

    QWidget* FindBoxFocus() {
        return FindPane() != nullptr ? &FindPane()->SearchBox() : nullptr;
    }

    // Ctrl+Shift+F from the editor, the text typed over what is there, Enter.
    void Search(const QString& text) {
        Key(Qt::Key_F, kCtrlShift);
        QTRY_COMPARE(Focus(), FindBoxFocus());
        Type(text);
        Key(Qt::Key_Return);
    }

    // Walks the tree from its first row with the Down key to the first
    // code-line hit (so that it is in view), then clicks it clicks times.
    void ClickFirstHit(int clicks) {
        QTreeView& tree = FindPane()->ResultTree();
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualRect(tree.model()->index(0, 0)).center());
        for (int i = 0; i < 20; ++i) {
            if (tree.currentIndex().data(qv::findwindow::FindTreeModel::TagRole) == "Code") break;
            Key(Qt::Key_Down);
        }
        const QPoint at = tree.visualRect(tree.currentIndex()).center();
        QVERIFY(tree.viewport()->rect().contains(at));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at);
        if (clicks == 2) {
            // A person's double-click: the second press comes as a double-click.
            QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, at);
        }
    }

    QTemporaryDir config_;
    std::unique_ptr<QTemporaryDir> project_;
    std::unique_ptr<WorkbenchApp> app_;
    IdeWindow* ide_ = nullptr;
};

QTEST_MAIN(WorkbenchInputTest)
#include "input_test.moc"
