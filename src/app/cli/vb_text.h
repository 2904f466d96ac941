#pragma once
// VB code and names are bytes in the project's code page; the terminal and
// JSON want Unicode. Bytes that are valid UTF-8 stay as they are, others
// are read as Windows-1252 (which maps every byte, so nothing is lost).

#include <QString>
#include <streambuf>
#include <string>
#include <string_view>

namespace qv::cli {

QString VbText(std::string_view bytes);
// The same as UTF-8 bytes, for text output.
std::string VbTextUtf8(std::string_view bytes);

// For text output on a terminal: as VbTextUtf8, with every control
// character (the C0 controls but tab, DEL, and the C1 controls) written as
// \xHH or \u00HH, so that a module name, a path or an argument can never
// move the cursor, recolour the terminal or set its title.
std::string DisplayText(std::string_view bytes);

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
std::string LocalPath(const QString& argument);

}  // namespace qv::cli
