// "Sup05200.rdmGridCotaPrec": reshaping a running quotation.  A supplier is added
// (Vd_ProdForn, IncFornecedor) or removed (ExclForn), a region is added (GetCotForns,
// Vd_RefoReg, IncRegiao) or removed (ExclRegiao), a product is removed (ExclProd).
//
// Every write runs in one transaction under the rules of any change of the quotation: the
// operator may handle the buyer's quotations, and a concluded quotation does not change
// where quotations carry a situation.  Every item added or removed gets its price-history
// row and every call a header-history row naming what it did and its scope; neither is
// ever deleted.  Removed items leave their price lists; a confirmed price of a concluded
// list is never removed.  A quotation never loses all its items by a side effect: the last
// supplier of a region, the last region and the last items are not removed.  A refusal
// is the answer "3" followed by its text and writes nothing.
//
// The work is set-based: one statement per table and scope, never one per item.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "QualificationValidity.h"
#include "QuotationItemChanges.h"
#include "ServerError.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

namespace {

// Why a call writes nothing; thrown inside the transaction so that it rolls back, and
// answered as "3" followed by the text.
struct Refusal
{
    QString text;
};

[[noreturn]] void refuse(const QString &key, const QStringList &args = {})
{
    throw Refusal{ServerText::message(key, args)};
}

QVariant refusalAnswer(const Refusal &r)
{
    return QString(QLatin1Char('3') + r.text);
}

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

// A selection list "_a_b_" of stored codes; empty for none.
QString listOf(const QStringList &codes)
{
    if (codes.isEmpty())
        return {};
    return QLatin1Char('_') + codes.join(QLatin1Char('_')) + QLatin1Char('_');
}

QString shown(const QStringList &codes)
{
    QStringList out;
    for (const QString &c : codes)
        out << c.trimmed();
    return out.join(QStringLiteral(", "));
}

// A status position: "1" nothing passed (of a non-empty whole), "2" some did not pass,
// "0" all did.
QChar statusOf(qlonglong total, qlonglong passed)
{
    if (total > 0 && passed == 0)
        return QLatin1Char('1');
    return passed < total ? QLatin1Char('2') : QLatin1Char('0');
}

// The quotation a maintenance call changes, after the rules every change shares.
struct Target
{
    QString branch;
    QString number;
    QString central;
    QString op;
    QuotationItemChanges::Quotation quotation;
    QVariantMap key;
    QDateTime moment;
};

Target openTarget(CallContext &ctx, const QString &branch, const QString &number)
{
    Target t;
    t.branch = branch;
    t.number = number;
    t.key = {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}};
    t.moment = QDateTime::currentDateTimeUtc();
    t.op = padOperator(ctx.session.operatorCode);
    ctx.db.execNamed(QStringLiteral("MaintLock"), t.key).finish();
    if (!QuotationItemChanges::readQuotation(ctx.db, branch, number, &t.quotation))
        refuse(QStringLiteral("Cot_N_Encontrada"), {number});
    t.central = AccessRules::centralBranch(ctx.db, branch);
    if (t.central.isEmpty())
        t.central = branch;
    const QString refusal = AccessRules::quotationRefusal(ctx.db, t.op, t.quotation.buyer, t.central);
    if (!refusal.isEmpty())
        throw Refusal{refusal};
    if (t.quotation.situation == QLatin1String("C")
        && AccessRules::parameter(ctx.db, t.central, QStringLiteral("IDUTISTATCOT"), QStringLiteral("S"))
               == QLatin1String("S"))
        refuse(QStringLiteral("Cot_Concluida_N_Alt"), {number});
    return t;
}

// The first date a qualification's validity may hold and still count at the collection
// date: the date itself, or the first day of its month when validities count to the end
// of their month.
QDate qualificationLimit(Database &db, const QString &central, const QDate &collection)
{
    const QDate day = collection.isValid() ? collection : QDate::currentDate();
    return QualificationValidity::ofCentralBranch(db, central).toMonthEnd() ? QDate(day.year(), day.month(), 1) : day;
}

void audit(Database &db, const Target &t, const QString &what, const QVariant &before, const QVariant &after)
{
    QVariantMap row = t.key;
    row.insert(QStringLiteral("P_CDOPERADOR"), t.op);
    row.insert(QStringLiteral("P_DTHRALTER"), t.moment);
    row.insert(QStringLiteral("P_NMCAMPO"), what);
    row.insert(QStringLiteral("P_DSVALORANT"), before);
    row.insert(QStringLiteral("P_DSVALORNOVO"), after);
    db.execNamed(QStringLiteral("HeaderAudit"), row);
}

// --- the quotation's regions and suppliers ----------------------------------------------------

struct RegionRow
{
    QString code;
    bool served = false;     // by the supplier asked about
    bool takesPart = false;  // the supplier takes part in it
    qlonglong suppliers = 0; // suppliers taking part in it
};

QList<RegionRow> regionsOf(Database &db, const Target &t, const QString &supplier)
{
    QVariantMap p = t.key;
    p.insert(QStringLiteral("P_CDFORNECED"), supplier);
    QSqlQuery q = db.execNamed(QStringLiteral("MaintRegions"), p);
    QList<RegionRow> out;
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toString() == QLatin1String("S"),
                    q.value(2).toString() == QLatin1String("S"), q.value(3).toLongLong()});
    return out;
}

struct SupplierRow
{
    bool active = false;
    bool qualified = false;   // at the quotation's collection date
    bool inQuotation = false; // in any region
    bool inRegion = false;    // in the region asked about
    bool serves = false;      // serves that region
};

// The suppliers of codes that exist, by stored code.
QHash<QString, SupplierRow> suppliersOf(Database &db, const Target &t, const QStringList &codes, const QString &region)
{
    QHash<QString, SupplierRow> out;
    if (codes.isEmpty())
        return out;
    // Read before the suppliers: one connection runs one statement at a time.
    const QualificationValidity validity = QualificationValidity::ofCentralBranch(db, t.central);
    QVariantMap p = t.key;
    p.insert(QStringLiteral("P_LISTAFORN"), listOf(codes));
    p.insert(QStringLiteral("P_CDREGIAO"), region);
    QSqlQuery q = db.execNamed(QStringLiteral("MaintSuppliers"), p);
    const QDate collection = t.quotation.collection.isValid() ? t.quotation.collection : QDate::currentDate();
    const auto yes = [&q](int at) { return q.value(at).toString().trimmed() == QLatin1String("S"); };
    while (q.next()) {
        SupplierRow s;
        s.active = q.value(1).toString().trimmed() != QLatin1String("I");
        const bool needsNone = q.value(2).isNull() || q.value(2).toString().trimmed().isEmpty();
        const QString allows = q.value(4).toString().trimmed();
        s.qualified = needsNone
            || ((allows == QLatin1String("1") || (allows == QLatin1String("2") && yes(5)))
                && validity.holdsAt(Database::toDate(q.value(3)), collection));
        s.inQuotation = yes(6);
        s.inRegion = yes(7);
        s.serves = yes(8);
        out.insert(q.value(0).toString(), s);
    }
    return out;
}

// The three-position status's product positions for the suppliers of a list over the
// products the quotation holds in the regions of a list: "2" for qualification and "3"
// for registration, as in statusOf.
QString productStatus(Database &db, const Target &t, const QString &regions, const QString &suppliers,
                      const QDate &limit)
{
    QVariantMap p = t.key;
    p.insert(QStringLiteral("P_LISTAREGIAO"), regions);
    p.insert(QStringLiteral("P_LISTAFORN"), suppliers);
    p.insert(QStringLiteral("P_DTLIMITE"), limit);
    QSqlQuery q = db.execNamed(QStringLiteral("MaintProductChecks"), p);
    qlonglong pairs = 0, registered = 0, qualified = 0;
    if (q.next()) {
        pairs = q.value(0).toLongLong();
        registered = q.value(1).toLongLong();
        qualified = q.value(2).toLongLong();
    }
    const QChar qualification = registered == 0 ? QLatin1Char('0') : statusOf(registered, qualified);
    return QString(qualification) + statusOf(pairs, registered);
}

// History rows of the items the call added: those of the suppliers in the regions of the
// lists, which took part there only from this call on.
void addedHistory(Database &db, const Target &t, const QString &regions, const QString &suppliers, bool copied,
                  const QString &changeText, const QString &scopeText)
{
    QVariantMap p = t.key;
    p.insert(QStringLiteral("P_LISTAREGIAO"), regions);
    p.insert(QStringLiteral("P_LISTAFORN"), suppliers);
    p.insert(QStringLiteral("P_CDOPERADOR"), t.op);
    p.insert(QStringLiteral("P_DTHRALTER"), t.moment);
    p.insert(QStringLiteral("P_IDTIPALTER"), copied ? QStringLiteral("C") : QStringLiteral("I"));
    p.insert(QStringLiteral("P_DSALTERITMCOT"), changeText.left(500));
    p.insert(QStringLiteral("P_DSABRANGENCIA"), scopeText.left(100));
    db.execNamed(QStringLiteral("MaintAddedHistory"), p);
}

// The codes of one field of a packet argument, at their stored width, each once.
QStringList packetCodes(const CallContext &ctx, const QString &arg, const QString &field, int width)
{
    const QVariant &value = ctx.arg(arg);
    if (!isPacket(value))
        return {};
    const DataPacket packet = value.value<DataPacket>();
    if (packet.isDelta())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Itens_Delta")));
    const int at = packet.fieldIndex(field);
    if (at < 0) {
        if (packet.rowCount() == 0)
            return {};
        throw ServerError::arguments(ServerText::message(QStringLiteral("Manut_Produtos_Sem_Campo"), {field}));
    }
    QStringList codes;
    QSet<QString> seen;
    for (const QVariantList &row : packet.rows()) {
        const QString text = row.value(at).toString();
        if (text.trimmed().isEmpty())
            continue;
        const QString code = padCode(text, width);
        if (!seen.contains(code)) {
            seen.insert(code);
            codes << code;
        }
    }
    return codes;
}

// --- removals ---------------------------------------------------------------------------------

// What a removal reaches: each of region, supplier, product and brand is one code or all.
struct Scope
{
    bool allRegions = true;
    QString region;
    bool allSuppliers = true;
    QString supplier;
    bool allProducts = true;
    QString product;
    bool allBrands = true;
    QString brand;

    QVariantMap params(const Target &t) const
    {
        QVariantMap p = t.key;
        const auto mark = [](bool all) { return all ? QStringLiteral("T") : QStringLiteral("N"); };
        p.insert(QStringLiteral("P_TREGIAO"), mark(allRegions));
        p.insert(QStringLiteral("P_CDREGIAO"), region);
        p.insert(QStringLiteral("P_TFORN"), mark(allSuppliers));
        p.insert(QStringLiteral("P_CDFORNECED"), supplier);
        p.insert(QStringLiteral("P_TPRODUTO"), mark(allProducts));
        p.insert(QStringLiteral("P_CDPRODUTO"), product);
        p.insert(QStringLiteral("P_TMARCA"), mark(allBrands));
        p.insert(QStringLiteral("P_CDMARCA"), brand);
        return p;
    }

    // "Região 001 / Todos os fornecedores / ..." for the history rows.
    QString text(bool withProductScopes) const
    {
        QStringList parts;
        parts << (allRegions ? ServerText::message(QStringLiteral("Abr_Todas_Reg"))
                             : ServerText::message(QStringLiteral("Abr_Regiao"), {region.trimmed()}));
        parts << (allSuppliers ? ServerText::message(QStringLiteral("Abr_Todos_Forn"))
                               : ServerText::message(QStringLiteral("Abr_Fornecedor"), {supplier.trimmed()}));
        if (withProductScopes)
            parts << (allBrands ? ServerText::message(QStringLiteral("Abr_Todas_Marcas"))
                                : ServerText::message(QStringLiteral("Abr_Marca"), {brand.trimmed()}));
        return parts.join(QStringLiteral(" / "));
    }

    // "CDREGIAO=001;CDFORNECED=*;..." for the header-history row.
    QString record() const
    {
        const auto one = [](const char *name, bool all, const QString &code) {
            return QLatin1String(name) + QLatin1Char('=') + (all ? QStringLiteral("*") : code.trimmed());
        };
        return QStringList{one("CDREGIAO", allRegions, region), one("CDFORNECED", allSuppliers, supplier),
                           one("CDPRODUTO", allProducts, product), one("CDMARCA", allBrands, brand)}
            .join(QLatin1Char(';'));
    }
};

struct ScopeCount
{
    qlonglong inScope = 0;
    qlonglong all = 0;
};

ScopeCount countScope(Database &db, const Target &t, const Scope &s)
{
    QSqlQuery q = db.execNamed(QStringLiteral("MaintScopeCount"), s.params(t));
    return q.next() ? ScopeCount{q.value(0).toLongLong(), q.value(1).toLongLong()} : ScopeCount{};
}

// Removes the items of the scope with their history and price-list entries; the number
// removed.  Refused when one has a confirmed price in a concluded price list.
qlonglong removeItems(Database &db, const Target &t, const Scope &s, const QString &changeText,
                      const QString &scopeText)
{
    const QVariantMap params = s.params(t);
    QSqlQuery concluded = db.execNamed(QStringLiteral("MaintScopeInConcludedLists"), params);
    if (concluded.next()) {
        const QString item = ServerText::message(
            QStringLiteral("Item_Texto"), {concluded.value(2).toString().trimmed(), concluded.value(3).toString().trimmed(),
                                           concluded.value(0).toString().trimmed(), concluded.value(1).toString().trimmed()});
        refuse(QStringLiteral("Item_Lista_Concluida"), {item, concluded.value(4).toString().trimmed()});
    }
    concluded.finish();
    const qlonglong count = countScope(db, t, s).inScope;
    QVariantMap history = params;
    history.insert(QStringLiteral("P_CDOPERADOR"), t.op);
    history.insert(QStringLiteral("P_DTHRALTER"), t.moment);
    history.insert(QStringLiteral("P_DSALTERITMCOT"), changeText.left(500));
    history.insert(QStringLiteral("P_DSABRANGENCIA"), scopeText.left(100));
    db.execNamed(QStringLiteral("MaintScopeHistory"), history);
    db.execNamed(QStringLiteral("MaintScopeOffLists"), params);
    db.execNamed(QStringLiteral("MaintScopeDelete"), params);
    return count;
}

// The suppliers of the scope leave its regions (their items are gone already).
void removeSuppliers(Database &db, const Target &t, const Scope &s)
{
    QVariantMap p = t.key;
    p.insert(QStringLiteral("P_TREGIAO"), s.allRegions ? QStringLiteral("T") : QStringLiteral("N"));
    p.insert(QStringLiteral("P_CDREGIAO"), s.region);
    p.insert(QStringLiteral("P_TFORN"), s.allSuppliers ? QStringLiteral("T") : QStringLiteral("N"));
    p.insert(QStringLiteral("P_CDFORNECED"), s.supplier);
    db.execNamed(QStringLiteral("MaintScopeSuppliersDelete"), p);
}

// A scope argument pair: all when the mark is "T", else the code, which must be given.
void readScope(const CallContext &ctx, const char *markArg, const char *codeArg, int width, const char *what,
               bool *all, QString *code)
{
    *all = Arguments::isAllMark(ctx.arg(QLatin1String(markArg)));
    *code = *all ? QString() : Arguments::code(ctx, QLatin1String(codeArg), width);
    if (!*all && code->isEmpty())
        throw ServerError::arguments(ServerText::message(
            QStringLiteral("Arg_N_Inf"), {ServerText::message(QLatin1String(what))}));
}

// --- suppliers --------------------------------------------------------------------------------

// Vd_ProdForn(CDFILIAL, CDFORNECED, DTCOLEPREC, Produtos): ["S"] when the supplier is
// registered and qualified at the date for none of the products, else ["N"].  Read-only.
QVariant Vd_ProdForn(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString supplier = Arguments::requiredCode(ctx, QStringLiteral("CDFORNECED"), 21, QStringLiteral("Nome_Fornecedor"));
    QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        central = branch;
    const QDate limit = qualificationLimit(ctx.db, central, Arguments::date(ctx, QStringLiteral("DTCOLEPREC")));
    const QStringList products = packetCodes(ctx, QStringLiteral("Produtos"), QStringLiteral("CDPRODUTO"), 10);
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("MaintQualifiedProducts"),
                                   {{QStringLiteral("P_CDFORNECED"), supplier}, {QStringLiteral("P_DTLIMITE"), limit}});
    QSet<QString> qualified;
    while (q.next())
        qualified.insert(q.value(0).toString());
    for (const QString &p : products) {
        if (qualified.contains(p))
            return QVariantList{QStringLiteral("N")};
    }
    return QVariantList{QStringLiteral("S")};
}

// IncFornecedor(CDFILIAL, NRCOLEPRECO, CDFORNECED, Operador, CargaTodasReg, CDFORNCARG,
// CDREGICARG): adds the supplier to the quotation's regions it serves (every one, or with
// CargaTodasReg "N" only the price-source region), with an item for each product and brand
// of the region that is registered for the supplier and qualified.  Prices come from the
// price-source supplier (in the same region, or in the price-source region).  Answers
// [status]: position 1 regions, 2 product qualification, 3 product registration; with a
// "1" anywhere nothing is written.
QVariant IncFornecedor(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QString supplier = Arguments::requiredCode(ctx, QStringLiteral("CDFORNECED"), 21, QStringLiteral("Nome_Fornecedor"));
    const bool allServed = Arguments::text(ctx, QStringLiteral("CargaTodasReg")).trimmed().toUpper() != QLatin1String("N");
    const QString source = Arguments::code(ctx, QStringLiteral("CDFORNCARG"), 21);
    const QString sourceRegion = Arguments::code(ctx, QStringLiteral("CDREGICARG"), 3);
    QVariant answer;
    try {
        ctx.db.transaction([&] {
            const Target t = openTarget(ctx, branch, number);
            if (!sourceRegion.isEmpty() && source.isEmpty())
                refuse(QStringLiteral("Manut_FornCarg_N_Inf"));
            QStringList asked{supplier};
            if (!source.isEmpty() && source != supplier)
                asked << source;
            const QHash<QString, SupplierRow> known = suppliersOf(ctx.db, t, asked, QString());
            if (!known.contains(supplier))
                refuse(QStringLiteral("Manut_Forn_N_Cad"), {supplier.trimmed()});
            if (!known.value(supplier).active)
                refuse(QStringLiteral("Manut_Forn_Ina"), {supplier.trimmed()});
            if (!known.value(supplier).qualified)
                refuse(QStringLiteral("Manut_Forn_N_Qualif"), {supplier.trimmed()});
            if (!source.isEmpty() && !known.value(source).inQuotation)
                refuse(QStringLiteral("Manut_FornCarg_N_Cot"), {source.trimmed()});

            const QList<RegionRow> regions = regionsOf(ctx.db, t, supplier);
            QStringList chosen, target, already;
            for (const RegionRow &r : regions) {
                if (!allServed && !sourceRegion.isEmpty() && r.code != sourceRegion)
                    continue;
                chosen << r.code;
                if (r.served)
                    target << r.code;
                if (r.served && r.takesPart)
                    already << r.code;
            }
            if (!sourceRegion.isEmpty() && !std::any_of(regions.begin(), regions.end(),
                                                        [&](const RegionRow &r) { return r.code == sourceRegion; }))
                refuse(QStringLiteral("Manut_Reg_N_Cot"), {sourceRegion.trimmed()});
            if (!already.isEmpty())
                refuse(QStringLiteral("Manut_Forn_J_Cad"), {supplier.trimmed(), shown(already)});

            const QDate limit = qualificationLimit(ctx.db, t.central, t.quotation.collection);
            const QString status = QString(statusOf(qMax<qlonglong>(chosen.size(), 1), target.size()))
                                   + productStatus(ctx.db, t, listOf(chosen), listOf({supplier}), limit);
            answer = QVariantList{status};
            if (status.contains(QLatin1Char('1')))
                return;

            QVariantMap p = t.key;
            p.insert(QStringLiteral("P_LISTAREGIAO"), listOf(target));
            p.insert(QStringLiteral("P_LISTAFORN"), listOf({supplier}));
            ctx.db.execNamed(QStringLiteral("MaintSuppliersAdd"), p);
            QVariantMap items = t.key;
            items.insert(QStringLiteral("P_LISTAREGIAO"), listOf(target));
            items.insert(QStringLiteral("P_CDFORNECED"), supplier);
            items.insert(QStringLiteral("P_DTLIMITE"), limit);
            items.insert(QStringLiteral("P_TREGICARG"), sourceRegion.isEmpty() ? QStringLiteral("N") : QStringLiteral("S"));
            items.insert(QStringLiteral("P_CDREGICARG"), sourceRegion);
            items.insert(QStringLiteral("P_CDFORNCARG"), source);
            const qlonglong added = ctx.db.execNamed(QStringLiteral("MaintItemsAddSupplier"), items).numRowsAffected();
            const QString scopeText = allServed ? ServerText::message(QStringLiteral("Abr_Regioes_Atendidas"), {shown(target)})
                                                : ServerText::message(QStringLiteral("Abr_Regiao"), {shown(target)});
            const QString changeText = source.isEmpty()
                ? ServerText::message(QStringLiteral("Hist_Inc_Forn"))
                : ServerText::message(QStringLiteral("Hist_Carga_Forn"), {source.trimmed()});
            addedHistory(ctx.db, t, listOf(target), listOf({supplier}), !source.isEmpty(), changeText, scopeText);
            audit(ctx.db, t, QStringLiteral("INCFORNECEDOR"), nullText(),
                  QStringLiteral("CDFORNECED=%1;REGIOES=%2;ITENS=%3;CDFORNCARG=%4;CDREGICARG=%5;STATUS=%6")
                      .arg(supplier.trimmed(), target.join(QLatin1Char(','))).arg(added)
                      .arg(source.trimmed(), sourceRegion.trimmed(), status));
        }, Database::Begin::Immediate);
    } catch (const Refusal &r) {
        return refusalAnswer(r);
    }
    return answer;
}

// ExclForn(CDFILIAL, NRCOLEPRECO, CDFORNECED, CDREGIAO, TodasRegioes): the supplier leaves
// one region ("T": every region) of the quotation with its items.  Refused when it does
// not take part there or is the only supplier of a region it would leave.
QVariant ExclForn(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    Scope scope;
    scope.allSuppliers = false;
    scope.supplier = Arguments::requiredCode(ctx, QStringLiteral("CDFORNECED"), 21, QStringLiteral("Nome_Fornecedor"));
    readScope(ctx, "TodasRegioes", "CDREGIAO", 3, "Nome_Regiao", &scope.allRegions, &scope.region);
    try {
        ctx.db.transaction([&] {
            const Target t = openTarget(ctx, branch, number);
            QStringList leaving;
            for (const RegionRow &r : regionsOf(ctx.db, t, scope.supplier)) {
                if (!r.takesPart || (!scope.allRegions && r.code != scope.region))
                    continue;
                if (r.suppliers <= 1)
                    refuse(QStringLiteral("Manut_Ultimo_Forn"), {scope.supplier.trimmed(), r.code.trimmed()});
                leaving << r.code;
            }
            if (leaving.isEmpty()) {
                if (scope.allRegions)
                    refuse(QStringLiteral("Manut_Forn_N_Cot"), {scope.supplier.trimmed()});
                refuse(QStringLiteral("Manut_Forn_N_Cot_Reg"), {scope.supplier.trimmed(), scope.region.trimmed()});
            }
            const qlonglong removed = removeItems(ctx.db, t, scope, ServerText::message(QStringLiteral("Hist_Excl_Forn")),
                                                  scope.text(false));
            removeSuppliers(ctx.db, t, scope);
            audit(ctx.db, t, QStringLiteral("EXCLFORN"),
                  QStringLiteral("%1;REGIOES=%2;ITENS=%3").arg(scope.record(), leaving.join(QLatin1Char(','))).arg(removed),
                  nullText());
        }, Database::Begin::Immediate);
    } catch (const Refusal &r) {
        return refusalAnswer(r);
    }
    return QString();
}

// --- regions ----------------------------------------------------------------------------------

// GetCotForns(CDFILIAL, NRCOLEPRECO): each supplier of the quotation once.
QVariant GetCotForns(CallContext &ctx)
{
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetDistForns"),
                                   {{QStringLiteral("P_CDFILIAL"), Arguments::code(ctx, QStringLiteral("CDFILIAL"), 4)},
                                    {QStringLiteral("P_NRCOLEPRECO"), Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10)}});
    return PacketBuilder(ctx.method).addRows(q).result();
}

// Vd_RefoReg(CDREGIAO, Fornecedores): "S" when none of the suppliers serves the region, ""
// when one does, else the text of what is wrong (no or an unknown region).  Read-only.
QVariant Vd_RefoReg(CallContext &ctx)
{
    const QString region = Arguments::code(ctx, QStringLiteral("CDREGIAO"), 3);
    if (region.isEmpty())
        return ServerText::message(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Regiao"))});
    QSqlQuery known = ctx.db.execNamed(QStringLiteral("MaintRegion"), {{QStringLiteral("P_CDREGIAO"), region}});
    if (!known.next())
        return ServerText::message(QStringLiteral("Manut_Reg_N_Cad"), {region.trimmed()});
    known.finish();
    const QStringList suppliers = packetCodes(ctx, QStringLiteral("Fornecedores"), QStringLiteral("CDFORNECED"), 21);
    if (suppliers.isEmpty())
        return QStringLiteral("S");
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("MaintServedBy"), {{QStringLiteral("P_CDREGIAO"), region},
                                                                     {QStringLiteral("P_LISTAFORN"), listOf(suppliers)}});
    return q.next() && q.value(0).toLongLong() > 0 ? QString() : QStringLiteral("S");
}

// IncRegiao(Fornecedores, CDREGIAO, CDFILIAL, NRCOLEPRECO, CDREGICARG, Operador, DTCOLEPREC):
// adds the region to the quotation for those of the suppliers that are active, qualified
// and serve it, with an item for each product and brand of the quotation (of the
// price-source region when given) that is registered for the supplier and qualified;
// prices come from the supplier's item in the price-source region.  Every supplier sent
// must take part in the quotation and none in the region yet.  Answers [status] as
// IncFornecedor; with a "1" anywhere nothing is written.
QVariant IncRegiao(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    const QString region = Arguments::requiredCode(ctx, QStringLiteral("CDREGIAO"), 3, QStringLiteral("Nome_Regiao"));
    const QString sourceRegion = Arguments::code(ctx, QStringLiteral("CDREGICARG"), 3);
    const QStringList suppliers = packetCodes(ctx, QStringLiteral("Fornecedores"), QStringLiteral("CDFORNECED"), 21);
    QVariant answer;
    try {
        ctx.db.transaction([&] {
            const Target t = openTarget(ctx, branch, number);
            QSqlQuery known = ctx.db.execNamed(QStringLiteral("MaintRegion"), {{QStringLiteral("P_CDREGIAO"), region}});
            if (!known.next())
                refuse(QStringLiteral("Manut_Reg_N_Cad"), {region.trimmed()});
            known.finish();
            QStringList quotationRegions;
            for (const RegionRow &r : regionsOf(ctx.db, t, QString()))
                quotationRegions << r.code;
            if (!sourceRegion.isEmpty() && !quotationRegions.contains(sourceRegion))
                refuse(QStringLiteral("Manut_Reg_N_Cot"), {sourceRegion.trimmed()});
            if (suppliers.isEmpty())
                refuse(QStringLiteral("Manut_Sem_Forn"));
            const QHash<QString, SupplierRow> rows = suppliersOf(ctx.db, t, suppliers, region);
            QStringList already, qualified, served;
            for (const QString &s : suppliers) {
                if (!rows.value(s).inQuotation)
                    refuse(QStringLiteral("Manut_Forn_N_Cot"), {s.trimmed()});
                const SupplierRow row = rows.value(s);
                if (row.inRegion)
                    already << s;
                if (row.active && row.qualified) {
                    qualified << s;
                    if (row.serves)
                        served << s;
                }
            }
            if (!already.isEmpty())
                refuse(QStringLiteral("Manut_Reg_J_Cad"), {region.trimmed(), shown(already)});
            if (qualified.isEmpty())
                refuse(QStringLiteral("Manut_Sem_Forn"));

            const QDate limit = qualificationLimit(ctx.db, t.central, t.quotation.collection);
            const QString sources = sourceRegion.isEmpty() ? listOf(quotationRegions) : listOf({sourceRegion});
            const QString status = QString(statusOf(qualified.size(), served.size()))
                                   + (served.isEmpty() ? QStringLiteral("00")
                                                       : productStatus(ctx.db, t, sources, listOf(served), limit));
            answer = QVariantList{status};
            if (status.contains(QLatin1Char('1')))
                return;

            QVariantMap key = t.key;
            key.insert(QStringLiteral("P_CDREGIAO"), region);
            ctx.db.execNamed(QStringLiteral("MaintRegionAdd"), key);
            QVariantMap p = t.key;
            p.insert(QStringLiteral("P_LISTAREGIAO"), listOf({region}));
            p.insert(QStringLiteral("P_LISTAFORN"), listOf(served));
            ctx.db.execNamed(QStringLiteral("MaintSuppliersAdd"), p);
            QVariantMap items = t.key;
            items.insert(QStringLiteral("P_CDREGIAO"), region);
            items.insert(QStringLiteral("P_LISTAREGIAO"), sources);
            items.insert(QStringLiteral("P_LISTAFORN"), listOf(served));
            items.insert(QStringLiteral("P_DTLIMITE"), limit);
            items.insert(QStringLiteral("P_CDREGICARG"), sourceRegion);
            const qlonglong added = ctx.db.execNamed(QStringLiteral("MaintItemsAddRegion"), items).numRowsAffected();
            const QString changeText = sourceRegion.isEmpty()
                ? ServerText::message(QStringLiteral("Hist_Inc_Reg"))
                : ServerText::message(QStringLiteral("Hist_Carga_Reg"), {sourceRegion.trimmed()});
            const QString scopeText = ServerText::message(QStringLiteral("Abr_Regiao"), {region.trimmed()}) + QStringLiteral(" / ")
                                      + (served.size() == 1 ? ServerText::message(QStringLiteral("Abr_Fornecedor"), {served.first().trimmed()})
                                                            : ServerText::message(QStringLiteral("Abr_Todos_Forn")));
            addedHistory(ctx.db, t, listOf({region}), listOf(served), !sourceRegion.isEmpty(), changeText, scopeText);
            audit(ctx.db, t, QStringLiteral("INCREGIAO"), nullText(),
                  QStringLiteral("CDREGIAO=%1;FORNECEDORES=%2;ITENS=%3;CDREGICARG=%4;STATUS=%5")
                      .arg(region.trimmed(), shown(served).remove(QLatin1Char(' '))).arg(added)
                      .arg(sourceRegion.trimmed(), status));
        }, Database::Begin::Immediate);
    } catch (const Refusal &r) {
        return refusalAnswer(r);
    }
    return answer;
}

// ExclRegiao(CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED): the region leaves the quotation
// for the supplier (blank: for every supplier) with the items; a region left without
// suppliers leaves the quotation.  Refused for the quotation's last region.
QVariant ExclRegiao(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    Scope scope;
    scope.allRegions = false;
    scope.region = Arguments::requiredCode(ctx, QStringLiteral("CDREGIAO"), 3, QStringLiteral("Nome_Regiao"));
    scope.supplier = Arguments::code(ctx, QStringLiteral("CDFORNECED"), 21);
    scope.allSuppliers = scope.supplier.isEmpty();
    try {
        ctx.db.transaction([&] {
            const Target t = openTarget(ctx, branch, number);
            const QList<RegionRow> regions = regionsOf(ctx.db, t, scope.supplier);
            const auto it = std::find_if(regions.begin(), regions.end(),
                                         [&](const RegionRow &r) { return r.code == scope.region; });
            if (it == regions.end())
                refuse(QStringLiteral("Manut_Reg_N_Cot"), {scope.region.trimmed()});
            if (!scope.allSuppliers && !it->takesPart)
                refuse(QStringLiteral("Manut_Forn_N_Cot_Reg"), {scope.supplier.trimmed(), scope.region.trimmed()});
            const bool regionLeaves = scope.allSuppliers || it->suppliers <= 1;
            if (regionLeaves && regions.size() <= 1)
                refuse(QStringLiteral("Manut_Ultima_Regiao"), {scope.region.trimmed()});
            const qlonglong removed = removeItems(ctx.db, t, scope, ServerText::message(QStringLiteral("Hist_Excl_Reg")),
                                                  scope.text(false));
            removeSuppliers(ctx.db, t, scope);
            QVariantMap key = t.key;
            key.insert(QStringLiteral("P_CDREGIAO"), scope.region);
            ctx.db.execNamed(QStringLiteral("MaintEmptyRegionDelete"), key);
            audit(ctx.db, t, QStringLiteral("EXCLREGIAO"),
                  QStringLiteral("%1;REGIAO_SAI=%2;ITENS=%3")
                      .arg(scope.record(), regionLeaves ? QStringLiteral("S") : QStringLiteral("N"))
                      .arg(removed),
                  nullText());
        }, Database::Begin::Immediate);
    } catch (const Refusal &r) {
        return refusalAnswer(r);
    }
    return QString();
}

// --- products ---------------------------------------------------------------------------------

// ExclProd(CDFILIAL, NRCOLEPRECO, CDPRODUTO, TodasRegioes, CDREGIAO, TodosForn, CDFORNECED,
// TodasMarcas, CDMARCA): the product's items leave the quotation in the region, supplier
// and brand scopes ("T" for all, else the code, which must be given).  Refused when the
// scopes hold no item of the product, or every item of the quotation.
QVariant ExclProd(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    Scope scope;
    scope.allProducts = false;
    scope.product = Arguments::requiredCode(ctx, QStringLiteral("CDPRODUTO"), 10, QStringLiteral("Nome_Produto"));
    readScope(ctx, "TodasRegioes", "CDREGIAO", 3, "Nome_Regiao", &scope.allRegions, &scope.region);
    readScope(ctx, "TodosForn", "CDFORNECED", 21, "Nome_Fornecedor", &scope.allSuppliers, &scope.supplier);
    readScope(ctx, "TodasMarcas", "CDMARCA", 5, "Nome_Marca", &scope.allBrands, &scope.brand);
    try {
        ctx.db.transaction([&] {
            const Target t = openTarget(ctx, branch, number);
            const ScopeCount count = countScope(ctx.db, t, scope);
            if (count.inScope == 0)
                refuse(QStringLiteral("Manut_Sem_Itens_Escopo"), {scope.product.trimmed()});
            if (count.inScope >= count.all)
                refuse(QStringLiteral("Manut_Cot_Sem_Itens"), {scope.product.trimmed()});
            const qlonglong removed = removeItems(ctx.db, t, scope, ServerText::message(QStringLiteral("Hist_Excl_Prod")),
                                                  scope.text(true));
            audit(ctx.db, t, QStringLiteral("EXCLPROD"), QStringLiteral("%1;ITENS=%2").arg(scope.record()).arg(removed),
                  nullText());
        }, Database::Begin::Immediate);
    } catch (const Refusal &r) {
        return refusalAnswer(r);
    }
    return QString();
}

} // namespace

void registerQuotationMaintenanceMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("Vd_ProdForn"), Vd_ProdForn);
    table.implement(kGridCotaPrecObject, QStringLiteral("IncFornecedor"), IncFornecedor);
    table.implement(kGridCotaPrecObject, QStringLiteral("ExclForn"), ExclForn);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetCotForns"), GetCotForns);
    table.implement(kGridCotaPrecObject, QStringLiteral("Vd_RefoReg"), Vd_RefoReg);
    table.implement(kGridCotaPrecObject, QStringLiteral("IncRegiao"), IncRegiao);
    table.implement(kGridCotaPrecObject, QStringLiteral("ExclRegiao"), ExclRegiao);
    table.implement(kGridCotaPrecObject, QStringLiteral("ExclProd"), ExclProd);
}
