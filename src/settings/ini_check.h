#pragma once
// Whether a file's bytes are an INI file that QSettings reads in full. The
// check is made on the bytes because QSettings reports a parse failure only
// to the first object that reads a file; later objects share its cached
// parse and report no error, and writing through them would replace the file
// with the part that was understood.

#include <cstddef>
#include <optional>
#include <string_view>

namespace qv::settings {

// The number (from 1) of the first line that is neither blank, a comment
// (";"), a section header ("[name]") nor a key line (with "=" before any
// comment); nothing when every line is one of those. A line ending with a
// backslash continues on the next one.
std::optional<size_t> FirstNonIniLine(std::string_view bytes);

}  // namespace qv::settings
