#pragma once
// VB code and names are bytes in the project's code page; the terminal and
// JSON want Unicode. Bytes that are valid UTF-8 stay as they are, others
// are read as Windows-1252 (which maps every byte, so nothing is lost).

#include <QString>
#include <string>
#include <string_view>

namespace qv::cli {

QString VbText(std::string_view bytes);
// The same as UTF-8 bytes, for text output.
std::string VbTextUtf8(std::string_view bytes);

// A path given on the command line as the file system's bytes.
std::string LocalPath(const QString& argument);

}  // namespace qv::cli
