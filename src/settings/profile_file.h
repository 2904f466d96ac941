#pragma once
// Editing an ini-style file the way the system's profile functions do: section
// and key names compare without regard to case and around spaces, and every
// line that is not edited stays byte for byte, comments and unknown sections
// included. Used for the IDE's add-in list file, which other programs share.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv::settings {

// Sets key = value in section: the first line of the key is replaced and any
// later line of the same key in that section removed; a missing key is added
// after the section's last non-blank line; a missing section is added at the
// end. New lines use the file's own line break (LF for a new file).
std::string WriteProfileKey(std::string_view content, std::string_view section,
                            std::string_view key, std::string_view value);

// The value of the first line of key in section (blanks around it taken
// off); nothing when the section or the key is not there.
std::optional<std::string> ReadProfileKey(std::string_view content, std::string_view section,
                                          std::string_view key);

// Removes every line of key from section; other lines stay.
std::string DeleteProfileKey(std::string_view content, std::string_view section,
                             std::string_view key);

// The file's bytes; empty when it does not exist. Raises error 70 with the
// path in the description when it cannot be read.
std::string ReadProfileFile(const std::string& path);

// Applies edit to the file's content (empty when the file does not exist) and
// writes the result atomically under the file's lock ("<file>.lock", which
// the settings store uses too), creating the folder when needed. A result
// equal to the content is not written. True when the file was written. Raises error 70 with the
// path in the description when the file cannot be read or written.
bool EditProfileFile(const std::string& path,
                     const std::function<std::string(std::string_view)>& edit);

}  // namespace qv::settings
