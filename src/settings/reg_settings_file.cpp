// The store as an INI file (every system but Windows).
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/descriptor.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/ini_check.h"
#include "settings/ini_format.h"
#include "settings/reg_settings.h"
#include "settings/store_file.h"

namespace qv::settings {

namespace {

// How long a write waits for another process's write to finish.
constexpr int kLockWaitMs = 10000;

// The file's identity and version: a state read once holds until it changes.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;
    long long changed = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size,
            info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
}

// One reading of the file.
struct FileContent {
    StoreFileState state = StoreFileState::Missing;
    FileStamp stamp;
    std::shared_ptr<const ini::Document> document = std::make_shared<const ini::Document>();
};

FileContent ReadContent(const std::string& path) {
    FileContent content;
    file::Kind kind = file::Kind::Missing;
    const int fd = file::OpenRegularFile(path, kind);
    if (fd < 0) {
        if (kind == file::Kind::Missing) return content;
        content.state =
            kind == file::Kind::Regular ? StoreFileState::Unreadable : StoreFileState::NotRegular;
        return content;
    }
    const file::Descriptor guard(fd);
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) != 0 || !file::ReadAll(fd, bytes)) {
        content.state = StoreFileState::Unreadable;
        return content;
    }
    content.stamp = StampOf(info);
    // A file that is not wholly an INI file is never parsed: a write would
    // replace it with the part that was understood.
    if (FirstNonIniLine(bytes)) {
        content.state = StoreFileState::NotIni;
        return content;
    }
    content.state = StoreFileState::Usable;
    content.document = std::make_shared<const ini::Document>(ini::Parse(bytes));
    return content;
}

bool Usable(StoreFileState state) {
    return state == StoreFileState::Missing || state == StoreFileState::Usable;
}

// The full name of a value: the registry gives the unnamed default value the
// name "" and shows it as "*"; both are stored under ".".
std::u16string ValueName(std::string_view section, std::string_view key) {
    const std::string name = key.empty() || key == "*" ? std::string(".") : std::string(key);
    return ini::NormalizedName(section.empty() ? name : std::string(section) + "/" + name);
}

// The value's text, or nothing when it is missing or holds no data.
std::optional<std::string> TextAt(const ini::Document& document, const std::u16string& name) {
    const auto it = document.find(name);
    if (it == document.end()) return std::nullopt;
    return ini::StoredText(it->second);
}

bool Within(const std::u16string& name, const std::u16string& group) {
    return name == group ||
           (name.size() > group.size() && name.compare(0, group.size(), group) == 0 &&
            name[group.size()] == u'/');
}

// True when a value lies beneath the group's name.
bool GroupHasValues(const ini::Document& document, const std::u16string& group) {
    const std::u16string prefix = group + u'/';
    const auto it = document.lower_bound(prefix);
    return it != document.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

bool Present(const ini::Document& document, const std::u16string& name, bool wholeSection) {
    return wholeSection ? GroupHasValues(document, name) : document.count(name) != 0;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return ".";
}

// Changes the file under its lock: the file is read again first, so a
// value another process wrote meanwhile is kept. change returns false when
// there is nothing to write. A file that cannot be used or is read-only is
// never written.
bool ChangeFile(const std::string& path, const std::function<bool(ini::Document&)>& change) {
    if (!MakeFolders(FolderOf(path))) return false;
    const std::optional<StoreLock> lock = StoreLock::Acquire(path, kLockWaitMs);
    if (!lock) return false;
    const FileContent content = ReadContent(path);
    if (!Usable(content.state)) return false;
    ini::Document document = *content.document;
    if (!change(document)) return false;
    if (content.state != StoreFileState::Missing && file::IsReadOnlyFile(path)) return false;
    return ReplaceFile(path, ini::Serialize(document));
}

}  // namespace

struct CRegSettings::FileCache {
    std::mutex guard;
    std::string path;
    std::optional<FileStamp> stamp;
    StoreFileState state = StoreFileState::Missing;
    std::shared_ptr<const ini::Document> document;

    // The file's state and values, read again only when it changed.
    FileContent Read(const std::string& filePath) {
        const std::lock_guard<std::mutex> lock(guard);
        struct stat info {};
        if (stamp && path == filePath && ::stat(filePath.c_str(), &info) == 0 &&
            S_ISREG(info.st_mode) && StampOf(info) == *stamp) {
            return {state, *stamp, document};
        }
        FileContent content = ReadContent(filePath);
        path = filePath;
        if (content.state == StoreFileState::Usable || content.state == StoreFileState::NotIni) {
            stamp = content.stamp;
            state = content.state;
            document = content.document;
        } else {
            stamp.reset();
        }
        return content;
    }
};

std::shared_ptr<CRegSettings::FileCache> CRegSettings::Cache() const {
    if (!cache_) cache_ = std::make_shared<FileCache>();
    return cache_;
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') return xdg;
    return HomeFolder() + "/.config";
}

std::string CRegSettings::FilePath() const {
    return folder_ + "/" + company_ + "/" + appName_ + ".conf";
}

StoreFileState CRegSettings::FileState() const try { return Cache()->Read(FilePath()).state; }
QV_PASS_UP("CRegSettings", "FileState")

std::string CRegSettings::GetSetting(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const try {
    const FileContent content = Cache()->Read(FilePath());
    if (content.state != StoreFileState::Usable) return std::string(defaultValue);
    const std::optional<std::string> stored = TextAt(*content.document, ValueName(section, key));
    if (!stored) return std::string(defaultValue);
    return text::ReplaceAll(*stored, "\\n", text::kCrLf);
}
QV_PASS_UP("CRegSettings", "GetSetting")

bool CRegSettings::SaveSetting(std::string_view section, std::string_view key,
                               std::string_view setting) try {
    const std::string path = FilePath();
    const std::u16string name = ValueName(section, key);
    const std::string escaped = text::ReplaceAll(setting, text::kCrLf, "\\n");
    // Writing what is stored already would only rewrite the file.
    const FileContent content = Cache()->Read(path);
    if (!Usable(content.state)) return false;
    if (TextAt(*content.document, name) == escaped) return true;
    return ChangeFile(path, [&](ini::Document& document) {
        document[name] = ini::TextValue(escaped);
        return true;
    });
}
QV_PASS_UP("CRegSettings", "SaveSetting")

bool CRegSettings::DeleteSetting(std::string_view section, std::string_view key) try {
    if (section.empty() && key.empty()) return false;
    const std::string path = FilePath();
    const std::u16string name =
        key.empty() ? ini::NormalizedName(section) : ValueName(section, key);
    // Nothing to delete: the file (or its folder) is not even created.
    const FileContent content = Cache()->Read(path);
    if (!Usable(content.state) || !Present(*content.document, name, key.empty())) return false;
    return ChangeFile(path, [&](ini::Document& document) {
        if (!Present(document, name, key.empty())) return false;
        // The value goes with everything stored beneath its name.
        for (auto it = document.lower_bound(name); it != document.end();) {
            if (Within(it->first, name)) {
                it = document.erase(it);
            } else if (it->first.compare(0, name.size(), name) == 0) {
                ++it;
            } else {
                break;
            }
        }
        return true;
    });
}
QV_PASS_UP("CRegSettings", "DeleteSetting")

bool CRegSettings::HasSetting(std::string_view section, std::string_view key) const try {
    const FileContent content = Cache()->Read(FilePath());
    if (content.state != StoreFileState::Usable) return false;
    return TextAt(*content.document, ValueName(section, key)).has_value();
}
QV_PASS_UP("CRegSettings", "HasSetting")

bool CRegSettings::HasValues(std::string_view section) const try {
    const FileContent content = Cache()->Read(FilePath());
    if (content.state != StoreFileState::Usable) return false;
    const std::u16string group = ini::NormalizedName(section);
    const std::u16string prefix = group.empty() ? group : group + u'/';
    const ini::Document& document = *content.document;
    for (auto it = document.lower_bound(prefix); it != document.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.find(u'/', prefix.size()) == std::u16string::npos) return true;
    }
    return false;
}
QV_PASS_UP("CRegSettings", "HasValues")

}  // namespace qv::settings
