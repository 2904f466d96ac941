#pragma once
// Reading a range of a code module as a line array, and writing a tidied
// array back in its place.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"
#include "platform/thread_kept.h"

namespace qv::tidy {

// Lines start .. start + count − 1, split at CR LF; none when count < 1.
std::vector<std::string> ReadLines(const host::CodeModule& module, long start, long count);

// The lines ReadLines reads, seen through views: into the module's lines,
// valid until the module changes, or into the text kept with them.
struct LineViews {
    std::unique_ptr<std::string> text;
    std::vector<std::string_view> lines;
};
LineViews ReadLineViews(const host::CodeModule& module, long start, long count);

// Strings to edit a routine's lines in (their text left as it was: a
// TidyUpCopy fills them), held in a vector the thread keeps from use to
// use: the strings keep their room, so that a run that edits routine after
// routine allocates no string per line. A second use on the same thread
// while one is alive gets a vector of its own.
class EditedLines {
  public:
    explicit EditedLines(size_t count);
    ~EditedLines();
    EditedLines(const EditedLines&) = delete;
    EditedLines& operator=(const EditedLines&) = delete;

    std::vector<std::string>& Lines() { return lent_->lines; }

  private:
    // The strings, and those set aside when a shorter array took their
    // place (a vector shrunk by resize would free them).
    struct Strings {
        std::vector<std::string> lines;
        std::vector<std::string> spare;
    };
    platform::ThreadLent<EditedLines, Strings> lent_;
};

// Puts newLines in place of the lines read into oldLines at start, with the
// result of deleting those lines and inserting newLines joined by CR LF. An
// empty array changes nothing. A single blank line is written as one empty
// line (an empty text would insert no line at all and glue the code around
// it together).
//
// Only what changes is written: lines that the host would store exactly as
// they already stand (it drops trailing blanks, turns tabs outside strings
// and comments into spaces and puts labels in column 1) are left alone.
// hostTabWidth: the width the host lays received tabs out with (the run's,
// TabWidth::HostWidth). Returns true when the module was changed.
bool ReplaceLines(host::CodeModule& module, long start, const std::vector<std::string>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth);
// The same with the old lines seen through views (ReadLineViews).
bool ReplaceLines(host::CodeModule& module, long start,
                  const std::vector<std::string_view>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth);

}  // namespace qv::tidy
