#pragma once
// Whether a file's bytes are an INI file that the store reads in full. The
// reader skips what it does not understand, and a write would then replace
// the file with the part that was understood: a file that fails this check
// is neither read nor written.

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
