#include <QCoreApplication>
#include <iostream>

#include "app/cli/cli_runner.h"
#include "app/cli/project_target.h"
#include "app/cli/terminal_services.h"
#include "host/files/temp_files.h"
#include "settings/store_problem.h"
#include "shell/process_start.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qvaddin");
    QCoreApplication::setApplicationVersion(QVADDIN_VERSION);
    // An interrupted run removes its temporary files before it ends.
    qv::host::files::RemoveTempFilesOnInterruption();
    qv::cli::TerminalServices services;
    qv::SetServices(&services);
    // The process start without the registration: a first run stores the
    // defaults, a later version upgrades what an older one stored.
    qv::shell::CommandLineStart();
    if (const auto problem = qv::settings::StoreProblem(qv::settings::SystemStore())) {
        std::cerr << "qvaddin: warning: " << *problem << '\n';
    }
    qv::cli::KeepTargetsUntilExit(true);
    const int code = qv::cli::RunCli(QCoreApplication::arguments(), std::cout, std::cerr);
    qv::SetServices(nullptr);
    return code;
}
