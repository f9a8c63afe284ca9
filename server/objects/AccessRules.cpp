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
    return db.valueNamed(QStringLiteral("CentralBranch"), {{QStringLiteral("P_CDFILIAL"), branch}}).toString();
}

QString AccessRules::parameter(Database &db, const QString &centralBranch, const QString &name,
                               const QString &fallback)
{
    QString v;
    db.readNamed(QStringLiteral("GetParaSupri"), {{QStringLiteral("P_CDFILIAL"), centralBranch}}, [&](QSqlQuery &q) {
        if (q.next())
            v = q.record().value(name).toString();
    });
    return v.isEmpty() ? fallback : v;
}

QString AccessRules::quotationRefusal(Database &db, const QString &operatorCode, const QString &buyerCode,
                                      const QString &centralBranch)
{
    bool anyRelated = false;
    bool related = false;
    bool authorised = false;
    db.readNamed(QStringLiteral("RelatedOperators"), {{QStringLiteral("P_CDCOMPRADOR"), buyerCode}}, [&](QSqlQuery &q) {
        while (q.next()) {
            anyRelated = true;
            if (q.value(0).toString() == operatorCode) {
                related = true;
                authorised = q.value(1).toString() != QLatin1String("N");
                return;
            }
        }
    });
    if (related)
        return authorised ? QString() : ServerText::message(QStringLiteral("Oper_Relac_N_Aut"));
    if (anyRelated)
        return ServerText::message(QStringLiteral("Oper_N_Relac"));
    if (!db.valueNamed(QStringLiteral("IsBuyer"), {{QStringLiteral("P_CDOPERADOR"), operatorCode}}).isValid())
        return ServerText::message(QStringLiteral("Oper_NComp"));
    if (parameter(db, centralBranch, QStringLiteral("IDUMPRODCMP"), QStringLiteral("N")) != QLatin1String("S")
        && operatorCode != buyerCode)
        return ServerText::message(QStringLiteral("Cot_NComp"));
    return {};
}

bool AccessRules::isManagerOf(Database &db, const QString &managerCode, const QString &buyerCode)
{
    bool found = false;
    db.readNamed(QStringLiteral("IsManagerOfBuyer"),
                 {{QStringLiteral("P_CDOPERGERE"), managerCode}, {QStringLiteral("P_CDOPERCOMP"), buyerCode}},
                 [&found](QSqlQuery &q) { found = q.next(); });
    return found;
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
