#pragma once
// The path part of a URI as bytes: every byte that may not stand in it as
// it is ("%", blanks, "#", "?", non-ASCII as its UTF-8 bytes, ...) written
// as "%" and two upper-case hex digits. The SARIF log's file names and the
// language server's document URIs both write paths so.

#include <string>
#include <string_view>

namespace qv::text {

// Keeps letters, digits, "-._~", "!$&'()*+,;=", ":@", "/" and "[]".
std::string PercentEncodedPath(std::string_view path);

}  // namespace qv::text
