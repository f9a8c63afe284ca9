// Creating a quotation (IncluirCotacao), the explanation of a selection (GetDetalhes)
// and the lookups of the new-quotation page, called through the method table on a fresh
// SQLite database and, when the environment names a PostgreSQL server
// (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.  The small demo data gives the
// operators and branches; each test adds the products, suppliers and brands it selects,
// under a product tree code of its own so that the demo rows never take part.

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

#include <atomic>
#include <thread>

namespace {

const QString kCentral = QStringLiteral("0001");
const QDate kCollection(2026, 12, 14);
const QString kNoData = QStringLiteral("Não há dados para inclusão da coleta de preços.");
const QString kNoLast = QStringLiteral("Não há última cotação para os dados informados.");

QString op(const char *code) { return padOperator(QString::fromLatin1(code)); }

// The texts GetDetalhes receives, one per rule, named as the client names them.
const QStringList kRuleTexts = {
    QStringLiteral("NProd_Cmp"),     QStringLiteral("N_Acomprar"),      QStringLiteral("N_FornProdCmp"),
    QStringLiteral("N_ProdComprador"), QStringLiteral("N_MarcProd"),    QStringLiteral("N_QualifMarcProd"),
    QStringLiteral("N_QfoProdForn"), QStringLiteral("N_RefoReg_Inc"),   QStringLiteral("Pr_NFilCor"),
    QStringLiteral("Pr_NFilReg"),    QStringLiteral("Produto_Inativo"), QStringLiteral("Valid_Venc")};

// One test's own master data: a product group under tree code `prefix` (two digits) with
// a subgroup 01 negotiated by COMP01 and a subgroup 02 negotiated by COMP02, a region of
// the quotation and one outside it, and suppliers.
//   A       passes every rule (supplier S1, brand B1)
//   INACT   inactive
//   NOBUY   in subgroup 02, not negotiated by COMP01
//   NOREQ   no open purchase request (its request is fulfilled)
//   PQ      not qualified for any supplier
//   SQ      qualified only for S2, whose qualification expired the day before collection
//   SV      qualified only for S3, which does not serve the quotation's region
//   NOBRAND no brand registered
//   BQ      only a brand whose qualification expired
struct Scenario
{
    QString prefix;
    QString region, otherRegion;
    QString s1, s2, s3;
    QString b1, b2;
    QHash<QString, QString> product; // name above -> CDPRODUTO
    QHash<QString, QString> tree;    // name above -> CDARVPROD

    QString products() const { return QStringLiteral("_%1_%2_%3_").arg(s1.trimmed(), s2.trimmed(), s3.trimmed()); }
};

} // namespace

class tst_QuotationCreate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void createsHeaderRegionsSuppliersAndItems_data() { engines(); }
    void createsHeaderRegionsSuppliersAndItems();
    void eachVerificationAppliesAlone_data();
    void eachVerificationAppliesAlone();
    void listsRestrictRegionsSuppliersAndBrands_data() { engines(); }
    void listsRestrictRegionsSuppliersAndBrands();
    void qualificationValidityToTheDayOrMonth_data() { engines(); }
    void qualificationValidityToTheDayOrMonth();
    void detailsNameEachRuleAndItsProducts_data() { engines(); }
    void detailsNameEachRuleAndItsProducts();
    void nothingQualifiesWritesNothing_data() { engines(); }
    void nothingQualifiesWritesNothing();
    void refusalsWriteNothing_data() { engines(); }
    void refusalsWriteNothing();
    void failureRollsEverythingBack_data() { engines(); }
    void failureRollsEverythingBack();
    void lastPriceAndObservationAreLoaded_data() { engines(); }
    void lastPriceAndObservationAreLoaded();
    void concurrentCreatorsGetDistinctNumbers_data() { engines(); }
    void concurrentCreatorsGetDistinctNumbers();
    void purchasesAndBrandsLookups_data() { engines(); }
    void purchasesAndBrandsLookups();
    void demoBuyerCreatesUsefulQuotation_data() { engines(); }
    void demoBuyerCreatesUsefulQuotation();

private:
    void engines();
    bool useEngine(bool postgres);
    QVariant call(Database &db, const QString &method, QVariantList args, const QString &operatorCode = op("COMP01"));
    QVariant call(const QString &method, QVariantList args, const QString &operatorCode = op("COMP01"))
    {
        return call(*m_current, method, std::move(args), operatorCode);
    }
    QStringList rows(const QString &sql, const QVariantMap &params = {});
    qlonglong count(const QString &sql, const QVariantMap &params = {});
    void exec(const QString &sql, const QVariantMap &params = {}) { m_current->exec(sql, params); }
    Scenario scenario(const QString &prefix);
    // IncluirCotacao's arguments for the scenario's range, region and suppliers.
    static QVariantList createArgs(const Scenario &s, const QString &verifications = QString());
    static QVariantList detailArgs(const Scenario &s);
    // "product name|supplier" of every item of the quotation, sorted.
    QStringList items(const Scenario &s, const QString &number);

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("qc")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("qc")};
    Database *m_current = nullptr;
    EngineDatabase *m_engine = nullptr;
};

void tst_QuotationCreate::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::SmallDemo, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::SmallDemo, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_QuotationCreate::engines()
{
    EngineDatabase::addEngineRows();
}

bool tst_QuotationCreate::useEngine(bool postgres)
{
    m_engine = postgres ? &m_postgres : &m_sqlite;
    m_current = m_engine->get();
    return m_current != nullptr;
}

#define ENGINE()                                                                                     \
    do {                                                                                             \
        QFETCH(bool, postgres);                                                                      \
        if (!useEngine(postgres))                                                                    \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + m_postgres.skipReason()));             \
    } while (false)

QVariant tst_QuotationCreate::call(Database &db, const QString &method, QVariantList args, const QString &operatorCode)
{
    const MethodDecl *decl = m_table.find(kGridCotaPrecObject, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = operatorCode;
    session.branch = kCentral;
    session.loggedIn = true;
    CallContext ctx{session, db, decl->contract, args};
    return decl->fn(ctx);
}

QStringList tst_QuotationCreate::rows(const QString &sql, const QVariantMap &params)
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

qlonglong tst_QuotationCreate::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

Scenario tst_QuotationCreate::scenario(const QString &prefix)
{
    Scenario s;
    s.prefix = prefix;
    const int n = prefix.toInt();
    s.region = padCode(QString::number(100 + n), 3);
    s.otherRegion = padCode(QString::number(500 + n), 3);
    s.s1 = padCode(QStringLiteral("9") + prefix + QStringLiteral("001"), 21);
    s.s2 = padCode(QStringLiteral("9") + prefix + QStringLiteral("002"), 21);
    s.s3 = padCode(QStringLiteral("9") + prefix + QStringLiteral("003"), 21);
    s.b1 = padCode(QStringLiteral("9") + prefix + QStringLiteral("1"), 5);
    s.b2 = padCode(QStringLiteral("9") + prefix + QStringLiteral("2"), 5);
    const QDate expired = kCollection.addDays(-1);
    const QDate valid = kCollection.addDays(90);

    for (const QString &r : {s.region, s.otherRegion})
        exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:R, :N)"),
             {{QStringLiteral("R"), r}, {QStringLiteral("N"), QStringLiteral("Região ") + r}});
    for (const QString &b : {s.b1, s.b2})
        exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:B, :N)"),
             {{QStringLiteral("B"), b}, {QStringLiteral("N"), QStringLiteral("Marca ") + b}});

    auto addProduct = [&](const QString &code, const QString &tree, const QString &name, const char *level,
                          const char *last, const char *active) {
        exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, "
                            "IDPRODATIVPR) VALUES (:C, :T, :N, :L, :U, :A)"),
             {{QStringLiteral("C"), code}, {QStringLiteral("T"), tree}, {QStringLiteral("N"), name},
              {QStringLiteral("L"), QString::fromLatin1(level)}, {QStringLiteral("U"), QString::fromLatin1(last)},
              {QStringLiteral("A"), QString::fromLatin1(active)}});
    };
    const QString base = QStringLiteral("9") + prefix;
    addProduct(base + QStringLiteral("0000000"), prefix, QStringLiteral("Grupo ") + prefix, "1", "N", "S");
    addProduct(base + QStringLiteral("0000001"), prefix + QStringLiteral("01"), QStringLiteral("Sub 01"), "2", "N", "S");
    addProduct(base + QStringLiteral("0000002"), prefix + QStringLiteral("02"), QStringLiteral("Sub 02"), "2", "N", "S");
    exec(QStringLiteral("INSERT INTO PRODCOMP (CDOPERADOR, CDPRODUTO) VALUES (:O, :P)"),
         {{QStringLiteral("O"), op("COMP01")}, {QStringLiteral("P"), base + QStringLiteral("0000001")}});
    exec(QStringLiteral("INSERT INTO PRODCOMP (CDOPERADOR, CDPRODUTO) VALUES (:O, :P)"),
         {{QStringLiteral("O"), op("COMP02")}, {QStringLiteral("P"), base + QStringLiteral("0000002")}});

    const QStringList names = {QStringLiteral("A"),  QStringLiteral("INACT"), QStringLiteral("NOBUY"),
                               QStringLiteral("NOREQ"), QStringLiteral("PQ"), QStringLiteral("SQ"),
                               QStringLiteral("SV"), QStringLiteral("NOBRAND"), QStringLiteral("BQ")};
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        const QString code = base + padCode(QString::number(10 + i), 7);
        const QString tree = prefix + (name == QLatin1String("NOBUY") ? QStringLiteral("02") : QStringLiteral("01"))
            + padCode(QString::number(i + 1), 3);
        addProduct(code, tree, QStringLiteral("Produto ") + name, "3", "S", name == QLatin1String("INACT") ? "N" : "S");
        s.product.insert(name, code);
        s.tree.insert(name, tree);
    }

    // Suppliers: S1 without qualification, S2 qualified until the day before the
    // collection, S3 validly qualified; S1 and S2 serve the region, S3 only the other.
    const struct { QString code; QVariant qualif; QVariant validity; QString region; } suppliers[] = {
        {s.s1, QVariant(QMetaType(QMetaType::QString)), QVariant(QMetaType(QMetaType::QString)), s.region},
        {s.s2, QStringLiteral("001"), expired, s.region},
        {s.s3, QStringLiteral("001"), valid, s.otherRegion},
    };
    for (const auto &sup : suppliers) {
        exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, IDSITUCADA, "
                            "CDQUALIF, DTVALQUALIF, CDFORMPGTO) VALUES (:F, 'O', :N, :N, 'A', :Q, :V, '002')"),
             {{QStringLiteral("F"), sup.code}, {QStringLiteral("N"), sup.code.right(14)}, {QStringLiteral("Q"), sup.qualif}, {QStringLiteral("V"), sup.validity}});
        exec(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:F, :R)"),
             {{QStringLiteral("F"), sup.code}, {QStringLiteral("R"), sup.region}});
    }

    auto qualify = [&](const QString &supplier, const char *product, const char *flag) {
        exec(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) VALUES (:F, :P, :Q, :V)"),
             {{QStringLiteral("F"), supplier}, {QStringLiteral("P"), s.product.value(QLatin1String(product))},
              {QStringLiteral("Q"), QString::fromLatin1(flag)}, {QStringLiteral("V"), valid}});
    };
    for (const char *p : {"A", "INACT", "NOBUY", "NOREQ", "NOBRAND", "BQ"})
        qualify(s.s1, p, "S");
    qualify(s.s1, "PQ", "N");
    qualify(s.s2, "SQ", "S");
    qualify(s.s3, "SV", "S");

    auto brand = [&](const QString &product, const QString &b, const QVariant &validity) {
        exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC) VALUES (:P, :B, 'S', :V)"),
             {{QStringLiteral("P"), product}, {QStringLiteral("B"), b}, {QStringLiteral("V"), validity}});
    };
    for (const QString &name : names) {
        if (name == QLatin1String("NOBRAND"))
            continue;
        brand(s.product.value(name), name == QLatin1String("BQ") ? s.b2 : s.b1,
              name == QLatin1String("BQ") ? QVariant(expired) : QVariant(valid));
    }

    // Open requests of two branches of the central branch (0002, 0006), a fulfilled one,
    // and one of a branch of another central branch (0011) that must not count.
    int request = 0;
    auto ask = [&](const char *branch, const QString &product, double qty, const char *state, const QString &note) {
        exec(QStringLiteral("INSERT INTO SOLICOMPRA (CDFILIAL, NRSOLICOMP, CDPRODUTO, QTSOLICOMP, QTATENDSOLI, DTSOLICOMP, "
                            "IDSITUSOLI, DSOBSSOLI) VALUES (:F, :N, :P, :Q, :A, :D, :S, :O)"),
             {{QStringLiteral("F"), QString::fromLatin1(branch)},
              {QStringLiteral("N"), QStringLiteral("9%1%2").arg(prefix).arg(++request, 7, 10, QLatin1Char('0'))},
              {QStringLiteral("P"), product}, {QStringLiteral("Q"), qty},
              {QStringLiteral("A"), QString::fromLatin1(state) == QLatin1String("F") ? qty : 0.0},
              {QStringLiteral("D"), kCollection.addDays(-3)}, {QStringLiteral("S"), QString::fromLatin1(state)},
              {QStringLiteral("O"), note.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(note)}});
    };
    for (const QString &name : names) {
        if (name == QLatin1String("NOREQ"))
            ask("0002", s.product.value(name), 5, "F", QString());
        else
            ask("0002", s.product.value(name), 10, "A", QString());
    }
    ask("0006", s.product.value(QStringLiteral("A")), 15, "A", QStringLiteral("Entregar no CD"));
    ask("0011", s.product.value(QStringLiteral("A")), 1000, "A", QStringLiteral("Outra central"));
    return s;
}

QVariantList tst_QuotationCreate::createArgs(const Scenario &s, const QString &verifications)
{
    return {kCentral, kCentral, QStringLiteral("COMP01"), kCollection, QStringLiteral("51"), QStringLiteral("52"),
            kCollection.addDays(1), kCollection.addDays(13), s.prefix, s.prefix + QStringLiteral("ZZZZZZZZ"),
            QStringLiteral("_%1_").arg(s.region), s.products(), QString(), verifications, false, false, false,
            QStringLiteral("Cotação de teste"), QStringLiteral("N"), QStringLiteral("COMP01"), kNoData, kNoLast,
            QString()};
}

QVariantList tst_QuotationCreate::detailArgs(const Scenario &s)
{
    QVariantList args = {kCentral, QStringLiteral("COMP01"), s.prefix, s.prefix + QStringLiteral("ZZZZZZZZZZ"), QString(),
                         kCollection.addDays(1), kCollection.addDays(13), QStringLiteral("_%1_").arg(s.region), QString(),
                         s.products(), QString(), kCollection, QString(), true, false, true, kCentral};
    for (const QString &t : kRuleTexts)
        args << QStringLiteral("<%1>").arg(t);
    return args;
}

QStringList tst_QuotationCreate::items(const Scenario &s, const QString &number)
{
    QStringList out;
    for (const QString &row : rows(QStringLiteral("SELECT CDPRODUTO, CDFORNECED FROM ITCOLETAPR WHERE CDFILIAL = '0001' "
                                                  "AND NRCOLEPRECO = :N"),
                                   {{QStringLiteral("N"), number}})) {
        const QStringList parts = row.split(QLatin1Char('|'));
        const QString supplier = parts.at(1) == s.s1.trimmed() ? QStringLiteral("S1")
                               : parts.at(1) == s.s2.trimmed() ? QStringLiteral("S2") : QStringLiteral("S3");
        out << s.product.key(parts.at(0)) + QLatin1Char('|') + supplier;
    }
    out.sort();
    return out;
}

void tst_QuotationCreate::createsHeaderRegionsSuppliersAndItems()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("71"));
    const QString before = rows(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = '0001' AND NMSERIE = 'COLETAPR'")).value(0);
    // A second brand of A whose qualification expired: no item.
    exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC) VALUES (:P, :B, 'S', :V)"),
         {{QStringLiteral("P"), s.product.value("A")}, {QStringLiteral("B"), s.b2}, {QStringLiteral("V"), kCollection.addDays(-1)}});
    QVariantList args = createArgs(s);
    args[16] = true; // observations of the purchase requests
    args[22] = QStringLiteral("1");
    // Purchase 0000000001 is COMP01's.
    const QString number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QCOMPARE(number.size(), 10);
    QCOMPARE(number.toLongLong(), before.toLongLong() + 1);
    QCOMPARE(rows(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = '0001' AND NMSERIE = 'COLETAPR'")).value(0).toLongLong(),
             number.toLongLong());

    const QVariantMap key = {{QStringLiteral("N"), number}};
    QCOMPARE(rows(QStringLiteral("SELECT DTCOLEPREC, NRSEMAINIC, NRSEMAFINAL, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, "
                                 "IDTIPCOLREG, IDSITUCOLETA, IDDISMONTLIS, DSOBSCOTPREC, NRCOMPRA, IDPRODCOMPRAR, CDOPERINCL "
                                 "FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key),
             QStringList({"2026-12-14|51|52|2026-12-15|2026-12-27|COMP01|L|A|N|Cotação de teste|0000000001|S|COMP01"}));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO FROM COLEREGI WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key),
             QStringList({s.region}));
    QCOMPARE(rows(QStringLiteral("SELECT CDFORNECED FROM COLEFORN WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key),
             QStringList({s.s1.trimmed()}));
    // Quantity: the open requests of the central branch's branches only (10 + 15).
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO, CDPRODUTO, CDMARCA, VRPRECUNIITM, QTACMPITMCOL, CDFORMPGTO, DSOBSITMCOL "
                                 "FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key),
             QStringList({QStringLiteral("%1|%2|%3|0|25|002|Entregar no CD").arg(s.region, s.product.value("A"), s.b1)}));
    QCOMPARE(rows(QStringLiteral("SELECT CDOPERADOR, NMCAMPO FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key),
             QStringList({"COMP01|INCLUSAO"}));
}

void tst_QuotationCreate::eachVerificationAppliesAlone_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("verifications");
    QTest::addColumn<QStringList>("expected");
    const struct { const char *name; const char *prefix; const char *list; QStringList items; } cases[] = {
        // "0": product by buyer (NOBUY out); no qualification looked at.
        {"buyer", "72", "_0_", {"A|S1", "A|S2", "BQ|S1", "BQ|S2", "PQ|S1", "PQ|S2", "SQ|S1", "SQ|S2", "SV|S1", "SV|S2"}},
        // "1": supplier qualification (S2 expired out).
        {"supplier", "73", "_1_", {"A|S1", "BQ|S1", "NOBUY|S1", "PQ|S1", "SQ|S1", "SV|S1"}},
        // "2": product qualification by supplier.
        {"product by supplier", "74", "_2_", {"A|S1", "BQ|S1", "NOBUY|S1", "SQ|S2"}},
        // "3": brand qualification (BQ out).
        {"brand", "75", "_3_", {"A|S1", "A|S2", "NOBUY|S1", "NOBUY|S2", "PQ|S1", "PQ|S2", "SQ|S1", "SQ|S2", "SV|S1", "SV|S2"}},
        // Empty list: every verification.
        {"all", "76", "", {"A|S1"}},
        {"listed all", "77", "_0_1_2_3_", {"A|S1"}},
    };
    for (bool pg : {false, true}) {
        for (const auto &c : cases)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(pg ? "postgres" : "sqlite", c.name)))
                << pg << QString::fromLatin1(c.prefix) << QString::fromLatin1(c.list) << c.items;
    }
}

void tst_QuotationCreate::eachVerificationAppliesAlone()
{
    ENGINE();
    QFETCH(QString, prefix);
    QFETCH(QString, verifications);
    QFETCH(QStringList, expected);
    const Scenario s = scenario(prefix);
    const QString number = call(QStringLiteral("IncluirCotacao"), createArgs(s, verifications)).toString();
    QVERIFY2(!number.startsWith(QLatin1Char('2')) && !number.startsWith(QLatin1Char('3')), qPrintable(number));
    QCOMPARE(items(s, number), expected);
}

void tst_QuotationCreate::listsRestrictRegionsSuppliersAndBrands()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("78"));
    // Only the brand list's brands: BQ's brand with only "0" checked.
    QVariantList args = createArgs(s, QStringLiteral("_0_"));
    args[12] = QStringLiteral("_%1_").arg(s.b2);
    QString number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QCOMPARE(items(s, number), QStringList({"BQ|S1", "BQ|S2"}));

    // The supplier list: S2 only.
    args = createArgs(s, QStringLiteral("_0_"));
    args[11] = s.s2.trimmed();
    number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QCOMPARE(items(s, number), QStringList({"A|S2", "BQ|S2", "PQ|S2", "SQ|S2", "SV|S2"}));

    // The other region: S3 serves it; S1 and S2 do not.
    args = createArgs(s, QStringLiteral("_0_"));
    args[10] = QStringLiteral("_%1_").arg(s.otherRegion);
    number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QCOMPARE(items(s, number), QStringList({"A|S3", "BQ|S3", "PQ|S3", "SQ|S3", "SV|S3"}));
    QCOMPARE(rows(QStringLiteral("SELECT CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("N"), number}}),
             QStringList({s.otherRegion + QLatin1Char('|') + s.s3.trimmed()}));

    // No supplier list: the active suppliers; an inactive one takes no part.
    exec(QStringLiteral("UPDATE FORNECEDOR SET IDSITUCADA = 'I' WHERE CDFORNECED = :F"), {{QStringLiteral("F"), s.s2}});
    args = createArgs(s, QStringLiteral("_0_"));
    args[11] = QString();
    number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QVERIFY(!items(s, number).join(QLatin1Char(',')).contains(QLatin1String("S2")));
    QVERIFY(items(s, number).contains(QStringLiteral("A|S1")));

    // Every product, not only those to buy: NOREQ comes in.
    args = createArgs(s, QStringLiteral("_0_"));
    args[14] = true;
    number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QVERIFY(items(s, number).contains(QStringLiteral("NOREQ|S1")));
}

void tst_QuotationCreate::qualificationValidityToTheDayOrMonth()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("79"));
    // S2's qualification ends the day before the collection: out to the day, in to the
    // end of the month.  A validity equal to the collection date counts.
    const QString original = rows(QStringLiteral("SELECT IDULTIDTVALQ FROM PARASUPRI WHERE CDFILIAL = '0001'")).value(0);
    QString number = call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_1_"))).toString();
    QVERIFY(!items(s, number).contains(QStringLiteral("A|S2")));

    exec(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = 'M' WHERE CDFILIAL = '0001'"));
    number = call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_1_"))).toString();
    exec(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = :V WHERE CDFILIAL = '0001'"), {{QStringLiteral("V"), original}});
    QVERIFY(items(s, number).contains(QStringLiteral("A|S2")));

    exec(QStringLiteral("UPDATE FORNECEDOR SET DTVALQUALIF = :D WHERE CDFORNECED = :F"),
         {{QStringLiteral("D"), kCollection}, {QStringLiteral("F"), s.s2}});
    number = call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_1_"))).toString();
    QVERIFY(items(s, number).contains(QStringLiteral("A|S2")));

    // A qualification kind '2' counts only for suppliers qualified automatically.
    exec(QStringLiteral("UPDATE FORNECEDOR SET CDQUALIF = '002' WHERE CDFORNECED = :F"), {{QStringLiteral("F"), s.s2}});
    number = call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_1_"))).toString();
    QVERIFY(!items(s, number).contains(QStringLiteral("A|S2")));
    exec(QStringLiteral("UPDATE FORNECEDOR SET IDFORNAUTO = 'S' WHERE CDFORNECED = :F"), {{QStringLiteral("F"), s.s2}});
    number = call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_1_"))).toString();
    QVERIFY(items(s, number).contains(QStringLiteral("A|S2")));
}

void tst_QuotationCreate::detailsNameEachRuleAndItsProducts()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("80"));
    auto line = [&](const char *name) { return s.tree.value(QLatin1String(name)) + QStringLiteral(" - Produto ") + QLatin1String(name); };
    const QStringList expected = {
        "<Produto_Inativo>", line("INACT"), "<N_ProdComprador>", line("NOBUY"), "<N_Acomprar>", line("NOREQ"),
        "<N_QfoProdForn>", line("PQ"), "<Valid_Venc>", line("SQ"), "<N_RefoReg_Inc>", line("SV"),
        "<N_MarcProd>", line("NOBRAND"), "<N_QualifMarcProd>", line("BQ")};
    QCOMPARE(call(QStringLiteral("GetDetalhes"), detailArgs(s)).toString().split(QLatin1Char('\n')), expected);

    // Every product, not only those to buy: NOREQ is no longer reported.
    QVariantList args = detailArgs(s);
    args[13] = false;
    QVERIFY(!call(QStringLiteral("GetDetalhes"), args).toString().contains(QLatin1String("<N_Acomprar>")));

    // A brand list without the product's brand: reported as no registered brand.
    args = detailArgs(s);
    args[12] = QStringLiteral("_%1_").arg(s.b2);
    args[15] = false;
    QVERIFY(call(QStringLiteral("GetDetalhes"), args).toString().contains(QStringLiteral("<N_MarcProd>\n") + line("A")));

    // No supplier at all (the list names none that exists).
    args = detailArgs(s);
    args[9] = QStringLiteral("_XXXX_");
    QVERIFY(call(QStringLiteral("GetDetalhes"), args).toString().startsWith(
        QStringLiteral("<Produto_Inativo>\n%1\n<N_ProdComprador>").arg(line("INACT"))));
    QVERIFY(call(QStringLiteral("GetDetalhes"), args).toString().contains(QStringLiteral("<N_FornProdCmp>\n") + line("A")));

    // A range without products: only its text.
    args = detailArgs(s);
    args[2] = QStringLiteral("ZZ");
    args[3] = QStringLiteral("ZZZZZZZZZZZZ");
    QCOMPARE(call(QStringLiteral("GetDetalhes"), args).toString(), QStringLiteral("<NProd_Cmp>"));

    // Nothing left out: empty.
    args = detailArgs(s);
    args[2] = s.tree.value(QStringLiteral("A"));
    args[3] = s.tree.value(QStringLiteral("A"));
    QCOMPARE(call(QStringLiteral("GetDetalhes"), args).toString(), QString());
}

void tst_QuotationCreate::nothingQualifiesWritesNothing()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("81"));
    const qlonglong headers = count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR"));
    const QString numbering = rows(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = '0001'")).value(0);
    QVariantList args = createArgs(s);
    args[8] = s.tree.value(QStringLiteral("BQ"));
    args[9] = s.tree.value(QStringLiteral("BQ"));
    QCOMPARE(call(QStringLiteral("IncluirCotacao"), args).toString(), QStringLiteral("2") + kNoData);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), headers);
    QCOMPARE(rows(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = '0001'")).value(0), numbering);
    // The text is the one passed, unchanged.
    args[20] = QStringLiteral("outro texto");
    QCOMPARE(call(QStringLiteral("IncluirCotacao"), args).toString(), QStringLiteral("2outro texto"));
}

void tst_QuotationCreate::refusalsWriteNothing()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("82"));
    const qlonglong headers = count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR"));
    // COMP01 has related operators; GER01 is not one of them.
    QCOMPARE(call(QStringLiteral("IncluirCotacao"), createArgs(s), op("GER01")).toString(),
             QStringLiteral("3Operador não relacionado ao comprador."));
    // AUX02 is related to COMP02 but may not handle its quotations.
    QVariantList args = createArgs(s);
    args[2] = QStringLiteral("COMP02");
    QCOMPARE(call(QStringLiteral("IncluirCotacao"), args, op("AUX02")).toString(),
             QStringLiteral("3Operador não autorizado a manipular cotações deste comprador."));
    // A purchase of another buyer (0000000002 is COMP02's).
    args = createArgs(s);
    args[22] = QStringLiteral("2");
    QVERIFY(call(QStringLiteral("IncluirCotacao"), args).toString().startsWith(QLatin1String("3A compra 0000000002")));
    args[22] = QStringLiteral("9999");
    QVERIFY(call(QStringLiteral("IncluirCotacao"), args).toString().startsWith(QLatin1String("3Compra 0000009999")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), headers);
}

void tst_QuotationCreate::failureRollsEverythingBack()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("83"));
    const QString failing = s.product.value(QStringLiteral("SV"));
    if (m_current->isPostgres()) {
        exec(QStringLiteral("CREATE FUNCTION tqc_fail() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'falha'; END $$ LANGUAGE plpgsql"));
        exec(QStringLiteral("CREATE TRIGGER tqc_fail BEFORE INSERT ON ITCOLETAPR FOR EACH ROW WHEN (NEW.CDPRODUTO = '%1') "
                            "EXECUTE FUNCTION tqc_fail()").arg(failing));
    } else {
        exec(QStringLiteral("CREATE TRIGGER tqc_fail BEFORE INSERT ON ITCOLETAPR WHEN NEW.CDPRODUTO = '%1' "
                            "BEGIN SELECT RAISE(ABORT, 'falha'); END").arg(failing));
    }
    const QStringList tables = {"COLETAPR", "COLEREGI", "COLEFORN", "ITCOLETAPR", "HISTCOLETA", "NUMERADOR"};
    auto state = [&] {
        QStringList out;
        for (const QString &t : tables)
            out << QString::number(count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(t)));
        out << rows(QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = '0001'"));
        return out;
    };
    const QStringList before = state();
    bool failed = false;
    try {
        // With only "0" checked, items of A, BQ and PQ come before SV's.
        call(QStringLiteral("IncluirCotacao"), createArgs(s, QStringLiteral("_0_")));
    } catch (const ServerError &) {
        failed = true;
    }
    exec(QStringLiteral("DROP TRIGGER tqc_fail") + (m_current->isPostgres() ? QStringLiteral(" ON ITCOLETAPR") : QString()));
    if (m_current->isPostgres())
        exec(QStringLiteral("DROP FUNCTION tqc_fail()"));
    QVERIFY(failed);
    QCOMPARE(state(), before);
}

void tst_QuotationCreate::lastPriceAndObservationAreLoaded()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("84"));
    // The latest collection date of the buyer, so these are the buyer's newest quotations.
    QVariantList args = createArgs(s, QStringLiteral("_0_"));
    args[3] = QDate(2027, 6, 1);
    const QString first = call(QStringLiteral("IncluirCotacao"), args).toString();
    QVERIFY2(first.size() == 10, qPrintable(first));

    // The newest earlier quotation has no price: nothing to load.
    args[15] = true;
    QCOMPARE(call(QStringLiteral("IncluirCotacao"), args).toString(), QStringLiteral("2") + kNoLast);

    exec(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = 7.5 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                        "AND CDPRODUTO = :P AND CDFORNECED = :F"),
         {{QStringLiteral("N"), first}, {QStringLiteral("P"), s.product.value("A")}, {QStringLiteral("F"), s.s2}});
    const QString second = call(QStringLiteral("IncluirCotacao"), args).toString();
    QVERIFY2(second.size() == 10, qPrintable(second));
    QCOMPARE(rows(QStringLiteral("SELECT CDPRODUTO, CDFORNECED, VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' "
                                 "AND NRCOLEPRECO = :N AND VRPRECUNIITM > 0"),
                  {{QStringLiteral("N"), second}}),
             QStringList({s.product.value("A") + QLatin1Char('|') + s.s2.trimmed() + QStringLiteral("|7.5")}));
    // Without the observation flag, no observation.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                  "AND DSOBSITMCOL IS NOT NULL"), {{QStringLiteral("N"), second}}), 0);
}

void tst_QuotationCreate::concurrentCreatorsGetDistinctNumbers()
{
    ENGINE();
    const Scenario s = scenario(QStringLiteral("85"));
    const DatabaseConfig config = m_engine->config();
    const QVariantList args = createArgs(s);
    constexpr int kPerThread = 6;
    std::atomic<int> ready{0};
    QStringList numbers[2];
    QString errors[2];
    auto creator = [&](int which) {
        Database db(config, QStringLiteral("tqc_concurrent_%1").arg(which));
        QString error;
        if (!db.open(&error)) {
            errors[which] = error;
            ready.fetch_add(1);
            return;
        }
        ready.fetch_add(1);
        while (ready.load() < 2)
            std::this_thread::yield();
        try {
            for (int i = 0; i < kPerThread; ++i)
                numbers[which] << call(db, QStringLiteral("IncluirCotacao"), args).toString();
        } catch (const ServerError &e) {
            errors[which] = e.message();
        }
    };
    std::thread one(creator, 0);
    std::thread two(creator, 1);
    one.join();
    two.join();
    QVERIFY2(errors[0].isEmpty() && errors[1].isEmpty(), qPrintable(errors[0] + QLatin1Char(' ') + errors[1]));
    QStringList all = numbers[0] + numbers[1];
    QCOMPARE(all.size(), 2 * kPerThread);
    all.removeDuplicates();
    QCOMPARE(all.size(), 2 * kPerThread);
    for (const QString &n : all)
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                       {{QStringLiteral("N"), n}}), 1);
}

void tst_QuotationCreate::purchasesAndBrandsLookups()
{
    ENGINE();
    const DataPacket purchases = call(QStringLiteral("GetCompra"), {}).value<DataPacket>();
    QCOMPARE(qlonglong(purchases.rowCount()), count(QStringLiteral("SELECT COUNT(*) FROM COMPRA WHERE IDSITUCOMPRA = 'A'")));
    QVERIFY(purchases.rowCount() > 0);
    QCOMPARE(purchases.fields().at(0).name, QStringLiteral("NRCOMPRA"));
    QCOMPARE(purchases.value(0, QStringLiteral("NRCOMPRA")).toString(), QStringLiteral("0000000001"));
    QCOMPARE(purchases.value(0, QStringLiteral("NMOPERADOR")).toString(), QStringLiteral("Ana Paula Ribeiro"));

    const DataPacket all = call(QStringLiteral("getPesqMarca"), {QString(), QStringLiteral("T")}).value<DataPacket>();
    QCOMPARE(qlonglong(all.rowCount()), count(QStringLiteral("SELECT COUNT(*) FROM MARCA")));
    for (int r = 0; r < all.rowCount(); ++r)
        QCOMPARE(all.value(r, QStringLiteral("IDMARCADO")).toString(), QStringLiteral("N"));
    const DataPacket one = call(QStringLiteral("getPesqMarca"), {QStringLiteral("3"), QString()}).value<DataPacket>();
    QCOMPARE(one.rowCount(), 1);
    QCOMPARE(one.value(0, QStringLiteral("CDMARCA")).toString(), QStringLiteral("00003"));
}

// The demo data lets COMP01 create a quotation of the products to buy with every rule in
// force, and each rule of the selection leaves some demo product out (those about
// suppliers and brands once lists narrow the choice).
void tst_QuotationCreate::demoBuyerCreatesUsefulQuotation()
{
    ENGINE();
    const QVariantList args = {kCentral, kCentral, QStringLiteral("COMP01"), kCollection, QStringLiteral("51"),
                               QStringLiteral("52"), kCollection.addDays(1), kCollection.addDays(13), QStringLiteral("01"),
                               QStringLiteral("06ZZZZZZZZ"), QString(), QString(), QString(), QString(), false, false, true,
                               QString(), QStringLiteral("S"), QStringLiteral("COMP01"), kNoData, kNoLast, QString()};
    const QString number = call(QStringLiteral("IncluirCotacao"), args).toString();
    QVERIFY2(number.size() == 10, qPrintable(number));
    QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("N"), number}}) >= 20);

    QVariantList details = {kCentral, QStringLiteral("COMP01"), QStringLiteral("01"), QStringLiteral("06ZZZZZZZZZZ"), QString(),
                            kCollection.addDays(1), kCollection.addDays(13), QString(), QStringLiteral("T"), QString(),
                            QStringLiteral("T"), kCollection, QString(), true, false, true, kCentral};
    for (const QString &t : kRuleTexts)
        details << QStringLiteral("<%1>").arg(t);
    const QString text = call(QStringLiteral("GetDetalhes"), details).toString();
    for (const char *rule : {"<Produto_Inativo>", "<N_ProdComprador>", "<N_Acomprar>", "<N_QualifMarcProd>"})
        QVERIFY2(text.contains(QLatin1String(rule)), rule);

    // With lists: supplier 3 alone (its qualification expired), suppliers 1 and 6 in
    // region 008, brand 00001 alone.
    details[9] = QStringLiteral("_3_");
    details[10] = QString();
    QString listed = call(QStringLiteral("GetDetalhes"), details).toString();
    QVERIFY(listed.contains(QLatin1String("<N_QfoProdForn>")) && listed.contains(QLatin1String("<Valid_Venc>")));
    details[9] = QStringLiteral("_1_6_");
    details[7] = QStringLiteral("_008_");
    details[8] = QString();
    listed = call(QStringLiteral("GetDetalhes"), details).toString();
    QVERIFY(listed.contains(QLatin1String("<N_RefoReg_Inc>")));
    details[9] = QString();
    details[10] = QStringLiteral("T");
    details[7] = QString();
    details[8] = QStringLiteral("T");
    details[12] = QStringLiteral("_00001_");
    details[15] = false;
    listed = call(QStringLiteral("GetDetalhes"), details).toString();
    QVERIFY(listed.contains(QLatin1String("<N_MarcProd>")));
}

QTEST_GUILESS_MAIN(tst_QuotationCreate)
#include "tst_quotationcreate.moc"
