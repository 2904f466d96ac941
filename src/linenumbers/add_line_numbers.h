#pragma once
// Numbers the statements of a routine: every line that may carry a line
// number gets one in the first indentation step, so that Erl reports the
// failing line. The top block of the standard error handler, continuation
// lines, comments, directives, "On Error" lines, the first Case of a Select
// and everything from the exit label on stay unnumbered; they are moved right
// by the width of the number field so that the code keeps its shape.
//
// The lines are edited in place; elements are never added or removed. The
// numbers run 1, 2, 3, ... or 10, 20, 30, ... (setting `ten`). Settings used,
// from the record the caller gives: ten, label1 (exit label), label2 (error
// label), comment.

#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace qv::linenumbers {

// Numbers the lines on the tab stops of the run's tab width (raising the
// error of a stored width that is no number).
void AddLineNumbers(std::vector<std::string>& lines, const settings::SettingsRecord& settings);

// Numbers the lines with the tab width given. A width below 1 is taken as 1.
void AddLineNumbers(std::vector<std::string>& lines, const settings::SettingsRecord& settings,
                    short tabWidth);

}  // namespace qv::linenumbers
