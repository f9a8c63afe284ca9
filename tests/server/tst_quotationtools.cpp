// The quotation tools of the server: quantities to buy (CargAcomprar), payment terms
// (AtualizaFormPgto), price readjustment (ReajustePreco), best-price loading
// (CargMelhorsPrs), item observations (GetObsItmCol, SetObsItmCol) and the item reads of
// the negotiation and spreadsheet modules (GetSimulacaoItem, GetPlanilhaItem), called
// through the method table on SQLite and, when the environment names a PostgreSQL server
// (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.  Each test builds a central branch of
// its own, so the demo rows never take part.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "MethodTable.h"
#include "ServerError.h"
#include "Session.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QDate kFirst(2026, 12, 14); // the quotation's validity
const QDate kLast(2026, 12, 20);

struct Item
{
    QString region;   // "R1" / "R2"
    QString supplier; // "S1" / "S2"
    int product = 0;
    int brand = 0;
    double price = 0;
    double toBuy = 0;
};

// A central branch with a store buying through it, buyers A and B (who may handle each
// other's quotations) and D (with the related operator X only, so A may not handle D's
// quotations), regions R1 and R2, suppliers S1 (payment term P1) and S2 (none) serving both,
// four products with tree codes "8<prefix>1" .. "8<prefix>4" and two brands.
struct World
{
    QString prefix;
    QString branch;
    QString store;
    QHash<QString, QString> op;
    QHash<QString, QString> region;
    QHash<QString, QString> supplier;
    QStringList products;
    QStringList brands;
    QString term;
};

QString op(const QString &code) { return padOperator(code); }

} // namespace

class tst_QuotationTools : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void readjustmentRoundsAndAuditsTheRegionAndSupplier_data() { engines(); }
    void readjustmentRoundsAndAuditsTheRegionAndSupplier();
    void readjustmentAnswersAndRefusals_data() { engines(); }
    void readjustmentAnswersAndRefusals();
    void bestPricesTakeTheLowestOfThePeriod_data() { engines(); }
    void bestPricesTakeTheLowestOfThePeriod();
    void bestPricesRefusalsWriteNothing_data() { engines(); }
    void bestPricesRefusalsWriteNothing();
    void quantitiesToBuyAndPaymentTerms_data() { engines(); }
    void quantitiesToBuyAndPaymentTerms();
    void observationIsNeverOverwrittenSilently_data() { engines(); }
    void observationIsNeverOverwrittenSilently();
    void moduleReadsOfAnItem_data() { engines(); }
    void moduleReadsOfAnItem();

private:
    void engines() { EngineDatabase::addEngineRows(); }
    bool useEngine(bool postgres);
    QVariant call(const World &w, const QString &method, QVariantList args, const QString &who = QStringLiteral("A"));
    QStringList rows(const QString &sql, const QVariantMap &params = {});
    qlonglong count(const QString &sql, const QVariantMap &params = {});
    void exec(const QString &sql, const QVariantMap &params = {}) { m_current->exec(sql, params); }
    World world(const QString &prefix);
    void quotation(const World &w, const QString &number, const QString &buyer, const QDate &first, const QDate &last,
                   const QList<Item> &items, const char *situation = "A");
    // "region|supplier|product|brand|price" of the quotation's items, sorted.
    QStringList prices(const World &w, const QString &number);
    QStringList history(const World &w, const QString &number, const QString &columns);
    QVariantList readjustArgs(const World &w, const QString &number, const QVariant &percent, const QString &region,
                              const QString &supplier, const QString &first = QString(),
                              const QString &last = QString(), const QString &prefix = QString());
    QVariantList itemKey(const World &w, const QString &number, const Item &item);
    static QStringList packetRows(const QVariant &result, const QStringList &fields);

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("qtools")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("qtools")};
    Database *m_current = nullptr;
};

void tst_QuotationTools::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::Schema, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::Schema, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

bool tst_QuotationTools::useEngine(bool postgres)
{
    m_current = (postgres ? m_postgres : m_sqlite).get();
    return m_current != nullptr;
}

#define ENGINE()                                                                                     \
    do {                                                                                             \
        QFETCH(bool, postgres);                                                                      \
        if (!useEngine(postgres))                                                                    \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + m_postgres.skipReason()));             \
    } while (false)

QVariant tst_QuotationTools::call(const World &w, const QString &method, QVariantList args, const QString &who)
{
    const MethodDecl *decl = m_table.find(kGridCotaPrecObject, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = w.op.value(who);
    session.branch = w.branch;
    session.loggedIn = true;
    CallContext ctx{session, *m_current, decl->contract, args};
    return decl->fn(ctx);
}

QStringList tst_QuotationTools::rows(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << q.value(i).toString().trimmed();
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

qlonglong tst_QuotationTools::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

World tst_QuotationTools::world(const QString &prefix)
{
    World w;
    w.prefix = prefix;
    w.branch = QStringLiteral("09") + prefix;
    w.store = QStringLiteral("07") + prefix;
    w.term = QStringLiteral("P") + prefix;
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES (:F, 'Central', 'C')"),
         {{QStringLiteral("F"), w.branch}});
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDFILCENTCMP) VALUES (:F, 'Loja', :C)"),
         {{QStringLiteral("F"), w.store}, {QStringLiteral("C"), w.branch}});
    exec(QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL, IDUMPRODCMP) VALUES (:F, 'S')"), {{QStringLiteral("F"), w.branch}});
    for (const char *who : {"A", "B", "D", "X"}) {
        const QString code = op(QStringLiteral("QT%1%2").arg(prefix, QLatin1String(who)));
        w.op.insert(QLatin1String(who), code);
        exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, CDFILIAL) VALUES (:O, :O, 'x', :F)"),
             {{QStringLiteral("O"), code}, {QStringLiteral("F"), w.branch}});
        if (QLatin1String(who) != QLatin1String("X"))
            exec(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:O, :F)"),
                 {{QStringLiteral("O"), code}, {QStringLiteral("F"), w.branch}});
    }
    exec(QStringLiteral("INSERT INTO COMPROPER (CDCOMPRADOR, CDOPERADOR) VALUES (:C, :O)"),
         {{QStringLiteral("C"), w.op.value(QStringLiteral("D"))}, {QStringLiteral("O"), w.op.value(QStringLiteral("X"))}});
    exec(QStringLiteral("INSERT INTO FORMPGTO (CDFORMPGTO, DSFORMPGTO) VALUES (:P, '30 dias')"),
         {{QStringLiteral("P"), w.term}});
    for (const char *r : {"R1", "R2"}) {
        const QString code = QString(QLatin1Char(r[1] == '1' ? 'R' : 'S')) + prefix;
        w.region.insert(QLatin1String(r), code);
        exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:R, :R)"), {{QStringLiteral("R"), code}});
    }
    for (int s = 1; s <= 2; ++s) {
        const QString code = padCode(QStringLiteral("Q%1%2").arg(prefix).arg(s), 21);
        w.supplier.insert(QStringLiteral("S%1").arg(s), code);
        exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN, "
                            "CDFORMPGTO) VALUES (:F, 'O', :F, :F, :N, :P)"),
             {{QStringLiteral("F"), code}, {QStringLiteral("N"), QStringLiteral("Fornecedor %1").arg(s)},
              {QStringLiteral("P"), s == 1 ? QVariant(w.term) : QVariant(QMetaType::fromType<QString>())}});
    }
    for (int b = 1; b <= 2; ++b) {
        w.brands << padCode(QStringLiteral("M%1%2").arg(prefix).arg(b), 5);
        exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:B, :B)"), {{QStringLiteral("B"), w.brands.last()}});
    }
    for (int p = 1; p <= 4; ++p) {
        const QString code = QStringLiteral("8%1%2").arg(prefix).arg(p, 7, 10, QLatin1Char('0'));
        w.products << code;
        exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD) "
                            "VALUES (:C, :T, :N, '3', 'S')"),
             {{QStringLiteral("C"), code}, {QStringLiteral("T"), QStringLiteral("8%1%2").arg(prefix).arg(p)},
              {QStringLiteral("N"), QStringLiteral("Produto %1").arg(p)}});
    }
    return w;
}

void tst_QuotationTools::quotation(const World &w, const QString &number, const QString &buyer, const QDate &first,
                                   const QDate &last, const QList<Item> &items, const char *situation)
{
    const QVariantMap key = {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}};
    QVariantMap head = key;
    head.insert(QStringLiteral("D"), first.addDays(-3));
    head.insert(QStringLiteral("I"), first);
    head.insert(QStringLiteral("E"), last);
    head.insert(QStringLiteral("O"), w.op.value(buyer));
    head.insert(QStringLiteral("S"), QLatin1String(situation));
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, "
                        "IDSITUCOLETA) VALUES (:F, :N, :D, :I, :E, :O, :S)"),
         head);
    QSet<QString> regions, suppliers;
    for (const Item &i : items) {
        QVariantMap row = key;
        row.insert(QStringLiteral("R"), w.region.value(i.region));
        if (!regions.contains(i.region)) {
            regions.insert(i.region);
            exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:F, :N, :R)"), row);
        }
        row.insert(QStringLiteral("S"), w.supplier.value(i.supplier));
        if (!suppliers.contains(i.region + i.supplier)) {
            suppliers.insert(i.region + i.supplier);
            exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES (:F, :N, :R, :S)"),
                 row);
        }
        row.insert(QStringLiteral("P"), w.products.at(i.product));
        row.insert(QStringLiteral("B"), w.brands.at(i.brand));
        row.insert(QStringLiteral("V"), i.price);
        row.insert(QStringLiteral("Q"), i.toBuy);
        exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                            "VRPRECUNIITM, QTACMPITMCOL) VALUES (:F, :N, :R, :S, :P, :B, :V, :Q)"),
             row);
    }
}

QStringList tst_QuotationTools::prices(const World &w, const QString &number)
{
    QStringList out;
    QSqlQuery q = m_current->exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM FROM "
                                                 "ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}});
    while (q.next())
        out << QStringList{w.region.key(q.value(0).toString()), w.supplier.key(q.value(1).toString()),
                           QString::number(w.products.indexOf(q.value(2).toString())),
                           QString::number(w.brands.indexOf(q.value(3).toString())),
                           QString::number(q.value(4).toDouble(), 'f', 5)}
                   .join(QLatin1Char('|'));
    out.sort();
    return out;
}

QStringList tst_QuotationTools::history(const World &w, const QString &number, const QString &columns)
{
    QStringList out = rows(QStringLiteral("SELECT %1 FROM HISTITCOLE WHERE CDFILIAL = :F AND NRCOLEPRECO = :N").arg(columns),
                           {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}});
    out.sort();
    return out;
}

QVariantList tst_QuotationTools::readjustArgs(const World &w, const QString &number, const QVariant &percent,
                                              const QString &region, const QString &supplier, const QString &first,
                                              const QString &last, const QString &prefix)
{
    const QString all = first.isEmpty() && last.isEmpty() ? QStringLiteral("T") : QString();
    const QString lastFilled = last + QString(20 - last.size(), QLatin1Char('Z'));
    return {percent, w.branch, number, first, lastFilled, all, w.branch, number, w.supplier.value(supplier),
            w.region.value(region), kFirst.addDays(-3), prefix, w.op.value(QStringLiteral("A")).trimmed()};
}

QVariantList tst_QuotationTools::itemKey(const World &w, const QString &number, const Item &item)
{
    return {w.branch, number, w.region.value(item.region), w.supplier.value(item.supplier),
            w.products.at(item.product), w.brands.at(item.brand)};
}

QStringList tst_QuotationTools::packetRows(const QVariant &result, const QStringList &fields)
{
    const DataPacket packet = result.value<DataPacket>();
    QStringList out;
    for (int r = 0; r < packet.rowCount(); ++r) {
        QStringList values;
        for (const QString &f : fields) {
            const QVariant v = packet.value(r, f);
            values << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 2) : v.toString().trimmed());
        }
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// --- readjustment ------------------------------------------------------------------------

void tst_QuotationTools::readjustmentRoundsAndAuditsTheRegionAndSupplier()
{
    ENGINE();
    const World w = world(QStringLiteral("a1"));
    const QString n = QStringLiteral("0000000101");
    quotation(w, n, QStringLiteral("A"), kFirst, kLast,
              {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 10.0},
               {QStringLiteral("R1"), QStringLiteral("S1"), 1, 0, 1.23457},
               {QStringLiteral("R1"), QStringLiteral("S1"), 2, 0, 0},
               {QStringLiteral("R1"), QStringLiteral("S1"), 3, 0, 3.33333},
               {QStringLiteral("R1"), QStringLiteral("S2"), 0, 0, 10.0},
               {QStringLiteral("R2"), QStringLiteral("S1"), 0, 0, 10.0}});

    // Every product of region R1 and supplier S1, with the justification prefix.
    const QString prefix = QStringLiteral("Botão Reajustar Preços - de / para: ");
    QCOMPARE(call(w, QStringLiteral("ReajustePreco"),
                  readjustArgs(w, n, 10.0, QStringLiteral("R1"), QStringLiteral("S1"), {}, {}, prefix))
                 .toString(),
             QStringLiteral("ok"));
    QCOMPARE(prices(w, n), (QStringList{QStringLiteral("R1|S1|0|0|11.00000"), QStringLiteral("R1|S1|1|0|1.35803"),
                                        QStringLiteral("R1|S1|2|0|0.00000"), QStringLiteral("R1|S1|3|0|3.66666"),
                                        QStringLiteral("R1|S2|0|0|10.00000"), QStringLiteral("R2|S1|0|0|10.00000")}));
    // Stored with five decimals, not merely shown so.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND "
                                  "ABS(VRPRECUNIITM * 100000 - ROUND(VRPRECUNIITM * 100000)) > 0.0001"),
                   {{QStringLiteral("F"), w.branch}}),
             0);
    // One history row per changed price (the zero price is not one), with the prefix as
    // justification and old and new price in the change text.
    const QString who = w.op.value(QStringLiteral("A")).trimmed();
    auto audit = [&](int product, const char *oldPrice, const char *newPrice, const char *text) {
        return QStringList{w.products.at(product), QStringLiteral("R"), QLatin1String(oldPrice), QLatin1String(newPrice),
                           prefix.trimmed(), prefix + QLatin1String(text), who}
            .join(QLatin1Char('|'));
    };
    QCOMPARE(history(w, n, QStringLiteral("CDPRODUTO, IDTIPALTER, VRPRECANT, VRPRECNOVO, DSJUSTOPER, DSALTERITMCOT, CDOPERADOR")),
             (QStringList{audit(0, "10", "11", "10,00000 / 11,00000"), audit(1, "1.23457", "1.35803", "1,23457 / 1,35803"),
                          audit(3, "3.33333", "3.66666", "3,33333 / 3,66666")}));
    // The items carry the change and its justification.
    QCOMPARE(rows(QStringLiteral("SELECT IDPRECALT, DSJUSTOPER, CDOPERALTE FROM ITCOLETAPR WHERE CDFILIAL = :F AND "
                                 "CDPRODUTO = :P AND CDREGIAO = :R AND CDFORNECED = :S"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("P"), w.products.at(0)},
                   {QStringLiteral("R"), w.region.value(QStringLiteral("R1"))},
                   {QStringLiteral("S"), w.supplier.value(QStringLiteral("S1"))}}),
             QStringList{QStringLiteral("S|%1|%2").arg(prefix.trimmed(), w.op.value(QStringLiteral("A")).trimmed())});

    // A range of tree codes (the last one filled with "Z"), lowering without a prefix:
    // the products from the second on, of which the third has no price and stays at zero.
    QCOMPARE(call(w, QStringLiteral("ReajustePreco"),
                  readjustArgs(w, n, -12.5, QStringLiteral("R1"), QStringLiteral("S1"), QStringLiteral("8a12"),
                               QStringLiteral("8a14")))
                 .toString(),
             QStringLiteral("ok"));
    QCOMPARE(prices(w, n).mid(0, 4), (QStringList{QStringLiteral("R1|S1|0|0|11.00000"), QStringLiteral("R1|S1|1|0|1.18828"),
                                                  QStringLiteral("R1|S1|2|0|0.00000"), QStringLiteral("R1|S1|3|0|3.20833")}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F AND DSJUSTOPER IS NULL AND "
                                  "DSALTERITMCOT LIKE 'Reajuste de -12,5% - de / para: %'"),
                   {{QStringLiteral("F"), w.branch}}),
             2);
}

void tst_QuotationTools::readjustmentAnswersAndRefusals()
{
    ENGINE();
    const World w = world(QStringLiteral("a2"));
    const QString n = QStringLiteral("0000000201");
    const QString concluded = QStringLiteral("0000000202");
    const QString ofD = QStringLiteral("0000000203");
    const QList<Item> items = {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 10.0},
                               {QStringLiteral("R1"), QStringLiteral("S2"), 1, 0, 0}};
    quotation(w, n, QStringLiteral("A"), kFirst, kLast, items);
    quotation(w, concluded, QStringLiteral("A"), kFirst, kLast, items, "C");
    quotation(w, ofD, QStringLiteral("D"), kFirst, kLast, items);
    const QStringList before = prices(w, n);

    auto readjust = [&](const QVariantList &args) { return call(w, QStringLiteral("ReajustePreco"), args).toString(); };
    // No percentage: an empty edit arrives as null, or as zero.
    QCOMPARE(readjust(readjustArgs(w, n, QVariant(), QStringLiteral("R1"), QStringLiteral("S1"))), QStringLiteral("Reaj_Deve"));
    QCOMPARE(readjust(readjustArgs(w, n, 0.0, QStringLiteral("R1"), QStringLiteral("S1"))), QStringLiteral("Reaj_Deve"));
    // Nothing to readjust: a range without products, a supplier with zero prices only.
    QCOMPARE(readjust(readjustArgs(w, n, 5.0, QStringLiteral("R1"), QStringLiteral("S1"), QStringLiteral("8a23"),
                                   QStringLiteral("8a24"))),
             QStringLiteral("Prod_Inv"));
    QCOMPARE(readjust(readjustArgs(w, n, 5.0, QStringLiteral("R1"), QStringLiteral("S2"))), QStringLiteral("Prod_Inv"));
    // Out of range: a price would fall below zero.
    QVERIFY(readjust(readjustArgs(w, n, -150.0, QStringLiteral("R1"), QStringLiteral("S1"))).contains(QStringLiteral("-150")));
    // The quotation shown must be the one selected.
    QVariantList other = readjustArgs(w, n, 5.0, QStringLiteral("R1"), QStringLiteral("S1"));
    other[2] = concluded;
    QVERIFY(readjust(other).startsWith(QStringLiteral("A cotação")));
    // A concluded quotation, and a buyer whose quotations the operator may not handle.
    QVERIFY(readjust(readjustArgs(w, concluded, 5.0, QStringLiteral("R1"), QStringLiteral("S1"))).contains(QStringLiteral("concluída")));
    const QString refused = readjust(readjustArgs(w, ofD, 5.0, QStringLiteral("R1"), QStringLiteral("S1")));
    QVERIFY2(!refused.isEmpty() && refused != QLatin1String("ok"), qPrintable(refused));
    // None of these wrote anything.
    QCOMPARE(prices(w, n), before);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND CDOPERALTE IS NOT NULL"),
                   {{QStringLiteral("F"), w.branch}}),
             0);
}

// --- best prices -------------------------------------------------------------------------

void tst_QuotationTools::bestPricesTakeTheLowestOfThePeriod()
{
    ENGINE();
    const World w = world(QStringLiteral("b1"));
    const QString target = QStringLiteral("0000000301");
    const Item a{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 0};
    const Item b{QStringLiteral("R1"), QStringLiteral("S1"), 1, 0, 8.0};
    const Item c{QStringLiteral("R2"), QStringLiteral("S2"), 2, 1, 4.0};
    const Item d{QStringLiteral("R2"), QStringLiteral("S1"), 3, 0, 6.0};
    quotation(w, target, QStringLiteral("A"), kFirst.addDays(7), kLast.addDays(7), {a, b, c, d});
    auto with = [](Item i, double price) {
        i.price = price;
        return i;
    };
    // Two quotations of the period (last week), by other buyers too.
    quotation(w, QStringLiteral("0000000302"), QStringLiteral("B"), kFirst, kLast,
              {with(a, 5.0), with(b, 0), with(c, 4.0), with(d, 7.5)});
    quotation(w, QStringLiteral("0000000303"), QStringLiteral("A"), kFirst.addDays(2), kLast,
              {with(a, 4.5), with(b, 9.0), with(c, 4.0)});
    // Outside the period (it starts before it), cheaper: not taken.
    quotation(w, QStringLiteral("0000000304"), QStringLiteral("A"), kFirst.addDays(-1), kLast, {with(a, 1.0), with(d, 1.0)});

    QCOMPARE(call(w, QStringLiteral("CargMelhorsPrs"), {w.branch, target, kFirst, kLast}).toString(), QString());
    // a: the lowest of 5 and 4.5; b: the only price above zero; c: the same price, left
    // alone; d: taken even above the current price.
    QCOMPARE(prices(w, target), (QStringList{QStringLiteral("R1|S1|0|0|4.50000"), QStringLiteral("R1|S1|1|0|9.00000"),
                                             QStringLiteral("R2|S1|3|0|7.50000"), QStringLiteral("R2|S2|2|1|4.00000")}));
    QCOMPARE(history(w, target, QStringLiteral("CDPRODUTO, IDTIPALTER, VRPRECANT, VRPRECNOVO")),
             (QStringList{QStringLiteral("%1|C|0|4.5").arg(w.products.at(0)),
                          QStringLiteral("%1|C|8|9").arg(w.products.at(1)),
                          QStringLiteral("%1|C|6|7.5").arg(w.products.at(3))}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F AND DSALTERITMCOT = "
                                  "'Melhor preço da validade de 14/12/2026 a 20/12/2026 - de / para: 0,00000 / 4,50000'"),
                   {{QStringLiteral("F"), w.branch}}),
             1);
    // Priced mark on all three, price-altered mark only where a price was replaced.
    QCOMPARE(rows(QStringLiteral("SELECT CDPRODUTO, IDITMCOTPREC, IDPRECALT FROM ITCOLETAPR WHERE CDFILIAL = :F AND "
                                 "NRCOLEPRECO = :N AND CDOPERALTE IS NOT NULL ORDER BY CDPRODUTO"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), target}}),
             (QStringList{QStringLiteral("%1|S|N").arg(w.products.at(0)), QStringLiteral("%1|S|S").arg(w.products.at(1)),
                          QStringLiteral("%1|S|S").arg(w.products.at(3))}));
    // Loading again changes nothing and writes no history.
    QCOMPARE(call(w, QStringLiteral("CargMelhorsPrs"), {w.branch, target, kFirst, kLast}).toString(), QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 3);
}

void tst_QuotationTools::bestPricesRefusalsWriteNothing()
{
    ENGINE();
    const World w = world(QStringLiteral("b2"));
    const QString target = QStringLiteral("0000000401");
    const Item a{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 3.0};
    quotation(w, target, QStringLiteral("A"), kFirst.addDays(7), kLast.addDays(7), {a});
    quotation(w, QStringLiteral("0000000402"), QStringLiteral("D"), kFirst, kLast, {{a.region, a.supplier, 0, 0, 2.0}});
    quotation(w, QStringLiteral("0000000403"), QStringLiteral("D"), kFirst.addDays(7), kLast.addDays(7),
              {{a.region, a.supplier, 0, 0, 2.5}});
    quotation(w, QStringLiteral("0000000404"), QStringLiteral("A"), kFirst.addDays(7), kLast.addDays(7),
              {{a.region, a.supplier, 0, 0, 2.5}}, "C");
    auto load = [&](const QString &number, const QVariant &first, const QVariant &last) {
        return call(w, QStringLiteral("CargMelhorsPrs"), {w.branch, number, first, last}).toString();
    };
    QCOMPARE(load(target, QVariant(), kLast), QStringLiteral("Data de validade inicial deve ser informada."));
    QCOMPARE(load(target, kFirst, QVariant()), QStringLiteral("Data de validade final deve ser informada."));
    QVERIFY(!load(target, kLast, kFirst).isEmpty());
    // A period without any price for the quotation's items (the quotation itself does not
    // count as a source).
    QCOMPARE(load(target, kFirst.addDays(28), kLast.addDays(28)),
             QStringLiteral("Não há preço nas cotações da validade de 11/01/2027 a 17/01/2027 para os itens desta cotação."));
    // D's quotation: the operator may not handle it; a concluded quotation stays.
    QVERIFY(!load(QStringLiteral("0000000403"), kFirst, kLast).isEmpty());
    QVERIFY(load(QStringLiteral("0000000404"), kFirst, kLast).contains(QStringLiteral("concluída")));
    QCOMPARE(prices(w, target), QStringList{QStringLiteral("R1|S1|0|0|3.00000")});
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);
    QCOMPARE(count(QStringLiteral("SELECT SUM(VRPRECUNIITM) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO IN "
                                  "('0000000403', '0000000404')"),
                   {{QStringLiteral("F"), w.branch}}),
             5);
}

// --- quantities to buy and payment terms -------------------------------------------------

void tst_QuotationTools::quantitiesToBuyAndPaymentTerms()
{
    ENGINE();
    const World w = world(QStringLiteral("c1"));
    const QString n = QStringLiteral("0000000501");
    quotation(w, n, QStringLiteral("A"), kFirst, kLast,
              {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 1.0, 99},
               {QStringLiteral("R2"), QStringLiteral("S2"), 0, 1, 1.0, 0},
               {QStringLiteral("R1"), QStringLiteral("S1"), 1, 0, 1.0, 3},
               {QStringLiteral("R1"), QStringLiteral("S2"), 2, 0, 1.0, 0}});
    // Open requests of product 0 by the central branch and its store (partly fulfilled);
    // a fulfilled and a cancelled request, and one of a branch of another central, do not
    // count.  Product 2 has 4 to buy.
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (:F, 'Outra')"), {{QStringLiteral("F"), QStringLiteral("06") + w.prefix}});
    const struct { QString branch; const char *number; int product; double qty; double done; const char *situ; } requests[] = {
        {w.branch, "1", 0, 10, 0, "A"},  {w.store, "2", 0, 5, 2, "A"},  {w.store, "3", 0, 50, 50, "F"},
        {w.store, "4", 0, 70, 0, "C"},   {QStringLiteral("06") + w.prefix, "5", 0, 80, 0, "A"},
        {w.branch, "6", 2, 4, 0, "A"}};
    for (const auto &r : requests)
        exec(QStringLiteral("INSERT INTO SOLICOMPRA (CDFILIAL, NRSOLICOMP, CDPRODUTO, QTSOLICOMP, QTATENDSOLI, DTSOLICOMP, "
                            "IDSITUSOLI) VALUES (:F, :N, :P, :Q, :D, :T, :S)"),
             {{QStringLiteral("F"), r.branch}, {QStringLiteral("N"), QLatin1String(r.number)},
              {QStringLiteral("P"), w.products.at(r.product)}, {QStringLiteral("Q"), r.qty},
              {QStringLiteral("D"), r.done}, {QStringLiteral("T"), kFirst}, {QStringLiteral("S"), QLatin1String(r.situ)}});

    // The operator who may not handle the buyer's quotations changes nothing.
    QVERIFY(!call(w, QStringLiteral("CargAcomprar"), {w.branch, n}, QStringLiteral("X")).toString().isEmpty());
    QCOMPARE(call(w, QStringLiteral("CargAcomprar"), {w.branch, n}).toString(), QString());
    QCOMPARE(rows(QStringLiteral("SELECT CDPRODUTO, CDMARCA, QTACMPITMCOL FROM ITCOLETAPR WHERE CDFILIAL = :F ORDER BY "
                                 "CDPRODUTO, CDMARCA"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("%1|%2|13").arg(w.products.at(0), w.brands.at(0).trimmed()),
                          QStringLiteral("%1|%2|13").arg(w.products.at(0), w.brands.at(1).trimmed()),
                          QStringLiteral("%1|%2|0").arg(w.products.at(1), w.brands.at(0).trimmed()),
                          QStringLiteral("%1|%2|4").arg(w.products.at(2), w.brands.at(0).trimmed())}));
    QCOMPARE(rows(QStringLiteral("SELECT NMCAMPO, DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}),
             QStringList{QStringLiteral("QTACMPITMCOL|4 itens alterados")});

    // Payment terms: S1's items take its term, S2 (none) stays without.
    exec(QStringLiteral("UPDATE ITCOLETAPR SET CDFORMPGTO = :P WHERE CDFILIAL = :F AND CDFORNECED = :S"),
         {{QStringLiteral("P"), w.term}, {QStringLiteral("F"), w.branch}, {QStringLiteral("S"), w.supplier.value(QStringLiteral("S2"))}});
    const QVariant terms = call(w, QStringLiteral("AtualizaFormPgto"), {w.branch, n});
    QVERIFY2(terms.canConvert<DataPacket>(), qPrintable(terms.toString()));
    QCOMPARE(packetRows(terms, {QStringLiteral("CDFORNECED"), QStringLiteral("CDFORMPGTO"), QStringLiteral("DSFORMPGTO"),
                                QStringLiteral("QTITENS")}),
             (QStringList{QStringLiteral("%1|%2|30 dias|2.00").arg(w.supplier.value(QStringLiteral("S1")).trimmed(), w.term),
                          QStringLiteral("%1|||2.00").arg(w.supplier.value(QStringLiteral("S2")).trimmed())}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F AND NMCAMPO = 'CDFORMPGTO' AND "
                                  "DSVALORNOVO = '4 itens alterados'"),
                   {{QStringLiteral("F"), w.branch}}),
             1);
    QVERIFY(call(w, QStringLiteral("AtualizaFormPgto"), {w.branch, n}, QStringLiteral("X")).toString().startsWith(QLatin1Char('3')));
}

// --- item observation --------------------------------------------------------------------

void tst_QuotationTools::observationIsNeverOverwrittenSilently()
{
    ENGINE();
    const World w = world(QStringLiteral("d1"));
    const QString n = QStringLiteral("0000000601");
    const Item item{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 1.0};
    quotation(w, n, QStringLiteral("A"), kFirst, kLast, {item});
    const QVariantList key = itemKey(w, n, item);
    auto read = [&] { return packetRows(call(w, QStringLiteral("GetObsItmCol"), key), {QStringLiteral("DSOBSITMCOL")}); };
    // "true" when stored, else the refusal ("3" + text).
    auto write = [&](const QString &text, const QString &old, const QString &who = QStringLiteral("A")) {
        return call(w, QStringLiteral("SetObsItmCol"), key + QVariantList{text, old}, who).toString();
    };
    QCOMPARE(read(), QStringList{QString()});

    // Two buyers read the empty observation; the first stores, the second is refused with
    // the item named and the first one's text kept.
    QCOMPARE(write(QStringLiteral("Entrega às terças"), QString()), QStringLiteral("true"));
    const QString refused = write(QStringLiteral("Só à vista"), QString(), QStringLiteral("B"));
    QVERIFY2(refused.startsWith(QStringLiteral("3A observação do item (produto %1").arg(w.products.at(0))), qPrintable(refused));
    QCOMPARE(read(), QStringList{QStringLiteral("Entrega às terças")});
    // With the value read, the second buyer stores; the change is audited with the item.
    QCOMPARE(write(QStringLiteral("Só à vista"), QStringLiteral("Entrega às terças"), QStringLiteral("B")), QStringLiteral("true"));
    QCOMPARE(read(), QStringList{QStringLiteral("Só à vista")});
    const QString itemText = QStringLiteral("produto %1, marca %2, região %3, fornecedor %4: ")
                                 .arg(w.products.at(0), w.brands.at(0).trimmed(), w.region.value(QStringLiteral("R1")),
                                      w.supplier.value(QStringLiteral("S1")).trimmed());
    QCOMPARE(rows(QStringLiteral("SELECT CDOPERADOR, DSVALORANT, DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = :F AND "
                                 "NMCAMPO = 'DSOBSITMCOL' ORDER BY NRSEQHIST"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("%1|%2|%3Entrega às terças").arg(w.op.value(QStringLiteral("A")).trimmed(), itemText.trimmed(), itemText),
                          QStringLiteral("%1|%2Entrega às terças|%2Só à vista").arg(w.op.value(QStringLiteral("B")).trimmed(), itemText)}));
    // Unchanged text: accepted, nothing written.
    QCOMPARE(write(QStringLiteral("Só à vista"), QStringLiteral("Só à vista")), QStringLiteral("true"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 2);
    // A text longer than the column, an operator who may not, an unknown item: refused.
    QVERIFY(write(QString(1001, QLatin1Char('x')), QStringLiteral("Só à vista")).startsWith(QLatin1Char('3')));
    QVERIFY(write(QStringLiteral("Outra"), QStringLiteral("Só à vista"), QStringLiteral("X")).startsWith(QLatin1Char('3')));
    QVariantList unknown = key;
    unknown[5] = w.brands.at(1);
    QVERIFY(call(w, QStringLiteral("GetObsItmCol"), unknown).toString().startsWith(QStringLiteral("3O item")));
    QVERIFY(call(w, QStringLiteral("SetObsItmCol"), unknown + QVariantList{QStringLiteral("x"), QString()})
                .toString()
                .startsWith(QStringLiteral("3O item")));
    QCOMPARE(read(), QStringList{QStringLiteral("Só à vista")});
    // A long observation is returned whole; clearing it stores no text.
    const QString longText = QString(700, QLatin1Char('y'));
    QCOMPARE(write(longText, QStringLiteral("Só à vista")), QStringLiteral("true"));
    QCOMPARE(read(), QStringList{longText});
    QCOMPARE(write(QString(), longText), QStringLiteral("true"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND DSOBSITMCOL IS NULL"),
                   {{QStringLiteral("F"), w.branch}}),
             1);
}

// --- module reads ------------------------------------------------------------------------

void tst_QuotationTools::moduleReadsOfAnItem()
{
    ENGINE();
    const World w = world(QStringLiteral("e1"));
    const QString n = QStringLiteral("0000000702");
    quotation(w, n, QStringLiteral("A"), kFirst, kLast,
              {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 5.0, 10},
               {QStringLiteral("R1"), QStringLiteral("S2"), 0, 0, 4.0, 10},
               {QStringLiteral("R1"), QStringLiteral("S2"), 0, 1, 0, 10},
               {QStringLiteral("R2"), QStringLiteral("S1"), 0, 0, 3.0, 2},
               {QStringLiteral("R2"), QStringLiteral("S2"), 0, 0, 3.0, 1},
               {QStringLiteral("R1"), QStringLiteral("S1"), 1, 0, 1.0, 1}});
    // Earlier quotations: R1 prices of the product and brand (one without price), and one
    // of R2 that the history of R1 leaves out; a later quotation is no history either.
    quotation(w, QStringLiteral("0000000701"), QStringLiteral("A"), kFirst.addDays(-7), kLast.addDays(-7),
              {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 4.8}, {QStringLiteral("R1"), QStringLiteral("S2"), 0, 0, 0},
               {QStringLiteral("R2"), QStringLiteral("S1"), 0, 0, 2.0}});
    quotation(w, QStringLiteral("0000000700"), QStringLiteral("B"), kFirst.addDays(-14), kLast.addDays(-14),
              {{QStringLiteral("R1"), QStringLiteral("S2"), 0, 0, 4.4}});
    quotation(w, QStringLiteral("0000000703"), QStringLiteral("A"), kFirst.addDays(7), kLast.addDays(7),
              {{QStringLiteral("R1"), QStringLiteral("S1"), 0, 0, 9.9}});
    const QString p = w.products.at(0);
    const QString s1 = w.supplier.value(QStringLiteral("S1"));
    const QString s2 = w.supplier.value(QStringLiteral("S2"));

    // Simulation: every region, supplier and brand of the product, cheapest first within a
    // region, the cheapest price above zero marked, costs and supplier totals.
    const QVariant sim = call(w, QStringLiteral("GetSimulacaoItem"),
                              {w.branch, n, s1, p, w.brands.at(0), w.region.value(QStringLiteral("R1"))});
    QVERIFY2(sim.canConvert<DataPacket>(), qPrintable(sim.toString()));
    const QString r1 = w.region.value(QStringLiteral("R1"));
    const QString r2 = w.region.value(QStringLiteral("R2"));
    QCOMPARE(packetRows(sim, {QStringLiteral("CDREGIAO"), QStringLiteral("CDFORNECED"), QStringLiteral("CDMARCA"),
                              QStringLiteral("VRPRECUNIITM"), QStringLiteral("VRTOTITEM"), QStringLiteral("VRTOTFORN"),
                              QStringLiteral("IDMELHORPR"), QStringLiteral("IDITEMATUAL"), QStringLiteral("DSFORMPGTO")}),
             (QStringList{QStringLiteral("%1|%2|%3|4.00|40.00|43.00|S|N|").arg(r1, s2.trimmed(), w.brands.at(0).trimmed()),
                          QStringLiteral("%1|%2|%3|5.00|50.00|56.00|N|S|").arg(r1, s1.trimmed(), w.brands.at(0).trimmed()),
                          QStringLiteral("%1|%2|%3|0.00|0.00|43.00|N|N|").arg(r1, s2.trimmed(), w.brands.at(1).trimmed()),
                          QStringLiteral("%1|%2|%3|3.00|6.00|56.00|S|N|").arg(r2, s1.trimmed(), w.brands.at(0).trimmed()),
                          QStringLiteral("%1|%2|%3|3.00|3.00|43.00|S|N|").arg(r2, s2.trimmed(), w.brands.at(0).trimmed())}));
    QVERIFY(call(w, QStringLiteral("GetSimulacaoItem"), {w.branch, n, s1, w.products.at(3), w.brands.at(0), r1})
                .toString()
                .startsWith(QLatin1Char('3')));

    // Spreadsheet: the item's rows in the quotation, then its history in the region,
    // newest first, prices above zero of earlier quotations only.
    const QVariant sheet = call(w, QStringLiteral("GetPlanilhaItem"), {w.branch, n, s1, p, w.brands.at(0), r1});
    QVERIFY2(sheet.canConvert<DataPacket>(), qPrintable(sheet.toString()));
    QCOMPARE(packetRows(sheet, {QStringLiteral("IDTIPOLINHA"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                                QStringLiteral("CDFORNECED"), QStringLiteral("VRPRECUNIITM")}),
             (QStringList{QStringLiteral("C|%1|%2|%3|5.00").arg(n, r1, s1.trimmed()),
                          QStringLiteral("C|%1|%2|%3|4.00").arg(n, r1, s2.trimmed()),
                          QStringLiteral("C|%1|%2|%3|3.00").arg(n, r2, s1.trimmed()),
                          QStringLiteral("C|%1|%2|%3|3.00").arg(n, r2, s2.trimmed()),
                          QStringLiteral("H|0000000701|%1|%2|4.80").arg(r1, s1.trimmed()),
                          QStringLiteral("H|0000000700|%1|%2|4.40").arg(r1, s2.trimmed())}));
    // An item the quotation does not hold.
    QVERIFY(call(w, QStringLiteral("GetPlanilhaItem"), {w.branch, n, s1, p, w.brands.at(1), r1}).toString().startsWith(QLatin1Char('3')));
}

QTEST_GUILESS_MAIN(tst_QuotationTools)
#include "tst_quotationtools.moc"
