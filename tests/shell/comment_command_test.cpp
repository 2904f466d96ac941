// The code window's comment command through the catalogue, and its stamp.

#include "shell/command_catalogue.h"
#include "tidy/comment_stamp.h"
#include "tidy/tidy_test_support.h"

namespace qv::tidy {
namespace {

using shell::CommandContext;
using shell::CommandId;
using shell::Execute;

using qv::test::Vb;
using test::TidyTest;

class CommentStampTest : public TidyTest {
  protected:
    void SetUp() override {
        TidyTest::SetUp();
        component_ =
            &fx.Add("M", host::vbext_ct_StdModule, Vb({"Sub A()", "    x = 1", "", "End Sub"}));
        fx.Module("M").CodePane().Show();
    }
    // Stamps line n and returns it; column receives the cursor's column.
    std::string StampLine(long n, long& column) {
        fx.Module("M").CodePane().SetSelection(n, 1, n, 1);
        Comment();
        long line, endLine, endColumn;
        fx.Module("M").CodePane().GetSelection(line, column, endLine, endColumn);
        EXPECT_EQ(line, n);
        EXPECT_EQ(endLine, n);
        EXPECT_EQ(endColumn, column);
        return fx.Module("M").Lines(n, 1);
    }
    void Comment() {
        CommandContext context{.vbe = fx.Vbe(), .settings = Settings()};
        Execute(CommandId::CodeComment, context);
    }
    host::memory::MemoryComponent* component_ = nullptr;
};

TEST_F(CommentStampTest, DefaultStampAfterTheCode) {
    long column = 0;
    const std::string line = StampLine(2, column);
    EXPECT_EQ(line, "    x = 1' 02/01/2024 tester:");
    EXPECT_EQ(column, static_cast<long>(line.size()) + 1) << "the cursor sits after the colon";
    EXPECT_EQ(fx.Module("M").CountOfLines(), 4);
}

TEST_F(CommentStampTest, EmptyLineAndPlainText) {
    long column = 0;
    EXPECT_EQ(StampLine(3, column), "' 02/01/2024 tester:");
    Settings().insert = "' checked";
    EXPECT_EQ(StampLine(1, column), "Sub A()' checked");
}

TEST_F(CommentStampTest, Placeholders) {
    EXPECT_EQ(CommentStamp("'%t|%d|%u|%u", 0), "'02/01/2024 10:30:00|02/01/2024|tester|tester");
    services.userName = "";
    EXPECT_EQ(CommentStamp("' %u:", 0), "' :");
}

TEST_F(CommentStampTest, AReadOnlyModuleIsRefused) {
    component_->SetFiles({"/p/M.bas"});
    services.readOnlyFiles.insert("/p/M.bas");
    long column = 0;
    EXPECT_EQ(StampLine(2, column), "    x = 1");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, "A read-only module cannot be updated.");
}

TEST_F(CommentStampTest, AnEmptyModuleGetsTheStampAsItsFirstLine) {
    auto& empty = fx.Add("E", host::vbext_ct_StdModule, "");
    empty.Code()->CodePane().Show();
    Comment();
    EXPECT_EQ(fx.Text("E"), "' 02/01/2024 tester:");
}

}  // namespace
}  // namespace qv::tidy
