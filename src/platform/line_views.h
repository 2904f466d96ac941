#pragma once
// A text's lines as views into it, for readers that need no copies.

#include <string_view>
#include <vector>

namespace qv::text {

// The text split at CR LF as SplitLines splits it (a text without a break
// is one line; one ending in CR LF has an empty last line).
std::vector<std::string_view> SplitLineViews(std::string_view text);

}  // namespace qv::text
