#include <gtest/gtest.h>

#include "stats/stats_table.h"
#include "support/vb_fixture.h"

namespace qv::stats {
namespace {

std::vector<std::string> Texts(const std::vector<ModuleRow>& rows) {
    std::vector<std::string> texts;
    for (const auto& r : rows) texts.push_back(r.text);
    return texts;
}

void AddThreeModules(test::VbFixture& fx) {
    fx.Add("modB", host::vbext_ct_StdModule,
           test::Vb({"Option Explicit", "", "Sub One()", "' c", "End Sub", ""}));
    fx.Add("Alpha", host::vbext_ct_ClassModule,
           test::Vb({"' top", "Private x As Long", "Sub Two()", "End Sub"}));
    fx.Add("charlie", host::vbext_ct_VBForm, test::Vb({"Sub Form_Load()", "End Sub"}));
    fx.Add("Notes", host::vbext_ct_RelatedDocument, "");
}

TEST(StatsTable, TotalRowSumsTheColumnsAndCountsTheModules) {
    test::VbFixture fx;
    AddThreeModules(fx);
    std::vector<std::pair<long, long>> progress;
    const ModuleTable table =
        ProjectStatistics(fx.Vbe(), "Project1", [&](long done, long max) {
            progress.emplace_back(done, max);
        });
    EXPECT_EQ(table.total.text, " <Total> 3 modules");
    EXPECT_EQ(Texts(table.modules), (std::vector<std::string>{"modB", "Alpha", "charlie"}))
        << "listed in collection order, the related document left out";
    EXPECT_EQ(table.total.figures.totalLines, 12);
    EXPECT_EQ(table.total.figures.routines, 3);
    EXPECT_EQ(progress, (std::vector<std::pair<long, long>>{{1, 3}, {2, 3}, {3, 3}}));
}

// Many modules are counted side by side: each row holds its own module's
// figures, the rows and the progress come in the project's order, and the
// total is their sum.
TEST(StatsTable, ModulesCountedSideBySideKeepTheirOrderAndFigures) {
    test::VbFixture fx;
    std::vector<std::string> names;
    for (int m = 0; m < 60; ++m) {
        std::vector<std::string> lines{"Option Explicit"};
        for (int r = 0; r < m % 5; ++r) {
            lines.push_back("' routine " + std::to_string(r));
            lines.push_back("Sub R" + std::to_string(r) + "()");
            for (int k = 0; k < m; ++k) lines.push_back(k % 3 == 0 ? "" : "    x = " + std::to_string(k));
            lines.push_back("End Sub");
        }
        names.push_back("Mod" + std::to_string(59 - m));  // not in sorted order
        fx.Add(names.back(), host::vbext_ct_StdModule, test::Vb(lines));
    }
    std::vector<long> progress;
    const ModuleTable table = ProjectStatistics(fx.Vbe(), "Project1", [&](long done, long max) {
        EXPECT_EQ(max, 60);
        progress.push_back(done);
    });
    ASSERT_EQ(Texts(table.modules), names);
    ModuleFigures sum;
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(table.modules[i].figures,
                  GetModuleFigures(fx.Vbe(), "Project1", names[i], RoutineCounting::RoutineList))
            << names[i];
        EXPECT_EQ(table.modules[i].figures.routines, static_cast<long>(i % 5)) << names[i];
        AddFigures(sum, table.modules[i].figures);
        EXPECT_EQ(progress[i], static_cast<long>(i) + 1);
    }
    EXPECT_EQ(table.total.figures, sum);
}

TEST(StatsTable, SortingPutsTheTotalFirstAndIgnoresCase) {
    std::vector<ModuleRow> rows{{"modB", "", "", {}}, {" <Total> 3 modules", "", "", {}},
                                {"charlie", "", "", {}}, {"Alpha", "", "", {}}};
    SortModuleRows(rows);
    EXPECT_EQ(Texts(rows),
              (std::vector<std::string>{" <Total> 3 modules", "Alpha", "charlie", "modB"}));
}

TEST(StatsTable, RoutineRowsFollowTheRoutineListWithAccessorSuffixes) {
    test::VbFixture fx;
    fx.Add("Class1", host::vbext_ct_ClassModule,
           test::Vb({"Private mValue As Long", "", "' the value",
                     "Public Property Get Value() As Long", "    Value = mValue", "End Property",
                     "", "Public Property Let Value(ByVal v As Long)", "    mValue = v",
                     "End Property", "Public Property Set Item(ByVal o As Object)", "End Property",
                     "Sub Plain()", "End Sub"}));
    const std::vector<RoutineRow> rows = RoutineStatistics(fx.Vbe(), "Project1", "Class1");
    std::vector<std::string> texts;
    for (const auto& r : rows) texts.push_back(r.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"(Declarations)", "Value  (Let)", "Value  (Get)",
                                               "Item  (Set)", "Plain"}));
    // Value (Get) runs from line 2 (after the declarations) to its End
    // Property at line 6: a blank, a comment, three code lines.
    EXPECT_EQ(rows[2].figures,
              (RoutineFigures{.totalLines = 5, .blank = 1, .comments = 1, .actualCode = 3}));
    EXPECT_EQ(rows[0].figures, (RoutineFigures{.totalLines = 1, .blank = 0, .comments = 0,
                                               .actualCode = 1}));
}

}  // namespace
}  // namespace qv::stats
