#include "host/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/files/file_error.h"
#include "platform/regular_file.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) {
    return std::strerror(error);
}

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
    file::Kind kind = file::Kind::Missing;
    Descriptor fd(file::OpenRegularFile(path, kind));
    if (fd.Get() < 0) {
        const int error = errno;
        if (kind == file::Kind::Missing) {
            throw FileError(path, 0, "the file does not exist; check the path");
        }
        if (kind != file::Kind::Regular) {
            throw FileError(path, 0,
                            file::NotRegularReason(kind) + "; name a project or module file");
        }
        throw FileError(
            path, 0,
            "the file cannot be opened (" + Reason(error) + "); check that you may read it");
    }
    auto bytes = std::make_shared<std::string>();
    if (!file::ReadAll(fd.Get(), *bytes)) {
        throw FileError(path, 0,
                        "the file cannot be read (" + Reason(errno) +
                            "); check the disk and your permissions");
    }
    return bytes;
}

std::string FileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return path;
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

bool FileStamp(const std::string& path, long long& modifiedNanoseconds, long long& size) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    modifiedNanoseconds =
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    size = static_cast<long long>(info.st_size);
    return true;
}

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Staged& s : staged_) {
        if (!s.temp.empty()) ::unlink(s.temp.c_str());
    }
}

void AtomicWriteBatch::Stage(const std::string& path, std::string_view bytes) {
    const std::string target = RealTarget(path);
    const fs::path folder = fs::path(target).parent_path();
    std::string temp =
        (folder / ("." + fs::path(target).filename().string() + ".qvaddin-XXXXXX")).string();
    Descriptor fd(::mkstemp(temp.data()));
    if (fd.Get() < 0) {
        throw FileError(path, 0,
                        "no temporary file can be made next to it (" + Reason(errno) +
                            "); nothing was changed; check the folder's permissions");
    }
    auto fail = [&](const std::string& what, int error) {
        ::unlink(temp.c_str());
        throw FileError(
            path, 0,
            what + " (" + Reason(error) + "); nothing was changed; check the disk and the folder");
    };
    if (!WriteAll(fd.Get(), bytes)) fail("writing failed", errno);
    struct stat original {};
    if (::stat(target.c_str(), &original) == 0) {
        ::fchmod(fd.Get(), original.st_mode & 07777);
        // Keep the owner where we may (running as the owner or as root).
        [[maybe_unused]] const int owned = ::fchown(fd.Get(), original.st_uid, original.st_gid);
    } else {
        ::fchmod(fd.Get(), 0644);
    }
    if (::close(fd.Release()) != 0) fail("closing failed", errno);
    staged_.push_back({path, target, temp});
}

void AtomicWriteBatch::Commit() {
    // Flush: a few files one by one, many with one sync per file system.
    constexpr size_t kSyncEachUpTo = 8;
    std::vector<std::string> folders;
    for (const Staged& s : staged_) {
        const std::string folder = fs::path(s.target).parent_path().string();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    if (staged_.size() <= kSyncEachUpTo) {
        for (const Staged& s : staged_) {
            Descriptor fd(::open(s.temp.c_str(), O_RDONLY | O_CLOEXEC));
            if (fd.Get() < 0 || ::fdatasync(fd.Get()) != 0) {
                throw FileError(s.path, 0,
                                "flushing to disk failed (" + Reason(errno) +
                                    "); nothing was changed; check the disk");
            }
        }
    } else {
        std::vector<dev_t> synced;
        for (const std::string& folder : folders) {
            struct stat info {};
            if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) continue;
            if (std::find(synced.begin(), synced.end(), info.st_dev) != synced.end()) continue;
            Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
            if (fd.Get() < 0 || ::syncfs(fd.Get()) != 0) {
                throw FileError(staged_.front().path, 0,
                                "flushing to disk failed (" + Reason(errno) +
                                    "); nothing was changed; check the disk");
            }
            synced.push_back(info.st_dev);
        }
    }
    for (size_t i = 0; i < staged_.size(); ++i) {
        const Staged& s = staged_[i];
        if (::rename(s.temp.c_str(), s.target.c_str()) != 0) {
            const int error = errno;
            std::string done;
            for (size_t k = 0; k < i; ++k) done += (k ? ", " : "") + staged_[k].path;
            throw FileError(s.path, 0,
                            "replacing the file failed (" + Reason(error) + "); it is unchanged" +
                                (done.empty() ? std::string() : "; already replaced: " + done));
        }
        // Renamed: nothing left to clean up for this one.
        staged_[i].temp.clear();
    }
    for (const std::string& folder : folders) SyncFolder(folder);
    staged_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicWriteBatch batch;
    batch.Stage(path, bytes);
    batch.Commit();
}

}  // namespace qv::host::files
