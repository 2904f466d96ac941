#pragma once
// Writing a settings file safely on POSIX systems: a lock file that keeps
// two processes from writing at once (the same "<file>.lock" protocol as
// every earlier version used, so old and new programs respect each other's
// lock), and a replacement that never leaves a half-written file (a
// temporary file beside the target, flushed, then renamed over it).

#include <optional>
#include <string>
#include <string_view>

namespace qv::settings {

// Holds "<path>.lock" while it lives. A lock left by a process that has
// ended (or one older than half a minute) is taken over.
class StoreLock {
  public:
    // Waits up to timeoutMs for the lock; nothing when it was not had.
    static std::optional<StoreLock> Acquire(const std::string& path, int timeoutMs);

    StoreLock(StoreLock&& other) noexcept;
    StoreLock& operator=(StoreLock&&) = delete;
    StoreLock(const StoreLock&) = delete;
    ~StoreLock();

  private:
    StoreLock(std::string lockPath, int fd) : lockPath_(std::move(lockPath)), fd_(fd) {}
    std::string lockPath_;
    int fd_;
};

// Creates the folder and the folders above it that are missing.
bool MakeFolders(const std::string& folder);

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

// Replaces the file's content with bytes: a temporary file beside it is
// written, flushed and renamed over it, keeping the file's permissions (a
// new file gets the usual ones). A symbolic link is followed, so the file it
// names is replaced. False when it cannot be done; the file is then as it was.
bool ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace qv::settings
