// "Sup05200.rdmGridCotaPrec": the items of a quotation left without a price, asked after
// every confirmation (GetVerPrZero), and their deletion (DeleteItemCole).

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "QuotationItemChanges.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

struct PriceCount
{
    qlonglong items = 0;
    qlonglong priced = 0; // price above zero
};

PriceCount countPrices(Database &db, const QVariantMap &key)
{
    QSqlQuery q = db.execNamed(QStringLiteral("ItemsPriced"), key);
    return q.next() ? PriceCount{q.value(0).toLongLong(), q.value(1).toLongLong()} : PriceCount{};
}

// GetVerPrZero(CDFILIAL, NRCOLEPRECO): "" when every item has a price above zero; "1"
// when none has (a quotation without items included: nothing of it is priced); "2" when
// some have price zero.  An unknown quotation answers its error text, which the
// workspace shows.
QVariant GetVerPrZero(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    QuotationItemChanges::Quotation quotation;
    if (!QuotationItemChanges::readQuotation(ctx.db, branch, number, &quotation))
        return ServerText::message(QStringLiteral("Cot_N_Encontrada"), {number});
    const PriceCount count = countPrices(ctx.db, {{QStringLiteral("P_CDFILIAL"), branch},
                                                  {QStringLiteral("P_NRCOLEPRECO"), number}});
    if (count.priced == 0)
        return QStringLiteral("1");
    if (count.priced < count.items)
        return QStringLiteral("2");
    return QString();
}

// DeleteItemCole(CDFILIAL, NRCOLEPRECO): deletes the quotation's items with price zero in
// one transaction, under the rules of an item change (the operator may handle the buyer's
// quotations; a concluded quotation's items do not change where quotations carry a
// situation), refused when no item has a price (there would be nothing left).  Each
// deleted item leaves its price lists and gets its history row ('E'); confirmed prices of
// a concluded price list are never deleted.  True when done.
QVariant DeleteItemCole(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QString op = ctx.session.operatorCode;
    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    // Immediate: on SQLite the items read are those deleted (no other writer between).
    ctx.db.transaction([&] {
        QuotationItemChanges::Quotation quotation;
        if (!QuotationItemChanges::readQuotation(ctx.db, branch, number, &quotation))
            throw ServerError::failure(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {number}));
        QString central = AccessRules::centralBranch(ctx.db, branch);
        if (central.isEmpty())
            central = branch;
        const QString refusal = AccessRules::quotationRefusal(ctx.db, op, quotation.buyer, central);
        if (!refusal.isEmpty())
            throw ServerError::failure(refusal);
        if (quotation.situation == QLatin1String("C")
            && AccessRules::parameter(ctx.db, central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S")) == QLatin1String("S"))
            throw ServerError::failure(ServerText::message(QStringLiteral("Itens_Cot_Concluida"), {number}));
        ctx.db.execNamed(QStringLiteral("ZeroPricedLock"), key);
        if (countPrices(ctx.db, key).priced == 0)
            throw ServerError::failure(ServerText::message(QStringLiteral("Sem_Preco")));
        QSqlQuery concluded = ctx.db.execNamed(QStringLiteral("ZeroPricedInConcludedLists"), key);
        if (concluded.next()) {
            const QString item = ServerText::message(
                QStringLiteral("Item_Texto"), {concluded.value(2).toString().trimmed(), concluded.value(3).toString().trimmed(),
                                               concluded.value(0).toString().trimmed(), concluded.value(1).toString().trimmed()});
            throw ServerError::failure(ServerText::message(QStringLiteral("Item_Lista_Concluida"),
                                                           {item, concluded.value(4).toString().trimmed()}));
        }
        concluded.finish();
        QVariantMap history = key;
        history.insert(QStringLiteral("P_CDOPERADOR"), op);
        history.insert(QStringLiteral("P_DTHRALTER"), QDateTime::currentDateTimeUtc());
        history.insert(QStringLiteral("P_DSALTERITMCOT"), ServerText::message(QStringLiteral("Hist_Exclusao_PrZero")));
        ctx.db.execNamed(QStringLiteral("ZeroPricedHistory"), history);
        ctx.db.execNamed(QStringLiteral("ZeroPricedOffLists"), key);
        ctx.db.execNamed(QStringLiteral("ZeroPricedDelete"), key);
    }, Database::Begin::Immediate);
    return true;
}

} // namespace

void registerQuotationZeroPriceMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetVerPrZero"), GetVerPrZero);
    table.implement(kGridCotaPrecObject, QStringLiteral("DeleteItemCole"), DeleteItemCole);
}
