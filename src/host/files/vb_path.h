#pragma once
// Paths as VB6 project files write them: relative to the project's folder,
// separated by backslashes and matched without regard to case (the IDE ran
// on Windows). A path found on disk here keeps its own spelling.

#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::host::files {

// The file the written path names, relative to folder ("" for the current
// folder); nullopt when no file matches. The path is written in the code
// page of the file that holds it: each part matches a name in its folder
// exactly, else ignoring ASCII case, else as text (the name on disk, in
// UTF-8, read as characters and compared without regard to case). In a
// double-byte code page a backslash that is the trail byte of a character
// separates nothing; in the others a backslash after a byte of 0x80 or
// above may be such a trail byte (a project written in another code page),
// so such a part is also tried with the backslash kept in the name.
// identity, when given, receives the file's identity (file::KindAt's) when
// the search learned it on its way, else "".
std::optional<std::string> ResolveVbPath(const std::string& folder, std::string_view written,
                                         text::CodePage page, std::string* identity = nullptr);

// Why ResolveVbPath found no file: "it is a named pipe (FIFO), not a regular
// file" when something other than a file stands at the written path (a
// folder, a pipe, a device, a loop of symbolic links); "" when nothing does.
std::string UnresolvedVbPathReason(const std::string& folder, std::string_view written,
                                   text::CodePage page);

}  // namespace qv::host::files
