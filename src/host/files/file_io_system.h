#pragma once
// What the atomic writes share between their common part (file_io.cpp) and
// the part each system does its own way (file_io_posix.cpp,
// file_io_windows.cpp).

#include <optional>
#include <string>
#include <vector>

#include "host/files/file_error.h"
#include "host/files/file_io.h"

namespace qv::host::files::write_detail {

// Calls the tests' hook, when one is set.
void Step(WriteStep step, const std::string& path);

// The file still holds what was read from it (a file that is gone, that
// cannot be read or that grew past it does not: it is not read further).
bool Holds(const std::string& path, const std::string& read);

// The check of a staged file once every new file is ready, before the first
// one replaces its original: nullopt when the file at target still holds
// what was read and has one name; else the refusal (nothing is written).
// It also stands for the check of the file's names made before the batch
// is committed (RefuseUnwritable's), later than that one: a name given to
// the file after the staging is found here, closer to the replacement.
std::optional<FileError> RefusalBeforeReplacing(const std::string& path, const std::string& target,
                                                const std::string& read);

// Removes a file that holds a replaced file's old text (a failure leaves it,
// as a leftover a later run removes).
void RemoveOldText(const std::string& path);

// The file a path stands for: a symbolic link is followed, so that writing
// replaces the file it points to and not the link.
std::string RealTarget(const std::string& path);

// Why a file of that many names (hard links) is not replaced.
std::string HardLinkText(unsigned long long names);

FileError ChangedByAnother(const std::string& path, const std::vector<std::string>& done);
// A file given another name (hard link) between the check and its
// replacement: put back, and refused.
FileError LinkedWhileReplacing(const std::string& path, unsigned long long names,
                               const std::vector<std::string>& done);
FileError ReplaceFailed(const std::string& path, const std::string& reason,
                        const std::vector<std::string>& done);

}  // namespace qv::host::files::write_detail
