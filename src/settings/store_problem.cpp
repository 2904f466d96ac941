#include "settings/store_problem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "platform/regular_file.h"
#include "settings/ini_check.h"

namespace qv::settings {

namespace {

// True when the folder exists and can be written, or can be created in the
// nearest folder above it that exists.
bool FolderUsable(const QString& folder) {
    QFileInfo info(folder);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath()) return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && info.isWritable();
}

// " (line 3 is ...)": where the file stops being an INI file.
std::string BadLine(const std::string& file) {
    QFile in(QString::fromStdString(file));
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    const auto line =
        FirstNonIniLine(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
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
                   file::NotRegularReason(file::KindAt(QFile::encodeName(
                       QString::fromStdString(file)).toStdString())) +
                   ": the settings are the defaults, and nothing is written to it";
        case StoreFileState::NotIni:
            return file + " is not an INI file" + BadLine(file) +
                   ": the settings are the defaults, and nothing is written to it; repair it, "
                   "or remove it to start from the defaults";
        case StoreFileState::Missing: break;
    }
    const QString folder = QFileInfo(QString::fromStdString(file)).absolutePath();
    if (FolderUsable(folder)) return {};
    return "the settings cannot be stored: " + folder.toStdString() +
           " cannot be created or written";
}

}  // namespace qv::settings
