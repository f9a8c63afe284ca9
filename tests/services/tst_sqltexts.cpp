// Every SQL text the package keeps as a resource, run through the query component on both
// engines against the schema the server creates, filled with the demo data: the texts
// must run unchanged (or through their engine's own section) and find what the forms
// expect.  PostgreSQL runs when the environment names a server (SUP_TEST_PG_HOST /
// _PORT / _USER, set by scripts/test.sh).

#include "Codes.h"
#include "Database.h"
#include "DemoData.h"
#include "SqliteFunctions.h"
#include "SupResources.h"
#include "TADOIBQuery.h"

#include <QDir>
#include <QSqlError>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_SqlTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyTextRuns_data();
    void everyTextRuns();
    void textsFindTheDemoRows_data();
    void textsFindTheDemoRows();
    void supplierQualificationRules_data();
    void supplierQualificationRules();
    void quotableProductsAndJustifications_data();
    void quotableProductsAndJustifications();

private:
    struct Engine
    {
        std::unique_ptr<Database> db;
        QString skipReason;
    };
    Database *engine(bool postgres);
    static QVariant sampleValue(const QString &param);
    static void addEngineRows(const char *text);

    QTemporaryDir m_dir;
    Engine m_sqlite;
    Engine m_postgres;
    QString m_pgName;
    DatabaseConfig m_pgAdmin;
};

void tst_SqlTexts::initTestCase()
{
    supInitResources();
    QVERIFY(m_dir.isValid());
    QString error;

    DatabaseConfig lite;
    lite.path = m_dir.filePath(QStringLiteral("sup.db"));
    m_sqlite.db = std::make_unique<Database>(lite, QStringLiteral("sqltexts_sqlite"));
    QVERIFY2(m_sqlite.db->open(&error), qPrintable(error));
    QVERIFY2(m_sqlite.db->migrate(&error), qPrintable(error));
    QVERIFY2(DemoData::generate(*m_sqlite.db, DemoData::Size::Small, &error), qPrintable(error));
    QVERIFY(registerSqliteFunctions(m_sqlite.db->sql()));

    const QString host = qEnvironmentVariable("SUP_TEST_PG_HOST");
    if (host.isEmpty() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_postgres.skipReason = QStringLiteral("no PostgreSQL server named by SUP_TEST_PG_HOST");
        return;
    }
    m_pgAdmin.engine = DatabaseConfig::Engine::PostgreSQL;
    m_pgAdmin.host = host;
    m_pgAdmin.port = qEnvironmentVariableIntValue("SUP_TEST_PG_PORT") ? qEnvironmentVariableIntValue("SUP_TEST_PG_PORT") : 5432;
    m_pgAdmin.user = qEnvironmentVariable("SUP_TEST_PG_USER", QStringLiteral("postgres"));
    m_pgAdmin.name = QStringLiteral("postgres");
    m_pgName = QStringLiteral("sup_sqltexts_%1").arg(QCoreApplication::applicationPid());
    {
        Database admin(m_pgAdmin, QStringLiteral("sqltexts_admin"));
        QVERIFY2(admin.open(&error), qPrintable(error));
        QSqlQuery q(admin.sql());
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_pgName));
        QVERIFY2(q.exec(QStringLiteral("CREATE DATABASE %1").arg(m_pgName)), qPrintable(q.lastError().text()));
    }
    DatabaseConfig pg = m_pgAdmin;
    pg.name = m_pgName;
    m_postgres.db = std::make_unique<Database>(pg, QStringLiteral("sqltexts_pg"));
    QVERIFY2(m_postgres.db->open(&error), qPrintable(error));
    QVERIFY2(m_postgres.db->migrate(&error), qPrintable(error));
    QVERIFY2(DemoData::generate(*m_postgres.db, DemoData::Size::Small, &error), qPrintable(error));
}

void tst_SqlTexts::cleanupTestCase()
{
    m_sqlite.db.reset();
    if (!m_postgres.db)
        return;
    m_postgres.db.reset();
    Database admin(m_pgAdmin, QStringLiteral("sqltexts_admin_drop"));
    QString error;
    if (admin.open(&error)) {
        QSqlQuery q(admin.sql());
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_pgName));
    }
}

Database *tst_SqlTexts::engine(bool postgres)
{
    return postgres ? m_postgres.db.get() : m_sqlite.db.get();
}

// A value for every parameter name the texts use, taken from the demo data: branch 0001,
// buyer COMP01, manager GER01, "all" marks set.
QVariant tst_SqlTexts::sampleValue(const QString &param)
{
    const QString p = param.toUpper();
    if (p == u"P_CDFILIAL")
        return QStringLiteral("0001");
    if (p == u"P_CDOPERADOR" || p == u"P_CDOPERCOMP" || p == u"P_CDCOMPRADOR")
        return padOperator(QStringLiteral("COMP01"));
    if (p == u"P_CDOPERGERE")
        return padOperator(QStringLiteral("GER01"));
    if (p.startsWith(u"P_T"))
        return QStringLiteral("T");
    if (p == u"P_CDARVPROD")
        return QStringLiteral("0101001");
    if (p == u"P_DTCOL" || p == u"P_DTCOLEPREC")
        return QDate::currentDate().toString(Qt::ISODate);
    if (p == u"P_IDULTIDTVALQ")
        return QStringLiteral("D");
    if (p.startsWith(u"P_VERIF_"))
        return QStringLiteral("Verificação ") + p.right(1);
    if (p == u"P_CDFORNECED")
        return padCode(QStringLiteral("1"), 21);
    if (p == u"P_CDPRODUTO")
        return QStringLiteral("0000000001");
    return QStringLiteral("_0001_");
}

void tst_SqlTexts::addEngineRows(const char *text)
{
    QTest::newRow(qPrintable(QStringLiteral("%1/sqlite").arg(QString::fromLatin1(text)))) << QString::fromLatin1(text) << false;
    QTest::newRow(qPrintable(QStringLiteral("%1/postgres").arg(QString::fromLatin1(text)))) << QString::fromLatin1(text) << true;
}

void tst_SqlTexts::everyTextRuns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postgres");
    const QStringList files = QDir(QStringLiteral(":/sql")).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 10);
    for (const QString &file : files)
        addEngineRows(qPrintable(file.chopped(4)));
}

void tst_SqlTexts::everyTextRuns()
{
    QFETCH(QString, name);
    QFETCH(bool, postgres);
    if (!engine(postgres))
        QSKIP(qPrintable(m_postgres.skipReason));
    TADOIBQuery query(name);
    query.setDatabase(engine(postgres)->sql());
    for (const QString &param : query.paramNames())
        query.ParamByName(param).setValue(sampleValue(param));
    try {
        query.Open();
    } catch (const DataSetError &e) {
        QFAIL(qPrintable(QStringLiteral("%1 on %2: %3").arg(name, postgres ? "postgres" : "sqlite", e.message())));
    }
    QVERIFY(query.Active());
}

void tst_SqlTexts::textsFindTheDemoRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postgres");
    for (const char *text : {"qryCentCmp", "qryComprador", "qryGerente", "qryOperRelacAux", "qryPesqGereComp",
                             "qryVerComprador", "qryRegiao", "qryPesqForn", "Cli_sup05200.qryRegiao",
                             "Cli_sup05200.qryPesqForn", "qryVerificacoes", "qryProduto", "qryVerProduto",
                             "qryVerProdComp", "qryProdNegComp"})
        addEngineRows(text);
}

// What the forms rely on, checked on each engine: the central branch of 0001 is itself
// with its name; COMP01 is a buyer managed by GER01 with AUX01 related; the region and
// supplier searches list rows.
void tst_SqlTexts::textsFindTheDemoRows()
{
    QFETCH(QString, name);
    QFETCH(bool, postgres);
    if (!engine(postgres))
        QSKIP(qPrintable(m_postgres.skipReason));
    TADOIBQuery query(name);
    query.setDatabase(engine(postgres)->sql());
    for (const QString &param : query.paramNames())
        query.ParamByName(param).setValue(sampleValue(param));
    if (name == u"qryVerProduto") {
        QSqlQuery first(engine(postgres)->sql());
        QVERIFY(first.exec(QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODUTO")) && first.next());
        query.ParamByName(QStringLiteral("P_CDPRODUTO")).setValue(first.value(0));
    }
    query.Open();
    QVERIFY2(!query.IsEmpty(), qPrintable(name));

    if (name == u"qryCentCmp") {
        QCOMPARE(query.RecordCount(), 1);
        QCOMPARE(query.FieldByName(QStringLiteral("CDFILIAL"))->asString().trimmed(), QStringLiteral("0001"));
        QVERIFY(!query.FieldByName(QStringLiteral("NMFILIAL_CENTRAL"))->asString().isEmpty());
    } else if (name == u"qryComprador") {
        QVERIFY(query.RecordCount() >= 2); // every buyer, with the all-mark
        QVERIFY(query.Locate(QStringLiteral("CDOPERADOR"), padOperator(QStringLiteral("COMP01"))));
        QVERIFY(!query.FieldByName(QStringLiteral("NMOPERADOR"))->asString().isEmpty());
    } else if (name == u"qryGerente") {
        QVERIFY(query.Locate(QStringLiteral("CDOPERGERE"), padOperator(QStringLiteral("GER01"))));
    } else if (name == u"qryOperRelacAux") {
        QVERIFY(query.Locate(QStringLiteral("CDOPERADOR"), padOperator(QStringLiteral("AUX01"))));
    } else if (name == u"qryPesqGereComp") {
        QVERIFY(query.Locate(QStringLiteral("CDOPERADOR"), padOperator(QStringLiteral("COMP02"))));
    } else if (name == u"qryVerComprador") {
        QCOMPARE(query.RecordCount(), 1);
    } else if (name == u"qryVerificacoes") {
        // One row per verification, in code order, named by its parameter and padded to 60.
        QCOMPARE(query.RecordCount(), 4);
        int n = 0;
        for (query.First(); !query.Eof(); query.Next(), ++n) {
            QCOMPARE(query.FieldByName(QStringLiteral("CDVERIF"))->asString(), QString::number(n));
            const QString text = query.FieldByName(QStringLiteral("NMVERIF"))->asString();
            QCOMPARE(text.trimmed(), QStringLiteral("Verificação %1").arg(n));
            QCOMPARE(text.size(), 60);
            QCOMPARE(query.FieldByName(QStringLiteral("IDMARCADO"))->asString(), QStringLiteral("N"));
        }
    } else if (name == u"qryProduto") {
        QString previous;
        for (query.First(); !query.Eof(); query.Next()) {
            const QString tree = query.FieldByName(QStringLiteral("CDARVPROD"))->asString();
            QVERIFY2(previous <= tree, qPrintable(previous + QLatin1String(" > ") + tree));
            previous = tree;
        }
    } else if (name == u"qryVerProduto") {
        QCOMPARE(query.RecordCount(), 1);
    } else if (name == u"qryVerProdComp") {
        // COMP01 negotiates the group 01: every product under it is his.
        QCOMPARE(query.FieldByName(QStringLiteral("CDOPERADOR"))->asString(), padOperator(QStringLiteral("COMP01")));
        query.Close();
        query.ParamByName(QStringLiteral("P_CDOPERADOR")).setValue(padOperator(QStringLiteral("COMP02")));
        query.Open();
        QVERIFY(query.IsEmpty());
    } else if (name == u"qryProdNegComp") {
        QVERIFY(query.FieldByName(QStringLiteral("CTPRODOPER"))->value().toInt() > 0);
    } else if (name == u"Cli_sup05200.qryPesqForn") {
        for (query.First(); !query.Eof(); query.Next())
            QCOMPARE(query.FieldByName(QStringLiteral("IDMARCADO"))->asString(), QStringLiteral("N"));
    }
}

void tst_SqlTexts::supplierQualificationRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postgres");
    addEngineRows("qryQualifForn");
}

// qryQualifForn answers for a supplier without qualification, and for none whose
// qualification forbids quoting or has expired at the collection date.
void tst_SqlTexts::supplierQualificationRules()
{
    QFETCH(QString, name);
    QFETCH(bool, postgres);
    if (!engine(postgres))
        QSKIP(qPrintable(m_postgres.skipReason));
    auto supplierWhere = [&](const QString &condition) {
        QSqlQuery q(engine(postgres)->sql());
        const QString sql = QStringLiteral("SELECT FORNECEDOR.CDFORNECED FROM FORNECEDOR LEFT JOIN QUALIFICACAO "
                                           "ON FORNECEDOR.CDQUALIF = QUALIFICACAO.CDQUALIF WHERE %1 "
                                           "ORDER BY FORNECEDOR.CDFORNECED").arg(condition);
        return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
    };
    auto rows = [&](const QString &supplier, const QString &date, const QString &rule) {
        TADOIBQuery query(name);
        query.setDatabase(engine(postgres)->sql());
        query.ParamByName(QStringLiteral("P_CDFORNECED")).setValue(supplier);
        query.ParamByName(QStringLiteral("P_DTCOLEPREC")).setValue(date);
        query.ParamByName(QStringLiteral("P_IDULTIDTVALQ")).setValue(rule);
        query.Open();
        return query.RecordCount();
    };
    const QString today = QDate::currentDate().toString(Qt::ISODate);

    const QString free = supplierWhere(QStringLiteral("FORNECEDOR.CDQUALIF IS NULL"));
    QVERIFY(!free.isEmpty());
    QCOMPARE(rows(free, today, QStringLiteral("D")), 1);

    const QString forbidden = supplierWhere(QStringLiteral("QUALIFICACAO.IDPERCOTCMP = '2' AND FORNECEDOR.IDFORNAUTO = 'N'"));
    if (!forbidden.isEmpty())
        QCOMPARE(rows(forbidden, today, QStringLiteral("D")), 0);

    // A valid qualification holds up to its last day, and with 'M' to the end of its month.
    const QString qualified = supplierWhere(QStringLiteral("QUALIFICACAO.IDPERCOTCMP = '1' AND FORNECEDOR.DTVALQUALIF IS NOT NULL"));
    QVERIFY(!qualified.isEmpty());
    QSqlQuery validity(engine(postgres)->sql());
    validity.prepare(QStringLiteral("SELECT DTVALQUALIF FROM FORNECEDOR WHERE CDFORNECED = :C"));
    validity.bindValue(QStringLiteral(":C"), qualified);
    QVERIFY(validity.exec() && validity.next());
    const QDate until = QDate::fromString(validity.value(0).toString().left(10), Qt::ISODate);
    QVERIFY(until.isValid());
    QCOMPARE(rows(qualified, until.toString(Qt::ISODate), QStringLiteral("D")), 1);
    QCOMPARE(rows(qualified, until.addDays(1).toString(Qt::ISODate), QStringLiteral("D")), 0);
    const QDate monthEnd(until.year(), until.month(), until.daysInMonth());
    QCOMPARE(rows(qualified, monthEnd.toString(Qt::ISODate), QStringLiteral("M")), 1);
    QCOMPARE(rows(qualified, monthEnd.addDays(1).toString(Qt::ISODate), QStringLiteral("M")), 0);
}

void tst_SqlTexts::quotableProductsAndJustifications_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postgres");
    addEngineRows("qryGridProduto");
}

// qryGridProduto lists the stocked, active products (all, or the one of a tree code), with
// IDUTLPROCMP 'S' only those that are not their own stock product; qryPesqJust every
// standard justification in code order.
void tst_SqlTexts::quotableProductsAndJustifications()
{
    QFETCH(QString, name);
    QFETCH(bool, postgres);
    if (!engine(postgres))
        QSKIP(qPrintable(m_postgres.skipReason));
    auto count = [&](const QString &where) {
        QSqlQuery q(engine(postgres)->sql());
        return q.exec(QStringLiteral("SELECT COUNT(*) FROM PRODUTO WHERE %1").arg(where)) && q.next() ? q.value(0).toInt()
                                                                                                   : -1;
    };
    auto first = [&](const QString &where) {
        QSqlQuery q(engine(postgres)->sql());
        const QString sql = QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE %1 ORDER BY CDARVPROD").arg(where);
        return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
    };
    auto products = [&](const QString &ownStock, const QString &tree, const QString &all) {
        auto query = std::make_unique<TADOIBQuery>(name);
        query->setDatabase(engine(postgres)->sql());
        query->ParamByName(QStringLiteral("P_IDUTLPROCMP")).setValue(ownStock);
        query->ParamByName(QStringLiteral("P_CDARVPROD")).setValue(tree);
        query->ParamByName(QStringLiteral("P_TCDPRODUTO")).setValue(all);
        query->Open();
        return query;
    };
    const QString quotable = QStringLiteral("CDPRODESTO IS NOT NULL AND COALESCE(IDPRODATIVPR, 'S') = 'S'");
    auto all = products(QStringLiteral("N"), QString(), QStringLiteral("T"));
    QVERIFY(all->RecordCount() > 0);
    QCOMPARE(all->RecordCount(), count(quotable));
    QString previous;
    for (all->First(); !all->Eof(); all->Next()) {
        const QString tree = all->FieldByName(QStringLiteral("CDARVPROD"))->asString();
        QVERIFY2(previous < tree, qPrintable(previous + QLatin1String(" >= ") + tree));
        previous = tree;
    }
    QVERIFY(all->dataSet()->findField(QStringLiteral("SGUNIDADE")) != nullptr);
    QVERIFY(all->dataSet()->findField(QStringLiteral("CDPRODUTO")) != nullptr);
    const int notOwnStock = count(quotable + QStringLiteral(" AND CDPRODUTO <> CDPRODESTO"));
    QVERIFY(notOwnStock > 0);
    QCOMPARE(products(QStringLiteral("S"), QString(), QStringLiteral("T"))->RecordCount(), notOwnStock);

    const QString one = first(quotable);
    auto single = products(QStringLiteral("N"), one, QString());
    QCOMPARE(single->RecordCount(), 1);
    QCOMPARE(single->FieldByName(QStringLiteral("CDARVPROD"))->asString(), one);
    const QString inactive = first(QStringLiteral("IDPRODATIVPR = 'N' AND CDPRODESTO IS NOT NULL"));
    QVERIFY(!inactive.isEmpty());
    QCOMPARE(products(QStringLiteral("N"), inactive, QString())->RecordCount(), 0);
    const QString group = first(QStringLiteral("CDPRODESTO IS NULL"));
    QCOMPARE(products(QStringLiteral("N"), group, QString())->RecordCount(), 0);

    TADOIBQuery justifications(QStringLiteral("qryPesqJust"));
    justifications.setDatabase(engine(postgres)->sql());
    justifications.Open();
    QSqlQuery stored(engine(postgres)->sql());
    QVERIFY(stored.exec(QStringLiteral("SELECT COUNT(*) FROM JUSTSOLI")) && stored.next());
    QVERIFY(stored.value(0).toInt() > 0);
    QCOMPARE(justifications.RecordCount(), stored.value(0).toInt());
    QString code;
    for (justifications.First(); !justifications.Eof(); justifications.Next()) {
        const QString next = justifications.FieldByName(QStringLiteral("CDJUSTSOL"))->asString();
        QVERIFY(code < next);
        code = next;
        QVERIFY(!justifications.FieldByName(QStringLiteral("DSJUSTSOL"))->asString().isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_SqlTexts)
#include "tst_sqltexts.moc"
