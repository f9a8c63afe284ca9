#pragma once

#include <QString>

class Database;

// Who may work on a buyer's quotations, as the workspace checks it before editing or
// deleting: without operators related to the buyer, only a buyer may (and only the
// quotation's own buyer unless the central branch lets buyers work on each other's
// products, IDUMPRODCMP 'S'); with related operators, only those related and allowed
// to handle quotations (IDCOTCMPOPER not 'N').
class AccessRules
{
public:
    // Empty when operatorCode may handle buyerCode's quotations of centralBranch, else
    // the refusal text.  Codes are stored (padded) codes.
    static QString quotationRefusal(Database &db, const QString &operatorCode, const QString &buyerCode,
                                    const QString &centralBranch);

    // The central purchasing branch of branch (the branch itself when it has none);
    // empty when the branch does not exist.
    static QString centralBranch(Database &db, const QString &branch);

    // The procurement parameter flag of a central branch; fallback when the branch has
    // no parameters.
    static QString parameter(Database &db, const QString &centralBranch, const QString &name,
                             const QString &fallback);
};
