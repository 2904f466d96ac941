// The temporary files on Linux: the writer's start time from /proc, the
// interruptions as signals.

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "host/files/temp_files.h"
#include "host/files/temp_files_system.h"

namespace qv::host::files {

namespace temp_detail {

long ProcessId() {
    return ::getpid();
}

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

std::string MachineName() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

}  // namespace temp_detail

namespace {

namespace fs = std::filesystem;
using namespace temp_detail;

const int kInterruptions[] = {SIGINT,  SIGTERM, SIGXCPU,   SIGHUP, SIGQUIT, SIGALRM,
                              SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF};

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
    // This run's own (the files it stages) before anything is asked of the
    // file system: they are never leftovers (see WriterGone).
    static const long own = ::getpid();
    if (writer->pid == own) return false;
    struct stat info {};
    if (::lstat((fs::path(folder) / name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (::geteuid() != 0 && info.st_uid != ::geteuid()) return false;
    return WriterGone(*writer);
}

sigset_t InterruptionSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kInterruptions) sigaddset(&set, signal);
    return set;
}

// The thread that lists the temporary files (the one that installed the
// handlers).
pthread_t& ListingThread() {
    static pthread_t thread = ::pthread_self();
    return thread;
}

// How deeply the thread holds the interruptions: only the outermost hold
// changes its signal mask.
thread_local int holds = 0;

extern "C" void RemoveListedAndEnd(int signal) {
    // A signal that another thread of the run caught (one working on
    // modules side by side) goes on to the listing thread, which takes it
    // once it holds the interruptions no more: never while it changes the
    // list, or between making a file and listing it.
    if (::pthread_equal(::pthread_self(), ListingThread()) == 0) {
        ::pthread_kill(ListingThread(), signal);
        return;
    }
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

InterruptionsHeld::InterruptionsHeld() {
    if (holds++ > 0) return;
    const sigset_t set = InterruptionSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

InterruptionsHeld::~InterruptionsHeld() {
    if (--holds > 0) return;
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

void RemoveTempFilesOnInterruption() {
    ListingThread() = ::pthread_self();
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
