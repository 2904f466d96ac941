// The workbench as a person uses it, on a copy of the example project: a
// command is one undo step and saving after its undo gives back the file's
// bytes; the add-in's buttons come and go with loading and unloading; the
// editor's typed lines reach the module tidied.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QTextBlock>

#include "app/workbench/code_window.h"
#include "app/workbench/ide_window.h"
#include "app/workbench/workbench_app.h"
#include "host/host_constants.h"
#include "shell/process_start.h"

using qv::workbench::IdeWindow;
using qv::workbench::WorkbenchApp;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

long ControlCount(qv::host::VBE& vbe, const char* bar) {
    return vbe.CommandBars().Item(bar).Controls().Count();
}

}  // namespace

class WorkbenchTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        qv::shell::SubMain();
        project_ = std::make_unique<QTemporaryDir>();
        for (const char* name : {"Example.vbp", "modMain.bas", "CAccount.cls", "frmMain.frm"}) {
            QFile::copy(QString(QV_EXAMPLES) + "/" + name, project_->filePath(name));
            QFile(project_->filePath(name)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    void CommandIsOneUndoStep() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        QVERIFY(ide.ShowModule("modMain", 11));
        ide.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        const QByteArray original = Bytes(project_->filePath("modMain.bas"));
        // The "Code Window" pop-up's first button of the add-in: error handling.
        ide.Vbe().CommandBars().Item("Code Window").Controls().Item("Add &Error Handling  (Ctrl+Shift+E)").Execute();
        QVERIFY(ide.HasUnsavedChanges());
        QVERIFY(ide.SaveAll());
        const QByteArray added = Bytes(project_->filePath("modMain.bas"));
        QVERIFY(added.contains("On Error GoTo Error_Routine"));
        ide.History().undo();
        QVERIFY(ide.SaveAll());
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), original);
        ide.History().redo();
        QVERIFY(ide.SaveAll());
        QCOMPARE(Bytes(project_->filePath("modMain.bas")), added);
    }

    void UnloadingRemovesEveryButton() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(ide.AddInLoaded());  // the add-in list loads it at start-up
        ide.DisconnectAddIn();
        const long plain = ControlCount(ide.Vbe(), "Code Window");
        const long standard = ControlCount(ide.Vbe(), "Standard");
        ide.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        const long loaded = ControlCount(ide.Vbe(), "Code Window");
        QVERIFY(loaded > plain);
        ide.DisconnectAddIn();
        QCOMPARE(ControlCount(ide.Vbe(), "Code Window"), plain);
        QCOMPARE(ControlCount(ide.Vbe(), "Standard"), standard);
        ide.ConnectAddIn(qv::host::ext_cm_AfterStartup);
        QCOMPARE(ControlCount(ide.Vbe(), "Code Window"), loaded);
        QVERIFY(app.HasHotKey(1));
        ide.DisconnectAddIn();
        QVERIFY(!app.HasHotKey(1));
    }

    void TypedLineReachesModuleTidied() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        QVERIFY(ide.ShowModule("modMain", 11));
        auto* window = ide.OpenCodeWindow(static_cast<qv::host::memory::MemoryComponent&>(
            ide.Vbe().ActiveVBProject()->VBComponents().Item("modMain")));
        QVERIFY(window != nullptr);
        QTextCursor cursor = window->Editor().textCursor();
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText("\n\tx = 1   ");
        window->Editor().setTextCursor(cursor);
        window->Flush(true);
        auto& module = window->Module();
        QCOMPARE(QString::fromStdString(std::string(module.Line(12))), QString("    x = 1"));
        QCOMPARE(window->Editor().document()->findBlockByNumber(11).text(), QString("    x = 1"));
        ide.History().undo();
        QVERIFY(module.Line(12) != "    x = 1");
    }

    void ProjectThatFailsToLoadLeavesWindowUsable() {
        WorkbenchApp app;
        IdeWindow& ide = app.NewWindow();
        QTimer::singleShot(200, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        QVERIFY(!ide.Open({project_->filePath("Missing.vbp")}));
        QVERIFY(ide.Open({project_->filePath("Example.vbp")}));
        QCOMPARE(ide.Vbe().VBProjects().Count(), 1L);
    }

private:
    QTemporaryDir config_;
    std::unique_ptr<QTemporaryDir> project_;
};

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
