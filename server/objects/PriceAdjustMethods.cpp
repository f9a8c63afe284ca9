// "Sup05200.rdmGridCotaPrec": readjusting the prices of one region and supplier of a
// quotation by a percentage (ReajustePreco) and loading into a quotation the best prices
// of a validity period (CargMelhorsPrs).
//
// Both write in one transaction under the rules of an item change (ItemWriteRules) with
// two set-based statements whatever the number of items: the first writes one history row
// per item whose price changes, with the old and the new price; the second (HistoryApply)
// stores in the items the new prices of exactly those rows.  The new prices are computed
// once, by the engine, and the history is always that of the prices stored.

#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "ItemWriteRules.h"
#include "MethodTable.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include "ServerError.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

// Stores the history rows just written by the call (numbered after lastNumber) in the
// items; the number of items written.
int applyHistory(Database &db, const QVariantMap &key, qlonglong lastNumber, const QString &op, const QDateTime &when,
                 const QString &kind, const QVariant &justification)
{
    QVariantMap params = key;
    params.insert(QStringLiteral("P_NRSEQHIST"), lastNumber);
    params.insert(QStringLiteral("P_CDOPERADOR"), op);
    params.insert(QStringLiteral("P_DTHRALTER"), when);
    params.insert(QStringLiteral("P_IDTIPALTER"), kind);
    params.insert(QStringLiteral("P_DSJUSTOPER"), justification);
    return db.execNamed(QStringLiteral("HistoryApply"), params).numRowsAffected();
}

qlonglong lastHistoryNumber(Database &db)
{
    QSqlQuery q = db.execNamed(QStringLiteral("HistoryLastNumber"));
    return q.next() ? q.value(0).toLongLong() : 0;
}

// The readjustment's factor text in the change texts: "2,5%" (up to three decimals).
QString percentText(double percent)
{
    QString text = QString::number(percent, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.replace(QLatin1Char('.'), QLatin1Char(',')) + QLatin1Char('%');
}

// ReajustePreco: "ok", "Prod_Inv" (nothing to readjust), "Reaj_Deve" (no percentage) or
// the text of a refusal.
QVariant ReajustePreco(CallContext &ctx)
{
    const QVariant percentArg = ctx.arg(QStringLiteral("Reajuste"));
    const double percent = percentArg.isNull() ? 0.0 : percentArg.toDouble();
    if (percent == 0.0)
        return QStringLiteral("Reaj_Deve");
    if (percent < -100.0 || percent > 999.99)
        return ServerText::message(QStringLiteral("Reajuste_Invalido"), {QString::number(percent, 'f', 2)});
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QString shown = Arguments::code(ctx, QStringLiteral("NrColeta"), 10);
    if (!shown.isEmpty() && shown != number)
        return ServerText::message(QStringLiteral("Reaj_Outra_Cotacao"), {shown.trimmed(), number.trimmed()});
    const QString region = Arguments::requiredCode(ctx, QStringLiteral("CDREGIAO"), 3, QStringLiteral("Nome_Regiao"));
    const QString supplier =
        Arguments::requiredCode(ctx, QStringLiteral("CDFORNECED"), 21, QStringLiteral("Nome_Fornecedor"));
    const bool allProducts = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosProd")));
    const QString first = Arguments::text(ctx, QStringLiteral("CDPRODINI")).trimmed();
    QString last = Arguments::text(ctx, QStringLiteral("CDPRODFIN")).trimmed();
    if (last.isEmpty())
        last = QString(20, QLatin1Char('Z'));
    const QString prefix = Arguments::text(ctx, QStringLiteral("Prefixo"));
    const QString op = padOperator(ctx.session.operatorCode);

    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    QVariantMap selection = key;
    selection.insert(QStringLiteral("P_CDREGIAO"), region);
    selection.insert(QStringLiteral("P_CDFORNECED"), supplier);
    selection.insert(QStringLiteral("P_TODOS"), allProducts ? QStringLiteral("T") : QStringLiteral("N"));
    selection.insert(QStringLiteral("P_CDPRODINI"), first);
    selection.insert(QStringLiteral("P_CDPRODFIN"), last);
    const QVariant justification = prefix.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(prefix.left(100));

    QString result;
    ctx.db.transaction(
        [&] {
            ItemWriteRules::Target target;
            result = ItemWriteRules::refusal(ctx.db, op, branch, number, &target);
            if (!result.isEmpty())
                return;
            const QDateTime when = QDateTime::currentDateTimeUtc();
            const qlonglong lastNumber = lastHistoryNumber(ctx.db);
            QVariantMap history = selection;
            history.insert(QStringLiteral("P_FATOR"), 1.0 + percent / 100.0);
            history.insert(QStringLiteral("P_CDOPERADOR"), op);
            history.insert(QStringLiteral("P_DTHRALTER"), when);
            history.insert(QStringLiteral("P_DSJUSTOPER"), justification);
            history.insert(QStringLiteral("P_TEXTO"),
                           prefix.isEmpty() ? ServerText::message(QStringLiteral("Hist_Reajuste"), {percentText(percent)}) + QLatin1Char(' ')
                                            : prefix);
            history.insert(QStringLiteral("P_DSABRANGENCIA"),
                           ServerText::message(QStringLiteral("Hist_Reajuste_Abrangencia"), {percentText(percent)}).left(100));
            const int written = ctx.db.execNamed(QStringLiteral("ReadjustHistory"), history).numRowsAffected();
            if (written == 0) {
                // Nothing changes: either nothing is in the range, or every price stays
                // the same once rounded.
                QSqlQuery any = ctx.db.execNamed(QStringLiteral("ReadjustInRange"), selection);
                result = any.next() ? QStringLiteral("ok") : QStringLiteral("Prod_Inv");
                return;
            }
            const int applied = applyHistory(ctx.db, key, lastNumber, op, when, QStringLiteral("R"), justification);
            if (applied != written)
                throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_Alterada"),
                                                                {number, QStringLiteral("VRPRECUNIITM")}));
            result = QStringLiteral("ok");
        },
        Database::Begin::Immediate);
    return result;
}

// CargMelhorsPrs(CDFILIAL, NRCOLEPRECO, first, last): "" when loaded, else the text to
// show.
QVariant CargMelhorsPrs(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QDate first = Arguments::date(ctx, QStringLiteral("DtInicial"));
    const QDate last = Arguments::date(ctx, QStringLiteral("DtFinal"));
    if (!first.isValid())
        return ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data de validade inicial")});
    if (!last.isValid())
        return ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data de validade final")});
    if (last < first)
        return ServerText::message(QStringLiteral("Validade_Invertida"));
    const QString op = padOperator(ctx.session.operatorCode);
    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    QVariantMap period = key;
    period.insert(QStringLiteral("P_DTINICIAL"), first);
    period.insert(QStringLiteral("P_DTFINAL"), last);
    const QString periodText = first.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a ")
                               + last.toString(QStringLiteral("dd/MM/yyyy"));

    QString result;
    ctx.db.transaction(
        [&] {
            ItemWriteRules::Target target;
            result = ItemWriteRules::refusal(ctx.db, op, branch, number, &target);
            if (!result.isEmpty())
                return;
            const QDateTime when = QDateTime::currentDateTimeUtc();
            const qlonglong lastNumber = lastHistoryNumber(ctx.db);
            QVariantMap history = period;
            history.insert(QStringLiteral("P_CDOPERADOR"), op);
            history.insert(QStringLiteral("P_DTHRALTER"), when);
            history.insert(QStringLiteral("P_TEXTO"), ServerText::message(QStringLiteral("Hist_Melhor_Preco"), {periodText}) + QLatin1Char(' '));
            const int written = ctx.db.execNamed(QStringLiteral("BestPricesHistory"), history).numRowsAffected();
            if (written == 0) {
                QSqlQuery any = ctx.db.execNamed(QStringLiteral("BestPricesFound"), period);
                if (!any.next())
                    result = ServerText::message(QStringLiteral("Sem_Melhor_Preco"), {periodText});
                return;
            }
            const int applied = applyHistory(ctx.db, key, lastNumber, op, when, QStringLiteral("C"), QVariant());
            if (applied != written)
                throw ServerError::conflict(ServerText::message(QStringLiteral("Cot_Alterada"),
                                                                {number, QStringLiteral("VRPRECUNIITM")}));
        },
        Database::Begin::Immediate);
    return result;
}

} // namespace

void registerPriceAdjustMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("ReajustePreco"), ReajustePreco);
    table.implement(kGridCotaPrecObject, QStringLiteral("CargMelhorsPrs"), CargMelhorsPrs);
}
