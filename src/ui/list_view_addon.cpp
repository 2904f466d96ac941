#include "ui/list_view_addon.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

#include "platform/vb_error.h"
#include "ui/list_row_sort.h"
#include "ui/placement.h"
#include "ui/sort_arrow_header.h"

namespace qv::ui {

namespace {

constexpr const char* kModule = "clsListViewAddon";

// Room beside the arrow image, so that the header text is never covered.
constexpr int kArrowMargin = 13;

// Holds the list's painting for the length of a change, so that the user
// sees only the result.
class PaintingPaused {
  public:
    explicit PaintingPaused(QWidget& widget) : widget_(widget), was_(widget.updatesEnabled()) {
        widget_.setUpdatesEnabled(false);
    }
    ~PaintingPaused() { widget_.setUpdatesEnabled(was_); }
    PaintingPaused(const PaintingPaused&) = delete;
    PaintingPaused& operator=(const PaintingPaused&) = delete;

  private:
    QWidget& widget_;
    bool was_;
};

}  // namespace

ListViewAddon::ListViewAddon(QObject* parent) : QObject(parent) {}

QTreeWidget& ListViewAddon::Attached() const {
    if (list_.isNull()) Raise(err::kObjectRequired, "No list is attached");
    return *list_;
}

SortArrowHeader& ListViewAddon::Header() const {
    return static_cast<SortArrowHeader&>(*Attached().header());
}

void ListViewAddon::SetListView(QTreeWidget* list) try {
    if (list == nullptr) Raise(err::kObjectRequired);
    if (list->topLevelItemCount() > 0)
        Raise(err::kInvalidProcedureCall, "The Listview must be empty");
    if (QWidget* watched = viewport_.data()) watched->removeEventFilter(this);
    list_ = list;
    viewport_ = list->viewport();
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSortingEnabled(false);
    InstallHeader(*list);
    list->viewport()->installEventFilter(this);
    DoHeader();
    AutoSizeColumns();
}
QV_PASS_UP(kModule, "ListView")

void ListViewAddon::InstallHeader(QTreeWidget& list) {
    auto* header = dynamic_cast<SortArrowHeader*>(list.header());
    if (header == nullptr) {
        header = new SortArrowHeader(&list);
        header->setVisible(!list.header()->isHidden());
        header->setSectionsMovable(list.header()->sectionsMovable());
        list.setHeader(header);
    }
    header->setStretchLastSection(false);    // the add-on stretches it, keeping its content width
    header->setResizeContentsPrecision(-1);  // size columns by every row, not a sample
    // The list's own sorting is off, which makes a plain header deaf to
    // clicks; the window sorts through the add-on when a header is clicked.
    header->setSortIndicatorShown(false);
    header->setSectionsClickable(true);
}

void ListViewAddon::SetHeaderImages(const QList<QIcon>& images) {
    headerImages_ = images;
    if (!list_.isNull()) DoHeader();
}

int ListViewAddon::ArrowRoom() const {
    return headerImages_.isEmpty() ? 0 : Header().ArrowExtent() + kArrowMargin;
}

void ListViewAddon::DoHeader() {
    SortArrowHeader& header = Header();
    const int extra = ArrowRoom();
    minimumWidths_.assign(static_cast<size_t>(Attached().columnCount()), 0);
    for (int i = 0; i < Attached().columnCount(); ++i) {
        minimumWidths_[static_cast<size_t>(i)] = header.sectionSizeHint(i) + extra;
        header.resizeSection(i, minimumWidths_[static_cast<size_t>(i)]);
    }
}

void ListViewAddon::AutoSizeColumns() try {
    QTreeWidget& list = Attached();
    // Columns added after attaching get their minimum widths now.
    if (minimumWidths_.size() != static_cast<size_t>(list.columnCount())) DoHeader();
    {
        const PaintingPaused paused(list);
        for (int i = 0; i < list.columnCount(); ++i) {
            const int width =
                std::max(static_cast<const QAbstractItemView&>(list).sizeHintForColumn(i),
                         minimumWidths_[static_cast<size_t>(i)]);
            list.header()->resizeSection(i, width);
        }
        lastColumnWidth_ =
            list.columnCount() > 0 ? list.header()->sectionSize(list.columnCount() - 1) : 0;
        StretchLastColumn();
    }
    list.viewport()->update();
}
QV_PASS_UP(kModule, "AutoSizeColumns")

int ListViewAddon::ContentWidth() const {
    if (list_.isNull() || list_->columnCount() == 0) return 0;
    const QHeaderView& header = *list_->header();
    int width = lastColumnWidth_;
    for (int i = 0; i + 1 < list_->columnCount(); ++i) width += header.sectionSize(i);
    return width;
}

void ListViewAddon::StretchLastColumn() {
    QTreeWidget& list = *list_;
    const int last = list.columnCount() - 1;
    if (last < 0) return;
    int others = 0;
    for (int i = 0; i < last; ++i) others += list.header()->sectionSize(i);
    const int room = list.viewport()->width() - others;
    list.header()->resizeSection(last, std::max(lastColumnWidth_, room));
}

bool ListViewAddon::eventFilter(QObject* watched, QEvent* event) {
    // Only the event type and the watched object's address are looked at
    // first: while a list is being destroyed its viewport still sends events,
    // and the list is then no longer a list.
    if (event->type() == QEvent::Resize && watched == viewport_ && lastColumnWidth_ > 0 &&
        !list_.isNull()) {
        StretchLastColumn();
    }
    return QObject::eventFilter(watched, event);
}

void ListViewAddon::Sort(int columnHeaderIndex, int sortType) try {
    QTreeWidget& list = Attached();
    const int column = columnHeaderIndex - 1;
    if (column < 0 || column >= list.columnCount()) {
        Raise(err::kInvalidProcedureCall, "No column " + std::to_string(columnHeaderIndex));
    }
    {
        const PaintingPaused paused(list);
        if (list.topLevelItemCount() >= 2) {
            if (sortKey_ == column) sortOrder_ = 1 - sortOrder_;
            sortKey_ = column;
            SortRows(list, column, sortType, sortOrder_);
        }
    }
    ScrollSelectedIntoView(list);
    DoHeaderIcon(columnHeaderIndex);
}
QV_PASS_UP(kModule, "Sort")

void ListViewAddon::DoHeaderIcon(int columnHeaderIndex) {
    if (headerImages_.isEmpty() || Attached().topLevelItemCount() == 0) return;
    const qsizetype image = headerImages_.size() - sortOrder_ - 1;
    Header().SetArrow(columnHeaderIndex - 1, image >= 0 ? headerImages_[image] : QIcon());
}

void ListViewAddon::SetStyle(int newStyle, bool on) try {
    QTreeWidget& list = Attached();
    style_ = on ? (style_ | newStyle) : (style_ & ~newStyle);
    if ((newStyle & list_style::kFullRowSelect) != 0) {
        list.setSelectionBehavior(QAbstractItemView::SelectRows);
        list.setAllColumnsShowFocus(on);
    }
    list.viewport()->update();
}
QV_PASS_UP(kModule, "SetStyle")

ListPosition ListViewAddon::GetPosition(double x, double y) const try {
    QTreeWidget& list = Attached();
    const QPoint onList(TwipsToPixels(x, TwipsPerPixel(list.logicalDpiX())),
                        TwipsToPixels(y, TwipsPerPixel(list.logicalDpiY())));
    const QPoint onRows = list.viewport()->mapFrom(&list, onList);
    ListPosition position;
    if (!list.viewport()->rect().contains(onRows)) return position;
    if (QTreeWidgetItem* item = list.itemAt(onRows)) position.row = list.indexOfTopLevelItem(item);
    position.column = list.header()->logicalIndexAt(onRows.x());
    return position;
}
QV_PASS_UP(kModule, "GetPosition")

}  // namespace qv::ui
