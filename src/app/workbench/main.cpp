// qvaddin-workbench: a small VB6-style IDE that loads the add-in.

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/workbench/ide_window.h"
#include "app/workbench/workbench_app.h"
#include "host/host_constants.h"
#include "shell/process_start.h"

namespace {

// External mode: the add-in's main window alone, modal, over the targets.
// Its commands change the code in memory, so closing it asks before dropping
// them, and Cancel leaves it open as it was. Should the question still be
// open after it closed (a save that failed on the way), the IDE stays open
// with the changes rather than lose them.
int RunExternal(qv::workbench::IdeWindow& window, const QStringList& targets) {
    if (!targets.isEmpty() && !window.Open(targets)) return 1;
    // The add-in alone: a start-up connection's menus and hot keys go first.
    window.DisconnectAddIn();
    window.ConnectAddIn(qv::host::ext_cm_External);
    if (window.close()) return 0;
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("qvaddin-workbench");
    QApplication::setApplicationVersion(QVADDIN_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A small VB6-style IDE that loads the qvaddin add-in from its add-in list.\n"
        "Opens .vbp projects, .vbg groups or module files; with --module and --line\n"
        "it opens that module's code window with the cursor on code line N (the\n"
        "line numbering of qvaddin's --line: the hidden header is not counted).");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("target", "A .vbp, a .vbg or module files.", "[target...]");
    QCommandLineOption module("module", "Open the code window of module M.", "M");
    QCommandLineOption line("line", "Put the cursor on code line N of the module.", "N");
    QCommandLineOption external("external",
                                "Connect the add-in in external mode: its main window alone.");
    parser.addOptions({module, line, external});
    parser.process(application);

    long lineNumber = 1;
    if (parser.isSet(line)) {
        bool ok = false;
        lineNumber = parser.value(line).toLong(&ok);
        if (!ok || lineNumber < 1) {
            std::fprintf(stderr,
                         "qvaddin-workbench: --line wants a line number from 1, not \"%s\"\n",
                         qPrintable(parser.value(line)));
            return 2;
        }
    }
    if (parser.isSet(line) && !parser.isSet(module)) {
        std::fprintf(stderr, "qvaddin-workbench: --line needs --module\n");
        return 2;
    }

    qv::shell::SubMain();
    qv::workbench::WorkbenchApp app;
    qv::workbench::IdeWindow& window = app.NewWindow();
    if (parser.isSet(external)) return RunExternal(window, parser.positionalArguments());
    window.show();
    if (!parser.positionalArguments().isEmpty()) window.Open(parser.positionalArguments());
    if (parser.isSet(module)) window.ShowModule(parser.value(module), lineNumber);
    return QApplication::exec();
}
