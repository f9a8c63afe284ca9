// "Sup05200.rdmGridCotaPrec": the quotation list, its filter defaults and the
// suppliers quoted in a quotation.

#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QSqlQuery>

namespace {

QString mark(bool all) { return all ? QStringLiteral("T") : QStringLiteral("N"); }

// GetFornCotados(CDFILIAL, NRCOLEPRECO): the suppliers taking part in the quotation,
// in any of its regions, by company name.
QVariant GetFornCotados(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetFornCotados"),
                                   {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}});
    return PacketBuilder(ctx.method).addRows(q).result();
}

// GetColetaPr(central branch, buyer list, all buyers, first date, last date, all dates,
// supplier list, all suppliers, region list, all regions).  A list restricts the
// quotations unless its mark is "T" or the list is empty; the dates select the
// quotations whose validity overlaps the period (an open side when a date is null).
QVariant GetColetaPr(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString buyers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaComprador")), 12);
    const QString suppliers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaForn")), 21);
    const QString regions = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaRegiao")), 3);
    QDate first = Arguments::date(ctx, QStringLiteral("DtInicial"));
    QDate last = Arguments::date(ctx, QStringLiteral("DtFinal"));
    const bool allDates = Arguments::isAllMark(ctx.arg(QStringLiteral("TodasDatas"))) || (!first.isValid() && !last.isValid());
    if (!first.isValid())
        first = QDate(1, 1, 1);
    if (!last.isValid())
        last = QDate(9999, 12, 31);
    QSqlQuery q = ctx.db.execNamed(
        QStringLiteral("GetColetaPr"),
        {{QStringLiteral("P_CDFILIAL"), branch},
         {QStringLiteral("P_TCOMPRADOR"), mark(Arguments::isAllMark(ctx.arg(QStringLiteral("TodosComprador"))) || buyers.isEmpty())},
         {QStringLiteral("P_LISTACOMPRADOR"), buyers},
         {QStringLiteral("P_TDATA"), mark(allDates)},
         {QStringLiteral("P_DTINICIAL"), first},
         {QStringLiteral("P_DTFINAL"), last},
         {QStringLiteral("P_TFORN"), mark(Arguments::isAllMark(ctx.arg(QStringLiteral("TodosForn"))) || suppliers.isEmpty())},
         {QStringLiteral("P_LISTAFORN"), suppliers},
         {QStringLiteral("P_TREGIAO"), mark(Arguments::isAllMark(ctx.arg(QStringLiteral("TodasRegioes"))) || regions.isEmpty())},
         {QStringLiteral("P_LISTAREGIAO"), regions}});
    return PacketBuilder(ctx.method).addRows(q).result();
}

// GetDadosFiltro(central branch, operator): the validity period the filter starts
// with: that of the operator's latest quotation as a buyer, else the branch's latest,
// else the current week (Monday to Sunday, the package's week numbering).
QVariant GetDadosFiltro(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString op = Arguments::code(ctx, QStringLiteral("CDOPERADOR"), kOperatorCodeWidth);
    PacketBuilder packet(ctx.method);
    QSqlQuery own = ctx.db.execNamed(QStringLiteral("GetDadosFiltroBuyer"),
                                     {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_CDOPERADOR"), op}});
    packet.addRows(own);
    if (packet.packet().rowCount() == 0) {
        QSqlQuery any = ctx.db.execNamed(QStringLiteral("GetDadosFiltroBranch"), {{QStringLiteral("P_CDFILIAL"), branch}});
        packet.addRows(any);
    }
    if (packet.packet().rowCount() == 0) {
        const QDate today = QDate::currentDate();
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        packet.addRow({monday, monday.addDays(6)});
    }
    return packet.result();
}

} // namespace

void registerQuotationListMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetFornCotados"), GetFornCotados);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetColetaPr"), GetColetaPr);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetDadosFiltro"), GetDadosFiltro);
}
