#pragma once

#include <QDate>
#include <QString>

class Database;

// When a qualification (a supplier's, a product's for a supplier, a brand's for a
// product) still counts at a collection date: its validity is not before that date,
// compared to the day, or to the end of the validity's month when the central branch's
// procurement parameter IDULTIDTVALQ is 'M'.  Creating a quotation and validating its
// items apply the same rule.
class QualificationValidity
{
public:
    explicit QualificationValidity(bool toMonthEnd = false) : m_toMonthEnd(toMonthEnd) {}

    // The rule of a central branch (to the day when it has no parameters).
    static QualificationValidity ofCentralBranch(Database &db, const QString &centralBranch);

    bool toMonthEnd() const { return m_toMonthEnd; }

    // False for a missing (invalid) validity.
    bool holdsAt(const QDate &validity, const QDate &collection) const;

private:
    bool m_toMonthEnd = false;
};
