#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Numbers and dates as the system shows them, in the pt-BR locale (thousands ".",
// decimals ","), with the display masks of the forms: "#,##0.00000", "#0.00000",
// "#,##0.000", "#0.00 %".  '0' is a mandatory digit, '#' an optional one, ',' asks for
// thousands separators, '.' places the decimal separator, and a trailing " %" or other
// literal text is copied (the value is not multiplied).
namespace NumberFormat {

QString format(double value, const QString &mask);
// Reads a masked or plainly typed number back ("1.234,50", "1234,5", "12,50 %", "-3").
// Returns false for text that is not a number; an empty text gives 0 and false.
bool parse(const QString &text, double *value);

QString formatDate(const QDate &date);          // "07/12/2026"
QString formatDateTime(const QDateTime &dt);    // "07/12/2026 14:30:00"
QDate parseDate(const QString &text);           // invalid when not a date

} // namespace NumberFormat
