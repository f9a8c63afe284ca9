#include "AccessRules.h"

#include "Database.h"
#include "ServerText.h"

#include <QSqlQuery>
#include <QSqlRecord>

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
