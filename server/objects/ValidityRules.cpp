#include "ValidityRules.h"

#include "Codes.h"
#include "Database.h"
#include "ServerText.h"

#include <QSqlQuery>

namespace ValidityRules {

QList<InProgress> inProgress(Database &db, const QString &central, const QString &buyer, const QDate &first,
                             const QDate &last)
{
    QSqlQuery q = db.execNamed(QStringLiteral("BuyerInProgress"),
                               {{QStringLiteral("P_CDFILIAL"), central},
                                {QStringLiteral("P_CDOPERADOR"), buyer},
                                {QStringLiteral("P_DTINICIAL"), first},
                                {QStringLiteral("P_DTFINAL"), last}});
    QList<InProgress> out;
    while (q.next())
        out.append({q.value(0).toString(), Database::toDate(q.value(1)), Database::toDate(q.value(2))});
    return out;
}

QString week(const QDate &date)
{
    return padCode(QString::number(date.weekNumber()), 2);
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString inProgressText(const QString &buyer, const InProgress &existing)
{
    return ServerText::message(QStringLiteral("Cot_Andamento_Validade"),
                               {buyer.trimmed(), existing.number, dateText(existing.first), dateText(existing.last)});
}

} // namespace ValidityRules
