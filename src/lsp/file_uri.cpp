#include "lsp/file_uri.h"

#include "lsp/utf8_text.h"
#include "platform/text.h"
#include "platform/uri_path.h"

namespace qv::lsp {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%xx" becomes its byte; a "%" that begins no such pair stays. Bytes that
// make no UTF-8 then read as U+FFFD, as a URI's path is UTF-8 text.
std::string PercentDecoded(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return ReplacingNonUtf8(bytes);
}

bool IsDriveLetterPath(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

}  // namespace

std::string PathOfUri(std::string_view uri) {
    constexpr std::string_view kScheme = "file:";
    if (!text::StartsWithIgnoreCase(uri, kScheme)) return {};
    std::string_view rest = uri.substr(kScheme.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string host;
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        host = text::ToLower(PercentDecoded(rest.substr(0, slash)));
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    }
    std::string path = PercentDecoded(rest);
    if (!host.empty()) return "//" + host + path;
#ifdef _WIN32
    // "/C:/x" names the drive's folder.
    if (path.size() > 2 && path[0] == '/' && IsDriveLetterPath(std::string_view(path).substr(1))) {
        path.erase(0, 1);
    }
#endif
    return path;
}

std::string UriOfPath(std::string_view path) {
    // A file name is text: bytes that are no UTF-8 stand for U+FFFD.
    std::string text = ReplacingNonUtf8(path);
#ifdef _WIN32
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
#endif
    std::string uri = "file:";
    std::string_view rest = text;
    if (rest.starts_with("//")) {
        // A share: its host is the URI's.
        uri += "//";
        rest.remove_prefix(2);
    } else if (IsDriveLetterPath(rest)) {
        uri += "///";
    } else if (rest.starts_with('/')) {
        uri += "//";
    }
    uri += text::PercentEncodedPath(rest);
    return uri;
}

}  // namespace qv::lsp
