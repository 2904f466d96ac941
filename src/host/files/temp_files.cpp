#include "host/files/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMark = ".qvaddin-";
constexpr size_t kRandomPart = 6;  // mkstemp's XXXXXX
constexpr size_t kLongestName = NAME_MAX;

const int kInterruptions[] = {SIGINT,  SIGTERM, SIGXCPU,   SIGHUP, SIGQUIT, SIGALRM,
                              SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF};

// The start time of a process in clock ticks since boot (field 22 of its
// /proc stat line); nothing when it cannot be read.
std::optional<unsigned long long> StartTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    const size_t name = line.rfind(')');  // the command name may hold anything
    if (name == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) {
            try {
                return std::stoull(field);
            } catch (...) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

std::string MachineHash() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, sizeof name - 1);
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char* p = name; *p != '\0'; ++p) {
        hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", hash);
    return text;
}

const std::string& HostHash() {
    static const std::string hash = MachineHash();
    return hash;
}

// "PID.START.HOST" of this process.
const std::string& OwnTag() {
    static const std::string tag = std::to_string(::getpid()) + "." +
                                   std::to_string(StartTime(::getpid()).value_or(0)) + "." +
                                   HostHash();
    return tag;
}

struct Writer {
    long pid = 0;
    unsigned long long start = 0;
    std::string host;
};

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The writer a temporary file's name gives; nothing for a name of another form.
std::optional<Writer> WriterOf(std::string_view name) {
    if (name.size() < 2 || name.front() != '.') return std::nullopt;
    const size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos || mark == 0) return std::nullopt;
    std::string_view rest = name.substr(mark + kMark.size());  // PID.START.HOST-XXXXXX
    if (rest.size() < kRandomPart + 1 || rest[rest.size() - kRandomPart - 1] != '-') {
        return std::nullopt;
    }
    const std::string_view random = rest.substr(rest.size() - kRandomPart);
    if (!std::all_of(random.begin(), random.end(), [](char c) { return std::isalnum(c) != 0; })) {
        return std::nullopt;
    }
    rest.remove_suffix(kRandomPart + 1);
    const size_t dot1 = rest.find('.');
    const size_t dot2 = rest.find('.', dot1 + 1);
    if (dot1 == std::string_view::npos || dot2 == std::string_view::npos) return std::nullopt;
    const std::string_view pid = rest.substr(0, dot1);
    const std::string_view start = rest.substr(dot1 + 1, dot2 - dot1 - 1);
    const std::string_view host = rest.substr(dot2 + 1);
    if (!AllDigits(pid) || !AllDigits(start) || host.size() != 8 || pid.size() > 9 ||
        start.size() > 19) {
        return std::nullopt;
    }
    return Writer{std::stol(std::string(pid)), std::stoull(std::string(start)), std::string(host)};
}

// The writer no longer runs: no process has its pid, or the one that has
// it started at another time. When that cannot be told, it runs.
bool WriterGone(const Writer& writer) {
    if (writer.pid == ::getpid()) return false;
    if (::kill(static_cast<pid_t>(writer.pid), 0) != 0 && errno == ESRCH) return true;
    const std::optional<unsigned long long> start = StartTime(writer.pid);
    return start.has_value() && *start != writer.start;
}

bool IsLeftover(const std::string& folder, const std::string& name) {
    const std::optional<Writer> writer = WriterOf(name);
    if (!writer || writer->host != HostHash()) return false;
    struct stat info {};
    if (::lstat((fs::path(folder) / name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (::geteuid() != 0 && info.st_uid != ::geteuid()) return false;
    return WriterGone(*writer);
}

// ---------------------------------------------------------------- the list

std::vector<std::string>& Listed() {
    static std::vector<std::string> listed;
    return listed;
}

sigset_t InterruptionSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kInterruptions) sigaddset(&set, signal);
    return set;
}

extern "C" void RemoveListedAndEnd(int signal) {
    // Only async-signal-safe calls: unlink, sigaction, raise. The list is
    // never changed while this signal can arrive (see ListTempFile).
    for (const std::string& path : Listed()) ::unlink(path.c_str());
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);  // held back until this handler returns, then ends the process
}

}  // namespace

std::string TempFileTemplate(const std::string& target) {
    const fs::path path(target);
    const std::string suffix = std::string(kMark) + OwnTag() + "-" + std::string(kRandomPart, 'X');
    std::string name = path.filename().string();
    const size_t room = kLongestName - 1 - suffix.size();  // the leading dot
    if (name.size() > room) name.resize(room);
    return (path.parent_path() / ("." + name + suffix)).string();
}

InterruptionsHeld::InterruptionsHeld() {
    const sigset_t set = InterruptionSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

InterruptionsHeld::~InterruptionsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

void ListTempFile(const std::string& path) {
    const InterruptionsHeld held;
    Listed().push_back(path);
}

void UnlistTempFile(const std::string& path) {
    const InterruptionsHeld held;
    auto& listed = Listed();
    listed.erase(std::remove(listed.begin(), listed.end(), path), listed.end());
}

void RemoveTempFilesOnInterruption() {
    Listed().reserve(64);
    struct sigaction action {};
    action.sa_handler = RemoveListedAndEnd;
    action.sa_mask = InterruptionSet();
    for (int signal : kInterruptions) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
    // A closed output (qvaddin add ... | head -1) is no reason to stop: the
    // writes to it fail, the printing stops, and the run ends with the exit
    // code of its work, files written and all.
    ::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> RemoveLeftoverTempFiles(const std::string& folder) {
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return removed;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.find(kMark) == std::string::npos || !IsLeftover(folder, name)) continue;
        if (::unlink((fs::path(folder) / name).c_str()) == 0) removed.push_back(name);
    }
    ::closedir(dir);
    std::sort(removed.begin(), removed.end());
    return removed;
}

}  // namespace qv::host::files
