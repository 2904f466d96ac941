// What saving promises on every system, Windows included (these run under
// Wine too): a file another program changed after it was read is not
// overwritten, a read-only file and a file with several names are refused
// with nothing written, and names beyond ASCII are read and written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/temp_files.h"
#include "host/files/vb_path.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/services.h"
#include "platform/unicode_text.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;
using host::files::AtomicWriteBatch;
using host::files::FileError;
using host::files::PendingChanges;
using host::files::ReadWholeFile;
using host::files::WriteChanges;
using host::files::WriteStep;

const std::string kModule = Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"});

std::string FileMessage(const std::function<void()>& write) {
    try {
        write();
    } catch (const FileError& e) {
        return e.what();
    }
    return "nothing refused";
}

// Saves the workspace after one line is added to module a.
void AddLineAndSave(const std::string& path) {
    LoadedFiles loaded = Load({path});
    loaded.Code("a").InsertLines(2, "    Beep");
    WriteChanges(PendingChanges(*loaded.workspace));
}

// The other program: it writes its own text into the file at one step.
std::string g_editedPath;
WriteStep g_editAt = WriteStep::Staged;
void EditAtStep(WriteStep step, const std::string&) {
    if (step != g_editAt) return;
    std::ofstream out(file::NativePath(g_editedPath), std::ios::binary | std::ios::trunc);
    out << "' changed by another program\r\n";
}

class FileSafety : public ::testing::Test {
  protected:
    void TearDown() override { host::files::SetWriteStepHook(nullptr); }
    TempFolder folder;
};

TEST_F(FileSafety, AFileChangedByAnotherProgramIsNotOverwritten) {
    for (const WriteStep step : {WriteStep::Staged, WriteStep::Flushed, WriteStep::Checked,
                                 WriteStep::BeforeReplace}) {
        folder.Write("a.bas", kModule);
        g_editedPath = folder.File("a.bas");
        g_editAt = step;
        host::files::SetWriteStepHook(EditAtStep);
        const std::string message = FileMessage([&] { AddLineAndSave(folder.File("a.bas")); });
        host::files::SetWriteStepHook(nullptr);
        EXPECT_NE(message.find("changed by another program"), std::string::npos)
            << "step " << static_cast<int>(step) << ": " << message;
        EXPECT_EQ(folder.Read("a.bas"), "' changed by another program\r\n");
        EXPECT_EQ(Snapshot(folder).size(), 1u) << "no temporary file is left behind";
    }
}

TEST_F(FileSafety, AnUnchangedFileIsReplacedWhole) {
    folder.Write("a.bas", kModule);
    AddLineAndSave(folder.File("a.bas"));
    EXPECT_EQ(folder.Read("a.bas"),
              Joined({"Attribute VB_Name = \"a\"", "Sub A()", "    Beep", "End Sub"}));
    EXPECT_EQ(Snapshot(folder).size(), 1u);
}

TEST_F(FileSafety, AReadOnlyFileIsRefused) {
    folder.Write("a.bas", kModule);
    fs::permissions(folder.Path() / "a.bas",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(file::IsReadOnlyFile(folder.File("a.bas")));
    HeadlessServices system;
    EXPECT_TRUE(system.FileIsReadOnly(folder.File("a.bas")));
    const std::string message = FileMessage([&] { AddLineAndSave(folder.File("a.bas")); });
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_EQ(folder.Read("a.bas"), kModule);
    EXPECT_EQ(Snapshot(folder).size(), 1u);
}

TEST_F(FileSafety, AFileWithTwoNamesIsRefusedAndKeepsThem) {
    folder.Write("a.bas", kModule);
    fs::create_hard_link(folder.Path() / "a.bas", folder.Path() / "other name.bas");
    EXPECT_NE(host::files::HardLinkProblem(folder.File("a.bas")).find("2 names"), std::string::npos);
    AtomicWriteBatch batch;
    const std::string message = FileMessage([&] { batch.Stage(folder.File("a.bas"), "new"); });
    EXPECT_NE(message.find("hard links"), std::string::npos) << message;
    EXPECT_EQ(folder.Read("a.bas"), kModule);
    EXPECT_EQ(folder.Read("other name.bas"), kModule);
    EXPECT_FALSE(host::files::HardLinkProblem(folder.File("other name.bas")).empty());
    EXPECT_EQ(host::files::FileIdentity(folder.File("a.bas")),
              host::files::FileIdentity(folder.File("other name.bas")));
}

TEST_F(FileSafety, NamesBeyondAsciiAreReadAndWritten) {
    for (const std::string name : {"Módulo.bas", "問題.bas", "Ünïcødé folder/Ça va.bas"}) {
        folder.Write(name, kModule);
        const std::string path = folder.File(name);
        EXPECT_EQ(*ReadWholeFile(path), kModule) << name;
        AddLineAndSave(path);
        EXPECT_EQ(folder.Read(name),
                  Joined({"Attribute VB_Name = \"a\"", "Sub A()", "    Beep", "End Sub"}))
            << name;
    }
    // A project names its files in any case; the one on disk is found.
    const auto found = host::files::ResolveVbPath(file::Utf8Path(folder.Path()), "MÓDULO.BAS",
                                                  text::CodePage::Utf8());
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(file::NativePath(*found).filename(), file::NativePath("Módulo.bas"));
}

TEST_F(FileSafety, ATemporaryNameShortensALongNameBetweenCharacters) {
    for (const std::string start : {"", "a", "ab"}) {
        std::string name = start;
        for (int i = 0; i < 120; ++i) name += "é";
        const std::string temp =
            host::files::TempFileTemplate(file::Utf8Path(folder.Path() / file::NativePath(name)));
        const std::string tempName = file::Utf8Path(file::NativePath(temp).filename());
        EXPECT_TRUE(text::IsValidUtf8(tempName)) << tempName;
        EXPECT_LE(tempName.size(), 255u);
        EXPECT_EQ(tempName.rfind("." + start + "é", 0), 0u) << tempName;
    }
}

TEST_F(FileSafety, OnlyRegularFilesAreRead) {
    fs::create_directory(folder.Path() / "Form1.frm");
    const std::string message =
        FileMessage([&] { ReadWholeFile(folder.File("Form1.frm")); });
    EXPECT_NE(message.find("it is a folder, not a regular file"), std::string::npos) << message;
    EXPECT_NE(FileMessage([&] { ReadWholeFile(folder.File("missing.bas")); })
                  .find("does not exist"),
              std::string::npos);
}

}  // namespace
}  // namespace qv::test
