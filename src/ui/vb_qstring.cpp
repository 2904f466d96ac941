#include "ui/vb_qstring.h"

namespace qv::ui {

QString VbQString(std::string_view bytes, text::CodePage page) {
    return QString::fromStdString(text::ToUtf8(bytes, page));
}

std::string VbBytes(const QString& text, text::CodePage page) {
    const std::string utf8 = text.toStdString();
    return text::FromUtf8(utf8, page).value_or(utf8);
}

QString MessageQString(std::string_view text) {
    return QString::fromStdString(text::MixedToUtf8(text, text::CodePage::Windows1252()));
}

}  // namespace qv::ui
