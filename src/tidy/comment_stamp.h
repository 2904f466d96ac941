#pragma once
// The change stamp: the comment text of the settings with the date, the time
// and the user filled in, appended to the line at the cursor.

#include <ctime>
#include <string>
#include <string_view>

#include "host/code_host.h"

namespace qv::tidy {

// The stamp for the moment `now`: in the text, "%t" becomes the date and
// time, "%d" the date (both in the locale's general date format) and "%u"
// the user's logon name, in that order, every occurrence.
std::string CommentStamp(std::string_view commentText, std::time_t now);

// The "code comment" command: appends the stamp of the setting `insert` to
// the line at the cursor of the active code pane and puts the cursor after
// it. A read-only module is refused with message 4; without an active code
// pane nothing happens.
void AddComment(host::VBE& vbe);

}  // namespace qv::tidy
