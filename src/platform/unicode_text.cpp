#include "platform/unicode_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The length of the UTF-8 sequence at bytes[i] and its character; 0 when
// no valid sequence begins there.
size_t Utf8Sequence(std::string_view bytes, size_t i, char32_t& value) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
        value = c;
        return 1;
    }
    size_t n = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0)
        n = 1, min = 0x80;
    else if ((c & 0xF0) == 0xE0)
        n = 2, min = 0x800;
    else if ((c & 0xF8) == 0xF0)
        n = 3, min = 0x10000;
    else
        return 0;
    if (bytes.size() - i <= n) return 0;
    value = c & (0x3Fu >> n);
    for (size_t k = 1; k <= n; ++k) {
        const auto t = static_cast<unsigned char>(bytes[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        value = (value << 6) | (t & 0x3Fu);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return n + 1;
}

bool InRange(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

}  // namespace

// Called on every module file as it loads: sixty-four bytes at a time.
bool IsAscii(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
#if defined(__SSE2__)
    for (; end - p >= 64; p += 64) {
        const auto at = [p](int k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        };
        const __m128i any = _mm_or_si128(_mm_or_si128(at(0), at(1)), _mm_or_si128(at(2), at(3)));
        if (_mm_movemask_epi8(any) != 0) return false;
    }
#else
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    for (; end - p >= 64; p += 64) {
        std::uint64_t any = 0;
        for (size_t k = 0; k < 64; k += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + k, 8);
            any |= word;
        }
        if ((any & kHighBits) != 0) return false;
    }
#endif
    return std::all_of(p, end, [](char b) { return static_cast<unsigned char>(b) < 0x80; });
}

bool IsValidUtf8(std::string_view bytes) {
    char32_t value = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = Utf8Sequence(bytes, i, value);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::u32string Utf8Characters(std::string_view utf8) {
    std::u32string characters;
    characters.reserve(utf8.size());
    char32_t value = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t n = Utf8Sequence(utf8, i, value);
        characters.push_back(n == 0 ? kReplacement : value);
        i += n == 0 ? 1 : n;
    }
    return characters;
}

char32_t FoldCase(char32_t c) {
    if (c < 0x80) return InRange(c, 'A', 'Z') ? c + 0x20 : c;
    // Latin-1: À-Þ but the multiplication sign.
    if (InRange(c, 0xC0, 0xDE) && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;  // Ÿ
    if (c == 0x130) return 'i';   // the dotted capital I of Turkish
    // Latin Extended-A: pairs of capital and small letter, the capital even
    // in two runs and odd in two others.
    if ((InRange(c, 0x100, 0x12F) || InRange(c, 0x132, 0x137) || InRange(c, 0x14A, 0x177)) &&
        c % 2 == 0) {
        return c + 1;
    }
    if ((InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E)) && c % 2 == 1) return c + 1;
    if (c == 0x1A0 || c == 0x1AF) return c + 1;  // Ơ, Ư of Vietnamese
    // Greek.
    if (c == 0x386) return 0x3AC;
    if (InRange(c, 0x388, 0x38A)) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (InRange(c, 0x38E, 0x38F)) return c + 0x3F;
    if (InRange(c, 0x391, 0x3AB) && c != 0x3A2) return c + 0x20;
    // Cyrillic.
    if (InRange(c, 0x400, 0x40F)) return c + 0x50;
    if (InRange(c, 0x410, 0x42F)) return c + 0x20;
    if ((InRange(c, 0x460, 0x481) || InRange(c, 0x48A, 0x4BF)) && c % 2 == 0) return c + 1;
    // Full-width Latin letters (Japanese, Chinese and Korean code pages).
    if (InRange(c, 0xFF21, 0xFF3A)) return c + 0x20;
    return c;
}

std::u32string FoldedCharacters(std::u32string text) {
    for (char32_t& c : text) c = FoldCase(c);
    return text;
}

}  // namespace qv::text
