// "Sup05200.rdmGridCotaPrec": the three linked grids of the products page (the
// quotation's regions, the suppliers of a region, a supplier's items in a region), each
// supplier of a quotation once, and the validation of item rows before they are stored.
//
// Read-only: no transaction and no audit.  A key that names nothing (an unknown or empty
// quotation, region or supplier) gives an empty packet: the workspace's grids cascade
// from one to the next and also ask with the keys of an empty grid.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "ItemValidation.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QSqlQuery>

#include <array>

namespace {

QVariantMap quotationKey(const CallContext &ctx)
{
    return {{QStringLiteral("P_CDFILIAL"), Arguments::code(ctx, QStringLiteral("CDFILIAL"), 4)},
            {QStringLiteral("P_NRCOLEPRECO"), Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10)}};
}

QVariant packetOf(CallContext &ctx, const QString &statement, const QVariantMap &params)
{
    PacketBuilder packet(ctx.method);
    ctx.db.readNamed(statement, params, [&packet](QSqlQuery &q) { packet.addRows(q); });
    return packet.result();
}

// GetGridRegiao(CDFILIAL, NRCOLEPRECO): the quotation's regions, by code.
QVariant GetGridRegiao(CallContext &ctx)
{
    return packetOf(ctx, QStringLiteral("GetGridRegiao"), quotationKey(ctx));
}

// GetGridFornecedor(CDFILIAL, NRCOLEPRECO, CDREGIAO): the suppliers taking part in the
// region, by trade name then code; IDFORNCOT 'S' when the supplier has a price above
// zero there.
QVariant GetGridFornecedor(CallContext &ctx)
{
    QVariantMap params = quotationKey(ctx);
    params.insert(QStringLiteral("P_CDREGIAO"), Arguments::code(ctx, QStringLiteral("CDREGIAO"), 3));
    return packetOf(ctx, QStringLiteral("GetGridFornecedor"), params);
}

// GetGridProdMarc(CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED): the supplier's items in
// the region with product and brand names, price-list membership and the quantity
// available, by product tree code then brand.
QVariant GetGridProdMarc(CallContext &ctx)
{
    QVariantMap params = quotationKey(ctx);
    params.insert(QStringLiteral("P_CDREGIAO"), Arguments::code(ctx, QStringLiteral("CDREGIAO"), 3));
    params.insert(QStringLiteral("P_CDFORNECED"), Arguments::code(ctx, QStringLiteral("CDFORNECED"), 21));
    return packetOf(ctx, QStringLiteral("GetGridProdMarc"), params);
}

// GetDistForns(CDFILIAL, NRCOLEPRECO): each supplier of the quotation once.
QVariant GetDistForns(CallContext &ctx)
{
    return packetOf(ctx, QStringLiteral("GetDistForns"), quotationKey(ctx));
}

// --- ValidaDados -----------------------------------------------------------------------

// The key fields an item row must carry, in the order of ItemValidation::Item.
constexpr std::array<std::pair<const char *, int>, 4> kItemKey = {
    {{"CDREGIAO", 3}, {"CDFORNECED", 21}, {"CDPRODUTO", 10}, {"CDMARCA", 5}}};

// A code of an item row at its stored width; blank stays empty (and matches nothing).
QString storedCode(const QVariant &value, int width)
{
    const QString text = value.isValid() && !value.isNull() ? value.toString() : QString();
    return text.trimmed().isEmpty() ? QString() : padCode(text, width);
}

// ValidaDados(Itens, FiliProc, CDFILIAL, DTCOLEPREC): one row per item that fails a
// check of ItemValidation, its key as sent and IDERRO, one 'S'/'N' per check.  SetItemCole
// applies the same checks to the rows it stores.
QVariant ValidaDados(CallContext &ctx)
{
    // Every check is the central branch's; the logged branch (FiliProc) changes none.
    const QString given = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_FilialCentral"));
    QString central = AccessRules::centralBranch(ctx.db, given);
    if (central.isEmpty())
        central = given;
    QDate collection = Arguments::date(ctx, QStringLiteral("DTCOLEPREC"));
    if (!collection.isValid())
        collection = QDate::currentDate();

    PacketBuilder answer(ctx.method);
    const QVariant &itemsArg = ctx.arg(QStringLiteral("Itens"));
    if (!isPacket(itemsArg))
        return answer.result();
    const DataPacket items = itemsArg.value<DataPacket>();
    if (items.isDelta())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Itens_Delta")));
    std::array<int, kItemKey.size()> at{};
    for (size_t i = 0; i < kItemKey.size(); ++i) {
        at[i] = items.fieldIndex(QLatin1String(kItemKey[i].first));
        if (at[i] < 0)
            throw ServerError::arguments(ServerText::message(QStringLiteral("Itens_Sem_Campo"),
                                                             {QLatin1String(kItemKey[i].first)}));
    }
    if (items.rowCount() == 0)
        return answer.result();

    QList<ItemValidation::Item> checked;
    checked.reserve(items.rowCount());
    for (const QVariantList &row : items.rows()) {
        checked.append({storedCode(row.value(at[0]), kItemKey[0].second), storedCode(row.value(at[1]), kItemKey[1].second),
                        storedCode(row.value(at[2]), kItemKey[2].second), storedCode(row.value(at[3]), kItemKey[3].second)});
    }
    for (const ItemValidation::Failure &failure : ItemValidation::failures(ctx.db, central, collection, checked)) {
        const QVariantList row = items.rows().value(failure.index);
        answer.addRow({row.value(at[0]), row.value(at[1]), row.value(at[2]), row.value(at[3]), failure.flags});
    }
    return answer.result();
}

} // namespace

void registerQuotationGridMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetGridRegiao"), GetGridRegiao);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetGridFornecedor"), GetGridFornecedor);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetGridProdMarc"), GetGridProdMarc);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetDistForns"), GetDistForns);
    table.implement(kGridCotaPrecObject, QStringLiteral("ValidaDados"), ValidaDados);
}
