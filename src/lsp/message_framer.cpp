#include "lsp/message_framer.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

namespace qv::lsp {

namespace {

// A header block longer than this is not one (a real one is under 100
// bytes): its bytes are skipped rather than kept without bound, and looking
// at a place where one may begin costs no more than this.
constexpr size_t kLongestHeader = 1024;
// Nor is a message this long (a 1M-line module is about 40 MB).
constexpr std::uint64_t kLongestBody = std::uint64_t{1} << 30;

// The protocol's two header fields; a header block begins with one of them.
constexpr std::string_view kFieldNames[] = {"content-length:", "content-type:"};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// text begins with word, case ignored; a text shorter than word is the
// beginning of it.
bool BeginsLike(std::string_view text, std::string_view word) {
    const size_t n = std::min(text.size(), word.size());
    for (size_t i = 0; i < n; ++i) {
        if (Lower(text[i]) != word[i]) return false;
    }
    return true;
}

bool MayBeginHeader(std::string_view bytes) {
    return std::any_of(std::begin(kFieldNames), std::end(kFieldNames),
                       [bytes](std::string_view name) { return BeginsLike(bytes, name); });
}

// The first position from `from` where a header block may begin (a field
// name, or the beginning of one at the end); the size when there is none.
size_t NextPossibleHeader(std::string_view bytes, size_t from) {
    for (size_t at = from; at < bytes.size(); ++at) {
        if (Lower(bytes[at]) == 'c' && MayBeginHeader(bytes.substr(at))) return at;
    }
    return bytes.size();
}

bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<size_t> LengthValue(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > kLongestBody) return std::nullopt;
    return static_cast<size_t>(value);
}

struct Header {
    enum State { Incomplete, Bad, Good } state = Incomplete;
    size_t size = 0;    // Good: the bytes of the block, its empty line included
    size_t length = 0;  // Good: the Content-Length
    std::string problem;  // Bad: what is wrong
};

Header BadHeader(std::string problem) {
    return Header{Header::Bad, 0, 0, std::move(problem)};
}

// The header block at the start of bytes.
Header ParseHeader(std::string_view bytes) {
    bytes = bytes.substr(0, kLongestHeader + 1);
    std::optional<size_t> length;
    size_t at = 0;
    while (true) {
        const size_t end = bytes.find('\n', at);
        const size_t lineEnd = end == std::string_view::npos ? bytes.size() : end;
        const std::string_view rest = bytes.substr(at, lineEnd - at);
        const size_t cr = rest.find('\r');
        if (cr != std::string_view::npos && cr + 1 < rest.size()) {
            return BadHeader("a header line holds a CR that does not end it");
        }
        if (lineEnd > kLongestHeader) return BadHeader("a header block longer than 1 KB");
        if (end == std::string_view::npos) return Header{};
        if (rest.empty() || rest.back() != '\r') {
            return BadHeader("a header line ended by LF alone (header lines end with CR LF)");
        }
        const std::string_view line = rest.substr(0, rest.size() - 1);
        at = end + 1;
        if (line.empty()) {
            if (!length) return BadHeader("a message header without Content-Length");
            return Header{Header::Good, at, *length, {}};
        }
        const size_t colon = line.find(':');
        const std::string_view name = line.substr(0, colon);
        if (colon == std::string_view::npos || name.empty() ||
            !std::all_of(name.begin(), name.end(), IsTokenChar)) {
            return BadHeader("a header line that is not \"Name: value\"");
        }
        if (name.size() + 1 == kFieldNames[0].size() && BeginsLike(name, kFieldNames[0])) {
            length = LengthValue(line.substr(colon + 1));
            if (!length) return BadHeader("a Content-Length that is no length of at most 1 GB");
        }
    }
}

// The first whole header block in bytes from `from` on, which tells that
// the body around it is cut short; the size when there is none. incomplete:
// where the first block that may still turn out whole begins (the size when
// there is none), so that a later search starts there.
size_t WholeHeaderFrom(std::string_view bytes, size_t from, size_t& incomplete) {
    incomplete = bytes.size();
    for (size_t at = NextPossibleHeader(bytes, from); at < bytes.size();
         at = NextPossibleHeader(bytes, at + 1)) {
        const Header header = ParseHeader(bytes.substr(at));
        if (header.state == Header::Good) return at;
        if (header.state == Header::Incomplete && incomplete == bytes.size()) incomplete = at;
    }
    return bytes.size();
}

}  // namespace

void MessageFramer::Append(std::string_view bytes) {
    pending_.append(bytes);
}

void MessageFramer::Reject(std::string reason) {
    consumed_ = lastHeader_;
    owed_ = std::move(reason);
}

std::optional<Frame> MessageFramer::Skip(size_t count, std::string problem) {
    pending_.erase(0, count);
    searched_ = 0;
    if (skipping_) return std::nullopt;
    skipping_ = true;
    return Frame{{}, std::move(problem)};
}

std::optional<Frame> MessageFramer::Next() {
    pending_.erase(0, consumed_);
    consumed_ = 0;
    if (!owed_.empty()) {
        skipping_ = true;
        return Frame{{}, std::exchange(owed_, {})};
    }
    while (!pending_.empty()) {
        const std::string_view bytes = pending_;
        if (!MayBeginHeader(bytes)) {
            if (auto frame = Skip(NextPossibleHeader(bytes, 1),
                                  "bytes outside a message (skipped up to the next header)")) {
                return frame;
            }
            continue;
        }
        const Header header = ParseHeader(bytes);
        if (header.state == Header::Incomplete) return std::nullopt;
        if (header.state == Header::Bad) {
            if (auto frame = Skip(NextPossibleHeader(bytes, 1), header.problem + "; skipped")) {
                return frame;
            }
            continue;
        }
        if (bytes.size() - header.size < header.length) {
            size_t incomplete = 0;
            const size_t inner = WholeHeaderFrom(bytes, header.size + searched_, incomplete);
            if (inner == bytes.size()) {
                searched_ = incomplete - header.size;
                return std::nullopt;
            }
            if (auto frame = Skip(inner, "a message shorter than its Content-Length (the next "
                                         "header came inside it); skipped")) {
                return frame;
            }
            continue;
        }
        Frame frame{pending_.substr(header.size, header.length), {}};
        consumed_ = header.size + header.length;
        lastHeader_ = header.size;
        searched_ = 0;
        skipping_ = false;
        return frame;
    }
    return std::nullopt;
}

}  // namespace qv::lsp
