// Writing back safely: an edit that another program makes at any step of a
// write is kept, an interrupted or killed writer leaves no temporary file
// behind (after the next run), and a file keeps the line break of each
// untouched line, its set-group-ID bit and its other names.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/temp_files.h"
#include "host/files/temp_files_system.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"

extern char** environ;

namespace qv::test {
namespace {

using host::files::FileError;
using host::files::PendingChanges;
using host::files::WriteChanges;
using host::files::WriteStep;

std::string Module(const std::string& name, const std::string& body) {
    return Joined({"Attribute VB_Name = \"" + name + "\"", "Sub " + name + "()", body, "End Sub"});
}

// Another program's edit: the same number of bytes, and the file's times
// put back as they were, so that neither size nor time gives it away.
void EditBehindTheBack(const std::string& path, const std::string& text) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Another program edits path at step (at the step of that file, for the
// steps taken file by file).
struct Race {
    WriteStep step;
    std::string path;
    std::string text;
    bool done = false;
};
Race* g_race = nullptr;

void EditAtTheStep(WriteStep step, const std::string& path) {
    if (g_race == nullptr || g_race->done || step != g_race->step) return;
    if (!path.empty() && path != g_race->path) return;
    g_race->done = true;
    EditBehindTheBack(g_race->path, g_race->text);
}

class SafeWrite : public ::testing::Test {
  protected:
    void TearDown() override {
        host::files::SetWriteStepHook(nullptr);
        g_race = nullptr;
    }
};

TEST_F(SafeWrite, AnEditAtAnyStepBeforeTheReplaceIsKept) {
    const std::string theirs = Module("b", "    Stop");  // as long as the original
    ASSERT_EQ(theirs.size(), Module("b", "    Beep").size());
    for (const WriteStep step :
         {WriteStep::Staged, WriteStep::Flushed, WriteStep::Checked, WriteStep::BeforeReplace}) {
        SCOPED_TRACE(static_cast<int>(step));
        TempFolder folder;
        for (const char* name : {"a", "b", "c"})
            folder.Write(name + std::string(".bas"), Module(name, "    Beep"));
        const auto before = Snapshot(folder);
        LoadedFiles loaded =
            Load({folder.File("a.bas"), folder.File("b.bas"), folder.File("c.bas")});
        for (const char* name : {"a", "b", "c"}) loaded.Code(name).InsertLines(3, "    x = 1");
        const auto changes = PendingChanges(*loaded.workspace);
        ASSERT_EQ(changes.size(), 3u);

        Race race{step, folder.File("b.bas"), theirs};
        g_race = &race;
        host::files::SetWriteStepHook(EditAtTheStep);
        try {
            WriteChanges(changes);
            FAIL() << "another program's edit was overwritten";
        } catch (const FileError& e) {
            EXPECT_EQ(e.Path(), folder.File("b.bas"));
            EXPECT_NE(std::string(e.what()).find("changed by another program"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(race.done);
        EXPECT_EQ(folder.Read("b.bas"), theirs);
        EXPECT_EQ(folder.Read("c.bas"), Module("c", "    Beep")) << "nothing after it is written";
        // An edit found by the check of every file stops all writing; one
        // made after it is found at b's turn, when a is replaced already.
        const bool aReplaced = step == WriteStep::Checked || step == WriteStep::BeforeReplace;
        EXPECT_EQ(folder.Read("a.bas").find("x = 1") != std::string::npos, aReplaced);
        EXPECT_EQ(Snapshot(folder).size(), before.size()) << "no temporary file stays";
    }
}

TEST_F(SafeWrite, TheSameBytesWrittenAgainAreNoChange) {
    TempFolder folder;
    folder.Write("a.bas", Module("a", "    Beep"));
    LoadedFiles loaded = Load({folder.File("a.bas")});
    loaded.Code("a").InsertLines(3, "    x = 1");
    Race race{WriteStep::BeforeReplace, folder.File("a.bas"), Module("a", "    Beep")};
    g_race = &race;
    host::files::SetWriteStepHook(EditAtTheStep);
    WriteChanges(PendingChanges(*loaded.workspace));
    EXPECT_NE(folder.Read("a.bas").find("x = 1"), std::string::npos);
}

// ------------------------------------------------------------ interruptions

struct Child {
    pid_t pid = -1;
    int output = -1;
};

// The interrupted writer on the files, stopped once its temporary files are
// written.
Child StartWriter(const std::vector<std::string>& files) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<std::string> arguments = {QV_INTERRUPTED_WRITER};
    arguments.insert(arguments.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    Child child;
    EXPECT_EQ(
        ::posix_spawn(&child.pid, QV_INTERRUPTED_WRITER, &actions, nullptr, argv.data(), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.output = pipeEnds[0];
    char said[6] = {};
    EXPECT_EQ(::read(child.output, said, 6), 6) << "the writer got ready";
    return child;
}

// How the child ended: the signal that ended it, 0 for a normal end.
int End(Child& child) {
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    ::close(child.output);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

size_t TemporaryFiles(const TempFolder& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        if (entry.path().filename().string().find(".qvaddin-") != std::string::npos) ++count;
    }
    return count;
}

TEST_F(SafeWrite, AnInterruptedWriterRemovesItsTemporaryFiles) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempFolder folder;
        folder.Write("a.bas", Module("a", ""));
        folder.Write("b.bas", Module("b", ""));
        const auto before = Snapshot(folder);
        Child writer = StartWriter({folder.File("a.bas"), folder.File("b.bas")});
        EXPECT_EQ(TemporaryFiles(folder), 2u) << "the writer stands halfway";
        ::kill(writer.pid, signal);
        EXPECT_EQ(End(writer), signal) << "it still ends with the signal";
        EXPECT_EQ(Snapshot(folder), before);
    }
}

// A signal that the run's other thread catches while the writing thread
// holds the interruptions waits for the hold to end, as on one thread: the
// step under way finishes, and then the files are removed.
TEST_F(SafeWrite, ASignalCaughtByAnotherThreadWaitsForTheHold) {
    TempFolder folder;
    folder.Write("a.bas", Module("a", ""));
    const std::string marker = folder.File("held.txt");
    Child writer = StartWriter({"--hold", marker, folder.File("a.bas")});
    ::kill(writer.pid, SIGTERM);
    EXPECT_EQ(End(writer), SIGTERM);
    EXPECT_TRUE(std::filesystem::exists(marker)) << "the hold was cut short";
    EXPECT_EQ(TemporaryFiles(folder), 0u);
    EXPECT_EQ(folder.Read("a.bas"), Module("a", ""));
}

// Interrupted right before the last file is replaced: the files before it
// are replaced whole and what they held, removed or still to be removed, is
// gone; the last one is as it was.
TEST_F(SafeWrite, AnInterruptionWhileOldTextsAreRemovedLeavesNoneOfThem) {
    TempFolder folder;
    std::vector<std::string> files = {"--midway"};
    for (int i = 0; i < 12; ++i) {
        const std::string name = "m" + std::to_string(i);
        folder.Write(name + ".bas", Module(name, ""));
        files.push_back(folder.File(name + ".bas"));
    }
    Child writer = StartWriter(files);
    ::kill(writer.pid, SIGTERM);
    EXPECT_EQ(End(writer), SIGTERM);
    EXPECT_EQ(TemporaryFiles(folder), 0u);
    for (int i = 0; i < 12; ++i) {
        const std::string name = "m" + std::to_string(i);
        EXPECT_EQ(folder.Read(name + ".bas"),
                  i < 11 ? "Attribute VB_Name = \"new\"\r\n" : Module(name, ""))
            << name;
    }
}

TEST_F(SafeWrite, TheNextRunRemovesWhatAKilledWriterLeftAndNothingElse) {
    TempFolder folder;
    folder.Write("a.bas", Module("a", ""));
    folder.Write("b.bas", Module("b", ""));
    folder.Write("c.bas", Module("c", ""));
    Child killed = StartWriter({folder.File("a.bas"), folder.File("b.bas")});
    ::kill(killed.pid, SIGKILL);
    EXPECT_EQ(End(killed), SIGKILL);
    Child running = StartWriter({folder.File("c.bas")});
    // Of our form but made on another machine, and merely alike.
    folder.Write(".c.bas.qvaddin-1.1.0badf00d-AbC123", "another machine's");
    folder.Write(".c.bas.qvaddin-backup", "the user's");
    ASSERT_EQ(TemporaryFiles(folder), 5u);

    LoadedFiles loaded = Load({folder.File("a.bas"), folder.File("c.bas")});
    const std::vector<std::string> removed =
        host::files::RemoveLeftoverTempFiles(*loaded.workspace);
    ASSERT_EQ(removed.size(), 2u) << "the killed writer's two";
    for (const std::string& path : removed) {
        EXPECT_TRUE(path.find("/.a.bas.qvaddin-") != std::string::npos ||
                    path.find("/.b.bas.qvaddin-") != std::string::npos)
            << path;
    }
    EXPECT_EQ(TemporaryFiles(folder), 3u) << "the running writer's and the foreign ones stay";
    ::kill(running.pid, SIGTERM);
    End(running);
    EXPECT_EQ(TemporaryFiles(folder), 2u);
    EXPECT_EQ(folder.Read("a.bas"), Module("a", ""));
}

// Many modules of a folder are told apart from symbolic links by one
// listing of it: a killed writer's leftover stands next to the file a link
// leads to and is removed there, and a folder that holds links alone is no
// folder of the modules (a leftover there stays).
TEST_F(SafeWrite, LeftoversAreLookedForWhereLinkedModulesReallyAre) {
    namespace fs = std::filesystem;
    TempFolder folder;
    fs::create_directories(folder.Path() / "real");
    fs::create_directories(folder.Path() / "links");
    std::vector<std::string> modules;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        folder.Write("m" + n + ".bas", Module("m" + n, ""));
        folder.Write("real/r" + n + ".bas", Module("r" + n, ""));
        fs::create_symlink("../real/r" + n + ".bas", folder.Path() / ("links/k" + n + ".bas"));
        modules.push_back(folder.File("m" + n + ".bas"));
        modules.push_back(folder.File("links/k" + n + ".bas"));
    }
    folder.Write("real/r.bas", Module("r", ""));
    fs::create_symlink("real/r.bas", folder.Path() / "l.bas");
    modules.push_back(folder.File("l.bas"));

    Child killed =
        StartWriter({folder.File("m0.bas"), folder.File("l.bas"), folder.File("links/k3.bas")});
    ::kill(killed.pid, SIGKILL);
    EXPECT_EQ(End(killed), SIGKILL);
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".qvaddin-") != std::string::npos) left.push_back(entry.path().string());
    }
    ASSERT_EQ(left.size(), 3u) << "one beside m0.bas, two in real/";
    const std::string besideM0 = *std::find_if(left.begin(), left.end(), [](const std::string& p) {
        return p.find("/.m0.bas.") != std::string::npos;
    });
    const fs::path inLinks = folder.Path() / "links" / fs::path(besideM0).filename();
    fs::copy_file(besideM0, inLinks);

    LoadedFiles loaded = Load(modules);
    std::vector<std::string> removed = host::files::RemoveLeftoverTempFiles(*loaded.workspace);
    std::sort(removed.begin(), removed.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(removed, left);
    EXPECT_TRUE(fs::exists(inLinks)) << "a folder of links alone is not looked in";
    for (const std::string& path : left) EXPECT_FALSE(fs::exists(path)) << path;
}

TEST_F(SafeWrite, TemporaryNamesFitTheFileSystem) {
    const std::string name = std::string(250, 'n') + ".bas";
    const std::string temp = host::files::TempFileTemplate("/some/folder/" + name);
    const std::string tempName = std::filesystem::path(temp).filename().string();
    EXPECT_LE(tempName.size(), 255u);
    EXPECT_EQ(tempName.substr(0, 4), ".nnn");
    EXPECT_EQ(tempName.substr(tempName.size() - 7), "-XXXXXX");
    EXPECT_EQ(std::filesystem::path(temp).parent_path(), "/some/folder");
    EXPECT_NE(tempName.find(".qvaddin-" + std::to_string(::getpid()) + "."), std::string::npos);
}

// ------------------------------------------------------- what a file keeps

TEST_F(SafeWrite, EachUntouchedLineKeepsItsOwnLineBreak) {
    TempFolder folder;
    // Mostly CR LF, with LF and CR lines among them (an editor that mixed
    // them); none of these lines is touched.
    const std::string untouched =
        "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\n"
        "Attribute VB_Name = \"m\"\r\n"
        "Public Property Get V() As Long\n"
        "Attribute V.VB_UserMemId = 0\n"
        "    V = 1\r\n"
        "End Property\r\n"
        "Sub A()\r\n"
        "    x = 1\n"
        "End Sub\r"
        "Sub B()\r\n";
    folder.Write("m.cls", untouched + "    y = 2\r\nEnd Sub\n");
    LoadedFiles loaded = Load({folder.File("m.cls")});
    host::memory::MemoryCodeModule& code = loaded.Code("m");
    EXPECT_EQ(code.Line(8), "    y = 2");  // the attribute line is hidden
    code.DeleteLines(8, 1);
    code.InsertLines(8, "    y = 3\r\n    z = 4");
    WriteChanges(PendingChanges(*loaded.workspace));
    EXPECT_EQ(folder.Read("m.cls"), untouched + "    y = 3\r\n    z = 4\r\nEnd Sub\n")
        << "written lines take the file's own line break";
}

TEST_F(SafeWrite, AFileWithSeveralNamesIsRefusedAndKeepsThem) {
    TempFolder folder;
    folder.Write("a.bas", Module("a", ""));
    ASSERT_EQ(::link(folder.File("a.bas").c_str(), folder.File("other name.bas").c_str()), 0);
    const auto before = Snapshot(folder);
    LoadedFiles loaded = Load({folder.File("a.bas")});
    loaded.Code("a").InsertLines(3, "    x = 1");
    const auto changes = PendingChanges(*loaded.workspace);
    for (const bool dryRun : {true, false}) {
        try {
            if (dryRun)
                host::files::RefuseUnwritable(changes);
            else
                WriteChanges(changes);
            FAIL() << "a hard-linked file was split from its other name";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("2 names (hard links)"), std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(Snapshot(folder), before);
}

// Another program gives b.bas a second name at one step of the write.
struct LinkRace {
    WriteStep step;
    std::string path;
    std::string otherName;
    bool done = false;
};
LinkRace* g_link = nullptr;

void LinkAtTheStep(WriteStep step, const std::string& path) {
    if (g_link == nullptr || g_link->done || step != g_link->step) return;
    if (!path.empty() && path != g_link->path) return;
    g_link->done = true;
    ASSERT_EQ(::link(g_link->path.c_str(), g_link->otherName.c_str()), 0);
}

// The names of a file are counted once every new file is staged, on the
// open that compares its bytes, and again on the file swapped out: a name
// given after the staging (the saves that stage as a run goes count no
// names before that) or even after that count is found, and the file keeps
// both names and its text.
TEST_F(SafeWrite, ANameGivenToAFileWhileItIsWrittenIsNotPartedFromIt) {
    for (const bool staged : {false, true}) {
        for (const WriteStep step : {WriteStep::Staged, WriteStep::Flushed, WriteStep::Checked,
                                     WriteStep::BeforeReplace}) {
            SCOPED_TRACE(std::to_string(staged) + " " + std::to_string(static_cast<int>(step)));
            TempFolder folder;
            for (const char* name : {"a", "b", "c"})
                folder.Write(name + std::string(".bas"), Module(name, "    Beep"));
            LoadedFiles loaded =
                Load({folder.File("a.bas"), folder.File("b.bas"), folder.File("c.bas")});
            for (const char* name : {"a", "b", "c"}) loaded.Code(name).InsertLines(3, "    x = 1");
            LinkRace race{step, folder.File("b.bas"), folder.File("b again.bas")};
            g_link = &race;
            host::files::SetWriteStepHook(LinkAtTheStep);
            std::string message;
            try {
                if (staged) {
                    host::files::ModuleStaging staging(*loaded.workspace);
                    for (const auto& file : loaded.workspace->Files()) staging.Stage(*file);
                    std::vector<host::files::FileChange> changes;
                    staging.Write(changes);
                } else {
                    WriteChanges(PendingChanges(*loaded.workspace));
                }
            } catch (const FileError& e) {
                EXPECT_EQ(e.Path(), folder.File("b.bas"));
                message = e.what();
            }
            host::files::SetWriteStepHook(nullptr);
            g_link = nullptr;
            ASSERT_TRUE(race.done);
            EXPECT_NE(message.find("2 names (hard links)"), std::string::npos) << message;
            EXPECT_EQ(folder.Read("b.bas"), Module("b", "    Beep"));
            EXPECT_EQ(host::files::FileIdentity(folder.File("b.bas")),
                      host::files::FileIdentity(folder.File("b again.bas")));
            EXPECT_EQ(folder.Read("c.bas"), Module("c", "    Beep"));
            // Found by the count before any replacement, nothing is written;
            // found on the file swapped out, a is replaced already.
            const bool aReplaced = step == WriteStep::Checked || step == WriteStep::BeforeReplace;
            EXPECT_EQ(folder.Read("a.bas").find("x = 1") != std::string::npos, aReplaced);
            EXPECT_EQ(aReplaced, message.find("already replaced") != std::string::npos) << message;
            EXPECT_EQ(TemporaryFiles(folder), 0u);
        }
    }
}

TEST_F(SafeWrite, SetGroupIdBitAndModeAreKept) {
    TempFolder folder;
    folder.Write("a.bas", Module("a", ""));
    ASSERT_EQ(::chmod(folder.File("a.bas").c_str(), 02664), 0);
    LoadedFiles loaded = Load({folder.File("a.bas")});
    loaded.Code("a").InsertLines(3, "    x = 1");
    WriteChanges(PendingChanges(*loaded.workspace));
    struct stat after {};
    ASSERT_EQ(::stat(folder.File("a.bas").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 02664u);
    EXPECT_NE(folder.Read("a.bas").find("x = 1"), std::string::npos);
}

// A file of another owner, as the superuser rewrites it: the new file is
// made the superuser's, and is given the owner, the group, the set-group-ID
// bit (which the change of owner clears) and the attributes, in that order.
TEST_F(SafeWrite, AnotherOwnersFileKeepsItsOwnerModeAndAttributes) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to make a file of another user";
    TempFolder folder;
    folder.Write("a.bas", Module("a", ""));
    const std::string path = folder.File("a.bas");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(path.c_str(), 02640), 0);
    const bool attribute = ::setxattr(path.c_str(), "user.origin", "kept", 4, 0) == 0;
    LoadedFiles loaded = Load({path});
    loaded.Code("a").InsertLines(3, "    x = 1");
    WriteChanges(PendingChanges(*loaded.workspace));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(after.st_gid, 4322u);
    EXPECT_EQ(after.st_mode & 07777, 02640u);
    if (attribute) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_NE(folder.Read("a.bas").find("x = 1"), std::string::npos);
}

}  // namespace
}  // namespace qv::test

// ---------------------------------------------------- a commit of many files

namespace qv::test {
namespace {

// Files enough that the checks and the removals are shared between threads.
struct ManyFiles {
    static constexpr int kCount = 24;
    TempFolder folder;
    ManyFiles() {
        for (int i = 0; i < kCount; ++i) folder.Write(Name(i), Module(Stem(i), "    Beep"));
    }
    static std::string Stem(int i) { return "m" + std::to_string(i); }
    static std::string Name(int i) { return Stem(i) + ".bas"; }
    static std::string New(int i) { return Module(Stem(i), "    x = 1"); }
    void StageAll(host::files::AtomicWriteBatch& batch) const {
        for (int i = 0; i < kCount; ++i) {
            batch.Stage(folder.File(Name(i)), New(i),
                        std::make_shared<const std::string>(Module(Stem(i), "    Beep")));
        }
    }
    int Replaced() const {
        int replaced = 0;
        for (int i = 0; i < kCount; ++i) replaced += folder.Read(Name(i)) == New(i);
        return replaced;
    }
};

// Changed before the commit, whichever thread checks them: the first
// changed file in the files' order is named, and nothing is written.
TEST_F(SafeWrite, TheFirstChangedFileInOrderStopsTheWholeCommit) {
    for (const std::vector<int>& changed : std::vector<std::vector<int>>{{5, 17}, {23}, {0, 1}}) {
        SCOPED_TRACE(changed.front());
        ManyFiles many;
        host::files::AtomicWriteBatch batch;
        many.StageAll(batch);
        for (const int i : changed) {
            EditBehindTheBack(many.folder.File(ManyFiles::Name(i)),
                              Module(ManyFiles::Stem(i), "    Stop"));
        }
        try {
            batch.Commit();
            FAIL() << "a changed file was overwritten";
        } catch (const FileError& e) {
            EXPECT_EQ(e.Path(), many.folder.File(ManyFiles::Name(changed.front())));
            EXPECT_NE(std::string(e.what()).find("nothing was written"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(many.Replaced(), 0);
        EXPECT_EQ(TemporaryFiles(many.folder), size_t{ManyFiles::kCount}) << "kept until the batch goes";
    }
}

// Another program's edit of what a file held, made between the swap and the
// comparison, is put back, and the commit stops there: the files before it
// stay replaced and what they held is removed.
std::string g_editSwappedOf;
void EditWhatWasSwappedOut(WriteStep step, const std::string& path) {
    if (step != WriteStep::Swapped || path != g_editSwappedOf) return;
    const std::filesystem::path file(path);
    const std::string prefix = "." + file.filename().string() + ".qvaddin-";
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) {
            EditBehindTheBack(entry.path().string(), Module("m9", "    Stop"));
        }
    }
}

TEST_F(SafeWrite, AnEditBetweenTheSwapAndTheComparisonIsPutBack) {
    ManyFiles many;
    host::files::AtomicWriteBatch batch;
    many.StageAll(batch);
    g_editSwappedOf = many.folder.File(ManyFiles::Name(9));
    host::files::SetWriteStepHook(EditWhatWasSwappedOut);
    std::string message;
    try {
        batch.Commit();
    } catch (const FileError& e) {
        EXPECT_EQ(e.Path(), g_editSwappedOf);
        message = e.what();
    }
    EXPECT_NE(message.find("changed by another program"), std::string::npos) << message;
    EXPECT_NE(message.find("already replaced: " + many.folder.File(ManyFiles::Name(0)) + ", "),
              std::string::npos)
        << message;
    EXPECT_EQ(many.folder.Read(ManyFiles::Name(9)), Module("m9", "    Stop"));
    EXPECT_EQ(many.Replaced(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(many.folder.Read(ManyFiles::Name(i)), ManyFiles::New(i));
    // What the nine held is removed before the commit gives up; the files
    // not reached still wait in the batch.
    EXPECT_EQ(TemporaryFiles(many.folder), size_t{ManyFiles::kCount - 10});
    host::files::SetWriteStepHook(nullptr);
}

TEST_F(SafeWrite, EveryOldTextIsRemovedAndUnlistedBeforeTheCommitReturns) {
    ManyFiles many;
    {
        host::files::AtomicWriteBatch batch;
        many.StageAll(batch);
        EXPECT_EQ(host::files::temp_detail::Listed().size(), size_t{ManyFiles::kCount});
        batch.Commit();
        EXPECT_EQ(TemporaryFiles(many.folder), 0u);
        EXPECT_TRUE(host::files::temp_detail::Listed().empty());
    }
    EXPECT_EQ(many.Replaced(), ManyFiles::kCount);
}

}  // namespace
}  // namespace qv::test
