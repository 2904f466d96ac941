#pragma once
// The name of a temporary file beside the settings file, for a write that
// replaces it: the file's path, a dot and six random letters or digits.
// Lower-case letters only, so that two names never differ in case alone,
// which a Windows folder takes for the same name.

#include <string>

namespace qv::settings {

std::string TemporaryName(const std::string& path);

}  // namespace qv::settings
