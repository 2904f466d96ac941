#include "host/files/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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

void AtomicWriteBatch::Commit() {
    Flush();
    Step(WriteStep::Flushed, {});
    for (const Staged& s : staged_) {
        if (!s.read) continue;
        if (std::optional<FileError> refusal = RefusalBeforeReplacing(s.path, s.target, *s.read)) {
            throw *refusal;
        }
    }
    Step(WriteStep::Checked, {});
    std::vector<std::string> done;
    for (Staged& s : staged_) {
        Step(WriteStep::BeforeReplace, s.path);
        {
            // The replacement and the unlisting of its temporary file under
            // one hold of the interruptions (Replace holds them too).
            const InterruptionsHeld held;
            Replace(s, done);
            UnlistTempFile(s.temp);
        }
        s.temp.clear();  // in place: nothing left to clean up for this one
        done.push_back(s.path);
    }
    SyncFolders();
    staged_.clear();
}

}  // namespace qv::host::files
