#pragma once
// Paths as a SARIF log names them: absolute and clean ("." and ".." taken
// out, no doubled or trailing separators), relative to the source root, and
// as URI references (percent-encoded UTF-8).

#include <optional>
#include <string>

namespace qv::cli {

// The path made absolute (against the current folder) and clean.
std::string CleanAbsolutePath(const std::string& path);
// The folder of the file the path names, absolute and clean.
std::string AbsoluteFolderOf(const std::string& path);
// The file name without its last extension ("Example" of "a/Example.vbp").
std::string CompleteBaseName(const std::string& path);
// The way from the folder to the file, both absolute and clean ("x.bas",
// "../y/x.bas"); none when there is no way (another drive).
std::optional<std::string> RelativePath(const std::string& folder, const std::string& file);

// A relative path as a URI reference; a first segment with a colon (which
// would read as a scheme) is preceded by "./".
std::string RelativeUri(const std::string& relative);
// A clean path as messages print it: with "\\" between its parts on
// Windows (the paths above use "/").
std::string NativeSeparators(std::string path);
// An absolute path as a file URI ("file:///home/x.bas").
std::string FileUri(const std::string& absolute);

}  // namespace qv::cli
