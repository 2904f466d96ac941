// The temporary files on Windows: the writer's start time from the
// process's creation time, the interruptions as the console's Ctrl+C,
// Ctrl+Break and close events.

#include <windows.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>

#include "host/files/temp_files.h"
#include "host/files/temp_files_system.h"
#include "platform/native_path.h"
#include "platform/win32_text.h"

namespace qv::host::files {

namespace temp_detail {

long ProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

std::optional<unsigned long long> StartTime(long pid) {
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return std::nullopt;
    FILETIME created{}, exited{}, kernel{}, user{};
    DWORD exitCode = 0;
    const bool known = ::GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                       ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    if (!known) return std::nullopt;
    // Milliseconds since 1601: fine enough to tell two processes apart.
    return ((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
            created.dwLowDateTime) / 10000;
}

std::string MachineName() {
    std::array<wchar_t, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD size = name.size();
    if (!::GetComputerNameW(name.data(), &size)) return {};
    return file::Utf8Path(std::filesystem::path(std::wstring(name.data(), size)));
}

}  // namespace temp_detail

namespace {

namespace fs = std::filesystem;
using namespace temp_detail;

// Held while the list changes and while a file is replaced; the console's
// handler (which Windows runs on a thread of its own) takes it too, so it
// waits for such a step to end. Recursive: a held step lists and unlists.
std::recursive_mutex& InterruptionLock() {
    static std::recursive_mutex lock;
    return lock;
}

// The writer no longer runs: no process has its pid, or the one that has
// it started at another time.
bool WriterGone(const Writer& writer) {
    if (writer.pid == ProcessId()) return false;
    const std::optional<unsigned long long> start = StartTime(writer.pid);
    return !start.has_value() || *start != writer.start;
}

bool IsLeftover(const std::string& folder, const std::string& name) {
    const std::optional<Writer> writer = WriterOf(name);
    if (!writer || writer->host != HostHash()) return false;
    const DWORD attributes =
        ::GetFileAttributesW(file::WidePath(file::Utf8Path(file::NativePath(folder) / file::NativePath(name))).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return false;
    }
    return WriterGone(*writer);
}

BOOL WINAPI RemoveListedOnInterruption(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
        event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // Never released: the run ends right after, and no step of it may
        // make a new temporary file meanwhile.
        InterruptionLock().lock();
        for (const std::string& path : Listed()) ::DeleteFileW(file::WidePath(path).c_str());
    }
    return FALSE;  // the next handler, in the end Windows's own, ends the process
}

}  // namespace

InterruptionsHeld::InterruptionsHeld() {
    InterruptionLock().lock();
}

InterruptionsHeld::~InterruptionsHeld() {
    InterruptionLock().unlock();
}

void RemoveTempFilesOnInterruption() {
    Listed().reserve(64);
    ::SetConsoleCtrlHandler(RemoveListedOnInterruption, TRUE);
}

std::vector<std::string> RemoveLeftoverTempFiles(const std::string& folder) {
    std::vector<std::string> removed;
    std::error_code ec;
    for (fs::directory_iterator it(file::NativePath(folder.empty() ? "." : folder), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = file::Utf8Path(it->path().filename());
        if (name.find(kMark) == std::string::npos || !IsLeftover(folder.empty() ? "." : folder, name)) {
            continue;
        }
        if (::DeleteFileW(it->path().wstring().c_str())) removed.push_back(name);
    }
    std::sort(removed.begin(), removed.end());
    return removed;
}

}  // namespace qv::host::files
