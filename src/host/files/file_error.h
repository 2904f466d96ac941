#pragma once
// A VB6 file that cannot be read as one: missing, unreadable, empty, binary
// or malformed. The message names the file (and the line where there is one)
// and says what to do; the command line reports it as bad input.

#include <stdexcept>
#include <string>

namespace qv::host::files {

class FileError : public std::runtime_error {
  public:
    // line 0: the fault is not on one line.
    FileError(std::string path, long line, const std::string& message);

    const std::string& Path() const { return path_; }
    long Line() const { return line_; }

  private:
    std::string path_;
    long line_;
};

}  // namespace qv::host::files
