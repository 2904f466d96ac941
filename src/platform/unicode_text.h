#pragma once
// UTF-8 as everything we print is written, and the case folding that
// compares names and search texts as text: VB compares identifiers and file
// names without regard to case in every alphabet its code pages hold, not
// only in ASCII.

#include <string>
#include <string_view>

namespace qv::text {

bool IsAscii(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
void AppendUtf8(std::string& out, char32_t c);

// The characters of UTF-8 text; a byte that does not begin a valid sequence
// stands for U+FFFD, so that any bytes can be read.
std::u32string Utf8Characters(std::string_view utf8);

// The lower-case partner of a letter of the alphabets the Windows code pages
// cover (Latin, Greek, Cyrillic, the full-width Latin letters); any other
// character stays. Simple one-to-one folding: enough to match names.
char32_t FoldCase(char32_t c);

// The characters folded one by one.
std::u32string FoldedCharacters(std::u32string text);

}  // namespace qv::text
