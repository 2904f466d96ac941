#include "platform/uri_path.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

// Every byte that a URI's path may not hold as it is comes out as "%XX";
// what it may hold (the path's separators and the sub-delimiters among
// them) stays, so that a path and its URI read alike.
TEST(PercentEncodedPath, KeepsWhatAPathMayHoldAndEncodesTheRest) {
    EXPECT_EQ(text::PercentEncodedPath("/home/a-b_c.~d/x.bas"), "/home/a-b_c.~d/x.bas");
    EXPECT_EQ(text::PercentEncodedPath("C:/x/!$&'()*+,;=:@[]"), "C:/x/!$&'()*+,;=:@[]");
    EXPECT_EQ(text::PercentEncodedPath("a b#c?d%e\"f<g>h\\i^j`k{l|m}n"),
              "a%20b%23c%3Fd%25e%22f%3Cg%3Eh%5Ci%5Ej%60k%7Bl%7Cm%7Dn");
    // Bytes as they are: the UTF-8 of a name, a NUL, DEL, a control.
    EXPECT_EQ(text::PercentEncodedPath("M\xC3\xB3" "dulo"), "M%C3%B3dulo");
    EXPECT_EQ(text::PercentEncodedPath(std::string("a\0b\x7F\x01", 5)), "a%00b%7F%01");
    EXPECT_EQ(text::PercentEncodedPath(""), "");
}

}  // namespace
}  // namespace qv
