#pragma once
// Small text helpers of tidy.

#include <string>
#include <string_view>

namespace qv::tidy {

// Tab characters become spaces, except inside string literals, where they
// are part of the program's data.
std::string TabsToSpaces(std::string_view line);

}  // namespace qv::tidy
