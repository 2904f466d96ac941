#pragma once
// The few things the command line asks of the operating system itself: its
// arguments as UTF-8, a console that shows UTF-8, whether standard error is
// a terminal, standard input, the system log and the local date. Each has a
// Windows branch beside the POSIX one.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace qv::cli {

// The program's arguments as given (on POSIX the file system's bytes).
std::vector<std::string> ProgramArguments(int argc, char* argv[]);
#ifdef _WIN32
// On Windows from the wide arguments of wmain, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, wchar_t* argv[]);
#endif

// Before anything is printed: the user's locale for the messages of the C
// library; on Windows a console that shows UTF-8 and output written as it
// is (no line break turned into CR LF).
void PrepareConsole();

bool StandardErrorIsTerminal();

// The descriptor of standard input.
int StandardInputDescriptor();

// One entry of the system log at error priority, named "qvaddin".
void WriteSystemLog(const std::string& entry);

// The locale's short date of the moment, and with withTime its long time.
std::string LocalDateText(std::time_t when, bool withTime);

}  // namespace qv::cli
