#pragma once
// Windows only: UTF-8 paths as the wide strings the Win32 calls take, and
// the system's words for an error code.

#ifndef _WIN32
#error "win32_text.h is for the Windows build"
#endif

#include <string>
#include <string_view>

namespace qv::file {

// UTF-8 text as UTF-16 and back, for the Win32 calls that take and give
// wide strings.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

// The UTF-8 path as UTF-16, "/" turned into "\".
std::wstring WidePath(const std::string& utf8);

// What Windows says an error code means, in UTF-8, without the closing
// full stop ("Access is denied").
std::string SystemErrorText(unsigned long code);

// The C library's errno closest to a Windows error code (EACCES, ENOENT,
// EIO...), so that callers that speak errno keep doing so.
int ErrnoOf(unsigned long code);

}  // namespace qv::file
