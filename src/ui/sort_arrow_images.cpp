#include "ui/sort_arrow_images.h"

#include <QPainter>
#include <QPixmap>

namespace qv::ui {

QIcon SortArrowImage(bool ascending) {
    QPixmap pixmap(10, 10);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x50, 0x50, 0x50));
    const QPointF upward[] = {{5, 2}, {9, 8}, {1, 8}};
    const QPointF downward[] = {{1, 2}, {9, 2}, {5, 8}};
    painter.drawPolygon(ascending ? upward : downward, 3);
    return QIcon(pixmap);
}

QList<QIcon> SortArrowImages() { return {SortArrowImage(false), SortArrowImage(true)}; }

}  // namespace qv::ui
