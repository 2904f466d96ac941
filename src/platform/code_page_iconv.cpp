// The system's converter on Linux and the other POSIX systems: iconv of the
// C library (glibc names the Windows code pages CP932, CP936, CP1252, ...).

#include <iconv.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/code_page_system.h"

namespace qv::text {

namespace {

iconv_t Descriptor(void* handle) {
    return static_cast<iconv_t>(handle);
}

// What iconv_open gives on failure.
void* Failed() {
    return reinterpret_cast<void*>(static_cast<intptr_t>(-1));
}

}  // namespace

SystemDecoder::SystemDecoder(CodePage page) {
    const std::string name = "CP" + std::to_string(page.Number());
    handle_ = ::iconv_open("UTF-32LE", name.c_str());
}

SystemDecoder::~SystemDecoder() {
    if (Available()) ::iconv_close(Descriptor(handle_));
}

bool SystemDecoder::Available() const {
    return handle_ != Failed();
}

std::optional<char32_t> SystemDecoder::CharacterOf(std::string_view sequence) {
    if (!Available()) return std::nullopt;
    std::array<char, 16> in{};
    sequence.copy(in.data(), in.size());
    std::array<unsigned char, 16> out{};
    char* from = in.data();
    size_t fromLeft = sequence.size();
    char* to = reinterpret_cast<char*>(out.data());
    size_t toLeft = out.size();
    ::iconv(Descriptor(handle_), nullptr, nullptr, nullptr, nullptr);  // a fresh state
    const size_t done = ::iconv(Descriptor(handle_), &from, &fromLeft, &to, &toLeft);
    // The code pages with combining marks (1255, 1258) hold a character
    // back until they know the next one: flush it.
    const size_t flushed = ::iconv(Descriptor(handle_), nullptr, nullptr, &to, &toLeft);
    if (done == static_cast<size_t>(-1) || flushed == static_cast<size_t>(-1) || fromLeft != 0 ||
        out.size() - toLeft != 4) {
        return std::nullopt;
    }
    return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
}

}  // namespace qv::text
