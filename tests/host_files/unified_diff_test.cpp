#include <gtest/gtest.h>

#include "host/files/diff_label.h"
#include "host/files/unified_diff.h"

namespace qv::host::files {
namespace {

std::string Numbered(int from, int to, const std::string& ending = "\r\n") {
    std::string text;
    for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + ending;
    return text;
}

// Names in the header as git writes them: nothing can steer a terminal or
// end the header line, and patch reads the name back.
TEST(UnifiedDiff, NamesInTheHeaderAreQuotedAsGitQuotesThem) {
    EXPECT_EQ(DiffLabel("a/", "modMain.bas"), "a/modMain.bas");
    EXPECT_EQ(DiffLabel("", "/abs/path/x.bas"), "/abs/path/x.bas");
    EXPECT_EQ(DiffLabel("a/", "my module.bas"), "a/my module.bas\t");
    EXPECT_EQ(DiffLabel("b/", "mod\x1b[31m\nx.bas"), "\"b/mod\\033[31m\\nx.bas\"");
    EXPECT_EQ(DiffLabel("a/", std::string("\a\b\t\v\f\r\x7f", 7)),
              "\"a/\\a\\b\\t\\v\\f\\r\\177\"");
    EXPECT_EQ(DiffLabel("a/", "say \"hi\"\\.bas"), "\"a/say \\\"hi\\\"\\\\.bas\"\t");
    EXPECT_EQ(DiffLabel("a/", "caf\xc3\xa9.bas"), "\"a/caf\\303\\251.bas\"");
}

TEST(UnifiedDiff, EqualTextsGiveNothing) {
    EXPECT_EQ(UnifiedDiff("a\r\n", "a\r\n", "a", "b"), "");
}

TEST(UnifiedDiff, HunksWithThreeLinesOfContext) {
    std::string changed = Numbered(1, 20);
    changed.replace(changed.find("line 5\r\n"), 8, "line five\r\n");
    changed.replace(changed.find("line 17\r\n"), 9, "");
    // The lines keep their CR LF, so that the diff applies to the file.
    EXPECT_EQ(UnifiedDiff(Numbered(1, 20), changed, "a/m.bas", "b/m.bas"),
              "--- a/m.bas\n+++ b/m.bas\n"
              "@@ -2,7 +2,7 @@\n line 2\r\n line 3\r\n line 4\r\n-line 5\r\n+line five\r\n"
              " line 6\r\n line 7\r\n line 8\r\n"
              "@@ -14,7 +14,6 @@\n line 14\r\n line 15\r\n line 16\r\n-line 17\r\n line 18\r\n"
              " line 19\r\n line 20\r\n");
}

TEST(UnifiedDiff, NearChangesShareAHunkAndInsertionsAtTheStart) {
    std::string changed = "new\n" + Numbered(1, 10, "\n");
    changed.replace(changed.find("line 6\n"), 7, "line six\n");
    EXPECT_EQ(UnifiedDiff(Numbered(1, 10, "\n"), changed, "a", "b"),
              "--- a\n+++ b\n@@ -1,9 +1,10 @@\n+new\n line 1\n line 2\n line 3\n line 4\n line 5\n"
              "-line 6\n+line six\n line 7\n line 8\n line 9\n");
    EXPECT_EQ(UnifiedDiff("", "x\n", "a", "b"), "--- a\n+++ b\n@@ -0,0 +1 @@\n+x\n");
}

TEST(UnifiedDiff, MissingFinalBreakIsMarked) {
    EXPECT_EQ(UnifiedDiff("a\nb", "a\nc", "a", "b"),
              "--- a\n+++ b\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n"
              "\\ No newline at end of file\n");
    EXPECT_EQ(UnifiedDiff("a\nb", "a\nb\n", "a", "b"),
              "--- a\n+++ b\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
}

TEST(UnifiedDiff, LargeRewritesStayCorrect) {
    // Every other line changed in a long file: the diff must account for
    // every line of both sides.
    std::string a, b;
    for (int i = 0; i < 4000; ++i) {
        a += "x" + std::to_string(i) + "\n";
        b += (i % 2 ? "y" : "x") + std::to_string(i) + "\n";
    }
    const std::string diff = UnifiedDiff(a, b, "a", "b");
    long minus = 0, plus = 0, same = 0;
    size_t at = diff.find("@@");
    while (at < diff.size()) {
        const size_t end = diff.find('\n', at);
        const char c = diff[at];
        if (c == '-')
            ++minus;
        else if (c == '+')
            ++plus;
        else if (c == ' ')
            ++same;
        at = end + 1;
    }
    EXPECT_EQ(minus, 2000);
    EXPECT_EQ(plus, 2000);
    EXPECT_EQ(same, 2000);
}

// The new text the diff's hunks make of the old one (LF line ends).
std::string Patched(const std::string& old, const std::string& diff) {
    std::vector<std::string> lines, out;
    for (size_t at = 0; at < old.size();) {
        const size_t end = old.find('\n', at);
        lines.push_back(old.substr(at, end - at));
        at = end + 1;
    }
    size_t next = 0;  // the next old line not yet copied
    size_t at = diff.find("@@");
    while (at < diff.size()) {
        const size_t end = diff.find('\n', at);
        const std::string line = diff.substr(at, end - at);
        at = end + 1;
        if (line.rfind("@@", 0) == 0) {
            const size_t oldStart = std::stoul(line.substr(4));
            const size_t until = oldStart == 0 ? 0 : oldStart - 1;
            while (next < until) out.push_back(lines[next++]);
        } else if (line[0] == ' ' || line[0] == '-') {
            EXPECT_EQ(line.substr(1), lines[next]) << "the hunk matches the old text";
            if (line[0] == ' ') out.push_back(lines[next]);
            ++next;
        } else if (line[0] == '+') {
            out.push_back(line.substr(1));
        }
    }
    while (next < lines.size()) out.push_back(lines[next++]);
    std::string text;
    for (const std::string& l : out) text += l + "\n";
    return text;
}

TEST(UnifiedDiff, EditsAllOverALargeTextApplyToTheNewText) {
    // Lines that repeat (End Sub, blank) and lines that stand once (the
    // declarations): a run that changes every routine of a large module.
    std::string a, b;
    for (int i = 0; i < 3000; ++i) {
        const std::string name = "Sub R" + std::to_string(i) + "()\n";
        a += name + "    x = 1\nEnd Sub\n\n";
        b += name + (i % 3 ? "    On Error GoTo E\n    x = 1\n" : "") +
             (i % 5 ? "End Sub\n\n" : "    y = 2\nEnd Sub\n\n");
    }
    const std::string diff = UnifiedDiff(a, b, "a", "b");
    EXPECT_EQ(Patched(a, diff), b);
    // Without any line that stands once, the diff is still right.
    std::string same, other;
    for (int i = 0; i < 3000; ++i) {
        same += i % 2 ? "x\n" : "y\n";
        other += i % 3 ? "x\n" : "y\n";
    }
    EXPECT_EQ(Patched(same, UnifiedDiff(same, other, "a", "b")), other);
}

}  // namespace
}  // namespace qv::host::files
