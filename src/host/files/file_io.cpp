#include "host/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/files/file_error.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return std::strerror(error); }

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The file a path stands for: a symbolic link is followed, so that writing
// replaces the file it points to and not the link.
std::string RealTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path target = fs::canonical(path, ec);
        if (!ec) return target.string();
    }
    return path;
}

void SyncFolder(const fs::path& folder) {
    // Makes the rename itself durable; a failure here loses nothing.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::shared_ptr<const std::string> ReadWholeFile(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        const int error = errno;
        if (error == ENOENT) throw FileError(path, 0, "the file does not exist; check the path");
        throw FileError(path, 0, "the file cannot be opened (" + Reason(error) +
                                     "); check that you may read it");
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw FileError(path, 0, "this is not a regular file; name a project or module file");
    }
    auto bytes = std::make_shared<std::string>();
    bytes->resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t n = ::read(fd.Get(), bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            throw FileError(path, 0, "the file cannot be read (" + Reason(errno) +
                                         "); check the disk and your permissions");
        }
        if (n == 0) break;  // it shrank while we read it
        done += static_cast<size_t>(n);
    }
    bytes->resize(done);
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = RealTarget(path);
    const fs::path folder = fs::path(target).parent_path();
    std::string temp = (folder / ("." + fs::path(target).filename().string() + ".qvaddin-XXXXXX"))
                           .string();
    auto fail = [&](const std::string& what, int error) {
        ::unlink(temp.c_str());
        throw FileError(path, 0, what + " (" + Reason(error) +
                                     "); the file is unchanged; check the disk and the folder's "
                                     "permissions");
    };
    struct stat original {};
    const bool exists = ::stat(target.c_str(), &original) == 0;
    Descriptor fd(::mkstemp(temp.data()));
    if (fd.Get() < 0) {
        const int error = errno;
        temp.clear();
        throw FileError(path, 0, "no temporary file can be made next to it (" + Reason(error) +
                                     "); the file is unchanged; check the folder's permissions");
    }
    if (!WriteAll(fd.Get(), bytes)) fail("writing failed", errno);
    if (exists) {
        ::fchmod(fd.Get(), original.st_mode & 07777);
        // Keep the owner where we may (we may when running as its owner or root).
        if (::fchown(fd.Get(), original.st_uid, original.st_gid) != 0) {
        }
    } else {
        ::fchmod(fd.Get(), 0644);
    }
    if (::fsync(fd.Get()) != 0) fail("flushing to disk failed", errno);
    if (::close(fd.Release()) != 0) fail("closing failed", errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) fail("replacing the file failed", errno);
    SyncFolder(folder);
}

}  // namespace qv::host::files
