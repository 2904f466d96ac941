#include "host/files/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/files/file_error.h"
#include "host/files/temp_files.h"
#include "platform/descriptor.h"
#include "platform/file_attributes.h"
#include "platform/regular_file.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;
using file::Descriptor;

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

WriteStepHook& StepHook() {
    static WriteStepHook hook = nullptr;
    return hook;
}

void Step(WriteStep step, const std::string& path) {
    if (StepHook() != nullptr) StepHook()(step, path);
}

// The file still holds what was read from it (a file that is gone, that
// cannot be read or that grew past it does not: it is not read further).
bool Holds(const std::string& path, const std::string& read) {
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    return file::ReadRegularFile(path, bytes, kind, read.size()) && bytes == read;
}

std::string AlreadyReplaced(const std::vector<std::string>& done) {
    if (done.empty()) return {};
    std::string text = "; already replaced: ";
    for (size_t k = 0; k < done.size(); ++k) text += (k ? ", " : "") + done[k];
    return text;
}

FileError ChangedByAnother(const std::string& path, const std::vector<std::string>& done) {
    return FileError(path, 0,
                     "the file was changed by another program after it was read, so " +
                         std::string(done.empty() ? "nothing was written"
                                                  : "neither it nor any file after it was written") +
                         AlreadyReplaced(done) + "; run the command again");
}

FileError ReplaceFailed(const std::string& path, int error, const std::vector<std::string>& done) {
    return FileError(path, 0,
                     "replacing the file failed (" + Reason(error) + "); it is unchanged" +
                         AlreadyReplaced(done));
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

std::string SizeText(unsigned long long bytes) {
    constexpr unsigned long long kMb = 1024 * 1024;
    if (bytes < kMb) return std::to_string(bytes) + " bytes";
    const unsigned long long tenths = (bytes * 10 + kMb / 2) / kMb;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " MB";
}

std::shared_ptr<const std::string> ReadWholeFile(const std::string& path, size_t largest) {
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
    const auto tooLarge = [&](const std::string& size) {
        return FileError(path, 0,
                         "the file is " + size + ", larger than the largest module file that is "
                         "read (" + SizeText(largest) + ", the setting modulemb), so it was "
                         "not read; raise the setting if this is a module");
    };
    struct stat info {};
    if (::fstat(fd.Get(), &info) == 0 && static_cast<unsigned long long>(info.st_size) > largest) {
        throw tooLarge(SizeText(static_cast<unsigned long long>(info.st_size)));
    }
    auto bytes = std::make_shared<std::string>();
    if (!file::ReadAll(fd.Get(), *bytes, largest)) {
        if (errno == EFBIG) throw tooLarge("more than that");
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

std::string HardLinkProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink <= 1) return {};
    return "the file has " + std::to_string(info.st_nlink) +
           " names (hard links), and replacing it would part it from the others, so nothing "
           "was written; give it a file of its own (cp it to a new name and move that over "
           "it) and run again";
}

void SetWriteStepHook(WriteStepHook hook) { StepHook() = hook; }

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Staged& s : staged_) {
        if (s.temp.empty()) continue;
        ::unlink(s.temp.c_str());
        UnlistTempFile(s.temp);
    }
}

void AtomicWriteBatch::Stage(const std::string& path, std::string_view bytes,
                             std::shared_ptr<const std::string> read) {
    const std::string target = RealTarget(path);
    if (const std::string problem = HardLinkProblem(target); !problem.empty()) {
        throw FileError(path, 0, problem);
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
    struct stat original {};
    const bool replaces = ::stat(target.c_str(), &original) == 0;
    if (!replaces) ::fchmod(fd.Get(), 0644);
    if (::close(fd.Release()) != 0) fail("closing failed", errno);
    if (replaces) {
        // The new file keeps the owner, group, mode, access list and
        // extended attributes of the one it replaces, or nothing is written.
        if (const std::string problem = file::KeepAttributes(target, temp); !problem.empty()) {
            throw FileError(path, 0, problem + "; nothing was written");
        }
    }
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

void AtomicWriteBatch::Commit() {
    Flush();
    Step(WriteStep::Flushed, {});
    for (const Staged& s : staged_) {
        if (s.read && !Holds(s.target, *s.read)) throw ChangedByAnother(s.path, {});
    }
    Step(WriteStep::Checked, {});
    std::vector<std::string> done;
    for (Staged& s : staged_) {
        Step(WriteStep::BeforeReplace, s.path);
        Replace(s, done);
        UnlistTempFile(s.temp);
        s.temp.clear();  // in place: nothing left to clean up for this one
        done.push_back(s.path);
    }
    for (const std::string& folder : Folders(staged_)) SyncFolder(folder);
    staged_.clear();
}

void AtomicWriteBatch::Replace(Staged& s, const std::vector<std::string>& done) {
    // Not cut in two by an interruption: its handler would remove the
    // temporary file, which holds the old text between the swap and the check.
    const InterruptionsHeld held;
    if (s.read) {
        if (::renameat2(AT_FDCWD, s.temp.c_str(), AT_FDCWD, s.target.c_str(), RENAME_EXCHANGE) ==
            0) {
            if (Holds(s.temp, *s.read)) {
                ::unlink(s.temp.c_str());  // the old text
                return;
            }
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
            throw ChangedByAnother(s.path, done);
        }
        if (errno == ENOENT) throw ChangedByAnother(s.path, done);  // removed since
        // A file system that cannot swap: compare right before the rename.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            throw ReplaceFailed(s.path, errno, done);
        }
        if (!Holds(s.target, *s.read)) throw ChangedByAnother(s.path, done);
    }
    if (::rename(s.temp.c_str(), s.target.c_str()) != 0) throw ReplaceFailed(s.path, errno, done);
}

}  // namespace qv::host::files
