// Every command of the catalogue that the command line offers does the same
// through Execute, on the example project, as the command line does: the
// files written are the same bytes. The commands that open windows report
// that they are not available where no window is given.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/cli_test_support.h"
#include "cli/code_change_fixture.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "host/files/workspace_saver.h"
#include "host/memory/memory_host.h"
#include "settings/settings_operations.h"
#include "shell/command_catalogue.h"

namespace qv::test {
namespace {

using shell::CommandId;
using shell::CommandScope;

// The module files of the example, by name, with their bytes.
std::map<std::string, std::string> ModuleBytes(const TempFolder& folder) {
    std::map<std::string, std::string> files;
    for (const char* name : {"modMain.bas", "CAccount.cls", "frmMain.frm"}) {
        files[name] = ReadFile(folder.Path() / name);
    }
    return files;
}

struct Case {
    std::string action;  // the catalogue's action and the command line's verb
    std::string cliVerb;
    std::string before;  // a command line verb run on both copies first ("" for none)
};

// The example loaded through the workspace, with the target selected as the
// command line selects it: the module, and the cursor on the routine's
// declaration.
class LoadedExample {
  public:
    explicit LoadedExample(const TempFolder& folder)
        : vbe_(std::make_unique<host::memory::MemoryVbe>()), workspace_(*vbe_) {
        host::files::LoadTargets(workspace_, {(folder.Path() / "Example.vbp").string()});
        vbe_->SetActiveProject(&vbe_->Projects().At(1));
    }
    host::memory::MemoryVbe& Vbe() { return *vbe_; }

    void Select(const std::string& module, const std::string& routine) {
        host::memory::MemoryComponent& component =
            *vbe_->Projects().At(1).Components().Find(module);
        vbe_->SetSelectedComponent(&component);
        const long line = routine.empty() ? 1 : component.Code()->ProcBodyLine(routine, 0);
        component.Code()->CodePane().SetSelection(line, 1, line, 1);
        vbe_->SetActiveCodePane(&component.Code()->CodePane());
    }
    void Save() { host::files::WriteChanges(host::files::PendingChanges(workspace_)); }

  private:
    std::unique_ptr<host::memory::MemoryVbe> vbe_;
    host::files::Workspace workspace_;
};

// Settings as a first run of the command line stores them.
class ExecuteAsTheCommandLine : public CodeChangeTest,
                                public ::testing::WithParamInterface<Case> {};

TEST_P(ExecuteAsTheCommandLine, WritesTheSameBytesAtEveryScope) {
    const Case& c = GetParam();
    const std::vector<std::pair<CommandScope, std::vector<std::string>>> scopes = {
        {CommandScope::Routine, {"--module", "modMain", "--routine", "Describe"}},
        {CommandScope::Module, {"--module", "CAccount"}},
        {CommandScope::Project, {}},
    };
    for (const auto& [scope, selectors] : scopes) {
        SCOPED_TRACE(shell::Info(shell::ScopedCommand(scope, c.action)).name);
        TempFolder byCli = CopyOfFolder(ExampleFolder());
        TempFolder byExecute = CopyOfFolder(ExampleFolder());
        if (!c.before.empty()) {
            ASSERT_EQ(RunCliIn(byCli.Path(), {c.before, "Example.vbp"}).code, 0);
            ASSERT_EQ(RunCliIn(byExecute.Path(), {c.before, "Example.vbp"}).code, 0);
        }
        const auto start = ModuleBytes(byCli);
        std::vector<std::string> arguments = {c.cliVerb, "Example.vbp"};
        arguments.insert(arguments.end(), selectors.begin(), selectors.end());
        const CliResult cli = RunCliIn(byCli.Path(), arguments);
        ASSERT_LE(cli.code, 1) << cli.err;

        LoadedExample example(byExecute);
        if (scope == CommandScope::Routine) example.Select("modMain", "Describe");
        if (scope == CommandScope::Module) example.Select("CAccount", "");
        shell::CommandContext context{
            .vbe = example.Vbe(), .showMessages = false, .settings = settings::LoadSettings()};
        const shell::CommandResult result =
            shell::Execute(shell::ScopedCommand(scope, c.action), context);
        EXPECT_TRUE(result.available);
        example.Save();
        EXPECT_EQ(ModuleBytes(byExecute), ModuleBytes(byCli));
        EXPECT_NE(ModuleBytes(byCli), start) << "a case that changes nothing proves nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ExecuteAsTheCommandLine,
                         ::testing::Values(Case{"add", "add", ""}, Case{"line", "number", ""},
                                           Case{"tidy", "tidy", "number"},
                                           Case{"remove", "remove", "add"},
                                           Case{"replace", "replace", ""},
                                           Case{"unnumber", "unnumber", "number"}),
                         [](const auto& test) { return test.param.action; });

TEST(Execute, WindowCommandsNeedTheirWindows) {
    host::memory::MemoryVbe vbe;
    for (CommandId id : {CommandId::Find, CommandId::Check, CommandId::Tool}) {
        shell::CommandContext context{.vbe = vbe, .settings = settings::SettingsRecord()};
        EXPECT_FALSE(shell::Execute(id, context).available) << shell::Info(id).name;
    }
    int shown = 0;
    shell::CommandContext context{
        .vbe = vbe,
        .windows = {.showFind = [&] { shown += 10; },
                    .showMainWindow = [&](int displayType) { shown += displayType; }},
        .settings = settings::SettingsRecord()};
    EXPECT_TRUE(shell::Execute(CommandId::Find, context).available);
    EXPECT_TRUE(shell::Execute(CommandId::Check, context).available);
    EXPECT_TRUE(shell::Execute(CommandId::Tool, context).available);
    EXPECT_EQ(shown, 10 + 2 + 1) << "check shows the main window's list, tool the full window";
}

TEST(Execute, EveryVerbAndNameIsWrittenOnce) {
    std::set<std::string_view> names, verbs;
    for (const shell::CommandInfo& c : shell::Catalogue()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        if (!c.verb.empty()) {
            EXPECT_TRUE(verbs.insert(c.verb).second) << c.verb;
            EXPECT_EQ(shell::CommandOfVerb(c.verb), c.id);
        }
        EXPECT_EQ(shell::CommandNamed(c.name), c.id);
        EXPECT_EQ(&shell::Info(c.id), &c);
    }
    EXPECT_EQ(verbs.size(), 14u) << "the menus' verbs";
    EXPECT_FALSE(shell::CommandOfVerb("Code Add").has_value()) << "verbs compare exactly";
}

}  // namespace
}  // namespace qv::test
