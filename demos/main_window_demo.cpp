// qvaddin-main-window-demo: the main window over a real project, for a look
// in a real X server (scripts/xcheck_main_window.sh takes the screenshots).
//
//   qvaddin-main-window-demo [--open tool|check] [--module NAME]
//                            [--page 0-3] [--status] [--routine NAME]
//                            [--quit-after MS] PROJECT

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "mainwindow/main_window.h"
#include "mainwindow/project_browser.h"
#include "settings/settings_operations.h"
#include "shell/process_start.h"
#include "ui/qt_services.h"
#include "ui/vb_qstring.h"

namespace {

using namespace qv;

// What the demo does once the window has applied its display type.
void Prepare(mainwindow::MainWindow& window, const QCommandLineParser& parser) {
    mainwindow::ProjectBrowser& browser = window.Browser();
    if (parser.isSet("status")) browser.StatusPass();
    if (parser.isSet("routine")) {
        const auto rows = browser.RoutineList().findItems(parser.value("routine"), Qt::MatchExactly);
        if (!rows.isEmpty()) {
            browser.RoutineList().setCurrentItem(rows.first());
            browser.RoutineClicked(rows.first());
        }
    }
    if (parser.isSet("page")) window.ShowPage(parser.value("page").toInt());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qvaddin-main-window-demo");
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"open", "How the window is opened: tool or check.", "type", "check"},
                       {"module", "The selected component (check).", "name"},
                       {"page", "The page to show, 0-3.", "index"},
                       {"status", "Press \"&Status\" once the lists are filled."},
                       {"routine", "Choose this routine row.", "name"},
                       {"quit-after", "Close after this many milliseconds.", "ms"}});
    parser.addPositionalArgument("project", "The .vbp, .vbg or module file to open.");
    parser.process(app);
    if (parser.positionalArguments().isEmpty()) parser.showHelp(2);

    ui::QtServices services;
    SetServices(&services);
    shell::CommandLineStart();
    auto vbe = std::make_unique<host::memory::MemoryVbe>();
    host::files::Workspace workspace(*vbe);
    host::files::LoadTargets(workspace, {parser.positionalArguments().first().toStdString()});
    if (parser.isSet("module")) {
        host::VBProject* project = vbe->ActiveVBProject();
        if (project != nullptr) {
            auto& component = static_cast<host::memory::MemoryComponent&>(
                project->VBComponents().Item(parser.value("module").toStdString()));
            vbe->SetSelectedComponent(&component);
        }
    }
    const int type = parser.value("open") == "tool" ? mainwindow::kDisplayTool
                                                       : mainwindow::kDisplayCheck;
    mainwindow::MainWindow window(*vbe, type);
    QTimer::singleShot(1500, &window, [&] { Prepare(window, parser); });
    if (parser.isSet("quit-after")) {
        QTimer::singleShot(parser.value("quit-after").toInt(), &window, [&] { window.CloseWindow(); });
    }
    window.exec();
    SetServices(nullptr);
    return 0;
}
