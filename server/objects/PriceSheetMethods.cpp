// "Sup05200.rdmGridCotaPrec": GetItensForn, the items of one supplier in every region of
// a quotation, which the supplier price sheets are written from and checked against.
//
// Read-only: no transaction and no audit.  The prices read back from a sheet are stored
// by SetItemCole, as keyed prices are.

#include "Arguments.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"

#include <QSqlQuery>

namespace {

// GetItensForn(CDFILIAL, NRCOLEPRECO, CDFORNECED): the supplier's items of the quotation
// in every region, by region, product tree code and brand, with the names, unit and
// quantity a sheet shows and the last change (DTHRALTE) that tells whether an item
// changed since a sheet was written.  An unknown key gives an empty packet.
QVariant GetItensForn(CallContext &ctx)
{
    const QVariantMap params = {
        {QStringLiteral("P_CDFILIAL"), Arguments::code(ctx, QStringLiteral("CDFILIAL"), 4)},
        {QStringLiteral("P_NRCOLEPRECO"), Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10)},
        {QStringLiteral("P_CDFORNECED"), Arguments::code(ctx, QStringLiteral("CDFORNECED"), 21)}};
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetItensForn"), params);
    return PacketBuilder(ctx.method).addRows(q).result();
}

} // namespace

void registerPriceSheetMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetItensForn"), GetItensForn);
}
