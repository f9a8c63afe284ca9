// Reshaping a running quotation: suppliers and regions added (Vd_ProdForn, IncFornecedor,
// GetCotForns, Vd_RefoReg, IncRegiao) and suppliers, regions and products removed (ExclForn,
// ExclRegiao, ExclProd), called through the method table on SQLite and, when the
// environment names a PostgreSQL server (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.
// Each test builds a central branch of its own with its buyers, regions, suppliers and
// products, so the demo rows never take part.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "MethodTable.h"
#include "ServerError.h"
#include "ServerObjects.h"
#include "Session.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QDate kCollection(2026, 12, 10);
const QDate kValid(2027, 12, 31);

// A central branch of a test's own.  Buyer A (buyers may handle each other's quotations),
// buyer D with the related operator X only, so that A may not handle D's quotations.
// Regions R1, R2 (the quotation's) and R3.  Suppliers, by what they are for:
//   N1, N2  in the quotation, serve R1 R2 R3, every product qualified;
//   NEW     serves R1 R2, every product qualified, payment terms of its own;
//   HALF    serves R1 only;  FAR serves R3 only;
//   NOREG   no product registered;  UNQ every product registered, none qualified;
//   PART    only product 0 registered and qualified;
//   INA     inactive;  EXP  its qualification expired before the collection date.
// Products 0, 1, 2; product 0 in brands B1 and B2, the others in B1.
struct World
{
    QString prefix;
    QString branch;
    QHash<QString, QString> op;
    QHash<QString, QString> region;
    QHash<QString, QString> supplier;
    QStringList products;
    QString b1, b2;
    QString terms;
};

QString op(const QString &code) { return padOperator(code); }

} // namespace

class tst_QuotationMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void supplierStatusPerReason_data() { engines(); }
    void supplierStatusPerReason();
    void supplierPricesCopiedFromSource_data() { engines(); }
    void supplierPricesCopiedFromSource();
    void supplierInsertionRefusals_data() { engines(); }
    void supplierInsertionRefusals();
    void productQualificationCountsToMonthEnd_data() { engines(); }
    void productQualificationCountsToMonthEnd();
    void supplierRemovalScopes_data() { engines(); }
    void supplierRemovalScopes();
    void regionInsertionAndItsChecks_data() { engines(); }
    void regionInsertionAndItsChecks();
    void regionRemovalScopes_data() { engines(); }
    void regionRemovalScopes();
    void productRemovalScopes_data() { engines(); }
    void productRemovalScopes();
    void concludedQuotationAndOperatorRule_data() { engines(); }
    void concludedQuotationAndOperatorRule();
    void failedCallsRollBack_data() { engines(); }
    void failedCallsRollBack();

private:
    void engines() { EngineDatabase::addEngineRows(); }
    bool useEngine(bool postgres);
    QVariant call(const World &w, const QString &method, const QVariantList &args, const QString &who = QStringLiteral("A"));
    QStringList rows(const QString &sql, const QVariantMap &params = {});
    qlonglong count(const QString &sql, const QVariantMap &params = {});
    void exec(const QString &sql, const QVariantMap &params = {}) { m_current->exec(sql, params); }
    World world(const QString &prefix, const char *monthRule = "D");
    // A quotation of buyer with regions R1 R2 and suppliers N1 N2, each holding P0/B1,
    // P0/B2, P1/B1, P2/B1; price = 100 (N1) or 200 (N2) + 10 (R1) or 20 (R2) + item index.
    void quotation(const World &w, const QString &number, const QString &buyer = QStringLiteral("A"),
                   const char *situation = "A");
    // "region|supplier|product|brand|price" of the quotation's items, names for codes.
    QStringList items(const World &w, const QString &number, const QString &where = QString());
    QString name(const QHash<QString, QString> &names, const QString &code) const;
    qlonglong history(const World &w, const QString &number, const QString &kind);
    DataPacket codes(const QString &field, int size, const QStringList &values) const;
    void listItem(const World &w, const QString &list, const QString &number, const QString &region,
                  const QString &supplier, int product, bool confirmed);

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("qmaint")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("qmaint")};
    Database *m_current = nullptr;
};

void tst_QuotationMaintenance::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::Schema, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::Schema, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

bool tst_QuotationMaintenance::useEngine(bool postgres)
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

QVariant tst_QuotationMaintenance::call(const World &w, const QString &method, const QVariantList &given,
                                        const QString &who)
{
    const MethodDecl *decl = m_table.find(kGridCotaPrecObject, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    QVariantList args = given;
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

QStringList tst_QuotationMaintenance::rows(const QString &sql, const QVariantMap &params)
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

qlonglong tst_QuotationMaintenance::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

World tst_QuotationMaintenance::world(const QString &prefix, const char *monthRule)
{
    World w;
    w.prefix = prefix;
    w.branch = QStringLiteral("07") + prefix;
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES (:F, :N, 'C')"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), QStringLiteral("Central ") + prefix}});
    exec(QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL, IDUMPRODCMP, IDULTIDTVALQ) VALUES (:F, 'S', :M)"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("M"), QLatin1String(monthRule)}});
    for (const char *who : {"A", "D", "X"}) {
        const QString code = op(QStringLiteral("MT%1%2").arg(prefix, QLatin1String(who)));
        w.op.insert(QLatin1String(who), code);
        exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, CDFILIAL) VALUES (:O, 'Op', 'x', :F)"),
             {{QStringLiteral("O"), code}, {QStringLiteral("F"), w.branch}});
        if (QLatin1String(who) != QLatin1String("X"))
            exec(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:O, :F)"),
                 {{QStringLiteral("O"), code}, {QStringLiteral("F"), w.branch}});
    }
    exec(QStringLiteral("INSERT INTO COMPROPER (CDCOMPRADOR, CDOPERADOR) VALUES (:C, :O)"),
         {{QStringLiteral("C"), w.op.value(QStringLiteral("D"))}, {QStringLiteral("O"), w.op.value(QStringLiteral("X"))}});
    for (const char *r : {"R1", "R2", "R3"}) {
        const QString code = QString(QLatin1Char(char('J' + (r[1] - '1')))) + prefix;
        w.region.insert(QLatin1String(r), code);
        exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:R, :N)"),
             {{QStringLiteral("R"), code}, {QStringLiteral("N"), QStringLiteral("Região ") + code}});
    }
    w.terms = QStringLiteral("P") + prefix;
    exec(QStringLiteral("INSERT INTO FORMPGTO (CDFORMPGTO, DSFORMPGTO) VALUES (:C, '30 dias')"), {{QStringLiteral("C"), w.terms}});
    const QString qualif = QStringLiteral("Q") + prefix;
    exec(QStringLiteral("INSERT INTO QUALIFICACAO (CDQUALIF, NMQUALIF, IDPERCOTCMP) VALUES (:C, 'Q', '1')"),
         {{QStringLiteral("C"), qualif}});
    w.b1 = padCode(QStringLiteral("B1") + prefix, 5);
    w.b2 = padCode(QStringLiteral("B2") + prefix, 5);
    for (const QString &b : {w.b1, w.b2})
        exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:B, 'Marca')"), {{QStringLiteral("B"), b}});
    for (int p = 0; p < 3; ++p) {
        const QString code = QStringLiteral("7%1%2").arg(prefix).arg(p, 7, 10, QLatin1Char('0'));
        w.products << code;
        exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD) "
                            "VALUES (:C, :C, 'Produto', '3', 'S')"),
             {{QStringLiteral("C"), code}});
        exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA) VALUES (:P, :B)"),
             {{QStringLiteral("P"), code}, {QStringLiteral("B"), w.b1}});
    }
    exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA) VALUES (:P, :B)"),
         {{QStringLiteral("P"), w.products.first()}, {QStringLiteral("B"), w.b2}});
    // name, regions served, products registered (qualified flag), active, expired qualification
    const struct
    {
        const char *name;
        QStringList serves;
        const char *registered; // one char per product: Q qualified, N registered only, - none
        bool active;
        bool expired;
    } suppliers[] = {
        {"N1", {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")}, "QQQ", true, false},
        {"N2", {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")}, "QQQ", true, false},
        {"NEW", {QStringLiteral("R1"), QStringLiteral("R2")}, "QQQ", true, false},
        {"HALF", {QStringLiteral("R1")}, "QQQ", true, false},
        {"FAR", {QStringLiteral("R3")}, "QQQ", true, false},
        {"NOREG", {QStringLiteral("R1"), QStringLiteral("R2")}, "---", true, false},
        {"UNQ", {QStringLiteral("R1"), QStringLiteral("R2")}, "NNN", true, false},
        {"PART", {QStringLiteral("R1"), QStringLiteral("R2")}, "Q--", true, false},
        {"INA", {QStringLiteral("R1"), QStringLiteral("R2")}, "QQQ", false, false},
        {"EXP", {QStringLiteral("R1"), QStringLiteral("R2")}, "QQQ", true, true},
    };
    int n = 0;
    for (const auto &s : suppliers) {
        const QString code = padCode(QStringLiteral("7%1%2").arg(prefix).arg(++n, 2, 10, QLatin1Char('0')), 21);
        w.supplier.insert(QLatin1String(s.name), code);
        exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, IDSITUCADA, "
                            "CDQUALIF, DTVALQUALIF, CDFORMPGTO) VALUES (:F, 'O', :N, :R, :S, :Q, :V, :T)"),
             {{QStringLiteral("F"), code}, {QStringLiteral("N"), code.right(14)},
              {QStringLiteral("R"), QStringLiteral("Fornecedor ") + QLatin1String(s.name)},
              {QStringLiteral("S"), s.active ? QStringLiteral("A") : QStringLiteral("I")},
              {QStringLiteral("Q"), s.expired ? QVariant(qualif) : QVariant(QMetaType(QMetaType::QString))},
              {QStringLiteral("V"), s.expired ? QVariant(QDate(2026, 1, 1)) : QVariant(QMetaType(QMetaType::QDate))},
              {QStringLiteral("T"), QLatin1String(s.name) == QLatin1String("NEW") ? QVariant(w.terms)
                                                                                   : QVariant(QMetaType(QMetaType::QString))}});
        for (const QString &r : s.serves)
            exec(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:F, :R)"),
                 {{QStringLiteral("F"), code}, {QStringLiteral("R"), w.region.value(r)}});
        for (int p = 0; p < 3; ++p) {
            if (s.registered[p] == '-')
                continue;
            exec(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) "
                                "VALUES (:F, :P, :Q, :V)"),
                 {{QStringLiteral("F"), code}, {QStringLiteral("P"), w.products.at(p)},
                  {QStringLiteral("Q"), s.registered[p] == 'Q' ? QStringLiteral("S") : QStringLiteral("N")},
                  {QStringLiteral("V"), kValid}});
        }
    }
    return w;
}

void tst_QuotationMaintenance::quotation(const World &w, const QString &number, const QString &buyer,
                                         const char *situation)
{
    const QVariantMap key = {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}};
    QVariantMap head = key;
    head.insert(QStringLiteral("D"), kCollection);
    head.insert(QStringLiteral("O"), w.op.value(buyer));
    head.insert(QStringLiteral("S"), QLatin1String(situation));
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, "
                        "IDSITUCOLETA) VALUES (:F, :N, :D, :D, :D, :O, :S)"),
         head);
    const QList<QPair<int, QString>> pairs = {{0, w.b1}, {0, w.b2}, {1, w.b1}, {2, w.b1}};
    for (const QString &r : {QStringLiteral("R1"), QStringLiteral("R2")}) {
        QVariantMap row = key;
        row.insert(QStringLiteral("R"), w.region.value(r));
        exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:F, :N, :R)"), row);
        for (const QString &s : {QStringLiteral("N1"), QStringLiteral("N2")}) {
            row.insert(QStringLiteral("S"), w.supplier.value(s));
            exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES (:F, :N, :R, :S)"),
                 row);
            for (int i = 0; i < pairs.size(); ++i) {
                const double price = (s == QLatin1String("N1") ? 100 : 200) + (r == QLatin1String("R1") ? 10 : 20) + i;
                row.insert(QStringLiteral("P"), w.products.at(pairs.at(i).first));
                row.insert(QStringLiteral("B"), pairs.at(i).second);
                row.insert(QStringLiteral("V"), price);
                row.insert(QStringLiteral("E"), price / 2);
                row.insert(QStringLiteral("Q"), 7 + i);
                exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, "
                                    "CDMARCA, VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL, VRPERDESITM) "
                                    "VALUES (:F, :N, :R, :S, :P, :B, :V, :E, :E, :Q, 1.5)"),
                     row);
            }
        }
    }
}

QString tst_QuotationMaintenance::name(const QHash<QString, QString> &names, const QString &code) const
{
    for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
        if (it.value().trimmed() == code.trimmed())
            return it.key();
    }
    return code.trimmed();
}

QStringList tst_QuotationMaintenance::items(const World &w, const QString &number, const QString &where)
{
    QStringList out;
    QSqlQuery q = m_current->exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM FROM "
                                                 "ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N")
                                      + where,
                                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}});
    while (q.next()) {
        out << QStringList{name(w.region, q.value(0).toString()), name(w.supplier, q.value(1).toString()),
                           QString::number(w.products.indexOf(q.value(2).toString())),
                           q.value(3).toString() == w.b1 ? QStringLiteral("B1") : QStringLiteral("B2"),
                           QString::number(q.value(4).toDouble())}
                   .join(QLatin1Char('|'));
    }
    out.sort();
    return out;
}

qlonglong tst_QuotationMaintenance::history(const World &w, const QString &number, const QString &kind)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND IDTIPALTER = :K"),
                 {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), number}, {QStringLiteral("K"), kind}});
}

DataPacket tst_QuotationMaintenance::codes(const QString &field, int size, const QStringList &values) const
{
    DataPacket p({{field, FieldType::String, size}});
    for (const QString &v : values)
        p.rows().append({v.trimmed()});
    return p;
}

void tst_QuotationMaintenance::listItem(const World &w, const QString &list, const QString &number, const QString &region,
                                        const QString &supplier, int product, bool confirmed)
{
    if (count(QStringLiteral("SELECT COUNT(*) FROM LISTPREC WHERE CDFILIAL = :F AND NRSEQPRELIST = :L"),
              {{QStringLiteral("F"), w.branch}, {QStringLiteral("L"), list}})
        == 0)
        exec(QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, DTFINVALLIS, IDSITULIST) "
                            "VALUES (:F, :L, 'Lista', :D, :D, :S)"),
             {{QStringLiteral("F"), w.branch}, {QStringLiteral("L"), list}, {QStringLiteral("D"), kCollection},
              {QStringLiteral("S"), confirmed ? QStringLiteral("C") : QStringLiteral("A")}});
    exec(QStringLiteral("INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, "
                        "CDMARCA, VRPRECLIST, IDPRECCONF) VALUES (:F, :L, :N, :R, :S, :P, :B, 1, :C)"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("L"), list}, {QStringLiteral("N"), number},
          {QStringLiteral("R"), w.region.value(region)}, {QStringLiteral("S"), w.supplier.value(supplier)},
          {QStringLiteral("P"), w.products.at(product)}, {QStringLiteral("B"), w.b1},
          {QStringLiteral("C"), confirmed ? QStringLiteral("S") : QStringLiteral("N")}});
}

// --- supplier insertion ---------------------------------------------------------------------

void tst_QuotationMaintenance::supplierStatusPerReason()
{
    ENGINE();
    const World w = world(QStringLiteral("01"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    const QStringList before = items(w, q);
    auto add = [&](const char *who) {
        return call(w, QStringLiteral("IncFornecedor"),
                    {w.branch, q, w.supplier.value(QLatin1String(who)), w.op.value(QStringLiteral("A")).trimmed(),
                     QStringLiteral("S"), QString(), QString()});
    };
    // A "1" anywhere: nothing is written.
    QCOMPARE(add("FAR"), QVariant(QVariantList{QStringLiteral("100")}));
    QCOMPARE(add("NOREG"), QVariant(QVariantList{QStringLiteral("001")}));
    QCOMPARE(add("UNQ"), QVariant(QVariantList{QStringLiteral("010")}));
    QCOMPARE(items(w, q), before);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLEFORN WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 4);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);

    // "2": added where it could be, the rest left out.
    QCOMPARE(add("HALF"), QVariant(QVariantList{QStringLiteral("200")}));
    QCOMPARE(items(w, q, QStringLiteral(" AND CDFORNECED = '%1'").arg(w.supplier.value(QStringLiteral("HALF")))),
             (QStringList{QStringLiteral("R1|HALF|0|B1|0"), QStringLiteral("R1|HALF|0|B2|0"), QStringLiteral("R1|HALF|1|B1|0"),
                          QStringLiteral("R1|HALF|2|B1|0")}));
    QCOMPARE(add("PART"), QVariant(QVariantList{QStringLiteral("002")}));
    QCOMPARE(items(w, q, QStringLiteral(" AND CDFORNECED = '%1'").arg(w.supplier.value(QStringLiteral("PART")))),
             (QStringList{QStringLiteral("R1|PART|0|B1|0"), QStringLiteral("R1|PART|0|B2|0"), QStringLiteral("R2|PART|0|B1|0"),
                          QStringLiteral("R2|PART|0|B2|0")}));
    QCOMPARE(history(w, q, QStringLiteral("I")), 8);

    // The product check of the dialog agrees.
    const DataPacket products = codes(QStringLiteral("CDPRODUTO"), 10, w.products);
    auto check = [&](const char *who) {
        return call(w, QStringLiteral("Vd_ProdForn"), {w.branch, w.supplier.value(QLatin1String(who)), kCollection,
                                                       QVariant::fromValue(products)})
            .toList()
            .value(0)
            .toString();
    };
    QCOMPARE(check("NOREG"), QStringLiteral("S"));
    QCOMPARE(check("UNQ"), QStringLiteral("S"));
    QCOMPARE(check("PART"), QStringLiteral("N"));
    QCOMPARE(call(w, QStringLiteral("Vd_ProdForn"), {w.branch, w.supplier.value(QStringLiteral("PART")), kCollection,
                                                      QVariant::fromValue(codes(QStringLiteral("CDPRODUTO"), 10, {w.products.at(2)}))})
                 .toList()
                 .value(0)
                 .toString(),
             QStringLiteral("S"));
}

void tst_QuotationMaintenance::supplierPricesCopiedFromSource()
{
    ENGINE();
    const World w = world(QStringLiteral("02"));
    const QString q = QStringLiteral("0000000001");
    const QString newSupplier = w.supplier.value(QStringLiteral("NEW"));
    const QString where = QStringLiteral(" AND CDFORNECED = '%1'").arg(newSupplier);
    auto add = [&](const QString &number, const char *all, const QString &source, const QString &region) {
        return call(w, QStringLiteral("IncFornecedor"), {w.branch, number, newSupplier, w.op.value(QStringLiteral("A")),
                                                         QLatin1String(all), source, region});
    };
    // Every served region, prices of N1 in the same region.
    quotation(w, q);
    QCOMPARE(add(q, "S", w.supplier.value(QStringLiteral("N1")), QString()), QVariant(QVariantList{QStringLiteral("000")}));
    QCOMPARE(items(w, q, where),
             (QStringList{QStringLiteral("R1|NEW|0|B1|110"), QStringLiteral("R1|NEW|0|B2|111"), QStringLiteral("R1|NEW|1|B1|112"),
                          QStringLiteral("R1|NEW|2|B1|113"), QStringLiteral("R2|NEW|0|B1|120"), QStringLiteral("R2|NEW|0|B2|121"),
                          QStringLiteral("R2|NEW|1|B1|122"), QStringLiteral("R2|NEW|2|B1|123")}));
    QCOMPARE(rows(QStringLiteral("SELECT DISTINCT VRPRECECOITM, QTACMPITMCOL, VRPERDESITM, CDFORMPGTO FROM ITCOLETAPR "
                                 "WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND CDREGIAO = :R AND CDPRODUTO = :P AND "
                                 "CDMARCA = :B AND CDFORNECED = :S"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q}, {QStringLiteral("R"), w.region.value(QStringLiteral("R2"))},
                   {QStringLiteral("P"), w.products.at(1)}, {QStringLiteral("B"), w.b1}, {QStringLiteral("S"), newSupplier}}),
             QStringList{QStringLiteral("61|9|1.5|%1").arg(w.terms)});
    QCOMPARE(history(w, q, QStringLiteral("C")), 8);
    QCOMPARE(rows(QStringLiteral("SELECT CDOPERADOR, NMCAMPO, DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q}}),
             QStringList{QStringLiteral("%1|INCFORNECEDOR|CDFORNECED=%2;REGIOES=%3,%4;ITENS=8;CDFORNCARG=%5;CDREGICARG=;STATUS=000")
                             .arg(w.op.value(QStringLiteral("A")).trimmed(), newSupplier.trimmed(),
                                  w.region.value(QStringLiteral("R1")), w.region.value(QStringLiteral("R2")),
                                  w.supplier.value(QStringLiteral("N1")).trimmed())});

    // Every served region, prices of N2 in R2 for all of them.
    const QString q2 = QStringLiteral("0000000002");
    quotation(w, q2);
    add(q2, "S", w.supplier.value(QStringLiteral("N2")), w.region.value(QStringLiteral("R2")));
    QCOMPARE(items(w, q2, where + QStringLiteral(" AND CDPRODUTO = '%1'").arg(w.products.at(1))),
             (QStringList{QStringLiteral("R1|NEW|1|B1|222"), QStringLiteral("R2|NEW|1|B1|222")}));

    // Only the price-source region.
    const QString q3 = QStringLiteral("0000000003");
    quotation(w, q3);
    add(q3, "N", w.supplier.value(QStringLiteral("N2")), w.region.value(QStringLiteral("R2")));
    QCOMPARE(items(w, q3, where + QStringLiteral(" AND CDPRODUTO = '%1'").arg(w.products.at(2))),
             QStringList{QStringLiteral("R2|NEW|2|B1|223")});

    // No price source: zero prices, history "I".
    const QString q4 = QStringLiteral("0000000004");
    quotation(w, q4);
    add(q4, "S", QString(), QString());
    QCOMPARE(items(w, q4, where + QStringLiteral(" AND VRPRECUNIITM > 0")), QStringList());
    QCOMPARE(history(w, q4, QStringLiteral("I")), 8);
    QCOMPARE(history(w, q4, QStringLiteral("C")), 0);
}

void tst_QuotationMaintenance::supplierInsertionRefusals()
{
    ENGINE();
    const World w = world(QStringLiteral("03"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    auto add = [&](const QString &who, const QString &source, const QString &region) {
        return call(w, QStringLiteral("IncFornecedor"), {w.branch, q, w.supplier.value(who, who), w.op.value(QStringLiteral("A")),
                                                         QStringLiteral("S"), source, region})
            .toString();
    };
    const QString n1 = w.supplier.value(QStringLiteral("N1"));
    const QString r1 = w.region.value(QStringLiteral("R1"));
    QCOMPARE(add(QStringLiteral("N1"), QString(), QString()),
             QStringLiteral("3O fornecedor %1 já participa da cotação na(s) região(ões) %2, %3; não é incluído de novo.")
                 .arg(n1.trimmed(), r1, w.region.value(QStringLiteral("R2"))));
    QCOMPARE(add(QStringLiteral("NEW"), QString(), r1), QStringLiteral("3Fornecedor para carga de preços deve ser informado."));
    QCOMPARE(add(QStringLiteral("NEW"), w.supplier.value(QStringLiteral("HALF")), QString()),
             QStringLiteral("3Fornecedor %1 para carga de preços não cadastrado para a cotação.")
                 .arg(w.supplier.value(QStringLiteral("HALF")).trimmed()));
    QCOMPARE(add(QStringLiteral("NEW"), n1, w.region.value(QStringLiteral("R3"))),
             QStringLiteral("3Região %1 não cadastrada para a cotação.").arg(w.region.value(QStringLiteral("R3"))));
    QCOMPARE(add(QStringLiteral("INA"), QString(), QString()),
             QStringLiteral("3Fornecedor %1 inativo.").arg(w.supplier.value(QStringLiteral("INA")).trimmed()));
    QCOMPARE(add(QStringLiteral("EXP"), QString(), QString()),
             QStringLiteral("3Fornecedor %1 não qualificado ou com qualificação vencida.")
                 .arg(w.supplier.value(QStringLiteral("EXP")).trimmed()));
    QCOMPARE(add(QStringLiteral("ZZ9"), QString(), QString()), QStringLiteral("3Fornecedor ZZ9 não cadastrado."));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 16);
    // A supplier already in one of the regions it would reach is never added twice.
    QCOMPARE(call(w, QStringLiteral("IncFornecedor"), {w.branch, q, w.supplier.value(QStringLiteral("HALF")),
                                                       w.op.value(QStringLiteral("A")), QStringLiteral("S"), QString(), QString()}),
             QVariant(QVariantList{QStringLiteral("200")}));
    QVERIFY(add(QStringLiteral("HALF"), QString(), QString()).startsWith(QStringLiteral("3O fornecedor")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND CDFORNECED = :S"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("S"), w.supplier.value(QStringLiteral("HALF"))}}),
             4);
}

void tst_QuotationMaintenance::productQualificationCountsToMonthEnd()
{
    ENGINE();
    // A product qualification that ended on the 5th of the collection month.
    for (const char *rule : {"D", "M"}) {
        const World w = world(QLatin1String(rule) == QLatin1String("D") ? QStringLiteral("04") : QStringLiteral("05"),
                              rule);
        exec(QStringLiteral("UPDATE PRODFORN SET DTVALQUALPF = :V WHERE CDFORNECED = :S"),
             {{QStringLiteral("V"), QDate(2026, 12, 5)}, {QStringLiteral("S"), w.supplier.value(QStringLiteral("NEW"))}});
        const QVariant answer = call(w, QStringLiteral("Vd_ProdForn"),
                                     {w.branch, w.supplier.value(QStringLiteral("NEW")), kCollection,
                                      QVariant::fromValue(codes(QStringLiteral("CDPRODUTO"), 10, w.products))});
        QCOMPARE(answer.toList().value(0).toString(), QLatin1String(rule) == QLatin1String("D") ? QStringLiteral("S")
                                                                                                  : QStringLiteral("N"));
        quotation(w, QStringLiteral("0000000001"));
        const QVariant status = call(w, QStringLiteral("IncFornecedor"),
                                     {w.branch, QStringLiteral("0000000001"), w.supplier.value(QStringLiteral("NEW")),
                                      w.op.value(QStringLiteral("A")), QStringLiteral("S"), QString(), QString()});
        QCOMPARE(status.toList().value(0).toString(),
                 QLatin1String(rule) == QLatin1String("D") ? QStringLiteral("010") : QStringLiteral("000"));
    }
}

// --- supplier removal -----------------------------------------------------------------------

void tst_QuotationMaintenance::supplierRemovalScopes()
{
    ENGINE();
    const World w = world(QStringLiteral("06"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    const QString n1 = w.supplier.value(QStringLiteral("N1")), n2 = w.supplier.value(QStringLiteral("N2"));
    const QString r1 = w.region.value(QStringLiteral("R1")), r2 = w.region.value(QStringLiteral("R2"));
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R1"), QStringLiteral("N2"), 1, false);
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R2"), QStringLiteral("N1"), 1, false);
    auto remove = [&](const QString &s, const QString &region, const QString &all) {
        return call(w, QStringLiteral("ExclForn"), {w.branch, q, s, region, all}).toString();
    };
    // One region: the supplier's items there go, with their list entry; the rest stays.
    QCOMPARE(remove(n2, r1, QStringLiteral(" ")), QString());
    QCOMPARE(items(w, q, QStringLiteral(" AND CDFORNECED = '%1'").arg(n2)).size(), 4);
    QVERIFY(items(w, q, QStringLiteral(" AND CDFORNECED = '%1'").arg(n2)).first().startsWith(QStringLiteral("R2|")));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F ORDER BY CDREGIAO, CDFORNECED"),
                  {{QStringLiteral("F"), w.branch}}),
             (QStringList{r1 + QLatin1Char('|') + n1.trimmed(), r2 + QLatin1Char('|') + n1.trimmed(),
                          r2 + QLatin1Char('|') + n2.trimmed()}));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO FROM ITLISTPREC WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}),
             QStringList{r2});
    QCOMPARE(history(w, q, QStringLiteral("E")), 4);
    QCOMPARE(rows(QStringLiteral("SELECT DISTINCT DSALTERITMCOT, DSABRANGENCIA, CASE WHEN VRPRECNOVO IS NULL THEN 'sem' ELSE 'com' END FROM HISTITCOLE WHERE CDFILIAL = :F"),
                  {{QStringLiteral("F"), w.branch}}),
             QStringList{QStringLiteral("Fornecedor excluído da cotação.|Região %1 / Fornecedor %2|sem").arg(r1, n2.trimmed())});
    QCOMPARE(rows(QStringLiteral("SELECT NMCAMPO, DSVALORANT FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}),
             QStringList{QStringLiteral("EXCLFORN|CDREGIAO=%1;CDFORNECED=%2;CDPRODUTO=*;CDMARCA=*;REGIOES=%1;ITENS=4")
                             .arg(r1, n2.trimmed())});

    // N1 is now R1's only supplier: neither one region nor all may take it away.
    QCOMPARE(remove(n1, r1, QStringLiteral(" ")),
             QStringLiteral("3O fornecedor %1 é o único da região %2 na cotação e não pode ser excluído dela; exclua a região.")
                 .arg(n1.trimmed(), r1));
    QVERIFY(remove(n1, QStringLiteral(" "), QStringLiteral("T")).startsWith(QStringLiteral("3O fornecedor")));
    // Not taking part there.
    QCOMPARE(remove(n2, r1, QStringLiteral(" ")),
             QStringLiteral("3O fornecedor %1 não participa da região %2 da cotação.").arg(n2.trimmed(), r1));
    QCOMPARE(items(w, q).size(), 12);

    // All regions: a second quotation where both suppliers are in both regions.
    const QString q2 = QStringLiteral("0000000002");
    quotation(w, q2);
    QCOMPARE(call(w, QStringLiteral("ExclForn"), {w.branch, q2, n1, QStringLiteral(" "), QStringLiteral("T")}).toString(), QString());
    QCOMPARE(items(w, q2, QStringLiteral(" AND CDFORNECED = '%1'").arg(n1)), QStringList());
    QCOMPARE(items(w, q2).size(), 8);
    QCOMPARE(history(w, q2, QStringLiteral("E")), 8);
    // A region scope without a region is never read as "all regions".
    QVERIFY_THROWS_EXCEPTION(ServerError,
                             call(w, QStringLiteral("ExclForn"), {w.branch, q2, n2, QStringLiteral(" "), QStringLiteral(" ")}));

    // A confirmed price of a concluded price list is not removed.
    const QString q3 = QStringLiteral("0000000003");
    quotation(w, q3);
    listItem(w, QStringLiteral("0000000002"), q3, QStringLiteral("R2"), QStringLiteral("N2"), 2, true);
    QVERIFY(call(w, QStringLiteral("ExclForn"), {w.branch, q3, n2, QStringLiteral(" "), QStringLiteral("T")})
                .toString()
                .contains(QStringLiteral("0000000002")));
    QCOMPARE(items(w, q3).size(), 16);
}

// --- regions --------------------------------------------------------------------------------

void tst_QuotationMaintenance::regionInsertionAndItsChecks()
{
    ENGINE();
    const World w = world(QStringLiteral("07"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    const QString r1 = w.region.value(QStringLiteral("R1")), r3 = w.region.value(QStringLiteral("R3"));
    const QString n1 = w.supplier.value(QStringLiteral("N1")), n2 = w.supplier.value(QStringLiteral("N2"));

    // The suppliers of the quotation, and whether they serve a region.
    DataPacket forns;
    QVERIFY(isPacket(call(w, QStringLiteral("GetCotForns"), {w.branch, q})));
    forns = call(w, QStringLiteral("GetCotForns"), {w.branch, q}).value<DataPacket>();
    QCOMPARE(forns.rowCount(), 2);
    const QVariant both = QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {n1, n2}));
    QCOMPARE(call(w, QStringLiteral("Vd_RefoReg"), {r3, both}).toString(), QString());
    QCOMPARE(call(w, QStringLiteral("Vd_RefoReg"),
                  {r3, QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {w.supplier.value(QStringLiteral("NEW"))}))})
                 .toString(),
             QStringLiteral("S"));
    QCOMPARE(call(w, QStringLiteral("Vd_RefoReg"), {QStringLiteral("Z99"), both}).toString(),
             QStringLiteral("Região Z99 não cadastrada."));

    auto add = [&](const QString &region, const QVariant &suppliers, const QString &source) {
        return call(w, QStringLiteral("IncRegiao"),
                    {suppliers, region, w.branch, q, source, w.op.value(QStringLiteral("A")), kCollection});
    };
    QCOMPARE(add(r1, both, QString()).toString(),
             QStringLiteral("3A região %1 já faz parte da cotação para o(s) fornecedor(es) %2, %3; não é incluída de novo.")
                 .arg(r1, n1.trimmed(), n2.trimmed()));
    QCOMPARE(add(r3, both, QStringLiteral("Z99")).toString(), QStringLiteral("3Região Z99 não cadastrada para a cotação."));
    QCOMPARE(add(r3, QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {w.supplier.value(QStringLiteral("NEW"))})),
                 QString())
                 .toString(),
             QStringLiteral("3Fornecedor %1 não cadastrado na cotação.").arg(w.supplier.value(QStringLiteral("NEW")).trimmed()));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLEREGI WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 2);

    // Both suppliers, prices of R1.
    QCOMPARE(add(r3, both, r1), QVariant(QVariantList{QStringLiteral("000")}));
    QCOMPARE(items(w, q, QStringLiteral(" AND CDREGIAO = '%1'").arg(r3)),
             (QStringList{QStringLiteral("R3|N1|0|B1|110"), QStringLiteral("R3|N1|0|B2|111"), QStringLiteral("R3|N1|1|B1|112"),
                          QStringLiteral("R3|N1|2|B1|113"), QStringLiteral("R3|N2|0|B1|210"), QStringLiteral("R3|N2|0|B2|211"),
                          QStringLiteral("R3|N2|1|B1|212"), QStringLiteral("R3|N2|2|B1|213")}));
    QCOMPARE(history(w, q, QStringLiteral("C")), 8);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F AND NMCAMPO = 'INCREGIAO'"),
                   {{QStringLiteral("F"), w.branch}}),
             1);

    // Status per reason: the region is served by none, or by some, of the suppliers.
    const QString q2 = QStringLiteral("0000000002");
    quotation(w, q2);
    for (const char *s : {"HALF", "FAR"})
        QCOMPARE(call(w, QStringLiteral("IncFornecedor"), {w.branch, q2, w.supplier.value(QLatin1String(s)),
                                                           w.op.value(QStringLiteral("A")), QStringLiteral("S"), QString(), QString()})
                     .toList()
                     .value(0)
                     .toString()
                     .at(0) != QLatin1Char('1'),
                 QLatin1String(s) == QLatin1String("HALF"));
    exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES (:F, :N, :R, :S)"),
         {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q2}, {QStringLiteral("R"), r1},
          {QStringLiteral("S"), w.supplier.value(QStringLiteral("NEW"))}});
    const QVariant newOnly = QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {w.supplier.value(QStringLiteral("NEW"))}));
    QCOMPARE(call(w, QStringLiteral("IncRegiao"), {newOnly, r3, w.branch, q2, QString(), w.op.value(QStringLiteral("A")), kCollection}),
             QVariant(QVariantList{QStringLiteral("100")}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                   {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q2}}),
             2);
    const QVariant mixed = QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {n1, w.supplier.value(QStringLiteral("NEW"))}));
    QCOMPARE(call(w, QStringLiteral("IncRegiao"), {mixed, r3, w.branch, q2, QString(), w.op.value(QStringLiteral("A")), kCollection}),
             QVariant(QVariantList{QStringLiteral("200")}));
    QCOMPARE(rows(QStringLiteral("SELECT DISTINCT CDFORNECED FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND CDREGIAO = :R"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q2}, {QStringLiteral("R"), r3}}),
             QStringList{n1.trimmed()});
    QCOMPARE(items(w, q2, QStringLiteral(" AND CDREGIAO = '%1' AND VRPRECUNIITM > 0").arg(r3)), QStringList());
}

void tst_QuotationMaintenance::regionRemovalScopes()
{
    ENGINE();
    const World w = world(QStringLiteral("08"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    const QString r1 = w.region.value(QStringLiteral("R1")), r2 = w.region.value(QStringLiteral("R2"));
    const QString n1 = w.supplier.value(QStringLiteral("N1")), n2 = w.supplier.value(QStringLiteral("N2"));
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R1"), QStringLiteral("N2"), 0, false);
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R1"), QStringLiteral("N1"), 0, false);
    auto regions = [&] {
        return rows(QStringLiteral("SELECT CDREGIAO FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = :N ORDER BY CDREGIAO"),
                    {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q}});
    };
    // The current supplier only: the region stays for the other.
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r1, n2}).toString(), QString());
    QCOMPARE(items(w, q, QStringLiteral(" AND CDREGIAO = '%1'").arg(r1)).size(), 4);
    QVERIFY(items(w, q, QStringLiteral(" AND CDREGIAO = '%1'").arg(r1)).first().startsWith(QStringLiteral("R1|N1|")));
    QCOMPARE(regions(), (QStringList{r1, r2}));
    QCOMPARE(rows(QStringLiteral("SELECT CDFORNECED FROM ITLISTPREC WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}),
             QStringList{n1.trimmed()});
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r1, n2}).toString(),
             QStringLiteral("3O fornecedor %1 não participa da região %2 da cotação.").arg(n2.trimmed(), r1));
    // Its only supplier leaves: so does the region.
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r1, n1}).toString(), QString());
    QCOMPARE(regions(), QStringList{r2});
    QCOMPARE(rows(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}),
             QStringList{QStringLiteral("0")});
    QCOMPARE(history(w, q, QStringLiteral("E")), 8);
    // The last region stays, for one supplier or all.
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r2, QStringLiteral(" ")}).toString(),
             QStringLiteral("3A região %1 é a única da cotação e não pode ser excluída: a cotação ficaria sem itens.").arg(r2));
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r2, n1}).toString(), QString());
    QVERIFY(call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r2, n2}).toString().startsWith(QStringLiteral("3A região")));
    QCOMPARE(items(w, q).size(), 4);

    // Every supplier at once.
    const QString q2 = QStringLiteral("0000000002");
    quotation(w, q2);
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, q2, r2, QStringLiteral(" ")}).toString(), QString());
    QCOMPARE(rows(QStringLiteral("SELECT DISTINCT CDREGIAO FROM COLEFORN WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q2}}),
             QStringList{r1});
    QCOMPARE(items(w, q2).size(), 8);
    QCOMPARE(rows(QStringLiteral("SELECT DSVALORANT FROM HISTCOLETA WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("F"), w.branch}, {QStringLiteral("N"), q2}}),
             QStringList{QStringLiteral("CDREGIAO=%1;CDFORNECED=*;CDPRODUTO=*;CDMARCA=*;REGIAO_SAI=S;ITENS=8").arg(r2)});
}

// --- products -------------------------------------------------------------------------------

void tst_QuotationMaintenance::productRemovalScopes()
{
    ENGINE();
    const World w = world(QStringLiteral("09"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    const QString r1 = w.region.value(QStringLiteral("R1"));
    const QString n1 = w.supplier.value(QStringLiteral("N1"));
    const QString p0 = w.products.at(0);
    const QString blank = QStringLiteral(" "), all = QStringLiteral("T");
    auto remove = [&](const QString &number, const QString &product, const QString &tr, const QString &r, const QString &ts,
                      const QString &s, const QString &tb, const QString &b) {
        return call(w, QStringLiteral("ExclProd"), {w.branch, number, product, tr, r, ts, s, tb, b}).toString();
    };
    const QString p0Where = QStringLiteral(" AND CDPRODUTO = '%1'").arg(p0);
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R1"), QStringLiteral("N1"), 0, false);
    // Region, supplier and brand selected: exactly that item.
    QCOMPARE(remove(q, p0, blank, r1, blank, n1, blank, w.b1), QString());
    QCOMPARE(items(w, q, p0Where).size(), 7);
    QVERIFY(!items(w, q, p0Where).contains(QStringLiteral("R1|N1|0|B1|110")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);
    // All brands, one region and supplier.
    QCOMPARE(remove(q, p0, blank, r1, blank, n1, all, blank), QString());
    QCOMPARE(items(w, q, p0Where).size(), 6);
    // Nothing left in that scope.
    QCOMPARE(remove(q, p0, blank, r1, blank, n1, all, blank),
             QStringLiteral("3Nenhum item do produto %1 na cotação para as opções escolhidas.").arg(p0));
    // All regions and suppliers, one brand.
    QCOMPARE(remove(q, p0, all, blank, all, blank, blank, w.b2), QString());
    QCOMPARE(items(w, q, p0Where), (QStringList{QStringLiteral("R1|N2|0|B1|210"), QStringLiteral("R2|N1|0|B1|120"),
                                                QStringLiteral("R2|N2|0|B1|220")}));
    QCOMPARE(items(w, q).size(), 11);
    QCOMPARE(history(w, q, QStringLiteral("E")), 5);
    QStringList scopes = rows(QStringLiteral("SELECT DSABRANGENCIA FROM HISTITCOLE WHERE CDFILIAL = :F AND CDMARCA = :B"),
                              {{QStringLiteral("F"), w.branch}, {QStringLiteral("B"), w.b2}});
    scopes.sort();
    QCOMPARE(scopes, (QStringList{QStringLiteral("Região %1 / Fornecedor %2 / Todas as marcas").arg(r1, n1.trimmed()),
                                  QStringLiteral("Todas as regiões / Todos os fornecedores / Marca %1").arg(w.b2.trimmed()),
                                  QStringLiteral("Todas as regiões / Todos os fornecedores / Marca %1").arg(w.b2.trimmed()),
                                  QStringLiteral("Todas as regiões / Todos os fornecedores / Marca %1").arg(w.b2.trimmed())}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F AND NMCAMPO = 'EXCLPROD'"),
                   {{QStringLiteral("F"), w.branch}}),
             3);
    // A selected scope without its code is refused, never read as "all".
    QVERIFY_THROWS_EXCEPTION(ServerError, remove(q, p0, blank, blank, all, blank, all, blank));
    QVERIFY_THROWS_EXCEPTION(ServerError, remove(q, p0, all, blank, blank, QString(), all, blank));
    QCOMPARE(items(w, q).size(), 11);

    // Every item of the quotation is the product's: refused.
    const QString q2 = QStringLiteral("0000000002");
    quotation(w, q2);
    for (int p = 1; p < 3; ++p)
        QCOMPARE(remove(q2, w.products.at(p), all, blank, all, blank, all, blank), QString());
    QCOMPARE(remove(q2, p0, all, blank, all, blank, all, blank),
             QStringLiteral("3O produto %1 é o único da cotação nas opções escolhidas e não pode ser excluído: a cotação ficaria "
                            "sem itens.")
                 .arg(p0));
    QCOMPARE(items(w, q2).size(), 8);
    QCOMPARE(remove(q2, p0, blank, r1, all, blank, all, blank), QString());
    QCOMPARE(items(w, q2).size(), 4);
}

// --- rules of every change ------------------------------------------------------------------

void tst_QuotationMaintenance::concludedQuotationAndOperatorRule()
{
    ENGINE();
    const World w = world(QStringLiteral("10"));
    const QString concluded = QStringLiteral("0000000001"), ofD = QStringLiteral("0000000002");
    quotation(w, concluded, QStringLiteral("A"), "C");
    quotation(w, ofD, QStringLiteral("D"));
    const QString r1 = w.region.value(QStringLiteral("R1")), r3 = w.region.value(QStringLiteral("R3"));
    const QString n1 = w.supplier.value(QStringLiteral("N1"));
    const QString newSupplier = w.supplier.value(QStringLiteral("NEW"));
    const QVariant both = QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {n1, w.supplier.value(QStringLiteral("N2"))}));
    const QString a = w.op.value(QStringLiteral("A"));
    auto every = [&](const QString &q) {
        return QStringList{
            call(w, QStringLiteral("IncFornecedor"), {w.branch, q, newSupplier, a, QStringLiteral("S"), QString(), QString()}).toString(),
            call(w, QStringLiteral("ExclForn"), {w.branch, q, n1, r1, QStringLiteral(" ")}).toString(),
            call(w, QStringLiteral("IncRegiao"), {both, r3, w.branch, q, QString(), a, kCollection}).toString(),
            call(w, QStringLiteral("ExclRegiao"), {w.branch, q, r1, QStringLiteral(" ")}).toString(),
            call(w, QStringLiteral("ExclProd"), {w.branch, q, w.products.at(1), QStringLiteral("T"), QStringLiteral(" "),
                                                 QStringLiteral("T"), QStringLiteral(" "), QStringLiteral("T"), QStringLiteral(" ")})
                .toString()};
    };
    const QString concludedText = QStringLiteral("3A cotação %1 está concluída e não pode ser alterada; reabra-a para alterá-la.")
                                      .arg(concluded);
    QCOMPARE(every(concluded), QStringList(5, concludedText));
    const QStringList refused = every(ofD);
    for (const QString &r : refused)
        QCOMPARE(r, QStringLiteral("3Operador não relacionado ao comprador."));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 32);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}}), 0);

    // Where quotations carry no situation a concluded one is changed like any other.
    exec(QStringLiteral("UPDATE PARASUPRI SET IDUTISTATCOT = 'N' WHERE CDFILIAL = :F"), {{QStringLiteral("F"), w.branch}});
    QCOMPARE(call(w, QStringLiteral("ExclRegiao"), {w.branch, concluded, r1, QStringLiteral(" ")}).toString(), QString());
}

void tst_QuotationMaintenance::failedCallsRollBack()
{
    ENGINE();
    const World w = world(QStringLiteral("11"));
    const QString q = QStringLiteral("0000000001");
    quotation(w, q);
    listItem(w, QStringLiteral("0000000001"), q, QStringLiteral("R1"), QStringLiteral("N2"), 1, false);
    // The header-history row, written last, fails.
    if (m_current->isPostgres()) {
        exec(QStringLiteral("CREATE FUNCTION tqmaint_fail() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'falha'; END $$ "
                            "LANGUAGE plpgsql"));
        exec(QStringLiteral("CREATE TRIGGER tqmaint_fail BEFORE INSERT ON HISTCOLETA FOR EACH ROW WHEN (NEW.CDFILIAL = '%1') "
                            "EXECUTE FUNCTION tqmaint_fail()")
                 .arg(w.branch));
    } else {
        exec(QStringLiteral("CREATE TRIGGER tqmaint_fail BEFORE INSERT ON HISTCOLETA WHEN NEW.CDFILIAL = '%1' "
                            "BEGIN SELECT RAISE(ABORT, 'falha'); END")
                 .arg(w.branch));
    }
    auto state = [&] {
        QStringList out;
        for (const char *t : {"COLEREGI", "COLEFORN", "ITCOLETAPR", "ITLISTPREC", "HISTITCOLE", "HISTCOLETA"})
            out << rows(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = :F")
                            .arg(QLatin1String(t)),
                        {{QStringLiteral("F"), w.branch}});
        return out;
    };
    const QStringList before = state();
    const QString a = w.op.value(QStringLiteral("A"));
    const QString n2 = w.supplier.value(QStringLiteral("N2"));
    const QString r3 = w.region.value(QStringLiteral("R3"));
    const QVariant both = QVariant::fromValue(codes(QStringLiteral("CDFORNECED"), 21, {w.supplier.value(QStringLiteral("N1")), n2}));
    const QList<QPair<QString, QVariantList>> calls = {
        {QStringLiteral("IncFornecedor"), {w.branch, q, w.supplier.value(QStringLiteral("NEW")), a, QStringLiteral("S"), n2, QString()}},
        {QStringLiteral("ExclForn"), {w.branch, q, n2, QStringLiteral(" "), QStringLiteral("T")}},
        {QStringLiteral("IncRegiao"), {both, r3, w.branch, q, w.region.value(QStringLiteral("R1")), a, kCollection}},
        {QStringLiteral("ExclRegiao"), {w.branch, q, w.region.value(QStringLiteral("R1")), QStringLiteral(" ")}},
        {QStringLiteral("ExclProd"), {w.branch, q, w.products.at(1), QStringLiteral("T"), QStringLiteral(" "), QStringLiteral("T"),
                                      QStringLiteral(" "), QStringLiteral("T"), QStringLiteral(" ")}},
    };
    QStringList failed;
    for (const auto &c : calls) {
        try {
            call(w, c.first, c.second);
        } catch (const ServerError &) {
            failed << c.first;
        }
    }
    exec(QStringLiteral("DROP TRIGGER tqmaint_fail") + (m_current->isPostgres() ? QStringLiteral(" ON HISTCOLETA") : QString()));
    if (m_current->isPostgres())
        exec(QStringLiteral("DROP FUNCTION tqmaint_fail()"));
    QCOMPARE(failed.size(), calls.size());
    QCOMPARE(state(), before);
}

QTEST_GUILESS_MAIN(tst_QuotationMaintenance)
#include "tst_quotationmaintenance.moc"
