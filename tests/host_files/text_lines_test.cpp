#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "host/files/text_lines.h"

namespace qv::host::files {
namespace {

std::vector<std::string> Lines(const SplitText& s) {
    return {s.lines.begin(), s.lines.end()};
}

TEST(SplitFileLines, EndingsAndFinalBreak) {
    SplitText crlf = SplitFileLines("a\r\nb\r\n");
    EXPECT_EQ(Lines(crlf), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(crlf.ending, LineEnding::CrLf);
    EXPECT_TRUE(crlf.finalBreak);

    SplitText lf = SplitFileLines("a\nb");
    EXPECT_EQ(Lines(lf), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lf.ending, LineEnding::Lf);
    EXPECT_FALSE(lf.finalBreak);

    SplitText blankLast = SplitFileLines("a\n\n");
    EXPECT_EQ(Lines(blankLast), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(blankLast.finalBreak);

    EXPECT_TRUE(SplitFileLines("").lines.empty());
}

TEST(SplitFileLines, LoneCrAndMixedEndingsTakeTheMostUsed) {
    SplitText s = SplitFileLines("a\rb\r\nc\nd\ne");
    EXPECT_EQ(Lines(s), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(s.ending, LineEnding::Lf);
    SplitText cr = SplitFileLines("a\rb\r");
    EXPECT_EQ(Lines(cr), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(cr.ending, LineEnding::Cr);
    EXPECT_TRUE(cr.finalBreak);
}

TEST(SplitFileLines, DbcsTrailBytesAreNotBreaks) {
    // Shift-JIS: 0x95 0x5C and 0x81 0x5F end in "\" and "_".
    SplitText s = SplitFileLines("x = \"\x95\x5C\"\r\n' \x81\x5F\r\n");
    ASSERT_EQ(s.lines.size(), 2u);
    EXPECT_EQ(s.lines[1], "' \x81\x5F");
}

// Texts of every shape the line scans meet: runs of letters of many
// lengths (within a block of sixteen bytes and across several), with CR LF,
// LF and lone CR between them, with and without a final break.
std::vector<std::string> MixedTexts() {
    std::vector<std::string> texts{"", "a", "\r", "\n", "\r\n", "abc\r\n"};
    std::uint32_t seed = 12345;
    const auto next = [&](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (int t = 0; t < 300; ++t) {
        std::string text;
        const std::uint32_t longest = t % 3 == 0 ? 90 : t % 3 == 1 ? 20 : 5;
        const std::uint32_t lines = 1 + next(12);
        for (std::uint32_t l = 0; l < lines; ++l) {
            text.append(next(longest + 1), static_cast<char>('a' + l % 26));
            static constexpr const char* kBreaks[] = {"\r\n", "\n", "\r", "\r\n"};
            if (l + 1 < lines || next(2) == 0) text += kBreaks[next(4)];
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

size_t LongestLine(const SplitText& split) {
    size_t longest = 0;
    for (std::string_view line : split.lines) longest = std::max(longest, line.size());
    return longest;
}

TEST(AnyLineLongerThan, AnswersAsTheLongestSplitLineForEveryLimit) {
    for (const std::string& text : MixedTexts()) {
        const size_t longest = LongestLine(SplitFileLines(text));
        for (size_t limit : {size_t{0}, size_t{3}, size_t{15}, size_t{16}, size_t{17}, size_t{31},
                             size_t{40}, size_t{89}, size_t{90}, longest, longest + 1}) {
            EXPECT_EQ(AnyLineLongerThan(text, limit), longest > limit)
                << "limit " << limit << " text of " << text.size() << " bytes";
        }
    }
}

TEST(ScanLines, TellsWhetherEveryByteIsAscii) {
    for (const std::string& text : MixedTexts()) {
        EXPECT_TRUE(ScanLines(text, 1000).ascii);
        // One byte past ASCII anywhere: in a step of sixty-four or in the rest.
        for (size_t at = 0; at < text.size(); at += 7) {
            std::string marked = text;
            marked[at] = '\xE9';
            const LineScan scan = ScanLines(marked, 1000);
            EXPECT_FALSE(scan.longLine);
            EXPECT_FALSE(scan.ascii) << "at " << at << " of " << marked.size();
        }
    }
}

TEST(AnyLineLongerThan, ALongLineAfterShortOnesInOneBlock) {
    // Three short lines share the first block; the last one runs on past it.
    for (size_t length : {size_t{40}, size_t{100}}) {
        std::string text = "ab\ncd\r\nef\r" + std::string(length, 'x');
        EXPECT_TRUE(AnyLineLongerThan(text, length - 1));
        EXPECT_FALSE(AnyLineLongerThan(text, length));
        text += "\r\nshort\r\n" + std::string(200, 'y') + "\n";
        EXPECT_TRUE(AnyLineLongerThan(text, length - 1));
        EXPECT_EQ(AnyLineLongerThan(text, length), length < 200);
    }
}

TEST(AnyLineLongerThan, LinesNearTheLimitAtEveryOffset) {
    // Texts of short lines with one line of about the limit's length, placed
    // so that it starts and ends at every offset of the stretches the scan
    // looks at first (half the limit long), with each kind of break.
    for (size_t limit : {size_t{64}, size_t{65}, size_t{100}}) {
        for (size_t length = limit - 2; length <= limit + 1; ++length) {
            for (size_t lead = 0; lead < limit; lead += 3) {
                for (std::string_view brk : {"\r\n", "\n", "\r"}) {
                    std::string text(lead, 'a');
                    text.append(brk).append(length, 'x').append(brk).append("tail");
                    if (lead % 2 == 0) text.append(brk);
                    EXPECT_EQ(AnyLineLongerThan(text, limit), length > limit)
                        << "limit " << limit << " line " << length << " after " << lead;
                    // The same line first or last in the text.
                    const std::string alone = std::string(length, 'x') + std::string(brk);
                    EXPECT_EQ(AnyLineLongerThan(alone, limit), length > limit);
                    EXPECT_EQ(AnyLineLongerThan(text.substr(0, lead + brk.size() + length), limit),
                              length > limit);
                }
            }
        }
    }
}

TEST(SplitFileLines, TheFirstLinesAreThoseOfTheWholeSplit) {
    for (const std::string& text : MixedTexts()) {
        const SplitText whole = SplitFileLines(text);
        EXPECT_TRUE(whole.complete);
        for (size_t most : {size_t{0}, size_t{1}, size_t{2}, size_t{5}, whole.lines.size()}) {
            const SplitText first = SplitFileLines(text, most);
            const size_t count = std::min(most, whole.lines.size());
            ASSERT_EQ(first.lines.size(), count);
            for (size_t i = 0; i < count; ++i) {
                // The same places in the text, not just the same bytes.
                EXPECT_EQ(first.lines[i].data(), whole.lines[i].data());
                EXPECT_EQ(first.lines[i].size(), whole.lines[i].size());
            }
            EXPECT_EQ(first.complete, most >= whole.lines.size());
            if (first.complete) {
                EXPECT_EQ(first.finalBreak, whole.finalBreak);
            }
        }
    }
}

// A line by line split, byte by byte, as the whole split must split.
SplitText SplitByteByByte(std::string_view text) {
    SplitText out;
    long counts[3] = {0, 0, 0};
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        out.lines.push_back(text.substr(start, i - start));
        const bool pair = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        ++counts[pair ? 0 : text[i] == '\n' ? 1 : 2];
        i += pair ? 1 : 0;
        start = i + 1;
    }
    if (start < text.size()) out.lines.push_back(text.substr(start));
    out.finalBreak = !text.empty() && start == text.size();
    if (counts[1] > counts[0] && counts[1] >= counts[2]) out.ending = LineEnding::Lf;
    if (counts[2] > counts[0] && counts[2] > counts[1]) out.ending = LineEnding::Cr;
    return out;
}

TEST(SplitFileLines, BreaksAcrossTheBlocksOfTheScanSplitAsByteByByte) {
    std::vector<std::string> texts = MixedTexts();
    // A CR LF, or a CR and an LF of two breaks, on each side of every
    // boundary of the sixty-four bytes the scan looks at in one step.
    for (size_t length = 60; length <= 66; ++length) {
        for (const char* brk : {"\r\n", "\r", "\n", "\r\r\n", "\n\r"}) {
            std::string text;
            for (int line = 0; line < 5; ++line) text += std::string(length, 'x') + brk;
            texts.push_back(text);
            texts.push_back(text + "tail");
            texts.push_back(std::string(brk) + text);
        }
    }
    for (const std::string& text : texts) {
        const SplitText whole = SplitFileLines(text);
        const SplitText expected = SplitByteByByte(text);
        ASSERT_EQ(whole.lines.size(), expected.lines.size());
        for (size_t i = 0; i < whole.lines.size(); ++i) {
            EXPECT_EQ(whole.lines[i].data(), expected.lines[i].data());
            EXPECT_EQ(whole.lines[i].size(), expected.lines[i].size());
        }
        EXPECT_EQ(whole.finalBreak, expected.finalBreak);
        EXPECT_EQ(whole.ending, expected.ending);
    }
}

}  // namespace
}  // namespace qv::host::files
