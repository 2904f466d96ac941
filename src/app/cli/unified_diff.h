#pragma once
// A unified diff of two texts, line by line (three lines of context), as
// --dry-run prints it. Lines keep their bytes; their line breaks are not
// shown, and a last line without a break is marked as diff marks it.

#include <string>
#include <string_view>

namespace qv::cli {

// "" when the texts are equal.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel);

}  // namespace qv::cli
