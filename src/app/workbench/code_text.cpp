#include "app/workbench/code_text.h"

#include <array>

namespace qv::workbench {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves
// unassigned stand for the C1 controls of the same value, so that every byte
// still has a character of its own and comes back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t CharOfByte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t(byte);
}

// '?' for a character the code page has no byte for, as a converter writes.
char ByteOfChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

// Called for every line shown or typed, so without a converter object: one
// costs more to open than a long line costs to map.
QString DecodeCode(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) *out++ = CharOfByte(static_cast<unsigned char>(byte));
    return text;
}

std::string EncodeCode(const QString& text) {
    std::string bytes(static_cast<size_t>(text.size()), '\0');
    size_t i = 0;
    for (const QChar c : text) bytes[i++] = ByteOfChar(c.unicode());
    return bytes;
}

}  // namespace qv::workbench
