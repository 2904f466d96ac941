#pragma once
// Reading a whole file, and writing files so that a crash or a full disk
// never leaves one half written: the bytes go to a temporary file in the
// same folder, which is flushed to disk and then renamed over the original
// (keeping the original's mode).

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/file_error.h"
#include "platform/regular_file.h"

namespace qv::host::files {

// The file's bytes. Throws FileError naming the path when it cannot be read,
// or when it holds more than largest bytes (then before reading any).
// found: the path was found to be a regular file an instant ago, and is not
// looked at again before it is opened (file::OpenFoundFile).
std::shared_ptr<const std::string> ReadWholeFile(const std::string& path,
                                                 size_t largest = file::kNoReadLimit,
                                                 bool found = false);
// The same into bytes, over what it held (file::ReadAllOver): a thread that
// reads many files into one string reuses its memory. On a throw bytes
// holds nothing that counts.
void ReadWholeFileOver(const std::string& path, size_t largest, std::string& bytes,
                       bool found = false);

// "1.5 MB", "64 MB", "812 bytes": a file's size for messages.
std::string SizeText(unsigned long long bytes);

// One key per file on disk, whatever path reached it (device and inode); the
// path itself when it cannot be examined.
std::string FileIdentity(const std::string& path);

// Several files replaced together: every new file is written and flushed
// before the first one replaces its original, so a failure while writing
// (a full disk, a folder without write permission) leaves every original as
// it was. Many files are flushed with one sync of their file system instead
// of one each, which keeps large runs fast.
//
// A file staged with the bytes it was read with is replaced only while it
// still holds them: once every new file is ready, each file is compared
// with those bytes (a change anywhere writes nothing), and again as it is
// replaced. Where the file system can swap two files in one step, the file
// is swapped with its new text and what it held is compared after the
// swap, so that even an edit made an instant before is found (and swapped
// back); elsewhere it is compared right before the rename.
class AtomicWriteBatch {
  public:
    AtomicWriteBatch() = default;
    AtomicWriteBatch(const AtomicWriteBatch&) = delete;
    AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;
    // Removes the temporary files of a batch that was not committed.
    ~AtomicWriteBatch();

    // Writes the bytes to a temporary file next to path. read: the file's
    // bytes when it was read (nullptr: replace it whatever it holds). Throws
    // FileError, also for a file with several names (hard links), which a
    // replacement would part from the others.
    void Stage(const std::string& path, std::string_view bytes,
               std::shared_ptr<const std::string> read = nullptr);
    // Flushes the temporary files and puts each in place of its file. Throws
    // FileError naming a file another program changed (nothing more is
    // written) or that cannot be replaced; files replaced before stay
    // replaced, each whole, and the message names them.
    void Commit();

  private:
    struct Staged {
        std::string path;    // as given, for messages
        std::string target;  // the file replaced (a symbolic link followed)
        std::string temp;
        std::shared_ptr<const std::string> read;
    };
    void Flush() const;
    void SyncFolders() const;
    // The first refusal, in the files' order, of the checks made once every
    // new file is ready (nullopt: none refuses).
    std::optional<FileError> FirstRefusal() const;
    // Puts the staged file in place. Returns the file that holds the old text
    // when that is still to be removed (it stays listed for an interruption
    // until then), "" when nothing is.
    std::string Replace(Staged& staged, const std::vector<std::string>& done);
    std::vector<Staged> staged_;
};

// Why a file cannot be replaced without parting it from its other names:
// "" when it has one name (or cannot be examined).
std::string HardLinkProblem(const std::string& path);

// The steps of a batch at which tests stand in for another program.
enum class WriteStep {
    Staged,         // a temporary file is written (path: the file it replaces)
    Flushed,        // every temporary file is on disk
    Checked,        // every file was compared with what was read
    BeforeReplace,  // right before a file is replaced (path: that file)
    Swapped,        // a file is swapped with its new text, before what it
                    // held is compared (path: that file)
};
using WriteStepHook = void (*)(WriteStep step, const std::string& path);
// For tests: called at each step (nullptr: none).
void SetWriteStepHook(WriteStepHook hook);

}  // namespace qv::host::files
