// Regular files on Windows: UTF-8 paths opened by their wide names, the
// handle's type and attributes telling what stands there.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/win32_text.h"

namespace qv::file {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle that only examines (or reads, with access GENERIC_READ); folders
// open too, so that they can be named.
HANDLE OpenExisting(const std::string& path, DWORD access) {
    return ::CreateFileW(WidePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

Kind KindOfHandle(HANDLE handle) {
    switch (::GetFileType(handle)) {
        case FILE_TYPE_DISK: {
            BY_HANDLE_FILE_INFORMATION info{};
            if (!::GetFileInformationByHandle(handle, &info)) return Kind::Unexaminable;
            return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder
                                                                       : Kind::Regular;
        }
        case FILE_TYPE_PIPE:
            return Kind::NamedPipe;
        default:
            return Kind::Device;
    }
}

Kind KindOfError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE:
            return Kind::Missing;
        case ERROR_CANT_RESOLVE_FILENAME:
            return Kind::LinkLoop;
        default:
            return Kind::Unexaminable;
    }
}

// The device and pipe namespace (\\.\pipe\name, \\.\COM1): named without
// opening, since opening a pipe takes one of its instances.
bool InDeviceNamespace(const std::string& path, Kind& kind) {
    std::string lower = path.substr(0, 9);
    std::replace(lower.begin(), lower.end(), '/', '\\');
    lower = text::ToLower(lower);
    if (lower.rfind("\\\\.\\pipe\\", 0) == 0 || lower.rfind("\\\\?\\pipe\\", 0) == 0) {
        kind = Kind::NamedPipe;
        return true;
    }
    if (lower.rfind("\\\\.\\", 0) == 0) {
        kind = Kind::Device;
        return true;
    }
    return false;
}

}  // namespace

Kind KindAt(const std::string& path) {
    Kind kind = Kind::Missing;
    if (InDeviceNamespace(path, kind)) return kind;
    const HANDLE handle = OpenExisting(path, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A file that this user may not even examine is still a file there.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES) {
                return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::Regular;
            }
        }
        return KindOfError(error);
    }
    kind = KindOfHandle(handle);
    ::CloseHandle(handle);
    return kind;
}

Kind KindAt(const std::string& path, std::string& identity) {
    identity.clear();
    return KindAt(path);
}

int OpenRegularFile(const std::string& path, Kind& kind, size_t* size) {
    if (InDeviceNamespace(path, kind)) return -1;
    const HANDLE handle = OpenExisting(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        kind = KindAt(path);
        errno = ErrnoOf(error);
        return -1;
    }
    kind = KindOfHandle(handle);
    if (kind != Kind::Regular) {
        ::CloseHandle(handle);
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
        return fd;
    }
    if (size != nullptr) *size = SizeOfOpenFile(fd);
    return fd;
}

// The open here looks at the path first of itself.
int OpenFoundFile(const std::string& path, Kind& kind, size_t* size) {
    return OpenRegularFile(path, kind, size);
}

size_t SizeOfOpenFile(int fd) {
    struct _stat64 info {};
    return ::_fstat64(fd, &info) == 0 && info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
}

long long ReadSome(int fd, char* into, size_t most) {
    // One read takes at most what an int counts.
    return ::_read(fd, into, static_cast<unsigned>(std::min<size_t>(most, INT_MAX)));
}

bool IsReadOnlyFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) return true;
    // Or this user may not write it.
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_ACCESS_DENIED;
    ::CloseHandle(handle);
    return false;
}

}  // namespace qv::file
