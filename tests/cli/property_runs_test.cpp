// Properties that hold for every project, run over the example project, the
// test fixtures (those of code pages other than ASCII's too, run in their
// code page) and generated projects (bench/gen.cpp, kept small):
// load then save is byte-exact; add then remove gives the bytes back; every
// file a command writes loads again with the same routines; tidy twice
// equals tidy once; number, unnumber, tidy equals tidy; no command exits 4.

#include <cstdlib>
#include <map>

#include "cli/code_change_fixture.h"
#include "cli/code_page_fixture.h"
#include "host/files/module_writer.h"
#include "host/files/project_loader.h"
#include "host/files/workspace_saver.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;
using Snapshot = std::map<std::string, std::string>;

// A project to run the properties on: how to make a copy of it, and the file
// the commands are given.
struct PropertyTarget {
    std::string name;
    std::function<TempFolder()> make;
    std::string file;
    int codePage = 1252;  // the code page it is written in, and run with
};

// The generator of large synthetic projects, with its options; each project
// is written once per test program and copied for every test.
TempFolder Generated(const std::string& options) {
    static std::map<std::string, std::unique_ptr<TempFolder>> made;
    auto& slot = made[options];
    if (!slot) {
        slot = std::make_unique<TempFolder>();
        const std::string command = std::string(QV_GENERATOR) + " --out " + slot->Path().string() +
                                    " " + options + " >/dev/null";
        if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
    }
    return CopyOfFolder(slot->Path());
}

// Names the target in test listings instead of dumping the struct's bytes.
void PrintTo(const PropertyTarget& target, std::ostream* out) { *out << target.name; }

std::vector<PropertyTarget> Targets() {
    return {
        {"Example", [] { return CopyOfFolder(ExampleFolder()); }, "Example.vbp"},
        {"Sample", [] { return CopyOfFolder(FixtureFolder("Sample")); }, "Sample.vbp"},
        {"RealShapes", [] { return CopyOfFolder(FixtureFolder("RealShapes")); }, "RealShapes.vbp"},
        {"MoreShapes", [] { return CopyOfFolder(FixtureFolder("MoreShapes")); }, "MoreShapes.vbp"},
        {"Shapes", [] { return ShapesProject(); }, "Shapes.vbp"},
        {"Generated", [] { return Generated("--lines 20000 --lines-per-module 400 --seed 7"); },
         "Bench.vbp"},
        {"Western", [] { return CodePageCopy(kWestern); }, kWestern.file, kWestern.codePage},
        {"Japanese", [] { return CodePageCopy(kJapanese); }, kJapanese.file, kJapanese.codePage},
        {"Chinese", [] { return CodePageCopy(kChinese); }, kChinese.file, kChinese.codePage},
        {"GeneratedLfNumbered",
         [] {
             return Generated(
                 "--lines 6000 --lines-per-module 300 --ending lf --handlers 60 --numbered 40 "
                 "--seed 11 --name Lf");
         },
         "Lf.vbp"},
    };
}

class PropertyRuns : public CodeChangeTest, public ::testing::WithParamInterface<PropertyTarget> {
  protected:
    void SetUp() override {
        CodeChangeTest::SetUp();
        folder = std::make_unique<TempFolder>(GetParam().make());
    }
    // The command on the project; no command may end in an internal error.
    CliResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + (arguments[0] == "--format" ? 3 : 1), GetParam().file);
        arguments.insert(arguments.begin(), {"--code-page", std::to_string(GetParam().codePage)});
        const CliResult r = RunCliIn(folder->Path(), arguments);
        EXPECT_NE(r.code, 4) << arguments[0] << ": " << r.err;
        EXPECT_LT(r.code, 2) << arguments[0] << ": " << r.err;
        return r;
    }
    Snapshot Files() const {
        Snapshot files;
        for (const auto& entry : fs::recursive_directory_iterator(folder->Path())) {
            if (entry.is_regular_file()) {
                files[fs::relative(entry.path(), folder->Path()).string()] =
                    test::ReadFile(entry.path());
            }
        }
        return files;
    }
    void Restore(const Snapshot& files) {
        for (const auto& [name, bytes] : files) folder->Write(name, bytes);
    }

    std::unique_ptr<TempFolder> folder;
};

TEST_P(PropertyRuns, LoadThenSaveIsByteExact) {
    host::memory::MemoryVbe vbe;
    vbe.SetTextCodePage(*text::CodePage::Named(std::to_string(GetParam().codePage)));
    host::files::Workspace workspace(vbe);
    host::files::LoadTargets(workspace, {folder->File(GetParam().file)});
    EXPECT_TRUE(workspace.BrokenModules().empty());
    EXPECT_TRUE(host::files::PendingChanges(workspace).empty());
    for (const auto& file : workspace.Files()) {
        if (!file->bytes) continue;
        EXPECT_EQ(host::files::RenderModuleFile(*file).bytes, *file->bytes) << file->path;
    }
}

TEST_P(PropertyRuns, AddThenRemoveGivesTheBytesBack) {
    const Snapshot original = Files();
    Run({"remove"});
    const Snapshot removed = Files();  // the handlers that were there before, taken out
    Restore(original);
    Run({"add"});
    Run({"remove"});
    EXPECT_EQ(Files(), removed);
}

// Every file a command writes loads again, and holds the routines it held.
TEST_P(PropertyRuns, WrittenFilesLoadAgainWithTheSameRoutines) {
    const std::string listing = Run({"--format", "json", "list"}).out;
    for (const char* command : {"add", "number", "tidy", "replace", "unnumber", "remove"}) {
        Run({command});
        const CliResult again = Run({"--format", "json", "list"});
        EXPECT_EQ(again.code, 0) << command << ": " << again.err;
        EXPECT_EQ(again.out, listing) << "after " << command;
    }
}

TEST_P(PropertyRuns, TidyTwiceEqualsTidyOnce) {
    Run({"tidy"});
    const Snapshot once = Files();
    Run({"tidy"});
    EXPECT_EQ(Files(), once);
}

TEST_P(PropertyRuns, NumberUnnumberTidyEqualsTidy) {
    const Snapshot original = Files();
    Run({"tidy"});
    const Snapshot tidied = Files();
    Restore(original);
    Run({"number"});
    Run({"unnumber"});
    Run({"tidy"});
    EXPECT_EQ(Files(), tidied);
}

TEST_P(PropertyRuns, ReadOnlyCommandsAnswer) {
    Run({"list"});
    Run({"check", "--routines"});
    Run({"stats"});
    Run({"stats", "--group"});
    Run({"find", "End Sub"});
    Run({"--format", "json", "check"});
}

INSTANTIATE_TEST_SUITE_P(FixturesAndGeneratedProjects, PropertyRuns, ::testing::ValuesIn(Targets()),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace
}  // namespace qv::test
