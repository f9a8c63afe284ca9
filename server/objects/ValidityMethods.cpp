// "Sup05200.rdmGridCotaPrec": moving quotations from one validity to another
// (AlteraValidade) and the list of quotations the validity-change dialog picks from
// (GetCotacao).
//
// The quotations concerned are those of the central branch whose validity lies within the
// current validity, of the buyers and with a supplier of the lists, and in progress where
// the branch's quotations carry a situation (a concluded quotation is frozen).  A move is
// all or nothing: when a quotation picked is not among them, when the operator may not
// handle its buyer's quotations, or when its buyer has another quotation in progress
// overlapping the new validity, nothing moves and the answer lists every such quotation
// with the reason.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "QuotationNumbering.h"
#include "ServerObjects.h"
#include "ServerText.h"
#include "ValidityRules.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>

namespace {

QString mark(bool all) { return all ? QStringLiteral("T") : QStringLiteral("N"); }

struct Selected
{
    QString number;
    QString buyer;
    QDate first;
    QDate last;
    QString firstWeek;
    QString lastWeek;
};

struct Selection
{
    QString central;
    QDate first;
    QDate last;
    bool allBuyers = true;
    QString buyers;
    bool allSuppliers = true;
    QString suppliers;
};

QVariantMap selectionParams(Database &db, const Selection &s)
{
    const bool situations = AccessRules::parameter(db, s.central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S"))
                            == QLatin1String("S");
    return {{QStringLiteral("P_CDFILIAL"), s.central},
            {QStringLiteral("P_DTINICIAL"), s.first},
            {QStringLiteral("P_DTFINAL"), s.last},
            {QStringLiteral("P_TSITUACAO"), mark(!situations)},
            {QStringLiteral("P_TCOMPRADOR"), mark(s.allBuyers || s.buyers.isEmpty())},
            {QStringLiteral("P_LISTACOMPRADOR"), s.buyers},
            {QStringLiteral("P_TFORN"), mark(s.allSuppliers || s.suppliers.isEmpty())},
            {QStringLiteral("P_LISTAFORN"), s.suppliers}};
}

// A central branch argument; an unknown branch is refused.
QString centralOf(const CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    return central;
}

// GetCotacao(CDFILIAL, first, last, buyers, all buyers, suppliers, all suppliers).
QVariant GetCotacao(CallContext &ctx)
{
    Selection s;
    s.central = centralOf(ctx);
    s.first = Arguments::date(ctx, QStringLiteral("DtIniAnt"));
    s.last = Arguments::date(ctx, QStringLiteral("DtFinAnt"));
    s.allBuyers = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosComprador")));
    s.buyers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaComprador")), kOperatorCodeWidth);
    s.allSuppliers = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosForn")));
    s.suppliers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaForn")), 21);
    PacketBuilder packet(ctx.method);
    if (!s.first.isValid() || !s.last.isValid())
        return packet.result();
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("ValiditySelection"), selectionParams(ctx.db, s));
    return packet.addRows(q).result();
}

QString failure(const QString &key, const QStringList &args = {})
{
    return QLatin1Char('3') + ServerText::message(key, args);
}

// AlteraValidade: "" when every quotation selected moved; "3" + why when nothing moved.
QVariant AlteraValidade(CallContext &ctx)
{
    const QString op = padOperator(ctx.session.operatorCode);
    Selection s;
    s.central = centralOf(ctx);
    s.first = Arguments::date(ctx, QStringLiteral("DtIniAnt"));
    s.last = Arguments::date(ctx, QStringLiteral("DtFinAnt"));
    const QDate newFirst = Arguments::date(ctx, QStringLiteral("DtIniNova"));
    const QDate newLast = Arguments::date(ctx, QStringLiteral("DtFinNova"));
    if (!newFirst.isValid() || !newLast.isValid())
        return failure(QStringLiteral("Data_N_Inf"), {QStringLiteral("Nova validade")});
    if (!s.first.isValid() || !s.last.isValid())
        return failure(QStringLiteral("Data_N_Inf"), {QStringLiteral("Validade anterior")});
    if (newLast < newFirst)
        return failure(QStringLiteral("Dup_Validade_Invertida"));
    if (s.last < s.first)
        return failure(QStringLiteral("Validade_Invertida"));
    if (newFirst == s.first && newLast == s.last)
        return failure(QStringLiteral("Validade_Diferente"));
    s.allBuyers = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosComprador")));
    s.buyers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaComprador")), kOperatorCodeWidth);
    if (!s.allBuyers && s.buyers.isEmpty())
        return failure(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Comprador"))});
    s.allSuppliers = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosForn")));
    s.suppliers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaForn")), 21);
    if (!s.allSuppliers && s.suppliers.isEmpty())
        return failure(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Fornecedor"))});
    const bool allQuotations = Arguments::isAllMark(ctx.arg(QStringLiteral("TodasCotacoes")));
    const QStringList picked = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaCotacao")), 10)
                                   .split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (!allQuotations && picked.isEmpty())
        return failure(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Cotacao"))});

    QString result;
    ctx.db.transaction(
        [&] {
            // Waits for the branch's other creators and movers: the quotations in
            // progress read below stay as read until this move ends.
            QuotationNumbering::lock(ctx.db, s.central);
            QList<Selected> found;
            {
                QSqlQuery q = ctx.db.execNamed(QStringLiteral("ValiditySelection"), selectionParams(ctx.db, s));
                while (q.next())
                    found.append({q.value(1).toString(), q.value(5).toString(), Database::toDate(q.value(3)),
                                  Database::toDate(q.value(4)), q.value(7).toString(), q.value(8).toString()});
            }
            QStringList refused;
            QList<Selected> moving;
            if (allQuotations) {
                moving = found;
            } else {
                for (const QString &number : picked) {
                    const auto it = std::find_if(found.cbegin(), found.cend(),
                                                 [&](const Selected &q) { return q.number == number; });
                    if (it == found.cend())
                        refused << ServerText::message(QStringLiteral("AltVal_Cotacao"),
                                                       {number, ServerText::message(QStringLiteral("AltVal_Fora"))});
                    else
                        moving.append(*it);
                }
            }
            if (moving.isEmpty() && refused.isEmpty()) {
                result = failure(QStringLiteral("AltVal_Sem_Cotacao"));
                return;
            }
            QSet<QString> movingNumbers;
            for (const Selected &q : std::as_const(moving))
                movingNumbers.insert(q.number);
            for (const Selected &q : std::as_const(moving)) {
                QString reason = AccessRules::quotationRefusal(ctx.db, op, q.buyer, s.central);
                if (reason.isEmpty()) {
                    for (const ValidityRules::InProgress &other :
                         ValidityRules::inProgress(ctx.db, s.central, q.buyer, newFirst, newLast)) {
                        if (!movingNumbers.contains(other.number)) {
                            reason = ValidityRules::inProgressText(q.buyer, other);
                            break;
                        }
                    }
                }
                if (!reason.isEmpty())
                    refused << ServerText::message(QStringLiteral("AltVal_Cotacao"), {q.number, reason});
            }
            if (!refused.isEmpty()) {
                result = failure(QStringLiteral("AltVal_Recusada")) + QLatin1Char('\n') + refused.join(QLatin1Char('\n'));
                return;
            }

            const QString when = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            const QString firstWeek = ValidityRules::week(newFirst);
            const QString lastWeek = ValidityRules::week(newLast);
            for (const Selected &q : std::as_const(moving)) {
                QSqlQuery update = ctx.db.execNamed(QStringLiteral("ValidityMove"),
                                                    {{QStringLiteral("P_CDFILIAL"), s.central},
                                                     {QStringLiteral("P_NRCOLEPRECO"), q.number},
                                                     {QStringLiteral("P_NRSEMAINIC"), firstWeek},
                                                     {QStringLiteral("P_NRSEMAFINAL"), lastWeek},
                                                     {QStringLiteral("P_DTINIVALCOL"), newFirst},
                                                     {QStringLiteral("P_DTFINVALCOL"), newLast},
                                                     {QStringLiteral("P_CDOPERADOR"), op},
                                                     {QStringLiteral("P_DTHRALTE"), when},
                                                     {QStringLiteral("P_DTINIANT"), q.first},
                                                     {QStringLiteral("P_DTFINANT"), q.last}});
                if (update.numRowsAffected() != 1)
                    throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_Alterada"),
                                                                    {q.number, QStringLiteral("DTINIVALCOL")}));
                const QList<QStringList> fields = {
                    {QStringLiteral("NRSEMAINIC"), q.firstWeek, firstWeek},
                    {QStringLiteral("NRSEMAFINAL"), q.lastWeek, lastWeek},
                    {QStringLiteral("DTINIVALCOL"), q.first.toString(Qt::ISODate), newFirst.toString(Qt::ISODate)},
                    {QStringLiteral("DTFINVALCOL"), q.last.toString(Qt::ISODate), newLast.toString(Qt::ISODate)}};
                for (const QStringList &f : fields) {
                    if (f.at(1) == f.at(2))
                        continue;
                    ctx.db.execNamed(QStringLiteral("HeaderAudit"),
                                     {{QStringLiteral("P_CDFILIAL"), s.central},
                                      {QStringLiteral("P_NRCOLEPRECO"), q.number},
                                      {QStringLiteral("P_CDOPERADOR"), op},
                                      {QStringLiteral("P_DTHRALTER"), when},
                                      {QStringLiteral("P_NMCAMPO"), f.at(0)},
                                      {QStringLiteral("P_DSVALORANT"), f.at(1).isEmpty() ? QVariant() : QVariant(f.at(1))},
                                      {QStringLiteral("P_DSVALORNOVO"), f.at(2)}});
                }
            }
            result = QString();
        },
        Database::Begin::Immediate);
    return result;
}

} // namespace

void registerValidityMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetCotacao"), GetCotacao);
    table.implement(kGridCotaPrecObject, QStringLiteral("AlteraValidade"), AlteraValidade);
}
