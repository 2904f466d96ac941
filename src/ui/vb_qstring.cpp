#include "ui/vb_qstring.h"

#include "host/files/vb_path.h"

namespace qv::ui {

QString VbQString(std::string_view bytes) {
    return QString::fromStdString(host::files::Windows1252ToUtf8(bytes));
}

}  // namespace qv::ui
