#pragma once
// A companion for one report-style list (a QTreeWidget of top-level rows):
// sorting by any column as text, number or date; columns sized to their
// content but never narrower than their header; a sort arrow in the header of
// the sorted column; and hit-testing of a point to a row and column.
//
// The list stays an ordinary QTreeWidget, so a window adds rows, icons and
// selection as usual and keeps its row pointers: sorting moves the rows and
// never recreates them. The list's own sorting stays off; the add-on keeps
// the sort state (key column and order) for it.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTreeWidget>
#include <vector>

namespace qv::ui {

class SortArrowHeader;

// How Sort reads a column; any other number sorts as text (callers use 3).
namespace sort_type {
inline constexpr int kDate = 0;
inline constexpr int kNumber = 1;
inline constexpr int kText = 3;
}  // namespace sort_type

// Style bits of SetStyle.
namespace list_style {
inline constexpr int kFullRowSelect = 32;
}

inline constexpr int kSortAscending = 0;
inline constexpr int kSortDescending = 1;

// A row and column of the list, 0-based; −1 where the point meets none.
struct ListPosition {
    int row = -1;
    int column = -1;
};

class ListViewAddon : public QObject {
  public:
    explicit ListViewAddon(QObject* parent = nullptr);

    // Attaches to a list that has no rows yet; a list with rows is refused
    // with error 5 and the add-on keeps the list it had. The list gets a
    // header that can show the sort arrow, its minimum column widths (header
    // text plus room for the arrow) and columns sized to their content.
    void SetListView(QTreeWidget* list);
    QTreeWidget* ListView() const { return list_; }

    // The list's header images: the last stands for ascending order, the one
    // before it for descending. With at least one image every column keeps
    // room for the arrow.
    void SetHeaderImages(const QList<QIcon>& images);

    // Sizes every column to its content, never below its minimum width, and
    // stretches the last column to the list's right edge (it follows the
    // list when the list is resized).
    void AutoSizeColumns();
    // The width the columns want as AutoSizeColumns sized them, the last
    // one before it was stretched to the list's edge: what a window must
    // give the list's rows to show every cell whole.
    int ContentWidth() const;

    // Sorts by a column counted from 1, as a date (0), number (1) or text
    // (anything else). The same column again reverses the order; another
    // column keeps it. A list with fewer than two rows keeps its sort state.
    void Sort(int columnHeaderIndex, int sortType);

    // Switches style bits on or off. Full-row selection (32) selects and
    // shows the focus on whole rows.
    void SetStyle(int newStyle, bool on);
    int Style() const { return style_; }

    // The row and column under a point given in twips relative to the list's
    // top-left corner (its header included). Below the last row the row is −1.
    ListPosition GetPosition(double x, double y) const;

    int SortKey() const { return sortKey_; }
    void SetSortKey(int column) { sortKey_ = column; }
    int SortOrder() const { return sortOrder_; }
    void SetSortOrder(int order) {
        sortOrder_ = order == kSortAscending ? kSortAscending : kSortDescending;
    }

    // Pixels, index 0 = first column.
    const std::vector<int>& MinimumWidths() const { return minimumWidths_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTreeWidget& Attached() const;
    SortArrowHeader& Header() const;
    void InstallHeader(QTreeWidget& list);
    void DoHeader();
    void DoHeaderIcon(int columnHeaderIndex);
    int ArrowRoom() const;
    void StretchLastColumn();

    QPointer<QTreeWidget> list_;
    QPointer<QWidget> viewport_;  // the list's, watched for resizing
    QList<QIcon> headerImages_;
    std::vector<int> minimumWidths_;
    int lastColumnWidth_ = 0;  // the last column's own width before stretching
    int sortKey_ = 0;
    int sortOrder_ = kSortAscending;
    int style_ = 0;
};

}  // namespace qv::ui
