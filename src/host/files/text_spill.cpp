#include "host/files/text_spill.h"

#include <climits>
#include <stdexcept>

namespace qv::host::files {

TextSpill::TextSpill() : file_(std::tmpfile()), writable_(file_ != nullptr) {}

TextSpill::~TextSpill() = default;

// Appends the text to the file; false when it cannot hold it. Nothing more
// is written then (what went in part is never read), but the texts before
// are still read from it.
bool TextSpill::WriteOut(const std::string& text) {
    if (!writable_) return false;
    // fseek takes a long, 32 bits on some systems: no text starts or ends
    // beyond it.
    const bool reachable = end_ + text.size() <= static_cast<std::uint64_t>(LONG_MAX);
    if (reachable && std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size()) {
        end_ += text.size();
        return true;
    }
    writable_ = false;
    return false;
}

TextSpill::Piece TextSpill::Keep(std::string text) {
    Kept kept;
    kept.offset = end_;
    kept.size = text.size();
    kept.inFile = WriteOut(text);
    if (!kept.inFile) kept.text = std::move(text);
    kept_.push_back(std::move(kept));
    return {kept_.size() - 1};
}

std::string TextSpill::Read(Piece piece) const {
    const Kept& kept = kept_.at(piece.index);
    if (!kept.inFile) return kept.text;
    std::string text(kept.size, '\0');
    std::FILE* file = file_.get();
    // Back to the end afterwards, where the next text is written.
    if (std::fflush(file) != 0 ||
        std::fseek(file, static_cast<long>(kept.offset), SEEK_SET) != 0 ||
        std::fread(text.data(), 1, text.size(), file) != text.size() ||
        std::fseek(file, 0, SEEK_END) != 0) {
        throw std::runtime_error("a text kept in a temporary file could not be read back");
    }
    return text;
}

}  // namespace qv::host::files
