#pragma once
// Code is kept as the file's bytes in its code page; the editor shows
// Unicode. A line that is shown and not edited must go back as the same
// bytes, so every byte has a shown form: a single-byte code page
// (Windows-1252, 1250-1258, 874) shows one character for each byte; a
// double-byte one and UTF-8 show each whole character as itself and a
// byte that is no whole character (a lead byte at the end of a line, a
// broken sequence) as a lone low surrogate, U+DC80 plus the byte, which no
// decoded text holds.
//
// The host counts columns in bytes; the editor in UTF-16 units. The two
// column functions map between them on one line.

#include <QString>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::workbench {

QString DecodeCode(std::string_view bytes, text::CodePage page);
// A character the code page has no bytes for becomes "?", as a converter
// writes it.
std::string EncodeCode(const QString& text, text::CodePage page);

// The byte offset in the line's bytes of the shown offset.
long ByteOffsetOf(const QString& line, int shownOffset, text::CodePage page);
// The shown offset of a byte offset; one inside a character is its start,
// one past the end the line's end.
int ShownOffsetOf(const QString& line, long byteOffset, text::CodePage page);

}  // namespace qv::workbench
