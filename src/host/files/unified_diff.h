#pragma once
// A unified diff of two texts, line by line (three lines of context), as
// --dry-run prints it, the preview of changes before they are saved. Lines keep their bytes and a
// CR LF break (so the diff applies to the file with patch); any other break is shown as a line
// feed, and a last line without a break is marked as diff marks it.

#include <string>
#include <string_view>

namespace qv::host::files {

// "" when the texts are equal.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel);

}  // namespace qv::host::files
