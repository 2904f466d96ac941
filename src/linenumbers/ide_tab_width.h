#pragma once
// The IDE's own editor tab width, kept in the IDE's registry store (company
// "Microsoft", application "VBA", section "Microsoft Visual Basic", key
// "TabWidth", default 4). The line-number engine lays its number field out on
// these tab stops, and tidy uses it to know how the IDE will show the tabs it
// writes.

#include <string_view>

namespace qv::linenumbers {

inline constexpr std::string_view kIdeCompany = "Microsoft";
inline constexpr std::string_view kIdeApplication = "VBA";
inline constexpr std::string_view kIdeSection = "Microsoft Visual Basic";
inline constexpr std::string_view kTabWidthKey = "TabWidth";
inline constexpr std::string_view kDefaultTabWidth = "4";

// The stored text converted as the IDE converts a 16-bit integer: a decimal
// number (fractions rounded half to even); Type mismatch (13) when it is not
// a number, Overflow (6) when it does not fit 16 bits.
short ConvertTabWidth(std::string_view stored);

// The tab width as stored, read from the store each time (the user may change
// it between commands). Raises as ConvertTabWidth does.
short IdeTabWidth();

// The width the engines lay text out with: the stored width, but at least 1.
// A width below 1 never comes from the IDE's options page; the editor shows
// tabs one column wide then, so 1 is what the user sees.
int UsableTabWidth(short tabWidth);

}  // namespace qv::linenumbers
