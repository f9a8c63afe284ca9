#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Database;

// What the quotation copy and the validity change share: which quotations a buyer has in
// progress over a validity, and how a validity is written (weeks of two digits, dates in
// the users' format).
namespace ValidityRules {

struct InProgress
{
    QString number;
    QDate first;
    QDate last;
};

// The buyer's quotations in progress (situation 'A') of the central branch whose validity
// overlaps first .. last, by number.  Stored codes.
QList<InProgress> inProgress(Database &db, const QString &central, const QString &buyer, const QDate &first,
                             const QDate &last);

// The validity week of a date, two digits (the package's week numbering: ISO weeks).
QString week(const QDate &date);

// A date as the users read it (dd/MM/yyyy).
QString dateText(const QDate &date);

// The refusal text for a buyer who already has `existing` in progress over the validity.
QString inProgressText(const QString &buyer, const InProgress &existing);

} // namespace ValidityRules
