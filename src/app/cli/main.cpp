#include <iostream>

#include "app/cli/cli_runner.h"
#include "app/cli/console.h"
#include "app/cli/project_target.h"
#include "app/cli/terminal_services.h"
#include "host/files/temp_files.h"

namespace {

int Run(const std::vector<std::string>& arguments) {
    qv::cli::PrepareConsole();
    // An interrupted run removes its temporary files before it ends.
    qv::host::files::RemoveTempFilesOnInterruption();
    qv::cli::TerminalServices services;
    qv::SetServices(&services);
    // The process start (storing the first defaults, upgrading what an
    // older version stored) belongs to the commands, which read settings:
    // RunCli runs it. --help and --version touch no settings.
    qv::cli::KeepTargetsUntilExit(true);
    const int code = qv::cli::RunCli(arguments, std::cout, std::cerr);
    qv::SetServices(nullptr);
    return code;
}

}  // namespace

#ifdef _WIN32
// The arguments as the system holds them, in UTF-16: every name survives.
int wmain(int argc, wchar_t* argv[]) { return Run(qv::cli::ProgramArguments(argc, argv)); }
#else
int main(int argc, char* argv[]) { return Run(qv::cli::ProgramArguments(argc, argv)); }
#endif
