#include "ui/sort_keys.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "ui/general_date.h"

namespace qv::ui {

namespace {

std::optional<double> RadixNumber(const QString& digits, int base) {
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, base);
    if (!ok) return std::nullopt;
    return static_cast<double>(value);
}

}  // namespace

std::optional<double> CellNumber(const QString& cell) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    const QString text = cell.trimmed();
    if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return RadixNumber(text.mid(2), 16);
    if (text.startsWith(QLatin1String("&O"), Qt::CaseInsensitive))
        return RadixNumber(text.mid(2), 8);
    if (!decimal.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString NumberSortKey(const QString& cell) {
    const std::optional<double> value = CellNumber(cell);
    if (!value) return cell;
    QString digits = QString::number(std::fabs(*value), 'f', 4);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    if (point < 14) digits.prepend(QString(14 - point, QLatin1Char('0')));
    // A value that rounds to zero has no sign, as zero has none.
    const bool negative = *value < 0 && std::any_of(digits.cbegin(), digits.cend(), [](QChar c) {
        return c >= QLatin1Char('1') && c <= QLatin1Char('9');
    });
    return negative ? QLatin1Char('-') + digits : digits;
}

namespace {

std::optional<QDateTime> CellDateTime(const QString& text, const QLocale& locale) {
    for (Qt::DateFormat format : {Qt::ISODate, Qt::ISODateWithMs}) {
        if (const QDateTime moment = QDateTime::fromString(text, format); moment.isValid())
            return moment;
        if (const QDate day = QDate::fromString(text, format); day.isValid())
            return day.startOfDay();
    }
    if (const QDateTime moment = ReadGeneralDate(text, locale); moment.isValid()) return moment;
    if (const QDate day = locale.toDate(text, QLocale::LongFormat); day.isValid())
        return day.startOfDay();
    // A time alone is a moment of the host's day zero.
    for (const QString& timeFormat :
         {GeneralTimeFormat(locale), locale.timeFormat(QLocale::ShortFormat)}) {
        if (const QTime time = locale.toTime(text, timeFormat); time.isValid()) {
            return QDateTime(QDate(1899, 12, 30), time);
        }
    }
    return std::nullopt;
}

}  // namespace

QString DateSortKey(const QString& cell, const QLocale& locale) {
    const std::optional<QDateTime> moment = CellDateTime(cell.trimmed(), locale);
    return moment ? moment->toString(QStringLiteral("yyyyMMddHHmmss")) : cell;
}

}  // namespace qv::ui
