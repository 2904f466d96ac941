#pragma once
// What the temporary files' code shares between its common part
// (temp_files.cpp) and the part each system does its own way
// (temp_files_posix.cpp, temp_files_windows.cpp).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::files::temp_detail {

inline constexpr std::string_view kMark = ".qvaddin-";

// The writer a temporary file's name gives.
struct Writer {
    long pid = 0;
    unsigned long long start = 0;
    std::string host;
};

// Nothing for a name of another form.
std::optional<Writer> WriterOf(std::string_view name);

// The hash of this machine's name that temporary files carry.
const std::string& HostHash();

// The temporary files an interruption removes.
std::vector<std::string>& Listed();

// Each system's own.
long ProcessId();
// When the process started, in the system's own unit; nothing when it
// cannot be told (no such process).
std::optional<unsigned long long> StartTime(long pid);
std::string MachineName();

}  // namespace qv::host::files::temp_detail
