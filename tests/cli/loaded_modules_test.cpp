// The at-load keeper of the read-only commands: what it keeps of a module
// comes from the module's whole code, and only a module something was kept
// of lets its code go; each is taken once.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/cli/loaded_modules.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"
#include "host_files/temp_folder.h"

namespace qv::test {
namespace {

using host::memory::MemoryComponent;

TEST(KeptAtLoad, KeepsWhatItIsGivenAndLetsOnlyThatCodeGo) {
    TempFolder folder;
    const std::string modules[] = {"mOne", "mSkip", "mThree"};
    std::string project = "Type=Exe\r\n";
    long lines = 2;
    for (const std::string& name : modules) {
        std::string code = "Attribute VB_Name = \"" + name + "\"\r\n";
        for (long i = 1; i <= lines; ++i) code += "' line " + std::to_string(i) + "\r\n";
        folder.Write(name + ".bas", code);
        project += "Module=" + name + "; " + name + ".bas\r\n";
        ++lines;
    }
    folder.Write("p.vbp", project + "Name=\"p\"\r\n");

    // The lines of each module but mSkip, counted as it is loaded.
    cli::KeptAtLoad<long> counted([](MemoryComponent& component) -> std::optional<long> {
        if (component.Name() == "mSkip") return std::nullopt;
        return component.CodeModule()->CountOfLines();
    });
    host::memory::MemoryVbe vbe;
    host::files::Workspace workspace(vbe);
    workspace.SetCheckProcedures(false);
    workspace.SetModuleLoaded(counted.OnLoaded());
    host::files::LoadTargets(workspace, {folder.File("p.vbp")});

    auto& components = vbe.Projects().At(1).Components();
    ASSERT_EQ(components.Count(), 3);
    MemoryComponent& one = components.At(1);
    MemoryComponent& skip = components.At(2);
    MemoryComponent& three = components.At(3);
    ASSERT_NE(counted.Find(one), nullptr);
    EXPECT_EQ(*counted.Find(one), 2);
    EXPECT_EQ(*counted.Find(three), 4);
    EXPECT_EQ(counted.Find(skip), nullptr);
    // Kept: the code is let go. Not kept: the code stays.
    EXPECT_EQ(one.CodeModule()->CountOfLines(), 0);
    EXPECT_EQ(workspace.FileOf(one)->bytes, nullptr);
    EXPECT_EQ(skip.CodeModule()->CountOfLines(), 3);
    EXPECT_NE(workspace.FileOf(skip)->bytes, nullptr);

    EXPECT_EQ(counted.Take(three), std::optional<long>(4));
    EXPECT_EQ(counted.Take(skip), std::nullopt);
}

}  // namespace
}  // namespace qv::test
