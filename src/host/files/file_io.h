#pragma once
// Reading a whole file, and writing files so that a crash or a full disk
// never leaves one half written: the bytes go to a temporary file in the
// same folder, which is flushed to disk and then renamed over the original
// (keeping the original's mode).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::files {

// The file's bytes. Throws FileError naming the path when it cannot be read.
std::shared_ptr<const std::string> ReadWholeFile(const std::string& path);

// One key per file on disk, whatever path reached it (device and inode); the
// path itself when it cannot be examined.
std::string FileIdentity(const std::string& path);

// The file's modification time in nanoseconds and its size; false when it
// cannot be examined.
bool FileStamp(const std::string& path, long long& modifiedNanoseconds, long long& size);

// Several files replaced together: every new file is written and flushed
// before the first one replaces its original, so a failure while writing
// (a full disk, a folder without write permission) leaves every original as
// it was. Many files are flushed with one sync of their file system instead
// of one each, which keeps large runs fast.
class AtomicWriteBatch {
  public:
    AtomicWriteBatch() = default;
    AtomicWriteBatch(const AtomicWriteBatch&) = delete;
    AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;
    // Removes the temporary files of a batch that was not committed.
    ~AtomicWriteBatch();

    // Writes the bytes to a temporary file next to path. Throws FileError.
    void Stage(const std::string& path, std::string_view bytes);
    // Flushes the temporary files and renames each over its file. Throws
    // FileError (files renamed before the failure stay replaced, each whole).
    void Commit();

  private:
    struct Staged {
        std::string path;    // as given, for messages
        std::string target;  // the file replaced (a symbolic link followed)
        std::string temp;
    };
    std::vector<Staged> staged_;
};

// One file replaced atomically. Throws FileError naming the path.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace qv::host::files
