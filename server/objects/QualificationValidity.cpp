#include "QualificationValidity.h"

#include "AccessRules.h"

QualificationValidity QualificationValidity::ofCentralBranch(Database &db, const QString &centralBranch)
{
    return QualificationValidity(AccessRules::parameter(db, centralBranch, QStringLiteral("IDULTIDTVALQ"),
                                                        QStringLiteral("D"))
                                 == QLatin1String("M"));
}

bool QualificationValidity::holdsAt(const QDate &validity, const QDate &collection) const
{
    if (!validity.isValid())
        return false;
    const QDate limit = m_toMonthEnd ? QDate(validity.year(), validity.month(), validity.daysInMonth()) : validity;
    return collection <= limit;
}
