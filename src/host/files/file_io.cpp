#include "host/files/file_io.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "host/files/file_error.h"
#include "host/files/file_io_system.h"
#include "host/files/temp_files.h"
#include "platform/descriptor.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;
using file::Descriptor;

std::string Reason(int error) {
    return std::strerror(error);
}

WriteStepHook& StepHook() {
    static WriteStepHook hook = nullptr;
    return hook;
}

}  // namespace

namespace write_detail {

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

std::string HardLinkText(unsigned long long names) {
    return "the file has " + std::to_string(names) +
           " names (hard links), and replacing it would part it from the others, so nothing "
           "was written; give it a file of its own (cp it to a new name and move that over "
           "it) and run again";
}

FileError ChangedByAnother(const std::string& path, const std::vector<std::string>& done) {
    return FileError(path, 0,
                     "the file was changed by another program after it was read, so " +
                         std::string(done.empty() ? "nothing was written"
                                                  : "neither it nor any file after it was written") +
                         AlreadyReplaced(done) + "; run the command again");
}

FileError LinkedWhileReplacing(const std::string& path, unsigned long long names,
                               const std::vector<std::string>& done) {
    return FileError(path, 0,
                     "the file was given " + std::to_string(names) +
                         " names (hard links) by another program while it was being replaced, "
                         "so it was put back as it was, and " +
                         std::string(done.empty() ? "nothing was written"
                                                  : "neither it nor any file after it was written") +
                         AlreadyReplaced(done) + "; give it a file of its own and run again");
}

FileError ReplaceFailed(const std::string& path, const std::string& reason,
                        const std::vector<std::string>& done) {
    return FileError(path, 0,
                     "replacing the file failed (" + reason + "); it is unchanged" +
                         AlreadyReplaced(done));
}

// The file a path stands for: a symbolic link is followed, so that writing
// replaces the file it points to and not the link.
std::string RealTarget(const std::string& path) {
    std::error_code ec;
    const fs::path native = file::NativePath(path);
    if (fs::is_symlink(native, ec)) {
        const fs::path target = fs::canonical(native, ec);
        if (!ec) return file::Utf8Path(target);
    }
    return path;
}

}  // namespace write_detail

using namespace write_detail;

std::string SizeText(unsigned long long bytes) {
    constexpr unsigned long long kMb = 1024 * 1024;
    if (bytes < kMb) return std::to_string(bytes) + " bytes";
    const unsigned long long tenths = (bytes * 10 + kMb / 2) / kMb;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " MB";
}

namespace {

// Reads the file at path into bytes, after what it holds (over it, when
// over is set); throws FileError as ReadWholeFile says. found: the path was
// found to be a regular file already (file::OpenFoundFile).
void ReadFileInto(const std::string& path, size_t largest, std::string& bytes, bool over,
                  bool found = false) {
    file::Kind kind = file::Kind::Missing;
    size_t size = 0;
    Descriptor fd(found ? file::OpenFoundFile(path, kind, &size)
                        : file::OpenRegularFile(path, kind, &size));
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
    const auto tooLarge = [&](const std::string& sizeText) {
        return FileError(path, 0,
                         "the file is " + sizeText + ", larger than the largest module file that is "
                         "read (" + SizeText(largest) + ", the setting modulemb), so it was "
                         "not read; raise the setting if this is a module");
    };
    if (size > largest) throw tooLarge(SizeText(size));
    const bool read = over ? file::ReadAllOver(fd.Get(), bytes, largest, size)
                           : file::ReadAll(fd.Get(), bytes, largest, size);
    if (!read) {
        if (errno == EFBIG) throw tooLarge("more than that");
        throw FileError(path, 0,
                        "the file cannot be read (" + Reason(errno) +
                            "); check the disk and your permissions");
    }
}

}  // namespace

std::shared_ptr<const std::string> ReadWholeFile(const std::string& path, size_t largest,
                                                 bool found) {
    auto bytes = std::make_shared<std::string>();
    ReadFileInto(path, largest, *bytes, false, found);
    return bytes;
}

void ReadWholeFileOver(const std::string& path, size_t largest, std::string& bytes, bool found) {
    ReadFileInto(path, largest, bytes, true, found);
}

void SetWriteStepHook(WriteStepHook hook) { StepHook() = hook; }

namespace {

// Batches of fewer files than this are checked and replaced by the calling
// thread alone: a helper thread would cost more than it saves.
constexpr size_t kHelpedFrom = 2;

// A thread that runs work, started with the interruptions held so that it
// never takes one itself (they go to the threads that can handle them); an
// empty thread when none can be started (the caller then does the work).
template <typename Work>
std::thread StartHelper(Work work) {
    const InterruptionsHeld held;
    try {
        return std::thread(std::move(work));
    } catch (const std::system_error&) {
        return {};
    }
}

// Removes the old texts of replaced files on a few threads of their own
// while the next files are replaced: freeing a file's blocks can take long
// (a file system that discards them at once waits for the disk), and the
// disk takes several such waits side by side. Every old text given is
// removed, and unlisted, before the remover is gone; each stays listed for
// an interruption until then.
class OldTextRemover {
  public:
    // Room for every old text (at most one per staged file) is made at
    // once: listing them here and unlisting them allocate nothing, also
    // while a failure unwinds.
    explicit OldTextRemover(size_t most) : paths_(most) { threads_.reserve(kMostThreads); }
    OldTextRemover(const OldTextRemover&) = delete;
    OldTextRemover& operator=(const OldTextRemover&) = delete;
    ~OldTextRemover() {
        // What no thread has begun is removed here as well, side by side
        // with them rather than waited for: a thread that gets little of a
        // busy machine holds up no more than the file it is removing.
        {
            const std::lock_guard<std::mutex> guard(lock_);
            closing_ = true;
            handed_ = given_;
        }
        added_.notify_all();
        for (size_t k; (k = Take()) < given_;) RemoveOldText(paths_[k]);
        for (std::thread& thread : threads_) thread.join();
        paths_.resize(given_);  // smaller: nothing is allocated
        UnlistTempFiles(paths_);
    }

    void Add(std::string path) {
        if (given_ == paths_.size()) {  // more than the room made: removed at once
            RemoveOldText(path);
            UnlistTempFile(path);
            return;
        }
        paths_[given_++] = std::move(path);
        if (threads_.empty() && !alone_) alone_ = !StartThread();
        if (alone_) {
            RemoveOldText(paths_[given_ - 1]);
            handed_ = taken_ = given_;  // (no thread reads them)
            return;
        }
        if (given_ - handed_ >= kHandOverEach) HandOver();
    }

  private:
    // Old texts go to the threads a few at a time: they are woken once for
    // them. A few threads: the removals wait for the disk, not the processor.
    static constexpr size_t kHandOverEach = 8;
    static constexpr size_t kMostThreads = 4;

    bool StartThread() {
        std::thread thread = StartHelper([this] { Work(); });
        if (!thread.joinable()) return false;
        threads_.push_back(std::move(thread));
        return true;
    }

    void HandOver() {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            handed_ = given_;
        }
        added_.notify_all();
        // One more thread while there are old texts for it.
        if (threads_.size() < kMostThreads) StartThread();
    }

    // The place of the next old text handed over that no thread has taken
    // (given_ when there is none); it is taken.
    size_t Take() {
        const std::lock_guard<std::mutex> guard(lock_);
        return taken_ < handed_ ? taken_++ : given_;
    }

    void Work() {
        for (;;) {
            size_t k = 0;
            {
                std::unique_lock<std::mutex> guard(lock_);
                added_.wait(guard, [this] { return closing_ || taken_ < handed_; });
                if (taken_ == handed_) return;
                k = taken_++;
            }
            RemoveOldText(paths_[k]);
        }
    }

    // The old texts in the order given; those before handed_ are not
    // changed again, and the threads read them.
    std::vector<std::string> paths_;
    size_t given_ = 0;   // the calling thread's
    bool alone_ = false;  // no thread could be started: the calling thread removes each
    std::vector<std::thread> threads_;  // the calling thread's
    std::mutex lock_;
    std::condition_variable added_;
    size_t handed_ = 0;  // under lock_ (read without it by the calling thread)
    size_t taken_ = 0;   // under lock_
    bool closing_ = false;  // under lock_
};

}  // namespace

std::optional<FileError> AtomicWriteBatch::FirstRefusal() const {
    // The checks only read, each its own file: two threads share them. A
    // file after one refused (or whose check failed) need not be checked.
    const size_t count = staged_.size();
    std::vector<std::optional<FileError>> refusals(count);
    std::vector<std::exception_ptr> failures(count);
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstStop{count};
    auto check = [&] {
        for (size_t k; (k = next++) < count && k < firstStop;) {
            const Staged& s = staged_[k];
            if (!s.read) continue;
            try {
                refusals[k] = RefusalBeforeReplacing(s.path, s.target, *s.read);
                if (!refusals[k]) continue;
            } catch (...) {
                failures[k] = std::current_exception();
            }
            size_t seen = firstStop;
            while (k < seen && !firstStop.compare_exchange_weak(seen, k)) {
            }
        }
    };
    std::thread helper = count >= kHelpedFrom ? StartHelper(check) : std::thread();
    check();
    if (helper.joinable()) helper.join();
    const size_t first = firstStop;
    if (first == count) return std::nullopt;
    if (failures[first]) std::rethrow_exception(failures[first]);
    return refusals[first];
}

void AtomicWriteBatch::Commit() {
    Flush();
    Step(WriteStep::Flushed, {});
    if (std::optional<FileError> refusal = FirstRefusal()) throw *refusal;
    Step(WriteStep::Checked, {});
    std::vector<std::string> done;
    {
        OldTextRemover remover(staged_.size());  // done before the folders are synced
        for (Staged& s : staged_) {
            Step(WriteStep::BeforeReplace, s.path);
            {
                // The replacement and the unlisting (or handing on) of its
                // temporary file under one hold of the interruptions
                // (Replace holds them too).
                const InterruptionsHeld held;
                std::string oldText = Replace(s, done);
                if (oldText.empty()) {
                    UnlistTempFile(s.temp);
                } else if (staged_.size() >= kHelpedFrom) {
                    remover.Add(std::move(oldText));
                } else {
                    RemoveOldText(oldText);
                    UnlistTempFile(oldText);
                }
            }
            s.temp.clear();  // in place: nothing left to clean up for this one
            done.push_back(s.path);
        }
    }
    SyncFolders();
    staged_.clear();
}

}  // namespace qv::host::files
