#include "findwindow/find_images.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace qv::findwindow {

namespace {

constexpr int kSize = 16;

// A small badge: a coloured tile with a letter, as the project window draws
// its component kinds.
QIcon Badge(QColor colour, QChar letter) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(150));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(1.5, 1.5, kSize - 3, kSize - 3), 2, 2);
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QString(letter));
    return QIcon(pixmap);
}

// A procedure: a violet diamond.
QIcon ProcedureImage() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x5b, 0x2c, 0x83));
    painter.setBrush(QColor(0x9b, 0x59, 0xb6));
    const QPointF diamond[] = {{8, 2}, {14, 8}, {8, 14}, {2, 8}};
    painter.drawPolygon(diamond, 4);
    return QIcon(pixmap);
}

// A code line: a page with text lines.
QIcon CodeImage() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 10, 13);
    painter.setPen(QColor(0x1f, 0x5f, 0xbf));
    for (int y = 4; y <= 11; y += 3) painter.drawLine(5, y, 11, y);
    return QIcon(pixmap);
}

QIcon StandardImage(QStyle::StandardPixmap which) {
    return QApplication::style()->standardIcon(which);
}

QHash<QString, QIcon> BuildImages() {
    const QColor project(0x2e, 0x7d, 0x32), form(0x1e, 0x88, 0xe5), module(0x6d, 0x4c, 0x41),
        classModule(0xef, 0x6c, 0x00), other(0x54, 0x6e, 0x7a);
    return {
        {"StandardExe", Badge(project, 'E')},
        {"ActiveXExe", Badge(project, 'X')},
        {"ActiveXDll", Badge(project, 'D')},
        {"ActiveXControl", Badge(project, 'O')},
        {"ActiveXDesigner", Badge(other, 'A')},
        {"ClassModule", Badge(classModule, 'C')},
        {"DocObject", Badge(other, 'U')},
        {"MSForm", Badge(form, 'F')},
        {"PropPage", Badge(other, 'P')},
        {"RelatedDocument", Badge(other, 'R')},
        {"ResFile", Badge(other, 'S')},
        {"StdModule", Badge(module, 'M')},
        {"UserControl", Badge(other, 'C')},
        {"VBForm", Badge(form, 'F')},
        {"VBMDIForm", Badge(form, 'W')},
        {"Close", StandardImage(QStyle::SP_DirClosedIcon)},
        {"Open", StandardImage(QStyle::SP_DirOpenIcon)},
        {"Code", CodeImage()},
        {"Procedure", ProcedureImage()},
        {"Info", StandardImage(QStyle::SP_MessageBoxInformation)},
    };
}

}  // namespace

const QStringList& FindImageWords() {
    static const QStringList words{
        "StandardExe", "ActiveXExe", "ActiveXDll", "ActiveXControl", "ActiveXDesigner",
        "ClassModule", "DocObject",  "MSForm",     "PropPage",       "RelatedDocument",
        "ResFile",     "StdModule",  "UserControl", "VBForm",        "VBMDIForm",
        "Close",       "Open",       "Code",       "Procedure",      "Info"};
    return words;
}

QIcon FindImage(std::string_view word) {
    // Drawn once, on first use (a QApplication exists by then).
    static const QHash<QString, QIcon> images = BuildImages();
    return images.value(QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size())));
}

}  // namespace qv::findwindow
