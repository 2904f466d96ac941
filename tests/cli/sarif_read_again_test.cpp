// The SARIF log and the baseline let each module's code go as the load reads
// it and read it again at the module's turn: what is read again is what the
// load read, a file changed in between is refused rather than read, and the
// log is the one the code kept from the load gives.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/cli/check_sarif.h"
#include "app/cli/command.h"
#include "app/cli/sarif_baseline.h"
#include "cli/code_change_fixture.h"
#include "host/files/module_writer.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"
#include "platform/services.h"

namespace qv::test {
namespace {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

// A standard module whose member holds an attribute line and whose lines
// above its routine and last name a member it does not declare (such lines
// stay code lines), broken at LF without a final break; a class; a form
// with a control.
void WriteProject(const TempFolder& folder) {
    folder.Write("modA.bas",
                 "Attribute VB_Name = \"modA\"\nOption Explicit\nAttribute Gone.VB_UserMemId = 0\n\n"
                 "Public Sub Go()\n"
                 "Attribute Go.VB_Description = \"Goes\"\n    Beep\nEnd Sub\n"
                 "Attribute Gone.VB_Description = \"x\"");
    folder.Write("CTx.cls", CrlfLines({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
                                       "END", "Attribute VB_Name = \"CTx\"",
                                       "Attribute VB_Exposed = False", "Option Explicit", "",
                                       "Public Function Value() As Long", "    Value = 1",
                                       "End Function"}));
    folder.Write("frmMain.frm",
                 CrlfLines({"VERSION 5.00", "Begin VB.Form frmMain ", "   Caption = \"Main\"",
                            "   Begin VB.CommandButton cmdGo ", "      Caption = \"Go\"",
                            "   End", "End", "Attribute VB_Name = \"frmMain\"",
                            "Attribute VB_PredeclaredId = True", "Option Explicit", "",
                            "Private Sub cmdGo_Click()", "    Beep", "End Sub"}));
    folder.Write("p.vbp", CrlfLines({"Type=Exe", "Module=modA; modA.bas", "Class=CTx; CTx.cls",
                                     "Form=frmMain.frm", "Name=\"p\""}));
}

struct Loaded {
    host::memory::MemoryVbe vbe;
    host::files::Workspace workspace{vbe};
    MemoryComponent& Component(const std::string& name) {
        auto& components = vbe.Projects().At(1).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            if (components.At(c).Name() == name) return components.At(c);
        }
        throw std::runtime_error("no module " + name);
    }
    const host::files::ModuleFile& File(const std::string& name) {
        return *workspace.FileOf(Component(name));
    }
};

std::vector<std::string> Lines(const MemoryCodeModule& code) {
    std::vector<std::string> lines;
    for (long i = 1; i <= code.CountOfLines(); ++i) lines.emplace_back(code.Line(i));
    return lines;
}

// Each member's attribute lines, by member.
std::map<std::string, std::vector<std::string>> Hidden(const MemoryCodeModule& code) {
    std::map<std::string, std::vector<std::string>> hidden;
    for (const std::string& member : code.MembersWithHiddenAttributes()) {
        for (const auto& line : *code.HiddenAttributes(member)) hidden[member].push_back(line.text);
    }
    return hidden;
}

// Where each procedure stands, as the module's index tells.
std::vector<std::string> Procedures(const MemoryCodeModule& code) {
    std::vector<std::string> procedures;
    for (const auto& p : code.Index().Procs()) {
        procedures.push_back(p.name + " " + std::to_string(p.body) + "-" + std::to_string(p.end));
    }
    return procedures;
}

long Controls(MemoryComponent& component) {
    return component.Designer() == nullptr ? -1 : component.Designer()->VBControls().Count();
}

const char* const kModules[] = {"modA", "CTx", "frmMain"};

// The project loaded twice: once with its code kept, once with it let go at
// the load, to be read again.
class ModulesReadAgainTest : public ::testing::Test {
protected:
    ModulesReadAgainTest() {
        WriteProject(folder);
        host::files::LoadTargets(kept.workspace, {folder.File("p.vbp")});
        released.workspace.SetModuleLoaded(again.OnLoaded());
        host::files::LoadTargets(released.workspace, {folder.File("p.vbp")});
    }
    TempFolder folder;
    Loaded kept;
    Loaded released;
    cli::ModulesReadAgain again;
};

TEST_F(ModulesReadAgainTest, CodeReadAgainIsTheCodeTheLoadRead) {

    for (const std::string name : kModules) {
        SCOPED_TRACE(name);
        MemoryComponent& component = released.Component(name);
        ASSERT_EQ(component.Code()->CountOfLines(), 0);  // let go at the load
        ASSERT_EQ(released.File(name).bytes, nullptr);
        ASSERT_EQ(again.ReadAgain(released.workspace, component), "");

        const MemoryCodeModule& code = *component.Code();
        const MemoryCodeModule& expected = *kept.Component(name).Code();
        EXPECT_EQ(Lines(code), Lines(expected));
        EXPECT_EQ(Hidden(code), Hidden(expected));
        EXPECT_EQ(Procedures(code), Procedures(expected));
        // The designer's controls are the load's, not read a second time.
        EXPECT_EQ(Controls(component), Controls(kept.Component(name)));
        const host::files::ModuleFile& file = released.File(name);
        const host::files::ModuleFile& expectedFile = kept.File(name);
        ASSERT_NE(file.bytes, nullptr);
        EXPECT_EQ(*file.bytes, *expectedFile.bytes);
        EXPECT_EQ(file.ending, expectedFile.ending);
        EXPECT_EQ(file.finalBreak, expectedFile.finalBreak);
        EXPECT_EQ(file.loadedAttributes.size(), expectedFile.loadedAttributes.size());
        EXPECT_EQ(host::files::RenderModuleFile(file).bytes, *file.bytes);
    }
    EXPECT_EQ(Hidden(*released.Component("modA").Code()).size(), 1u);
    EXPECT_EQ(Lines(*released.Component("modA").Code()).back(),
              "Attribute Gone.VB_Description = \"x\"");
}

// A change of one byte (the size kept), a longer file and a file gone are
// each refused, the code left as let go; the same bytes written again are
// read again.
TEST_F(ModulesReadAgainTest, AFileThatNoLongerHoldsWhatTheLoadReadIsRefused) {
    const std::string original = folder.Read("CTx.cls");
    MemoryComponent& component = released.Component("CTx");

    std::string oneByte = original;
    oneByte[oneByte.find("Value = 1") + 8] = '2';
    for (const std::string& changed : {oneByte, original + "' more\r\n", std::string()}) {
        if (changed.empty()) {
            std::filesystem::remove(folder.Path() / "CTx.cls");
        } else {
            folder.Write("CTx.cls", changed);
        }
        const std::string refusal = again.ReadAgain(released.workspace, component);
        EXPECT_NE(refusal.find("changed"), std::string::npos) << refusal;
        EXPECT_EQ(component.Code()->CountOfLines(), 0);
        EXPECT_EQ(released.File("CTx").bytes, nullptr);
    }
    folder.Write("CTx.cls", original);
    EXPECT_EQ(again.ReadAgain(released.workspace, component), "");
    EXPECT_EQ(Lines(*component.Code()), Lines(*kept.Component("CTx").Code()));
}

// A status window that is told each module's turn: a test changes files
// there, between the load and the modules' turns.
class TurnWindow : public NoStatusWindow {
  public:
    std::function<void(std::string_view)> onTurn;
    void SetLabel(std::string_view label) override {
        if (onTurn) onTurn(label);
    }
};

class TurnServices : public ForwardingServices {
  public:
    TurnServices() : ForwardingServices(GetServices()) {}
    StatusWindow& GetStatusWindow() override { return window; }
    TurnWindow window;
};

class SarifReadAgain : public CodeChangeTest {
  protected:
    // The results of a log by module, each as text without its artifact's
    // index (which counts the files of the run).
    static std::map<std::string, std::vector<std::string>> ResultsByModule(const Json& log) {
        std::map<std::string, std::vector<std::string>> results;
        static const std::regex index("\"index\":[0-9]+,?");
        for (const Json& result : log["runs"][0]["results"]) {
            const std::string where = result["locations"][0]["logicalLocations"][0]
                                          ["fullyQualifiedName"].get<std::string>();
            results[where.substr(0, where.find('.'))].push_back(
                std::regex_replace(result.dump(), index, ""));
        }
        return results;
    }
    static std::vector<std::string> ModuleNames(const CliResult& json) {
        std::vector<std::string> names;
        const Json parsed = ParseJson(json.out);
        for (const Json& project : parsed["projects"]) {
            for (const Json& component : project["components"]) {
                names.push_back(component["name"].get<std::string>());
            }
        }
        return names;
    }
};

// A module selected by name keeps its code from the load to its turn: its
// results are those the run over the whole project gives it from code read
// again, fixes and all.
TEST_F(SarifReadAgain, CodeReadAgainGivesTheLogOfCodeKept) {
    struct Target {
        std::filesystem::path folder;
        std::string project;
    };
    const Target targets[] = {{ExampleFolder(), "Example.vbp"},
                              {FixtureFolder("Shapes"), "Shapes.vbp"},
                              {FixtureFolder("MoreShapes"), "MoreShapes.vbp"},
                              {FixtureFolder("RealShapes"), "RealShapes.vbp"},
                              {FixtureFolder("Shop"), "Shop.vbp"}};
    for (const Target& target : targets) {
        SCOPED_TRACE(target.project);
        const TempFolder copy = CopyOfFolder(target.folder);
        const CliResult whole = Run(copy, {"--format", "sarif", "check", target.project});
        const auto byModule = ResultsByModule(ParseJson(whole.out));
        size_t compared = 0;
        for (const std::string& module :
             ModuleNames(Run(copy, {"--format", "json", "check", target.project}))) {
            SCOPED_TRACE(module);
            const CliResult one =
                Run(copy, {"--format", "sarif", "check", target.project, "--module", module});
            const auto kept = ResultsByModule(ParseJson(one.out));
            const auto found = byModule.find(module);
            EXPECT_EQ(kept.empty() ? std::vector<std::string>{} : kept.begin()->second,
                      found == byModule.end() ? std::vector<std::string>{} : found->second);
            compared += kept.empty() ? 0 : kept.begin()->second.size();
        }
        EXPECT_GT(compared, 0u);
    }
}

// A module whose file changes after the load and before its turn is
// refused (the run fails, and says so in the log too); the others give
// what a fresh run gives. The same bytes written again change nothing.
TEST_F(SarifReadAgain, AModuleChangedBeforeItsTurnIsRefusedNotRendered) {
    const TempFolder shapes = ShapesProject();
    const CliResult fresh = Run(shapes, {"--format", "sarif", "check", "Shapes.vbp"});
    ASSERT_EQ(fresh.code, 1) << fresh.err;
    const std::string original = shapes.Read("CTx.cls");

    TurnServices services;
    const ScopedServices scope(services);
    // Before the first module's turn; the modules are few, and worked on
    // one after the other.
    services.window.onTurn = [&](std::string_view module) {
        if (module == "modA") shapes.Write("CTx.cls", original);
    };
    const CliResult same = Run(shapes, {"--format", "sarif", "check", "Shapes.vbp"});
    EXPECT_EQ(same.code, fresh.code);
    EXPECT_EQ(same.out, fresh.out);
    EXPECT_EQ(same.err, fresh.err);

    std::string edited = original;
    const size_t at = edited.find("Option Explicit");
    ASSERT_NE(at, std::string::npos);
    edited.insert(at, "' a line added above every routine\r\n");
    services.window.onTurn = [&](std::string_view module) {
        if (module == "modA") shapes.Write("CTx.cls", edited);
    };
    const CliResult changed = Run(shapes, {"--format", "sarif", "check", "Shapes.vbp"});
    services.window.onTurn = {};
    EXPECT_EQ(changed.code, 3);
    EXPECT_NE(changed.err.find("cannot judge CTx: the file changed"), std::string::npos)
        << changed.err;
    const Json log = ParseJson(changed.out);
    const Json invocation = log["runs"][0]["invocations"][0];
    EXPECT_FALSE(invocation.value("executionSuccessful", true));
    EXPECT_NE(invocation["toolExecutionNotifications"][0]["message"]["text"]
                  .get<std::string>()
                  .find("CTx.cls"),
              std::string::npos);
    auto expected = ResultsByModule(ParseJson(fresh.out));
    ASSERT_EQ(expected.count("CTx"), 1u);
    expected.erase("CTx");
    EXPECT_EQ(ResultsByModule(log), expected);

    // The baseline reads the modules again as well.
    shapes.Write("Before.sarif", fresh.out);
    shapes.Write("CTx.cls", original);
    services.window.onTurn = [&](std::string_view module) {
        if (module == "modA") shapes.Write("CTx.cls", edited);
    };
    const CliResult baseline = Run(shapes, {"check", "Shapes.vbp", "--baseline", "Before.sarif"});
    services.window.onTurn = {};
    EXPECT_EQ(baseline.code, 3);
    EXPECT_NE(baseline.err.find("cannot judge CTx: the file changed"), std::string::npos)
        << baseline.err;
}

// A baseline is read result by result: each keeps what matching needs and
// its absent form (its own fixes left out, what it holds otherwise kept);
// a log that is none is refused with the reason a whole read gives.
TEST(SarifBaselineRead, ResultByResultAsAWholeReadReadsIt) {
    TempFolder folder;
    const std::string fingerprint = "0123456789abcdef0123456789abcdef";
    folder.Write("b.sarif", R"({"version":"2.1.0","runs":[{"tool":{"fixes":1},"results":[
        {"level":"note","message":{"text":"m"},"fixes":[{"x":1}],"properties":{"fixes":2},
         "partialFingerprints":{"qvaddinRoutine/v1":")" + fingerprint + R"("},
         "locations":[{"physicalLocation":{"artifactLocation":{"uri":"a.bas","index":3}}}]},
        {"baselineState":"absent","partialFingerprints":{"qvaddinRoutine/v1":"gone"}}]}]})");
    cli::SarifBaseline baseline = cli::SarifBaseline::Read(folder.File("b.sarif"));
    EXPECT_EQ(baseline.Counts().absent, 1);
    const std::vector<cli::JsonNode> absent = baseline.Absent();
    ASSERT_EQ(absent.size(), 1u);
    EXPECT_EQ(absent[0].dump(),
              R"({"baselineState":"absent","level":"note","locations":[{"physicalLocation":)"
              R"({"artifactLocation":{"uri":"a.bas"}}}],"message":{"text":"m"},)"
              R"("partialFingerprints":{"qvaddinRoutine/v1":")" + fingerprint +
                  R"("},"properties":{"fixes":2}})");
    EXPECT_EQ(baseline.Match(fingerprint, "note", "other"), cli::BaselineState::Updated);
    cli::SarifBaseline again = cli::SarifBaseline::Read(folder.File("b.sarif"));
    EXPECT_EQ(again.Match(fingerprint, "note", "m"), cli::BaselineState::Unchanged);
    EXPECT_EQ(again.Match(fingerprint, "note", "m"), cli::BaselineState::New);
    EXPECT_TRUE(again.Absent().empty());

    for (const auto& [log, reason] :
         std::vector<std::pair<std::string, std::string>>{
             {R"({"version":"2.1.0","runs":[{"results":[5]}]})", "without the fingerprint"},
             {R"({"version":"2.1.0","runs":[{"results":[{}]},{"results":{}}]})",
              "without the fingerprint"},
             {R"({"version":"2.1.0","runs":[{"results":{}},{"results":[{}]}]})",
              "a run without results"},
             {R"({"version":"2.0.0","runs":[{"results":[{}]}]})", "not a SARIF 2.1.0 log"},
             {R"([{"runs":[]}])", "not a SARIF log"},
             {R"({"runs":[)", "not JSON"}}) {
        folder.Write("bad.sarif", log);
        try {
            cli::SarifBaseline::Read(folder.File("bad.sarif"));
            ADD_FAILURE() << log << " read";
        } catch (const cli::CliError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos)
                << log << ": " << error.what();
        }
    }
}

}  // namespace
}  // namespace qv::test
