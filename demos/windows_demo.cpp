// qvaddin-windows-demo: the find window docked in a small stand-in for the
// workbench, or the statistics window, over a real project, for a look in a
// real X server (scripts/xcheck_windows.sh takes the screenshots).
//
//   qvaddin-windows-demo [--show find|stats|group] [--search TEXT] [--hit N]
//                        [--quit-after MS] PROJECT

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include "findwindow/find_dock.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "statswindow/stats_window.h"
#include "ui/qt_services.h"
#include "ui/vb_qstring.h"

namespace {

using namespace qv;

class DemoAddIn : public host::AddInInstance {
public:
    std::string ProgId() const override { return "qvaddin.Connect"; }
};

// The code window of the stand-in: the text of a code pane with its selection.
void ShowPane(QPlainTextEdit& editor, host::CodePane& pane) {
    host::CodeModule& module = pane.CodeModule();
    editor.setPlainText(ui::VbQString(module.Lines(1, module.CountOfLines()), module.TextCodePage()).replace("\r\n", "\n"));
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    pane.GetSelection(startLine, startColumn, endLine, endColumn);
    QTextCursor cursor(editor.document()->findBlockByNumber(static_cast<int>(startLine - 1)));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, static_cast<int>(startColumn - 1));
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, static_cast<int>(endColumn - startColumn));
    editor.setTextCursor(cursor);
    editor.centerCursor();
    editor.setWindowTitle(QString::fromStdString(pane.Window().Caption()));
}

void FollowCodeWindows(host::memory::MemoryVbe& vbe, QPlainTextEdit& editor) {
    host::VBProjects& projects = vbe.VBProjects();
    for (long p = 1; p <= projects.Count(); ++p) {
        host::VBComponents& components = projects.Item(p).VBComponents();
        for (long c = 1; c <= components.Count(); ++c) {
            host::CodeModule* module = components.Item(c).CodeModule();
            if (module == nullptr) continue;
            auto& window = static_cast<host::memory::MemoryWindow&>(module->CodePane().Window());
            window.SetFocusHandler([&editor, module](host::memory::MemoryWindow&) {
                ShowPane(editor, module->CodePane());
            });
        }
    }
}

int ShowFind(host::memory::MemoryVbe& vbe, const QString& search, int hit) {
    QMainWindow main;
    main.setWindowTitle("Example - Microsoft Visual Basic [design]");
    auto* editor = new QPlainTextEdit(&main);
    editor->setReadOnly(true);
    editor->setFont(QFont("Monospace", 10));
    main.setCentralWidget(editor);
    FollowCodeWindows(vbe, *editor);
    main.resize(1200, 740);
    main.move(20, 20);
    main.show();

    findwindow::RegisterFindDocument(vbe.AllWindows());
    DemoAddIn addIn;
    findwindow::FindToolWindow tool;
    findwindow::ShowFindDock(tool, addIn, vbe, main);
    findwindow::FindWindow& find = *tool.document->Window();
    find.SearchBox().setEditText(search);
    find.Search(search);
    if (hit > 0) {
        // The hit-th code line of the tree, counted in display order.
        QAbstractItemModel& model = *find.ResultTree().model();
        const QModelIndexList hits = model.match(model.index(0, 0), findwindow::FindTreeModel::TagRole,
                                                 "Code", hit, Qt::MatchExactly | Qt::MatchRecursive);
        if (!hits.isEmpty()) {
            find.ResultTree().setCurrentIndex(hits.last());
            find.NodeClick(hits.last());
        }
    }
    return QApplication::exec();
}

int ShowStats(host::memory::MemoryVbe& vbe, bool group) {
    statswindow::StatsWindow window(vbe, {vbe.ActiveVBProject()->Name(), {}, {}});
    window.move(60, 40);
    window.show();
    window.ModuleList().setFocus();
    QTimer::singleShot(200, &window, [&window, group] {
        if (group) {
            window.GroupStats();
            return;
        }
        QTreeWidget& list = window.ModuleList();
        if (list.topLevelItemCount() > 1) list.setCurrentItem(list.topLevelItem(1));
        window.RoutineDetails();
    });
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qvaddin-windows-demo");
    QApplication::setApplicationDisplayName("Brell's Add-In");
    QCommandLineParser options;
    options.setApplicationDescription("Shows the find or the statistics window over a project.");
    options.addHelpOption();
    options.addPositionalArgument("project", "The .vbp, .vbg or module files to load.");
    options.addOption({"show", "find (default), stats or group.", "window", "find"});
    options.addOption({"search", "The text the find window searches.", "text", "Balance"});
    options.addOption({"hit", "Clicks the n-th hit of the tree (0: none).", "n", "0"});
    options.addOption({"quit-after", "Quits after <ms> milliseconds.", "ms"});
    options.process(app);
    if (options.positionalArguments().isEmpty()) options.showHelp(2);

    ui::QtServices services;
    ScopedServices installed(services);
    auto vbe = std::make_unique<host::memory::MemoryVbe>();
    host::files::Workspace workspace(*vbe);
    std::vector<std::string> paths;
    for (const QString& path : options.positionalArguments()) paths.push_back(path.toStdString());
    host::files::LoadTargets(workspace, paths);
    if (options.isSet("quit-after")) {
        QTimer::singleShot(options.value("quit-after").toInt(), &app, &QApplication::quit);
    }
    const QString show = options.value("show");
    if (show == "find") return ShowFind(*vbe, options.value("search"), options.value("hit").toInt());
    return ShowStats(*vbe, show == "group");
}
