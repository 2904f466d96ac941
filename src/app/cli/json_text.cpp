#include "app/cli/json_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <iterator>
#include <ostream>

namespace qv::cli {

namespace {

// The length of the valid UTF-8 sequence at i, or 0 (not minimal, a
// surrogate, past U+10FFFF, cut short).
size_t Utf8SequenceAt(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if ((length == 3 && c < 0x800) || (length == 4 && c < 0x10000) || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    // The fewest digits that read back as the same number, laid out fixed or
    // with an exponent, whichever is shorter: "3", "1.5", "1e+20", "1e-04"
    // (whatever the locale).
    char fixed[400];
    char scientific[40];
    const auto fixedEnd = std::to_chars(std::begin(fixed), std::end(fixed), value,
                                        std::chars_format::fixed).ptr;
    const auto scientificEnd = std::to_chars(std::begin(scientific), std::end(scientific), value,
                                             std::chars_format::scientific).ptr;
    if (fixedEnd - fixed <= scientificEnd - scientific) {
        out.append(fixed, fixedEnd);
    } else {
        out.append(scientific, scientificEnd);
    }
}

void AppendIndent(std::string& out, int depth) { out.append(static_cast<size_t>(depth) * 4, ' '); }

void AppendValue(std::string& out, const JsonNode& value, JsonLayout layout, int depth) {
    const bool indented = layout == JsonLayout::Indented;
    switch (value.type()) {
        case JsonNode::value_t::object:
        case JsonNode::value_t::array: {
            const bool object = value.is_object();
            out += object ? '{' : '[';
            if (indented) out += '\n';
            bool first = true;
            for (auto it = value.begin(); it != value.end(); ++it) {
                if (!first) out += indented ? ",\n" : ",";
                first = false;
                if (indented) AppendIndent(out, depth + 1);
                if (object) {
                    AppendJsonString(out, it.key());
                    out += indented ? ": " : ":";
                }
                AppendValue(out, *it, layout, depth + 1);
            }
            if (indented) {
                if (!first) out += '\n';
                AppendIndent(out, depth);
            }
            out += object ? '}' : ']';
            break;
        }
        case JsonNode::value_t::string:
            AppendJsonString(out, value.get_ref<const std::string&>());
            break;
        case JsonNode::value_t::boolean:
            out += value.get<bool>() ? "true" : "false";
            break;
        case JsonNode::value_t::number_integer:
            out += std::to_string(value.get<std::int64_t>());
            break;
        case JsonNode::value_t::number_unsigned:
            out += std::to_string(value.get<std::uint64_t>());
            break;
        case JsonNode::value_t::number_float:
            AppendNumber(out, value.get<double>());
            break;
        default:
            out += "null";
    }
}

}  // namespace

namespace {

// The bytes that stand in a JSON string as they are: ASCII but for the
// control characters, '"' and '\\'.
struct PlainBytes {
    bool plain[256] = {};
    constexpr PlainBytes() {
        for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
    }
};
constexpr PlainBytes kPlain;

// Whether one of the eight bytes does not stand as it is: each test finds
// whether some byte is below a value or equal to one, in all eight at once.
inline bool AnyNotPlain(std::uint64_t x) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    const auto anyZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const std::uint64_t control = (x - kOnes * 0x20) & ~x & kHighs;
    return (control | (x & kHighs) | anyZero(x ^ (kOnes * '"')) | anyZero(x ^ (kOnes * '\\'))) !=
           0;
}

}  // namespace

namespace {

// Writes the character at text[i] as it stands in a JSON string at to (room
// for six bytes), and moves i past it; gives the bytes written.
size_t PutJsonCharacter(char* to, std::string_view text, size_t& i) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto c = static_cast<unsigned char>(text[i]);
    if (kPlain.plain[c]) {
        *to = static_cast<char>(c);
        ++i;
        return 1;
    }
    if (c >= 0x80) {
        const size_t length = Utf8SequenceAt(text, i);
        if (length == 0) {
            std::memcpy(to, "\xEF\xBF\xBD", 3);  // U+FFFD, for this byte alone
            ++i;
            return 3;
        }
        std::memcpy(to, text.data() + i, length);
        i += length;
        return length;
    }
    ++i;
    char escaped = 0;
    switch (c) {
        case '"': escaped = '"'; break;
        case '\\': escaped = '\\'; break;
        case '\b': escaped = 'b'; break;
        case '\f': escaped = 'f'; break;
        case '\n': escaped = 'n'; break;
        case '\r': escaped = 'r'; break;
        case '\t': escaped = 't'; break;
        default: break;
    }
    if (escaped != 0) {
        to[0] = '\\';
        to[1] = escaped;
        return 2;
    }
    // Another control character.
    std::memcpy(to, "\\u00", 4);
    to[4] = kHex[c >> 4];
    to[5] = kHex[c & 15];
    return 6;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    // Written into a buffer eight bytes at a time and appended a piece at a
    // time: most strings are short lines with a few escapes each, and an
    // append per plain run costs more than the bytes it copies.
    char buffer[1024];
    constexpr size_t kRoom = 8 * 6;  // the most eight bytes of text become
    size_t used = 0;
    out.reserve(out.size() + text.size() + 2);
    out += '"';
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        if (used > sizeof buffer - kRoom) {
            out.append(buffer, used);
            used = 0;
        }
        if (i + 8 <= n) {
            std::uint64_t eight = 0;
            std::memcpy(&eight, text.data() + i, 8);
            if (!AnyNotPlain(eight)) {  // all eight as they are
                std::memcpy(buffer + used, &eight, 8);
                used += 8;
                i += 8;
                continue;
            }
        }
        // The eight (or the rest) one by one.
        for (const size_t stop = std::min(i + 8, n); i < stop;) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (kPlain.plain[c]) {
                buffer[used++] = static_cast<char>(c);
                ++i;
            } else {
                used += PutJsonCharacter(buffer + used, text, i);
            }
        }
    }
    out.append(buffer, used);
    out += '"';
}

void AppendJsonBody(std::string& out, std::string_view ascii) {
    if (std::all_of(ascii.begin(), ascii.end(),
                    [](char c) { return kPlain.plain[static_cast<unsigned char>(c)]; })) {
        out.append(ascii);  // most pieces: nothing to escape
        return;
    }
    const size_t mark = out.size();
    AppendJsonString(out, ascii);
    out.erase(mark, 1);
    out.pop_back();
}

std::string JsonText(const JsonNode& value, JsonLayout layout) {
    std::string out;
    AppendValue(out, value, layout, 0);
    if (layout == JsonLayout::Indented) out += '\n';
    return out;
}

void WriteJson(std::ostream& out, const JsonNode& value) { out << JsonText(value, JsonLayout::Indented); }

}  // namespace qv::cli
