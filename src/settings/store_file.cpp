#include "settings/store_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/descriptor.h"
#include "settings/temporary_name.h"

namespace qv::settings {

namespace {

constexpr auto kStaleAfter = std::chrono::seconds(30);

bool WriteAllBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

// The name of the program a process runs ("" when it cannot be seen).
std::string ProgramName(long pid) {
    char target[PATH_MAX] = {};
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) return {};
    const std::string path(target, static_cast<size_t>(length));
    return path.substr(path.rfind('/') + 1);
}

// "pid\nprogram\nhost\n": who holds the lock.
std::string LockContent() {
    const long pid = ::getpid();
    return std::to_string(pid) + "\n" + ProgramName(pid) + "\n" + HostName() + "\n";
}

// A lock whose holder is gone: it names a process of this host that no
// longer runs (or now runs another program), or it is older than half a
// minute.
bool IsStale(const std::string& lockPath) {
    std::string content;
    if (const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
        const file::Descriptor guard(fd);
        char buffer[512];
        const ssize_t length = ::read(fd, buffer, sizeof buffer);
        if (length > 0) content.assign(buffer, static_cast<size_t>(length));
    }
    std::vector<std::string> lines;
    for (size_t start = 0; start < content.size();) {
        const size_t end = content.find('\n', start);
        lines.push_back(content.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (lines.size() >= 3 && (lines[2].empty() || lines[2] == HostName())) {
        const long pid = std::strtol(lines[0].c_str(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return true;
        const std::string running = pid > 0 ? ProgramName(pid) : std::string();
        if (!running.empty() && running != lines[1]) return true;
    }
    struct stat info {};
    if (::stat(lockPath.c_str(), &info) != 0) return false;
    const auto age =
        std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(info.st_mtime);
    return age > kStaleAfter || age < -kStaleAfter;
}

// Removes a stale lock, unless its holder still has it locked.
void RemoveStaleLock(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    const file::Descriptor guard(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(lockPath.c_str());
}

// The path a write goes to: the file a symbolic link names.
std::string WriteTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

}  // namespace

std::optional<StoreLock> StoreLock::Acquire(const std::string& path, int timeoutMs) {
    const std::string lockPath = path + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::milliseconds(10);
    for (;;) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // The lock on the descriptor keeps anyone from taking it as stale.
            (void)::flock(fd, LOCK_EX | LOCK_NB);
            if (!WriteAllBytes(fd, LockContent())) {
                ::close(fd);
                ::unlink(lockPath.c_str());
                return std::nullopt;
            }
            return StoreLock(lockPath, fd);
        }
        if (errno != EEXIST) return std::nullopt;
        if (IsStale(lockPath)) {
            RemoveStaleLock(lockPath);
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

StoreLock::StoreLock(StoreLock&& other) noexcept
    : lockPath_(std::move(other.lockPath_)), fd_(other.fd_) {
    other.fd_ = -1;
}

StoreLock::~StoreLock() {
    if (fd_ < 0) return;
    ::unlink(lockPath_.c_str());
    ::close(fd_);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
    return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string target = WriteTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = TemporaryName(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool written = WriteAllBytes(fd, bytes);
    if (written && exists) written = ::fchmod(fd, existing.st_mode & 07777) == 0;
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace qv::settings
