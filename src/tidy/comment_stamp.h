#pragma once
// The change stamp: the comment text of the settings with the date, the time
// and the user filled in, which the code window's comment command appends to
// the line at the cursor.

#include <ctime>
#include <string>
#include <string_view>

namespace qv::tidy {

// The stamp for the moment `now`: in the text, "%t" becomes the date and
// time, "%d" the date (both in the locale's general date format) and "%u"
// the user's logon name, in that order, every occurrence.
std::string CommentStamp(std::string_view commentText, std::time_t now);

}  // namespace qv::tidy
