// The code box's colours: where a line's comment starts and which words are
// keywords.

#include <gtest/gtest.h>

#include "ui/vb_highlighter.h"

namespace qv::ui {
namespace {

TEST(VbHighlighter, CommentsStartOutsideStringLiterals) {
    EXPECT_EQ(CommentStart("x = 1 ' one"), 6);
    EXPECT_EQ(CommentStart("s = \"it's\" ' quoted"), 11);
    EXPECT_EQ(CommentStart("s = \"it's\""), -1);
    EXPECT_EQ(CommentStart("Rem all of it"), 0);
    EXPECT_EQ(CommentStart("x = 1: Rem after a colon"), 7);
    EXPECT_EQ(CommentStart("Remainder = 1"), -1);
    EXPECT_EQ(CommentStart("x = Rem"), -1);  // a variable, where no statement starts
}

TEST(VbHighlighter, KeywordsIgnoreCase) {
    EXPECT_TRUE(IsVbKeyword("End"));
    EXPECT_TRUE(IsVbKeyword("byval"));
    EXPECT_TRUE(IsVbKeyword("Explicit"));
    EXPECT_FALSE(IsVbKeyword("account"));
}

}  // namespace
}  // namespace qv::ui
