// Atomic writes on Windows: a new file made beside the original, flushed
// with FlushFileBuffers, and put in place with ReplaceFileW, which keeps the
// original's security, streams and creation time and leaves the original
// under a backup name, so that what it held is compared after the
// replacement too (and put back on a difference).

#include <windows.h>

#include <random>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/file_io_system.h"
#include "host/files/temp_files.h"
#include "platform/file_attributes.h"
#include "platform/win32_text.h"

namespace qv::host::files {

namespace {

using namespace write_detail;
using file::WidePath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string LastError() {
    return file::SystemErrorText(::GetLastError());
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) ::CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Closes it now; false (the error left for GetLastError) when that fails.
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

// What GetFileInformationByHandle says of the file at path; false when it
// cannot be examined.
bool Examine(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const Handle handle(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Valid() && ::GetFileInformationByHandle(handle.Get(), &info);
}

// The template's closing XXXXXX as random letters and digits.
std::string FillTemplate(std::string pathTemplate) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 random{std::random_device{}() ^ ::GetTickCount64()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (size_t at = pathTemplate.size(); at > 0 && pathTemplate[at - 1] == 'X'; --at) {
        pathTemplate[at - 1] = kLetters[pick(random)];
    }
    return pathTemplate;
}

// A file of the template's form that did not exist, made and opened for
// writing; its name in path. An invalid handle (GetLastError set) when none
// can be made.
HANDLE MakeTempFile(const std::string& pathTemplate, std::string& path) {
    for (int tries = 0; tries < 100; ++tries) {
        path = FillTemplate(pathTemplate);
        const HANDLE handle =
            ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::string FileIdentity(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Examine(path, info)) return path;
    return std::to_string(info.dwVolumeSerialNumber) + ":" +
           std::to_string((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                          info.nFileIndexLow);
}

std::string HardLinkProblem(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Examine(path, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        info.nNumberOfLinks <= 1) {
        return {};
    }
    return HardLinkText(info.nNumberOfLinks);
}

namespace write_detail {

void RemoveOldText(const std::string& path) { ::DeleteFileW(WidePath(path).c_str()); }

std::optional<FileError> RefusalBeforeReplacing(const std::string& path, const std::string& target,
                                                const std::string& read) {
    if (!Holds(target, read)) return ChangedByAnother(path, {});
    if (const std::string problem = HardLinkProblem(target); !problem.empty()) {
        return FileError(path, 0, problem);
    }
    return std::nullopt;
}

}  // namespace write_detail

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Staged& s : staged_) {
        if (s.temp.empty()) continue;
        ::DeleteFileW(WidePath(s.temp).c_str());
        UnlistTempFile(s.temp);
    }
}

void AtomicWriteBatch::Stage(const std::string& path, std::string_view bytes,
                             std::shared_ptr<const std::string> read) {
    const std::string target = RealTarget(path);
    if (const std::string problem = HardLinkProblem(target); !problem.empty()) {
        throw FileError(path, 0, problem);
    }
    std::string temp;
    HANDLE made = INVALID_HANDLE_VALUE;
    {
        // Listed the moment it exists: an interruption then removes it.
        const InterruptionsHeld held;
        made = MakeTempFile(TempFileTemplate(target), temp);
        if (made != INVALID_HANDLE_VALUE) ListTempFile(temp);
    }
    Handle file(made);
    if (!file.Valid()) {
        throw FileError(path, 0,
                        "no temporary file can be made next to it (" + LastError() +
                            "); nothing was changed; check the folder's permissions");
    }
    staged_.push_back({path, target, temp, std::move(read)});
    auto fail = [&](const std::string& what) {
        throw FileError(path, 0,
                        what + " (" + LastError() +
                            "); nothing was changed; check the disk and the folder");
    };
    if (!WriteAll(file.Get(), bytes)) fail("writing failed");
    if (!file.Close()) fail("closing failed");
    if (::GetFileAttributesW(WidePath(target).c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (const std::string problem = file::KeepAttributes(target, temp); !problem.empty()) {
            throw FileError(path, 0, problem + "; nothing was written");
        }
    }
    Step(WriteStep::Staged, path);
}

void AtomicWriteBatch::Flush() const {
    for (const Staged& s : staged_) {
        const Handle file(::CreateFileW(WidePath(s.temp).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() || !::FlushFileBuffers(file.Get())) {
            throw FileError(s.path, 0,
                            "flushing to disk failed (" + LastError() +
                                "); nothing was changed; check the disk");
        }
    }
}

void AtomicWriteBatch::SyncFolders() const {
    // A rename on NTFS is journalled with the folder: nothing more to flush.
}

std::string AtomicWriteBatch::Replace(Staged& s, const std::vector<std::string>& done) {
    // Not cut in two by an interruption: its handler would remove the
    // backup, which holds the old text between the replacement and the check.
    const InterruptionsHeld held;
    const std::wstring target = WidePath(s.target);
    if (!s.read) {
        if (!::MoveFileExW(WidePath(s.temp).c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throw ReplaceFailed(s.path, LastError(), done);
        }
        return {};
    }
    // The original is kept under a name of the temporary files' form until
    // what it held is compared: an edit made an instant before is found so.
    std::string backup = FillTemplate(TempFileTemplate(s.target));
    ListTempFile(backup);
    if (!::ReplaceFileW(target.c_str(), WidePath(s.temp).c_str(), WidePath(backup).c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        // Half done: the original went to the backup name, the new file did
        // not come in its place. The original goes back.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 &&
            !::MoveFileExW(WidePath(backup).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            UnlistTempFile(backup);
            throw FileError(s.path, 0,
                            "replacing the file failed (" + file::SystemErrorText(error) +
                                "), and putting it back failed (" + LastError() +
                                "); its text is in " + backup);
        }
        UnlistTempFile(backup);
        if (error == ERROR_FILE_NOT_FOUND) throw ChangedByAnother(s.path, done);  // removed since
        throw ReplaceFailed(s.path, file::SystemErrorText(error), done);
    }
    // The new file is in place: the temporary file's name is free.
    Step(WriteStep::Swapped, s.path);
    // The old text, to be removed (by the commit's remover threads, while
    // the next files are replaced), still listed for an interruption.
    if (Holds(backup, *s.read)) return backup;
    // Changed an instant before: put it back as the other program left it.
    if (!::ReplaceFileW(target.c_str(), WidePath(backup).c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const std::string reason = LastError();
        UnlistTempFile(backup);
        throw FileError(s.path, 0,
                        "the file was changed by another program while it was being replaced, "
                        "and putting that back failed (" + reason +
                            "); its text as changed is in " + backup);
    }
    UnlistTempFile(backup);
    throw ChangedByAnother(s.path, done);
}

}  // namespace qv::host::files
