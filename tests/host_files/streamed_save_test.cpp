// The save that renders and writes one module at a time (for a run that
// saves once, at its end) writes what the save of the whole batch writes,
// refuses what it refuses in the same order, and leaves no temporary file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/files/file_error.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"

namespace qv::test {
namespace {

using host::files::FileChange;
using host::files::FileError;
using host::files::PendingChanges;
using host::files::WriteChanges;
using host::files::WritePendingChanges;

enum class Save { Batch, Streamed };

// The folder's files by their names in it, with their bytes.
std::vector<std::pair<std::string, std::string>> Files(const TempFolder& folder) {
    auto files = Snapshot(folder);
    for (auto& [path, bytes] : files) path = path.substr(folder.Path().string().size());
    return files;
}

// The message of the refusal, or "" when the save went through.
std::string SaveAll(LoadedFiles& loaded, Save how, std::vector<FileChange>* found = nullptr) {
    std::vector<FileChange> changes;
    try {
        if (how == Save::Batch) {
            changes = PendingChanges(*loaded.workspace);
            WriteChanges(changes);
        } else {
            WritePendingChanges(*loaded.workspace, changes);
        }
    } catch (const FileError& e) {
        if (found != nullptr) *found = std::move(changes);
        return e.what();
    }
    if (found != nullptr) *found = std::move(changes);
    return {};
}

std::string Module(const std::string& name, int n) {
    return Joined({"Attribute VB_Name = \"" + name + "\"", "Sub S" + std::to_string(n) + "()",
                   "End Sub"});
}

// A folder of count modules m0 .. m(count-1); the even ones get a line.
void WriteModules(TempFolder& folder, int count) {
    for (int i = 0; i < count; ++i) {
        folder.Write("m" + std::to_string(i) + ".bas", Module("m" + std::to_string(i), i));
    }
}

LoadedFiles LoadModules(TempFolder& folder, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.push_back(folder.File("m" + std::to_string(i) + ".bas"));
    return Load(paths);
}

// project: the project of the folder's loose module files.
void EditEven(LoadedFiles& loaded, int count, long project = 1) {
    for (int i = 0; i < count; i += 2) {
        loaded.Code("m" + std::to_string(i), project)
            .InsertLines(2, "    Beep " + std::to_string(i));
    }
}

TEST(StreamedSave, WritesWhatTheBatchWrites) {
    // Few files are flushed one by one, many with one sync of the file
    // system; the old texts of many are removed while the next are replaced.
    for (const int count : {3, 40}) {
        SCOPED_TRACE(count);
        TempFolder batch;
        TempFolder streamed;
        WriteModules(batch, count);
        WriteModules(streamed, count);
        LoadedFiles a = LoadModules(batch, count);
        LoadedFiles b = LoadModules(streamed, count);
        EditEven(a, count);
        EditEven(b, count);
        std::vector<FileChange> changes;
        ASSERT_EQ(SaveAll(a, Save::Batch), "");
        ASSERT_EQ(SaveAll(b, Save::Streamed, &changes), "");
        EXPECT_EQ(Files(streamed), Files(batch));  // no temporary file either
        ASSERT_EQ(changes.size(), static_cast<size_t>((count + 1) / 2));
        EXPECT_EQ(changes[1].file->path, streamed.File("m2.bas"));
        EXPECT_TRUE(changes[1].newBytes.empty()) << "the new text is not held";
        EXPECT_NE(streamed.Read("m2.bas").find("Beep 2"), std::string::npos);
    }
}

TEST(StreamedSave, RefusalsComeInTheOrderOfTheBatch) {
    struct Case {
        const char* what;
        void (*spoil)(TempFolder&, LoadedFiles&);
    };
    const Case cases[] = {
        // A module that could not be read again comes before a read-only one.
        {"unreadable after read-only",
         [](TempFolder& folder, LoadedFiles& loaded) {
             ::chmod(folder.File("m0.bas").c_str(), 0444);
             loaded.Code("m4", 2).InsertLines(2, std::string("    x = \"") + '\0' + "\"");
         }},
        // A read-only module comes before a file that cannot be staged (its
        // folder went away), even when that file comes first.
        {"read-only after unstageable",
         [](TempFolder& folder, LoadedFiles&) {
             std::filesystem::rename(folder.Path() / "sub", folder.Path() / "moved");
             ::chmod(folder.File("m2.bas").c_str(), 0444);
         }},
        // A file that cannot be staged, alone.
        {"unstageable only",
         [](TempFolder& folder, LoadedFiles&) {
             std::filesystem::rename(folder.Path() / "sub", folder.Path() / "moved");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string messages[2];
        std::vector<std::pair<std::string, std::string>> after[2];
        for (const Save how : {Save::Batch, Save::Streamed}) {
            TempFolder folder;
            WriteModules(folder, 6);
            folder.Write("sub/first.bas", Module("first", 9));
            std::vector<std::string> paths = {folder.File("sub/first.bas")};
            for (int i = 0; i < 6; ++i) paths.push_back(folder.File("m" + std::to_string(i) + ".bas"));
            LoadedFiles loaded = Load(paths);
            // Each folder's loose modules are a project: sub's first.
            loaded.Code("first").InsertLines(2, "    Beep");
            EditEven(loaded, 6, 2);
            c.spoil(folder, loaded);
            const auto before = Snapshot(folder);
            std::string message = SaveAll(loaded, how);
            // The folders differ: the message names the file in its folder.
            const std::string root = folder.Path().string();
            for (size_t at; (at = message.find(root)) != std::string::npos;) {
                message.replace(at, root.size(), "<folder>");
            }
            messages[how == Save::Streamed] = message;
            after[how == Save::Streamed] = Snapshot(folder);
            EXPECT_EQ(after[how == Save::Streamed], before) << "nothing written, nothing left";
            ::chmod(folder.File("m0.bas").c_str(), 0644);
            ::chmod(folder.File("m2.bas").c_str(), 0644);
        }
        EXPECT_NE(messages[0], "");
        EXPECT_EQ(messages[1], messages[0]);
    }
}

TEST(StreamedSave, ChangesAreKnownWhenTheWriteIsRefused) {
    TempFolder folder;
    WriteModules(folder, 4);
    ::chmod(folder.File("m2.bas").c_str(), 0444);
    LoadedFiles loaded = LoadModules(folder, 4);
    EditEven(loaded, 4);
    std::vector<FileChange> changes;
    EXPECT_NE(SaveAll(loaded, Save::Streamed, &changes).find("read-only"), std::string::npos);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[0].readOnly);
    EXPECT_TRUE(changes[1].readOnly);
    ::chmod(folder.File("m2.bas").c_str(), 0644);
}

TEST(StreamedSave, ModuleSharedByTwoProjectsOfAGroup) {
    TempFolder folder;
    const std::string group = WriteGroupSharingAModule(folder);
    const std::string original = folder.Read("shared/util.bas");
    {
        LoadedFiles loaded = Load({group});
        loaded.Code("util", 1).InsertLines(2, "    Beep");
        loaded.Code("util", 2).InsertLines(2, "    Beep");
        loaded.Code("util", 2).InsertLines(2, "    Stop");
        EXPECT_NE(SaveAll(loaded, Save::Streamed).find("changed differently"), std::string::npos);
        EXPECT_EQ(folder.Read("shared/util.bas"), original);
    }
    LoadedFiles loaded = Load({group});
    loaded.Code("util", 1).InsertLines(2, "    Beep");
    loaded.Code("util", 2).InsertLines(2, "    Beep");
    std::vector<FileChange> changes;
    ASSERT_EQ(SaveAll(loaded, Save::Streamed, &changes), "");
    EXPECT_EQ(changes.size(), 1u);  // the same change once
    EXPECT_EQ(folder.Read("shared/util.bas"),
              Joined({"Attribute VB_Name = \"util\"", "Sub U()", "    Beep", "End Sub"}));
}

}  // namespace
}  // namespace qv::test
