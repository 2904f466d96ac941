#include "platform/regular_file.h"

#include <unistd.h>

#include <algorithm>
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

namespace {

// Reads into bytes from start on, using the room bytes has past start
// before it grows. regular: fd is a regular file (a pipe's read may give
// less than asked before its end).
bool ReadFrom(int fd, std::string& bytes, size_t start, size_t limit, size_t expected,
              bool regular) {
    // Read straight into the string, sized from the file's size (one byte
    // more, so that the end shows without another round).
    if (expected > limit) {
        errno = EFBIG;
        return false;
    }
    // One byte past the limit shows that there is more.
    const size_t most = limit == kNoReadLimit ? kNoReadLimit : start + limit + 1;
    size_t done = start;
    const size_t room = std::min(most, start + std::max<size_t>(expected + 1, 4096));
    if (bytes.size() < room) bytes.resize(room);
    while (true) {
        if (done - start > limit) {
            bytes.resize(start);
            errno = EFBIG;
            return false;
        }
        if (done == bytes.size()) bytes.resize(std::min(most, 2 * bytes.size()));
        const size_t asked = bytes.size() - done;
        const long long n = ReadSome(fd, bytes.data() + done, asked);
        if (n <= 0) {
            bytes.resize(done);
            return n == 0;
        }
        done += static_cast<size_t>(n);
        // A regular file's read gives less than it was asked for only at the
        // file's end: one that gave the size the file reported (and not the
        // byte more it was asked for) has read it all, without a read more
        // to be told so.
        if (regular && static_cast<size_t>(n) < asked && done - start == expected &&
            expected > 0) {
            bytes.resize(done);
            return true;
        }
    }
}

}  // namespace

bool ReadAll(int fd, std::string& bytes, size_t limit) {
    return ReadFrom(fd, bytes, bytes.size(), limit, SizeOfOpenFile(fd), false);
}

bool ReadAll(int fd, std::string& bytes, size_t limit, size_t expected) {
    return ReadFrom(fd, bytes, bytes.size(), limit, expected, true);
}

bool ReadAllOver(int fd, std::string& bytes, size_t limit, size_t expected) {
    return ReadFrom(fd, bytes, 0, limit, expected, true);
}

bool ReadRegularFile(const std::string& path, std::string& bytes, Kind& kind, size_t limit) {
    size_t size = 0;
    const int fd = OpenRegularFile(path, kind, &size);
    if (fd < 0) return false;
    const bool read = ReadAll(fd, bytes, limit, size);
    const int error = errno;
    ::close(fd);
    errno = error;
    return read;
}

}  // namespace qv::file
