// Copying quotations to a new validity (DuplicaCotacao, GetConsCotAn and the copy dialog's
// look-ups) and moving quotations between validities (GetCotacao, AlteraValidade), called
// through the method table on a fresh SQLite database and, when the environment names a
// PostgreSQL server (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.  Each test builds a
// central branch of its own, with its buyers, regions, suppliers, products and quotations,
// so the demo rows never take part.

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

#include <cmath>

namespace {

const QString kNoData = QStringLiteral("Não há cotação para o comprador no período de validade informado.");
// The source quotations' validity, and the new validity the copies go to.
const QDate kOldFirst(2026, 12, 14);
const QDate kOldLast(2026, 12, 20);
const QDate kNewFirst(2027, 1, 4);
const QDate kNewLast(2027, 1, 10);

// One item of a quotation a test stores: region and supplier as named in the World,
// product index, prices.
struct Item
{
    QString region;   // "R1" or "R2"
    QString supplier; // "N" normal, "OL1", "OL2" OL suppliers
    int product = 0;
    double price = 0;
    double eco = 0;
    double pi = 0;
};

// A central branch of a test's own: buyers A, B and C (any of them may handle the others'
// quotations: IDUMPRODCMP 'S'), buyer D with a related operator X only (so A may not handle
// D's quotations), regions R1 and R2, a normal supplier N and OL suppliers OL1 and OL2
// serving both, four products with one brand.
struct World
{
    QString prefix;
    QString branch;
    QHash<QString, QString> op;       // "A" -> padded code
    QHash<QString, QString> region;   // "R1" -> code
    QHash<QString, QString> supplier; // "N" -> code
    QStringList products;
    QString brand;
};

struct CopyArgs
{
    QString branch;
    QString firstWeek = QStringLiteral("01");
    QString lastWeek = QStringLiteral("01");
    QDate first = kNewFirst;
    QDate last = kNewLast;
    QString number;
    QDate periodFirst;
    QDate periodLast;
    QDate collection = QDate::currentDate().addDays(-1);
    double percent = 0;
    QString buyers;
    bool byPeriod = false;
    bool buyerList = false;
    QString op;
    bool regionList = false;
    QString regions;
    QString olSuppliers;

    QVariantList list() const
    {
        return {branch, firstWeek, lastWeek, first, last, number, periodFirst, periodLast, collection, percent,
                buyers, byPeriod, buyerList, branch, op, regionList, regions, olSuppliers, kNoData};
    }
};

QString op(const QString &code) { return padOperator(code); }

double round5(double v) { return std::round(v * 100000.0) / 100000.0; }

} // namespace

class tst_QuotationCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void copyReadjustsAndRoundsPrices_data() { engines(); }
    void copyReadjustsAndRoundsPrices();
    void copiesTakeTheNextFreeNumbers_data() { engines(); }
    void copiesTakeTheNextFreeNumbers();
    void regionAndOlListsRestrictTheCopy_data() { engines(); }
    void regionAndOlListsRestrictTheCopy();
    void periodCopyTakesTheListedBuyers_data() { engines(); }
    void periodCopyTakesTheListedBuyers();
    void refusalsAreListedWithTheirReasons_data() { engines(); }
    void refusalsAreListedWithTheirReasons();
    void questionAnswersWhatTheCopyRefuses_data() { engines(); }
    void questionAnswersWhatTheCopyRefuses();
    void invalidRequestsWriteNothing_data() { engines(); }
    void invalidRequestsWriteNothing();
    void failedCopyRollsEverythingBack_data() { engines(); }
    void failedCopyRollsEverythingBack();
    void lookupsOfTheCopyDialog_data() { engines(); }
    void lookupsOfTheCopyDialog();

    void validityListAndMove_data() { engines(); }
    void validityListAndMove();
    void validityChangeRefusesAsAWhole_data() { engines(); }
    void validityChangeRefusesAsAWhole();

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
    CopyArgs copyArgs(const World &w, const QString &number = QString()) const;
    // "region|supplier|product|price|eco|pi" of every item of a quotation of the world.
    QStringList itemsOf(const World &w, const QString &number);
    QString nameOf(const World &w, const QHash<QString, QString> &names, const QString &code) const;

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("qcopy")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("qcopy")};
    Database *m_current = nullptr;
};

void tst_QuotationCopy::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::SmallDemo, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::SmallDemo, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

bool tst_QuotationCopy::useEngine(bool postgres)
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

QVariant tst_QuotationCopy::call(const World &w, const QString &method, QVariantList args, const QString &who)
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

QStringList tst_QuotationCopy::rows(const QString &sql, const QVariantMap &params)
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

qlonglong tst_QuotationCopy::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

World tst_QuotationCopy::world(const QString &prefix)
{
    World w;
    w.prefix = prefix;
    w.branch = QStringLiteral("09") + prefix;
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES (:F, :N, 'C')"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), QStringLiteral("Central ") + prefix}});
    exec(QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL, IDUMPRODCMP) VALUES (:F, 'S')"), {{QStringLiteral("F"), w.branch}});
    for (const char *who : {"A", "B", "C", "D", "X"}) {
        const QString code = op(QStringLiteral("CP%1%2").arg(prefix, QLatin1String(who)));
        w.op.insert(QLatin1String(who), code);
        exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, CDFILIAL) VALUES (:O, :N, 'x', :F)"),
             {{QStringLiteral("O"), code}, {QStringLiteral("N"), QStringLiteral("Comprador %1").arg(QLatin1String(who))},
              {QStringLiteral("F"), w.branch}});
        if (QLatin1String(who) != QLatin1String("X"))
            exec(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:O, :F)"),
                 {{QStringLiteral("O"), code}, {QStringLiteral("F"), w.branch}});
    }
    exec(QStringLiteral("INSERT INTO COMPROPER (CDCOMPRADOR, CDOPERADOR) VALUES (:C, :O)"),
         {{QStringLiteral("C"), w.op.value(QStringLiteral("D"))}, {QStringLiteral("O"), w.op.value(QStringLiteral("X"))}});
    for (const char *r : {"R1", "R2"}) {
        const QString code = QString(QLatin1Char(r[1] == '1' ? 'R' : 'S')) + prefix;
        w.region.insert(QLatin1String(r), code);
        exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:R, :N)"),
             {{QStringLiteral("R"), code}, {QStringLiteral("N"), QStringLiteral("Região ") + code}});
    }
    const struct { const char *name; const char *ol; int n; } suppliers[] = {{"N", "N", 1}, {"OL1", "S", 2}, {"OL2", "S", 3}};
    for (const auto &s : suppliers) {
        const QString code = padCode(QStringLiteral("8%1%2").arg(prefix).arg(s.n), 21);
        w.supplier.insert(QLatin1String(s.name), code);
        exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, IDSITUCADA, "
                            "IDFORNOL) VALUES (:F, 'O', :N, :N, 'A', :OL)"),
             {{QStringLiteral("F"), code}, {QStringLiteral("N"), code.right(14)},
              {QStringLiteral("OL"), QLatin1String(s.ol)}});
        for (const QString &r : w.region)
            exec(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:F, :R)"),
                 {{QStringLiteral("F"), code}, {QStringLiteral("R"), r}});
    }
    w.brand = padCode(QStringLiteral("8") + prefix, 5);
    exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:B, 'Marca')"), {{QStringLiteral("B"), w.brand}});
    for (int p = 1; p <= 4; ++p) {
        const QString code = QStringLiteral("8%1%2").arg(prefix).arg(p, 7, 10, QLatin1Char('0'));
        w.products << code;
        exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD) "
                            "VALUES (:C, :T, :N, '3', 'S')"),
             {{QStringLiteral("C"), code}, {QStringLiteral("T"), QStringLiteral("8%1%2").arg(prefix).arg(p)},
              {QStringLiteral("N"), QStringLiteral("Produto %1").arg(p)}});
        exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA) VALUES (:P, :B)"),
             {{QStringLiteral("P"), code}, {QStringLiteral("B"), w.brand}});
    }
    return w;
}

void tst_QuotationCopy::quotation(const World &w, const QString &number, const QString &buyer, const QDate &first,
                                  const QDate &last, const QList<Item> &items, const char *situation)
{
    const QVariantMap key = {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}};
    QVariantMap head = key;
    head.insert(QStringLiteral("D"), first.addDays(-3));
    head.insert(QStringLiteral("I"), first);
    head.insert(QStringLiteral("E"), last);
    head.insert(QStringLiteral("O"), w.op.value(buyer));
    head.insert(QStringLiteral("S"), QLatin1String(situation));
    head.insert(QStringLiteral("WI"), padCode(QString::number(first.weekNumber()), 2));
    head.insert(QStringLiteral("WF"), padCode(QString::number(last.weekNumber()), 2));
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, NRSEMAINIC, NRSEMAFINAL, DTINIVALCOL, "
                        "DTFINVALCOL, CDOPERADOR, IDSITUCOLETA, DSOBSCOTPREC, IDDISMONTLIS) "
                        "VALUES (:F, :N, :D, :WI, :WF, :I, :E, :O, :S, 'Observação da origem', 'N')"),
         head);
    QSet<QString> regions, suppliers;
    for (const Item &i : items) {
        const QString region = w.region.value(i.region);
        const QString supplier = w.supplier.value(i.supplier);
        QVariantMap row = key;
        row.insert(QStringLiteral("R"), region);
        if (!regions.contains(region)) {
            regions.insert(region);
            exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:F, :N, :R)"), row);
        }
        row.insert(QStringLiteral("S"), supplier);
        if (!suppliers.contains(region + supplier)) {
            suppliers.insert(region + supplier);
            exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES (:F, :N, :R, :S)"),
                 row);
        }
        row.insert(QStringLiteral("P"), w.products.at(i.product));
        row.insert(QStringLiteral("B"), w.brand);
        row.insert(QStringLiteral("V"), i.price);
        row.insert(QStringLiteral("E"), i.eco);
        row.insert(QStringLiteral("PI"), i.pi);
        exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                            "VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL, IDPRECALT, DSJUSTOPER) "
                            "VALUES (:F, :N, :R, :S, :P, :B, :V, :E, :PI, 7, 'S', 'Troca de marca')"),
             row);
    }
}

CopyArgs tst_QuotationCopy::copyArgs(const World &w, const QString &number) const
{
    CopyArgs a;
    a.branch = w.branch;
    a.number = number;
    a.op = w.op.value(QStringLiteral("A")).trimmed();
    return a;
}

QString tst_QuotationCopy::nameOf(const World &, const QHash<QString, QString> &names, const QString &code) const
{
    for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
        if (it.value().trimmed() == code.trimmed())
            return it.key();
    }
    return code;
}

QStringList tst_QuotationCopy::itemsOf(const World &w, const QString &number)
{
    QStringList out;
    QSqlQuery q = m_current->exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, VRPRECUNIITM, VRPRECECOITM, "
                                                 "VRPRECOITMPI FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}});
    while (q.next()) {
        out << QStringList{nameOf(w, w.region, q.value(0).toString()), nameOf(w, w.supplier, q.value(1).toString()),
                           QString::number(w.products.indexOf(q.value(2).toString())),
                           QString::number(q.value(3).toDouble(), 'f', 5), QString::number(q.value(4).toDouble(), 'f', 5),
                           QString::number(q.value(5).toDouble(), 'f', 5)}
                   .join(QLatin1Char('|'));
    }
    out.sort();
    return out;
}

// --- copying ---------------------------------------------------------------------------------

void tst_QuotationCopy::copyReadjustsAndRoundsPrices()
{
    ENGINE();
    const World w = world(QStringLiteral("31"));
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast,
              {{QStringLiteral("R1"), QStringLiteral("N"), 0, 10.0, 9.5, 9.0},
               {QStringLiteral("R1"), QStringLiteral("N"), 1, 1.23457, 1.2, 0},
               {QStringLiteral("R2"), QStringLiteral("OL1"), 2, 3.33333, 0, 0},
               {QStringLiteral("R2"), QStringLiteral("OL1"), 3, 0, 0, 0}});
    CopyArgs a = copyArgs(w, QStringLiteral("0000000101"));
    a.percent = 10;
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), QStringLiteral("X"));

    // The next free number of the branch: one after the highest stored.
    const QString copy = QStringLiteral("0000000102");
    QCOMPARE(itemsOf(w, copy), (QStringList{QStringLiteral("R1|N|0|11.00000|10.45000|9.90000"),
                                            QStringLiteral("R1|N|1|1.35803|1.32000|0.00000"),
                                            QStringLiteral("R2|OL1|2|3.66666|0.00000|0.00000"),
                                            QStringLiteral("R2|OL1|3|0.00000|0.00000|0.00000")}));
    // The header: new validity, weeks and collection, the source's buyer, in progress.
    QCOMPARE(rows(QStringLiteral("SELECT NRSEMAINIC, NRSEMAFINAL, DTINIVALCOL, DTFINVALCOL, DTCOLEPREC, CDOPERADOR, "
                                 "IDSITUCOLETA, IDTIPCOLREG, DSOBSCOTPREC, IDDISMONTLIS, CDOPERINCL FROM COLETAPR "
                                 "WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), copy}})
                 .value(0)
                 .replace(QStringLiteral("T00:00:00"), QString()),
             QStringList({QStringLiteral("01"), QStringLiteral("01"), kNewFirst.toString(Qt::ISODate),
                          kNewLast.toString(Qt::ISODate), a.collection.toString(Qt::ISODate),
                          w.op.value(QStringLiteral("A")).trimmed(), QStringLiteral("A"), QStringLiteral("L"),
                          QStringLiteral("Observação da origem"), QStringLiteral("N"),
                          w.op.value(QStringLiteral("A")).trimmed()})
                 .join(QLatin1Char('|')));
    // Keyed marks and justifications stay with the source; quantities go along.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N "
                                  "AND IDPRECALT = 'N' AND DSJUSTOPER IS NULL AND QTACMPITMCOL = 7"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), copy}}),
             4);
    QCOMPARE(rows(QStringLiteral("SELECT NRCOLEPRECO, NMCAMPO, DSVALORANT, DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = :F "
                                 "ORDER BY NRCOLEPRECO"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("0000000101|DUPLICADA||0000000102"),
                          QStringLiteral("0000000102|DUPLICACAO|0000000101|CDOPERADOR=%1;ITENS=4;REAJUSTE=10.00")
                              .arg(w.op.value(QStringLiteral("A")).trimmed())}));

    // A lowering, rounded the same way, on a fresh copy of the same source.
    a.percent = -12.5;
    a.first = kNewFirst.addDays(14);
    a.last = kNewLast.addDays(14);
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), QStringLiteral("X"));
    const QStringList lowered = itemsOf(w, QStringLiteral("0000000103"));
    QCOMPARE(lowered.value(0), QStringLiteral("R1|N|0|8.75000|8.31250|7.87500"));
    QCOMPARE(lowered.value(1), QStringLiteral("R1|N|1|%1|1.05000|0.00000").arg(round5(1.23457 * 0.875), 0, 'f', 5));
    QCOMPARE(lowered.value(1).section(QLatin1Char('|'), 3, 3), QStringLiteral("1.08025"));
    QCOMPARE(lowered.value(2).section(QLatin1Char('|'), 3, 3), QStringLiteral("2.91666"));
    // Stored with five decimals at most, not merely shown so.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000103' "
                                  "AND ABS(VRPRECUNIITM * 100000 - ROUND(VRPRECUNIITM * 100000)) > 0.0001"),
                   {{QStringLiteral("F"), w.branch}}),
             0);
}

void tst_QuotationCopy::copiesTakeTheNextFreeNumbers()
{
    ENGINE();
    const World w = world(QStringLiteral("32"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000011"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000012"), QStringLiteral("B"), kOldFirst, kOldLast, {item});
    // Numbering row at 20; number 21 is taken by a quotation stored without it.
    exec(QStringLiteral("INSERT INTO NUMERADOR (CDFILIAL, NMSERIE, NRULTIMO) VALUES (:F, 'COLETAPR', 20)"),
         {{QStringLiteral("F"), w.branch}});
    quotation(w, QStringLiteral("0000000021"), QStringLiteral("C"), kOldFirst.addDays(-28), kOldLast.addDays(-28), {item});

    CopyArgs a = copyArgs(w);
    a.byPeriod = true;
    a.periodFirst = kOldFirst;
    a.periodLast = kOldLast;
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), QStringLiteral("X"));
    QCOMPARE(rows(QStringLiteral("SELECT NRCOLEPRECO, CDOPERADOR FROM COLETAPR WHERE CDFILIAL = :F AND DTINIVALCOL = :D "
                                 "ORDER BY NRCOLEPRECO"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("D"), kNewFirst}}),
             (QStringList{QStringLiteral("0000000022|") + w.op.value(QStringLiteral("A")).trimmed(),
                          QStringLiteral("0000000023|") + w.op.value(QStringLiteral("B")).trimmed()}));
    QCOMPARE(count(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 23);
}

void tst_QuotationCopy::regionAndOlListsRestrictTheCopy()
{
    ENGINE();
    const World w = world(QStringLiteral("33"));
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast,
              {{QStringLiteral("R1"), QStringLiteral("N"), 0, 1, 0, 0},
               {QStringLiteral("R1"), QStringLiteral("OL1"), 0, 2, 0, 0},
               {QStringLiteral("R1"), QStringLiteral("OL2"), 0, 3, 0, 0},
               {QStringLiteral("R2"), QStringLiteral("N"), 1, 4, 0, 0},
               {QStringLiteral("R2"), QStringLiteral("OL2"), 1, 5, 0, 0}});
    // Region R1 only; of the OL suppliers only OL2: the normal supplier always stays.
    CopyArgs a = copyArgs(w, QStringLiteral("0000000101"));
    a.regionList = true;
    a.regions = QStringLiteral("_%1_").arg(w.region.value(QStringLiteral("R1")));
    a.olSuppliers = QStringLiteral("_%1_").arg(w.supplier.value(QStringLiteral("OL2")).trimmed());
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), QStringLiteral("X"));
    QCOMPARE(itemsOf(w, QStringLiteral("0000000102")),
             (QStringList{QStringLiteral("R1|N|0|1.00000|0.00000|0.00000"),
                          QStringLiteral("R1|OL2|0|3.00000|0.00000|0.00000")}));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000102' "
                                 "ORDER BY CDREGIAO, CDFORNECED"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{w.region.value(QStringLiteral("R1")) + QLatin1Char('|') + w.supplier.value(QStringLiteral("N")).trimmed(),
                          w.region.value(QStringLiteral("R1")) + QLatin1Char('|') + w.supplier.value(QStringLiteral("OL2")).trimmed()}));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000102'"),
                  {{QStringLiteral("F"), w.branch}}),
             QStringList{w.region.value(QStringLiteral("R1"))});

    // Without lists everything goes.
    CopyArgs all = copyArgs(w, QStringLiteral("0000000101"));
    all.first = kNewFirst.addDays(7);
    all.last = kNewLast.addDays(7);
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), all.list()).toString(), QStringLiteral("X"));
    QCOMPARE(itemsOf(w, QStringLiteral("0000000103")).size(), 5);
}

void tst_QuotationCopy::periodCopyTakesTheListedBuyers()
{
    ENGINE();
    const World w = world(QStringLiteral("34"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000103"), QStringLiteral("C"), kOldFirst, kOldLast, {item});
    // A concluded quotation of the period is copied too; one outside the period is not.
    quotation(w, QStringLiteral("0000000104"), QStringLiteral("B"), kOldFirst.addDays(2), kOldLast.addDays(3), {item}, "C");
    quotation(w, QStringLiteral("0000000105"), QStringLiteral("B"), kOldFirst.addDays(-14), kOldLast.addDays(-14), {item});

    CopyArgs a = copyArgs(w);
    a.byPeriod = true;
    a.periodFirst = kOldFirst;
    a.periodLast = kOldLast;
    a.buyerList = true;
    a.buyers = QStringLiteral("_%1__%2_").arg(w.op.value(QStringLiteral("A")), w.op.value(QStringLiteral("B")));
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), QStringLiteral("X"));
    QCOMPARE(rows(QStringLiteral("SELECT H.DSVALORANT FROM HISTCOLETA H WHERE H.CDFILIAL = :F AND H.NMCAMPO = 'DUPLICACAO' "
                                 "ORDER BY H.DSVALORANT"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("0000000101"), QStringLiteral("0000000102"), QStringLiteral("0000000104")}));

    // A listed buyer without quotations in the period: the no-data text, nothing written.
    const qlonglong before = count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}});
    a.buyers = QStringLiteral("_%1_").arg(w.op.value(QStringLiteral("D")));
    a.first = kNewFirst.addDays(21);
    a.last = kNewLast.addDays(21);
    QCOMPARE(call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString(), kNoData);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), before);
}

void tst_QuotationCopy::refusalsAreListedWithTheirReasons()
{
    ENGINE();
    const World w = world(QStringLiteral("35"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    // A: two quotations in the period, both copied.  B: has one in progress overlapping
    // the new validity.  C: its concluded one there does not count.  D: the operator A
    // may not handle D's quotations.  The last quotation of A has items only at OL1,
    // which the OL list leaves out.
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000103"), QStringLiteral("C"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000104"), QStringLiteral("D"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000105"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000106"), QStringLiteral("A"), kOldFirst, kOldLast,
              {{QStringLiteral("R1"), QStringLiteral("OL1"), 1, 2.0, 0, 0}});
    quotation(w, QStringLiteral("0000000201"), QStringLiteral("B"), kNewLast, kNewLast.addDays(6), {item});
    quotation(w, QStringLiteral("0000000202"), QStringLiteral("C"), kNewFirst, kNewLast, {item}, "C");

    CopyArgs a = copyArgs(w);
    a.byPeriod = true;
    a.periodFirst = kOldFirst;
    a.periodLast = kOldLast;
    a.olSuppliers = QStringLiteral("_%1_").arg(w.supplier.value(QStringLiteral("OL2")).trimmed());
    const QString reply = call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString();
    QVERIFY2(reply.startsWith(QLatin1String("XS")), qPrintable(reply));
    const QStringList lines = reply.mid(2).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("0000000102|O comprador %1 já tem a cotação 0000000201 em andamento na validade "
                                         "de %2 a %3.")
                              .arg(w.op.value(QStringLiteral("B")).trimmed(),
                                   kNewLast.toString(QStringLiteral("dd/MM/yyyy")),
                                   kNewLast.addDays(6).toString(QStringLiteral("dd/MM/yyyy"))));
    QCOMPARE(lines.at(1), QStringLiteral("0000000104|Operador não relacionado ao comprador."));
    QCOMPARE(lines.at(2), QStringLiteral("0000000106|Nenhum item da cotação está nas regiões e fornecedores OL escolhidos."));
    // The others were copied, each once.
    QCOMPARE(rows(QStringLiteral("SELECT DSVALORANT FROM HISTCOLETA WHERE CDFILIAL = :F AND NMCAMPO = 'DUPLICACAO' "
                                 "ORDER BY DSVALORANT"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("0000000101"), QStringLiteral("0000000103"), QStringLiteral("0000000105")}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F AND DTINIVALCOL = :D"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("D"), kNewFirst}}),
             4); // three copies and C's concluded one
}

void tst_QuotationCopy::questionAnswersWhatTheCopyRefuses()
{
    ENGINE();
    const World w = world(QStringLiteral("36"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000201"), QStringLiteral("B"), kNewFirst, kNewLast, {item});
    auto ask = [&](const char *mode, const QString &number, const QString &allBuyers) {
        return call(w, QStringLiteral("GetConsCotAn"),
                    {w.branch, kOldFirst, kOldLast, w.op.value(QStringLiteral("A")).trimmed(), allBuyers,
                     QLatin1String(mode), number, QString(), kNewFirst, kNewLast})
            .toBool();
    };
    QVERIFY(!ask("2", QStringLiteral("0000000101"), QStringLiteral("T")));
    QVERIFY(ask("2", QStringLiteral("0000000102"), QStringLiteral("T")));
    QVERIFY(ask("1", QString(), QStringLiteral("T")));
    // Without the all-mark: the buyers A may handle, B among them (IDUMPRODCMP 'S').
    QVERIFY(ask("1", QString(), QString()));
    // Once B's quotation is concluded, nothing is in the way.
    exec(QStringLiteral("UPDATE COLETAPR SET IDSITUCOLETA = 'C' WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000201'"),
         {{QStringLiteral("F"), w.branch}});
    QVERIFY(!ask("1", QString(), QStringLiteral("T")));
    QVERIFY(!ask("2", QStringLiteral("0000000102"), QStringLiteral("T")));
}

void tst_QuotationCopy::invalidRequestsWriteNothing()
{
    ENGINE();
    const World w = world(QStringLiteral("37"));
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast,
              {{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0}});
    auto reply = [&](const std::function<void(CopyArgs &)> &change) {
        CopyArgs a = copyArgs(w, QStringLiteral("0000000101"));
        change(a);
        return call(w, QStringLiteral("DuplicaCotacao"), a.list()).toString();
    };
    QCOMPARE(reply([](CopyArgs &a) { a.collection = QDate::currentDate().addDays(1); }),
             QStringLiteral("Data da coleta deve ser menor ou igual a data atual."));
    QCOMPARE(reply([](CopyArgs &a) { a.last = a.first.addDays(-1); }),
             QStringLiteral("Nova validade inicial deve ser menor ou igual a nova validade final."));
    QVERIFY(reply([](CopyArgs &a) { a.percent = 1000; }).startsWith(QStringLiteral("Reajuste de preços")));
    QVERIFY(reply([](CopyArgs &a) { a.percent = -100.01; }).startsWith(QStringLiteral("Reajuste de preços")));
    QVERIFY(reply([](CopyArgs &a) { a.regionList = true; }).startsWith(QStringLiteral("Região")));
    QVERIFY(reply([](CopyArgs &a) {
                a.byPeriod = true;
                a.periodFirst = kOldLast;
                a.periodLast = kOldFirst;
            }).startsWith(QLatin1String("Data de validade inicial")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 1);
    // The lowest and highest readjustments pass.
    QCOMPARE(reply([](CopyArgs &a) { a.percent = -100; }), QStringLiteral("X"));
    QCOMPARE(itemsOf(w, QStringLiteral("0000000102")), QStringList{QStringLiteral("R1|N|0|0.00000|0.00000|0.00000")});
}

void tst_QuotationCopy::failedCopyRollsEverythingBack()
{
    ENGINE();
    const World w = world(QStringLiteral("38"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast,
              {item, {QStringLiteral("R1"), QStringLiteral("N"), 3, 1.0, 0, 0}});
    // The second copy's last item fails: the first copy must go too.
    const QString failing = w.products.at(3);
    if (m_current->isPostgres()) {
        exec(QStringLiteral("CREATE FUNCTION tqcopy_fail() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'falha'; END $$ "
                            "LANGUAGE plpgsql"));
        exec(QStringLiteral("CREATE TRIGGER tqcopy_fail BEFORE INSERT ON ITCOLETAPR FOR EACH ROW WHEN "
                            "(NEW.CDPRODUTO = '%1' AND NEW.NRCOLEPRECO <> '0000000102') EXECUTE FUNCTION tqcopy_fail()")
                 .arg(failing));
    } else {
        exec(QStringLiteral("CREATE TRIGGER tqcopy_fail BEFORE INSERT ON ITCOLETAPR WHEN NEW.CDPRODUTO = '%1' "
                            "AND NEW.NRCOLEPRECO <> '0000000102' BEGIN SELECT RAISE(ABORT, 'falha'); END")
                 .arg(failing));
    }
    auto state = [&] {
        QStringList out;
        for (const char *t : {"COLETAPR", "COLEREGI", "COLEFORN", "ITCOLETAPR", "HISTCOLETA", "NUMERADOR"})
            out << QString::number(count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(t))));
        return out;
    };
    const QStringList before = state();
    CopyArgs a = copyArgs(w);
    a.byPeriod = true;
    a.periodFirst = kOldFirst;
    a.periodLast = kOldLast;
    bool failed = false;
    try {
        call(w, QStringLiteral("DuplicaCotacao"), a.list());
    } catch (const ServerError &) {
        failed = true;
    }
    exec(QStringLiteral("DROP TRIGGER tqcopy_fail") + (m_current->isPostgres() ? QStringLiteral(" ON ITCOLETAPR") : QString()));
    if (m_current->isPostgres())
        exec(QStringLiteral("DROP FUNCTION tqcopy_fail()"));
    QVERIFY(failed);
    QCOMPARE(state(), before);
}

void tst_QuotationCopy::lookupsOfTheCopyDialog()
{
    ENGINE();
    const World w = world(QStringLiteral("39"));
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast,
              {{QStringLiteral("R2"), QStringLiteral("N"), 0, 5.0, 0, 0}, {QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0}});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst.addDays(7), kOldLast.addDays(14),
              {{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0}});

    const DataPacket last = call(w, QStringLiteral("GetDadDuplica"), {w.branch}).value<DataPacket>();
    QCOMPARE(last.rowCount(), 1);
    // 3 January 2027 lies in week 53 of 2026.
    QCOMPARE(last.value(0, QStringLiteral("NRSEMAFINAL")).toString(), QStringLiteral("53"));
    QCOMPARE(last.value(0, QStringLiteral("DTFINVALCOL")).toDateTime().date(), kOldLast.addDays(14));

    const DataPacket regions = call(w, QStringLiteral("GetRegiaoCorr"), {w.branch, QStringLiteral("0000000101")}).value<DataPacket>();
    QCOMPARE(regions.rowCount(), 2);
    QCOMPARE(regions.value(0, QStringLiteral("CDREGIAO")).toString(), w.region.value(QStringLiteral("R1")));
    QCOMPARE(regions.value(0, QStringLiteral("IDMARCADO")).toString(), QStringLiteral("N"));

    // A may handle A, B, C (IDUMPRODCMP 'S') but not D, who has a related operator.
    const DataPacket buyers = call(w, QStringLiteral("GetComprador"), {w.op.value(QStringLiteral("A")).trimmed()}).value<DataPacket>();
    QStringList codes;
    for (int r = 0; r < buyers.rowCount(); ++r)
        codes << buyers.value(r, QStringLiteral("CDOPERADOR")).toString();
    QCOMPARE(codes, (QStringList{w.op.value(QStringLiteral("A")), w.op.value(QStringLiteral("B")), w.op.value(QStringLiteral("C"))}));
    // X, related to D, gets D only.
    const DataPacket ofX = call(w, QStringLiteral("GetComprador"), {w.op.value(QStringLiteral("X")).trimmed()},
                                QStringLiteral("X")).value<DataPacket>();
    QCOMPARE(ofX.rowCount(), 1);
    QCOMPARE(ofX.value(0, QStringLiteral("CDOPERADOR")).toString(), w.op.value(QStringLiteral("D")));

    // OL suppliers: active ones flagged OL.
    exec(QStringLiteral("UPDATE FORNECEDOR SET IDSITUCADA = 'I' WHERE CDFORNECED = :F"),
         {{QStringLiteral("F"), w.supplier.value(QStringLiteral("OL2"))}});
    const DataPacket ol = call(w, QStringLiteral("GetPesqFornOL"), {}).value<DataPacket>();
    QStringList olCodes;
    for (int r = 0; r < ol.rowCount(); ++r)
        olCodes << ol.value(r, QStringLiteral("CDFORNECED")).toString();
    QVERIFY(olCodes.contains(w.supplier.value(QStringLiteral("OL1"))));
    QVERIFY(!olCodes.contains(w.supplier.value(QStringLiteral("OL2"))));
    QVERIFY(!olCodes.contains(w.supplier.value(QStringLiteral("N"))));
    QCOMPARE(qlonglong(ol.rowCount()), count(QStringLiteral("SELECT COUNT(*) FROM FORNECEDOR WHERE IDFORNOL = 'S' AND IDSITUCADA = 'A'")));
}

// --- validity change -------------------------------------------------------------------------

void tst_QuotationCopy::validityListAndMove()
{
    ENGINE();
    const World w = world(QStringLiteral("40"));
    const Item atN{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    const Item atOl{QStringLiteral("R1"), QStringLiteral("OL1"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {atN});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast.addDays(-2), {atOl});
    quotation(w, QStringLiteral("0000000103"), QStringLiteral("A"), kOldFirst, kOldLast, {atOl}, "C");
    quotation(w, QStringLiteral("0000000104"), QStringLiteral("A"), kOldFirst, kOldLast.addDays(7), {atN});
    auto list = [&](const QString &buyers, const QString &allBuyers, const QString &suppliers, const QString &allSuppliers) {
        const DataPacket p = call(w, QStringLiteral("GetCotacao"),
                                  {w.branch, kOldFirst, kOldLast, buyers, allBuyers, suppliers, allSuppliers})
                                 .value<DataPacket>();
        QStringList out;
        for (int r = 0; r < p.rowCount(); ++r)
            out << p.value(r, QStringLiteral("NRCOLEPRECO")).toString();
        return out;
    };
    // Within the period and in progress: not the concluded one nor the one running past it.
    QCOMPARE(list(QString(), QStringLiteral("T"), QString(), QStringLiteral("T")),
             (QStringList{QStringLiteral("0000000101"), QStringLiteral("0000000102")}));
    QCOMPARE(list(QStringLiteral("_%1_").arg(w.op.value(QStringLiteral("B"))), QString(), QString(), QStringLiteral("T")),
             QStringList{QStringLiteral("0000000102")});
    QCOMPARE(list(QString(), QStringLiteral("T"), QStringLiteral("_%1_").arg(w.supplier.value(QStringLiteral("N")).trimmed()), QString()),
             QStringList{QStringLiteral("0000000101")});

    // Moving the listed quotation 0000000102 only.
    const QVariant result = call(w, QStringLiteral("AlteraValidade"),
                                 {kOldFirst, kOldLast, kNewFirst, kNewLast, QString(), QString(),
                                  QStringLiteral("_0000000102_"), QStringLiteral("T"), QStringLiteral("T"),
                                  QStringLiteral(" "), w.branch});
    QCOMPARE(result.toString(), QString());
    QCOMPARE(rows(QStringLiteral("SELECT NRCOLEPRECO, NRSEMAINIC, NRSEMAFINAL, DTINIVALCOL, DTFINVALCOL, CDOPERALTE FROM COLETAPR "
                                 "WHERE CDFILIAL = :F ORDER BY NRCOLEPRECO"),
                  {{QStringLiteral("F"), w.branch}})
                 .join(QLatin1Char('\n'))
                 .remove(QStringLiteral("T00:00:00")),
             QStringList({QStringLiteral("0000000101|51|51|2026-12-14|2026-12-20|"),
                          QStringLiteral("0000000102|01|01|2027-01-04|2027-01-10|") + w.op.value(QStringLiteral("A")).trimmed(),
                          QStringLiteral("0000000103|51|51|2026-12-14|2026-12-20|"),
                          QStringLiteral("0000000104|51|52|2026-12-14|2026-12-27|")})
                 .join(QLatin1Char('\n')));
    QCOMPARE(rows(QStringLiteral("SELECT NMCAMPO, DSVALORANT, DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = :F "
                                 "AND NRCOLEPRECO = '0000000102' ORDER BY NMCAMPO"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{QStringLiteral("DTFINVALCOL|2026-12-18|2027-01-10"), QStringLiteral("DTINIVALCOL|2026-12-14|2027-01-04"),
                          QStringLiteral("NRSEMAFINAL|51|01"), QStringLiteral("NRSEMAINIC|51|01")}));

    // "Todas" moves what is left in the period: 0000000101 (the concluded one stays).
    QCOMPARE(call(w, QStringLiteral("AlteraValidade"),
                  {kOldFirst, kOldLast, kNewFirst.addDays(7), kNewLast.addDays(7), QString(), QString(), QString(),
                   QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"), w.branch})
                 .toString(),
             QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F AND DTINIVALCOL = :D"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("D"), kNewFirst.addDays(7)}}),
             1);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000103' "
                                  "AND DTINIVALCOL = :D"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("D"), kOldFirst}}),
             1);
}

void tst_QuotationCopy::validityChangeRefusesAsAWhole()
{
    ENGINE();
    const World w = world(QStringLiteral("41"));
    const Item item{QStringLiteral("R1"), QStringLiteral("N"), 0, 5.0, 0, 0};
    quotation(w, QStringLiteral("0000000101"), QStringLiteral("A"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000102"), QStringLiteral("B"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000103"), QStringLiteral("D"), kOldFirst, kOldLast, {item});
    quotation(w, QStringLiteral("0000000201"), QStringLiteral("B"), kNewFirst.addDays(3), kNewLast.addDays(3), {item});
    auto state = [&] {
        return rows(QStringLiteral("SELECT NRCOLEPRECO, DTINIVALCOL, DTFINVALCOL FROM COLETAPR WHERE CDFILIAL = :F "
                                   "ORDER BY NRCOLEPRECO"),
                    {{QStringLiteral("F"), w.branch}})
               + rows(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}});
    };
    const QStringList before = state();
    auto move = [&](const QString &quotations, const QString &all, const QDate &first = kNewFirst,
                    const QDate &last = kNewLast) {
        return call(w, QStringLiteral("AlteraValidade"),
                    {kOldFirst, kOldLast, first, last, QString(), QString(), quotations, QStringLiteral("T"),
                     QStringLiteral("T"), all, w.branch})
            .toString();
    };
    // B collides with 0000000201; A may not handle D's quotation; 0000000999 is none.
    const QString refused = move(QStringLiteral("_0000000101__0000000102__0000000103__0000000999_"), QStringLiteral(" "));
    QVERIFY2(refused.startsWith(QStringLiteral("3A validade não foi alterada")), qPrintable(refused));
    const QStringList lines = refused.split(QLatin1Char('\n')).mid(1);
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("Cotação 0000000999: não está em andamento na validade anterior com os compradores e "
                                       "fornecedores informados."),
                        QStringLiteral("Cotação 0000000102: O comprador %1 já tem a cotação 0000000201 em andamento na "
                                       "validade de %2 a %3.")
                            .arg(w.op.value(QStringLiteral("B")).trimmed(),
                                 kNewFirst.addDays(3).toString(QStringLiteral("dd/MM/yyyy")),
                                 kNewLast.addDays(3).toString(QStringLiteral("dd/MM/yyyy"))),
                        QStringLiteral("Cotação 0000000103: Operador não relacionado ao comprador.")}));
    QCOMPARE(state(), before);

    QCOMPARE(move(QString(), QStringLiteral("T"), kOldFirst, kOldLast),
             QStringLiteral("3Validade anterior deve ser diferente da nova validade."));
    QVERIFY(move(QString(), QStringLiteral(" ")).startsWith(QStringLiteral("3Cotação")));
    QVERIFY(move(QString(), QStringLiteral("T"), kNewLast, kNewFirst).startsWith(QLatin1String("3Nova validade inicial")));
    QCOMPARE(state(), before);

    // A new validity overlapping the old one: B's other quotation of the old validity is in
    // the way unless it moves along.
    exec(QStringLiteral("UPDATE COLETAPR SET DTINIVALCOL = :I, DTFINVALCOL = :E WHERE CDFILIAL = :F AND NRCOLEPRECO = '0000000201'"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("I"), kOldFirst}, {QStringLiteral("E"), kOldLast}});
    const QDate shiftedFirst = kOldFirst.addDays(3);
    const QDate shiftedLast = kOldLast.addDays(3);
    QVERIFY(move(QStringLiteral("_0000000102_"), QStringLiteral(" "), shiftedFirst, shiftedLast)
                .contains(QStringLiteral("0000000201")));
    QCOMPARE(move(QStringLiteral("_0000000102__0000000201_"), QStringLiteral(" "), shiftedFirst, shiftedLast), QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = :F AND DTINIVALCOL = :D"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("D"), shiftedFirst}}),
             2);
}

QTEST_GUILESS_MAIN(tst_QuotationCopy)
#include "tst_quotationcopy.moc"
