// "Sup05200.rdmGridCotaPrec": deleting a quotation, and whether items of a quotation
// belong to a price list.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Blank (or empty) stands for "all" in Verif_Lista's scope arguments.
QString scopeCode(const CallContext &ctx, const QString &name, int width, QString *allMark)
{
    const QString c = Arguments::code(ctx, name, width);
    *allMark = c.isEmpty() ? QStringLiteral("T") : QStringLiteral("N");
    return c;
}

// Verif_Lista(CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA): true
// when a quotation item in the scope belongs to any price list.
QVariant Verif_Lista(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    QString allRegions, allSuppliers, allProducts, allBrands;
    const QString region = scopeCode(ctx, QStringLiteral("CDREGIAO"), 3, &allRegions);
    const QString supplier = scopeCode(ctx, QStringLiteral("CDFORNECED"), 21, &allSuppliers);
    const QString product = scopeCode(ctx, QStringLiteral("CDPRODUTO"), 10, &allProducts);
    const QString brand = scopeCode(ctx, QStringLiteral("CDMARCA"), 5, &allBrands);
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("VerifLista"),
                                   {{QStringLiteral("P_CDFILIAL"), branch},
                                    {QStringLiteral("P_NRCOLEPRECO"), number},
                                    {QStringLiteral("P_TREGIAO"), allRegions},
                                    {QStringLiteral("P_CDREGIAO"), region},
                                    {QStringLiteral("P_TFORN"), allSuppliers},
                                    {QStringLiteral("P_CDFORNECED"), supplier},
                                    {QStringLiteral("P_TPRODUTO"), allProducts},
                                    {QStringLiteral("P_CDPRODUTO"), product},
                                    {QStringLiteral("P_TMARCA"), allBrands},
                                    {QStringLiteral("P_CDMARCA"), brand}});
    return q.next();
}

// DelColetaPr(CDFILIAL, NRCOLEPRECO, operator): deletes the quotation with its regions,
// suppliers, items and price-list entries, in one transaction.  Its price and header
// history stay, and a header-history row 'EXCLUSAO' records who deleted it and when,
// with the header's buyer and flags as the old value.  Answers ""
// when deleted, else the refusal text: unknown quotation, operator not allowed to
// handle the buyer's quotations, a concluded quotation where quotations carry a
// situation, or confirmed prices in a concluded price list.
QVariant DelColetaPr(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QString op = padOperator(ctx.session.operatorCode.isEmpty() ? Arguments::text(ctx, QStringLiteral("CDOPERADOR"))
                                                                      : ctx.session.operatorCode);
    const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    QString refusal;
    ctx.db.transaction([&] {
        QSqlQuery head = ctx.db.execNamed(QStringLiteral("QuotationHeader"), key);
        if (!head.next()) {
            refusal = ServerText::message(QStringLiteral("Cot_N_Encontrada"), {number});
            return;
        }
        const QString buyer = head.value(0).toString();
        const QString situation = head.value(1).toString();
        const QString central = AccessRules::centralBranch(ctx.db, branch);
        refusal = AccessRules::quotationRefusal(ctx.db, op, buyer, central);
        if (!refusal.isEmpty())
            return;
        QSqlQuery lists = ctx.db.execNamed(QStringLiteral("ConcludedListsOfQuotation"), key);
        QStringList concluded;
        while (lists.next())
            concluded << lists.value(0).toString();
        if (!concluded.isEmpty()) {
            refusal = ServerText::message(QStringLiteral("Cot_Lista_Concluida"),
                                          {number, concluded.join(QStringLiteral(", "))});
            return;
        }
        if (situation == QLatin1String("C")
            && AccessRules::parameter(ctx.db, central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S")) == QLatin1String("S")) {
            refusal = ServerText::message(QStringLiteral("Cot_Concluida_N_Excl"), {number});
            return;
        }
        // Children first, so the order never depends on cascading deletes.  The audit
        // tables (HISTITCOLE, HISTCOLETA) are never deleted from.
        for (const char *table : {"ITLISTPREC", "ITCOLETAPR", "COLEFORN", "COLEREGI", "COLETAPR"})
            ctx.db.execNamed(QStringLiteral("DelColetaPr_") + QLatin1String(table), key);
        const QString header = QStringLiteral("CDOPERADOR=%1;IDSITUCOLETA=%2;IDDISMONTLIS=%3;IDTIPCOLREG=%4")
                                   .arg(buyer.trimmed(), situation, head.value(2).toString(), head.value(4).toString());
        QVariantMap audit = key;
        audit.insert(QStringLiteral("P_CDOPERADOR"), op);
        audit.insert(QStringLiteral("P_DTHRALTER"), QDateTime::currentDateTimeUtc());
        audit.insert(QStringLiteral("P_NMCAMPO"), QStringLiteral("EXCLUSAO"));
        audit.insert(QStringLiteral("P_DSVALORANT"), header);
        audit.insert(QStringLiteral("P_DSVALORNOVO"), QVariant(QMetaType(QMetaType::QString)));
        ctx.db.execNamed(QStringLiteral("HeaderAudit"), audit);
    });
    return refusal;
}

} // namespace

void registerQuotationDeleteMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("Verif_Lista"), Verif_Lista);
    table.implement(kGridCotaPrecObject, QStringLiteral("DelColetaPr"), DelColetaPr);
}
