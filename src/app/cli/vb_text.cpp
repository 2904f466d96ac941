#include "app/cli/vb_text.h"

#include <QFile>

#include "host/files/vb_path.h"

namespace qv::cli {

QString VbText(std::string_view bytes) {
    return QString::fromStdString(VbTextUtf8(bytes));
}

std::string VbTextUtf8(std::string_view bytes) {
    return host::files::Windows1252ToUtf8(bytes);
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

std::string DisplayText(std::string_view bytes) {
    return EscapeControls(VbTextUtf8(bytes), false);
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

std::string LocalPath(const QString& argument) {
    return QFile::encodeName(argument).toStdString();
}

}  // namespace qv::cli
