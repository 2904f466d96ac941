#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>
#include <utility>

#include "platform/code_page.h"
#include "platform/text.h"
#include "support/vb_fixture.h"

// The host's Find scans sixteen positions at a time; these cases pin it to
// the plain definition of a hit (case folded as the module's code page,
// Windows-1252 here, folds its letters).
namespace qv::host {
namespace {

// Every hit start (0-based) in the line by the plain definition.
std::vector<size_t> NaiveHits(std::string_view line, std::string_view target, bool matchCase) {
    std::vector<size_t> hits;
    for (size_t i = 0; i + target.size() <= line.size(); ++i) {
        const std::string_view part = line.substr(i, target.size());
        bool same = true;
        for (size_t k = 0; k < part.size() && same; ++k) {
            const auto a = static_cast<unsigned char>(part[k]);
            const auto b = static_cast<unsigned char>(target[k]);
            same = a == b ||
                   (!matchCase && a == text::OtherCaseByte(b, text::CodePage::Windows1252()));
        }
        if (same) hits.push_back(i);
    }
    return hits;
}

std::vector<size_t> HostHits(CodeModule& m, std::string_view target, bool matchCase) {
    std::vector<size_t> hits;
    long sl = 1, sc = 1, el = -1, ec = -1;
    while (m.Find(target, sl, sc, el, ec, false, matchCase, false)) {
        EXPECT_EQ(ec - sc, static_cast<long>(target.size()));
        hits.push_back(static_cast<size_t>(sc - 1));
        ++sc;
        el = ec = -1;
    }
    return hits;
}

TEST(HostFind, FoldsLettersNotSigns) {
    test::VbFixture fx;
    // '@' and '`', '[' and '{' differ only in the case bit, as the letters
    // 0xC1 and 0xE1 (Á and á) do.
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, "x = \"`{\xE1\" ' @[\xC1 AbC").Code();
    EXPECT_EQ(HostHits(m, "@[\xC1", false), (std::vector<size_t>{12}));
    EXPECT_EQ(HostHits(m, "\xE1", false), (std::vector<size_t>{7, 14}));
    EXPECT_EQ(HostHits(m, "\xE1", true), (std::vector<size_t>{7}));
    EXPECT_EQ(HostHits(m, "abc", false), (std::vector<size_t>{16}));
    EXPECT_EQ(HostHits(m, "abc", true), std::vector<size_t>{});
}

TEST(HostFind, AgreesWithThePlainDefinitionOnLongAndShortLines) {
    std::mt19937 rng(7);
    const std::string alphabet = "aAbB _@`[{\xC1\xE1";
    for (int round = 0; round < 1000; ++round) {
        std::string line;
        const size_t length = rng() % 90;
        for (size_t i = 0; i < length; ++i) line += alphabet[rng() % alphabet.size()];
        std::string target;
        const size_t targetLength = 1 + rng() % 6;
        const size_t letters = round % 2 == 0 ? 4 : alphabet.size();  // letters only, or any byte
        for (size_t i = 0; i < targetLength; ++i) target += alphabet[rng() % letters];
        test::VbFixture fx;
        auto& m = *fx.Add("Module1", vbext_ct_StdModule, line).Code();
        for (bool matchCase : {false, true}) {
            EXPECT_EQ(HostHits(m, target, matchCase), NaiveHits(line, target, matchCase))
                << "line '" << line << "' target '" << target << "' matchCase " << matchCase;
        }
    }
}

// Every hit (line, 0-based column) of the module by the plain definition,
// line by line.
std::vector<std::pair<long, size_t>> NaiveModuleHits(const CodeModule& m, std::string_view target,
                                                     bool matchCase) {
    std::vector<std::pair<long, size_t>> hits;
    for (long l = 1; l <= m.CountOfLines(); ++l) {
        for (size_t at : NaiveHits(m.Lines(l, 1), target, matchCase)) hits.emplace_back(l, at);
    }
    return hits;
}

// The hits of a whole module walked with the host's search: line, first and
// end column, in the order found.
std::vector<std::tuple<long, long, long>> WalkedHits(CodeModule& m, std::string_view target,
                                                     bool wholeWord, bool matchCase) {
    std::vector<std::tuple<long, long, long>> hits;
    long sl = 1, sc = 1, el = -1, ec = -1;
    while (m.Find(target, sl, sc, el, ec, wholeWord, matchCase, false)) {
        hits.emplace_back(sl, sc, ec);
        ++sc;
        el = ec = -1;
    }
    return hits;
}

std::vector<std::pair<long, size_t>> ModuleHits(CodeModule& m, std::string_view target,
                                                bool matchCase) {
    std::vector<std::pair<long, size_t>> hits;
    for (const auto& [line, start, end] : WalkedHits(m, target, false, matchCase)) {
        hits.emplace_back(line, static_cast<size_t>(start - 1));
    }
    return hits;
}

// A module's lines are searched as one text where they lie next to each
// other in memory (a loaded file's lines, or lines written one after
// another); a hit is still whole within one line. Lines of a file with a
// line left out between them (as a hidden attribute line is), lines of
// CR LF, LF and lone CR endings, and lines inserted later among them, in
// modules larger than the pieces the text is searched in.
TEST(HostFind, ModulesSearchedAsOneTextFindWhatTheirLinesHold) {
    std::mt19937 rng(11);
    const std::string alphabet = "aAbB _\xC1\xE1";
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 40; ++round) {
        auto bytes = std::make_shared<std::string>();
        std::vector<std::pair<size_t, size_t>> spans;  // offset, length of each line
        const size_t count = round % 4 == 0 ? 12000 : 1 + rng() % 60;
        for (size_t i = 0; i < count; ++i) {
            const size_t length = rng() % (round % 3 == 0 ? 3 : 40);
            spans.emplace_back(bytes->size(), length);
            for (size_t k = 0; k < length; ++k) *bytes += alphabet[rng() % alphabet.size()];
            *bytes += breaks[round % 3];
        }
        std::vector<std::string_view> lines;
        for (size_t i = 0; i < spans.size(); ++i) {
            if (rng() % 10 == 0) continue;  // left out, as a hidden line is
            lines.emplace_back(bytes->data() + spans[i].first, spans[i].second);
        }
        std::string target;
        for (size_t i = 0, n = 1 + rng() % 4; i < n; ++i) target += alphabet[rng() % 4];
        test::VbFixture fx;
        auto& m = *fx.Add("Module1", vbext_ct_StdModule, "").Code();
        m.LoadLines(bytes, std::move(lines));
        for (int edit = 0; edit < round % 5 && m.CountOfLines() > 0; ++edit) {
            const long at = 1 + static_cast<long>(rng() % static_cast<unsigned>(m.CountOfLines()));
            m.InsertLines(at, round % 2 == 0 ? "x = " + target : "ab\r\nba");
        }
        for (bool matchCase : {false, true}) {
            EXPECT_EQ(ModuleHits(m, target, matchCase), NaiveModuleHits(m, target, matchCase))
                << "round " << round << " target '" << target << "' matchCase " << matchCase;
        }
    }
}

// Each line searched on its own, bounded to it.
std::vector<std::tuple<long, long, long>> LineByLineHits(CodeModule& m, std::string_view target,
                                                         bool wholeWord, bool matchCase) {
    std::vector<std::tuple<long, long, long>> hits;
    for (long line = 1; line <= m.CountOfLines(); ++line) {
        long sl = line, sc = 1, el = line, ec = -1;
        while (m.Find(target, sl, sc, el, ec, wholeWord, matchCase, false)) {
            hits.emplace_back(sl, sc, ec);
            ++sc;
            el = line;
            ec = -1;
        }
    }
    return hits;
}

// Walking a whole module finds what searching each line alone finds, by the
// rules of a hit: whole words (an underscore, a digit, a letter or a
// double-byte character next to the text joins it), case folded or not, and
// never a part of a character, in single-byte, double-byte and UTF-8 pages.
TEST(HostFind, WholeModuleWalkFindsTheHitsOfEachLineAlone) {
    std::mt19937 rng(29);
    // Shift-JIS and GBK lead bytes, trail bytes that are "\\", "_" or a letter,
    // UTF-8's lead and continuation bytes, punctuation and word bytes.
    const std::string alphabet = "aAb_ .(9\x81\x95\\\xE3\x81\x82\xC3\xA9";
    const char* const pages[] = {"1252", "932", "936", "65001"};
    for (int round = 0; round < 200; ++round) {
        auto bytes = std::make_shared<std::string>();
        std::vector<std::string_view> lines;
        std::vector<std::pair<size_t, size_t>> spans;
        const size_t count = 1 + rng() % (round % 10 == 0 ? 3000 : 40);
        for (size_t i = 0; i < count; ++i) {
            const size_t length = rng() % 30;
            spans.emplace_back(bytes->size(), length);
            for (size_t k = 0; k < length; ++k) *bytes += alphabet[rng() % alphabet.size()];
            *bytes += "\r\n";
        }
        for (size_t i = 0; i < spans.size(); ++i) {
            if (rng() % 10 == 0) continue;  // left out, as a hidden line is
            lines.emplace_back(bytes->data() + spans[i].first, spans[i].second);
        }
        std::string target;
        for (size_t i = 0, n = 1 + rng() % 3; i < n; ++i) target += alphabet[rng() % alphabet.size()];
        test::VbFixture fx;
        auto& component = fx.Add("Module1", vbext_ct_StdModule, "");
        component.SetTextCodePage(*text::CodePage::Named(pages[round % 4]));
        auto& m = *component.Code();
        m.LoadLines(bytes, std::move(lines));
        for (bool wholeWord : {false, true}) {
            for (bool matchCase : {false, true}) {
                EXPECT_EQ(WalkedHits(m, target, wholeWord, matchCase),
                          LineByLineHits(m, target, wholeWord, matchCase))
                    << "round " << round << " page " << pages[round % 4] << " wholeWord "
                    << wholeWord << " matchCase " << matchCase;
            }
        }
    }
}

TEST(HostFind, NoHitAcrossLinesWrittenNextToEachOther) {
    test::VbFixture fx;
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, test::Vb({"x = 1", "zeb", "ra", "y"})).Code();
    long sl = 1, sc = 1, el = -1, ec = -1;
    EXPECT_FALSE(m.Find("zebra", sl, sc, el, ec, false, false, false));
    m.InsertLines(4, "' a zebra");
    sl = sc = 1;
    el = ec = -1;
    ASSERT_TRUE(m.Find("zebra", sl, sc, el, ec, false, false, false));
    EXPECT_EQ(sl, 4);
    EXPECT_EQ(sc, 5);
}

// Shift-JIS: 表 (95 5C) ends in the byte of "\\", ポ (83 7C) in that of "|".
TEST(HostFind, NeverMatchesInsideADoubleByteCharacter) {
    test::VbFixture fx;
    auto& component = fx.Add("Module1", vbext_ct_StdModule,
                             test::Vb({"' \x95\x5c\x8e\xa6 \\ x", "s = \"\x83\x7c\" | \x95\x5cx"}));
    component.SetTextCodePage(*text::CodePage::Named("932"));
    auto& m = *component.Code();
    long sl = 1, sc = 1, el = -1, ec = -1;
    ASSERT_TRUE(m.Find("\\", sl, sc, el, ec, false, true, false));
    EXPECT_EQ(sl, 1);
    EXPECT_EQ(sc, 8) << "the backslash of its own, not the end of 表";
    sl = sc = 1;
    el = ec = -1;
    ASSERT_TRUE(m.Find("|", sl, sc, el, ec, false, true, false));
    EXPECT_EQ(sl, 2);
    EXPECT_EQ(sc, 10);
    // The "x" after 表 is no word of its own: 表 is a letter.
    sl = sc = 1;
    el = ec = -1;
    ASSERT_TRUE(m.Find("x", sl, sc, el, ec, true, true, false));
    EXPECT_EQ(sl, 1);
    sc += 1;
    el = ec = -1;
    EXPECT_FALSE(m.Find("x", sl, sc, el, ec, true, true, false));
    EXPECT_EQ(HostHits(m, "\x95\x5c", true), (std::vector<size_t>{2, 11}));  // a column on each line
    // Case is folded for single-byte letters only, never for a trail byte.
    EXPECT_EQ(HostHits(m, "\x95\x7c", false), std::vector<size_t>{});
}

TEST(HostFind, FoldsTheLettersOfTheModulesCodePage) {
    test::VbFixture fx;
    // Cyrillic: Ё (A8) and ё (B8), Ж (C6) and ж (E6).
    auto& component = fx.Add("Module1", vbext_ct_StdModule, "' \xA8\xC6 \xB8\xE6");
    component.SetTextCodePage(*text::CodePage::Named("1251"));
    EXPECT_EQ(HostHits(*component.Code(), "\xB8\xE6", false), (std::vector<size_t>{2, 5}));
    EXPECT_EQ(HostHits(*component.Code(), "\xB8\xE6", true), (std::vector<size_t>{5}));
}

TEST(HostFind, HitsAtTheEndOfALongLineAndAcrossLines) {
    test::VbFixture fx;
    const std::string longLine = std::string(37, ' ') + "Zebra";
    auto& m =
        *fx.Add("Module1", vbext_ct_StdModule, test::Vb({longLine, "zebr", "a zebra"})).Code();
    long sl = 1, sc = 1, el = -1, ec = -1;
    ASSERT_TRUE(m.Find("ZEBRA", sl, sc, el, ec, false, false, false));
    EXPECT_EQ(sc, 38);
    EXPECT_EQ(ec, 43);
    ++sc;
    el = ec = -1;
    ASSERT_TRUE(m.Find("ZEBRA", sl, sc, el, ec, false, false, false));
    EXPECT_EQ(sl, 3) << "a hit never spans two lines";
    EXPECT_EQ(sc, 3);
}

}  // namespace
}  // namespace qv::host
