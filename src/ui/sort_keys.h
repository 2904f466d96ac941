#pragma once
// The texts a list sorts by when a column holds numbers or dates: each cell
// becomes a key whose text order is the order of its values. A cell that is
// not a number (or not a date) keeps its own text, so words in a number
// column sort among themselves as text.

#include <QLocale>
#include <QString>
#include <optional>

namespace qv::ui {

// The value of a cell that reads as a number: blanks around it, a sign,
// digits with an optional decimal point and exponent, or &H / &O for a hex or
// octal whole number. Nothing else (no "inf", no "nan").
std::optional<double> CellNumber(const QString& cell);

// The key of a number column: 14 integer digits and 4 decimals
// ("00000000000003.0000"), a minus sign in front of negative values; a cell
// that is not a number stays as it is.
QString NumberSortKey(const QString& cell);

// The key of a date column: the moment as yyyymmddhhnnss; a cell that is not
// a date stays as it is. Dates are read in ISO form and in the locale's short
// and long date forms, with or without a time; a time alone falls on the
// host's day zero, 30 December 1899.
QString DateSortKey(const QString& cell, const QLocale& locale = QLocale::system());

}  // namespace qv::ui
