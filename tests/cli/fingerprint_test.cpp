// The routine fingerprints of SARIF logs: users keep baselines that match
// by them, so their values never change; in a run over several projects the
// project is part of them.

#include <gtest/gtest.h>

#include "app/cli/fingerprint_text.h"
#include "app/cli/json_text.h"
#include "app/cli/sarif_baseline.h"
#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

using Json = cli::JsonNode;
using text::CodePage;

TEST(Fingerprint, Sha256OfKnownTexts) {
    EXPECT_EQ(cli::HexDigits(cli::Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(cli::HexDigits(cli::Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    EXPECT_EQ(cli::HexDigits(cli::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(cli::HexDigits(cli::Sha256(std::string(1000, 'a'))),
              "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST(Fingerprint, LowerCaseOfEveryAlphabet) {
    // Latin-1, Greek, Cyrillic, Roman numerals, full-width Latin, a title
    // case digraph, and the dotted capital I, which becomes two characters.
    EXPECT_EQ(cli::UnicodeLower("ÀÉÑ ΣΑ ДОМ Ⅻ Ａ ǅ İx"), "àéñ σα дом ⅻ ａ ǆ i\xCC\x87x");
    EXPECT_EQ(cli::UnicodeLower("\xFF" "A"), "\xEF\xBF\xBD" "a") << "a broken byte is U+FFFD";
}

TEST(Fingerprint, KnownRoutinesKeepTheirValues) {
    // The values earlier versions wrote into the logs users keep as baselines.
    EXPECT_EQ(cli::RoutineFingerprint("", "modMain", "Main", CodePage::Windows1252(), "QV-MISSING"),
              "3d14ff3c7183c27ef7d7b7c55be9f7b9");
    EXPECT_EQ(cli::RoutineFingerprint("", "\x96\xe2\x91\xe8", "\x8e\xc0\x8ds_Click",
                                      *CodePage::Named("932"), "QV-MISSING"),
              "af589b7fd878a4bb1c3836fe7907c954");
    EXPECT_EQ(cli::RoutineFingerprint("", "MÓDULO", "ÀÉΣДⅫＡǄİ (Get)", CodePage::Utf8(),
                                      "QV-MISSING"),
              "0f0c8f53663c3c0191b1d6a2904efe58");
}

TEST(Fingerprint, TheProjectMakesItsOwnAndCaseStillDoesNotCount) {
    const auto of = [](const char* project) {
        return cli::RoutineFingerprint(project, "modA", "Go", CodePage::Windows1252(), "QV-MISSING");
    };
    EXPECT_NE(of("A"), of(""));
    EXPECT_NE(of("A"), of("B"));
    EXPECT_EQ(of("A"), of("a"));
}

// Two projects of a group, each with a module modA whose routine Go has no
// handler.
class GroupFingerprints : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"A", "B"}) {
            const std::string project = std::string(name) + "/" + name + ".vbp";
            folder_.Write(project, std::string("Type=Exe\r\nModule=modA; modA.bas\r\nName=\"") +
                                       name + "\"\r\n");
            folder_.Write(std::string(name) + "/modA.bas",
                          "Attribute VB_Name = \"modA\"\r\nSub Go()\r\n    Beep\r\nEnd Sub\r\n");
        }
        folder_.Write("Both.vbg", "VBGROUP 5.0\r\nStartupProject=A\\A.vbp\r\nProject=B\\B.vbp\r\n");
    }
    Json Sarif(std::vector<std::string> arguments, int code = 1) {
        arguments.insert(arguments.begin(), {"--format", "sarif", "check"});
        const CliResult r = RunCliIn(folder_.Path(), arguments);
        EXPECT_EQ(r.code, code) << r.err;
        return Json::parse(r.out);
    }
    static std::vector<std::string> Values(const Json& log, const char* member) {
        std::vector<std::string> values;
        for (const Json& result : log["runs"][0]["results"]) {
            values.push_back(member == std::string("state")
                                 ? result.value("baselineState", "")
                                 : result["partialFingerprints"][cli::kRoutineFingerprint]
                                       .get<std::string>());
        }
        return values;
    }
    TempFolder folder_;
};

TEST_F(GroupFingerprints, EachProjectHasItsOwnAndAProjectAloneKeepsTodays) {
    const std::vector<std::string> group = Values(Sarif({"Both.vbg"}), "fingerprint");
    ASSERT_EQ(group.size(), 2u);
    EXPECT_NE(group[0], group[1]);
    const std::string alone = cli::RoutineFingerprint("", "modA", "Go", CodePage::Windows1252(),
                                                      "QV-MISSING");
    EXPECT_EQ(Values(Sarif({"A/A.vbp"}), "fingerprint"), std::vector<std::string>{alone});
    // One project of the group chosen: still the group's fingerprint.
    EXPECT_EQ(Values(Sarif({"Both.vbg", "--project", "B"}), "fingerprint"),
              std::vector<std::string>{group[1]});
}

TEST_F(GroupFingerprints, AnOlderLogWithoutProjectsStillMatchesAsABaseline) {
    // An older version's log of the group: one result of modA.Go, without
    // the project.
    folder_.Write("old.sarif", JsonText(Sarif({"A/A.vbp"}), cli::JsonLayout::Compact));
    const Json log = Sarif({"Both.vbg", "--baseline", "old.sarif"});
    EXPECT_EQ(Values(log, "state"), (std::vector<std::string>{"unchanged", "new"}));
    // A log of this version matches each project's own.
    folder_.Write("new.sarif", JsonText(log, cli::JsonLayout::Compact));
    EXPECT_EQ(Values(Sarif({"Both.vbg", "--baseline", "new.sarif"}, 0), "state"),
              (std::vector<std::string>{"unchanged", "unchanged"}));
}

}  // namespace
}  // namespace qv::test
