// "Sup05200.rdmGridCotaPrec": copying quotations to a new validity (DuplicaCotacao), the
// question the copy dialog asks before it (GetConsCotAn) and the dialog's look-ups
// (GetPesqFornOL, GetDadDuplica, GetComprador, GetRegiaoCorr).
//
// A copy takes either one quotation or every quotation of the central branch whose
// validity overlaps a source period (of every buyer or of a buyer list), and creates for
// each a new quotation in progress for the new validity, with the next free number, the
// given collection date, the source's regions (or those of a region list), suppliers
// (without the OL suppliers left out of an OL list) and items, prices readjusted by the
// percentage and rounded to five decimals.  A source is refused, and listed with the
// reason, when the operator may not handle its buyer's quotations, when its buyer already
// has a quotation in progress overlapping the new validity (as stored before the copy),
// or when none of its items is left by the lists.  Everything runs in one transaction;
// the rows are copied by INSERT ... SELECT, one statement per table and source.

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
#include <QHash>
#include <QSqlQuery>
#include <QStringList>

#include <cmath>

namespace {

const QString kAll = QStringLiteral("T");
const QString kNotAll = QStringLiteral("N");

QString mark(bool all) { return all ? kAll : kNotAll; }

QString sessionOperator(const CallContext &ctx, const QString &argument)
{
    return padOperator(ctx.session.operatorCode.isEmpty() ? Arguments::text(ctx, argument) : ctx.session.operatorCode);
}

// The central branch of a branch argument; an unknown branch is refused.
QString centralOf(const CallContext &ctx, const QString &argument)
{
    const QString branch = Arguments::requiredCode(ctx, argument, 4, QStringLiteral("Nome_Filial"));
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    return central;
}

struct Buyer
{
    QString code;
    QString name;
};

// The buyers of the central branch whose quotations the operator may handle, by code.
QList<Buyer> handledBuyers(Database &db, const QString &op, const QString &central)
{
    QList<Buyer> all;
    {
        QSqlQuery q = db.execNamed(QStringLiteral("BranchBuyers"), {{QStringLiteral("P_CDFILIAL"), central}});
        while (q.next())
            all.append({q.value(1).toString(), q.value(2).toString()});
    }
    QList<Buyer> out;
    for (const Buyer &b : std::as_const(all)) {
        if (AccessRules::quotationRefusal(db, op, b.code, central).isEmpty())
            out.append(b);
    }
    return out;
}

struct Source
{
    QString number;
    QString buyer;
    QString priceList;
    QVariant observation;
    QString toBuy;
};

// What a copy takes: the quotation `number` (mode "2"), or every quotation whose validity
// overlaps first .. last (mode "1"), of every buyer or of the buyers of the canonical
// list buyers.
QList<Source> sources(Database &db, const QString &central, bool byPeriod, const QString &number, const QDate &first,
                      const QDate &last, bool allBuyers, const QString &buyers)
{
    QSqlQuery q = db.execNamed(QStringLiteral("CopySources"),
                               {{QStringLiteral("P_CDFILIAL"), central},
                                {QStringLiteral("P_MODO"), byPeriod ? QStringLiteral("1") : QStringLiteral("2")},
                                {QStringLiteral("P_NRCOLEPRECO"), number},
                                {QStringLiteral("P_DTINICIAL"), first},
                                {QStringLiteral("P_DTFINAL"), last},
                                {QStringLiteral("P_TCOMPRADOR"), mark(allBuyers)},
                                {QStringLiteral("P_LISTACOMPRADOR"), buyers}});
    QList<Source> out;
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3),
                    q.value(4).toString()});
    return out;
}

QString listOfBuyers(const QList<Buyer> &buyers)
{
    QStringList codes;
    for (const Buyer &b : buyers)
        codes << b.code;
    return codes.isEmpty() ? QString() : QLatin1Char('_') + codes.join(QLatin1Char('_')) + QLatin1Char('_');
}

// GetPesqFornOL: the active OL suppliers.
QVariant GetPesqFornOL(CallContext &ctx)
{
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetPesqFornOL"));
    return PacketBuilder(ctx.method).addRows(q).result();
}

// GetDadDuplica(CDFILIAL): the last week and last day of the central branch's newest
// validity, where the copy dialog proposes the new validity to start.
QVariant GetDadDuplica(CallContext &ctx)
{
    const QString central = centralOf(ctx, QStringLiteral("CDFILIAL"));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetDadDuplica"), {{QStringLiteral("P_CDFILIAL"), central}});
    return PacketBuilder(ctx.method).addRows(q).result();
}

// GetComprador(operator): the buyers the operator may copy quotations of: those of the
// logged branch's central branch whose quotations the operator may handle.
QVariant GetComprador(CallContext &ctx)
{
    const QString op = sessionOperator(ctx, QStringLiteral("CDOPERADOR"));
    const QString branch = ctx.session.branch.trimmed().isEmpty() ? QString() : padCode(ctx.session.branch, 4);
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    PacketBuilder packet(ctx.method);
    for (const Buyer &b : handledBuyers(ctx.db, op, central))
        packet.addRow({kNotAll, b.code, b.name});
    return packet.result();
}

// GetRegiaoCorr(CDFILIAL, NRCOLEPRECO): the quotation's regions.
QVariant GetRegiaoCorr(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString number = Arguments::requiredCode(ctx, QStringLiteral("NRCOLEPRECO"), 10, QStringLiteral("Nome_Cotacao"));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetRegiaoCorr"),
                                   {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}});
    return PacketBuilder(ctx.method).addRows(q).result();
}

// GetConsCotAn: true when DuplicaCotacao with these sources would refuse one because its
// buyer already has a quotation in progress overlapping the new validity.  In mode "1"
// without the all-mark the sources are those of every buyer the operator may handle
// (the buyer list itself is not sent).
QVariant GetConsCotAn(CallContext &ctx)
{
    const QString central = centralOf(ctx, QStringLiteral("CDFILIAL"));
    const QString op = sessionOperator(ctx, QStringLiteral("Operador"));
    const QDate newFirst = Arguments::date(ctx, QStringLiteral("DtIniNova"));
    const QDate newLast = Arguments::date(ctx, QStringLiteral("DtFinNova"));
    if (!newFirst.isValid() || !newLast.isValid() || newLast < newFirst)
        return false;
    const bool byPeriod = Arguments::text(ctx, QStringLiteral("Modo")).trimmed() == QLatin1String("1");
    const bool allBuyers = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosComprador")));
    const QString buyers = byPeriod && !allBuyers ? listOfBuyers(handledBuyers(ctx.db, op, central)) : QString();
    if (byPeriod && !allBuyers && buyers.isEmpty())
        return false;
    const QList<Source> list = sources(ctx.db, central, byPeriod,
                                       Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10),
                                       Arguments::date(ctx, QStringLiteral("DTINIVALCOL")),
                                       Arguments::date(ctx, QStringLiteral("DTFINVALCOL")), allBuyers, buyers);
    QStringList seen;
    for (const Source &s : list) {
        if (seen.contains(s.buyer))
            continue;
        seen << s.buyer;
        if (!ValidityRules::inProgress(ctx.db, central, s.buyer, newFirst, newLast).isEmpty())
            return true;
    }
    return false;
}

// The arguments of a copy, read and checked.
struct CopyRequest
{
    QString central;
    QString processingBranch;
    QString op;
    QString firstWeek;
    QString lastWeek;
    QDate first;
    QDate last;
    QDate collection;
    double percent = 0;
    bool byPeriod = false;
    QString number;
    QDate periodFirst;
    QDate periodLast;
    bool allBuyers = true;
    QString buyers;
    bool allRegions = true;
    QString regions;
    bool allOlSuppliers = true;
    QString olSuppliers;
    QString noData;
};

// Empty when the request can be run, else the text to answer (the dialog shows it).
QString readRequest(CallContext &ctx, CopyRequest &r)
{
    r.central = centralOf(ctx, QStringLiteral("CDFILIAL"));
    r.op = sessionOperator(ctx, QStringLiteral("Operador"));
    r.processingBranch = Arguments::code(ctx, QStringLiteral("FiliProc"), 4);
    if (r.processingBranch.isEmpty())
        r.processingBranch = r.central;
    r.first = Arguments::date(ctx, QStringLiteral("DTINIVALCOL"));
    r.last = Arguments::date(ctx, QStringLiteral("DTFINVALCOL"));
    if (!r.first.isValid())
        return ServerText::message(QStringLiteral("Dup_Validade_N_Inf"), {QStringLiteral("inicial")});
    if (!r.last.isValid())
        return ServerText::message(QStringLiteral("Dup_Validade_N_Inf"), {QStringLiteral("final")});
    if (r.last < r.first)
        return ServerText::message(QStringLiteral("Dup_Validade_Invertida"));
    r.firstWeek = Arguments::text(ctx, QStringLiteral("NRSEMAINIC")).trimmed();
    r.lastWeek = Arguments::text(ctx, QStringLiteral("NRSEMAFINAL")).trimmed();
    r.firstWeek = r.firstWeek.isEmpty() ? ValidityRules::week(r.first) : padCode(r.firstWeek, 2);
    r.lastWeek = r.lastWeek.isEmpty() ? ValidityRules::week(r.last) : padCode(r.lastWeek, 2);

    r.collection = Arguments::date(ctx, QStringLiteral("DTCOLEPREC"));
    if (!r.collection.isValid())
        return ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data da coleta")});
    if (r.collection > QDate::currentDate())
        return ServerText::message(QStringLiteral("Dt_Col_Futura"));

    r.percent = ctx.arg(QStringLiteral("Reajuste")).toDouble();
    if (!std::isfinite(r.percent) || r.percent < -100.0 || r.percent >= 1000.0)
        return ServerText::message(QStringLiteral("Reajuste_Invalido"), {QString::number(r.percent, 'f', 2)});

    r.byPeriod = ctx.arg(QStringLiteral("PorValidade")).toBool();
    if (r.byPeriod) {
        r.periodFirst = Arguments::date(ctx, QStringLiteral("DtIniPeriodo"));
        r.periodLast = Arguments::date(ctx, QStringLiteral("DtFinPeriodo"));
        if (!r.periodFirst.isValid() || !r.periodLast.isValid())
            return ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data de validade")});
        if (r.periodLast < r.periodFirst)
            return ServerText::message(QStringLiteral("Validade_Invertida"));
        r.allBuyers = !ctx.arg(QStringLiteral("ListaCompradorEscolhida")).toBool();
        r.buyers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaComprador")), kOperatorCodeWidth);
        if (!r.allBuyers && r.buyers.isEmpty())
            return ServerText::message(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Comprador"))});
    } else {
        r.number = Arguments::code(ctx, QStringLiteral("NRCOLEPRECO"), 10);
        if (r.number.isEmpty())
            return ServerText::message(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Cotacao"))});
    }
    r.allRegions = !ctx.arg(QStringLiteral("ListaRegiaoEscolhida")).toBool();
    r.regions = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaRegiao")), 3);
    if (!r.allRegions && r.regions.isEmpty())
        return ServerText::message(QStringLiteral("Arg_N_Inf"), {ServerText::message(QStringLiteral("Nome_Regiao"))});
    r.olSuppliers = Arguments::canonicalList(ctx.arg(QStringLiteral("ListaFornOL")), 21);
    r.allOlSuppliers = r.olSuppliers.isEmpty();
    r.noData = Arguments::text(ctx, QStringLiteral("N_Dados"));
    if (r.noData.trimmed().isEmpty())
        r.noData = ServerText::message(QStringLiteral("Dup_Sem_Cotacao"));
    return {};
}

// The parameters of the statements that take a source's rows, restricted by the lists.
QVariantMap rowFilter(const CopyRequest &r, const QString &source)
{
    return {{QStringLiteral("P_CDFILIAL"), r.central},
            {QStringLiteral("P_NRCOLEPRECO"), source},
            {QStringLiteral("P_TREGIAO"), mark(r.allRegions)},
            {QStringLiteral("P_LISTAREGIAO"), r.regions},
            {QStringLiteral("P_TFORNOL"), mark(r.allOlSuppliers)},
            {QStringLiteral("P_LISTAFORNOL"), r.olSuppliers}};
}

bool hasItems(Database &db, const CopyRequest &r, const QString &source)
{
    return db.execNamed(QStringLiteral("CopyHasItems"), rowFilter(r, source)).next();
}

// Creates the copy of one source; returns the number of items copied.
int copyQuotation(Database &db, const CopyRequest &r, const Source &s, const QString &number, const QDateTime &now)
{
    const QVariant none{QMetaType(QMetaType::QString)};
    db.execNamed(QStringLiteral("CreateHeader"),
                 {{QStringLiteral("P_CDFILIAL"), r.central},
                  {QStringLiteral("P_NRCOLEPRECO"), number},
                  {QStringLiteral("P_DTCOLEPREC"), r.collection},
                  {QStringLiteral("P_NRSEMAINIC"), r.firstWeek},
                  {QStringLiteral("P_NRSEMAFINAL"), r.lastWeek},
                  {QStringLiteral("P_DTINIVALCOL"), r.first},
                  {QStringLiteral("P_DTFINVALCOL"), r.last},
                  {QStringLiteral("P_CDOPERADOR"), s.buyer},
                  {QStringLiteral("P_IDDISMONTLIS"), s.priceList.trimmed().isEmpty() ? QStringLiteral("S") : s.priceList},
                  {QStringLiteral("P_DSOBSCOTPREC"), s.observation.isNull() ? none : s.observation},
                  {QStringLiteral("P_NRCOMPRA"), none},
                  {QStringLiteral("P_IDPRODCOMPRAR"), s.toBuy.trimmed().isEmpty() ? QStringLiteral("N") : s.toBuy},
                  {QStringLiteral("P_CDFILPROC"), r.processingBranch},
                  {QStringLiteral("P_CDOPERINCL"), r.op},
                  {QStringLiteral("P_DTHRINCL"), now}});
    QVariantMap rows = rowFilter(r, s.number);
    rows.insert(QStringLiteral("P_NRNOVO"), number);
    db.execNamed(QStringLiteral("CopyRegions"), rows);
    db.execNamed(QStringLiteral("CopySuppliers"), rows);
    // The items of the suppliers just copied: the same restrictions, so each item finds
    // its supplier row.
    rows.insert(QStringLiteral("P_FATOR"), 1.0 + r.percent / 100.0);
    const int copied = db.execNamed(QStringLiteral("CopyItems"), rows).numRowsAffected();

    const QString when = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    db.execNamed(QStringLiteral("HeaderAudit"),
                 {{QStringLiteral("P_CDFILIAL"), r.central},
                  {QStringLiteral("P_NRCOLEPRECO"), number},
                  {QStringLiteral("P_CDOPERADOR"), r.op},
                  {QStringLiteral("P_DTHRALTER"), when},
                  {QStringLiteral("P_NMCAMPO"), QStringLiteral("DUPLICACAO")},
                  {QStringLiteral("P_DSVALORANT"), s.number},
                  {QStringLiteral("P_DSVALORNOVO"), QStringLiteral("CDOPERADOR=%1;ITENS=%2;REAJUSTE=%3")
                                                        .arg(s.buyer.trimmed())
                                                        .arg(copied)
                                                        .arg(r.percent, 0, 'f', 2)}});
    db.execNamed(QStringLiteral("HeaderAudit"),
                 {{QStringLiteral("P_CDFILIAL"), r.central},
                  {QStringLiteral("P_NRCOLEPRECO"), s.number},
                  {QStringLiteral("P_CDOPERADOR"), r.op},
                  {QStringLiteral("P_DTHRALTER"), when},
                  {QStringLiteral("P_NMCAMPO"), QStringLiteral("DUPLICADA")},
                  {QStringLiteral("P_DSVALORANT"), none},
                  {QStringLiteral("P_DSVALORNOVO"), number}});
    return copied;
}

// DuplicaCotacao: "X" when every source was copied, "XS" followed by a line
// "NRCOLEPRECO|reason" per source refused, the no-data text when there is no source, and
// any other refusal of the request as its text.
QVariant DuplicaCotacao(CallContext &ctx)
{
    CopyRequest request;
    const QString invalid = readRequest(ctx, request);
    if (!invalid.isEmpty())
        return invalid;

    QString result;
    ctx.db.transaction(
        [&] {
            // Creators of the branch's quotations wait here for each other, so the
            // quotations in progress read below stay as read until this copy ends.
            QuotationNumbering::lock(ctx.db, request.central);
            const QList<Source> list = sources(ctx.db, request.central, request.byPeriod, request.number,
                                               request.periodFirst, request.periodLast, request.allBuyers,
                                               request.buyers);
            if (list.isEmpty()) {
                result = request.noData;
                return;
            }
            // Every refusal is decided on the quotations stored before the copy: two
            // sources of one buyer are both copied.
            QHash<QString, QList<ValidityRules::InProgress>> busy;
            QStringList refused;
            QList<Source> accepted;
            for (const Source &s : list) {
                QString reason = AccessRules::quotationRefusal(ctx.db, request.op, s.buyer, request.central);
                if (reason.isEmpty()) {
                    if (!busy.contains(s.buyer))
                        busy.insert(s.buyer, ValidityRules::inProgress(ctx.db, request.central, s.buyer,
                                                                       request.first, request.last));
                    const QList<ValidityRules::InProgress> &existing = busy[s.buyer];
                    if (!existing.isEmpty())
                        reason = ValidityRules::inProgressText(s.buyer, existing.constFirst());
                }
                if (reason.isEmpty() && !hasItems(ctx.db, request, s.number))
                    reason = ServerText::message(QStringLiteral("Dup_Sem_Itens"));
                if (reason.isEmpty())
                    accepted.append(s);
                else
                    refused << s.number + QLatin1Char('|') + reason;
            }
            const QDateTime now = QDateTime::currentDateTimeUtc();
            for (const Source &s : std::as_const(accepted))
                copyQuotation(ctx.db, request, s, QuotationNumbering::next(ctx.db, request.central), now);
            result = refused.isEmpty() ? QStringLiteral("X") : QStringLiteral("XS") + refused.join(QLatin1Char('\n'));
        },
        Database::Begin::Immediate);
    return result;
}

} // namespace

void registerQuotationCopyMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("GetPesqFornOL"), GetPesqFornOL);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetDadDuplica"), GetDadDuplica);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetComprador"), GetComprador);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetRegiaoCorr"), GetRegiaoCorr);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetConsCotAn"), GetConsCotAn);
    table.implement(kGridCotaPrecObject, QStringLiteral("DuplicaCotacao"), DuplicaCotacao);
}
