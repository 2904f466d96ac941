// The store of line layouts: what is found is what was kept under the same
// line, level and flags, through collisions and through its emptying.

#include <gtest/gtest.h>

#include <string>

#include "tidy/tidy_up_code.h"

namespace qv::tidy {
namespace {

// A state of its own for every n below 7 * 64: the level and the six flags.
TidyState StateOf(size_t n) {
    const size_t bits = n / 7;
    return {.level = static_cast<long>(n % 7),
            .thenPending = (bits & 1) != 0,
            .ifHeader = (bits & 2) != 0,
            .continued = (bits & 4) != 0,
            .inComment = (bits & 8) != 0,
            .previousComment = (bits & 16) != 0,
            .inType = (bits & 32) != 0};
}

bool operator==(const TidyState& a, const TidyState& b) {
    return a.level == b.level && a.thenPending == b.thenPending && a.ifHeader == b.ifHeader &&
           a.continued == b.continued && a.inComment == b.inComment &&
           a.previousComment == b.previousComment && a.inType == b.inType;
}

// Line n: empty for n = 0, a few very long ones, short ones otherwise; its
// layout is told apart by its text and its state after.
std::string LineOf(size_t n) {
    if (n == 0) return "";
    if (n % 997 == 0) return std::string(3000 + n % 5, 'x') + std::to_string(n);
    return "x" + std::to_string(n) + " = 1";
}
std::string LaidOf(size_t n) {
    return n % 5 == 0 ? "" : "\t" + LineOf(n);
}

// Keeps lines 0..count-1 (each after the state of its number), then checks
// that exactly those since the last emptying are found, with their layouts.
void KeepAndFind(LineLayouts& layouts, size_t count) {
    for (size_t n = 0; n < count; ++n)
        layouts.Keep(StateOf(n % 448), LineOf(n), StateOf(n + 1), LaidOf(n));
    const size_t firstKept = (count - 1) / LineLayouts::kKept * LineLayouts::kKept;
    for (size_t n = 0; n < count; ++n) {
        TidyState after{.level = -1};
        std::string laid = "untouched";
        const bool found = layouts.Find(StateOf(n % 448), LineOf(n), after, laid);
        ASSERT_EQ(found, n >= firstKept) << "line " << n;
        EXPECT_TRUE(found ? after == StateOf(n + 1) : after.level == -1) << "line " << n;
        EXPECT_EQ(laid, found ? LaidOf(n) : "untouched") << "line " << n;
    }
}

std::uint64_t Constant(long, int, std::string_view) {
    return 42;
}
std::uint64_t LevelOnly(long level, int, std::string_view) {
    return static_cast<std::uint64_t>(level);
}

TEST(LineLayouts, FindsWhatWasKeptSinceItWasLastEmptied) {
    LineLayouts empty;
    TidyState after;
    std::string laid;
    EXPECT_FALSE(empty.Find(StateOf(0), "", after, laid));
    for (const size_t count : {size_t{1}, LineLayouts::kKept, 2 * LineLayouts::kKept + 999}) {
        SCOPED_TRACE(count);
        LineLayouts layouts;
        KeepAndFind(layouts, count);
    }
}

TEST(LineLayouts, LinesWhoseHashesCollideAreToldApart) {
    for (const LineLayouts::Hash hash : {&Constant, &LevelOnly}) {
        LineLayouts layouts(hash);
        KeepAndFind(layouts, LineLayouts::kKept + 600);
    }
}

// One text after every level and flag is a line of its own, whatever their
// hashes; kept again, its layout is replaced.
TEST(LineLayouts, TheSameTextAfterOtherStatesIsAnotherLine) {
    for (const LineLayouts::Hash hash : {&LineLayouts::LineHash, &Constant, &LevelOnly}) {
        LineLayouts layouts(hash);
        for (size_t n = 0; n < 448; ++n)
            layouts.Keep(StateOf(n), "End If", StateOf(n + 1), LaidOf(n));
        layouts.Keep(StateOf(3), "End If", StateOf(0), "replaced");
        for (size_t n = 0; n < 448; ++n) {
            TidyState after;
            std::string laid;
            ASSERT_TRUE(layouts.Find(StateOf(n), "End If", after, laid));
            EXPECT_EQ(laid, n == 3 ? "replaced" : LaidOf(n)) << n;
            EXPECT_TRUE(after == StateOf(n == 3 ? 0 : n + 1)) << n;
        }
        // The line sought may be the string the layout is put into.
        std::string line = "End If";
        TidyState state = StateOf(5);
        ASSERT_TRUE(layouts.Find(state, line, state, line));
        EXPECT_EQ(line, LaidOf(5));
        EXPECT_TRUE(state == StateOf(6));
    }
}

// Texts past the buffer's bound empty it as a full count does; a line past
// it alone is not kept.
TEST(LineLayouts, TextPastTheBoundIsNotKept) {
    LineLayouts layouts;
    const std::string half(LineLayouts::kKeptText / 2, 'a');
    layouts.Keep(StateOf(0), "first", StateOf(1), half);
    layouts.Keep(StateOf(0), "second", StateOf(1), half);
    layouts.Keep(StateOf(0), half + half, StateOf(1), "x");
    TidyState after;
    std::string laid;
    EXPECT_FALSE(layouts.Find(StateOf(0), "first", after, laid));
    EXPECT_TRUE(layouts.Find(StateOf(0), "second", after, laid));
    EXPECT_EQ(laid, half);
    EXPECT_FALSE(layouts.Find(StateOf(0), half + half, after, laid));
}

}  // namespace
}  // namespace qv::tidy
