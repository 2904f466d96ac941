#pragma once
// UTF-8 text measured as the protocol measures it: positions count UTF-16
// code units. Bytes that are not UTF-8 count and read as U+FFFD each, one per
// byte, so that any bytes can be measured and sent.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::lsp {

// The length of a valid sequence at the start of bytes (1 to 4), 0 when the
// bytes there begin none.
size_t Utf8SequenceLength(std::string_view bytes);

// The text's length in UTF-16 code units.
size_t Utf16Length(std::string_view utf8);

// The byte offset of a UTF-16 offset into the text: its length when the
// offset lies past the end; a character that the offset would split (the
// second half of a surrogate pair) counts as passed.
size_t ByteOffsetOfUtf16(std::string_view utf8, size_t units);

bool IsUtf8(std::string_view bytes);
// The text with each byte that is not part of a valid sequence replaced by
// U+FFFD.
std::string ReplacingNonUtf8(std::string_view bytes);

}  // namespace qv::lsp

namespace qv::lsp {

// A character of the text: its code point, and where it starts in bytes and
// in UTF-16 code units.
struct TextCharacter {
    char32_t code = 0;
    size_t byte = 0;
    size_t unit = 0;
};
// The characters of the text, and one past the last (its code 0) that holds
// the text's whole length.
std::vector<TextCharacter> TextCharacters(std::string_view utf8);

// A character of a word as an editor selects one: a letter or digit of any
// alphabet the code pages hold, or "_"; not a blank, a punctuation mark or
// a symbol (of ASCII, Latin-1, the general, CJK and full-width punctuation).
bool IsWordCharacter(char32_t c);

// The characters of the text with the case of letters folded, for comparing
// names as VB compares them.
std::u32string Folded(std::string_view utf8);
bool SameIgnoringCase(std::string_view a, std::string_view b);
bool ContainsIgnoringCase(std::string_view text, std::string_view part);

}  // namespace qv::lsp
