// qvaddin check --baseline: findings compared with an earlier SARIF log by
// their routine fingerprints; only new and updated ones fail the run.


#include "cli/code_change_fixture.h"

namespace qv::test {
namespace {

class Baseline : public CodeChangeTest {
protected:
    // The SARIF log of the folder's project, kept in the folder.
    void SaveBaseline(const TempFolder& folder) {
        const CliResult r = Run(folder, {"--format", "sarif", "check", "Shapes.vbp"});
        ASSERT_EQ(r.code, 1) << r.err;
        folder.Write("baseline.sarif", r.out);
    }
    static std::map<std::string, int> States(Json log) {
        std::map<std::string, int> states;
        for (Json result : log["runs"][0]["results"]) {
            ++states[result["baselineState"].get<std::string>()];
        }
        return states;
    }
};

TEST_F(Baseline, ARoundTripFailsOnlyOnTheRoutineThatGotWorse) {
    const TempFolder shapes = ShapesProject();
    SaveBaseline(shapes);
    const std::vector<std::string> check{"--format", "sarif", "check", "Shapes.vbp",
                                         "--baseline", "baseline.sarif"};
    const CliResult same = Run(shapes, check);
    EXPECT_EQ(same.code, 0) << "nothing new: " << same.err;
    EXPECT_EQ(States(ParseJson(same.out)), (std::map<std::string, int>{{"unchanged", 8}}));

    // A routine with some handling loses it (SOME becomes MISSING); lines
    // above the others move.
    std::string module = shapes.Read("modA.bas");
    module.erase(module.find("    On Error Resume Next\r\n"), 26);
    module.insert(module.find("' Does it."), "' Moved down.\r\n\r\n");
    shapes.Write("modA.bas", module);
    const CliResult worse = Run(shapes, check);
    EXPECT_EQ(worse.code, 1) << worse.err;
    Json log = ParseJson(worse.out);
    EXPECT_EQ(States(log),
              (std::map<std::string, int>{{"new", 1}, {"unchanged", 7}, {"absent", 1}}));
    for (Json result : log["runs"][0]["results"]) {
        if (result["baselineState"] == "new" || result["baselineState"] == "absent") {
            EXPECT_EQ(result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"],
                      "modA.Resumes");
        }
    }
    // Against a baseline of the log just made: nothing new.
    shapes.Write("baseline.sarif", worse.out);
    EXPECT_EQ(Run(shapes, check).code, 0);
}

TEST_F(Baseline, TextAndJsonCountEachStateAndAFixedRoutineIsAbsent) {
    const TempFolder shapes = ShapesProject();
    SaveBaseline(shapes);
    // Go gets its handler; Resumes holds SOME with another exit status.
    ASSERT_EQ(Run(shapes, {"add", "Shapes.vbp", "--module", "modA", "--routine", "Go"}).code, 0);
    std::string module = shapes.Read("modA.bas");
    module.replace(module.find("    Resumes = 1"), 15, "    Resumes = 1\r\n    Exit Function");
    shapes.Write("modA.bas", module);

    const CliResult text = Run(shapes, {"check", "Shapes.vbp", "--baseline", "baseline.sarif"});
    EXPECT_NE(text.out.find("Against the baseline: 0 new, "), std::string::npos) << text.out;
    const CliResult json =
        Run(shapes, {"--format", "json", "check", "Shapes.vbp", "--baseline", "baseline.sarif"});
    Json counts = ParseJson(json.out)["baseline"];
    EXPECT_EQ(counts["new"].get<int>(), 0);
    EXPECT_EQ(counts["absent"].get<int>(), 1);
    EXPECT_EQ(counts["new"].get<int>() + counts["updated"].get<int>() + counts["unchanged"].get<int>(), 7);
    EXPECT_EQ(json.code, counts["updated"].get<int>() > 0 ? 1 : 0);
    EXPECT_EQ(text.code, json.code);

    const CliResult sarif = Run(shapes, {"--format", "sarif", "check", "Shapes.vbp", "--baseline",
                                         "baseline.sarif"});
    Json results = ParseJson(sarif.out)["runs"][0]["results"];
    Json absent = results.back();
    EXPECT_EQ(absent["baselineState"].get<std::string>(), "absent");
    EXPECT_EQ(absent["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "modA.Go");
    EXPECT_FALSE(absent.contains("fixes"));
    EXPECT_FALSE(absent["locations"][0]["physicalLocation"]["artifactLocation"].contains(
        "index"));
}

TEST_F(Baseline, ABaselineThatCannotServeIsAClearError) {
    const TempFolder shapes = ShapesProject();
    shapes.Write("broken.sarif", "{\"version\": \"2.1.0\", \"runs\": [");
    shapes.Write("other.sarif",
                 "{\"version\": \"2.1.0\", \"runs\": [{\"results\": [{\"ruleId\": \"X\"}]}]}");
    shapes.Write("list.sarif", "[1, 2]");
    for (const auto& [file, says] :
         std::vector<std::pair<std::string, std::string>>{{"missing.sarif", "missing.sarif"},
                                                          {"broken.sarif", "not JSON"},
                                                          {"other.sarif", "without the fingerprint"},
                                                          {"list.sarif", "not a SARIF log"}}) {
        const CliResult r = Run(shapes, {"check", "Shapes.vbp", "--baseline", file});
        EXPECT_EQ(r.code, 3) << file;
        EXPECT_NE(r.err.find("cannot use " + file + " as a baseline"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace qv::test
