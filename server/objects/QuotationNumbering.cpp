#include "QuotationNumbering.h"

#include "Codes.h"
#include "Database.h"
#include "ServerError.h"
#include "ServerText.h"

#include <QSqlQuery>

namespace QuotationNumbering {

void lock(Database &db, const QString &central)
{
    const QVariantMap branch = {{QStringLiteral("P_CDFILIAL"), central}};
    db.execNamed(QStringLiteral("NumberEnsure"), branch);
    db.execNamed(QStringLiteral("NumberLock"), branch);
}

QString next(Database &db, const QString &central)
{
    const QVariantMap branch = {{QStringLiteral("P_CDFILIAL"), central}};
    db.execNamed(QStringLiteral("NumberEnsure"), branch);
    for (;;) {
        db.execNamed(QStringLiteral("NumberNext"), branch);
        QSqlQuery q = db.execNamed(QStringLiteral("NumberRead"), branch);
        if (!q.next())
            throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
        const QString number = padCode(QString::number(q.value(0).toLongLong()), 10);
        QSqlQuery taken = db.execNamed(QStringLiteral("QuotationHeader"),
                                       {{QStringLiteral("P_CDFILIAL"), central}, {QStringLiteral("P_NRCOLEPRECO"), number}});
        if (!taken.next())
            return number;
    }
}

} // namespace QuotationNumbering
