#include "ItemWriteRules.h"

#include "AccessRules.h"
#include "Database.h"
#include "ServerText.h"

namespace ItemWriteRules {

QString refusal(Database &db, const QString &operatorCode, const QString &branch, const QString &number,
                Target *target)
{
    if (!QuotationItemChanges::readQuotation(db, branch, number, &target->quotation))
        return ServerText::message(QStringLiteral("Cot_N_Encontrada"), {number});
    target->central = AccessRules::centralBranch(db, branch);
    if (target->central.isEmpty())
        target->central = branch;
    const QString denied = AccessRules::quotationRefusal(db, operatorCode, target->quotation.buyer, target->central);
    if (!denied.isEmpty())
        return denied;
    if (target->quotation.situation == QLatin1String("C")
        && AccessRules::parameter(db, target->central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S"))
               == QLatin1String("S"))
        return ServerText::message(QStringLiteral("Itens_Cot_Concluida"), {number});
    return QString();
}

QString priceText(double value)
{
    return QString::number(value, 'f', 5).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace ItemWriteRules
