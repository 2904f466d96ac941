#pragma once
// The IDE's own editor tab width, kept in the IDE's registry store (the
// names of store_names.h: company "Microsoft", application "VBA", section
// "Microsoft Visual Basic", key "TabWidth"; default 4). The line-number engine lays its number
// field out on these tab stops, and tidy uses it to know how the IDE will show the tabs it writes.
// A run reads it once (StoredTabWidth) and carries it in its settings record.

#include <string_view>

namespace qv::settings {

inline constexpr std::string_view kDefaultTabWidth = "4";

// The stored text converted as the IDE converts a 16-bit integer: a decimal
// number (fractions rounded half to even); Type mismatch (13) when it is not
// a number, Overflow (6) when it does not fit 16 bits.
short ConvertTabWidth(std::string_view stored);

// The tab width as stored. Raises as ConvertTabWidth does.
short IdeTabWidth();

// The width the engines lay text out with: the stored width, but at least 1.
// A width below 1 never comes from the IDE's options page; the editor shows
// tabs one column wide then, so 1 is what the user sees.
int UsableTabWidth(short tabWidth);

// The tab width of one run: the stored width, or the error its stored text
// gives, which a command that lays out numbers with it raises (as the IDE's
// conversion would) when it needs the width.
class TabWidth {
  public:
    constexpr TabWidth() = default;
    constexpr explicit TabWidth(short width) : width_(width) {}
    // A width that could not be read: the error number its conversion gave.
    static constexpr TabWidth Unreadable(long error) {
        TabWidth width;
        width.error_ = error;
        return width;
    }

    // The width as stored; raises the error of a stored text that is no width.
    short Value() const;
    // The width the host lays received lines out with: the usable width, or
    // the IDE's default when the stored text is no width (the host does not
    // fail a line for it).
    int HostWidth() const;

  private:
    short width_ = 4;
    long error_ = 0;
};

// The run's tab width read from the IDE's store; never raises.
TabWidth StoredTabWidth();

}  // namespace qv::settings
