// The JSON text the command line prints: scripts and stored outputs read it
// byte for byte, so layout, escaping and numbers stay as they have been.

#include "app/cli/json_text.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace qv::cli {
namespace {

using Json = JsonNode;

// The indented layout (by four, keys sorted, empty containers on two lines)
// is in every JSON output of the golden run; the compact one, of the SARIF
// logs, is read back by the SARIF tests but not compared as text there.
TEST(JsonText, CompactLayoutSortsKeysAndKeepsEmptyContainers) {
    const Json value{{"b", true},
                     {"ea", Json::array()},
                     {"eo", Json::object()},
                     {"i", 5},
                     {"n", nullptr},
                     {"nest", Json::array({1, Json{{"x", 1}}, Json::array()})},
                     {"a", "z"}};
    EXPECT_EQ(JsonText(value, JsonLayout::Compact),
              R"({"a":"z","b":true,"ea":[],"eo":{},"i":5,"n":null,"nest":[1,{"x":1},[]]})");
    EXPECT_EQ(JsonText(Json::object(), JsonLayout::Indented), "{\n}\n");
}

TEST(JsonText, EscapesOnlyQuotesBackslashesAndControlCharacters) {
    std::string all;
    for (int c = 1; c < 0x20; ++c) all += static_cast<char>(c);
    all += "\"\\/'\x7F\xE2\x80\xA8\xC3\xA9";
    std::string out;
    AppendJsonString(out, all);
    EXPECT_EQ(out,
              "\"\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007\\b\\t\\n\\u000b\\f\\r\\u000e"
              "\\u000f\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017\\u0018\\u0019"
              "\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f\\\"\\\\/'\x7F\xE2\x80\xA8\xC3\xA9\"");
}

// Long plain runs are passed over eight bytes at a time: a byte that must be
// escaped (or is not ASCII) is found wherever it stands among them.
TEST(JsonText, EveryByteIsFoundAtEveryPlaceOfALongText) {
    for (int c = 1; c < 256; ++c) {
        std::string alone;
        AppendJsonString(alone, std::string(1, static_cast<char>(c)));
        const std::string shown = alone.substr(1, alone.size() - 2);
        for (size_t at = 0; at < 24; ++at) {
            std::string text(24, 'a' + static_cast<char>(at % 26));
            text[at] = static_cast<char>(c);
            std::string out;
            AppendJsonString(out, text);
            EXPECT_EQ(out, "\"" + text.substr(0, at) + shown + text.substr(at + 1) + "\"")
                << c << " at " << at;
        }
    }
}

// A long text is written a piece at a time: an escape, a character of
// several bytes or a broken one comes out the same wherever it falls.
TEST(JsonText, ALongTextIsItsPiecesEachWrittenAlone) {
    const std::vector<std::string> pieces{"a",      "plain run of text", "\r\n", "\"",
                                          "\\",    "\x01",             "\t",    "\xC3\xA9",
                                          "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xFF", "\x80",
                                          "\x7F",   std::string(37, 'x')};
    std::uint32_t seed = 3;
    for (int round = 0; round < 20; ++round) {
        std::string text, shown;
        while (text.size() < 3000) {
            seed = seed * 1103515245u + 12345u;
            const std::string& piece = pieces[(seed >> 16) % pieces.size()];
            text += piece;
            std::string alone;
            AppendJsonString(alone, piece);
            shown += alone.substr(1, alone.size() - 2);
        }
        std::string out = "[";
        AppendJsonString(out, text);
        EXPECT_EQ(out, "[\"" + shown + "\"") << round;
    }
}

TEST(JsonText, EachByteOfBrokenUtf8BecomesOneReplacementCharacter) {
    const std::string r = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a\xC3" "b", "a" + r + "b"},                  // cut short
        {"a\xE2\x82" "b", "a" + r + r + "b"},          // cut short after two bytes
        {"a\xC0\x80" "b", "a" + r + r + "b"},          // not the shortest form
        {"a\xED\xA0\x80" "b", "a" + r + r + r + "b"},  // a surrogate
        {"a\xF4\x90\x80\x80" "b", "a" + r + r + r + r + "b"},  // past U+10FFFF
        {"\x80\xFF", r + r},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // valid: kept
    };
    for (const auto& [bytes, shown] : cases) {
        EXPECT_EQ(JsonText(Json(bytes), JsonLayout::Compact), "\"" + shown + "\"");
    }
}

TEST(JsonText, NumbersInTheirShortestForm) {
    const Json numbers = Json::array({3.0, 1.5, 1e20, 0.0001, 1e-5, 123456789012.0, -2,
                                      std::uint64_t{18446744073709551615ULL}, 0.1});
    EXPECT_EQ(JsonText(numbers, JsonLayout::Compact),
              "[3,1.5,1e+20,1e-04,1e-05,123456789012,-2,18446744073709551615,0.1]");
}

}  // namespace
}  // namespace qv::cli
