#include <gtest/gtest.h>

#include "linenumbers/line_number_settings.h"
#include "platform/vb_error.h"
#include "settings/ide_tab_width.h"

namespace qv::settings {
namespace {

long ConversionError(const std::string& stored) {
    try {
        ConvertTabWidth(stored);
    } catch (const VbError& e) {
        return e.Number();
    }
    return 0;
}

TEST(TabWidth, ConvertsAsA16BitInteger) {
    EXPECT_EQ(ConvertTabWidth("4"), 4);
    EXPECT_EQ(ConvertTabWidth(" 8 "), 8);
    EXPECT_EQ(ConvertTabWidth("4.5"), 4) << "half to even";
    EXPECT_EQ(ConvertTabWidth("5.5"), 6);
    EXPECT_EQ(ConvertTabWidth("-3"), -3);
    EXPECT_EQ(ConversionError("wide"), err::kTypeMismatch);
    EXPECT_EQ(ConversionError(""), err::kTypeMismatch);
    EXPECT_EQ(ConversionError("inf"), err::kTypeMismatch);
    EXPECT_EQ(ConversionError("40000"), err::kOverflow);
}

using linenumbers::test::LineNumberTest;

TEST_F(LineNumberTest, TabWidthComesFromTheIdeStoreWithDefaultFour) {
    EXPECT_EQ(IdeTabWidth(), 4);
    SetIdeTabWidth("2");
    EXPECT_EQ(IdeTabWidth(), 2);
}

}  // namespace
}  // namespace qv::settings
