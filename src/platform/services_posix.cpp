// What the headless services learn from a POSIX system.

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <ctime>

#include "platform/services.h"
#include "platform/vb_error.h"

namespace qv {

std::string HeadlessServices::UserName() {
    if (const passwd* pw = getpwuid(geteuid()); pw != nullptr && pw->pw_name != nullptr) {
        return pw->pw_name;
    }
    if (const char* login = getlogin(); login != nullptr) return login;
    return {};
}

std::string HeadlessServices::FormatGeneralDate(std::time_t when, bool withTime) {
    std::tm parts{};
    localtime_r(&when, &parts);
    std::array<char, 128> buffer{};
    const size_t n = std::strftime(buffer.data(), buffer.size(), withTime ? "%x %X" : "%x", &parts);
    return std::string(buffer.data(), n);
}

bool HeadlessServices::FileIsReadOnly(std::string_view path) {
    const std::string p(path);
    // The read-only attribute: nobody may write it, or we may not. access
    // asks as the real user, and for any but the superuser no privilege
    // overrides the permission bits there: a write it allows means a write
    // bit is set (an access list's grant shows in the group bits, its
    // mask), so the bits need no look of their own. The superuser may
    // write where no bit allows it, and a file that cannot be written may
    // be missing: those are looked at.
    // (The real user does not change while the program runs: asked once.)
    static const bool superuser = ::getuid() == 0;
    const bool writable = ::access(p.c_str(), W_OK) == 0;
    if (writable && !superuser) return false;
    struct stat info {};
    if (::stat(p.c_str(), &info) != 0) Raise(err::kFileNotFound, {}, p);
    return !writable || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace qv
