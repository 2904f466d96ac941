#pragma once
// The code page text is written in. VB6 writes modules and project files in
// the system's ANSI code page: Windows-1252 in Western Europe, 932
// (Shift-JIS) in Japan, 936 (GBK) in China and so on. Code stays as the
// file's bytes; these routines read the bytes as characters where text is
// compared with what a user typed or shown to one. In the double-byte code
// pages a trail byte may be "\", "|" or a letter, so nothing may be matched
// or cut inside a character.
//
//     const auto page = text::CodePage::Named("932");
//     std::string shown = text::ToUtf8(moduleName, *page);
//     std::optional<std::string> bytes = text::FromUtf8(typed, *page);

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unicode_text.h"

namespace qv::text {

class CodePage {
  public:
    // Windows-1252, the default.
    constexpr CodePage() = default;
    static constexpr CodePage Windows1252() { return CodePage(1252); }
    static constexpr CodePage Utf8() { return CodePage(65001); }
    // By number ("932"), as "cp932" or "windows-1252", or by a common name
    // ("shift_jis", "gbk", "big5", "utf-8"); case ignored. None for a code
    // page that is not one of the Windows ANSI code pages (or UTF-8).
    static std::optional<CodePage> Named(std::string_view name);

    constexpr int Number() const { return number_; }
    bool IsDoubleByte() const;
    bool IsUtf8() const { return number_ == 65001; }
    // "932 (Japanese, Shift-JIS)".
    std::string Description() const;

    friend constexpr bool operator==(CodePage, CodePage) = default;

  private:
    constexpr explicit CodePage(int number) : number_(number) {}
    int number_ = 1252;
};

// The code pages there are, for help texts and messages: "874, 932, ...".
std::string KnownCodePages();

// The code page a file is read in: UTF-8 when its bytes are valid UTF-8 and
// hold more than ASCII (a byte-order mark counts), else the run's.
CodePage CodePageOfFile(std::string_view bytes, CodePage run);

// The number of bytes of the character at bytes[at] (1 to 4).
size_t CharacterLength(std::string_view bytes, size_t at, CodePage page);
// Whether a character begins at bytes[at] (at == size counts), the bytes
// read from their start.
bool StartsCharacter(std::string_view bytes, size_t at, CodePage page);

// The bytes as UTF-8. Every byte is read: one the code page has no
// character for stands for a character of its own (a C1 control or a
// private-use character), a broken double-byte sequence for U+FFFD.
std::string ToUtf8(std::string_view bytes, CodePage page);
// Text that is UTF-8 but for pieces in the code page (a message that quotes
// a line of a file as it is): the UTF-8 stays, the rest is read in the code
// page.
std::string MixedToUtf8(std::string_view bytes, CodePage page);
// The characters of the bytes, as ToUtf8 reads them.
std::u32string Characters(std::string_view bytes, CodePage page);
// UTF-8 text as bytes of the code page; none when the code page has no
// bytes for one of its characters.
std::optional<std::string> FromUtf8(std::string_view utf8, CodePage page);

// In a single-byte code page, the character of every byte (each has one,
// so that text read and written back is the same bytes); nullptr for the
// double-byte code pages and UTF-8, where a character may take two bytes.
const std::array<char32_t, 256>* SingleByteCharacters(CodePage page);
// In a single-byte code page, the byte of a character; none when it has
// none (or in the other code pages).
std::optional<unsigned char> SingleByteOf(char32_t c, CodePage page);

// Text of ours (settings are stored as UTF-8) to be written into a file of
// the code page: a character the code page has no bytes for becomes "?",
// as the system's converter writes it.
std::string FromUtf8Replacing(std::string_view utf8, CodePage page);

// Whether the bytes, read in the code page, are the UTF-8 text but for the
// case of letters (VB compares names so).
bool SameTextIgnoringCase(std::string_view bytes, CodePage page, std::string_view utf8);

// In a single-byte code page, the byte of the other case of a letter's
// byte ("ü" for "Ü"); the byte itself for any other byte and in the other
// code pages, where only ASCII letters are told apart by one byte.
unsigned char OtherCaseByte(unsigned char byte, CodePage page);

}  // namespace qv::text
