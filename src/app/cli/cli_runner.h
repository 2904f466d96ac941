#pragma once
// Runs one invocation of the command line: global options (--help,
// --version, --format, --dry-run), the command, and the exit code. Every
// failure ends here: a CliError with its own code and message, anything
// unexpected with exit code 4 and the error report.

#include <iosfwd>
#include <string>
#include <vector>

#include "settings/string_table.h"

namespace qv::cli {

// arguments[0] is the program, as started; companyDefaults: the string
// table of the build (another only in tests).
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           settings::StringTable companyDefaults = settings::CompiledStringTable());

}  // namespace qv::cli
