#include "app/workbench/code_text.h"

#include "host/files/vb_path.h"

namespace qv::workbench {

// Called for every line shown or typed, so without a converter object: one
// costs more to open than a long line costs to map.
QString DecodeCode(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) {
        *out++ = host::files::Windows1252Char(static_cast<unsigned char>(byte));
    }
    return text;
}

std::string EncodeCode(const QString& text) {
    std::string bytes(static_cast<size_t>(text.size()), '\0');
    size_t i = 0;
    // '?' for a character the code page has no byte for, as a converter writes.
    for (const QChar c : text) {
        bytes[i++] = static_cast<char>(host::files::Windows1252Byte(c.unicode()).value_or('?'));
    }
    return bytes;
}

}  // namespace qv::workbench
