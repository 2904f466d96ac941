// The text of a routine as the main window's code box shows it.

#include "errorhandling/routine_text.h"
#include "handler_test_support.h"

namespace qv::errorhandling::test {
namespace {

class RoutineTextTest : public HandlerTest {
protected:
    void SetUp() override {
        HandlerTest::SetUp();
        fx.Add("modA", host::vbext_ct_StdModule,
               Vb({"Option Explicit", "Dim m As Long", "", "' First.", "Sub First()", "End Sub", "",
                   "' Second.", "Private Function Second() As Long", "End Function"}));
    }
};

TEST_F(RoutineTextTest, RoutineBelowTheDeclarationsShowsNoneOfThem) {
    const RoutineText first = GetRoutine(fx.Project(), "modA", "First", 0);
    EXPECT_EQ(first.text, Vb({"", "' First.", "Sub First()", "End Sub"}));
    EXPECT_EQ(first.startLine, 3);
    EXPECT_EQ(first.count, 4);
}

TEST_F(RoutineTextTest, RowTextsAndDeclarations) {
    EXPECT_EQ(GetRoutine(fx.Project(), "modA", "Second (Private)", 0).text,
              Vb({"", "' Second.", "Private Function Second() As Long", "End Function"}));
    EXPECT_EQ(GetRoutine(fx.Project(), "modA", "(Declarations)", 0).text,
              Vb({"Option Explicit", "Dim m As Long"}));
}

}  // namespace
}  // namespace qv::errorhandling::test
