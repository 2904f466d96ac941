// Atomic writes on Linux: mkstemp beside the file, fdatasync or syncfs,
// and renameat2's swap so that even an edit made an instant before the
// replacement is found.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/file_io_system.h"
#include "host/files/temp_files.h"
#include "platform/descriptor.h"
#include "platform/file_attributes.h"
#include "platform/regular_file.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;
using file::Descriptor;
using namespace write_detail;

std::string Reason(int error) {
    return std::strerror(error);
}

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

template <typename StagedFiles>
std::vector<std::string> Folders(const StagedFiles& staged) {
    std::vector<std::string> folders;
    for (const auto& s : staged) {
        const std::string folder = fs::path(s.target).parent_path().string();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
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

std::string FileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return path;
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::string HardLinkProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink <= 1) return {};
    return HardLinkText(info.st_nlink);
}

namespace write_detail {

// The file still holds what was read (as Holds) and, then, how many names
// it has. One open serves both: the link count is the one of the very file
// whose bytes are compared (its fstat), so neither check can be passed by a
// file that took the other's place in between. The file was read whole
// before (that is what it is compared with), so it was found to be a
// regular file: it is opened without a look first (file::OpenFoundFile),
// and what is opened is checked all the same.
bool HoldsRead(const std::string& path, const std::string& read, nlink_t& names) {
    file::Kind kind = file::Kind::Missing;
    struct stat info {};
    Descriptor fd(file::OpenFoundFile(path, kind, info));
    std::string bytes;
    const size_t size = info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
    if (fd.Get() < 0 || !file::ReadAll(fd.Get(), bytes, read.size(), size) || bytes != read) {
        return false;
    }
    names = info.st_nlink;
    return true;
}

void RemoveOldText(const std::string& path) { ::unlink(path.c_str()); }

std::optional<FileError> RefusalBeforeReplacing(const std::string& path, const std::string& target,
                                                const std::string& read) {
    nlink_t names = 0;
    if (!HoldsRead(target, read, names)) return ChangedByAnother(path, {});
    if (names > 1) return FileError(path, 0, HardLinkText(names));
    return std::nullopt;
}

}  // namespace write_detail

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Staged& s : staged_) {
        if (s.temp.empty()) continue;
        ::unlink(s.temp.c_str());
        UnlistTempFile(s.temp);
    }
}

namespace {

// The file a path stands for (a symbolic link followed, as RealTarget), and
// what it is, from one look at the path where it is no link: whether it is
// there (stat succeeded) and its facts.
struct Examined {
    std::string target;
    struct stat info {};
    bool there = false;
};

Examined Examine(const std::string& path) {
    Examined seen;
    seen.target = path;
    seen.there = ::lstat(path.c_str(), &seen.info) == 0;
    if (seen.there && S_ISLNK(seen.info.st_mode)) {
        seen.target = RealTarget(path);
        seen.there = ::stat(seen.target.c_str(), &seen.info) == 0;
    }
    return seen;
}

}  // namespace

void AtomicWriteBatch::Stage(const std::string& path, std::string_view bytes,
                             std::shared_ptr<const std::string> read) {
    const Examined seen = Examine(path);
    const std::string& target = seen.target;
    if (seen.there && S_ISREG(seen.info.st_mode) && seen.info.st_nlink > 1) {
        throw FileError(path, 0, HardLinkText(seen.info.st_nlink));
    }
    std::string temp = TempFileTemplate(target);
    int made = -1;
    {
        // Listed the moment it exists: an interruption then removes it.
        const InterruptionsHeld held;
        made = ::mkstemp(temp.data());
        if (made >= 0) ListTempFile(temp);
    }
    Descriptor fd(made);
    if (fd.Get() < 0) {
        throw FileError(path, 0,
                        "no temporary file can be made next to it (" + Reason(errno) +
                            "); nothing was changed; check the folder's permissions");
    }
    staged_.push_back({path, target, temp, std::move(read)});
    auto fail = [&](const std::string& what, int error) {
        throw FileError(
            path, 0,
            what + " (" + Reason(error) + "); nothing was changed; check the disk and the folder");
    };
    if (!WriteAll(fd.Get(), bytes)) fail("writing failed", errno);
    if (!seen.there) ::fchmod(fd.Get(), 0644);
    if (seen.there) {
        // The new file keeps the owner, group, mode, access list and
        // extended attributes of the one it replaces, or nothing is written
        // (given through the descriptor still open: it is not opened again).
        const std::string problem = file::KeepAttributes(target, seen.info, fd.Get());
        if (!problem.empty()) throw FileError(path, 0, problem + "; nothing was written");
    }
    if (::close(fd.Release()) != 0) fail("closing failed", errno);
    Step(WriteStep::Staged, path);
}

void AtomicWriteBatch::Flush() const {
    // A few files one by one, many with one sync per file system.
    constexpr size_t kSyncEachUpTo = 8;
    if (staged_.size() <= kSyncEachUpTo) {
        for (const Staged& s : staged_) {
            Descriptor fd(::open(s.temp.c_str(), O_RDONLY | O_CLOEXEC));
            if (fd.Get() < 0 || ::fdatasync(fd.Get()) != 0) {
                throw FileError(s.path, 0,
                                "flushing to disk failed (" + Reason(errno) +
                                    "); nothing was changed; check the disk");
            }
        }
        return;
    }
    std::vector<dev_t> synced;
    for (const std::string& folder : Folders(staged_)) {
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

void AtomicWriteBatch::SyncFolders() const {
    for (const std::string& folder : Folders(staged_)) SyncFolder(folder);
}

std::string AtomicWriteBatch::Replace(Staged& s, const std::vector<std::string>& done) {
    // Not cut in two by an interruption: its handler would remove the
    // temporary file, which holds the old text between the swap and the check.
    const InterruptionsHeld held;
    if (s.read) {
        if (::renameat2(AT_FDCWD, s.temp.c_str(), AT_FDCWD, s.target.c_str(), RENAME_EXCHANGE) ==
            0) {
            Step(WriteStep::Swapped, s.path);
            // The file swapped out must be the one checked: unchanged, and
            // still of one name (a name given to it since the check would
            // be parted from the new text).
            nlink_t names = 0;
            const bool holds = HoldsRead(s.temp, *s.read, names);
            if (holds && names <= 1) return s.temp;  // the old text, to be removed
            // Changed an instant before: put it back as the other program left it.
            if (::renameat2(AT_FDCWD, s.temp.c_str(), AT_FDCWD, s.target.c_str(),
                            RENAME_EXCHANGE) != 0) {
                const int error = errno;
                // The temporary file now holds the other program's text: kept.
                const std::string kept = s.temp;
                UnlistTempFile(s.temp);
                s.temp.clear();
                throw FileError(s.path, 0,
                                "the file was changed by another program while it was being "
                                "replaced, and putting that back failed (" + Reason(error) +
                                    "); its text as changed is in " + kept);
            }
            ::unlink(s.temp.c_str());
            if (holds) throw LinkedWhileReplacing(s.path, names, done);
            throw ChangedByAnother(s.path, done);
        }
        if (errno == ENOENT) throw ChangedByAnother(s.path, done);  // removed since
        // A file system that cannot swap: compare right before the rename.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            throw ReplaceFailed(s.path, Reason(errno), done);
        }
        if (!Holds(s.target, *s.read)) throw ChangedByAnother(s.path, done);
    }
    if (::rename(s.temp.c_str(), s.target.c_str()) != 0) throw ReplaceFailed(s.path, Reason(errno), done);
    return {};
}

}  // namespace qv::host::files
