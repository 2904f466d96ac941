// The save that renders and writes one module at a time (for a run that
// saves once, at its end), and the one that stages each module as a run
// finishes it and lets its code go, write what the save of the whole batch
// writes, refuse what it refuses in the same order, and leave no temporary
// file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/files/file_error.h"
#include "host/files/text_spill.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"

namespace qv::test {
namespace {

using host::files::FileChange;
using host::files::FileError;
using host::files::ModuleStaging;
using host::files::PendingChanges;
using host::files::WriteChanges;
using host::files::WritePendingChanges;

enum class Save { Batch, Streamed, Staged };
constexpr Save kSaves[] = {Save::Batch, Save::Streamed, Save::Staged};

// Stages every module as a run would once done with it, last file first
// (the order of the refusals is the files' own, whatever the run's), and
// lets the code go of those staged.
void StageAll(LoadedFiles& loaded, ModuleStaging& staging) {
    const auto& files = loaded.workspace->Files();
    for (auto f = files.rbegin(); f != files.rend(); ++f) {
        if (staging.Stage(**f)) (*f)->component->ReleaseCode();
    }
}

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
        } else if (how == Save::Staged) {
            ModuleStaging staging(*loaded.workspace);
            StageAll(loaded, staging);
            staging.Write(changes);
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
    for (const Save how : {Save::Streamed, Save::Staged}) {
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
            ASSERT_EQ(SaveAll(b, how, &changes), "");
            EXPECT_EQ(Files(streamed), Files(batch));  // no temporary file either
            ASSERT_EQ(changes.size(), static_cast<size_t>((count + 1) / 2));
            EXPECT_EQ(changes[1].file->path, streamed.File("m2.bas"));
            EXPECT_TRUE(changes[1].newBytes.empty()) << "the new text is not held";
            EXPECT_NE(streamed.Read("m2.bas").find("Beep 2"), std::string::npos);
        }
    }
}

TEST(StreamedSave, StagedModulesLetTheirCodeGoAndNothingIsWrittenWithoutWrite) {
    TempFolder folder;
    WriteModules(folder, 4);
    LoadedFiles loaded = LoadModules(folder, 4);
    EditEven(loaded, 4);
    const auto before = Snapshot(folder);
    {
        ModuleStaging staging(*loaded.workspace);
        StageAll(loaded, staging);
        // Changed or not, every module's code is gone; a later save has
        // nothing left to render.
        for (const auto& file : loaded.workspace->Files()) {
            EXPECT_EQ(file->component->Code(), nullptr);
        }
        EXPECT_TRUE(PendingChanges(*loaded.workspace).empty());
        EXPECT_NE(Snapshot(folder), before) << "the new texts wait in temporary files";
    }
    EXPECT_EQ(Snapshot(folder), before) << "a run that ends without saving writes nothing";
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
        // A file of several names comes before a read-only one after it
        // (a save that stages as it goes finds the names at the staging).
        {"several names before read-only",
         [](TempFolder& folder, LoadedFiles&) {
             ::link(folder.File("m0.bas").c_str(), folder.File("m0 again.bas").c_str());
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
        std::string messages[3];
        for (const Save how : kSaves) {
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
            messages[static_cast<int>(how)] = message;
            EXPECT_EQ(Snapshot(folder), before) << "nothing written, nothing left";
            ::chmod(folder.File("m0.bas").c_str(), 0644);
            ::chmod(folder.File("m2.bas").c_str(), 0644);
        }
        EXPECT_NE(messages[0], "");
        if (std::string(c.what).find("several names") != std::string::npos) {
            EXPECT_NE(messages[0].find("hard links"), std::string::npos) << messages[0];
        }
        EXPECT_EQ(messages[1], messages[0]);
        EXPECT_EQ(messages[2], messages[0]);
    }
}

TEST(StreamedSave, ChangesAreKnownWhenTheWriteIsRefused) {
    for (const Save how : {Save::Streamed, Save::Staged}) {
        TempFolder folder;
        WriteModules(folder, 4);
        ::chmod(folder.File("m2.bas").c_str(), 0444);
        LoadedFiles loaded = LoadModules(folder, 4);
        EditEven(loaded, 4);
        std::vector<FileChange> changes;
        EXPECT_NE(SaveAll(loaded, how, &changes).find("read-only"), std::string::npos);
        ASSERT_EQ(changes.size(), 2u);
        EXPECT_FALSE(changes[0].readOnly);
        EXPECT_TRUE(changes[1].readOnly);
        ::chmod(folder.File("m2.bas").c_str(), 0644);
    }
}

TEST(StreamedSave, ModuleSharedByTwoProjectsOfAGroup) {
    // A staged run leaves a shared module's copies to the save, which
    // compares them.
    for (const Save how : {Save::Streamed, Save::Staged}) {
        TempFolder folder;
        const std::string group = WriteGroupSharingAModule(folder);
        const std::string original = folder.Read("shared/util.bas");
        {
            LoadedFiles loaded = Load({group});
            loaded.Code("util", 1).InsertLines(2, "    Beep");
            loaded.Code("util", 2).InsertLines(2, "    Beep");
            loaded.Code("util", 2).InsertLines(2, "    Stop");
            EXPECT_NE(SaveAll(loaded, how).find("changed differently"), std::string::npos);
            EXPECT_EQ(folder.Read("shared/util.bas"), original);
        }
        LoadedFiles loaded = Load({group});
        loaded.Code("util", 1).InsertLines(2, "    Beep");
        loaded.Code("util", 2).InsertLines(2, "    Beep");
        std::vector<FileChange> changes;
        ASSERT_EQ(SaveAll(loaded, how, &changes), "");
        EXPECT_EQ(changes.size(), 1u);  // the same change once
        EXPECT_EQ(folder.Read("shared/util.bas"),
                  Joined({"Attribute VB_Name = \"util\"", "Sub U()", "    Beep", "End Sub"}));
    }
}

// One project's files are each their own file (its load lets none in
// twice), and a staging knows them by their paths; two of them made one
// file after the load, by a second name or a link, are still refused, and
// neither is written.
TEST(StreamedSave, TwoFilesOfAProjectMadeOneAfterTheLoadAreRefused) {
    for (const bool hardLink : {true, false}) {
        for (const Save how : kSaves) {
            SCOPED_TRACE(std::to_string(hardLink) + " " + std::to_string(static_cast<int>(how)));
            TempFolder folder;
            WriteModules(folder, 2);
            folder.Write("P.vbp", Joined({"Type=Exe", "Module=m0; m0.bas", "Module=m1; m1.bas"}));
            LoadedFiles loaded = Load({folder.File("P.vbp")});
            loaded.Code("m0").InsertLines(2, "    Beep");
            loaded.Code("m1").InsertLines(2, "    Stop");
            std::filesystem::remove(folder.Path() / "m1.bas");
            if (hardLink) {
                std::filesystem::create_hard_link(folder.Path() / "m0.bas", folder.Path() / "m1.bas");
            } else {
                std::filesystem::create_symlink("m0.bas", folder.Path() / "m1.bas");
            }
            const auto before = Snapshot(folder);
            EXPECT_NE(SaveAll(loaded, how), "");
            EXPECT_EQ(folder.Read("m0.bas"), Module("m0", 0));
            EXPECT_EQ(Snapshot(folder), before) << "nothing written, nothing left";
        }
    }
}

// A dry run's staging: each module's diff made as it is staged gives what
// diffing every change at the end gives, with the same refusals first, and
// writes nothing.
std::string Shown(const host::files::ModuleFile& file, const std::string& bytes) {
    return file.path + ":\n" + bytes;
}

// The diffs of every change, or the refusal; staged: through a staging.
std::string Previewed(LoadedFiles& loaded, bool staged) {
    std::string shown;
    try {
        if (staged) {
            ModuleStaging staging(*loaded.workspace, Shown);
            StageAll(loaded, staging);
            std::vector<FileChange> changes;
            std::vector<host::files::TextSpill::Piece> diffs;
            staging.Diffs(changes, diffs);
            EXPECT_EQ(diffs.size(), changes.size());
            for (const auto diff : diffs) shown += staging.DiffText(diff);
        } else {
            const std::vector<FileChange> changes = PendingChanges(*loaded.workspace);
            host::files::RefuseUnwritable(changes);
            for (const FileChange& change : changes) shown += Shown(*change.file, change.newBytes);
        }
    } catch (const FileError& e) {
        return std::string("refused: ") + e.what();
    }
    return shown;
}

TEST(StreamedSave, StagedPreviewShowsWhatTheBatchPreviewShows) {
    TempFolder folder;
    const std::string group = WriteGroupSharingAModule(folder);
    const auto before = Snapshot(folder);
    // The module both projects share is diffed at the end, the others as
    // they are staged.
    const auto edit = [](LoadedFiles& loaded) {
        loaded.Code("util", 1).InsertLines(2, "    Beep");
        loaded.Code("util", 2).InsertLines(2, "    Beep");
    };
    LoadedFiles batch = Load({group});
    LoadedFiles staged = Load({group});
    edit(batch);
    edit(staged);
    const std::string expected = Previewed(batch, false);
    EXPECT_NE(expected.find("    Beep"), std::string::npos);
    EXPECT_EQ(Previewed(staged, true), expected);
    EXPECT_EQ(Snapshot(folder), before) << "a preview writes nothing";

    TempFolder loose;
    WriteModules(loose, 6);
    LoadedFiles a = LoadModules(loose, 6);
    LoadedFiles b = LoadModules(loose, 6);
    EditEven(a, 6);
    EditEven(b, 6);
    EXPECT_EQ(Previewed(b, true), Previewed(a, false));
    for (const auto& file : b.workspace->Files()) EXPECT_EQ(file->component->Code(), nullptr);
    // A read-only module is refused before a file another program changed,
    // even when that file comes first.
    loose.Write("m0.bas", Module("m0", 7));
    ::chmod(loose.File("m4.bas").c_str(), 0444);
    LoadedFiles c = LoadModules(loose, 6);
    LoadedFiles d = LoadModules(loose, 6);
    EditEven(c, 6);
    EditEven(d, 6);
    loose.Write("m0.bas", Module("m0", 8));
    const std::string refusal = Previewed(c, false);
    EXPECT_NE(refusal.find("refused: "), std::string::npos);
    EXPECT_NE(refusal.find("read-only"), std::string::npos);
    EXPECT_EQ(Previewed(d, true), refusal);
    ::chmod(loose.File("m4.bas").c_str(), 0644);
    EXPECT_EQ(Files(loose).size(), 6u) << "no temporary file";
}

// The spill that holds a dry run's diffs gives each text back as it was
// kept, in whatever order they are read, also when more are kept after a
// read (the next text goes after the last, not where the read stopped).
TEST(StreamedSave, SpilledTextsComeBackAsKept) {
    host::files::TextSpill spill;
    std::vector<std::string> texts = {"--- a\r\n+++ b\n", "", std::string("nul\0byte", 8),
                                      std::string(200000, 'x') + "end"};
    std::vector<host::files::TextSpill::Piece> pieces;
    for (const std::string& text : texts) pieces.push_back(spill.Keep(text));
    for (size_t i = texts.size(); i-- > 0;) EXPECT_EQ(spill.Read(pieces[i]), texts[i]);
    texts.push_back("kept after a read\n");
    pieces.push_back(spill.Keep(texts.back()));
    EXPECT_EQ(spill.Read(pieces[1]), texts[1]);
    texts.push_back("and one more");
    pieces.push_back(spill.Keep(texts.back()));
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(spill.Read(pieces[i]), texts[i]) << i;
}

}  // namespace
}  // namespace qv::test
