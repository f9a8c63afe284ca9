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
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "QualificationValidity.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <array>

namespace {

QVariantMap quotationKey(const CallContext &ctx)
{
    return {{QStringLiteral("P_CDFILIAL"), Arguments::code(ctx, QStringLiteral("CDFILIAL"), 4)},
            {QStringLiteral("P_NRCOLEPRECO"), Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10)}};
}

QVariant packetOf(CallContext &ctx, const QString &statement, const QVariantMap &params)
{
    QSqlQuery q = ctx.db.execNamed(statement, params);
    return PacketBuilder(ctx.method).addRows(q).result();
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

// The checks of an item, in the order of the positions of IDERRO.
enum Check {
    BrandQualification,   // the product's brand is not qualified, or no longer at the collection date
    ProductQualification, // the product is not qualified for the supplier, or no longer
    ServesRegion,         // the supplier does not serve the region
    RegionalBranch,       // no regional branch of the region negotiates the product
    CorporateBranch,      // the central (corporate) branch does not negotiate the product
    ProductRegistered,    // the product is not registered for the supplier
    BrandRegistered,      // the brand is not registered for the product
    EanRegistered,        // the product/brand has no EAN code
    CheckCount
};

// The key fields an item row must carry, in the order ValidaDados sends them to its
// statement (after the row number).
constexpr std::array<std::pair<const char *, int>, 4> kItemKey = {
    {{"CDREGIAO", 3}, {"CDFORNECED", 21}, {"CDPRODUTO", 10}, {"CDMARCA", 5}}};

// A code of an item row at its stored width; blank stays empty (and matches nothing).
QString storedCode(const QVariant &value, int width)
{
    const QString text = value.isValid() && !value.isNull() ? value.toString() : QString();
    return text.trimmed().isEmpty() ? QString() : padCode(text, width);
}

// ValidaDados(Itens, FiliProc, CDFILIAL, DTCOLEPREC): one row per item that fails a
// check, its key as sent and IDERRO, one 'S'/'N' per check.  Checks that look at a
// registration (qualifications, EAN code) apply only to a registered product or brand: a
// missing registration is its own flag.  Every row is looked at by one statement: the
// rows travel to it as one JSON array parameter, unpacked by the engine.
QVariant ValidaDados(CallContext &ctx)
{
    // Every check is the central branch's; the logged branch (FiliProc) changes none.
    const QString given = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Filial central"));
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

    QJsonArray rows;
    for (int r = 0; r < items.rowCount(); ++r) {
        const QVariantList &row = items.rows().at(r);
        QJsonArray entry{r};
        for (size_t i = 0; i < kItemKey.size(); ++i)
            entry.append(storedCode(row.value(at[i]), kItemKey[i].second));
        rows.append(entry);
    }

    const QualificationValidity validity = QualificationValidity::ofCentralBranch(ctx.db, central);
    QSqlQuery q = ctx.db.execNamed(
        QStringLiteral("ValidaDados"),
        {{QStringLiteral("P_ITENS"), QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact))},
         {QStringLiteral("P_CDFILIAL"), central}});
    const QSqlRecord columns = q.record();
    const auto column = [&](const char *name) { return columns.indexOf(QLatin1String(name)); };
    const int line = column("NRLINHA");
    const int brandRegistration = column("IDMARCCAD"), brandQualified = column("IDQUALMARC"),
              brandValidity = column("DTVALQUALMARC");
    const int productRegistration = column("IDPRODCAD"), productQualified = column("IDQUALPRODFORN"),
              productValidity = column("DTVALQUALPF");
    const int serves = column("IDATENDREG"), hasRegional = column("IDTEMFILREG"), regional = column("IDNEGFILREG"),
              corporate = column("IDNEGFILCOR"), ean = column("IDTEMEAN");
    const auto yes = [&q](int at) { return q.value(at).toString() == QLatin1String("S"); };
    while (q.next()) {
        const bool brandRegistered = yes(brandRegistration);
        const bool productRegistered = yes(productRegistration);
        std::array<bool, CheckCount> failed{};
        failed[BrandQualification] = brandRegistered
            && !(yes(brandQualified) && validity.holdsAt(Database::toDate(q.value(brandValidity)), collection));
        failed[ProductQualification] = productRegistered
            && !(yes(productQualified) && validity.holdsAt(Database::toDate(q.value(productValidity)), collection));
        failed[ServesRegion] = !yes(serves);
        failed[RegionalBranch] = yes(hasRegional) && !yes(regional);
        failed[CorporateBranch] = !yes(corporate);
        failed[ProductRegistered] = !productRegistered;
        failed[BrandRegistered] = !brandRegistered;
        failed[EanRegistered] = brandRegistered && !yes(ean);
        if (std::none_of(failed.begin(), failed.end(), [](bool f) { return f; }))
            continue;
        QString flags;
        for (bool f : failed)
            flags += f ? QLatin1Char('S') : QLatin1Char('N');
        const QVariantList row = items.rows().value(q.value(line).toInt());
        answer.addRow({row.value(at[0]), row.value(at[1]), row.value(at[2]), row.value(at[3]), flags});
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
