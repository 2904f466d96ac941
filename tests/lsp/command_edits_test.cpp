// A command's edits learnt on an open document: the command runs on the
// routine at a line (copy by copy) or on the whole module, and everything
// is as it was afterwards: the module's text and identity, the code pane's
// cursor and the IDE's selection.

#include <gtest/gtest.h>

#include "host_files/temp_folder.h"
#include "errorhandling/default_templates.h"
#include "lsp/command_edits.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

class CommandEditsTest : public ::testing::Test {
  protected:
    CommandEditsTest() {
        folder_.Write("Proj.vbp", "Type=Exe\r\nModule=modMain; modMain.bas\r\n"
                                  "Module=modOther; modOther.bas\r\nName=\"Proj\"\r\n");
        folder_.Write("modMain.bas", text_);
        folder_.Write("modOther.bas", Vb({"Attribute VB_Name = \"modOther\"", "Sub Here()",
                                          "End Sub"}));
        projects_.Settings() = defaults_.Record();
    }

    TempFolder folder_;
    DefaultTemplates defaults_;  // the labels that numbering leaves alone
    const std::string text_ = Vb({
        "Attribute VB_Name = \"modMain\"",
        "#If Win64 Then",
        "Sub Twice()",
        "    a = 1",
        "End Sub",
        "#Else",
        "Sub Twice()",
        "    a = 2",
        "End Sub",
        "#End If",
    });
    lsp::ProjectCache projects_;
};

TEST_F(CommandEditsTest, AProposalLeavesTheModuleCursorAndSelectionAsTheyWere) {
    lsp::DocumentModule document(projects_, folder_.File("modMain.bas"));
    ASSERT_TRUE(document.Load(text_));
    host::memory::MemoryComponent* component = document.Component();
    host::VBE& vbe = document.Target()->Vbe();
    const auto code = [&]() -> host::memory::MemoryCodeModule& {
        return *document.Component()->Code();
    };
    code().CodePane().SetSelection(3, 2, 3, 5);
    code().CodePane().SetTopLine(2);
    host::VBComponent* selected = vbe.SelectedVBComponent();
    host::CodePane* active = vbe.ActiveCodePane();

    // Code line 7 is the second copy's body.
    const lsp::CommandEdits run =
        lsp::RunOnDocument(document, text_, shell::CommandId::CodeLine, 7);
    ASSERT_EQ(run.edits.size(), 1u) << run.refusal;
    EXPECT_EQ(run.edits[0].start.line, 7) << "the second copy numbered, not the first";
    EXPECT_TRUE(run.edits[0].newText.starts_with("1 ") &&
                run.edits[0].newText.find("a = 2") != std::string::npos)
        << run.edits[0].newText;

    EXPECT_EQ(document.Component(), component) << "the module is the one loaded, not a new one";
    EXPECT_EQ(document.Render(), text_);
    EXPECT_EQ(code().EditCount(), 0u) << "a save would write nothing";
    long sl = 0, sc = 0, el = 0, ec = 0;
    code().CodePane().GetSelection(sl, sc, el, ec);
    EXPECT_EQ((std::vector<long>{sl, sc, el, ec, code().CodePane().TopLine()}),
              (std::vector<long>{3, 2, 3, 5, 2}));
    EXPECT_EQ(vbe.SelectedVBComponent(), selected);
    EXPECT_EQ(vbe.ActiveCodePane(), active);
    EXPECT_FALSE(code().InTransaction());
}

}  // namespace
}  // namespace qv::test
