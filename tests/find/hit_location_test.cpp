// Where a code-line node points, read from the tree the search built.

#include <gtest/gtest.h>

#include "find/hit_location.h"

namespace qv::find {
namespace {


class HitLocationTest : public ::testing::Test {
protected:
    HitLocationTest() {
        const long project = tree_.Add(FindTree::kRoot, "keyP1", "P1", "StandardExe");
        const long group = tree_.Add(project, "keyGroupP1/1", "Modules", "Close", "Group");
        component_ = tree_.Add(group, "keyP1/modA", "modA", "StdModule");
        procedure_ = tree_.Add(component_, "keyP1/modA/Run", "Run", "Procedure", "Procedure");
    }

    FindTree tree_;
    long component_ = 0;
    long procedure_ = 0;
};

TEST_F(HitLocationTest, AHitInAProcedureNamesItsComponentAboveTheProcedure) {
    const long hit = tree_.Add(procedure_, "keyP1/modA/12/5/12/9", "x = 1", "Code", "Code");
    EXPECT_EQ(LocateHit(tree_, hit), (HitLocation{"P1", "modA", 12, 5, 12, 9}));
}

TEST_F(HitLocationTest, AHitInTheDeclarationsNamesItsParent) {
    const long hit = tree_.Add(component_, "keyP1/modA/3/1/3/4", "Dim a", "Code", "Code");
    EXPECT_EQ(LocateHit(tree_, hit), (HitLocation{"P1", "modA", 3, 1, 3, 4}));
}

TEST_F(HitLocationTest, ASlashInANameDoesNotShiftThePositions) {
    const long project = tree_.Add(FindTree::kRoot, "keyA/B", "A/B", "StandardExe");
    const long group = tree_.Add(project, "keyGroupA/B/1", "Modules", "Close", "Group");
    const long component = tree_.Add(group, "keyA/B/m", "m", "StdModule");
    const long hit = tree_.Add(component, "keyA/B/m/7/2/7/3", "x", "Code", "Code");
    EXPECT_EQ(LocateHit(tree_, hit), (HitLocation{"A/B", "m", 7, 2, 7, 3}));
}

TEST_F(HitLocationTest, OtherNodesAndDamagedKeysPointNowhere) {
    EXPECT_FALSE(LocateHit(tree_, procedure_));
    EXPECT_FALSE(LocateHit(tree_, component_));
    EXPECT_FALSE(LocateHit(tree_, FindTree::kRoot));
    EXPECT_FALSE(LocateHit(tree_, 99));
    const long damaged = tree_.Add(procedure_, "keyP1/modA/12/x/12/9", "x", "Code", "Code");
    EXPECT_FALSE(LocateHit(tree_, damaged));
    const long loose = tree_.Add(FindTree::kRoot, "key1/2/3/4", "x", "Code", "Code");
    EXPECT_FALSE(LocateHit(tree_, loose));
}

}  // namespace
}  // namespace qv::find
