#include "ui/sort_arrow_header.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace qv::ui {

SortArrowHeader::SortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void SortArrowHeader::SetArrow(int column, const QIcon& image) {
    if (column == arrowColumn_ && image.cacheKey() == arrowImage_.cacheKey()) return;
    arrowColumn_ = image.isNull() ? -1 : column;
    arrowImage_ = image;
    viewport()->update();
}

int SortArrowHeader::ArrowExtent() const {
    return style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
}

QRect SortArrowHeader::ArrowRect(const QRect& section, int logicalIndex) const {
    const int extent = ArrowExtent();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QVariant aligned =
        model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole)
                : QVariant();
    const Qt::Alignment alignment =
        aligned.isValid() ? Qt::Alignment(aligned.toInt()) : defaultAlignment();
    const int rightMost = section.right() - margin - extent + 1;
    int left = rightMost;
    // Text on the left (the usual case): the arrow follows it; otherwise it
    // keeps to the right edge, clear of the text.
    if (!(alignment & (Qt::AlignRight | Qt::AlignHCenter))) {
        left = std::min(section.left() + 2 * margin + fontMetrics().horizontalAdvance(text),
                        rightMost);
    }
    return {left, section.top() + (section.height() - extent) / 2, extent, extent};
}

void SortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != arrowColumn_ || arrowImage_.isNull()) return;
    painter->save();
    painter->setClipRect(rect);
    arrowImage_.paint(painter, ArrowRect(rect, logicalIndex));
    painter->restore();
}

}  // namespace qv::ui
