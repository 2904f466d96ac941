#include "mainwindow/browser_images.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace qv::mainwindow {

namespace {

constexpr int kSide = 16;

QPixmap Blank() {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A rounded square in a colour, with a letter or mark in white.
QIcon Badge(const QColor& colour, const QString& mark, bool hatched = false) {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(140));
    painter.setBrush(hatched ? QBrush(colour, Qt::BDiagPattern) : QBrush(colour));
    painter.drawRoundedRect(QRectF(1.5, 1.5, kSide - 3, kSide - 3), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(hatched ? colour.darker(160) : QColor(Qt::white));
    painter.drawText(QRect(0, 0, kSide, kSide), Qt::AlignCenter, mark);
    return QIcon(pixmap);
}

// A module icon; a read-only module's carries a small padlock bar below.
QIcon ModuleBadge(const QColor& colour, const QString& mark, bool readOnly) {
    QIcon base = Badge(colour, mark);
    if (!readOnly) return base;
    QPixmap pixmap = base.pixmap(kSide, kSide);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    painter.drawRect(QRect(8, 9, 8, 7));
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRect(9, 5, 6, 8), 0, 180 * 16);
    return QIcon(pixmap);
}

QIcon DrawModuleRowIcon(int number) {
    const QColor good(0x2e, 0x8b, 0x3c);
    const QColor needsWork(0xc0, 0x39, 0x2b);
    switch (number) {
        case 1: return ModuleBadge(good, QStringLiteral("\u2713"), false);
        case 2: return ModuleBadge(needsWork, QStringLiteral("!"), false);
        case 4: return ModuleBadge(good, QStringLiteral("\u2713"), true);
        case 5: return ModuleBadge(needsWork, QStringLiteral("!"), true);
        case 6: return Badge(QColor(0x80, 0x80, 0x80), QStringLiteral("?"), true);
        default: return {};
    }
}

QIcon DrawRoutineRowIcon(const QString& key) {
    if (key == "Sub") return Badge(QColor(0x1f, 0x5f, 0xbf), QStringLiteral("S"));
    if (key == "Function") return Badge(QColor(0x7b, 0x3f, 0xa0), QStringLiteral("F"));
    if (key == "Property") return Badge(QColor(0xb8, 0x86, 0x0b), QStringLiteral("P"));
    return {};
}

}  // namespace

// Drawn once each: a listing sets thousands of row icons.
QIcon ModuleRowIcon(int number) {
    static QHash<int, QIcon> drawn;
    auto it = drawn.find(number);
    if (it == drawn.end()) it = drawn.insert(number, DrawModuleRowIcon(number));
    return *it;
}

QIcon RoutineRowIcon(const QString& key) {
    static QHash<QString, QIcon> drawn;
    auto it = drawn.find(key);
    if (it == drawn.end()) it = drawn.insert(key, DrawRoutineRowIcon(key));
    return *it;
}

QIcon ToolImage(int number) {
    switch (number) {
        case 1: return Badge(QColor(0x2e, 0x8b, 0x3c), QStringLiteral("+"));
        case 2: return Badge(QColor(0x1f, 0x5f, 0xbf), QStringLiteral("\u21bb"));
        case 3: return Badge(QColor(0xc0, 0x39, 0x2b), QStringLiteral("\u2212"));
        case 4: return Badge(QColor(0x55, 0x55, 0x55), QStringLiteral("#"));
        case 6: return Badge(QColor(0x00, 0x80, 0x80), QStringLiteral("\u21e5"));
        case 7: return Badge(QColor(0x90, 0x20, 0x20), QStringLiteral("\u2717"));
        default: return {};
    }
}

}  // namespace qv::mainwindow
