#include "app/workbench/code_text.h"

#include <algorithm>
#include <array>

namespace qv::workbench {

namespace {

constexpr char16_t kEscapedByte = 0xDC00;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendCodePoint(QString& out, char32_t c) {
    if (c < 0x10000) {
        out += QChar(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out += QChar(static_cast<char16_t>(0xD800 + (c >> 10)));
    out += QChar(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

// Whether the character read from these bytes is one that gives them back:
// not a stand-in for bytes the code page cannot read.
bool IsWholeCharacter(char32_t c, std::string_view bytes, text::CodePage page) {
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    if (c != 0xFFFD) return true;
    return page.IsUtf8() && bytes == "\xEF\xBF\xBD";
}

QString DecodeSeveralBytes(std::string_view bytes, text::CodePage page) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            shown += QChar(static_cast<char16_t>(byte));
            ++i;
            continue;
        }
        const size_t n = text::CharacterLength(bytes, i, page);
        const std::string_view one = bytes.substr(i, n);
        const std::u32string characters = text::Characters(one, page);
        if (characters.size() == 1 && IsWholeCharacter(characters[0], one, page)) {
            AppendCodePoint(shown, characters[0]);
        } else {
            for (const char b : one)
                shown += QChar(static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(b)));
        }
        i += n;
    }
    return shown;
}

// One shown character at a time: its length in UTF-16 units and its bytes.
struct ShownUnit {
    int length = 1;
    std::string bytes;
};

ShownUnit UnitAt(const QString& shown, int at, text::CodePage page) {
    const char16_t c = shown[at].unicode();
    if (c < 0x80) return {1, std::string(1, static_cast<char>(c))};
    if (const auto* table = text::SingleByteCharacters(page); table != nullptr) {
        return {1, std::string(1, static_cast<char>(text::SingleByteOf(c, page).value_or('?')))};
    }
    if (c >= kEscapedByte + 0x80 && c <= kEscapedByte + 0xFF) {
        return {1, std::string(1, static_cast<char>(c - kEscapedByte))};
    }
    ShownUnit unit;
    QString character{QChar(c)};
    if (IsHighSurrogate(c) && at + 1 < shown.size() && IsLowSurrogate(shown[at + 1].unicode())) {
        character += shown[at + 1];
        unit.length = 2;
    }
    unit.bytes = text::FromUtf8(character.toStdString(), page).value_or("?");
    return unit;
}

}  // namespace

// Called for every line shown, so a single-byte page maps bytes through its
// table without a converter object: one costs more to open than a long line
// costs to map.
QString DecodeCode(std::string_view bytes, text::CodePage page) {
    const std::array<char32_t, 256>* table = text::SingleByteCharacters(page);
    if (table == nullptr) return DecodeSeveralBytes(bytes, page);
    QString shown(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(shown.data());
    for (const char byte : bytes) *out++ = static_cast<char16_t>((*table)[static_cast<unsigned char>(byte)]);
    return shown;
}

std::string EncodeCode(const QString& shown, text::CodePage page) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(shown.size()));
    for (int i = 0; i < shown.size();) {
        const ShownUnit unit = UnitAt(shown, i, page);
        bytes += unit.bytes;
        i += unit.length;
    }
    return bytes;
}

long ByteOffsetOf(const QString& line, int shownOffset, text::CodePage page) {
    if (text::SingleByteCharacters(page) != nullptr) return shownOffset;
    long bytes = 0;
    for (int i = 0; i < shownOffset && i < line.size();) {
        const ShownUnit unit = UnitAt(line, i, page);
        bytes += static_cast<long>(unit.bytes.size());
        i += unit.length;
    }
    return bytes;
}

int ShownOffsetOf(const QString& line, long byteOffset, text::CodePage page) {
    if (text::SingleByteCharacters(page) != nullptr) {
        return static_cast<int>(std::min<long>(byteOffset, line.size()));
    }
    long bytes = 0;
    int i = 0;
    while (i < line.size()) {
        const ShownUnit unit = UnitAt(line, i, page);
        if (bytes + static_cast<long>(unit.bytes.size()) > byteOffset) break;
        bytes += static_cast<long>(unit.bytes.size());
        i += unit.length;
    }
    return i;
}

}  // namespace qv::workbench
