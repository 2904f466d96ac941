#pragma once
// The system's own converter between a code page and Unicode: iconv of the
// C library on Linux (code_page_iconv.cpp), MultiByteToWideChar on Windows.
// It is asked once per byte sequence while a code page's table is built
// (code_page.cpp); everything else reads that table.

#include <optional>
#include <string_view>

#include "platform/code_page.h"

namespace qv::text {

class SystemDecoder {
  public:
    explicit SystemDecoder(CodePage page);
    ~SystemDecoder();
    SystemDecoder(const SystemDecoder&) = delete;
    SystemDecoder& operator=(const SystemDecoder&) = delete;

    // False when the system does not know the code page.
    bool Available() const;
    // The one character a sequence of one byte, or of a lead and a trail
    // byte, stands for; none when the code page gives it none.
    std::optional<char32_t> CharacterOf(std::string_view sequence);

  private:
    void* handle_ = nullptr;
};

}  // namespace qv::text
