#include <gtest/gtest.h>

#include "find/find_model.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::find {
namespace {

class BeepCounter : public test::RecordingServices {
public:
    void Beep() override { ++beeps; }
    int beeps = 0;
};

TEST(FindModel, AnEmptySearchClearsTheTreeAndBeeps) {
    BeepCounter services;
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "x = 1");
    FindModel model;
    model.Search(fx.Vbe(), "x");
    EXPECT_FALSE(model.Tree().Empty());
    model.Search(fx.Vbe(), "");
    EXPECT_TRUE(model.Tree().Empty());
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(model.RecentSearches(), std::vector<std::string>{"x"});
}

TEST(FindModel, RecentSearchesHoldEachTextOnceMostRecentFirst) {
    test::VbFixture fx;
    FindModel model;
    for (const char* what : {"alpha", "beta", "alpha", "Alpha"}) model.Search(fx.Vbe(), what);
    EXPECT_EQ(model.RecentSearches(), (std::vector<std::string>{"Alpha", "alpha", "beta"}));
}

TEST(FindModel, ASecondSearchReplacesTheTree) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb({"x = 1", "y = 2"}));
    FindModel model;
    model.Search(fx.Vbe(), "x");
    model.Search(fx.Vbe(), "y");
    EXPECT_EQ(model.Tree().Node(model.Tree().Children(FindTree::kRoot)[0]).text, "1 hit found.");
    EXPECT_EQ(model.Tree().Children(FindTree::kRoot).size(), 2u);
    EXPECT_EQ(model.LastOutcome().hits, 1);
}

TEST(FindModel, ProjectScopeWithoutAnActiveProjectFindsNothing) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "x = 1");
    fx.Vbe().SetActiveProject(nullptr);
    FindModel model;
    model.Search(fx.Vbe(), "x");
    EXPECT_EQ(model.Tree().Node(0).text, "Search String Not Found");
}

}  // namespace
}  // namespace qv::find
