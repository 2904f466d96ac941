#include <gtest/gtest.h>

#include "support/vb_fixture.h"

namespace qv::host {
namespace {

using test::Vb;

struct Hit {
    long sl, sc, el, ec;
    bool operator==(const Hit&) const = default;
};

std::optional<Hit> FindIn(CodeModule& m, std::string_view what, Hit from, bool whole = false,
                          bool matchCase = false, bool pattern = false) {
    if (!m.Find(what, from.sl, from.sc, from.el, from.ec, whole, matchCase, pattern)) return {};
    return from;
}

class FindInModule : public ::testing::Test {
protected:
    void SetUp() override {
        m = fx.Add("Module1", vbext_ct_StdModule,
                   Vb({"Sub Total()", "    total = subtotal + Total", "End Sub"}))
                .Code();
    }
    test::VbFixture fx;
    CodeModule* m = nullptr;
};

TEST_F(FindInModule, PositionsOfAHit) {
    EXPECT_EQ(FindIn(*m, "total", {1, 1, -1, -1}), (Hit{1, 5, 1, 10}));
    EXPECT_EQ(FindIn(*m, "total", {1, 6, -1, -1}), (Hit{2, 5, 2, 10}));
    EXPECT_EQ(FindIn(*m, "total", {2, 6, -1, -1}), (Hit{2, 16, 2, 21})) << "inside subtotal";
}

TEST_F(FindInModule, WholeWordAndMatchCase) {
    EXPECT_EQ(FindIn(*m, "total", {2, 6, -1, -1}, true), (Hit{2, 24, 2, 29}));
    EXPECT_EQ(FindIn(*m, "Total", {2, 1, -1, -1}, false, true), (Hit{2, 24, 2, 29}));
    EXPECT_FALSE(FindIn(*m, "TOTAL", {1, 1, -1, -1}, false, true));
}

TEST_F(FindInModule, PatternsAndTheEndOfTheRange) {
    EXPECT_EQ(FindIn(*m, "s?b", {1, 1, -1, -1}, false, false, true), (Hit{1, 1, 1, 4}));
    EXPECT_EQ(FindIn(*m, "+ T*l", {1, 1, -1, -1}, false, true, true), (Hit{2, 22, 2, 29}));
    EXPECT_FALSE(FindIn(*m, "End Sub", {1, 1, 2, 1}));
    EXPECT_EQ(FindIn(*m, "End Sub", {1, 1, 3, 8}), (Hit{3, 1, 3, 8}));
    EXPECT_FALSE(FindIn(*m, "", {1, 1, -1, -1}));
    EXPECT_EQ(FindIn(*m, "End Sub", {1, 1, 9, 1}), (Hit{3, 1, 3, 8})) << "an end past the module";
}

}  // namespace
}  // namespace qv::host
