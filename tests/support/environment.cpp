#include "support/environment.h"

#include <cstdlib>
#include <random>

#ifdef _WIN32
#include "platform/win32_text.h"
#else
#include <unistd.h>
#endif

namespace qv::test {

namespace fs = std::filesystem;

#ifdef _WIN32

std::optional<std::string> GetEnvironment(const std::string& name) {
    const wchar_t* value = ::_wgetenv(file::WideText(name).c_str());
    if (value == nullptr) return std::nullopt;
    return file::Utf8Text(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
    // The C library's copy and the system's (which started programs
    // inherit and GetEnvironmentVariableW reads) both change.
    ::_wputenv_s(file::WideText(name).c_str(), file::WideText(value).c_str());
}

void UnsetEnvironment(const std::string& name) {
    ::_wputenv_s(file::WideText(name).c_str(), L"");
}

#else

std::optional<std::string> GetEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnvironment(const std::string& name) { ::unsetenv(name.c_str()); }

#endif

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value)
    : name_(std::move(name)), before_(GetEnvironment(name_)) {
    SetEnvironment(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (before_) {
        SetEnvironment(name_, *before_);
    } else {
        UnsetEnvironment(name_);
    }
}

fs::path MakeTemporaryFolder(const std::string& prefix) {
    std::random_device device;
    std::mt19937_64 random((static_cast<unsigned long long>(device()) << 32) ^ device());
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = prefix + "-";
        for (int i = 0; i < 10; ++i) name += kChars[random() % (sizeof kChars - 1)];
        const fs::path folder = fs::temp_directory_path() / name;
        std::error_code ec;
        // create_directory is false for a folder that is there already:
        // another test's, never shared.
        if (fs::create_directory(folder, ec)) return folder;
    }
    std::abort();
}

void RemoveFolder(const fs::path& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder, ec);
}

}  // namespace qv::test
