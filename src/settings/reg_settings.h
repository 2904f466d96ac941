#pragma once
// A registry-style settings store. On Windows it is the registry:
// HKEY_CURRENT_USER\Software\<Company>\<AppName>\<section>, values as REG_SZ
// (a REG_DWORD reads as its decimal text), "*" or "" the key's unnamed
// default value; where QVADDIN_REGISTRY_ROOT names a key under
// HKEY_CURRENT_USER, Software\... is beneath that key instead (a test's own
// registry, as XDG_CONFIG_HOME gives a test its own folder). Elsewhere the
// key path maps to one INI file $XDG_CONFIG_HOME/<Company>/<AppName>.conf
// (~/.config when the variable is unset or not absolute), in the format
// ini_format.h describes; a section (a subkey) is an INI group, "a\b" a
// nested group; the unnamed default value is the INI key ".". Multi-line
// values are stored with each CR LF written as backslash + "n", and every
// backslash + "n" reads back as CR LF.
//
// A missing file, section or value is not an error: reads give the default.
// A file that cannot be read, that is not a regular file or not an INI file,
// reads as empty and is never written, so nothing in it is lost; a read-only
// file is read and never written. Writers in several processes
// are serialised by the INI file's lock file; each write re-reads the file
// first, so concurrent writers of different values all keep theirs.

#include <memory>
#include <string>
#include <string_view>

namespace qv::settings {

// What the file behind a store looks like before a read or write.
enum class StoreFileState {
    Missing,     // no file yet: reads give defaults, the first write creates it
    Usable,      // an INI file that can be read
    Unreadable,  // exists but cannot be read
    NotRegular,  // a folder, a named pipe, a device, ...: never opened
    NotIni,      // exists but is not an INI file
};

class CRegSettings {
public:
    // A store in the configuration folder (ConfigHome) as it is now.
    CRegSettings();

    // Company: default "VB and VBA Program Settings"; set trimmed; an empty
    // text restores the default.
    std::string Company() const { return company_; }
    void SetCompany(std::string_view company);
    // AppName: default the product name of the program; set trimmed; an empty
    // text restores the default.
    std::string AppName() const { return appName_; }
    void SetAppName(std::string_view appName);

    // With a key: deletes that value ("*" or "" the default value). With an
    // empty key: deletes the whole section with its values and subsections
    // (an empty section too is refused: that would be the whole application).
    // True when something was deleted and the file was written.
    bool DeleteSetting(std::string_view section, std::string_view key);
    // The stored value; the default when the value is missing, holds no data
    // (an INI "@Invalid()"), or the file cannot be read. A value stored as the
    // empty text reads back as the empty text; a number reads as its decimal
    // text.
    std::string GetSetting(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // True when the value was written (or was stored with this text already,
    // in which case the file is left as it is). False when it cannot be
    // written, a read-only file included.
    bool SaveSetting(std::string_view section, std::string_view key, std::string_view setting);
    // "Software\<Company>\<AppName>[\<section>]".
    std::string SubKey(std::string_view section) const;

    // True when GetSetting would return a stored value rather than the default.
    bool HasSetting(std::string_view section, std::string_view key) const;
    // True when the section itself holds at least one value.
    bool HasValues(std::string_view section) const;

    // The INI file behind the store (on Windows the registry key's path,
    // which is always Usable).
    std::string FilePath() const;
    StoreFileState FileState() const;

private:
    // The file as last read, kept while it does not change, so that a run
    // reading every setting examines the file once. Copies of a store share it.
    struct FileCache;
    std::shared_ptr<FileCache> Cache() const;

    std::string company_;
    std::string appName_;
    // The configuration folder, fixed when the store is made.
    std::string folder_;
    mutable std::shared_ptr<FileCache> cache_;
};

inline constexpr std::string_view kDefaultCompany = "VB and VBA Program Settings";
inline constexpr std::string_view kProductName = "qvaddin";

// The configuration folder: $XDG_CONFIG_HOME, or ~/.config when it is unset
// or not an absolute path.
std::string ConfigHome();

// A store of the system's own settings: company "Brell Vantoke",
// application "qvaddin2".
CRegSettings SystemStore();

}  // namespace qv::settings
