// What the headless services learn from Windows.

// First: windows.h makes MessageBox a macro, which must not rename the
// method in this file's view of the class.
#include "platform/services.h"

#include <windows.h>
#include <lmcons.h>

#include <array>
#include <ctime>

#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/vb_error.h"
#include "platform/win32_text.h"

namespace qv {

namespace {

std::string Utf8(const wchar_t* text, size_t length) {
    return file::Utf8Path(std::filesystem::path(std::wstring(text, length)));
}

SYSTEMTIME LocalTime(std::time_t when) {
    // Seconds since 1970 as a FILETIME (100 ns since 1601), then local.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(when) + 11644473600ULL) * 10000000ULL;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local{};
    SYSTEMTIME parts{};
    ::FileTimeToLocalFileTime(&utc, &local);
    ::FileTimeToSystemTime(&local, &parts);
    return parts;
}

}  // namespace

std::string HeadlessServices::UserName() {
    std::array<wchar_t, UNLEN + 1> name{};
    DWORD size = name.size();
    if (!::GetUserNameW(name.data(), &size) || size == 0) return {};
    return Utf8(name.data(), size - 1);  // size counts the closing NUL
}

std::string HeadlessServices::FormatGeneralDate(std::time_t when, bool withTime) {
    const SYSTEMTIME parts = LocalTime(when);
    std::array<wchar_t, 128> date{};
    const int dateLength = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr,
                                            date.data(), static_cast<int>(date.size()));
    std::string text = dateLength > 0 ? Utf8(date.data(), static_cast<size_t>(dateLength - 1)) : "";
    if (withTime) {
        std::array<wchar_t, 128> time{};
        const int timeLength = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &parts, nullptr,
                                                time.data(), static_cast<int>(time.size()));
        if (timeLength > 0) text += " " + Utf8(time.data(), static_cast<size_t>(timeLength - 1));
    }
    return text;
}

bool HeadlessServices::FileIsReadOnly(std::string_view path) {
    const std::string p(path);
    if (::GetFileAttributesW(file::WidePath(p).c_str()) == INVALID_FILE_ATTRIBUTES) {
        Raise(err::kFileNotFound, {}, p);
    }
    return file::IsReadOnlyFile(p);
}

}  // namespace qv
