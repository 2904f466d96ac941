#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>

#include "platform/vb_error.h"
#include "ui/list_view_addon.h"
#include "ui/placement.h"
#include "ui/sort_arrow_header.h"

namespace qv::ui {
namespace {

QIcon Swatch(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A module list like the main window's: a name and a count per row.
class ListAddonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        list.setHeaderLabels({"Module name", "Good", "Status"});
        list.resize(600, 300);
        addon.SetListView(&list);
    }

    QTreeWidgetItem* AddRow(const QString& name, const QString& count, const QString& status = {}) {
        return new QTreeWidgetItem(&list, {name, count, status});
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts << list.topLevelItem(i)->text(column);
        return texts;
    }

    const SortArrowHeader& Header() const {
        return static_cast<const SortArrowHeader&>(*list.header());
    }

    int ColumnsWidth() const {
        int sum = 0;
        for (int i = 0; i < list.columnCount(); ++i) sum += list.header()->sectionSize(i);
        return sum;
    }

    QTreeWidget list;
    ListViewAddon addon;
};

TEST(ListAddonAttach, RefusesAListWithRowsAndStaysAsItWas) {
    QTreeWidget full;
    full.setHeaderLabels({"Name"});
    new QTreeWidgetItem(&full, {"Row"});
    ListViewAddon addon;
    try {
        addon.SetListView(&full);
        FAIL() << "a list with rows was accepted";
    } catch (const VbError& error) {
        EXPECT_EQ(error.Number(), 5);
        EXPECT_EQ(error.Description(), "The Listview must be empty");
        EXPECT_EQ(error.Source().rfind("clsListViewAddon.ListView(", 0), 0u) << error.Source();
    }
    EXPECT_EQ(addon.ListView(), nullptr);

    QTreeWidget empty;
    empty.setHeaderLabels({"Name"});
    addon.SetListView(&empty);
    EXPECT_THROW(addon.SetListView(&full), VbError);
    EXPECT_EQ(addon.ListView(), &empty) << "a refused list leaves the attached one";
    EXPECT_THROW(ListViewAddon().Sort(1, sort_type::kText), VbError) << "nothing attached";
}

TEST_F(ListAddonTest, NumberSortPutsThreeBeforeTwelveAndWordsInTextOrder) {
    AddRow("A", "12", "OK");
    AddRow("B", "OK", "");
    AddRow("C", "3", "");
    AddRow("D", "MISSING", "");
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(Column(1), (QStringList{"3", "12", "MISSING", "OK"}));
    EXPECT_EQ(addon.SortKey(), 1);
    EXPECT_EQ(addon.SortOrder(), kSortAscending);
}

TEST_F(ListAddonTest, SameColumnReversesAnotherColumnKeepsTheDirection) {
    AddRow("beta", "2");
    AddRow("Alpha", "10");
    AddRow("gamma", "1");
    addon.Sort(1, sort_type::kText);
    EXPECT_EQ(Column(0), (QStringList{"gamma", "beta", "Alpha"}))
        << "the first column is the sort key from the start, so the first sort by it reverses";
    EXPECT_EQ(addon.SortOrder(), kSortDescending);
    addon.Sort(1, sort_type::kText);
    EXPECT_EQ(Column(0), (QStringList{"Alpha", "beta", "gamma"})) << "text ignores case";
    EXPECT_EQ(addon.SortOrder(), kSortAscending);
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(Column(1), (QStringList{"1", "2", "10"})) << "another column keeps ascending";
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(Column(1), (QStringList{"10", "2", "1"}));
}

TEST_F(ListAddonTest, DateSortAndEqualKeysKeepTheirOrder) {
    AddRow("late", "2024-03-05T10:00:00");
    AddRow("first", "1999-12-31");
    AddRow("early", "2024-03-05");
    AddRow("twin", "1999-12-31");
    addon.SetSortKey(1);
    addon.SetSortOrder(kSortDescending);  // the caller's way to start ascending
    addon.Sort(2, sort_type::kDate);
    EXPECT_EQ(Column(0), (QStringList{"first", "twin", "early", "late"}));
}

TEST_F(ListAddonTest, OneRowKeepsTheSortStateAndRowsKeepIdentityAndSelection) {
    QTreeWidgetItem* only = AddRow("x", "1");
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(addon.SortKey(), 0) << "fewer than two rows: nothing changes";
    EXPECT_EQ(addon.SortOrder(), kSortAscending);
    EXPECT_EQ(list.topLevelItem(0), only);

    QTreeWidgetItem* b = AddRow("b", "2");
    QTreeWidgetItem* a = AddRow("a", "3");
    list.setCurrentItem(b);
    a->setSelected(true);
    addon.SetSortOrder(kSortDescending);
    addon.Sort(1, sort_type::kText);
    EXPECT_EQ(list.topLevelItem(0), a) << "the same row objects, moved";
    EXPECT_EQ(list.currentItem(), b);
    EXPECT_TRUE(a->isSelected());
    EXPECT_TRUE(b->isSelected());
    EXPECT_FALSE(only->isSelected());
}

TEST_F(ListAddonTest, ArrowOnTheSortedColumnOnlyFromTheLastTwoImages) {
    const QIcon descending = Swatch(Qt::red);
    const QIcon ascending = Swatch(Qt::blue);
    addon.SetHeaderImages({Swatch(Qt::green), descending, ascending});
    addon.Sort(1, sort_type::kText);
    EXPECT_EQ(Header().ArrowColumn(), -1) << "an empty list shows no arrow";

    AddRow("a", "1");
    AddRow("b", "2");
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(Header().ArrowColumn(), 1);
    EXPECT_EQ(Header().ArrowImage().cacheKey(), ascending.cacheKey());
    addon.Sort(2, sort_type::kNumber);
    EXPECT_EQ(Header().ArrowColumn(), 1);
    EXPECT_EQ(Header().ArrowImage().cacheKey(), descending.cacheKey());
    addon.Sort(3, sort_type::kText);
    EXPECT_EQ(Header().ArrowColumn(), 2) << "the arrow moves; other columns show text only";
}

TEST_F(ListAddonTest, ColumnsNeverNarrowerThanHeaderTextPlusArrowRoom) {
    const std::vector<int> withoutArrows = addon.MinimumWidths();
    ASSERT_EQ(withoutArrows.size(), 3u);
    addon.SetHeaderImages({Swatch(Qt::red), Swatch(Qt::blue)});
    const int room = Header().ArrowExtent() + 13;
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(addon.MinimumWidths()[i], withoutArrows[i] + room);
        EXPECT_GE(withoutArrows[i],
                  list.fontMetrics().horizontalAdvance(list.headerItem()->text(int(i))));
    }
    AddRow("m", "1", "x");
    addon.AutoSizeColumns();
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(list.header()->sectionSize(i), addon.MinimumWidths()[size_t(i)]);

    const QString longName(60, QLatin1Char('W'));
    AddRow(longName, "1");
    addon.AutoSizeColumns();
    EXPECT_GT(list.header()->sectionSize(0), list.fontMetrics().horizontalAdvance(longName))
        << "content wider than the header widens the column";
}

TEST_F(ListAddonTest, LastColumnReachesTheRightEdgeAndFollowsTheList) {
    AddRow("a", "1", "OK");
    list.show();
    addon.AutoSizeColumns();
    EXPECT_EQ(ColumnsWidth(), list.viewport()->width());
    list.resize(900, 300);
    EXPECT_EQ(ColumnsWidth(), list.viewport()->width());
    list.resize(200, 300);
    EXPECT_GE(list.header()->sectionSize(2), addon.MinimumWidths()[2])
        << "never below its own width";
}

TEST_F(ListAddonTest, HitTestInTwipsGivesRowAndColumnAndMinusOneBelowTheRows) {
    AddRow("a", "1");
    AddRow("b", "2");
    list.show();
    const auto twips = [this](QPoint onViewport) {
        const QPoint onList = list.viewport()->mapTo(&list, onViewport);
        const int perPixel = TwipsPerPixel(list.logicalDpiX());
        return std::pair<double, double>(onList.x() * perPixel, onList.y() * perPixel);
    };
    const QRect second = list.visualItemRect(list.topLevelItem(1));
    const int secondColumnX = list.header()->sectionViewportPosition(1) + 5;

    auto [x, y] = twips({secondColumnX, second.center().y()});
    ListPosition hit = addon.GetPosition(x, y);
    EXPECT_EQ(hit.row, 1);
    EXPECT_EQ(hit.column, 1);

    std::tie(x, y) = twips({5, second.bottom() + 40});
    hit = addon.GetPosition(x, y);
    EXPECT_EQ(hit.row, -1);
    EXPECT_EQ(hit.column, 0);

    EXPECT_EQ(addon.GetPosition(15, 15).row, -1) << "the header is no row";
}

TEST_F(ListAddonTest, ColumnOutsideTheListIsRefused) {
    AddRow("a", "1");
    AddRow("b", "2");
    EXPECT_THROW(addon.Sort(0, sort_type::kText), VbError);
    EXPECT_THROW(addon.Sort(4, sort_type::kText), VbError);
    EXPECT_EQ(Column(0), (QStringList{"a", "b"}));
}

TEST_F(ListAddonTest, FullRowSelectionStyle) {
    addon.SetStyle(list_style::kFullRowSelect, true);
    EXPECT_TRUE(list.allColumnsShowFocus());
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(addon.Style(), list_style::kFullRowSelect);
    addon.SetStyle(list_style::kFullRowSelect, false);
    EXPECT_FALSE(list.allColumnsShowFocus());
    EXPECT_EQ(addon.Style(), 0);
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

TEST_F(ListAddonTest, HeaderClicksReachTheWindow) {
    AddRow("b", "1");
    AddRow("a", "2");
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    int clicked = -1;
    QObject::connect(list.header(), &QHeaderView::sectionClicked,
                     [&clicked](int column) { clicked = column; });
    const QPoint secondHeader(list.header()->sectionViewportPosition(1) + 5,
                              list.header()->height() / 2);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, secondHeader);
    EXPECT_TRUE(list.header()->sectionsClickable());
    EXPECT_EQ(clicked, 1);
}

}  // namespace
}  // namespace qv::ui
