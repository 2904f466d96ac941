// What a rewritten file keeps on Windows. The replacement takes the
// original's place with ReplaceFileW, which carries over the original's
// security descriptor (owner and access list), its named streams and its
// creation time; what is left to give it here are the attributes a user
// sets (hidden, system, archive, not indexed).

#include <windows.h>

#include "platform/file_attributes.h"
#include "platform/win32_text.h"

namespace qv::file {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

std::string KeepAttributes(const std::string& original, const std::string& replacement) {
    const DWORD before = ::GetFileAttributesW(WidePath(original).c_str());
    if (before == INVALID_FILE_ATTRIBUTES) {
        return "the file cannot be examined (" + SystemErrorText(::GetLastError()) + ")";
    }
    const std::wstring wideReplacement = WidePath(replacement);
    const DWORD now = ::GetFileAttributesW(wideReplacement.c_str());
    if (now == INVALID_FILE_ATTRIBUTES) {
        return "the new file cannot be examined (" + SystemErrorText(::GetLastError()) + ")";
    }
    const DWORD wanted = (now & ~kKeptAttributes) | (before & kKeptAttributes);
    if (wanted != now && !::SetFileAttributesW(wideReplacement.c_str(), wanted)) {
        return "the new file cannot be given the file's attributes (" +
               SystemErrorText(::GetLastError()) + ")";
    }
    return {};
}

}  // namespace qv::file
