#include "app/workbench/code_text.h"

#include "platform/windows_1252.h"

namespace qv::workbench {

// Called for every line shown or typed, so without a converter object: one
// costs more to open than a long line costs to map.
QString DecodeCode(std::string_view bytes, text::CodePage page) {
    const std::array<char32_t, 256>* table = text::SingleByteCharacters(page);
    QString shown(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(shown.data());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = table != nullptr ? static_cast<char16_t>((*table)[b]) : text::Windows1252Char(b);
    }
    return shown;
}

std::string EncodeCode(const QString& shown, text::CodePage page) {
    const bool singleByte = text::SingleByteCharacters(page) != nullptr;
    std::string bytes(static_cast<size_t>(shown.size()), '\0');
    size_t i = 0;
    // '?' for a character the code page has no byte for, as a converter writes.
    for (const QChar c : shown) {
        const auto byte = singleByte ? text::SingleByteOf(c.unicode(), page)
                                     : text::Windows1252Byte(c.unicode());
        bytes[i++] = static_cast<char>(byte.value_or('?'));
    }
    return bytes;
}

}  // namespace qv::workbench
