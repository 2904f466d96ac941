// Writing a settings file safely on Windows: the lock is a file opened for
// this process alone and deleted when it is closed (also when the process
// ends), and a replacement is a temporary file beside the target moved over
// it.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h names ReplaceFileW so; the store's own ReplaceFile is meant here.
#undef ReplaceFile

#include <chrono>
#include <thread>

#include "platform/win32_text.h"
#include "settings/store_file.h"
#include "settings/temporary_name.h"

namespace qv::settings {

namespace {

using file::WideText;

}  // namespace

std::optional<StoreLock> StoreLock::Acquire(const std::string& path, int timeoutMs) {
    const std::string lockPath = path + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const HANDLE handle =
            ::CreateFileW(WideText(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return StoreLock(lockPath, static_cast<int>(reinterpret_cast<intptr_t>(handle)));
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

StoreLock::StoreLock(StoreLock&& other) noexcept
    : lockPath_(std::move(other.lockPath_)), fd_(other.fd_) {
    other.fd_ = -1;
}

StoreLock::~StoreLock() {
    if (fd_ < 0) return;
    ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd_)));
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesW(WideText(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
    return ::CreateDirectoryW(WideText(folder).c_str(), nullptr) != 0 ||
           ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
    std::wstring temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; handle == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        temporary = WideText(TemporaryName(path));
        handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    while (written && !bytes.empty()) {
        DWORD done = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        written = ::WriteFile(handle, bytes.data(), chunk, &done, nullptr) != 0 && done > 0;
        bytes.remove_prefix(done);
    }
    written = written && ::FlushFileBuffers(handle) != 0;
    written = ::CloseHandle(handle) != 0 && written;
    if (!written || ::MoveFileExW(temporary.c_str(), WideText(path).c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace qv::settings
