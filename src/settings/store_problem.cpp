#include "settings/store_problem.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/regular_file.h"
#include "settings/ini_check.h"
#include "settings/store_file.h"

namespace qv::settings {

namespace {

#ifndef _WIN32
// True when the folder exists and can be written, or can be created in the
// nearest folder above it that exists.
bool FolderUsable(std::string folder) {
    struct stat info {};
    while (::stat(folder.c_str(), &info) != 0) {
        const std::string parent = FolderOf(folder);
        if (parent == folder || parent == ".") return false;
        folder = parent;
    }
    return S_ISDIR(info.st_mode) && ::access(folder.c_str(), W_OK) == 0;
}
#endif

// " (line 3 is ...)": where the file stops being an INI file.
std::string BadLine(const std::string& file) {
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    if (!file::ReadRegularFile(file, bytes, kind)) return {};
    const auto line = FirstNonIniLine(bytes);
    return line ? " (line " + std::to_string(*line) +
                      " is neither a [section], a key=value nor a ; comment line)"
                : std::string();
}

}  // namespace

std::optional<std::string> StoreProblem(const CRegSettings& store) {
    const std::string file = store.FilePath();
    switch (store.FileState()) {
        case StoreFileState::Usable: return {};
        case StoreFileState::Unreadable:
            return file + " cannot be read: the settings are the defaults, and nothing is "
                          "written to it";
        case StoreFileState::NotRegular:
            return file + ": " +
                   file::NotRegularReason(file::KindAt(file)) +
                   ": the settings are the defaults, and nothing is written to it";
        case StoreFileState::NotIni:
            return file + " is not an INI file" + BadLine(file) +
                   ": the settings are the defaults, and nothing is written to it; repair it, "
                   "or remove it to start from the defaults";
        case StoreFileState::Missing: break;
    }
#ifdef _WIN32
    return {};  // the registry: no folder to create
#else
    const std::string folder = FolderOf(file);
    if (FolderUsable(folder)) return {};
    return "the settings cannot be stored: " + folder + " cannot be created or written";
#endif
}

}  // namespace qv::settings
