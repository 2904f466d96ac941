#pragma once
// VB code and names are bytes in the code page of the file they come from
// (the project file's, the module's); the terminal and JSON want Unicode,
// and everything the command line prints is UTF-8. Our own messages are
// UTF-8 already, but may quote a piece of a file as it is, and a path on
// disk may hold the bytes of another code page: those are read in the run's
// code page.

#include <streambuf>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::cli {

// Bytes of a file in its code page, as UTF-8 (both names say the same).
std::string VbText(std::string_view bytes, text::CodePage page);
std::string VbTextUtf8(std::string_view bytes, text::CodePage page);

// A message, or a path on disk, as UTF-8: its UTF-8 stays, any other bytes
// are read in the run's code page (both names say the same).
std::string MessageText(std::string_view message, text::CodePage run);
std::string MessageUtf8(std::string_view message, text::CodePage run);

// For text output on a terminal: as VbTextUtf8, with every control
// character (the C0 controls but tab, DEL, and the C1 controls) written as
// \xHH or \u00HH, so that a module name, a path or an argument can never
// move the cursor, recolour the terminal or set its title.
std::string DisplayText(std::string_view bytes, text::CodePage page);
// The same for a message or a path (as MessageUtf8).
std::string DisplayMessage(std::string_view message, text::CodePage run);

// The columns UTF-8 text takes on a terminal: a wide (East Asian) character
// takes two.
size_t DisplayWidth(std::string_view utf8);

// A unified diff of a module file as UTF-8: the lines of code read in the
// module's code page, the file names as a path (MessageUtf8).
std::string DiffUtf8(std::string_view diff, text::CodePage page);

// The same escaping for a whole message stream: line breaks and tabs stay.
// Bytes are passed through as they are otherwise.
std::string EscapeControls(std::string_view text, bool keepLineBreaks);

// A stream buffer that escapes control characters (line breaks and tabs
// kept) on their way to another one: everything the command line writes
// to standard error passes it.
class ControlEscapingBuffer : public std::streambuf {
public:
    explicit ControlEscapingBuffer(std::streambuf* target) : target_(target) {}

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    std::streambuf* target_;
    bool pendingC2_ = false;  // a UTF-8 lead byte that may begin a C1 control
};

// A path given on the command line as the file system's bytes.
std::string LocalPath(const std::string& argument);

}  // namespace qv::cli
