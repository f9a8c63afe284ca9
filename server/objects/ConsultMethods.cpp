// "Sup05200.rdmGridCotaPrec": the consultation sheet's reads.  GetServRegiao lists the
// quotation's regions behind a row standing for all of them; GetStringList gives one
// record per item with the composite keys the sheet pivots on (SheetKeys) and the
// details of each cell; GetHistorico gives, for one item, the supplier's last earlier
// quotation and the lowest normal and alternative prices of the product and brand.
//
// Read-only: no transaction and no audit.  "Earlier" means a quotation of the same
// central branch whose validity starts before the current one's.

#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"
#include "SheetKeys.h"

#include <QSqlQuery>

#include <cmath>

namespace {

QVariantMap quotationKey(const CallContext &ctx)
{
    return {{QStringLiteral("P_CDFILIAL"), Arguments::code(ctx, QStringLiteral("CDFILIAL"), 4)},
            {QStringLiteral("P_NRCOLEPRECO"), Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10)}};
}

// A name as it goes into a composite key: without trailing blanks and at most width
// characters, so that the key fits its field whole.
QString part(const QVariant &value, int width)
{
    QString text = value.isNull() ? QString() : value.toString();
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text.left(width);
}

// GetServRegiao(CDFILIAL, NRCOLEPRECO, NMTODAS): "XXX" named NMTODAS, then the regions.
QVariant GetServRegiao(CallContext &ctx)
{
    const QVariantMap key = quotationKey(ctx);
    const QString number = key.value(QStringLiteral("P_NRCOLEPRECO")).toString();
    PacketBuilder packet(ctx.method);
    packet.addRow({SheetKeys::kAllRegionsCode, Arguments::text(ctx, QStringLiteral("NMTODAS")), number});
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("ConsultRegions"), key);
    while (q.next())
        packet.addRow({q.value(0), q.value(1), number});
    return packet.result();
}

// GetStringList(CDFILIAL, NRCOLEPRECO, CDREGIAO by reference): the sheet's records.
QVariant GetStringList(CallContext &ctx)
{
    QVariantMap params = quotationKey(ctx);
    const QString region = Arguments::text(ctx, QStringLiteral("CDREGIAO")).trimmed();
    const bool all = region.compare(SheetKeys::kAllRegionsArgument, Qt::CaseInsensitive) == 0;
    params.insert(QStringLiteral("P_TODAS"), all ? QStringLiteral("S") : QStringLiteral("N"));
    params.insert(QStringLiteral("P_CDREGIAO"), all ? QString() : padCode(region, 3));

    PacketBuilder packet(ctx.method);
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("ConsultItems"), params);
    while (q.next()) {
        const QString regionKey = SheetKeys::codeAndName(q.value(0).toString(), part(q.value(1), 30));
        const QString supplierKey = SheetKeys::codeAndName(q.value(2).toString(), part(q.value(3), 40));
        const QString productKey = SheetKeys::productKey(part(q.value(4), 50), q.value(5).toString(),
                                                         q.value(6).toString(), part(q.value(7), 20));
        const bool alternative = q.value(14).toString().trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
        packet.addRow({regionKey, supplierKey, productKey, 1.0, q.value(8), q.value(9), q.value(10), q.value(11),
                       part(q.value(12), 5), q.value(13), alternative ? QStringLiteral("S") : QStringLiteral("N"),
                       q.value(15)});
    }
    return packet.result();
}

// GetHistorico(CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA).
QVariant GetHistorico(CallContext &ctx)
{
    QVariantMap params = quotationKey(ctx);
    params.insert(QStringLiteral("P_CDREGIAO"), Arguments::code(ctx, QStringLiteral("CDREGIAO"), 3));
    params.insert(QStringLiteral("P_CDFORNECED"), Arguments::code(ctx, QStringLiteral("CDFORNECED"), 21));
    params.insert(QStringLiteral("P_CDPRODUTO"), Arguments::code(ctx, QStringLiteral("CDPRODUTO"), 10));
    params.insert(QStringLiteral("P_CDMARCA"), Arguments::code(ctx, QStringLiteral("CDMARCA"), 5));

    // Zeros and nulls where nothing earlier is known.
    QVariantList row{0.0, 0.0, QVariant(), QVariant(), 0.0, QVariant(), 0.0, 0.0, QVariant(), QVariant(),
                     QVariant(), 0.0, 0.0, QVariant(), QVariant()};
    PacketBuilder packet(ctx.method);

    QSqlQuery current = ctx.db.execNamed(QStringLiteral("HistoryCurrentItem"), params);
    if (!current.next()) {
        packet.addRow(row);
        return packet.result();
    }
    // The validity start as the engine stores it, so that it compares as stored.
    params.insert(QStringLiteral("P_DTINIVALCOL"), current.value(0));
    const double currentPrice = current.value(1).toDouble();

    QSqlQuery last = ctx.db.execNamed(QStringLiteral("HistoryLastQuotation"), params);
    if (last.next()) {
        const double lastPrice = last.value(0).toDouble();
        row[0] = lastPrice;
        row[1] = last.value(1).toDouble();
        row[2] = last.value(2);
        row[3] = last.value(3);
        // From the last price to the current one; none while the current has no price.
        if (lastPrice > 0 && currentPrice > 0)
            row[4] = std::round((currentPrice - lastPrice) / lastPrice * 10000.0) / 100.0;
    }

    const auto lowest = [&](const QString &alternative, int at) {
        QVariantMap p = params;
        p.insert(QStringLiteral("P_IDPRECALT"), alternative);
        QSqlQuery q = ctx.db.execNamed(QStringLiteral("HistoryLowestPrice"), p);
        if (!q.next())
            return;
        row[at] = part(q.value(4), 40);
        row[at + 1] = q.value(0).toDouble();
        row[at + 2] = q.value(1).toDouble();
        row[at + 3] = q.value(2);
        row[at + 4] = q.value(3);
    };
    lowest(QStringLiteral("N"), 5);
    lowest(QStringLiteral("S"), 10);

    packet.addRow(row);
    return packet.result();
}

} // namespace

void registerConsultMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetServRegiao"), GetServRegiao);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetStringList"), GetStringList);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetHistorico"), GetHistorico);
}
