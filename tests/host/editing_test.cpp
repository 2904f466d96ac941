// Lines in and out of a code module: the IDE's tidying of received lines, and
// the procedure index kept up to date by edits.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>

#include "host/memory/line_store.h"
#include "host/memory/vb_syntax.h"
#include "host/received_line.h"
#include "platform/vb_error.h"
#include "support/vb_fixture.h"

namespace qv::host {
namespace {

using test::Vb;

TEST(ReceivedLineTidy, TabsBecomeSpacesToTheNextStopOutsideStringsAndComments) {
    EXPECT_EQ(TidyReceivedLine("\tx = 1", 4, false), "    x = 1");
    EXPECT_EQ(TidyReceivedLine("\t\tIf a Then", 4, false), "        If a Then");
    EXPECT_EQ(TidyReceivedLine("ab\tc", 4, false), "ab  c");
    EXPECT_EQ(TidyReceivedLine("\tx = \"a\tb\"", 4, false), "    x = \"a\tb\"");
    EXPECT_EQ(TidyReceivedLine("\tx = 1 '\tnote", 4, false), "    x = 1 '\tnote");
    EXPECT_EQ(TidyReceivedLine("\tx = 1", 2, false), "  x = 1");
}

TEST(ReceivedLineTidy, LabelsAndLineNumbersMoveToColumnOne) {
    EXPECT_EQ(TidyReceivedLine("\tExit_Routine:", 4, false), "Exit_Routine:");
    EXPECT_EQ(TidyReceivedLine("    Error_Routine:", 4, false), "Error_Routine:");
    EXPECT_EQ(TidyReceivedLine("1\tx = 1", 4, false), "1   x = 1");
    EXPECT_EQ(TidyReceivedLine("  120 x = 1", 4, false), "120 x = 1");
    EXPECT_EQ(TidyReceivedLine("    Else: x = 1", 4, false), "    Else: x = 1") << "a keyword";
    EXPECT_EQ(TidyReceivedLine("    Call F(a:=1)", 4, false), "    Call F(a:=1)");
    EXPECT_EQ(TidyReceivedLine("    2 + 3)", 4, true), "    2 + 3)") << "a continuation";
}

TEST(ReceivedLineTidy, TrailingBlanksGo) {
    EXPECT_EQ(TidyReceivedLine("x = 1   ", 4, false), "x = 1");
    EXPECT_EQ(TidyReceivedLine("\t\t", 4, false), "");
    EXPECT_EQ(TidyReceivedLine(" ", 4, false), "");
}

// The rule read plainly, a character at a time over the whole line: tabs
// outside strings and comments to the next stop, then the trailing blanks
// off, then a label or number that follows blanks to column 1.
std::string ReceivedLineModel(std::string_view line, int tabWidth, bool continuation) {
    const auto width = static_cast<size_t>(std::max(tabWidth, 1));
    std::string out;
    bool inString = false, inComment = false, statementStart = true;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inString && !inComment && (c == '\'' || (statementStart && memory::IsCommentStart(line.substr(i))))) {
            inComment = true;
        }
        if (c == '"' && !inComment) inString = !inString;
        if (c == '\t' && !inString && !inComment) {
            out.append(width - out.size() % width, ' ');
        } else {
            out.push_back(c);
        }
        if (!inString && !inComment && c != ' ' && c != '\t') statementStart = c == ':';
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    const size_t body = out.find_first_not_of(" \t");
    if (!continuation && body != 0 && body != std::string::npos) {
        // A number followed by a blank, a colon or nothing, or a label.
        const std::string b = out.substr(body);
        const size_t digits = b.find_first_not_of("0123456789");
        const bool number = digits != 0 && (digits == std::string::npos || b[digits] == ' ' ||
                                            b[digits] == '\t' || b[digits] == ':');
        if (number || !LineLabel(b).empty()) out = b;
    }
    return out;
}

// Random lines of the bytes that steer the rule (blanks, tabs, quotes,
// comments, Rem, colons, digits) read as the model reads them.
TEST(ReceivedLineTidy, RandomLinesAreTidiedAsThePlainRuleTidiesThem) {
    const std::string_view pieces[] = {" ", "  ", "\t", "\t\t", "\"", "'", "Rem ", "rem", ":",
                                       "x", "Ab", "12", "_", "=", ":=", "If ", "End", "\xe9"};
    std::mt19937 random(20240203);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int count = static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k) line += pieces[random() % std::size(pieces)];
        const int width = 1 + static_cast<int>(random() % 8);
        const bool continuation = random() % 4 == 0;
        ASSERT_EQ(TidyReceivedLine(line, width, continuation),
                  ReceivedLineModel(line, width, continuation))
            << "line \"" << line << "\" width " << width << " continuation " << continuation;
    }
}

class Editing : public ::testing::Test {
protected:
    test::VbFixture fx;
};

// What a caller may foresee without storing anything: the same lines as an
// insertion at that place stores, the line above deciding whether the
// first is a continuation (which has no label).
TEST_F(Editing, ReceivedLinesAreWhatAnInsertionStores) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"x = 1 + _", "    2", "End Sub"})).Code();
    const std::string text = "\t12 + 3\r\n\t4: y = 1\nz = 2 _\r\t7 x";
    const std::vector<std::string> foreseen = m.ReceivedLines(2, text);
    EXPECT_EQ(m.Lines(1, m.CountOfLines()), Vb({"x = 1 + _", "    2", "End Sub"}))
        << "nothing stored";
    EXPECT_EQ(foreseen,
              (std::vector<std::string>{"    12 + 3", "4: y = 1", "z = 2 _", "    7 x"}));
    m.InsertLines(2, text);
    EXPECT_EQ(m.Lines(2, 4), "    12 + 3\r\n4: y = 1\r\nz = 2 _\r\n    7 x");
    EXPECT_EQ(m.ReceivedLines(1, "\t12 + 3")[0], "12 + 3") << "no line above: a line number";
}

TEST_F(Editing, LinesPastTheEndAreEmptyAndEditsAreChecked) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"a", "b"})).Code();
    EXPECT_EQ(m.Lines(2, 5), "b");
    EXPECT_EQ(m.Lines(3, 1), "");
    EXPECT_EQ(m.Lines(1, 0), "");
    EXPECT_THROW(m.Lines(0, 1), VbError);
    EXPECT_THROW(m.DeleteLines(2, 2), VbError);
    EXPECT_EQ(m.CountOfLines(), 2) << "a refused delete deletes nothing";
}

TEST_F(Editing, InsertedTextIsSplitAndTidiedLineByLine) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"Sub A()", "End Sub"})).Code();
    m.InsertLines(2, "\tOn Error GoTo Error_Routine\r\n\r\nExit_Routine:  \r\n\tx = 1");
    EXPECT_EQ(fx.Text("Module1"),
              Vb({"Sub A()", "    On Error GoTo Error_Routine", "", "Exit_Routine:", "    x = 1",
                  "End Sub"}));
    m.InsertLines(99, "' appended");
    EXPECT_EQ(m.Lines(m.CountOfLines(), 1), "' appended");
    m.InsertLines(1, "");
    EXPECT_EQ(m.CountOfLines(), 7) << "empty text inserts nothing";
}

TEST_F(Editing, ContinuationLinesThatStartWithADigitStayIndented) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"Sub A()", "End Sub"})).Code();
    m.InsertLines(2, "\tx = 1 + _\r\n\t\t2 + 3");
    EXPECT_EQ(m.Lines(3, 1), "        2 + 3");
}

TEST_F(Editing, LoadedLinesStayExactlyAsRead) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"Sub A()\t ", "\tx = 1  ", "End Sub"}))
                   .Code();
    EXPECT_EQ(m.Lines(1, 3), Vb({"Sub A()\t ", "\tx = 1  ", "End Sub"}));
    EXPECT_EQ(m.EditCount(), 0u);
}

// The replacements a module reports.
class ReplacedLines : public CodeModuleObserver {
  public:
    std::vector<std::tuple<long, long, long>> told;
    void LinesInserted(CodeModule&, long, long) override {}
    void LinesDeleted(CodeModule&, long, long) override {}
    void LinesReplaced(CodeModule&, long line, long oldCount, long newCount) override {
        told.emplace_back(line, oldCount, newCount);
    }
};

TEST_F(Editing, APartPutBackIsAsItWasAndItsLoadedLinesStayInTheirFile) {
    const std::string original = Vb({"Sub A()", "    x = 1", "End Sub", "Sub B()", "End Sub"});
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, "").Code();
    // The lines as a file loader leaves them: views into the file's bytes.
    auto file = std::make_shared<const std::string>(original);
    std::vector<std::string_view> views;
    for (size_t at = 0; at <= file->size();) {
        const size_t end = std::min(file->find("\r\n", at), file->size());
        views.emplace_back(file->data() + at, end - at);
        at = end + 2;
    }
    m.LoadLines(file, views);
    ASSERT_EQ(fx.Text("Module1"), original);
    const memory::LineSnapshot loaded = m.LinesPart(2, 1);
    const auto attributes = m.AllHiddenAttributes();
    m.DeleteLines(2);
    m.InsertLines(2, "    y = 2\r\n    z = 3");
    const std::string edited = fx.Text("Module1");
    const memory::LineSnapshot typed = m.LinesPart(2, 2);
    EXPECT_EQ(m.ProcStartLine("B", vbext_pk_Proc), 5);

    ReplacedLines observer;
    m.Subscribe(&observer);
    m.RestorePart(2, 2, loaded, attributes, 0);
    EXPECT_EQ(fx.Text("Module1"), original);
    EXPECT_EQ(m.ProcStartLine("B", vbext_pk_Proc), 4) << "the procedure index reads again";
    const std::string_view back = m.Line(2);
    EXPECT_TRUE(back.data() >= file->data() && back.data() < file->data() + file->size())
        << "a loaded line comes back as a view into its file, with its own break";
    m.RestorePart(2, 1, typed, attributes, 0);
    EXPECT_EQ(fx.Text("Module1"), edited);
    EXPECT_EQ(observer.told, (std::vector<std::tuple<long, long, long>>{{2, 2, 1}, {2, 1, 2}}));
    EXPECT_THROW(m.RestorePart(5, 3, typed, attributes, 0), VbError);
    m.Unsubscribe(&observer);
}

// Every line of the store, as text and where it points.
std::vector<std::string_view> LinesOf(const memory::LineStore& store) {
    std::vector<std::string_view> lines;
    for (long i = 0; i < store.Count(); ++i) lines.push_back(store.Line(i));
    return lines;
}

// Every line of the store, copied.
std::vector<std::string> TextOf(const memory::LineStore& store) {
    const std::vector<std::string_view> lines = LinesOf(store);
    return {lines.begin(), lines.end()};
}

bool SameViews(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](auto x, auto y) {
        return x.data() == y.data() && x.size() == y.size();
    });
}

// Loaded lines are kept as places in the file's bytes until the first edit.
// Each keeps its exact place, an empty line too: the writer reads the break
// after a line where the line stands in the file.
TEST(LineStore, LoadedLinesKeepTheirPlacesInTheFileBeforeAndAfterAnEdit) {
    auto file = std::make_shared<const std::string>("Sub A()\r\n\r\n    x = 1\n\rEnd Sub\r\n");
    const std::vector<std::string_view> views{
        {file->data(), 7}, {file->data() + 9, 0}, {file->data() + 11, 9},
        {file->data() + 21, 0}, {file->data() + 22, 7}};
    memory::LineStore store;
    store.Assign(file, views);
    EXPECT_TRUE(store.Packed());
    EXPECT_TRUE(SameViews(LinesOf(store), views));

    store.Insert(2, {"' typed"});
    EXPECT_FALSE(store.Packed());
    std::vector<std::string_view> expected = views;
    expected.insert(expected.begin() + 2, store.Line(2));
    EXPECT_EQ(store.Line(2), "' typed");
    EXPECT_TRUE(SameViews(LinesOf(store), expected));
    store.Erase(0, 2);
    expected.erase(expected.begin(), expected.begin() + 2);
    EXPECT_TRUE(SameViews(LinesOf(store), expected));

    // A store moved elsewhere (from a reader thread) still points into the file.
    memory::LineStore other;
    other.Assign(file, views);
    memory::LineStore moved = std::move(other);
    EXPECT_TRUE(SameViews(LinesOf(moved), views));
}

TEST(LineStore, LinesFromOutsideTheFileStayViews) {
    auto file = std::make_shared<const std::string>("Sub A()\r\nEnd Sub");
    const std::string elsewhere = "    x = 1";
    const std::vector<std::string_view> views{
        {file->data(), 7}, elsewhere, {file->data() + 9, 7}, {}};
    memory::LineStore store;
    store.Assign(file, views);
    EXPECT_FALSE(store.Packed());
    EXPECT_TRUE(SameViews(LinesOf(store), views));
}

// After a group of edits the lines are packed again: the file's lines keep
// their exact places (the writer reads their breaks there), the lines
// written since are copies that outlive the arena they were written into,
// and the store takes edits again as before.
TEST(LineStore, CompactKeepsTheFilesPlacesAndCopiesTheLinesWrittenSince) {
    auto file = std::make_shared<const std::string>("Sub A()\r\n\r\n    x = 1\r\nEnd Sub");
    std::vector<std::string_view> views{
        {file->data(), 7}, {file->data() + 9, 0}, {file->data() + 11, 9}, {file->data() + 22, 7}};
    memory::LineStore store;
    store.Assign(file, views);
    store.Insert(3, {"    y = 2", "", "' typed"});
    store.Erase(0, 1);
    const std::vector<std::string> text = TextOf(store);
    store.Compact();
    EXPECT_TRUE(store.Packed());
    ASSERT_EQ(store.Count(), 6);
    EXPECT_EQ(TextOf(store), text);
    EXPECT_EQ(store.Line(0).data(), file->data() + 9) << "an empty line of the file keeps its place";
    EXPECT_EQ(store.Line(1).data(), file->data() + 11);
    EXPECT_EQ(store.Line(5).data(), file->data() + 22);
    EXPECT_TRUE(store.Line(3).empty());
    const auto inFile = [&](std::string_view line) {
        return line.data() >= file->data() && line.data() <= file->data() + file->size();
    };
    EXPECT_FALSE(inFile(store.Line(2)));
    EXPECT_FALSE(inFile(store.Line(4)));

    // Edited again: the copies stay readable while new lines are written
    // next to them, and a snapshot keeps the file's lines as views.
    const memory::LineSnapshot before = store.Snapshot();
    for (int i = 0; i < 300; ++i) store.Insert(store.Count(), {"' more " + std::to_string(i)});
    EXPECT_FALSE(store.Packed());
    EXPECT_EQ(store.Line(2), "    y = 2");
    EXPECT_EQ(store.Line(4), "' typed");
    EXPECT_EQ(store.Line(305), "' more 299");
    store.Compact();
    EXPECT_EQ(store.Line(2), "    y = 2");
    EXPECT_EQ(store.Line(305), "' more 299");
    EXPECT_EQ(store.Line(1).data(), file->data() + 11);
    store.Restore(before);
    EXPECT_EQ(TextOf(store), text);
    EXPECT_EQ(store.Line(5).data(), file->data() + 22);

    // A store moved elsewhere keeps its copies.
    store.Compact();
    memory::LineStore moved = std::move(store);
    EXPECT_EQ(TextOf(moved), text);
}

TEST(LineStore, CompactLeavesLinesOfSeveralFilesAsViews) {
    // An undo in the workbench may put back lines of the file as it was
    // before a save: those keep their places in that older file.
    auto older = std::make_shared<const std::string>("Sub A()\r\nEnd Sub");
    auto newer = std::make_shared<const std::string>("Sub B()\r\nEnd Sub");
    memory::LineSnapshot lines;
    lines.buffers = {older, newer};
    lines.lines = {{older->data(), 7}, {newer->data() + 9, 7}};
    memory::LineStore store;
    store.Restore(lines);
    store.Compact();
    EXPECT_FALSE(store.Packed());
    EXPECT_TRUE(SameViews(LinesOf(store), lines.lines));

    // Lines of no file at all are copied.
    memory::LineStore typed;
    typed.Assign(std::vector<std::string>{"Sub C()", "", "End Sub"});
    typed.Compact();
    EXPECT_TRUE(typed.Packed());
    EXPECT_EQ(LinesOf(typed), (std::vector<std::string_view>{"Sub C()", "", "End Sub"}));
}

// A module's group of edits, committed, leaves the lines packed and as they
// were edited; the next group edits them and can still be cancelled.
TEST_F(Editing, ACommittedGroupPacksTheLinesAndTheNextGroupStillEditsThem) {
    std::vector<std::string> lines = {"Option Explicit"};
    for (int i = 0; i < 20; ++i) {
        lines.insert(lines.end(), {"Sub R" + std::to_string(i) + "()", "    x = 1", "End Sub"});
    }
    test::VbFixture local;
    auto& m = *local.Add("M", vbext_ct_StdModule, Vb(lines)).Code();
    m.BeginTransaction();
    for (int i = 0; i < 20; ++i) {
        const long body = m.ProcBodyLine("R" + std::to_string(i), 0);
        m.InsertLines(body + 1, "    On Error GoTo Error_Routine");
        m.DeleteLines(body + 2, 1);
    }
    const std::string edited = m.Lines(1, m.CountOfLines());
    m.CommitTransaction();
    EXPECT_EQ(m.Lines(1, m.CountOfLines()), edited);
    EXPECT_EQ(m.ProcBodyLine("R19", 0), 59);

    m.BeginTransaction();
    m.InsertLines(3, "    y = 2");
    m.DeleteLines(1, 1);
    m.CancelTransaction();
    EXPECT_EQ(m.Lines(1, m.CountOfLines()), edited);
    m.BeginTransaction();
    m.InsertLines(m.CountOfLines() + 1, "' end");
    m.CommitTransaction();
    EXPECT_EQ(m.Lines(1, m.CountOfLines()), edited + "\r\n' end");
}

// Lines foreseen for another place or another tab width than the ones they
// land at are tidied again, as a plain insert would.
TEST_F(Editing, ShapedLinesForeseenForAnotherPlaceOrWidthAreTidiedAgain) {
    test::VbFixture local;
    auto& m = *local.Add("M", vbext_ct_StdModule, Vb({"Sub A(a, _", "  b)", "End Sub"})).Code();
    const int width = local.Vbe().TabWidth();
    m.InsertShapedLines(9, "\tx = 1", {"x = 1"}, width);
    EXPECT_EQ(m.Lines(4, 1), TidyReceivedLine("\tx = 1", width, false)) << "past the end";
    m.InsertShapedLines(2, "10\ty", {"10 y"}, width + 3);
    EXPECT_EQ(m.Lines(2, 1), TidyReceivedLine("10\ty", width, true)) << "another width";
    m.InsertShapedLines(1, "Here:  ", {"Here:"}, width);
    EXPECT_EQ(m.Lines(1, 1), "Here:");
    EXPECT_EQ(m.CountOfLines(), 6);
}

// Shaped lines whose text is made on demand: the module that takes them as
// they are never asks for it; one that must tidy them again (another width)
// or make a plain insert asks once, and stores what the text gives.
TEST_F(Editing, ShapedLinesTakenAsTheyAreNeedNoText) {
    test::VbFixture local;
    auto& m = *local.Add("M", vbext_ct_StdModule, Vb({"Sub A()", "  x = 1", "End Sub"})).Code();
    const int width = local.Vbe().TabWidth();
    int made = 0;
    const auto text = [&](std::string joined) {
        return std::function<std::string()>([&made, joined] {
            ++made;
            return joined;
        });
    };
    m.ReplaceShapedLines(2, 1, text("\ty = 2\r\n\tz = 3"), {"    y = 2", "    z = 3"}, width);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(m.Lines(1, 4), "Sub A()\r\n    y = 2\r\n    z = 3\r\nEnd Sub");

    m.ReplaceShapedLines(2, 2, text("\tw = 4"), {"w = 4 (shaped for another width)"}, width + 3);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(m.Lines(2, 1), TidyReceivedLine("\tw = 4", width, false));
    m.ReplaceShapedLines(2, 0, text("v = 5"), {"v = 5"}, width);
    EXPECT_EQ(made, 2) << "no lines to replace: an insert";
    EXPECT_EQ(m.Lines(1, 4), "Sub A()\r\nv = 5\r\n" + TidyReceivedLine("\tw = 4", width, false) +
                                 "\r\nEnd Sub");
}

// Whether some lines hold a byte: the bytes between loaded lines (a hidden
// attribute line) do not count, lines in any order are searched whole, and
// an edit is seen.
TEST(LineStore, AnyHoldsSearchesTheLinesAlone) {
    auto file = std::make_shared<const std::string>(
        "Sub A()\r\nAttribute A.VB_Description = \"#1\"\r\n    x = 1\r\n    #If B Then\r\nEnd Sub");
    const auto at = [&](std::string_view line) {
        return std::string_view(file->data() + file->find(line), line.size());
    };
    const std::vector<std::string_view> views{at("Sub A()"), at("    x = 1"),
                                              at("    #If B Then"), at("End Sub")};
    memory::LineStore store;
    store.Assign(file, views);
    ASSERT_TRUE(store.Packed());
    EXPECT_FALSE(store.AnyHolds(0, 2, '#')) << "the hidden line between them holds it";
    EXPECT_TRUE(store.AnyHolds(0, 3, '#'));
    EXPECT_TRUE(store.AnyHolds(2, 1, '#'));
    EXPECT_FALSE(store.AnyHolds(3, 1, '#'));
    EXPECT_FALSE(store.AnyHolds(2, 0, '#'));

    // Lines out of the file's order are not the run of bytes from the first
    // to the last.
    auto plain = std::make_shared<const std::string>("Sub A()\r\n    x = 1\r\n    #If B\r\n");
    memory::LineStore reordered;
    reordered.Assign(plain, {{plain->data(), 7}, {plain->data() + 20, 9}, {plain->data() + 9, 9}});
    ASSERT_TRUE(reordered.Packed());
    ASSERT_EQ(reordered.Line(1), "    #If B");
    EXPECT_TRUE(reordered.AnyHolds(0, 3, '#'));
    EXPECT_FALSE(reordered.AnyHolds(0, 1, '#'));

    store.Insert(1, {"' #2"});
    EXPECT_TRUE(store.AnyHolds(0, 2, '#'));
    store.Erase(1, 1);
    EXPECT_FALSE(store.AnyHolds(0, 2, '#'));
    EXPECT_TRUE(store.AnyHolds(1, 2, '#'));

    // Packed again after edits, with a line written since in the store's own
    // buffer: that line is not a place in the file.
    store.Insert(0, {"' #3"});
    store.Compact();
    ASSERT_TRUE(store.Packed());
    EXPECT_TRUE(store.AnyHolds(0, 1, '#'));
    EXPECT_FALSE(store.AnyHolds(1, 2, '#'));
}

// The full reading of the text, for comparison with the index that edits keep.
std::vector<std::tuple<std::string, long, long, long>> Snapshot(memory::MemoryCodeModule& m) {
    std::vector<std::tuple<std::string, long, long, long>> out;
    const auto& procs = m.Index().Procs();
    for (size_t i = 0; i < procs.size(); ++i) {
        std::string name = procs[i].name + "/" + std::to_string(procs[i].kind);
        for (long alternative : procs[i].alternatives) name += "," + std::to_string(alternative);
        name += procs[i].closed ? "/closed@" + std::to_string(procs[i].declEnd) : "/open";
        out.emplace_back(name, m.Index().StartLine(i), procs[i].body,
                         m.Index().CountLines(i, m.CountOfLines()));
    }
    out.emplace_back("(declarations)", m.CountOfDeclarationLines(), 0, 0);
    return out;
}

TEST_F(Editing, IndexKeptByEditsEqualsAFreshReading) {
    const std::vector<std::string> pieces = {
        "Sub P()", "End Sub", "Function F() As Long", "End Function", "' note", "",
        "    x = 1", "Dim v As Long", "Public Property Get Q() As Long", "End Property",
        "Private Sub C(a, _", "    b)", "#If X Then", "#End If", "' cont _", "Sub Z()",
        "#Else", "Sub P(ByVal q As Long)", "Sub One(): End Sub", "#ElseIf Y Then"};
    std::mt19937 random(12345);
    auto pick = [&] { return pieces[random() % pieces.size()]; };
    for (int round = 0; round < 40; ++round) {
        test::VbFixture local;
        std::vector<std::string> start;
        for (int i = 0; i < 30; ++i) start.push_back(pick());
        auto& edited = *local.Add("M", vbext_ct_StdModule, Vb(start)).Code();
        for (int step = 0; step < 25; ++step) {
            const long n = edited.CountOfLines();
            const unsigned kind = random() % 5;
            // Lines shaped ahead (as a command lays out a routine's new
            // lines) put in place of others in one edit.
            auto replaceShaped = [&](long at, long count) {
                std::vector<std::string> texts;
                for (unsigned k = 1 + random() % 4; k > 0; --k) texts.push_back(pick());
                std::string text;
                for (size_t k = 0; k < texts.size(); ++k) text += (k == 0 ? "" : "\r\n") + texts[k];
                if (text.empty()) return;  // callers insert " " for one empty line
                const std::vector<std::string_view> shaped(texts.begin(), texts.end());
                edited.ReplaceShapedLines(at, count, text, shaped, local.Vbe().TabWidth());
                ASSERT_EQ(edited.Lines(at, static_cast<long>(texts.size())), text);
            };
            if (n > 0 && kind == 4) {
                const long at = 1 + static_cast<long>(random() % static_cast<unsigned>(n));
                replaceShaped(at, std::min(n - at + 1, 1 + static_cast<long>(random() % 5)));
            } else if (n > 0 && kind == 3) {
                // Some lines put in place of others, as an undo or a fix
                // put back does.
                const long from = 1 + static_cast<long>(random() % static_cast<unsigned>(n));
                const long taken = std::min(n - from + 1, 1 + static_cast<long>(random() % 6));
                const memory::LineSnapshot lines = edited.LinesPart(from, taken);
                const long at = 1 + static_cast<long>(random() % static_cast<unsigned>(n));
                const long replaced = std::min(n - at + 1, static_cast<long>(random() % 6));
                edited.RestorePart(at, replaced, lines, edited.AllHiddenAttributes(), 0);
            } else if (n > 0 && kind == 2) {
                // A group of edits cancelled leaves the lines as they were.
                const std::string before = edited.Lines(1, n);
                edited.BeginTransaction();
                edited.InsertLines(1 + static_cast<long>(random() % static_cast<unsigned>(n)),
                                   pick() + "\r\n" + pick());
                edited.DeleteLines(1 + static_cast<long>(random() % static_cast<unsigned>(n)));
                edited.InsertLines(1, pick());
                replaceShaped(1, 1);
                edited.CancelTransaction();
                ASSERT_EQ(edited.Lines(1, edited.CountOfLines()), before);
            } else if (n > 0 && kind == 1) {
                const long at = 1 + static_cast<long>(random() % static_cast<unsigned>(n));
                const long count = 1 + static_cast<long>(random() % 3);
                if (at + count - 1 <= n) edited.DeleteLines(at, count);
            } else {
                const long at = 1 + static_cast<long>(random() % static_cast<unsigned>(n + 1));
                edited.InsertLines(at, pick() + "\r\n" + pick());
            }
            auto& fresh = *local.Add("F" + std::to_string(round * 100 + step),
                                     vbext_ct_StdModule, edited.Lines(1, edited.CountOfLines()))
                               .Code();
            ASSERT_EQ(Snapshot(edited), Snapshot(fresh))
                << "round " << round << " step " << step << "\n"
                << edited.Lines(1, edited.CountOfLines());
        }
    }
}

TEST_F(Editing, LinesPutIntoRoutinesReadAsTheWholeTextReads) {
    // Lines that only move the procedures below them (a handler's), and
    // lines that look so but are read with the line above or below them.
    const std::vector<std::string> module = {
        "Option Explicit",            // 1
        "Sub A()",                    // 2
        "    x = 1",                  // 3
        "End Sub",                    // 4
        "Sub Open1()",                // 5  never closed
        "    y = 1",                  // 6
        "Private Sub C(a, _",         // 7
        "    b)",                     // 8
        "#If Win64 Then",             // 9
        "Function F() As LongPtr",    // 10
        "#Else",                      // 11
        "Function F() As Long",       // 12
        "#End If",                    // 13
        "    F = 1",                  // 14
        "End Function",               // 15
        "' tail",                     // 16
        "Sub Last()",                 // 17 never closed, the last
        "    z = 1"};                 // 18
    const std::vector<std::string> plain = {"On Error GoTo Fail", "", "' note _",
                                            "    continued", "Fail:", "    Exit Sub"};
    const std::vector<std::pair<long, std::vector<std::string>>> cases = {
        {3, plain},  {4, plain},  {5, plain},  {6, plain},  {7, plain},  {8, plain},
        {10, plain}, {11, plain}, {12, plain}, {14, plain}, {16, plain}, {17, plain},
        {18, plain}, {19, plain}, {2, plain},  {1, plain},
        // The last line continues: the closing line below it no longer closes.
        {4, {"    x = 2 _"}},
        // A comment that continues takes the declaration below it.
        {17, {"' see below _"}},
        // Below a line that continues: part of the declaration.
        {8, {"    c)"}},
        // A closing line of its own, and a directive.
        {6, {"End Sub"}},
        {14, {"#If X Then", "#End If"}},
    };
    int k = 0;
    for (const auto& [at, lines] : cases) {
        auto& edited = *fx.Add("M" + std::to_string(k), vbext_ct_StdModule, Vb(module)).Code();
        edited.Index();  // kept by the edit from here on
        edited.InsertLines(at, Vb(lines));
        auto& fresh = *fx.Add("F" + std::to_string(k++), vbext_ct_StdModule,
                              edited.Lines(1, edited.CountOfLines()))
                           .Code();
        EXPECT_EQ(Snapshot(edited), Snapshot(fresh)) << "lines put in at " << at;
        // (A procedure never closed ends where the next one starts.)
        const auto ends = [](memory::MemoryCodeModule& m) {
            std::vector<long> out;
            for (const memory::ProcInfo& p : m.Index().Procs()) out.push_back(p.end);
            return out;
        };
        EXPECT_EQ(ends(edited), ends(fresh)) << "lines put in at " << at;
    }
}

TEST_F(Editing, BodyLinesReplacedOrDeletedReadAsTheWholeTextReads) {
    const std::vector<std::string> module = {
        "Sub G()",             // 1
        "    y = 2 _",         // 2
        "End Sub",             // 3  continues line 2: closes nothing
        "    z = 1",           // 4
        "End Sub",             // 5
        "#If A Then",          // 6
        "Sub H()",             // 7
        "#Else",               // 8
        "Sub H()",             // 9
        "#End If",             // 10
        "    x = 1",           // 11
        "    x = 2",           // 12
        "End Sub",             // 13
        "Sub Open1()",         // 14 never closed
        "    w = 1",           // 15
        "Sub K()",             // 16
        "    v = 1",           // 17
        "    v = 2",           // 18
        "End Sub"};            // 19
    struct Edit {
        long at;
        long count;                      // lines taken out
        std::vector<std::string> lines;  // put in their place (none: deleted)
    };
    const std::vector<Edit> edits = {
        {17, 2, {"10  v = 1", "20  v = 2"}},  // numbered in place
        {17, 1, {}},
        {18, 1, {"    v = 2", "    v = 3", "' note"}},
        // The line below no longer continues one: it closes the routine.
        {2, 1, {"    y = 2"}},
        {4, 1, {"    z = 1 _"}},
        {11, 2, {"    x = 3"}},  // a routine declared in alternatives
        {15, 1, {"    w = 2"}},  // one never closed
        {17, 2, {"End Sub", "Sub L()"}},
        {17, 1, {"#If B Then"}},
    };
    int k = 0;
    for (const Edit& edit : edits) {
        auto& edited = *fx.Add("R" + std::to_string(k), vbext_ct_StdModule, Vb(module)).Code();
        edited.Index();
        if (edit.lines.empty()) {
            edited.DeleteLines(edit.at, edit.count);
        } else {
            const std::vector<std::string_view> shaped(edit.lines.begin(), edit.lines.end());
            edited.ReplaceShapedLines(edit.at, edit.count, Vb(edit.lines), shaped,
                                      fx.Vbe().TabWidth());
        }
        auto& fresh = *fx.Add("S" + std::to_string(k++), vbext_ct_StdModule,
                              edited.Lines(1, edited.CountOfLines()))
                           .Code();
        EXPECT_EQ(Snapshot(edited), Snapshot(fresh)) << "lines replaced at " << edit.at;
    }
}

// Where every routine of the module stands, as the host answers.
std::vector<std::tuple<long, long, long>> Places(memory::MemoryCodeModule& m, int routines) {
    std::vector<std::tuple<long, long, long>> out;
    for (int i = 0; i < routines; ++i) {
        const std::string name = "R" + std::to_string(i);
        out.emplace_back(m.ProcStartLine(name, 0), m.ProcBodyLine(name, 0),
                         m.ProcCountLines(name, 0));
    }
    return out;
}

TEST_F(Editing, RunsDownAndUpAModuleKeepEveryRoutineInPlace) {
    // Module commands edit routine after routine, down the module or up it;
    // the moves they leave below each edit must add up exactly.
    std::vector<std::string> lines = {"Option Explicit", "Dim v As Long"};
    const int routines = 60;
    for (int i = 0; i < routines; ++i) {
        lines.insert(lines.end(), {"' R" + std::to_string(i), "Sub R" + std::to_string(i) + "(a, _",
                                   "    b)", "    x = 1", "End Sub", ""});
    }
    for (bool down : {true, false}) {
        test::VbFixture local;
        auto& m = *local.Add("M", vbext_ct_StdModule, Vb(lines)).Code();
        for (int k = 0; k < routines; ++k) {
            const int i = down ? k : routines - 1 - k;
            const std::string name = "R" + std::to_string(i);
            const long body = m.ProcBodyLine(name, 0);
            m.InsertLines(body + 2, "    On Error GoTo Error_Routine\r\n");
            m.DeleteLines(body + 4, 1);  // x = 1
            m.InsertLines(m.ProcStartLine(name, 0) + m.ProcCountLines(name, 0) - 2,
                          "Exit_Routine:\r\n    Exit Sub");
            auto& fresh = *local.Add("F" + std::to_string(down) + "_" + std::to_string(k),
                                     vbext_ct_StdModule, m.Lines(1, m.CountOfLines()))
                               .Code();
            ASSERT_EQ(Places(m, routines), Places(fresh, routines)) << "after routine " << i;
            ASSERT_EQ(m.Members().Item(name).CodeLocation(), m.ProcBodyLine(name, 0));
        }
    }
}

}  // namespace
}  // namespace qv::host
