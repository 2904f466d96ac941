// The system's converter on Windows: MultiByteToWideChar, asked to refuse
// what the code page does not define, so that the tables come out as
// iconv's do on Linux.

#include <windows.h>

#include <array>
#include <cstdint>

#include "platform/code_page_system.h"

namespace qv::text {

namespace {

UINT PageOf(void* handle) {
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(handle));
}

// Windows gives characters of the private-use area to what iconv leaves
// undefined: the undefined single bytes (0xDB of 874 is U+F8C1, 0xA0 of 932
// U+F8F0) and the user-defined double-byte ranges of 936, 949 and 950. Such
// a sequence is undefined here too, so that the tables come out alike. Both
// give the user-defined ranges of 932 (leads F0-F9) and of 950 (C6A1-C8FE)
// the same private-use characters.
bool IsPrivateUse(char32_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

bool PrivateUseInIconv(UINT page, std::string_view sequence) {
    if (sequence.size() != 2) return false;
    const auto lead = static_cast<unsigned char>(sequence[0]);
    return (page == 932 && lead >= 0xF0 && lead <= 0xF9) ||
           (page == 950 && lead >= 0xC6 && lead <= 0xC8);
}

// Where Windows's table is newer than iconv's: 0xCA of 1255 became U+05BA
// (Hebrew point holam haser for vav) there, and stays undefined here.
bool NewerThanIconv(UINT page, std::string_view sequence) {
    return page == 1255 && sequence == "\xCA";
}

}  // namespace

SystemDecoder::SystemDecoder(CodePage page)
    : handle_(::IsValidCodePage(static_cast<UINT>(page.Number()))
                  ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(page.Number()))
                  : nullptr) {}

SystemDecoder::~SystemDecoder() = default;

bool SystemDecoder::Available() const {
    return handle_ != nullptr;
}

std::optional<char32_t> SystemDecoder::CharacterOf(std::string_view sequence) {
    if (!Available() || sequence.empty()) return std::nullopt;
    std::array<wchar_t, 4> out{};
    const int n = ::MultiByteToWideChar(PageOf(handle_), MB_ERR_INVALID_CHARS, sequence.data(),
                                        static_cast<int>(sequence.size()), out.data(),
                                        static_cast<int>(out.size()));
    char32_t c = 0;
    if (n == 1) {
        c = static_cast<char16_t>(out[0]);
    } else if (n == 2 && out[0] >= 0xD800 && out[0] < 0xDC00 && out[1] >= 0xDC00 && out[1] < 0xE000) {
        c = 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) +
            (static_cast<char32_t>(out[1]) - 0xDC00);
    } else {
        return std::nullopt;
    }
    const UINT page = PageOf(handle_);
    if ((IsPrivateUse(c) && !PrivateUseInIconv(page, sequence)) || NewerThanIconv(page, sequence)) {
        return std::nullopt;
    }
    return c;
}

}  // namespace qv::text
