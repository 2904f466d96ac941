#pragma once
// The application log of the windowed programs: a text file in the user's
// application data folder to which every error report is appended with the
// moment it was written.

#include <QString>

namespace qv::ui {

// <application data location>/qvaddin.log, for example
// ~/.local/share/<organisation>/<application>/qvaddin.log.
QString DefaultLogPath();

// Appends one entry (a header line with the local time, the report with its
// line breaks as LF, a blank line). False when the file cannot be written.
bool AppendLogEntry(const QString& path, const QString& report);

}  // namespace qv::ui
