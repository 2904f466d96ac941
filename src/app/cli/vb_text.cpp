#include "app/cli/vb_text.h"

#include <QFile>

#include "host/files/vb_path.h"

namespace qv::cli {

QString VbText(std::string_view bytes) {
    return QString::fromStdString(VbTextUtf8(bytes));
}

std::string VbTextUtf8(std::string_view bytes) {
    return host::files::Windows1252ToUtf8(bytes);
}

std::string LocalPath(const QString& argument) {
    return QFile::encodeName(argument).toStdString();
}

}  // namespace qv::cli
