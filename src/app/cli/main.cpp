#include <QCoreApplication>
#include <iostream>

#include "app/cli/cli_runner.h"
#include "app/cli/project_target.h"
#include "app/cli/terminal_services.h"
#include "host/files/temp_files.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qvaddin");
    QCoreApplication::setApplicationVersion(QVADDIN_VERSION);
    // An interrupted run removes its temporary files before it ends.
    qv::host::files::RemoveTempFilesOnInterruption();
    qv::cli::TerminalServices services;
    qv::SetServices(&services);
    // The process start (storing the first defaults, upgrading what an
    // older version stored) belongs to the commands, which read settings:
    // RunCli runs it. --help and --version touch no settings.
    qv::cli::KeepTargetsUntilExit(true);
    const int code = qv::cli::RunCli(QCoreApplication::arguments(), std::cout, std::cerr);
    qv::SetServices(nullptr);
    return code;
}
