#include "ui/general_date.h"

#include <QRegularExpression>

namespace qv::ui {

namespace {

// Qt reads "yy" as 1900-1999; the host's window keeps 00-29 in this century.
QDateTime WithCenturyWindow(QDateTime moment, const QString& format) {
    const bool twoDigitYear =
        format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
    if (moment.isValid() && twoDigitYear && moment.date().year() < 1930)
        moment = moment.addYears(100);
    return moment;
}

}  // namespace

QString GeneralTimeFormat(const QLocale& locale) {
    static const QRegularExpression zone(QStringLiteral(R"(\s*\bt+\b)"));
    return locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}

QString GeneralDateFormat(const QLocale& locale, bool withTime) {
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    return withTime ? date + QLatin1Char(' ') + GeneralTimeFormat(locale) : date;
}

QString GeneralDateText(const QDateTime& moment, bool withTime, const QLocale& locale) {
    return locale.toString(moment, GeneralDateFormat(locale, withTime));
}

QDateTime ReadGeneralDate(const QString& text, const QLocale& locale) {
    for (bool withTime : {true, false}) {
        const QString format = GeneralDateFormat(locale, withTime);
        const QDateTime moment = locale.toDateTime(text, format);
        if (moment.isValid()) return WithCenturyWindow(moment, format);
    }
    return {};
}

}  // namespace qv::ui
