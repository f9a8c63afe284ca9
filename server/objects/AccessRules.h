#pragma once

#include "Session.h"

#include <QDateTime>
#include <QList>
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

    // True when managerCode is one of buyerCode's managers (GERECOMP).  Stored codes.
    static bool isManagerOf(Database &db, const QString &managerCode, const QString &buyerCode);

    // --- password confirmations (ConfSenha) ---------------------------------------------
    // A session keeps at most this many; a new one pushes out the oldest.
    static constexpr int kMaxConfirmations = 4;

    // How long a confirmation counts, in seconds: Session::kConfirmationSeconds unless
    // setConfirmationSeconds changed it (tests of expiry, which cannot wait five minutes).
    static int confirmationSeconds();
    static void setConfirmationSeconds(int seconds);

    // True while confirmation still counts at now (UTC).
    static bool isFresh(const Confirmation &confirmation, const QDateTime &now);

    // Remembers in session that operatorCode (stored code) confirmed the password at now,
    // dropping the expired confirmations and, beyond kMaxConfirmations, the oldest.
    static void recordConfirmation(Session &session, const QString &operatorCode, const QDateTime &now);

    // Takes (removes) from confirmations the oldest fresh one given by a manager of
    // buyerCode; false when there is none.
    static bool takeManagerConfirmation(Database &db, QList<Confirmation> &confirmations,
                                        const QString &buyerCode, const QDateTime &now);
};
