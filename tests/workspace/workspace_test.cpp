// Opening, selecting and saving through the workspace, as the command line,
// the workbench and the language server do; every failure comes back as a
// value.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "host/files/diff_label.h"
#include "host/memory/memory_host.h"
#include "host_files/temp_folder.h"
#include "support/settings_home.h"
#include "workspace/loaded_target.h"
#include "workspace/saving.h"
#include "workspace/selection.h"

namespace qv::workspace {
namespace {

using Kind = SelectionError::Kind;
using test::TempFolder;

class WorkspaceTest : public ::testing::Test {
  protected:
    WorkspaceTest() : copy_(test::CopyOfFolder(QV_SAMPLE_DIR)) {}
    std::unique_ptr<LoadedTarget> OpenSample() {
        OpenResult opened = Open({copy_.File("Sample.vbp")});
        EXPECT_TRUE(opened.target) << opened.error;
        return std::move(opened.target);
    }
    static SelectionError ErrorOf(std::variant<Selection, SelectionError> result) {
        if (auto* error = std::get_if<SelectionError>(&result)) return *error;
        ADD_FAILURE() << "the selection was accepted";
        return {};
    }
    static Selection SelectionOf(std::variant<Selection, SelectionError> result) {
        if (auto* selection = std::get_if<Selection>(&result)) return *selection;
        ADD_FAILURE() << "the selection was refused";
        return {};
    }
    static long CursorLine(LoadedTarget& target) {
        long l1 = 0, c1 = 0, l2 = 0, c2 = 0;
        target.Vbe().ActiveCodePane()->GetSelection(l1, c1, l2, c2);
        return l1;
    }
    // The IDE's tab width is read from a store of this test's own.
    test::SettingsHome settingsHome_;
    TempFolder copy_;
};

TEST_F(WorkspaceTest, OpenListsTheProjectsAndTheirComponents) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    ASSERT_EQ(target->Projects().size(), 1u);
    EXPECT_EQ(target->Projects()[0]->Name(), "Sample");
    std::vector<std::string> names;
    for (auto* c : LoadedTarget::Components(*target->Projects()[0])) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"modUtil", "CCounter", "frmMain"}));
    EXPECT_TRUE(target->Warnings().empty());
    EXPECT_TRUE(target->BrokenModules().empty());
}

TEST_F(WorkspaceTest, WhatCannotBeOpenedIsAnErrorValue) {
    OpenResult missing = Open({copy_.File("Gone.vbp")});
    EXPECT_FALSE(missing.target);
    EXPECT_NE(missing.error.find("Gone.vbp: the file does not exist"), std::string::npos)
        << missing.error;
    OpenResult none = Open({});
    EXPECT_FALSE(none.target);
    EXPECT_FALSE(none.error.empty());
    copy_.Write("Bad.vbp", "Type=Exe\r\nrubbish\r\n");
    OpenResult bad = Open({copy_.File("Bad.vbp")});
    EXPECT_FALSE(bad.target);
    EXPECT_NE(bad.error.find("Bad.vbp:2:"), std::string::npos) << bad.error;
}

TEST_F(WorkspaceTest, SelectingAModuleOrRoutinePlacesTheCursorAsTheIdeWould) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    Selection s = SelectionOf(Select(*target, {.module = "ccounter"}));
    ASSERT_NE(s.component, nullptr);
    EXPECT_EQ(s.component->Name(), "CCounter");
    EXPECT_EQ(target->Vbe().SelectedVBComponent()->Name(), "CCounter");
    EXPECT_EQ(CursorLine(*target), 1);

    // A routine found without its module; the cursor on its declaration.
    s = SelectionOf(Select(*target, {.routine = "Value", .routineKind = host::vbext_pk_Get}));
    ASSERT_NE(s.component, nullptr);
    EXPECT_EQ(s.component->Name(), "CCounter");
    EXPECT_EQ(s.routineKind, host::vbext_pk_Get);
    EXPECT_EQ(CursorLine(*target), 7);

    s = SelectionOf(Select(*target, {.module = "modUtil", .line = 13}));
    EXPECT_EQ(s.line, 13);
    EXPECT_EQ(CursorLine(*target), 13);
    EXPECT_EQ(target->Vbe().ActiveVBProject(), s.project);
}

TEST_F(WorkspaceTest, ASelectionThatDoesNotFitSaysWhatThereIs) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    SelectionError e = ErrorOf(Select(*target, {.project = "Other"}));
    EXPECT_EQ(e.kind, Kind::UnknownProject);
    EXPECT_EQ(e.choices, std::vector<std::string>{"Sample"});

    e = ErrorOf(Select(*target, {.module = "modGone"}));
    EXPECT_EQ(e.kind, Kind::UnknownModule);
    EXPECT_EQ(e.choices, (std::vector<std::string>{"modUtil", "CCounter", "frmMain"}));

    e = ErrorOf(Select(*target, {.routine = "Value"}));
    EXPECT_EQ(e.kind, Kind::SeveralAccessors);
    EXPECT_EQ(e.module, "CCounter");

    e = ErrorOf(Select(*target, {.module = "modUtil", .routine = "Value"}));
    EXPECT_EQ(e.kind, Kind::UnknownRoutine);
    EXPECT_EQ(e.module, "modUtil");

    e = ErrorOf(Select(*target, {.routine = "Value", .routineKind = host::vbext_pk_Set}));
    EXPECT_EQ(e.kind, Kind::UnknownRoutine);
    EXPECT_EQ(e.routine, "Value:Set");
    EXPECT_EQ(e.module, "");

    EXPECT_EQ(ErrorOf(Select(*target, {.line = 3})).kind, Kind::LineWithoutModule);
    e = ErrorOf(Select(*target, {.module = "modUtil", .line = 900}));
    EXPECT_EQ(e.kind, Kind::LinePastEnd);
    EXPECT_EQ(e.lines, target->Projects()[0]->Components().Find("modUtil")->Code()->CountOfLines());
    e = ErrorOf(
        Select(*target, {.routine = "Value", .routineKind = host::vbext_pk_Get, .line = 1}));
    EXPECT_EQ(e.kind, Kind::LineOutsideRoutine);
    EXPECT_EQ(e.routine, "Value:Get");
}

TEST_F(WorkspaceTest, PreviewShowsTheDiffAndWritesNothingSaveWritesOnlyWhatChanged) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    EXPECT_TRUE(SaveChanges(*target).paths.empty());

    const std::string before = copy_.Read("modUtil.bas");
    const std::string form = copy_.Read("frmMain.frm");
    target->Projects()[0]->Components().Find("modUtil")->Code()->InsertLines(2, "' added");
    const SaveResult preview = PreviewChanges(*target);
    ASSERT_TRUE(preview.Ok()) << preview.error;
    EXPECT_EQ(preview.paths, std::vector<std::string>{copy_.File("modUtil.bas")});
    ASSERT_EQ(preview.diffs.size(), 1u);
    const std::string& diff = preview.diffs[0].diff;
    EXPECT_EQ(preview.diffs[0].path, copy_.File("modUtil.bas"));
    EXPECT_NE(diff.find("+' added\r\n"), std::string::npos) << diff;  // the file's CR LF
    // An absolute path (C:\... on Windows) is its own label, without "a/".
    EXPECT_EQ(diff.rfind("--- " + host::files::DiffLabel("", copy_.File("modUtil.bas")) + "\n", 0),
              0u)
        << diff;
    EXPECT_EQ(copy_.Read("modUtil.bas"), before);

    const SaveResult saved = SaveChanges(*target);
    ASSERT_TRUE(saved.Ok()) << saved.error;
    EXPECT_EQ(saved.paths, preview.paths);
    EXPECT_TRUE(saved.diffs.empty());
    EXPECT_NE(copy_.Read("modUtil.bas").find("Option Explicit\r\n' added\r\n"), std::string::npos);
    EXPECT_EQ(copy_.Read("frmMain.frm"), form);
}

TEST_F(WorkspaceTest, SavingRefusesReadOnlyAndChangedOnDiskFilesAndWritesNone) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    auto& components = target->Projects()[0]->Components();
    components.Find("modUtil")->Code()->InsertLines(2, "' added");
    components.Find("CCounter")->Code()->InsertLines(2, "' added");
    const std::string util = copy_.Read("modUtil.bas");

    // Another program wrote the class after the load.
    copy_.Write("CCounter.cls", copy_.Read("CCounter.cls") + "' theirs\r\n");
    const std::string theirs = copy_.Read("CCounter.cls");
    SaveResult saved = SaveChanges(*target);
    EXPECT_FALSE(saved.Ok());
    EXPECT_NE(saved.error.find("CCounter.cls"), std::string::npos) << saved.error;
    EXPECT_EQ(copy_.Read("CCounter.cls"), theirs);
    EXPECT_EQ(copy_.Read("modUtil.bas"), util);
    EXPECT_FALSE(PreviewChanges(*target).Ok());

    auto fresh = OpenSample();
    ASSERT_TRUE(fresh);
    fresh->Projects()[0]->Components().Find("CCounter")->Code()->InsertLines(2, "' added");
    ::chmod(copy_.File("CCounter.cls").c_str(), 0444);
    for (const SaveResult& refused : {PreviewChanges(*fresh), SaveChanges(*fresh)}) {
        EXPECT_FALSE(refused.Ok());
        EXPECT_NE(refused.error.find("read-only"), std::string::npos) << refused.error;
        EXPECT_TRUE(refused.paths.empty());
        EXPECT_TRUE(refused.diffs.empty());
    }
    EXPECT_EQ(copy_.Read("CCounter.cls"), theirs);
}

TEST_F(WorkspaceTest, AnIdeKeepsItsRootAndSavesAgainAndAgain) {
    host::memory::MemoryVbe ide;
    OpenOptions options;
    options.into = &ide;
    OpenResult opened = Open({copy_.File("Sample.vbp")}, options);
    ASSERT_TRUE(opened.target) << opened.error;
    EXPECT_EQ(&opened.target->Vbe(), &ide);
    EXPECT_EQ(ide.Projects().Count(), 1);

    auto* code = opened.target->Projects()[0]->Components().Find("modUtil")->Code();
    code->InsertLines(2, "' first");
    ASSERT_TRUE(SaveChanges(*opened.target).Ok());
    // What the first save wrote is what the second compares with: no
    // other program changed the file.
    code->InsertLines(2, "' second");
    const SaveResult again = SaveChanges(*opened.target);
    ASSERT_TRUE(again.Ok()) << again.error;
    EXPECT_NE(copy_.Read("modUtil.bas").find("' second\r\n' first\r\n"), std::string::npos);
    opened.target.reset();
    EXPECT_EQ(ide.Projects().Count(), 1) << "the root is the IDE's, not the target's";
}

TEST_F(WorkspaceTest, AFileChangedOnDiskIsOverwrittenOnlyWhenTheOwnerSays) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    target->Projects()[0]->Components().Find("CCounter")->Code()->InsertLines(2, "' added");
    copy_.Write("CCounter.cls", copy_.Read("CCounter.cls") + "' theirs\r\n");
    const std::string theirs = copy_.Read("CCounter.cls");
    std::vector<std::string> asked;
    const SaveResult declined = SaveChanges(*target, [&](const std::string& path) {
        asked.push_back(path);
        return false;
    });
    EXPECT_FALSE(declined.Ok());
    EXPECT_EQ(asked, std::vector<std::string>{copy_.File("CCounter.cls")});
    EXPECT_EQ(copy_.Read("CCounter.cls"), theirs);

    const SaveResult overwritten = SaveChanges(*target, [](const std::string&) { return true; });
    ASSERT_TRUE(overwritten.Ok()) << overwritten.error;
    const std::string written = copy_.Read("CCounter.cls");
    EXPECT_NE(written.find("' added"), std::string::npos);
    EXPECT_EQ(written.find("' theirs"), std::string::npos);
    EXPECT_EQ(written.rfind("VERSION 1.0 CLASS", 0), 0u) << "the header as loaded";
}

TEST_F(WorkspaceTest, AnOverwriteThatFailedIsAskedForAgain) {
    auto target = OpenSample();
    ASSERT_TRUE(target);
    target->Projects()[0]->Components().Find("CCounter")->Code()->InsertLines(2, "' added");
    copy_.Write("CCounter.cls", copy_.Read("CCounter.cls") + "' theirs\r\n");
    ::chmod(copy_.File("CCounter.cls").c_str(), 0444);
    int asked = 0;
    const auto agree = [&](const std::string&) { return ++asked, true; };
    EXPECT_FALSE(SaveChanges(*target, agree).Ok());
    EXPECT_EQ(asked, 1);

    ::chmod(copy_.File("CCounter.cls").c_str(), 0644);
    const SaveResult declined = SaveChanges(*target, [&](const std::string&) { return ++asked, false; });
    EXPECT_EQ(asked, 2) << "the other program's change is still theirs";
    EXPECT_FALSE(declined.Ok());
    EXPECT_NE(copy_.Read("CCounter.cls").find("' theirs"), std::string::npos);
}

}  // namespace
}  // namespace qv::workspace
