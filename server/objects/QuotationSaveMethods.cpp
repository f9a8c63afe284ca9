// "Sup05200.rdmGridCotaPrec": SetItemCole, storing the changes of a quotation: its
// header (the quotation list's delta) and its items (the product/brand grid's delta).
//
// The arguments are declared in the protocol contract.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "MethodTable.h"
#include "QuotationItemChanges.h"
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

// One field a delta row changes, its values as stored (codes padded, flags upper case).
struct FieldChange
{
    QString name;
    QString oldValue;
    QString newValue;
};

// The fields a delta row changes (new value differing from its old value), each checked
// against its domain; nothing is written here.
QList<FieldChange> requestedChanges(const DataPacket &delta, const DeltaRow &change)
{
    QList<FieldChange> changes;
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
        if (name == QLatin1String("DSOBSCOTPREC") && newValue.size() > 2000)
            throw ServerError::arguments(ServerText::message(QStringLiteral("Obs_Longa")));
        changes.append({name, oldValue, newValue});
    }
    return changes;
}

const FieldChange *findChange(const QList<FieldChange> &changes, const char *name)
{
    for (const FieldChange &c : changes) {
        if (c.name == QLatin1String(name))
            return &c;
    }
    return nullptr;
}

// Applies one modify of the header delta, after the rules the workspace enforces before
// posting a quotation row, so that no client gets around them:
//  - the operator may handle the stored buyer's quotations (AccessRules);
//  - a new buyer must be a buyer managed (GERECOMP) by the logged operator, as the
//    workspace only accepts a buyer from the logged manager's buyers;
//  - where the central branch's quotations carry a situation (IDUTISTATCOT 'S'), a
//    concluded quotation accepts no change but its reopening (situation C -> A), and
//    a reopening takes one fresh password confirmation of a manager of the stored buyer
//    from confirmations.  A reopening may change other fields in the same row: the
//    quotation is then in progress again.
void applyHeaderChange(CallContext &ctx, const DataPacket &delta, const DeltaRow &change, const QString &op,
                       QList<Confirmation> &confirmations, const QDateTime &moment)
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
    const QString storedBuyer = head.value(0).toString();
    const QString storedSituation = head.value(1).toString().trimmed().toUpper();
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    const QString refusal = AccessRules::quotationRefusal(ctx.db, op, storedBuyer, central);
    if (!refusal.isEmpty())
        throw ServerError::failure(refusal);

    const QList<FieldChange> changes = requestedChanges(delta, change);
    if (changes.isEmpty())
        return;

    // A concluded quotation is frozen while the branch uses situations: only reopening
    // it is accepted.  "Concluded" is the stored situation, whatever the client saw.
    const FieldChange *situation = findChange(changes, "IDSITUCOLETA");
    const bool concluded = storedSituation == QLatin1String("C")
        && AccessRules::parameter(ctx.db, central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S")) == QLatin1String("S");
    const bool reopening = concluded && situation && situation->oldValue == QLatin1String("C")
        && situation->newValue == QLatin1String("A");
    if (concluded && !reopening)
        throw ServerError::failure(ServerText::message(QStringLiteral("Cot_Concluida_N_Alt"), {number}));

    if (const FieldChange *buyer = findChange(changes, "CDOPERADOR")) {
        QSqlQuery isBuyer = ctx.db.execNamed(QStringLiteral("IsBuyer"), {{QStringLiteral("P_CDOPERADOR"), buyer->newValue}});
        if (buyer->newValue.isEmpty() || !isBuyer.next())
            throw ServerError::arguments(ServerText::message(QStringLiteral("Comp_N_Cad"), {buyer->newValue.trimmed()}));
        if (!AccessRules::isManagerOf(ctx.db, op, buyer->newValue))
            throw ServerError::failure(ServerText::message(QStringLiteral("Comp_N_Gerenciado"),
                                                           {buyer->newValue.trimmed(), op.trimmed(), number}));
    }

    // Checked last, so a confirmation is only taken by a change that passed every other
    // rule; it leaves the session only when the whole call is stored (SetItemCole).
    if (reopening && !AccessRules::takeManagerConfirmation(ctx.db, confirmations, storedBuyer, moment))
        throw ServerError::failure(ServerText::message(QStringLiteral("Reab_Sem_Senha"), {number, storedBuyer.trimmed()}));

    const QString when = moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (const FieldChange &field : changes) {
        QVariantMap params = key;
        params.insert(QStringLiteral("P_NOVO"), field.newValue.isEmpty() && field.name == QLatin1String("DSOBSCOTPREC")
                                                    ? QVariant(QMetaType(QMetaType::QString)) : QVariant(field.newValue));
        params.insert(QStringLiteral("P_ANTIGO"), field.oldValue);
        params.insert(QStringLiteral("P_CDOPERADOR"), op);
        params.insert(QStringLiteral("P_DTHRALTE"), when);
        QSqlQuery update = ctx.db.execNamed(QStringLiteral("SetHeader_") + field.name, params);
        if (update.numRowsAffected() != 1)
            throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_Alterada"), {number, field.name}));
        ctx.db.execNamed(QStringLiteral("HeaderAudit"),
                         {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number},
                          {QStringLiteral("P_CDOPERADOR"), op}, {QStringLiteral("P_DTHRALTER"), when},
                          {QStringLiteral("P_NMCAMPO"), field.name},
                          {QStringLiteral("P_DSVALORANT"), field.oldValue.isEmpty() ? QVariant() : QVariant(field.oldValue)},
                          {QStringLiteral("P_DSVALORNOVO"), field.newValue.isEmpty() ? QVariant() : QVariant(field.newValue)}});
    }
}

// Stores an item delta of one quotation after the rules the workspace enforces before
// confirming, checked again whatever the client did:
//  - the operator may handle the quotation's buyer (AccessRules), as for the header;
//  - where the central branch's quotations carry a situation (IDUTISTATCOT 'S'), the
//    items of a concluded quotation do not change: refused unless the quotation is in
//    progress before or after this call's header changes (a call that reopens it may
//    change its items; one that concludes it may still store the items keyed before);
//  - the rows themselves: see QuotationItemChanges (old values, the item checks of
//    ValidaDados, replication, markers and history).
// Once items are stored, a quotation still marked as launched ('L' or empty) becomes one
// whose prices were keyed in the grid ('G'), stamped and audited as a header change.
void storeItems(CallContext &ctx, QuotationItemChanges &items, const QuotationItemChanges::Quotation &before,
                const QuotationItemChanges::Options &options)
{
    QString central = AccessRules::centralBranch(ctx.db, before.branch);
    if (central.isEmpty())
        central = before.branch;
    const QString refusal = AccessRules::quotationRefusal(ctx.db, options.operatorCode, before.buyer, central);
    if (!refusal.isEmpty())
        throw ServerError::failure(refusal);
    QuotationItemChanges::Quotation now;
    if (!QuotationItemChanges::readQuotation(ctx.db, before.branch, before.number, &now))
        throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {before.number}));
    const bool usesSituation = AccessRules::parameter(ctx.db, central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S"))
                               == QLatin1String("S");
    if (usesSituation && before.situation == QLatin1String("C") && now.situation == QLatin1String("C"))
        throw ServerError::failure(ServerText::message(QStringLiteral("Itens_Cot_Concluida"), {before.number}));

    items.apply(ctx.db, now, central, options);

    if (items.itemsWritten() > 0 && (now.origin.isEmpty() || now.origin == QLatin1String("L"))) {
        const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), now.branch}, {QStringLiteral("P_NRCOLEPRECO"), now.number}};
        QVariantMap params = key;
        params.insert(QStringLiteral("P_NOVO"), QStringLiteral("G"));
        params.insert(QStringLiteral("P_ANTIGO"), now.origin);
        params.insert(QStringLiteral("P_CDOPERADOR"), options.operatorCode);
        params.insert(QStringLiteral("P_DTHRALTE"), options.moment);
        ctx.db.execNamed(QStringLiteral("SetHeader_IDTIPCOLREG"), params);
        QVariantMap audit = key;
        audit.insert(QStringLiteral("P_CDOPERADOR"), options.operatorCode);
        audit.insert(QStringLiteral("P_DTHRALTER"), options.moment);
        audit.insert(QStringLiteral("P_NMCAMPO"), QStringLiteral("IDTIPCOLREG"));
        audit.insert(QStringLiteral("P_DSVALORANT"), now.origin.isEmpty() ? QVariant() : QVariant(now.origin));
        audit.insert(QStringLiteral("P_DSVALORNOVO"), QStringLiteral("G"));
        ctx.db.execNamed(QStringLiteral("HeaderAudit"), audit);
    }
}

// SetItemCole: the header delta (quotation list rows) and the item delta (product/brand
// grid rows of one quotation) in one transaction: header first, so that a reopening in
// the same call lets the items change.  Any refusal writes nothing of the call.  The
// transaction takes SQLite's write lock at once, so the old values are checked against
// what no other writer can change before this call ends (PostgreSQL locks the items read).
QVariant SetItemCole(CallContext &ctx)
{
    const QString op = padOperator(ctx.session.operatorCode.isEmpty() ? Arguments::text(ctx, QStringLiteral("Operador"))
                                                                      : ctx.session.operatorCode);
    const QVariant header = ctx.arg(QStringLiteral("DeltaColetapr"));
    const QVariant items = ctx.arg(QStringLiteral("DeltaGridProdMarc"));
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
    QuotationItemChanges itemChanges(itemDelta);

    // The scope recorded with every history row: the texts the workspace passes, as
    // passed ("Todas as regiões " + " Somente este fornecedor").
    QuotationItemChanges::Options options;
    options.allRegions = ctx.arg(QStringLiteral("TodasRegioes")).toBool();
    options.allSuppliers = ctx.arg(QStringLiteral("TodosForn")).toBool();
    options.scopeText = Arguments::text(ctx, options.allRegions ? QStringLiteral("TODASREG") : QStringLiteral("UMAREG"))
                        + Arguments::text(ctx, options.allSuppliers ? QStringLiteral("TODOSFORN") : QStringLiteral("UMFORN"));
    options.operatorCode = op;

    // Confirmations are taken from a copy and leave the session only once every change
    // of the call is stored.
    QList<Confirmation> confirmations = ctx.session.confirmations;
    const QDateTime moment = QDateTime::currentDateTimeUtc();
    options.moment = moment;
    ctx.db.transaction([&] {
        QuotationItemChanges::Quotation before;
        if (!itemChanges.isEmpty()
            && !QuotationItemChanges::readQuotation(ctx.db, itemChanges.branch(), itemChanges.number(), &before))
            throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_N_Encontrada"), {itemChanges.number()}));
        for (const DeltaRow &change : headerDelta.changes())
            applyHeaderChange(ctx, headerDelta, change, op, confirmations, moment);
        if (!itemChanges.isEmpty())
            storeItems(ctx, itemChanges, before, options);
    }, Database::Begin::Immediate);
    ctx.session.confirmations = confirmations;
    return true;
}

} // namespace

void registerQuotationSaveMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("SetItemCole"), SetItemCole);
}
