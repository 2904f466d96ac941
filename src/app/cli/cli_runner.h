#pragma once
// Runs one invocation of the command line: global options (--help,
// --version, --format, --dry-run), the command, and the exit code. Every
// failure ends here: a CliError with its own code and message, anything
// unexpected with exit code 4 and the error report.

#include <iosfwd>
#include <string>
#include <vector>

namespace qv::cli {

// arguments[0] is the program, as started.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
