#include "platform/regular_file.h"

#include <unistd.h>

#include <cerrno>

namespace qv::file {

std::string_view KindName(Kind kind) {
    switch (kind) {
        case Kind::Folder:
            return "a folder";
        case Kind::NamedPipe:
            return "a named pipe (FIFO)";
        case Kind::Device:
            return "a device";
        case Kind::Socket:
            return "a socket";
        case Kind::LinkLoop:
            return "a loop of symbolic links";
        case Kind::Unexaminable:
            return "a path that cannot be examined";
        case Kind::Missing:
        case Kind::Regular:
            break;
    }
    return {};
}

std::string NotRegularReason(Kind kind) {
    const std::string_view name = KindName(kind);
    if (name.empty()) return {};
    if (kind == Kind::Unexaminable) return "it cannot be examined (check the folders' permissions)";
    return "it is " + std::string(name) + ", not a regular file";
}

bool ReadRegularFile(const std::string& path, std::string& bytes, Kind& kind, size_t limit) {
    const int fd = OpenRegularFile(path, kind);
    if (fd < 0) return false;
    const bool read = ReadAll(fd, bytes, limit);
    const int error = errno;
    ::close(fd);
    errno = error;
    return read;
}

}  // namespace qv::file
