#pragma once
// Takes the line numbers off a routine's lines (a number in the first column,
// with or without a colon after it) and the indentation that numbering added
// in front of the other lines. Lines that carry no number and are not
// indented by a whole number field keep their text. An array without a
// numbered line is left exactly as it was.
//
// The lines are edited in place; elements are never added or removed.

#include <string>
#include <string_view>
#include <vector>

namespace qv::linenumbers {

void RemoveLineNumbers(std::vector<std::string>& lines);

// Whether RemoveLineNumbers finds a number to take off these lines (when it
// does not, it leaves them as they are): lines seen through views need no
// copy to be asked.
bool HoldsLineNumbers(const std::vector<std::string_view>& lines);

}  // namespace qv::linenumbers
