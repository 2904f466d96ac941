// The pieces the server's messages are made of: JSON read leniently and
// written compactly, texts measured in UTF-16 units, bytes that are no UTF-8,
// and file: URIs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/file_uri.h"
#include "lsp/json.h"
#include "lsp/utf8_text.h"

namespace qv::test {
namespace {

using lsp::Json;

TEST(JsonTest, TextsThatAreNoUtf8GoOutWithEachBadByteAsAReplacementCharacter) {
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    // A lead byte without its continuation, a lone continuation, a cut
    // sequence, a surrogate, an overlong form: one U+FFFD per byte.
    const Json value{{"text", "a\xC3" "b\x80" "c\xE5\x95"},
                     {"k\xFF", Json::array({"\xED\xA0\x80", "\xC0\x80", "ok \xC3\xA9 \xF0\x9D\x84\x9E"})}};
    EXPECT_EQ(lsp::Dump(value), "{\"k" + r + "\":[\"" + r + r + r + "\",\"" + r + r +
                                    "\",\"ok \xC3\xA9 \xF0\x9D\x84\x9E\"],\"text\":\"a" + r + "b" +
                                    r + "c" + r + r + "\"}");
    // Only what JSON must escape is escaped: control characters, quote,
    // backslash; the rest, DEL and non-ASCII included, goes as it is.
    EXPECT_EQ(lsp::Dump(Json{{"c", std::string("\x01\t\n\"\\/\x7F\xE2\x80\xA8", 10)}}),
              "{\"c\":\"\\u0001\\t\\n\\\"\\\\/\x7F\xE2\x80\xA8\"}");
}

TEST(JsonTest, OnlyObjectsAndArraysNoDeeperThan1024AreMessages) {
    std::string problem;
    for (const std::string body : {"5", "\"x\"", "null", "", "{} x", "{\"a\":1,}", "{\"a\":NaN}"}) {
        problem.clear();
        EXPECT_FALSE(lsp::ParseMessage(body, problem)) << body;
        EXPECT_FALSE(problem.empty()) << body;
    }
    EXPECT_TRUE(lsp::ParseMessage(" {\"a\": [1, {\"b\": null}]}\r\n", problem));
    EXPECT_TRUE(lsp::ParseMessage("[1,2]", problem));
    const auto nested = [](int depth) {
        return std::string(static_cast<size_t>(depth), '[') + std::string(static_cast<size_t>(depth), ']');
    };
    EXPECT_TRUE(lsp::ParseMessage(nested(1024), problem));
    EXPECT_FALSE(lsp::ParseMessage(nested(1025), problem));
    EXPECT_FALSE(lsp::ParseMessage(nested(100000), problem));
    // Brackets in a text nest nothing.
    EXPECT_TRUE(lsp::ParseMessage("{\"t\": \"\\\"" + std::string(3000, '[') + "\"}", problem))
        << problem;
}

// Clients have sent raw control characters in strings and halves of
// surrogate pairs, and the server has read them: a control character as
// itself, a lone half as "?".
TEST(JsonTest, ControlCharactersAndLoneSurrogatesInStringsAreRead) {
    std::string problem;
    const auto message =
        lsp::ParseMessage("{\"t\": \"a\tb\r\n\\\"\\ud800\\udc00 \\udc00 \\ud83d\\\\\"}", problem);
    ASSERT_TRUE(message) << problem;
    EXPECT_EQ(lsp::StringAt(*message, "t"), "a\tb\r\n\"\xF0\x90\x80\x80 ? ?\\");
    // Outside a string they are still wrong, and the problem is the text's.
    EXPECT_FALSE(lsp::ParseMessage("{\"t\":\t\"a\" x}", problem));
    EXPECT_NE(problem.find("column"), std::string::npos) << problem;
}

TEST(JsonTest, ValuesOfAnotherKindReadAsEmptyAndWholeNumbersAsInts) {
    const Json message = Json::parse(
        R"({"n": 2.0, "f": 2.5, "big": 3000000000, "neg": -7, "s": "x", "o": [1]})");
    EXPECT_EQ(lsp::IntOf(lsp::Member(message, "n")), 2);
    EXPECT_EQ(lsp::IntOf(lsp::Member(message, "f"), -1), -1);
    EXPECT_EQ(lsp::IntOf(lsp::Member(message, "big"), -1), -1);
    EXPECT_EQ(lsp::IntOf(lsp::Member(message, "neg")), -7);
    EXPECT_EQ(lsp::IntOf(lsp::Member(message, "s"), 4), 4);
    EXPECT_EQ(lsp::StringAt(message, "n"), "");
    EXPECT_TRUE(lsp::ObjectAt(message, "o").is_object());
    EXPECT_TRUE(lsp::ObjectAt(Json::array({1}), "o").empty());
    EXPECT_TRUE(lsp::Member(message, "missing").is_null());
    EXPECT_FALSE(lsp::Has(message, "missing"));
    // What a client sent comes back with its whole numbers whole.
    EXPECT_EQ(lsp::Dump(lsp::Echoed(Json::parse(R"({"id": 1.0, "n": [-0.0, 2.5, 100000.0]})"))),
              R"({"id":1,"n":[0,2.5,100000]})");
}

TEST(Utf8TextTest, LengthsAndOffsetsCountUtf16Units) {
    const std::string text = "a\xC3\xA9\xF0\x9D\x84\x9E" "b";  // a é 𝄞 b
    EXPECT_EQ(lsp::Utf16Length(text), 5u);
    EXPECT_EQ(lsp::ByteOffsetOfUtf16(text, 2), 3u);
    EXPECT_EQ(lsp::ByteOffsetOfUtf16(text, 4), 7u);
    EXPECT_EQ(lsp::ByteOffsetOfUtf16(text, 3), 7u) << "the pair is not split";
    EXPECT_EQ(lsp::ByteOffsetOfUtf16(text, 99), text.size());
    // A byte that is no UTF-8 is one unit, as its U+FFFD.
    EXPECT_EQ(lsp::Utf16Length("x\xE5\x95y"), 4u);
    EXPECT_EQ(lsp::ByteOffsetOfUtf16("x\xE5\x95y", 3), 3u);
}

TEST(Utf8TextTest, WordsAndCaseAcrossAlphabets) {
    for (const char32_t c : {U'a', U'Z', U'0', U'_', U'é', U'Ω', U'Ж', U'表', U'ｱ', U'々'}) {
        EXPECT_TRUE(lsp::IsWordCharacter(c)) << static_cast<unsigned>(c);
    }
    for (const char32_t c : {U' ', U'.', U'(', U'«', U'×', U'\u00A0', U'…', U'、', U'。', U'・',
                             U'（', U'\U0001D11E', U'\uFFFD'}) {
        EXPECT_FALSE(lsp::IsWordCharacter(c)) << static_cast<unsigned>(c);
    }
    EXPECT_TRUE(lsp::SameIgnoringCase("GRÖSSE", "grösse"));
    EXPECT_TRUE(lsp::SameIgnoringCase("Total", "TOTAL"));
    EXPECT_FALSE(lsp::SameIgnoringCase("Total", "Totals"));
    EXPECT_TRUE(lsp::ContainsIgnoringCase("Größe_Übrig", "ÜBR"));
    EXPECT_TRUE(lsp::ContainsIgnoringCase("anything", ""));
}

TEST(FileUriTest, UrisDecodeToTheirPaths) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"file:///a%20b/%C3%A9.bas", "/a b/\xC3\xA9.bas"},
        {"file:///a b.bas", "/a b.bas"},
        {"FILE:///x.bas", "/x.bas"},
        {"file://HoSt/s/a.bas", "//host/s/a.bas"},
        {"file:///a%2Fb.bas", "/a/b.bas"},
        {"file:///a%FF.bas", "/a\xEF\xBF\xBD.bas"},
        {"file:///a.bas?x=1#f", "/a.bas"},
        {"file:///a%zz%2.bas", "/a%zz%2.bas"},
        {"file:///a%25.bas", "/a%.bas"},
        {"file:///%e5%95%8f.bas", "/\xE5\x95\x8F.bas"},
        {"file:/x.bas", "/x.bas"},
        {"untitled:Untitled-1", ""},
        {"http://x/a.bas", ""},
    };
    for (const auto& [uri, path] : cases) EXPECT_EQ(lsp::PathOfUri(uri), path) << uri;
}

TEST(FileUriTest, PathsEncodeWhatAUriPathMayNotHold) {
#ifdef _WIN32
    const std::string backslash = "/";  // a backslash separates folders there
#else
    const std::string backslash = "%5C";
#endif
    EXPECT_EQ(lsp::UriOfPath("/d/ !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~\x7F.bas"),
              "file:///d/%20!%22%23$%25&'()*+,-./:;%3C=%3E%3F@[" + backslash +
                  "]%5E_%60%7B%7C%7D~%7F.bas");
    EXPECT_EQ(lsp::UriOfPath("/tmp/M\xC3\xB3" "dulo/\xE5\x95\x8F\xE9\xA1\x8C.frm"),
              "file:///tmp/M%C3%B3dulo/%E5%95%8F%E9%A1%8C.frm");
    EXPECT_EQ(lsp::UriOfPath("//host/share/a.bas"), "file://host/share/a.bas");
    EXPECT_EQ(lsp::UriOfPath("C:/x/a.bas"), "file:///C:/x/a.bas");
    EXPECT_EQ(lsp::UriOfPath("/a/\xFF.bas"), "file:///a/%EF%BF%BD.bas");
    for (const std::string path : {"/a b/é 問.bas", "/x/100%/#1?.bas", "/tmp/\xF0\x9F\x98\x80"}) {
        EXPECT_EQ(lsp::PathOfUri(lsp::UriOfPath(path)), path);
    }
}

}  // namespace
}  // namespace qv::test
