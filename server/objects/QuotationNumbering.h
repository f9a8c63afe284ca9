#pragma once

#include <QString>

class Database;

// The numbers of a central branch's quotations: ten digits with leading zeros, the next
// free one given out inside the transaction that creates the quotation.  Every writer
// that creates quotations of a branch (creation, copy) or checks which quotations a
// buyer has in progress before writing (copy, validity change) takes the branch's
// numbering row first, so such writers of one branch run one after the other.
namespace QuotationNumbering {

// Takes the numbering row of the branch for the running transaction (created from the
// highest number stored when the branch has none yet): a row lock on PostgreSQL; on
// SQLite the IMMEDIATE transaction holds the write lock already.
void lock(Database &db, const QString &central);

// The next free number of the branch.  A number already taken by a quotation stored
// without the numbering row is skipped.  Runs inside a transaction.
QString next(Database &db, const QString &central);

} // namespace QuotationNumbering
