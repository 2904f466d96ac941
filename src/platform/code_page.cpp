#include "platform/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/code_page_system.h"
#include "platform/text.h"
#include "platform/unicode_text.h"
#include "platform/windows_1252.h"

namespace qv::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct KnownPage {
    int number;
    std::string_view description;
};

constexpr std::array<KnownPage, 15> kKnownPages = {{
    {874, "Thai"},
    {932, "Japanese, Shift-JIS"},
    {936, "Simplified Chinese, GBK"},
    {949, "Korean"},
    {950, "Traditional Chinese, Big5"},
    {1250, "Central European"},
    {1251, "Cyrillic"},
    {1252, "Western European"},
    {1253, "Greek"},
    {1254, "Turkish"},
    {1255, "Hebrew"},
    {1256, "Arabic"},
    {1257, "Baltic"},
    {1258, "Vietnamese"},
    {65001, "UTF-8"},
}};

constexpr std::array<std::pair<std::string_view, int>, 11> kNamedPages = {{
    {"shift_jis", 932},
    {"shift-jis", 932},
    {"sjis", 932},
    {"windows-31j", 932},
    {"gbk", 936},
    {"gb2312", 936},
    {"uhc", 949},
    {"big5", 950},
    {"utf-8", 65001},
    {"utf8", 65001},
    {"latin1", 1252},
}};

size_t IndexOf(int number) {
    for (size_t i = 0; i < kKnownPages.size(); ++i) {
        if (kKnownPages[i].number == number) return i;
    }
    return kKnownPages.size();
}

bool InRange(unsigned char c, unsigned char first, unsigned char last) {
    return c >= first && c <= last;
}

bool IsLeadByte(unsigned char c, int page) {
    if (page == 932) return InRange(c, 0x81, 0x9F) || InRange(c, 0xE0, 0xFC);
    return InRange(c, 0x81, 0xFE);  // 936, 949, 950
}

bool IsTrailByte(unsigned char c, int page) {
    switch (page) {
        case 932:
            return InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xFC);
        case 949:
            return InRange(c, 0x41, 0x5A) || InRange(c, 0x61, 0x7A) || InRange(c, 0x81, 0xFE);
        case 950:
            return InRange(c, 0x40, 0x7E) || InRange(c, 0xA1, 0xFE);
        default:
            return InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xFE);  // 936
    }
}

// A byte the code page has no character for keeps a character of its own,
// so that text read and written back is the same bytes: the C1 control of
// its value for 0x80-0x9F (as in Windows-1252), a private-use one above.
char32_t StandIn(unsigned char byte) {
    return byte < 0xA0 ? char32_t(byte) : char32_t(0xF700 + byte);
}

// One code page read once through the system's converter and kept: names,
// lines and search texts are converted far too often to ask the system
// each time, and the table can be read from any thread.
struct PageTable {
    bool doubleByte = false;
    std::array<char32_t, 256> single{};  // a lead byte's entry is unused
    std::vector<char32_t> pairs;         // (lead - 0x80) * 256 + trail; 0 when none
    std::unordered_map<char32_t, std::uint16_t> bytesOf;  // one byte, or lead << 8 | trail
    std::array<unsigned char, 256> otherCase{};
};

void AddSingles(PageTable& table, int page, SystemDecoder& decoder) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (table.doubleByte && IsLeadByte(byte, page)) continue;
        char32_t c = byte;
        if (byte >= 0x80) {
            const char sequence[1] = {static_cast<char>(byte)};
            c = page == 1252 ? Windows1252Char(byte)
                             : decoder.CharacterOf({sequence, 1}).value_or(StandIn(byte));
        }
        table.single[byte] = c;
        table.bytesOf.emplace(c, byte);
    }
}

void AddPairs(PageTable& table, int page, SystemDecoder& decoder) {
    table.pairs.assign(128 * 256, 0);
    for (int lead = 0x80; lead < 0x100; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead), page)) continue;
        for (int trail = 0x40; trail < 0x100; ++trail) {
            if (!IsTrailByte(static_cast<unsigned char>(trail), page)) continue;
            const char sequence[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::optional<char32_t> c = decoder.CharacterOf({sequence, 2});
            if (!c) continue;
            table.pairs[static_cast<size_t>((lead - 0x80) * 256 + trail)] = *c;
            table.bytesOf.emplace(*c, static_cast<std::uint16_t>(lead << 8 | trail));
        }
    }
}

void AddOtherCases(PageTable& table) {
    for (int b = 0; b < 256; ++b) table.otherCase[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
    for (int b = 0; b < 256; ++b) {
        if (table.doubleByte && b >= 0x80) continue;
        const char32_t folded = FoldCase(table.single[static_cast<size_t>(b)]);
        for (int other = 0; other < 256; ++other) {
            if (other == b || (table.doubleByte && other >= 0x80)) continue;
            if (FoldCase(table.single[static_cast<size_t>(other)]) == folded) {
                table.otherCase[static_cast<size_t>(b)] = static_cast<unsigned char>(other);
                break;
            }
        }
    }
}

std::unique_ptr<PageTable> BuildTable(CodePage page) {
    auto table = std::make_unique<PageTable>();
    table->doubleByte = page.IsDoubleByte();
    SystemDecoder decoder(page);
    AddSingles(*table, page.Number(), decoder);
    if (table->doubleByte) AddPairs(*table, page.Number(), decoder);
    AddOtherCases(*table);
    return table;
}

// Built on first use, once per process, and never changed after.
const PageTable& TableOf(CodePage page) {
    static std::array<std::once_flag, kKnownPages.size()> built;
    static std::array<std::unique_ptr<PageTable>, kKnownPages.size()> tables;
    const size_t i = IndexOf(page.Number());
    std::call_once(built[i], [&] { tables[i] = BuildTable(page); });
    return *tables[i];
}

// The character at bytes[at] and its length, in a single- or double-byte page.
size_t ReadCharacter(const PageTable& table, int page, std::string_view bytes, size_t at,
                     char32_t& c) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (!table.doubleByte || !IsLeadByte(byte, page)) {
        c = table.single[byte];
        return 1;
    }
    if (at + 1 >= bytes.size() || !IsTrailByte(static_cast<unsigned char>(bytes[at + 1]), page)) {
        c = kReplacement;
        return 1;
    }
    const char32_t pair =
        table.pairs[static_cast<size_t>((byte - 0x80) * 256 + static_cast<unsigned char>(bytes[at + 1]))];
    c = pair != 0 ? pair : kReplacement;
    return 2;
}

size_t Utf8Length(std::string_view bytes, size_t at) {
    const auto c = static_cast<unsigned char>(bytes[at]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    // A broken sequence is one byte at a time.
    for (size_t k = 1; k < n; ++k) {
        if (at + k >= bytes.size() || (static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return n;
}

}  // namespace

std::optional<CodePage> CodePage::Named(std::string_view name) {
    std::string lower = ToLower(TrimBlanks(name));
    for (const auto& [alias, number] : kNamedPages) {
        if (lower == alias) return CodePage(number);
    }
    for (std::string_view prefix : {"windows-", "cp", "ms"}) {
        if (StartsWith(lower, prefix)) lower.erase(0, prefix.size());
    }
    long number = 0;
    if (lower.empty() || lower.find_first_not_of("0123456789") != std::string::npos ||
        !ParseLong(lower, number) || IndexOf(static_cast<int>(number)) == kKnownPages.size()) {
        return std::nullopt;
    }
    return CodePage(static_cast<int>(number));
}

bool CodePage::IsDoubleByte() const {
    return number_ == 932 || number_ == 936 || number_ == 949 || number_ == 950;
}

std::string CodePage::Description() const {
    const size_t i = IndexOf(number_);
    return std::to_string(number_) + " (" + std::string(kKnownPages[i].description) + ")";
}

std::string KnownCodePages() {
    std::string list;
    for (const KnownPage& page : kKnownPages) {
        list += (list.empty() ? "" : ", ") + std::to_string(page.number);
    }
    return list;
}

CodePage CodePageOfFile(std::string_view bytes, CodePage run) {
    return !IsAscii(bytes) && IsValidUtf8(bytes) ? CodePage::Utf8() : run;
}

size_t CharacterLength(std::string_view bytes, size_t at, CodePage page) {
    if (page.IsUtf8()) return Utf8Length(bytes, at);
    if (!page.IsDoubleByte()) return 1;
    const auto byte = static_cast<unsigned char>(bytes[at]);
    return IsLeadByte(byte, page.Number()) && at + 1 < bytes.size() &&
                   IsTrailByte(static_cast<unsigned char>(bytes[at + 1]), page.Number())
               ? 2
               : 1;
}

bool StartsCharacter(std::string_view bytes, size_t at, CodePage page) {
    if (at >= bytes.size()) return at == bytes.size();
    if (page.IsUtf8()) {
        // A continuation byte belongs to the character before it, when that
        // one is whole.
        size_t start = at;
        while (start > 0 && at - start < 3 && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80) {
            --start;
        }
        return start == at || start + Utf8Length(bytes, start) <= at;
    }
    if (!page.IsDoubleByte()) return true;
    size_t i = 0;
    while (i < at) i += CharacterLength(bytes, i, page);
    return i == at;
}

std::u32string Characters(std::string_view bytes, CodePage page) {
    if (page.IsUtf8()) return Utf8Characters(bytes);
    std::u32string characters;
    characters.reserve(bytes.size());
    const PageTable& table = TableOf(page);
    char32_t c = 0;
    for (size_t i = 0; i < bytes.size();) {
        i += ReadCharacter(table, page.Number(), bytes, i, c);
        characters.push_back(c);
    }
    return characters;
}

std::string ToUtf8(std::string_view bytes, CodePage page) {
    if (IsAscii(bytes) || (page.IsUtf8() && IsValidUtf8(bytes))) return std::string(bytes);
    if (page == CodePage::Windows1252()) return Windows1252AsUtf8(bytes);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (char32_t c : Characters(bytes, page)) AppendUtf8(out, c);
    return out;
}

std::string MixedToUtf8(std::string_view bytes, CodePage page) {
    if (IsAscii(bytes) || IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (size_t i = 0; i < bytes.size();) {
        const size_t utf8 = Utf8Length(bytes, i);
        if (utf8 > 1 || static_cast<unsigned char>(bytes[i]) < 0x80) {
            out.append(bytes.substr(i, utf8));
            i += utf8;
            continue;
        }
        const size_t n = page.IsUtf8() ? 1 : CharacterLength(bytes, i, page);
        const std::u32string characters = page.IsUtf8() ? std::u32string(1, kReplacement)
                                                        : Characters(bytes.substr(i, n), page);
        for (char32_t c : characters) AppendUtf8(out, c);
        i += n;
    }
    return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8, CodePage page) {
    if (IsAscii(utf8)) return std::string(utf8);
    if (page.IsUtf8()) return IsValidUtf8(utf8) ? std::optional(std::string(utf8)) : std::nullopt;
    const PageTable& table = TableOf(page);
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : Utf8Characters(utf8)) {
        const auto found = table.bytesOf.find(c);
        if (found == table.bytesOf.end()) return std::nullopt;
        if (found->second > 0xFF) out.push_back(static_cast<char>(found->second >> 8));
        out.push_back(static_cast<char>(found->second & 0xFF));
    }
    return out;
}

std::string FromUtf8Replacing(std::string_view utf8, CodePage page) {
    if (auto whole = FromUtf8(utf8, page)) return std::move(*whole);
    std::string out;
    for (char32_t c : Utf8Characters(utf8)) {
        std::string one;
        AppendUtf8(one, c);
        out += FromUtf8(one, page).value_or("?");
    }
    return out;
}

const std::array<char32_t, 256>* SingleByteCharacters(CodePage page) {
    if (page.IsUtf8() || page.IsDoubleByte()) return nullptr;
    return &TableOf(page).single;
}

std::optional<unsigned char> SingleByteOf(char32_t c, CodePage page) {
    if (page.IsUtf8() || page.IsDoubleByte()) return std::nullopt;
    if (c < 0x80) return static_cast<unsigned char>(c);
    const PageTable& table = TableOf(page);
    const auto found = table.bytesOf.find(c);
    if (found == table.bytesOf.end()) return std::nullopt;
    return static_cast<unsigned char>(found->second);
}

bool SameTextIgnoringCase(std::string_view bytes, CodePage page, std::string_view utf8) {
    if (IsAscii(bytes) && IsAscii(utf8)) return EqualsIgnoreCase(bytes, utf8);
    return FoldedCharacters(Characters(bytes, page)) == FoldedCharacters(Utf8Characters(utf8));
}

unsigned char OtherCaseByte(unsigned char byte, CodePage page) {
    if (byte < 0x80 || page.IsUtf8()) {
        const char lower = AsciiLower(static_cast<char>(byte));
        const char other = lower != static_cast<char>(byte) ? lower : AsciiUpper(static_cast<char>(byte));
        return static_cast<unsigned char>(other);
    }
    return TableOf(page).otherCase[byte];
}

}  // namespace qv::text
