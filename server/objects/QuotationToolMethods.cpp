// "Sup05200.rdmGridCotaPrec": the workspace's quotation tools that rewrite a column of
// every item (quantities to buy, CargAcomprar; payment terms, AtualizaFormPgto), the item
// reads of the negotiation and spreadsheet modules (GetSimulacaoItem, GetPlanilhaItem)
// and the item observation (GetObsItmCol, SetObsItmCol).
//
// Every write runs in one transaction under the rules of an item change (ItemWriteRules)
// with one set-based statement for the items, whatever the size of the quotation.

#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "ItemWriteRules.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QHash>
#include <QSqlQuery>

namespace {

QString failure(const QString &text) { return QLatin1Char('3') + text; }

QString branchArg(const CallContext &ctx)
{
    return Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
}

QString numberArg(const CallContext &ctx)
{
    return Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
}

// One row of HISTCOLETA for a write to the quotation's items.
void headerAudit(Database &db, const QString &branch, const QString &number, const QString &op,
                 const QDateTime &when, const QString &field, const QVariant &oldValue, const QVariant &newValue)
{
    db.execNamed(QStringLiteral("HeaderAudit"), {{QStringLiteral("P_CDFILIAL"), branch},
                                                 {QStringLiteral("P_NRCOLEPRECO"), number},
                                                 {QStringLiteral("P_CDOPERADOR"), op},
                                                 {QStringLiteral("P_DTHRALTER"), when},
                                                 {QStringLiteral("P_NMCAMPO"), field},
                                                 {QStringLiteral("P_DSVALORANT"), oldValue},
                                                 {QStringLiteral("P_DSVALORNOVO"), newValue}});
}

// CargAcomprar(CDFILIAL, NRCOLEPRECO): "" when the quantities to buy were recomputed,
// else the text to show.
QVariant CargAcomprar(CallContext &ctx)
{
    const QString branch = branchArg(ctx);
    const QString number = numberArg(ctx);
    const QString op = padOperator(ctx.session.operatorCode);
    QString result;
    ctx.db.transaction(
        [&] {
            ItemWriteRules::Target target;
            result = ItemWriteRules::refusal(ctx.db, op, branch, number, &target);
            if (!result.isEmpty())
                return;
            const QDateTime when = QDateTime::currentDateTimeUtc();
            QSqlQuery update = ctx.db.execNamed(QStringLiteral("ToBuyUpdate"),
                                                {{QStringLiteral("P_CENTRAL"), target.central},
                                                 {QStringLiteral("P_CDFILIAL"), branch},
                                                 {QStringLiteral("P_NRCOLEPRECO"), number},
                                                 {QStringLiteral("P_CDOPERADOR"), op},
                                                 {QStringLiteral("P_DTHRALTE"), when}});
            const int changed = update.numRowsAffected();
            headerAudit(ctx.db, branch, number, op, when, QStringLiteral("QTACMPITMCOL"), QVariant(),
                        ServerText::message(QStringLiteral("Hist_Itens_Alterados"), {QString::number(changed)}));
        },
        Database::Begin::Immediate);
    return result;
}

// AtualizaFormPgto(CDFILIAL, NRCOLEPRECO): the suppliers with the payment terms their
// items now carry; "3" + the refusal.
QVariant AtualizaFormPgto(CallContext &ctx)
{
    const QString branch = branchArg(ctx);
    const QString number = numberArg(ctx);
    const QString op = padOperator(ctx.session.operatorCode);
    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    QVariant result;
    ctx.db.transaction(
        [&] {
            ItemWriteRules::Target target;
            const QString refusal = ItemWriteRules::refusal(ctx.db, op, branch, number, &target);
            if (!refusal.isEmpty()) {
                result = failure(refusal);
                return;
            }
            const QDateTime when = QDateTime::currentDateTimeUtc();
            QVariantMap params = key;
            params.insert(QStringLiteral("P_CDOPERADOR"), op);
            params.insert(QStringLiteral("P_DTHRALTE"), when);
            QSqlQuery update = ctx.db.execNamed(QStringLiteral("PaymentTermsUpdate"), params);
            const int changed = update.numRowsAffected();
            headerAudit(ctx.db, branch, number, op, when, QStringLiteral("CDFORMPGTO"), QVariant(),
                        ServerText::message(QStringLiteral("Hist_Itens_Alterados"), {QString::number(changed)}));
            QSqlQuery terms = ctx.db.execNamed(QStringLiteral("PaymentTerms"), key);
            result = PacketBuilder(ctx.method).addRows(terms).result();
        },
        Database::Begin::Immediate);
    return result;
}

struct ModuleItem
{
    QString branch;
    QString number;
    QString supplier;
    QString product;
    QString brand;
    QString region;
};

ModuleItem moduleItem(const CallContext &ctx)
{
    return {branchArg(ctx),
            numberArg(ctx),
            Arguments::code(ctx, QStringLiteral("CDFORNECED"), 21),
            Arguments::code(ctx, QStringLiteral("CDPRODUTO"), 10),
            Arguments::code(ctx, QStringLiteral("CDMARCA"), 5),
            Arguments::code(ctx, QStringLiteral("CDREGIAO"), 3)};
}

// GetSimulacaoItem: the product over every region and supplier of the quotation, with
// the cost of each row, the supplier's total and the cheapest price of each region.
QVariant GetSimulacaoItem(CallContext &ctx)
{
    const ModuleItem item = moduleItem(ctx);
    QuotationItemChanges::Quotation quotation;
    if (!QuotationItemChanges::readQuotation(ctx.db, item.branch, item.number, &quotation))
        return failure(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {item.number}));
    struct Row
    {
        QVariantList values;
        double cost = 0;
    };
    QList<Row> rows;
    QHash<QString, double> supplierTotal;
    QHash<QString, double> regionBest;
    {
        QSqlQuery q = ctx.db.execNamed(QStringLiteral("SimulationItems"),
                                       {{QStringLiteral("P_CDFILIAL"), item.branch},
                                        {QStringLiteral("P_NRCOLEPRECO"), item.number},
                                        {QStringLiteral("P_CDPRODUTO"), item.product}});
        while (q.next()) {
            Row row;
            for (int i = 0; i < 14; ++i)
                row.values << q.value(i);
            const QString region = q.value(0).toString();
            const QString supplier = q.value(2).toString();
            const double price = q.value(11).toDouble();
            row.cost = price * q.value(12).toDouble();
            supplierTotal[supplier] += row.cost;
            if (price > 0 && (!regionBest.contains(region) || price < regionBest.value(region)))
                regionBest.insert(region, price);
            rows.append(row);
        }
    }
    if (rows.isEmpty())
        return failure(ServerText::message(QStringLiteral("Prod_N_Cotacao"), {item.product.trimmed(), item.number}));
    PacketBuilder packet(ctx.method);
    for (const Row &row : std::as_const(rows)) {
        const QString region = row.values.at(0).toString();
        const QString supplier = row.values.at(2).toString();
        const double price = row.values.at(11).toDouble();
        const bool best = price > 0 && price == regionBest.value(region);
        const bool current = region.trimmed() == item.region.trimmed() && supplier.trimmed() == item.supplier.trimmed()
                             && row.values.at(9).toString().trimmed() == item.brand.trimmed();
        QVariantList values = row.values.mid(0, 13);
        values << row.cost << supplierTotal.value(supplier) << row.values.at(13)
               << QString(best ? QStringLiteral("S") : QStringLiteral("N"))
               << QString(current ? QStringLiteral("S") : QStringLiteral("N"));
        packet.addRow(values);
    }
    return packet.result();
}

// GetPlanilhaItem: the item's rows in the quotation ("C") and its price history in the
// region ("H").
QVariant GetPlanilhaItem(CallContext &ctx)
{
    const ModuleItem item = moduleItem(ctx);
    QuotationItemChanges::Quotation quotation;
    if (!QuotationItemChanges::readQuotation(ctx.db, item.branch, item.number, &quotation))
        return failure(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {item.number}));
    PacketBuilder packet(ctx.method);
    QSqlQuery current = ctx.db.execNamed(QStringLiteral("SheetItems"), {{QStringLiteral("P_CDFILIAL"), item.branch},
                                                                        {QStringLiteral("P_NRCOLEPRECO"), item.number},
                                                                        {QStringLiteral("P_CDPRODUTO"), item.product},
                                                                        {QStringLiteral("P_CDMARCA"), item.brand}});
    bool found = false;
    while (current.next()) {
        QVariantList values;
        for (int i = 0; i < 18; ++i)
            values << current.value(i);
        found = found || values.at(7).toString().trimmed() == item.supplier.trimmed();
        packet.addRow(values);
    }
    current.finish();
    if (!found)
        return failure(ServerText::message(
            QStringLiteral("Item_N_Cotacao"),
            {ServerText::message(QStringLiteral("Item_Texto"), {item.product.trimmed(), item.brand.trimmed(),
                                                                item.region.trimmed(), item.supplier.trimmed()}),
             item.number}));
    QSqlQuery history = ctx.db.execNamed(QStringLiteral("SheetHistory"),
                                         {{QStringLiteral("P_CDFILIAL"), item.branch},
                                          {QStringLiteral("P_NRCOLEPRECO"), item.number},
                                          {QStringLiteral("P_CDPRODUTO"), item.product},
                                          {QStringLiteral("P_CDMARCA"), item.brand},
                                          {QStringLiteral("P_CDREGIAO"), item.region},
                                          {QStringLiteral("P_DTCOLEPREC"), quotation.collection}});
    return packet.addRows(history).result();
}

struct ObservationKey
{
    QVariantMap params;
    QString text;     // names the item in messages
    QString number;
};

ObservationKey observationKey(const CallContext &ctx)
{
    ObservationKey key;
    const QString branch = branchArg(ctx);
    key.number = numberArg(ctx);
    const QString region = Arguments::requiredCode(ctx, QStringLiteral("CDREGIAO"), 3, QStringLiteral("Nome_Regiao"));
    const QString supplier =
        Arguments::requiredCode(ctx, QStringLiteral("CDFORNECED"), 21, QStringLiteral("Nome_Fornecedor"));
    const QString product = Arguments::requiredCode(ctx, QStringLiteral("CDPRODUTO"), 10, QStringLiteral("Nome_Produto"));
    const QString brand = Arguments::requiredCode(ctx, QStringLiteral("CDMARCA"), 5, QStringLiteral("Nome_Marca"));
    key.params = {{QStringLiteral("P_CDFILIAL"), branch},   {QStringLiteral("P_NRCOLEPRECO"), key.number},
                  {QStringLiteral("P_CDREGIAO"), region},   {QStringLiteral("P_CDFORNECED"), supplier},
                  {QStringLiteral("P_CDPRODUTO"), product}, {QStringLiteral("P_CDMARCA"), brand}};
    key.text = ServerText::message(QStringLiteral("Item_Texto"),
                                   {product.trimmed(), brand.trimmed(), region.trimmed(), supplier.trimmed()});
    return key;
}

// The stored observation of the item; false when the quotation has no such item.
bool readObservation(Database &db, const ObservationKey &key, QString *text)
{
    QSqlQuery q = db.execNamed(QStringLiteral("ObservationRead"), key.params);
    if (!q.next())
        return false;
    *text = q.value(0).toString();
    return true;
}

// GetObsItmCol: one row with the item's observation; "3" + the text for an unknown item.
QVariant GetObsItmCol(CallContext &ctx)
{
    const ObservationKey key = observationKey(ctx);
    QString text;
    if (!readObservation(ctx.db, key, &text))
        return failure(ServerText::message(QStringLiteral("Item_N_Cotacao"), {key.text, key.number}));
    return PacketBuilder(ctx.method).addRow({text}).result();
}

// SetObsItmCol: stores the observation where the stored one is still the one the client
// read; true when stored (or unchanged), "3" + the refusal otherwise.
QVariant SetObsItmCol(CallContext &ctx)
{
    const ObservationKey key = observationKey(ctx);
    const QString text = Arguments::text(ctx, QStringLiteral("DSOBSITMCOL"));
    const QString oldText = Arguments::text(ctx, QStringLiteral("DSOBSITMCOLANT"));
    if (text.size() > 1000)
        return failure(ServerText::message(QStringLiteral("Obs_Longa"), {QString::number(text.size())}));
    const QString op = padOperator(ctx.session.operatorCode);
    QVariant result = true;
    ctx.db.transaction(
        [&] {
            ItemWriteRules::Target target;
            const QString refusal = ItemWriteRules::refusal(ctx.db, op, key.params.value(QStringLiteral("P_CDFILIAL")).toString(),
                                                            key.number, &target);
            if (!refusal.isEmpty()) {
                result = failure(refusal);
                return;
            }
            QString stored;
            if (!readObservation(ctx.db, key, &stored)) {
                result = failure(ServerText::message(QStringLiteral("Item_N_Cotacao"), {key.text, key.number}));
                return;
            }
            if (stored != oldText) {
                result = failure(ServerText::message(QStringLiteral("Obs_Alterada"), {key.text}));
                return;
            }
            if (stored == text)
                return;
            const QDateTime when = QDateTime::currentDateTimeUtc();
            QVariantMap params = key.params;
            params.insert(QStringLiteral("P_DSOBSITMCOL"), text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text));
            params.insert(QStringLiteral("P_DSOBSANT"), oldText);
            params.insert(QStringLiteral("P_CDOPERADOR"), op);
            params.insert(QStringLiteral("P_DTHRALTE"), when);
            QSqlQuery update = ctx.db.execNamed(QStringLiteral("ObservationUpdate"), params);
            if (update.numRowsAffected() != 1) {
                // Changed by another session between the read and the write.
                result = failure(ServerText::message(QStringLiteral("Obs_Alterada"), {key.text}));
                return;
            }
            const QString item = key.text + QStringLiteral(": ");
            headerAudit(ctx.db, key.params.value(QStringLiteral("P_CDFILIAL")).toString(), key.number, op, when,
                        QStringLiteral("DSOBSITMCOL"), item + stored, item + text);
        },
        Database::Begin::Immediate);
    return result;
}

} // namespace

void registerQuotationToolMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("CargAcomprar"), CargAcomprar);
    table.implement(kGridCotaPrecObject, QStringLiteral("AtualizaFormPgto"), AtualizaFormPgto);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetSimulacaoItem"), GetSimulacaoItem);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetPlanilhaItem"), GetPlanilhaItem);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetObsItmCol"), GetObsItmCol);
    table.implement(kGridCotaPrecObject, QStringLiteral("SetObsItmCol"), SetObsItmCol);
}
