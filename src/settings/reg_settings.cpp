#include "settings/reg_settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/ini_check.h"

namespace qv::settings {

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A registry subkey path "a\b" is the nested INI group "a/b".
QString GroupPath(std::string_view section) {
    return Q(section).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// The INI key of a value. The registry gives the unnamed default value the
// name "" and shows it as "*"; both are stored under ".".
QString ValuePath(std::string_view section, std::string_view key) {
    const QString name = key.empty() || key == "*" ? QStringLiteral(".") : Q(key);
    return section.empty() ? name : GroupPath(section) + QLatin1Char('/') + name;
}

// The text of a stored value, or nothing when it holds no data. A number
// reads as its decimal text. A value typed by hand with unquoted commas is
// parsed by QSettings as a list; its pieces are joined again with ", ".
std::optional<QString> StoredText(const QVariant& value) {
    if (!value.isValid()) return std::nullopt;
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(", ");
    if (!value.canConvert<QString>()) return std::nullopt;
    return value.toString();
}

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

StoreFileState ReadState(const std::string& path, FileStamp& stamp) {
    file::Kind kind = file::Kind::Missing;
    const int fd = file::OpenRegularFile(path, kind);
    if (fd < 0) {
        if (kind == file::Kind::Missing) return StoreFileState::Missing;
        return kind == file::Kind::Regular ? StoreFileState::Unreadable
                                           : StoreFileState::NotRegular;
    }
    struct stat info {};
    std::string bytes;
    const bool read = ::fstat(fd, &info) == 0 && file::ReadAll(fd, bytes);
    ::close(fd);
    if (!read) return StoreFileState::Unreadable;
    stamp = StampOf(info);
    return FirstNonIniLine(bytes) ? StoreFileState::NotIni : StoreFileState::Usable;
}

// Every setting is read through here: the file is examined once per version
// of it, not once per setting (a large file took half a minute to show the
// settings).
StoreFileState StateOf(const QString& path) {
    const std::string local = QFile::encodeName(path).toStdString();
    static std::mutex guard;
    static std::map<std::string, std::pair<FileStamp, StoreFileState>> known;
    struct stat info {};
    const std::lock_guard<std::mutex> lock(guard);
    if (::stat(local.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        auto it = known.find(local);
        if (it != known.end() && it->second.first == StampOf(info)) return it->second.second;
    }
    FileStamp stamp;
    const StoreFileState state = ReadState(local, stamp);
    if (state == StoreFileState::Usable || state == StoreFileState::NotIni) {
        known[local] = {stamp, state};
    } else {
        known.erase(local);
    }
    return state;
}

// A file that cannot be read, or is not an INI file, reads as empty and is
// never written: QSettings would replace it with the little it understood.
bool Usable(const QString& path) {
    const StoreFileState state = StateOf(path);
    return state == StoreFileState::Missing || state == StoreFileState::Usable;
}

// Usable, and not read-only: QSettings would replace a read-only file with
// a writable one when the superuser runs it.
bool Writable(const QString& path) {
    return Usable(path) && !file::IsReadOnlyFile(QFile::encodeName(path).toStdString());
}

bool GroupHasValues(QSettings& store, const QString& group) {
    store.beginGroup(group);
    const bool any = !store.allKeys().isEmpty();
    store.endGroup();
    return any;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return ".";
}

}  // namespace

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') return xdg;
    return HomeFolder() + "/.config";
}

CRegSettings::CRegSettings() : company_(kDefaultCompany), appName_(kProductName) {}

void CRegSettings::SetCompany(std::string_view company) {
    company = text::Trim(company);
    company_ = company.empty() ? std::string(kDefaultCompany) : std::string(company);
}

void CRegSettings::SetAppName(std::string_view appName) {
    appName = text::Trim(appName);
    appName_ = appName.empty() ? std::string(kProductName) : std::string(appName);
}

std::string CRegSettings::FilePath() const {
    return ConfigHome() + "/" + company_ + "/" + appName_ + ".conf";
}

std::string CRegSettings::SubKey(std::string_view section) const {
    std::string key = "Software\\" + company_ + "\\" + appName_;
    if (!section.empty()) key += "\\" + std::string(section);
    return key;
}

StoreFileState CRegSettings::FileState() const try {
    return StateOf(Q(FilePath()));
} QV_PASS_UP("CRegSettings", "FileState")

std::string CRegSettings::GetSetting(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const try {
    const QString path = Q(FilePath());
    if (!Usable(path)) return std::string(defaultValue);
    const QSettings store(path, QSettings::IniFormat);
    const std::optional<QString> stored = StoredText(store.value(ValuePath(section, key)));
    if (!stored || store.status() != QSettings::NoError) return std::string(defaultValue);
    return text::ReplaceAll(stored->toStdString(), "\\n", text::kCrLf);
} QV_PASS_UP("CRegSettings", "GetSetting")

bool CRegSettings::SaveSetting(std::string_view section, std::string_view key,
                               std::string_view setting) try {
    const QString file = Q(FilePath());
    if (!Usable(file)) return false;
    QSettings store(file, QSettings::IniFormat);
    const QString path = ValuePath(section, key);
    const QString escaped = Q(text::ReplaceAll(setting, text::kCrLf, "\\n"));
    // Writing what is stored already would only rewrite the file.
    if (StoredText(store.value(path)) == escaped) return true;
    if (!Writable(file)) return false;
    store.setValue(path, escaped);
    store.sync();
    return store.status() == QSettings::NoError;
} QV_PASS_UP("CRegSettings", "SaveSetting")

bool CRegSettings::DeleteSetting(std::string_view section, std::string_view key) try {
    if (section.empty() && key.empty()) return false;
    const QString file = Q(FilePath());
    if (!Usable(file)) return false;
    QSettings store(file, QSettings::IniFormat);
    const QString path = key.empty() ? GroupPath(section) : ValuePath(section, key);
    const bool present = key.empty() ? GroupHasValues(store, path) : store.contains(path);
    if (!present || !Writable(file)) return false;
    store.remove(path);
    store.sync();
    return store.status() == QSettings::NoError;
} QV_PASS_UP("CRegSettings", "DeleteSetting")

bool CRegSettings::HasSetting(std::string_view section, std::string_view key) const try {
    const QString file = Q(FilePath());
    if (!Usable(file)) return false;
    const QSettings store(file, QSettings::IniFormat);
    return StoredText(store.value(ValuePath(section, key))).has_value();
} QV_PASS_UP("CRegSettings", "HasSetting")

bool CRegSettings::HasValues(std::string_view section) const try {
    const QString file = Q(FilePath());
    if (!Usable(file)) return false;
    QSettings store(file, QSettings::IniFormat);
    if (!section.empty()) store.beginGroup(GroupPath(section));
    return !store.childKeys().isEmpty();
} QV_PASS_UP("CRegSettings", "HasValues")

CRegSettings& SystemStore() {
    static CRegSettings store;
    return store;
}

}  // namespace qv::settings
