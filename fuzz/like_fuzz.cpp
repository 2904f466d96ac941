// Like on any pattern and text: the leftmost shortest part that Search
// finds matches the pattern, and there is one exactly when the text
// contains the pattern ("*" + pattern + "*").

#include "fuzz_setup.h"
#include "platform/like.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const qv::CompareMode mode = data[0] % 2 == 0 ? qv::CompareMode::Binary : qv::CompareMode::Text;
    const std::string_view input = qv::fuzz::Bytes(data + 1, size - 1);
    const size_t split = input.find('\n');
    const std::string_view pattern = input.substr(0, split);
    const std::string_view text = split == std::string_view::npos ? "" : input.substr(split + 1);
    const qv::LikePattern like(pattern, mode);
    const auto hit = like.Search(text);
    if (hit) {
        qv::fuzz::Expect(hit->first <= hit->second && hit->second <= text.size(),
                         "a hit lies within the text");
        qv::fuzz::Expect(like.Matches(text.substr(hit->first, hit->second - hit->first)),
                         "the part Search finds matches the pattern");
    }
    const std::string contained = "*" + std::string(pattern) + "*";
    qv::fuzz::Expect(hit.has_value() == qv::Like(text, contained, mode),
                     "Search finds a part exactly when the text contains the pattern");
    return 0;
}
