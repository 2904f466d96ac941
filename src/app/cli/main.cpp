#include <QCoreApplication>
#include <iostream>

#include "app/cli/cli_runner.h"
#include "app/cli/terminal_services.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qvaddin");
    QCoreApplication::setApplicationVersion(QVADDIN_VERSION);
    qv::cli::TerminalServices services;
    qv::SetServices(&services);
    const int code = qv::cli::RunCli(QCoreApplication::arguments(), std::cout, std::cerr);
    qv::SetServices(nullptr);
    return code;
}
