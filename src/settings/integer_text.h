#pragma once
// The integer conversions the settings need: a stored text read as a 16-bit
// or 32-bit integer, the way the VB run time converts a string: a decimal
// number, with spaces around it and a sign allowed, rounded half to even
// ("2.5" gives 2, "1e2" 100); anything else is not a number.

#include <string_view>

namespace qv::settings {

enum class IntegerText { Number, NotANumber, OutOfRange };

// Checks text as an integer from low to high; value is set only for Number.
IntegerText ParseInteger(std::string_view text, long low, long high, long& value);

// Raise error 13 (Type mismatch) for a text that is not a number and error 6
// (Overflow) for a number outside the type's range.
short ToInteger16(std::string_view text);
long ToInteger32(std::string_view text);

}  // namespace qv::settings
