#include "lsp/utf8_text.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/unicode_text.h"

namespace qv::lsp {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty()) return 0;
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i))) return 0;
    }
    return length;
}

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (size_t i = 0; i < utf8.size();) {
        // ASCII runs are the common case.
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(utf8.substr(i));
        units += length == 4 ? 2 : 1;
        i += length == 0 ? 1 : length;
    }
    return units;
}

size_t ByteOffsetOfUtf16(std::string_view utf8, size_t units) {
    size_t i = 0;
    while (i < utf8.size() && units > 0) {
        const size_t length = Utf8SequenceLength(utf8.substr(i));
        const size_t width = length == 4 ? 2 : 1;
        i += length == 0 ? 1 : length;
        units -= std::min(width, units);
    }
    return i;
}

bool IsUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string ReplacingNonUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            text.append(kReplacement);
            ++i;
        } else {
            text.append(bytes.substr(i, length));
            i += length;
        }
    }
    return text;
}

}  // namespace qv::lsp

namespace qv::lsp {

namespace {

char32_t CodePoint(std::string_view sequence) {
    const auto at = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[i])); };
    switch (sequence.size()) {
        case 1: return at(0);
        case 2: return ((at(0) & 0x1F) << 6) | (at(1) & 0x3F);
        case 3: return ((at(0) & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
        default:
            return ((at(0) & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) |
                   (at(3) & 0x3F);
    }
}

bool Within(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

}  // namespace

std::vector<TextCharacter> TextCharacters(std::string_view utf8) {
    std::vector<TextCharacter> characters;
    characters.reserve(utf8.size() + 1);
    size_t unit = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = Utf8SequenceLength(utf8.substr(i));
        const char32_t code = length == 0 ? U'\uFFFD' : CodePoint(utf8.substr(i, length));
        characters.push_back({code, i, unit});
        unit += code > 0xFFFF ? 2 : 1;
        i += length == 0 ? 1 : length;
    }
    characters.push_back({0, utf8.size(), unit});
    return characters;
}

bool IsWordCharacter(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    }
    // Latin-1: ª ² ³ µ ¹ º ¼ ½ ¾ and the letters, but not × and ÷.
    if (c < 0xC0) {
        return c == 0xAA || c == 0xB2 || c == 0xB3 || c == 0xB5 || c == 0xB9 || c == 0xBA ||
               Within(c, 0xBC, 0xBE);
    }
    if (c == 0xD7 || c == 0xF7) return false;
    // Punctuation, symbols, arrows, box drawing and the like.
    if (Within(c, 0x2000, 0x2BFF)) return false;
    // CJK punctuation, but the iteration and closing marks and the ideographic
    // numbers (々 〆 〇 〡..〩 〱..〵 〻 〼).
    if (Within(c, 0x3000, 0x303F)) {
        return Within(c, 0x3005, 0x3007) || Within(c, 0x3021, 0x3029) ||
               Within(c, 0x3031, 0x3035) || c == 0x303B || c == 0x303C;
    }
    if (c == 0x30FB) return false;  // the katakana middle dot
    // Full-width forms: their digits and letters, the half-width katakana.
    if (Within(c, 0xFF00, 0xFFEF)) {
        return Within(c, 0xFF10, 0xFF19) || Within(c, 0xFF21, 0xFF3A) ||
               Within(c, 0xFF41, 0xFF5A) || Within(c, 0xFF66, 0xFF9F);
    }
    // The other halves of UTF-16 are no characters of their own: neither
    // are those beyond.
    return c <= 0xFFFF && c != 0xFFFD;
}

std::u32string Folded(std::string_view utf8) {
    std::u32string folded;
    folded.reserve(utf8.size());
    for (const TextCharacter& c : TextCharacters(utf8)) folded.push_back(text::FoldCase(c.code));
    folded.pop_back();  // the end
    return folded;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (text::IsAscii(a) && text::IsAscii(b)) return text::EqualsIgnoreCase(a, b);
    return Folded(a) == Folded(b);
}

bool ContainsIgnoringCase(std::string_view textToSearch, std::string_view part) {
    if (text::IsAscii(textToSearch) && text::IsAscii(part)) {
        return text::ContainsIgnoreCase(textToSearch, part);
    }
    return Folded(textToSearch).find(Folded(part)) != std::u32string::npos;
}

}  // namespace qv::lsp
