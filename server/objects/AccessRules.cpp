#include "AccessRules.h"

#include "Database.h"
#include "ServerText.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace {

// Read by every worker; changed only by tests.
std::atomic<int> g_confirmationSeconds{Session::kConfirmationSeconds};

} // namespace

QString AccessRules::centralBranch(Database &db, const QString &branch)
{
    QSqlQuery q = db.execNamed(QStringLiteral("CentralBranch"), {{QStringLiteral("P_CDFILIAL"), branch}});
    return q.next() ? q.value(0).toString() : QString();
}

QString AccessRules::parameter(Database &db, const QString &centralBranch, const QString &name,
                               const QString &fallback)
{
    QSqlQuery q = db.execNamed(QStringLiteral("GetParaSupri"), {{QStringLiteral("P_CDFILIAL"), centralBranch}});
    if (!q.next())
        return fallback;
    const QString v = q.record().value(name).toString();
    return v.isEmpty() ? fallback : v;
}

QString AccessRules::quotationRefusal(Database &db, const QString &operatorCode, const QString &buyerCode,
                                      const QString &centralBranch)
{
    QSqlQuery related = db.execNamed(QStringLiteral("RelatedOperators"), {{QStringLiteral("P_CDCOMPRADOR"), buyerCode}});
    bool anyRelated = false;
    while (related.next()) {
        anyRelated = true;
        if (related.value(0).toString() == operatorCode) {
            return related.value(1).toString() == QLatin1String("N")
                       ? ServerText::message(QStringLiteral("Oper_Relac_N_Aut"))
                       : QString();
        }
    }
    if (anyRelated)
        return ServerText::message(QStringLiteral("Oper_N_Relac"));
    QSqlQuery buyer = db.execNamed(QStringLiteral("IsBuyer"), {{QStringLiteral("P_CDOPERADOR"), operatorCode}});
    if (!buyer.next())
        return ServerText::message(QStringLiteral("Oper_NComp"));
    if (parameter(db, centralBranch, QStringLiteral("IDUMPRODCMP"), QStringLiteral("N")) != QLatin1String("S")
        && operatorCode != buyerCode)
        return ServerText::message(QStringLiteral("Cot_NComp"));
    return {};
}

bool AccessRules::isManagerOf(Database &db, const QString &managerCode, const QString &buyerCode)
{
    QSqlQuery q = db.execNamed(QStringLiteral("IsManagerOfBuyer"),
                               {{QStringLiteral("P_CDOPERGERE"), managerCode}, {QStringLiteral("P_CDOPERCOMP"), buyerCode}});
    return q.next();
}

int AccessRules::confirmationSeconds()
{
    return g_confirmationSeconds.load(std::memory_order_relaxed);
}

void AccessRules::setConfirmationSeconds(int seconds)
{
    g_confirmationSeconds.store(seconds, std::memory_order_relaxed);
}

bool AccessRules::isFresh(const Confirmation &confirmation, const QDateTime &now)
{
    // A moment ahead of now (the clock was set back) does not count either: the
    // operator simply confirms again.
    const qint64 age = confirmation.at.msecsTo(now);
    return confirmation.at.isValid() && age >= 0 && age <= qint64(confirmationSeconds()) * 1000;
}

void AccessRules::recordConfirmation(Session &session, const QString &operatorCode, const QDateTime &now)
{
    QList<Confirmation> &list = session.confirmations;
    list.removeIf([&](const Confirmation &c) { return !isFresh(c, now); });
    list.append({operatorCode, now});
    while (list.size() > kMaxConfirmations)
        list.removeFirst();
}

bool AccessRules::takeManagerConfirmation(Database &db, QList<Confirmation> &confirmations, const QString &buyerCode,
                                          const QDateTime &now)
{
    for (qsizetype i = 0; i < confirmations.size(); ++i) {
        const Confirmation &c = confirmations.at(i);
        if (isFresh(c, now) && isManagerOf(db, c.operatorCode, buyerCode)) {
            confirmations.removeAt(i);
            return true;
        }
    }
    return false;
}
