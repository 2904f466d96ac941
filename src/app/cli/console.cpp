#include "app/cli/console.h"

#include <clocale>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32_text.h"
#else
#include <syslog.h>
#include <unistd.h>
#endif

namespace qv::cli {

namespace {

#ifndef _WIN32
// The C library's formats, but in the C locale the day, the month's short
// name and the year ("14 Nov 2023") and the time with its zone
// ("22:13:20 UTC"), as the command line has always written them there.
bool IsCLocale(const char* name) {
    return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
           std::strncmp(name, "C.", 2) == 0;
}

std::string Formatted(const char* format, const std::tm& moment) {
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &moment);
    return std::string(buffer, length);
}
#endif

#ifdef _WIN32
std::string Utf8Of(const wchar_t* wide, int length) {
    return file::Utf8Text(std::wstring_view(wide, static_cast<size_t>(length)));
}
#endif

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char* argv[]) {
    return std::vector<std::string>(argv, argv + argc);
}

#ifdef _WIN32
std::vector<std::string> ProgramArguments(int argc, wchar_t* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(Utf8Of(argv[i], static_cast<int>(std::wcslen(argv[i]))));
    }
    return arguments;
}
#endif

void PrepareConsole() {
    std::setlocale(LC_ALL, "");
#ifdef _WIN32
    ::SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

int StandardInputDescriptor() {
#ifdef _WIN32
    return _fileno(stdin);
#else
    return STDIN_FILENO;
#endif
}

void WriteSystemLog(const std::string& entry) {
#ifdef _WIN32
    HANDLE source = ::RegisterEventSourceW(nullptr, L"qvaddin");
    if (source == nullptr) return;
    const std::wstring wide = file::WideText(entry);
    const wchar_t* strings[] = {wide.c_str()};
    ::ReportEventW(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    ::DeregisterEventSource(source);
#else
    ::openlog("qvaddin", LOG_PID, LOG_USER);
    ::syslog(LOG_ERR, "%s", entry.c_str());
    ::closelog();
#endif
}

std::string LocalDateText(std::time_t when, bool withTime) {
#ifdef _WIN32
    std::tm local{};
    ::localtime_s(&local, &when);
    SYSTEMTIME moment{};
    moment.wYear = static_cast<WORD>(local.tm_year + 1900);
    moment.wMonth = static_cast<WORD>(local.tm_mon + 1);
    moment.wDay = static_cast<WORD>(local.tm_mday);
    moment.wHour = static_cast<WORD>(local.tm_hour);
    moment.wMinute = static_cast<WORD>(local.tm_min);
    moment.wSecond = static_cast<WORD>(local.tm_sec);
    wchar_t buffer[128];
    int length = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &moment, nullptr,
                                   buffer, 128, nullptr);
    std::string text = length > 1 ? Utf8Of(buffer, length - 1) : std::string();
    if (withTime) {
        length = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &moment, nullptr, buffer, 128);
        if (length > 1) text += " " + Utf8Of(buffer, length - 1);
    }
    return text;
#else
    std::tm local{};
    ::localtime_r(&when, &local);
    if (IsCLocale(std::setlocale(LC_TIME, nullptr))) {
        std::string text = std::to_string(local.tm_mday) + " " + Formatted("%b %Y", local);
        if (withTime) text += " " + Formatted("%H:%M:%S %Z", local);
        return text;
    }
    std::string text = Formatted("%x", local);
    if (withTime) text += " " + Formatted("%X %Z", local);
    return text;
#endif
}

}  // namespace qv::cli
