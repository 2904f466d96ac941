#include "settings/ini_format.h"

#include <cstdint>

namespace qv::settings::ini {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The length of the UTF-8 sequence at bytes[pos] and its character; 0 when
// the bytes there do not begin a valid sequence, -1 when a valid beginning
// is cut off by the end of the bytes.
int DecodeOne(std::string_view bytes, size_t pos, char32_t& c) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    int length = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (pos + static_cast<size_t>(i) >= bytes.size()) return -1;
        const auto next = static_cast<unsigned char>(bytes[pos + static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// UTF-8 decoded piece by piece, a sequence split between pieces joined
// again; a sequence cut off at the very end is dropped.
class Utf8Decoder {
  public:
    void Feed(std::string_view bytes, std::u16string& out) {
        std::string joined;
        if (!pending_.empty()) {
            joined = pending_ + std::string(bytes);
            bytes = joined;
            pending_.clear();
        }
        for (size_t pos = 0; pos < bytes.size();) {
            char32_t c = 0;
            const int length = DecodeOne(bytes, pos, c);
            if (length < 0) {
                pending_ = std::string(bytes.substr(pos));
                return;
            }
            if (length == 0) {
                out += kReplacement;
                ++pos;
                continue;
            }
            AppendUtf16(out, c);
            pos += static_cast<size_t>(length);
        }
    }

  private:
    std::string pending_;
};

bool IsHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int OctValue(char c) {
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::u16string Ascii(std::string_view s) {
    return {s.begin(), s.end()};
}

// ---- names ---------------------------------------------------------------

bool IsPlainNameChar(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

void AppendHexUpper(std::string& out, unsigned value, int digits) {
    static const char* const kHex = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

std::string EscapedName(std::u16string_view name) {
    std::string out;
    for (const char16_t c : name) {
        if (c == '/') {
            out += '\\';
        } else if (IsPlainNameChar(c)) {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            AppendHexUpper(out, c, 2);
        } else {
            out += "%U";
            AppendHexUpper(out, c, 4);
        }
    }
    return out;
}

std::u16string UnescapedName(std::string_view bytes) {
    const std::u16string decoded = ToUtf16(bytes);
    std::u16string out;
    for (size_t i = 0; i < decoded.size();) {
        const char16_t c = decoded[i];
        if (c == '\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c != '%' || i + 1 == decoded.size()) {
            out += c;
            ++i;
            continue;
        }
        size_t first = i + 1;
        size_t digits = 2;
        if (decoded[first] == 'U') ++first, digits = 4;
        unsigned value = 0;
        bool ok = first + digits <= decoded.size();
        for (size_t d = 0; ok && d < digits; ++d) {
            const int h = HexValue(decoded[first + d]);
            ok = h >= 0;
            value = value * 16 + static_cast<unsigned>(h);
        }
        if (!ok) {
            out += u'%';
            ++i;
            continue;
        }
        out += static_cast<char16_t>(value);
        i = first + digits;
    }
    return out;
}

std::string_view TrimmedBytes(std::string_view s) {
    const auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// ---- values: reading -----------------------------------------------------

Value FromText(std::u16string s) {
    Value v;
    if (StartsWith(s, u"@")) {
        if (!s.empty() && s.back() == u')') {
            if (StartsWith(s, u"@ByteArray(")) {
                v.kind = Value::Kind::Bytes;
                for (const char16_t c : s.substr(11, s.size() - 12)) {
                    v.text += c <= 0xFF ? c : u'?';
                }
                return v;
            }
            if (StartsWith(s, u"@String(")) {
                v.text = s.substr(8, s.size() - 9);
                return v;
            }
            if (s == u"@Invalid()") {
                v.kind = Value::Kind::NoData;
                return v;
            }
            for (const std::u16string_view marker :
                 {u"@Variant(", u"@DateTime(", u"@Rect(", u"@Size(", u"@Point("}) {
                if (!StartsWith(s, marker)) continue;
                v.kind = Value::Kind::Other;
                v.text = std::move(s);
                return v;
            }
        }
        if (StartsWith(s, u"@@")) s.erase(0, 1);
    }
    v.text = std::move(s);
    return v;
}

Value FromList(const std::vector<std::u16string>& pieces) {
    Value list;
    list.kind = Value::Kind::List;
    for (const std::u16string& piece : pieces) {
        if (StartsWith(piece, u"@") && !StartsWith(piece, u"@@")) list.typedItems = true;
    }
    for (const std::u16string& piece : pieces) {
        if (list.typedItems) {
            list.items.push_back(FromText(piece));
        } else {
            Value item;
            item.text = StartsWith(piece, u"@@") ? piece.substr(1) : piece;
            list.items.push_back(std::move(item));
        }
    }
    return list;
}

void ChopTrailingBlanks(std::u16string& s, size_t limit) {
    while (s.size() > limit && (s.back() == u' ' || s.back() == u'\t')) s.pop_back();
}

char16_t SimpleEscape(char c) {
    switch (c) {
        case 'a':
            return u'\a';
        case 'b':
            return u'\b';
        case 'f':
            return u'\f';
        case 'n':
            return u'\n';
        case 'r':
            return u'\r';
        case 't':
            return u'\t';
        case 'v':
            return u'\v';
        case '"':
            return u'"';
        case '?':
            return u'?';
        case '\'':
            return u'\'';
        case '\\':
            return u'\\';
        default:
            return 0;
    }
}

// The text of a value's bytes (after the "="): escapes resolved, quotes
// removed, blanks around unquoted text dropped; unquoted commas make a list.
class ValueReader {
  public:
    explicit ValueReader(std::string_view bytes) : s_(bytes) {}

    Value Read() {
        SkipBlanks();
        size_t chopLimit = text_.size();
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\\') {
                if (!Escape()) return Finish();
                chopLimit = text_.size();
            } else if (c == '"') {
                ++i_;
                quoted_ = true;
                inQuotes_ = !inQuotes_;
                if (!inQuotes_) {
                    SkipBlanks();
                    chopLimit = text_.size();
                }
            } else if (c == ',' && !inQuotes_) {
                if (!quoted_) ChopTrailingBlanks(text_, chopLimit);
                isList_ = true;
                pieces_.push_back(std::move(text_));
                text_.clear();
                quoted_ = false;
                ++i_;
                SkipBlanks();
                chopLimit = text_.size();
            } else {
                size_t j = i_ + 1;
                while (j < s_.size() && s_[j] != '\\' && s_[j] != '"' && s_[j] != ',') ++j;
                decoder_.Feed(s_.substr(i_, j - i_), text_);
                i_ = j;
            }
        }
        if (!quoted_) ChopTrailingBlanks(text_, chopLimit);
        return Finish();
    }

  private:
    Value Finish() {
        if (!isList_) return FromText(std::move(text_));
        pieces_.push_back(std::move(text_));
        return FromList(pieces_);
    }

    void SkipBlanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }

    // One backslash escape; false when the bytes end within it (the blanks
    // before it then stay).
    bool Escape() {
        ++i_;
        if (i_ >= s_.size()) return false;
        const char c = s_[i_++];
        if (const char16_t simple = SimpleEscape(c)) {
            text_ += simple;
        } else if (c == 'x') {
            if (i_ >= s_.size()) return false;
            if (IsHexDigit(static_cast<unsigned char>(s_[i_]))) {
                char16_t value = 0;
                while (i_ < s_.size() && HexValue(static_cast<unsigned char>(s_[i_])) >= 0) {
                    value = static_cast<char16_t>(value * 16 +
                                                  HexValue(static_cast<unsigned char>(s_[i_])));
                    ++i_;
                }
                text_ += value;
            }
        } else if (OctValue(c) >= 0) {
            auto value = static_cast<char16_t>(OctValue(c));
            while (i_ < s_.size() && OctValue(s_[i_]) >= 0) {
                value = static_cast<char16_t>(value * 8 + OctValue(s_[i_]));
                ++i_;
            }
            text_ += value;
        } else if (c == '\n' || c == '\r') {
            // A line continued: a line break of either kind, or of both.
            if (i_ < s_.size() && (s_[i_] == '\n' || s_[i_] == '\r') && s_[i_] != c) ++i_;
        }
        // Any other escaped character is dropped.
        return true;
    }

    std::string_view s_;
    size_t i_ = 0;
    std::u16string text_;
    std::vector<std::u16string> pieces_;
    Utf8Decoder decoder_;
    bool isList_ = false;
    bool quoted_ = false;
    bool inQuotes_ = false;
};

// ---- lines ---------------------------------------------------------------

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsSpecial(char c) {
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

// The next logical line from pos: a line continued by a backslash or by an
// open quote goes on; a comment ends it. False at the end of the bytes.
struct IniLine {
    size_t start = 0;
    size_t length = 0;
    size_t equals = std::string_view::npos;  // the first "=" outside quotes
};

bool NextLine(std::string_view data, size_t& pos, IniLine& line) {
    bool inQuotes = false;
    line.equals = std::string_view::npos;
    line.start = pos;
    while (line.start < data.size() && IsSpace(data[line.start])) ++line.start;
    size_t i = line.start;
    while (i < data.size()) {
        char c = data[i];
        while (!IsSpecial(c)) {
            if (++i == data.size()) goto done;
            c = data[i];
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && line.equals == std::string_view::npos) line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size()) {
                    const char after = data[i];
                    if ((next == '\n' && after == '\r') || (next == '\r' && after == '\n')) ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else {  // ';'
            if (i == line.start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
                while (i < data.size() && IsSpace(data[i])) ++i;
                line.start = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        }
    }
done:
    pos = i;
    line.length = i - line.start;
    return line.length > 0;
}

// The prefix of the names in a section: "" at the top level, else the
// section's name and "/".
std::u16string SectionPrefix(std::string_view header) {
    const size_t close = header.find(']');
    const std::string_view name = TrimmedBytes(
        header.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    if (EqualsIgnoringAsciiCase(name, "general")) return {};
    std::u16string prefix =
        EqualsIgnoringAsciiCase(name, "%general") ? Ascii(name.substr(1)) : UnescapedName(name);
    return prefix + u'/';
}

// ---- values: writing -----------------------------------------------------

// The text a value is written from, and whether characters above ASCII go
// out as UTF-8 (the typed markers escape them instead).
std::u16string MarkedText(const Value& value) {
    switch (value.kind) {
        case Value::Kind::NoData:
            return u"@Invalid()";
        case Value::Kind::Bytes:
            return u"@ByteArray(" + value.text + u")";
        case Value::Kind::Other:
            return value.text;
        case Value::Kind::List:
            return {};
        case Value::Kind::Text:
            break;
    }
    if (value.text.find(u'\0') != std::u16string::npos) return u"@String(" + value.text + u")";
    if (StartsWith(value.text, u"@")) return u"@" + value.text;
    return value.text;
}

void AppendHexLower(std::string& out, unsigned value) {
    static const char* const kHex = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kHex[value % 16]);
        value /= 16;
    } while (value != 0);
    out += digits;
}

void AppendEscaped(std::u16string_view s, std::string& out) {
    const bool utf8 = !(StartsWith(s, u"@ByteArray(") || StartsWith(s, u"@Variant("));
    const size_t start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    for (size_t k = 0; k < s.size(); ++k) {
        const char16_t c = s[k];
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextIfHexDigit && IsHexDigit(c)) {
            out += "\\x";
            AppendHexLower(out, c);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (c) {
            case u'\0':
                out += "\\0", escapeNextIfHexDigit = true;
                break;
            case u'\a':
                out += "\\a";
                break;
            case u'\b':
                out += "\\b";
                break;
            case u'\f':
                out += "\\f";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            case u'\v':
                out += "\\v";
                break;
            case u'"':
            case u'\\':
                out += '\\', out += static_cast<char>(c);
                break;
            default:
                if (c <= 0x1F || (c >= 0x7F && !utf8)) {
                    out += "\\x";
                    AppendHexLower(out, c);
                    escapeNextIfHexDigit = true;
                } else if (c < 0x80) {
                    out += static_cast<char>(c);
                } else {
                    // A surrogate pair goes out as one character.
                    size_t length = 1;
                    if (c >= 0xD800 && c <= 0xDBFF && k + 1 < s.size() && s[k + 1] >= 0xDC00 &&
                        s[k + 1] <= 0xDFFF) {
                        length = 2;
                    }
                    out += ToUtf8(s.substr(k, length));
                    k += length - 1;
                }
        }
    }
    if (needsQuotes || (start < out.size() && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), '"');
        out += '"';
    }
}

void AppendValue(const Value& value, std::string& out) {
    if (value.kind != Value::Kind::List) {
        AppendEscaped(MarkedText(value), out);
        return;
    }
    if (value.items.empty()) {
        out += "@Invalid()";
        return;
    }
    for (size_t k = 0; k < value.items.size(); ++k) {
        if (k != 0) out += ", ";
        AppendEscaped(MarkedText(value.items[k]), out);
    }
}

}  // namespace

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const int length = DecodeOne(utf8, pos, c);
        if (length <= 0) {
            out += kReplacement;
            ++pos;
            continue;
        }
        AppendUtf16(out, c);
        pos += static_cast<size_t>(length);
    }
    return out;
}

std::string ToUtf8(std::u16string_view utf16) {
    std::string out;
    for (size_t k = 0; k < utf16.size(); ++k) {
        char32_t c = utf16[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < utf16.size() && utf16[k + 1] >= 0xDC00 &&
            utf16[k + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++k] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Document Parse(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    Document document;
    std::u16string prefix;
    size_t pos = 0;
    IniLine line;
    while (NextLine(bytes, pos, line)) {
        const std::string_view text = bytes.substr(line.start, line.length);
        if (text.front() == '[') {
            prefix = SectionPrefix(text);
            continue;
        }
        if (line.equals == std::string_view::npos)
            continue;  // a comment, or a line the check refuses
        const std::string_view key = TrimmedBytes(text.substr(0, line.equals - line.start));
        const std::string_view raw = text.substr(line.equals - line.start + 1);
        document[prefix + UnescapedName(key)] = ValueReader(raw).Read();
    }
    return document;
}

std::string Serialize(const Document& document) {
    // Sections by name, each with its keys by name (the name before the
    // first "/" is the section).
    std::map<std::u16string, std::map<std::u16string, const Value*>> sections;
    for (const auto& [name, value] : document) {
        const size_t slash = name.find(u'/');
        if (slash == std::u16string::npos) {
            sections[u""][name] = &value;
        } else {
            sections[name.substr(0, slash)][name.substr(slash + 1)] = &value;
        }
    }
    std::string out;
    bool first = true;
    for (const auto& [section, keys] : sections) {
        std::string header = EscapedName(section);
        if (header.empty()) {
            header = "[General]";
        } else if (EqualsIgnoringAsciiCase(header, "general")) {
            header = "[%General]";
        } else {
            header = "[" + header + "]";
        }
        if (!first) out += '\n';
        first = false;
        out += header + '\n';
        for (const auto& [key, value] : keys) {
            out += EscapedName(key) + '=';
            AppendValue(*value, out);
            out += '\n';
        }
    }
    return out;
}

std::optional<std::string> StoredText(const Value& value) {
    switch (value.kind) {
        case Value::Kind::Text:
            return ToUtf8(value.text);
        case Value::Kind::Bytes: {
            std::string bytes(value.text.begin(), value.text.end());
            return ToUtf8(ToUtf16(bytes));
        }
        case Value::Kind::List: {
            if (value.typedItems) return std::nullopt;
            std::u16string joined;
            for (size_t k = 0; k < value.items.size(); ++k) {
                if (k != 0) joined += u", ";
                joined += value.items[k].text;
            }
            return ToUtf8(joined);
        }
        case Value::Kind::NoData:
        case Value::Kind::Other:
            break;
    }
    return std::nullopt;
}

Value TextValue(std::string_view utf8) {
    Value value;
    value.text = ToUtf16(utf8);
    return value;
}

std::u16string NormalizedName(std::string_view utf8Path) {
    const std::u16string path = ToUtf16(utf8Path);
    std::u16string out;
    for (const char16_t c : path) {
        if (c == u'/' || c == u'\\') {
            if (!out.empty() && out.back() != u'/') out += u'/';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == u'/') out.pop_back();
    return out;
}

}  // namespace qv::settings::ini
