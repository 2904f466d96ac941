// Regular files on Linux and the other POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/regular_file.h"

namespace qv::file {

namespace {

Kind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return Kind::Regular;
    if (S_ISDIR(mode)) return Kind::Folder;
    if (S_ISFIFO(mode)) return Kind::NamedPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
    return Kind::Socket;
}

Kind KindAt(const std::string& path, struct stat& info) {
    if (::stat(path.c_str(), &info) == 0) return KindOfMode(info.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return Kind::Missing;
    if (errno == ELOOP) return Kind::LinkLoop;
    return Kind::Unexaminable;
}

// Opens a path that was looked at (or is known) to be a regular file.
int OpenLookedAt(const std::string& path, Kind& kind, struct stat& info) {
    // Without blocking: should a pipe have taken the file's place since it
    // was looked at, the open returns at once and fstat tells. The flag is
    // left on: reads of a regular file never block anyway, and a project
    // of thousands of modules spares two system calls a file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    const bool examined = ::fstat(fd, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode)) {
        kind = examined ? KindOfMode(info.st_mode) : Kind::Unexaminable;
        ::close(fd);
        return -1;
    }
    return fd;
}

void TellSize(const struct stat& info, size_t* size) {
    if (size != nullptr) *size = info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
}

}  // namespace

Kind KindAt(const std::string& path) {
    struct stat info {};
    return KindAt(path, info);
}

Kind KindAt(const std::string& path, std::string& identity) {
    struct stat info {};
    const Kind kind = KindAt(path, info);
    identity = kind == Kind::Missing || kind == Kind::LinkLoop || kind == Kind::Unexaminable
                   ? std::string()
                   : std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    return kind;
}

int OpenRegularFile(const std::string& path, Kind& kind, struct stat& info) {
    kind = KindAt(path, info);
    if (kind != Kind::Regular) return -1;
    return OpenLookedAt(path, kind, info);
}

int OpenRegularFile(const std::string& path, Kind& kind, size_t* size) {
    struct stat info {};
    const int fd = OpenRegularFile(path, kind, info);
    if (fd >= 0) TellSize(info, size);
    return fd;
}

int OpenFoundFile(const std::string& path, Kind& kind, struct stat& info) {
    kind = Kind::Regular;
    const int fd = OpenLookedAt(path, kind, info);
    if (fd < 0 && kind == Kind::Regular) {
        // Why the open failed, told as a look before it would have told.
        const int error = errno;
        kind = KindAt(path, info);
        errno = error;
    }
    return fd;
}

int OpenFoundFile(const std::string& path, Kind& kind, size_t* size) {
    struct stat info {};
    const int fd = OpenFoundFile(path, kind, info);
    if (fd >= 0) TellSize(info, size);
    return fd;
}

size_t SizeOfOpenFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
}

long long ReadSome(int fd, char* into, size_t most) {
    while (true) {
        const ssize_t n = ::read(fd, into, most);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace qv::file
