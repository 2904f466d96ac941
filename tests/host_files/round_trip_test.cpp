// Loading and writing back without edits leaves every byte as it was, for
// every module kind, line ending, final-line-break state and code page.

#include <gtest/gtest.h>

#include "host/files/module_writer.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"
#include "host_files/module_texts.h"

namespace qv::test {
namespace {

struct Variant {
    const char* label;
    std::string ending;
    bool finalBreak;
    std::string bytes;  // characters of a code page
};

class RoundTrip : public ::testing::TestWithParam<Variant> {};

TEST_P(RoundTrip, EveryModuleKindStaysByteIdentical) {
    const Variant& v = GetParam();
    TempFolder folder;
    const std::vector<ModuleKind> kinds = EveryModuleKind();
    for (const ModuleKind& k : kinds) {
        std::vector<std::string> lines = k.header;
        for (const std::string& l : SampleCode(v.bytes)) lines.push_back(l);
        folder.Write(k.fileName, Joined(lines, v.ending, v.finalBreak));
    }
    folder.Write("Kinds.vbp", Joined(ProjectLines(kinds), v.ending, v.finalBreak));
    const auto before = Snapshot(folder);

    LoadedFiles loaded = Load({folder.File("Kinds.vbp")});
    ASSERT_EQ(loaded.Project().Components().Count(), static_cast<long>(kinds.size()));
    for (const ModuleKind& k : kinds) {
        SCOPED_TRACE(k.fileName);
        EXPECT_EQ(loaded.Component(k.name).Type(), k.type);
        host::memory::MemoryCodeModule& code = loaded.Code(k.name);
        // The code module is what follows the header, without hidden lines.
        EXPECT_EQ(code.Line(1), "Option Explicit");
        EXPECT_EQ(code.Line(2), "' Text in the project's code page: " + v.bytes);
        EXPECT_EQ(code.Line(4), "Private WithEvents mTimer As CTimer");
        EXPECT_EQ(code.Line(5), "Private mValue As Long");
        EXPECT_EQ(code.CountOfLines(), 25);
        EXPECT_EQ(code.Line(24), "\tmValue = mValue + 1   ");
        const host::files::ModuleFile& file = loaded.File(k.name);
        EXPECT_EQ(host::files::RenderModuleFile(file).bytes, folder.Read(k.fileName));
    }
    EXPECT_TRUE(host::files::PendingChanges(*loaded.workspace).empty());

    // An edit that is undone leaves the same bytes: nothing to write.
    host::memory::MemoryCodeModule& code = loaded.Code("CThing");
    code.InsertLines(3, "' passing through");
    code.DeleteLines(3, 1);
    const auto changes = host::files::PendingChanges(*loaded.workspace);
    EXPECT_TRUE(changes.empty());
    host::files::WriteChanges(changes);
    EXPECT_EQ(Snapshot(folder), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RoundTrip,
    ::testing::Values(Variant{"CrLf", "\r\n", true, "plain"},
                      Variant{"LfOnly", "\n", true, "plain"},
                      Variant{"NoFinalBreak", "\r\n", false, "plain"},
                      Variant{"LfNoFinalBreak", "\n", false, "plain"},
                      Variant{"Windows1252", "\r\n", true,
                              "Gr\xFC\xDF"
                              "e \x80 \x93quoted\x94"},
                      Variant{"Utf8", "\n", true,
                              "Gr\xC3\xBC\xC3\x9F"
                              "e \xE2\x82\xAC"},
                      // Shift-JIS and GBK characters whose trail byte is "\" or "_".
                      Variant{"ShiftJis", "\r\n", true, "\x95\x5C\x8E\xA6 \x83\x5C \x81\x5F"},
                      Variant{"Gbk", "\r\n", false, "\xD6\xD0\xCE\xC4 \x81\x5C \x81\x5F"}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(RoundTripFile, HeaderOnlyModuleWithoutFinalBreak) {
    TempFolder folder;
    folder.Write("m.bas", "Attribute VB_Name = \"m\"");
    LoadedFiles loaded = Load({folder.File("m.bas")});
    host::memory::MemoryCodeModule& code = loaded.Code("m");
    EXPECT_EQ(code.CountOfLines(), 0);
    EXPECT_EQ(host::files::RenderModuleFile(loaded.File("m")).bytes, "Attribute VB_Name = \"m\"");
    code.InsertLines(1, "Option Explicit");
    EXPECT_EQ(host::files::RenderModuleFile(loaded.File("m")).bytes,
              "Attribute VB_Name = \"m\"\r\nOption Explicit");
}

}  // namespace
}  // namespace qv::test
