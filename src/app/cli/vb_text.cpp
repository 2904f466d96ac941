#include "app/cli/vb_text.h"

#include <algorithm>

namespace qv::cli {

std::string VbText(std::string_view bytes, text::CodePage page) { return VbTextUtf8(bytes, page); }

std::string VbTextUtf8(std::string_view bytes, text::CodePage page) {
    return text::ToUtf8(bytes, page);
}

std::string MessageText(std::string_view message, text::CodePage run) {
    return MessageUtf8(message, run);
}

std::string MessageUtf8(std::string_view message, text::CodePage run) {
    return text::MixedToUtf8(message, run);
}

namespace {

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (char32_t c : text::Utf8Characters(utf8)) width += IsWide(c) ? 2 : 1;
    return width;
}

std::string DiffUtf8(std::string_view diff, text::CodePage page) {
    std::string out;
    out.reserve(diff.size());
    bool header = true;  // the file names above the first hunk
    for (size_t from = 0; from < diff.size();) {
        size_t end = diff.find('\n', from);
        end = end == std::string_view::npos ? diff.size() : end + 1;
        const std::string_view line = diff.substr(from, end - from);
        if (line.starts_with("@@")) header = false;
        if (header || line.starts_with("@@") || line.empty()) {
            out += MessageUtf8(line, page);
        } else {
            // The mark (" ", "+", "-", "\\"), then a line of the file.
            out += line.front();
            out += text::ToUtf8(line.substr(1), page);
        }
        from = end;
    }
    return out;
}

namespace {

bool IsC0OrDelete(unsigned char c) { return c < 0x20 || c == 0x7F; }

void AppendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

void AppendEscapedC1(std::string& out, unsigned char second) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[second >> 4];
    out += kHex[second & 0xF];
}

}  // namespace

std::string EscapeControls(std::string_view text, bool keepLineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t' || (keepLineBreaks && c == '\n')) {
            out += static_cast<char>(c);
        } else if (IsC0OrDelete(c)) {
            AppendEscaped(out, c);
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            AppendEscapedC1(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

// Printable ASCII (and tabs): the same bytes in every code page and in
// UTF-8, with nothing to escape. Most names are.
bool ShownAsIs(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t';
    });
}

}  // namespace

std::string DisplayText(std::string_view bytes, text::CodePage page) {
    // A report prints a name for every routine it changed.
    if (ShownAsIs(bytes)) return std::string(bytes);
    return EscapeControls(VbTextUtf8(bytes, page), false);
}

std::string DisplayMessage(std::string_view message, text::CodePage run) {
    return EscapeControls(MessageUtf8(message, run), false);
}

int ControlEscapingBuffer::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    const char byte = static_cast<char>(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize ControlEscapingBuffer::xsputn(const char* s, std::streamsize n) {
    std::string text = pendingC2_ ? std::string("\xC2") : std::string();
    text.append(s, static_cast<size_t>(n));
    // A lead byte at the end waits for the byte after it.
    pendingC2_ = !text.empty() && static_cast<unsigned char>(text.back()) == 0xC2;
    if (pendingC2_) text.pop_back();
    const std::string out = EscapeControls(text, true);
    target_->sputn(out.data(), static_cast<std::streamsize>(out.size()));
    return n;
}

int ControlEscapingBuffer::sync() {
    if (pendingC2_) {
        target_->sputc(static_cast<char>(0xC2));
        pendingC2_ = false;
    }
    return target_->pubsync();
}

std::string LocalPath(const std::string& argument) {
    // The program's arguments are the file system's bytes already (UTF-8 on
    // Windows, where the platform layer takes UTF-8 paths).
    return argument;
}

}  // namespace qv::cli
