// The store as the Windows registry: the key
// HKEY_CURRENT_USER\Software\<Company>\<AppName>\<section>, values written
// as REG_SZ with their terminating NUL, a REG_DWORD read as its decimal text.
// QVADDIN_REGISTRY_ROOT, where set, names a key under HKEY_CURRENT_USER that
// stands in for HKEY_CURRENT_USER itself (Software\... is made beneath it):
// each test program keeps its settings there, as it keeps them in a folder
// of its own (XDG_CONFIG_HOME) on other systems.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <optional>

#include "platform/text.h"
#include "platform/vb_error.h"
#include "platform/win32_text.h"
#include "settings/reg_settings.h"

namespace qv::settings {

namespace {

using file::WideText;

// The key that holds Software\..., as a path under HKEY_CURRENT_USER
// ("" for HKEY_CURRENT_USER itself). Read at each use: beside a registry
// call it costs nothing, and a test's stores follow the test's variable.
std::string RootKey() {
    const DWORD size = ::GetEnvironmentVariableW(L"QVADDIN_REGISTRY_ROOT", nullptr, 0);
    if (size <= 1) return {};
    std::wstring root(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"QVADDIN_REGISTRY_ROOT", root.data(), size);
    root.resize(length < size ? length : 0);
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    return file::Utf8Text(root);
}

// The path under HKEY_CURRENT_USER of a store's key.
std::string RootedKey(const std::string& subKey) {
    const std::string root = RootKey();
    return root.empty() ? subKey : root + "\\" + subKey;
}

std::wstring RootedPath(const std::string& subKey) {
    return WideText(RootedKey(subKey));
}

// "*" names the key's unnamed default value, which the registry calls "".
std::wstring ValueName(std::string_view key) {
    return key == "*" ? std::wstring() : WideText(key);
}

// An open registry key, closed when it goes out of scope.
class Key {
  public:
    // Opens an existing key with full access.
    static std::optional<Key> Open(const std::string& path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, RootedPath(path).c_str(), 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return Key(key);
    }
    // Opens the key, creating it (and the keys above it) when missing.
    static std::optional<Key> Create(const std::string& path) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, RootedPath(path).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return Key(key);
    }

    Key(Key&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    Key& operator=(Key&&) = delete;
    ~Key() {
        if (key_ != nullptr) ::RegCloseKey(key_);
    }
    HKEY Get() const { return key_; }

  private:
    explicit Key(HKEY key) : key_(key) {}
    HKEY key_;
};

// The stored text of a value, or nothing when it is missing, holds no data,
// or cannot be read.
std::optional<std::string> StoredText(const std::string& path, std::string_view key) {
    const std::optional<Key> opened = Key::Open(path);
    if (!opened) return std::nullopt;
    const std::wstring name = ValueName(key);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(opened->Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0) {
        return std::nullopt;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        if (::RegQueryValueExW(opened->Get(), name.c_str(), nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::to_string(number);
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD readSize = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(opened->Get(), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &readSize) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(readSize / sizeof(wchar_t));
    // The terminating NUL is part of the stored length; a value written
    // without one loses nothing.
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return file::Utf8Text(text);
}

}  // namespace

struct CRegSettings::FileCache {};

std::shared_ptr<CRegSettings::FileCache> CRegSettings::Cache() const {
    if (!cache_) cache_ = std::make_shared<FileCache>();
    return cache_;
}

std::string ConfigHome() {
    if (const char* appData = std::getenv("APPDATA"); appData != nullptr && *appData != '\0') {
        return appData;
    }
    return ".";
}

std::string CRegSettings::FilePath() const {
    return "HKEY_CURRENT_USER\\" + RootedKey(SubKey(""));
}

StoreFileState CRegSettings::FileState() const {
    return StoreFileState::Usable;
}

std::string CRegSettings::GetSetting(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const try {
    const std::optional<std::string> stored = StoredText(SubKey(section), key);
    if (!stored) return std::string(defaultValue);
    return text::ReplaceAll(*stored, "\\n", text::kCrLf);
}
QV_PASS_UP("CRegSettings", "GetSetting")

bool CRegSettings::SaveSetting(std::string_view section, std::string_view key,
                               std::string_view setting) try {
    const std::wstring value = WideText(text::ReplaceAll(setting, text::kCrLf, "\\n"));
    const std::optional<Key> opened = Key::Create(SubKey(section));
    if (!opened) return false;
    // The terminating NUL is written and counted in the stored length.
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(opened->Get(), ValueName(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}
QV_PASS_UP("CRegSettings", "SaveSetting")

bool CRegSettings::DeleteSetting(std::string_view section, std::string_view key) try {
    if (section.empty() && key.empty()) return false;  // never the whole application
    if (!key.empty()) {
        const std::optional<Key> opened = Key::Open(SubKey(section));
        return opened && ::RegDeleteValueW(opened->Get(), ValueName(key).c_str()) == ERROR_SUCCESS;
    }
    // The section's key goes with its values and the keys beneath it.
    const std::optional<Key> application = Key::Open(SubKey(""));
    return application &&
           ::RegDeleteTreeW(application->Get(), WideText(section).c_str()) == ERROR_SUCCESS;
}
QV_PASS_UP("CRegSettings", "DeleteSetting")

bool CRegSettings::HasSetting(std::string_view section, std::string_view key) const try {
    return StoredText(SubKey(section), key).has_value();
}
QV_PASS_UP("CRegSettings", "HasSetting")

bool CRegSettings::HasValues(std::string_view section) const try {
    const std::optional<Key> opened = Key::Open(SubKey(section));
    DWORD values = 0;
    return opened &&
           ::RegQueryInfoKeyW(opened->Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           values > 0;
}
QV_PASS_UP("CRegSettings", "HasValues")

}  // namespace qv::settings
