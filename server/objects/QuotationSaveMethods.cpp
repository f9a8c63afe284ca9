// "Sup05200.rdmGridCotaPrec": SetItemCole, storing the changes of a quotation.
//
// Arguments: 1 header delta of the quotation list (by reference, may be null); 2 item
// delta of the product/brand grid (by reference, may be null); 3 collection date; 4
// apply item changes to all regions; 5 logged branch; 6 logged operator; 7 apply item
// changes to all suppliers; 8..11 the scope texts "all regions", "this region", "all
// suppliers", "this supplier" recorded with each audit entry; 12 started on a packet;
// 13 purchase; 14 buyer; 15, 16 validity.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "MethodTable.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QTimeZone>

namespace {

struct HeaderField
{
    const char *name;
    QStringList allowed;  // empty: any value
};

// The header fields a client may change, each applied only where the stored value
// still equals the delta's old value.
const QList<HeaderField> kHeaderFields = {
    {"CDOPERADOR", {}},
    {"IDSITUCOLETA", {QStringLiteral("A"), QStringLiteral("C")}},
    {"IDDISMONTLIS", {QStringLiteral("S"), QStringLiteral("N")}},
    {"DSOBSCOTPREC", {}},
    {"IDTIPCOLREG", {QStringLiteral("L"), QStringLiteral("G"), QStringLiteral("E"), QStringLiteral("W")}},
};

QString valueText(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void applyHeaderChange(CallContext &ctx, const DataPacket &delta, const DeltaRow &change, const QString &op)
{
    if (change.kind == RowChange::Insert)
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Inclusao")));
    if (change.kind == RowChange::Delete)
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Exclusao")));
    const int branchAt = delta.fieldIndex(QStringLiteral("CDFILIAL"));
    const int numberAt = delta.fieldIndex(QStringLiteral("NRCOLEPRECO"));
    if (branchAt < 0 || numberAt < 0)
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Sem_Chave")));
    const QString branch = padCode(valueText(change.oldValues.value(branchAt)), 4);
    const QString number = padCode(valueText(change.oldValues.value(numberAt)), 10);
    if (branch.trimmed().isEmpty() || number.trimmed().isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Sem_Chave")));

    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    QSqlQuery head = ctx.db.execNamed(QStringLiteral("QuotationHeader"), key);
    if (!head.next())
        throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {number}));
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    const QString refusal = AccessRules::quotationRefusal(ctx.db, op, head.value(0).toString(), central);
    if (!refusal.isEmpty())
        throw ServerError::failure(refusal);

    const QString when = now();
    for (const HeaderField &field : kHeaderFields) {
        const QString name = QLatin1String(field.name);
        const int at = delta.fieldIndex(name);
        if (at < 0)
            continue;
        QString oldValue = valueText(change.oldValues.value(at));
        QString newValue = valueText(change.newValues.value(at));
        if (name == QLatin1String("CDOPERADOR")) {
            oldValue = oldValue.trimmed().isEmpty() ? QString() : padOperator(oldValue);
            newValue = newValue.trimmed().isEmpty() ? QString() : padOperator(newValue);
        } else if (!field.allowed.isEmpty()) {
            newValue = newValue.trimmed().toUpper();
            oldValue = oldValue.trimmed().toUpper();
        }
        if (oldValue == newValue)
            continue;
        if (!field.allowed.isEmpty() && !field.allowed.contains(newValue))
            throw ServerError::arguments(ServerText::message(QStringLiteral("Valor_Invalido"), {name, newValue}));
        if (name == QLatin1String("CDOPERADOR")) {
            QSqlQuery buyer = ctx.db.execNamed(QStringLiteral("IsBuyer"), {{QStringLiteral("P_CDOPERADOR"), newValue}});
            if (newValue.isEmpty() || !buyer.next())
                throw ServerError::arguments(ServerText::message(QStringLiteral("Comp_N_Cad"), {newValue.trimmed()}));
        }
        if (name == QLatin1String("DSOBSCOTPREC") && newValue.size() > 2000)
            throw ServerError::arguments(ServerText::message(QStringLiteral("Obs_Longa")));

        QVariantMap params = key;
        params.insert(QStringLiteral("P_NOVO"), newValue.isEmpty() && name == QLatin1String("DSOBSCOTPREC")
                                                    ? QVariant(QMetaType(QMetaType::QString)) : QVariant(newValue));
        params.insert(QStringLiteral("P_ANTIGO"), oldValue);
        params.insert(QStringLiteral("P_CDOPERADOR"), op);
        params.insert(QStringLiteral("P_DTHRALTE"), when);
        QSqlQuery update = ctx.db.execNamed(QStringLiteral("SetHeader_") + name, params);
        if (update.numRowsAffected() != 1)
            throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_Alterada"), {number, name}));
        ctx.db.execNamed(QStringLiteral("HeaderAudit"),
                         {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number},
                          {QStringLiteral("P_CDOPERADOR"), op}, {QStringLiteral("P_DTHRALTER"), when},
                          {QStringLiteral("P_NMCAMPO"), name},
                          {QStringLiteral("P_DSVALORANT"), oldValue.isEmpty() ? QVariant() : QVariant(oldValue)},
                          {QStringLiteral("P_DSVALORNOVO"), newValue.isEmpty() ? QVariant() : QVariant(newValue)}});
    }
}

QVariant SetItemCole(CallContext &ctx)
{
    const QString op = padOperator(ctx.session.operatorCode.isEmpty() ? Arguments::text(ctx, 5)
                                                                      : ctx.session.operatorCode);
    const QVariant header = ctx.args.value(0);
    const QVariant items = ctx.args.value(1);
    DataPacket headerDelta;
    if (isPacket(header))
        headerDelta = header.value<DataPacket>();
    else if (header.isValid() && !header.isNull())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Invalido"), {QStringLiteral("1")}));
    DataPacket itemDelta;
    if (isPacket(items))
        itemDelta = items.value<DataPacket>();
    else if (items.isValid() && !items.isNull())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Invalido"), {QStringLiteral("2")}));
    if (!itemDelta.isEmpty())
        throw ServerError::failure(ServerText::message(QStringLiteral("Itens_Pendente")));

    ctx.db.transaction([&] {
        for (const DeltaRow &change : headerDelta.changes())
            applyHeaderChange(ctx, headerDelta, change, op);
    });
    return true;
}

} // namespace

void registerQuotationSaveMethods(MethodTable &table)
{
    table.add({kGridCotaPrecObject, QStringLiteral("SetItemCole"),
               {{QStringLiteral("DeltaColetapr"), ArgType::Variant, true},
                {QStringLiteral("DeltaGridProdMarc"), ArgType::Variant, true},
                {QStringLiteral("DTCOLEPREC"), ArgType::Date},
                {QStringLiteral("TodasRegioes"), ArgType::Boolean},
                {QStringLiteral("FiliProc"), ArgType::String},
                {QStringLiteral("Operador"), ArgType::String},
                {QStringLiteral("TodosForn"), ArgType::Boolean},
                {QStringLiteral("TODASREG"), ArgType::String},
                {QStringLiteral("UMAREG"), ArgType::String},
                {QStringLiteral("TODOSFORN"), ArgType::String},
                {QStringLiteral("UMFORN"), ArgType::String},
                {QStringLiteral("boConsulta"), ArgType::Boolean},
                {QStringLiteral("NRCOMPRA"), ArgType::String},
                {QStringLiteral("CDOPERADOR"), ArgType::String},
                {QStringLiteral("DTINIVALCOL"), ArgType::Date},
                {QStringLiteral("DTFINVALCOL"), ArgType::Date}},
               SetItemCole, {5}});
}
