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

const QList<FieldDef> kColetaprFields = {
    {QStringLiteral("CDFILIAL"), FieldType::String, 4},
    {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
    {QStringLiteral("DTCOLEPREC"), FieldType::DateTime, 0},
    {QStringLiteral("NRSEMAINIC"), FieldType::String, 2},
    {QStringLiteral("NRSEMAFINAL"), FieldType::String, 2},
    {QStringLiteral("DTINIVALCOL"), FieldType::DateTime, 0},
    {QStringLiteral("DTFINVALCOL"), FieldType::DateTime, 0},
    {QStringLiteral("CDOPERADOR"), FieldType::String, 12},
    {QStringLiteral("NMOPERADOR"), FieldType::String, 40},
    {QStringLiteral("IDTIPCOLREG"), FieldType::String, 1},
    {QStringLiteral("IDDISMONTLIS"), FieldType::String, 1},
    {QStringLiteral("DSOBSCOTPREC"), FieldType::String, 2000},
    {QStringLiteral("IDSITUCOLETA"), FieldType::String, 1},
    {QStringLiteral("NRCOMPRA"), FieldType::String, 10},
};

const QList<FieldDef> kFornCotadosFields = {
    {QStringLiteral("IDTPIJURFORN"), FieldType::String, 1},
    {QStringLiteral("NRINSJURFORN"), FieldType::String, 20},
    {QStringLiteral("NMRAZSOCFORN"), FieldType::String, 40},
    {QStringLiteral("NMFANTFORN"), FieldType::String, 40},
    {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
    {QStringLiteral("CDFORNECED"), FieldType::String, 21},
};

const QList<FieldDef> kDadosFiltroFields = {
    {QStringLiteral("DTINIVALCOL"), FieldType::DateTime, 0},
    {QStringLiteral("DTFINVALCOL"), FieldType::DateTime, 0},
};

QString mark(bool all) { return all ? QStringLiteral("T") : QStringLiteral("N"); }

// GetFornCotados(CDFILIAL, NRCOLEPRECO): the suppliers taking part in the quotation,
// in any of its regions, by company name.
QVariant GetFornCotados(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, 0, 4, QStringLiteral("Filial"));
    const QString number = Arguments::requiredCode(ctx, 1, 10, QStringLiteral("Cotação"));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetFornCotados"),
                                   {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}});
    return PacketBuilder(kFornCotadosFields).addRows(q).result();
}

// GetColetaPr(central branch, buyer list, all buyers, first date, last date, all dates,
// supplier list, all suppliers, region list, all regions).  A list restricts the
// quotations unless its mark is "T" or the list is empty; the dates select the
// quotations whose validity overlaps the period (an open side when a date is null).
QVariant GetColetaPr(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, 0, 4, QStringLiteral("Filial"));
    const QString buyers = Arguments::canonicalList(ctx.args.value(1), 12);
    const QString suppliers = Arguments::canonicalList(ctx.args.value(6), 21);
    const QString regions = Arguments::canonicalList(ctx.args.value(8), 3);
    QDate first = Arguments::date(ctx, 3);
    QDate last = Arguments::date(ctx, 4);
    const bool allDates = Arguments::isAllMark(ctx.args.value(5)) || (!first.isValid() && !last.isValid());
    if (!first.isValid())
        first = QDate(1, 1, 1);
    if (!last.isValid())
        last = QDate(9999, 12, 31);
    QSqlQuery q = ctx.db.execNamed(
        QStringLiteral("GetColetaPr"),
        {{QStringLiteral("P_CDFILIAL"), branch},
         {QStringLiteral("P_TCOMPRADOR"), mark(Arguments::isAllMark(ctx.args.value(2)) || buyers.isEmpty())},
         {QStringLiteral("P_LISTACOMPRADOR"), buyers},
         {QStringLiteral("P_TDATA"), mark(allDates)},
         {QStringLiteral("P_DTINICIAL"), first},
         {QStringLiteral("P_DTFINAL"), last},
         {QStringLiteral("P_TFORN"), mark(Arguments::isAllMark(ctx.args.value(7)) || suppliers.isEmpty())},
         {QStringLiteral("P_LISTAFORN"), suppliers},
         {QStringLiteral("P_TREGIAO"), mark(Arguments::isAllMark(ctx.args.value(9)) || regions.isEmpty())},
         {QStringLiteral("P_LISTAREGIAO"), regions}});
    return PacketBuilder(kColetaprFields).addRows(q).result();
}

// GetDadosFiltro(central branch, operator): the validity period the filter starts
// with: that of the operator's latest quotation as a buyer, else the branch's latest,
// else the current week (Monday to Sunday, the package's week numbering).
QVariant GetDadosFiltro(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, 0, 4, QStringLiteral("Filial"));
    const QString op = Arguments::code(ctx, 1, kOperatorCodeWidth);
    PacketBuilder packet(kDadosFiltroFields);
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
    table.add({kGridCotaPrecObject, QStringLiteral("GetFornCotados"),
               {{QStringLiteral("CDFILIAL"), ArgType::String}, {QStringLiteral("NRCOLEPRECO"), ArgType::String}},
               GetFornCotados, {}});
    table.add({kGridCotaPrecObject, QStringLiteral("GetColetaPr"),
               {{QStringLiteral("CDFILIAL"), ArgType::String},
                {QStringLiteral("ListaComprador"), ArgType::String, true},
                {QStringLiteral("TodosComprador"), ArgType::String, true},
                {QStringLiteral("DtInicial"), ArgType::Date, true},
                {QStringLiteral("DtFinal"), ArgType::Date, true},
                {QStringLiteral("TodasDatas"), ArgType::String, true},
                {QStringLiteral("ListaForn"), ArgType::String, true},
                {QStringLiteral("TodosForn"), ArgType::String, true},
                {QStringLiteral("ListaRegiao"), ArgType::String, true},
                {QStringLiteral("TodasRegioes"), ArgType::String, true}},
               GetColetaPr, {}});
    table.add({kGridCotaPrecObject, QStringLiteral("GetDadosFiltro"),
               {{QStringLiteral("CDFILIAL"), ArgType::String}, {QStringLiteral("CDOPERADOR"), ArgType::String}},
               GetDadosFiltro, {1}});
}
