#pragma once
// The IDE's own editor tab width, kept in the IDE's registry store (the
// names of store_names.h: company "Microsoft", application "VBA", section
// "Microsoft Visual Basic", key "TabWidth"; default 4). The line-number engine lays its number
// field out on these tab stops, and tidy uses it to know how the IDE will show the tabs it writes.

#include <string_view>

namespace qv::settings {

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

// While one lives, the IDE's tab width is read from the store once for the
// whole run instead of once per routine (module and project runs, the tidy
// of a module): every engine of the run then sees the same width. Runs nest;
// the outermost one reads. A width that cannot be read is not kept, so each
// use reads (and fails) as it would without a run.
class TabWidthRun {
  public:
    TabWidthRun();
    ~TabWidthRun();
    TabWidthRun(const TabWidthRun&) = delete;
    TabWidthRun& operator=(const TabWidthRun&) = delete;
};

// The width of the open run, or IdeTabWidth() when there is none (or it
// could not be read).
short RunTabWidth();

}  // namespace qv::settings
