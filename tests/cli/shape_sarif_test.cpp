// The SARIF log over the shape fixtures (what the golden run, which compares
// the other formats' texts, leaves out): a routine defined once in each
// branch of an #If is located at its own copy, and a project of another code
// page names the routines as text, gives the files' code page and offers a
// fix of each routine.

#include "cli/code_change_fixture.h"
#include "cli/code_page_fixture.h"

namespace qv::test {
namespace {

class ShapeSarif : public CodeChangeTest {};

TEST_F(ShapeSarif, EachCopyOfARoutineIsLocatedAtItsOwnDeclaration) {
    const TempFolder folder = CopyOfFolder(FixtureFolder("MoreShapes"));
    ASSERT_EQ(Run(folder, {"add", "MoreShapes.vbp", "--module", "modCopies", "--line", "5"}).code,
              0);
    const CliResult sarif = Run(folder, {"--format", "sarif", "check", "MoreShapes.vbp"});
    Json results = ParseJson(sarif.out)["runs"][0]["results"];
    std::vector<std::string> located;
    for (Json result : results) {
        const std::string text = result["message"]["text"].get<std::string>();
        if (!text.starts_with("Routine Peek")) continue;
        located.push_back(text.substr(0, text.find(':')) + " @" +
                          std::to_string(result["locations"][0]["physicalLocation"]["region"]
                                                ["startLine"].get<int>()));
    }
    // Below the first copy's handler.
    EXPECT_EQ(located, std::vector<std::string>{"Routine Peek (copy 2) @18"});
}

TEST_F(ShapeSarif, NamesTheCodePageAndOffersEveryFix) {
    const TempFolder folder = CodePageCopy(kJapanese);
    const CliResult r =
        Run(folder, {"--code-page", "932", "--format", "sarif", "check", "日本.vbp"});
    EXPECT_EQ(r.code, 1) << r.err;
    Json run = ParseJson(r.out)["runs"][0];
    for (Json artifact : run["artifacts"]) {
        EXPECT_EQ(artifact["encoding"].get<std::string>(), "shift_jis");
    }
    std::vector<std::string> found;
    for (Json result : run["results"]) {
        found.push_back(
            result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"].get<std::string>() +
            (result.contains("fixes") ? " fix" : ""));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"問題.実行_Click fix", "共通.表示 fix",
                                               "共通.ソート fix"}));
    const std::string inserted = run["results"][1]["fixes"][0]["artifactChanges"][0]
                                    ["replacements"].back()["insertedContent"]["text"]
                                        .get<std::string>();
    EXPECT_NE(inserted.find("\"共通.表示(\" & Erl"), std::string::npos) << inserted;
}

}  // namespace
}  // namespace qv::test
