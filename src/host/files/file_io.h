#pragma once
// Reading a whole file, and writing one so that a crash or a full disk never
// leaves it half written: the bytes go to a temporary file in the same
// folder, which is flushed to disk and then renamed over the original
// (keeping the original's mode).

#include <memory>
#include <string>
#include <string_view>

namespace qv::host::files {

// The file's bytes. Throws FileError naming the path when it cannot be read.
std::shared_ptr<const std::string> ReadWholeFile(const std::string& path);

// Throws FileError naming the path when it cannot be written.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace qv::host::files
