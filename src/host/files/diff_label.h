#pragma once
// A file's name in the header of a unified diff ("--- a/modMain.bas"), as
// git writes it, so that a name cannot steer the terminal or split the
// header, and patch reads the name back: in double quotes with C escapes
// (\n, \t, \", \\, \033 ...) when it holds a control character, a double
// quote, a backslash or a byte above 127 (each such byte as three octal
// digits); followed by a tab when it holds a space.

#include <string>
#include <string_view>

namespace qv::host::files {

// prefix ("a/", "b/" or "") + path, quoted as above.
std::string DiffLabel(std::string_view prefix, std::string_view path);

}  // namespace qv::host::files
