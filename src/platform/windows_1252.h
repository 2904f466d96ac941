#pragma once
// Windows-1252, the code page of most VB6 code (Western Europe and the
// Americas), as a table of our own: every byte has a character and comes
// back unchanged, which the workbench's editor and the display of the
// default code page rely on without asking the system's converter.

#include <optional>
#include <string>
#include <string_view>

namespace qv::text {

// The character of one byte; each of the five bytes the code page leaves
// unassigned stands for the C1 control of its value.
char16_t Windows1252Char(unsigned char byte);
// The byte of a character; none when the code page has no byte for it.
std::optional<unsigned char> Windows1252Byte(char16_t c);
// The bytes read as Windows-1252, as UTF-8.
std::string Windows1252AsUtf8(std::string_view bytes);

}  // namespace qv::text
