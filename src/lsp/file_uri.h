#pragma once
// file: URIs and the paths they name. A path's URI has every byte that may
// not stand in a URI's path percent-encoded (blanks, "#", "?", "%", non-ASCII
// as its UTF-8 bytes, ...); a URI's path is percent-decoded, a host before
// it kept as "//host" (a share), a query or fragment after it dropped.

#include <string>
#include <string_view>

namespace qv::lsp {

// The file of a file: URI; "" for any other URI.
std::string PathOfUri(std::string_view uri);
// The file: URI of an absolute path.
std::string UriOfPath(std::string_view path);

}  // namespace qv::lsp
