#pragma once
// The locale's general date: its short date, and its long time when a time
// is wanted. The time zone that some locales add to their long time is left
// out: a date written into code or a list cell names a local moment.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qv::ui {

QString GeneralDateFormat(const QLocale& locale, bool withTime);
// The time part of it: the locale's long time without the time zone.
QString GeneralTimeFormat(const QLocale& locale);
QString GeneralDateText(const QDateTime& moment, bool withTime, const QLocale& locale);

// Reads a general date (with or without the time) back; an invalid moment
// when the text is not one. Two-digit years 00-29 fall in 2000-2029, 30-99 in
// 1930-1999.
QDateTime ReadGeneralDate(const QString& text, const QLocale& locale);

}  // namespace qv::ui
