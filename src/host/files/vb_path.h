#pragma once
// Paths as VB6 project files write them: relative to the project's folder,
// separated by backslashes and matched without regard to case (the IDE ran
// on Windows). A path found on disk here keeps its own spelling.

#include <optional>
#include <string>
#include <string_view>

namespace qv::host::files {

// The file the written path names, relative to folder ("" for the current
// folder); nullopt when no file matches. Each part matches a name in its
// folder exactly, else ignoring ASCII case, else as Windows-1252 bytes read
// as UTF-8 (a checkout that converted the names). A backslash after a byte
// of 0x80 or above may be the trail byte of a double-byte character, so such
// a part is also tried with the backslash kept in the name.
std::optional<std::string> ResolveVbPath(const std::string& folder, std::string_view written);

// Why ResolveVbPath found no file: "it is a named pipe (FIFO), not a regular
// file" when something other than a file stands at the written path (a
// folder, a pipe, a device, a loop of symbolic links); "" when nothing does.
std::string UnresolvedVbPathReason(const std::string& folder, std::string_view written);

// Windows-1252 bytes as UTF-8 (bytes that are already valid UTF-8 stay).
std::string Windows1252ToUtf8(std::string_view bytes);
// The bytes read as Windows-1252 even when they would be valid UTF-8: a
// part of a file known to be in that code page.
std::string Windows1252AsUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// The character of one Windows-1252 byte; each of the five bytes the code
// page leaves unassigned stands for the C1 control of its value, so that
// every byte has a character of its own and comes back unchanged.
char16_t Windows1252Char(unsigned char byte);
// The byte of a character; none when the code page has no byte for it.
std::optional<unsigned char> Windows1252Byte(char16_t c);

}  // namespace qv::host::files
