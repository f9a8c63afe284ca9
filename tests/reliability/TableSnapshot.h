#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

class Database;

// The rows of the quotation tables (header, regions, suppliers, items and both audit
// trails) as a multiset, to tell whether a write is wholly there or wholly absent: the
// difference between the state before a write and the state after it must be empty or
// equal to the difference a complete run of the same write makes.  So that two complete
// runs make the same difference, what changes from run to run is left out: the audit
// trails' sequence numbers and the moments of inclusion and change, and the number of a
// quotation created by the write (any number above the highest before it reads "new",
// also where the header's audit trail records it as a copy's number).
class TableSnapshot
{
public:
    using Difference = QHash<QByteArray, int>; // row -> added (> 0) or removed (< 0) times

    static TableSnapshot read(Database &db, const QString &highestNumberBefore);

    // What changed from before to this snapshot.
    Difference since(const TableSnapshot &before) const;
    qsizetype rowCount() const { return m_total; }

    // What a has that b has not (and what b has that a has not, negated).
    static Difference subtract(const Difference &a, const Difference &b);
    // A few rows of a difference, for a failure message.
    static QString describe(const Difference &difference, int rows = 6);

    static const QStringList &tables();

private:
    QHash<QByteArray, int> m_rows;
    qsizetype m_total = 0;
};
