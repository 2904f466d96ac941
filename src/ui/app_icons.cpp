#include "ui/app_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace qv::ui {

QIcon IconFromSvg(const QString& path) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon AddInIcon() {
    return IconFromSvg(QStringLiteral(":/qvaddin/icons/qvaddin-addin.svg"));
}

}  // namespace qv::ui
