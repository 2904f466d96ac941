#pragma once
// Windows only: UTF-8 paths as the wide strings the Win32 calls take, and
// the system's words for an error code.

#ifndef _WIN32
#error "win32_text.h is for the Windows build"
#endif

#include <string>

namespace qv::file {

// The UTF-8 path as UTF-16, "/" turned into "\".
std::wstring WidePath(const std::string& utf8);

// What Windows says an error code means, in UTF-8, without the closing
// full stop ("Access is denied").
std::string SystemErrorText(unsigned long code);

// The C library's errno closest to a Windows error code (EACCES, ENOENT,
// EIO...), so that callers that speak errno keep doing so.
int ErrnoOf(unsigned long code);

}  // namespace qv::file
