// The package's look-ups run by the server (GetConsulta, LookupRunner): only the package's
// own named texts, read-only, with a row limit and parameters bound by type, on SQLite and,
// when the environment names a PostgreSQL server, on PostgreSQL.  Every row a test reads it
// builds itself on an empty schema.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "LookupRunner.h"
#include "MethodTable.h"
#include "ServerError.h"
#include "Session.h"
#include "SqlTexts.h"

#include <QSqlQuery>
#include <QtTest>

class tst_Lookups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void unknownTextNamesAreRefused_data();
    void unknownTextNamesAreRefused();
    void textsCannotWrite_data() { EngineDatabase::addEngineRows(); }
    void textsCannotWrite();
    void rowsBeyondTheLimitAreRefusedNotCut_data() { EngineDatabase::addEngineRows(); }
    void rowsBeyondTheLimitAreRefusedNotCut();
    void parametersBindByTypeInTheEnginesSection_data() { EngineDatabase::addEngineRows(); }
    void parametersBindByTypeInTheEnginesSection();
    void parameterArraysAreChecked();

private:
    Database &db();
    QVariant getConsulta(const QString &name, const QVariantList &names, const QVariantList &values);
    void exec(const QString &sql, const QVariantMap &params = {});
    QStringList regionNames();

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("lookups")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("lookups")};
    Database *m_current = nullptr;
};

#define ENGINE() SUP_ENGINE_ROW(m_sqlite, m_postgres, m_current)

void tst_Lookups::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::Schema, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::Schema, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_Lookups::init()
{
    m_current = m_sqlite.get();
    for (EngineDatabase *engine : {&m_sqlite, &m_postgres}) {
        if (!engine->isAvailable())
            continue;
        m_current = engine->get();
        exec(QStringLiteral("DELETE FROM FORNECEDOR"));
        exec(QStringLiteral("DELETE FROM QUALIFICACAO"));
        exec(QStringLiteral("DELETE FROM REGIAO"));
        for (const char *code : {"001", "002", "003"})
            exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:C, :N)"),
                 {{QStringLiteral("C"), QString::fromLatin1(code)},
                  {QStringLiteral("N"), QStringLiteral("Região ") + QString::fromLatin1(code)}});
    }
    m_current = m_sqlite.get();
}

Database &tst_Lookups::db()
{
    return *m_current;
}

void tst_Lookups::exec(const QString &sql, const QVariantMap &params)
{
    db().exec(sql, params);
}

QStringList tst_Lookups::regionNames()
{
    QStringList names;
    QSqlQuery q = db().exec(QStringLiteral("SELECT NMREGIAO FROM REGIAO ORDER BY CDREGIAO"));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

QVariant tst_Lookups::getConsulta(const QString &name, const QVariantList &names, const QVariantList &values)
{
    const MethodDecl *decl = m_table.find(kSuprimentosObject, QStringLiteral("GetConsulta"));
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), QStringLiteral("GetConsulta"));
    QVariantList args{name, names, values};
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = padOperator(QStringLiteral("COMP01"));
    session.branch = QStringLiteral("0001");
    session.loggedIn = true;
    CallContext ctx{session, db(), decl->contract, args};
    return decl->fn(ctx);
}

void tst_Lookups::unknownTextNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no such text") << QStringLiteral("qryNaoExiste");
    QTest::newRow("a message table by path") << QStringLiteral("../messages/padrao");
    QTest::newRow("with its folder") << QStringLiteral("sql/qryRegiao");
    QTest::newRow("with its extension") << QStringLiteral("qryRegiao.sql");
    QTest::newRow("a resource path") << QStringLiteral(":/sql/qryRegiao");
    QTest::newRow("other case") << QStringLiteral("QRYREGIAO");
    QTest::newRow("SQL instead of a name") << QStringLiteral("SELECT * FROM OPERADOR");
    QTest::newRow("empty") << QString();
}

void tst_Lookups::unknownTextNamesAreRefused()
{
    QFETCH(QString, name);
    QVERIFY(SqlTexts::isResourceName(QStringLiteral("qryRegiao"))); // the control
    try {
        getConsulta(name, {}, {});
        QFAIL("an unknown text ran");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
    }
    // The same name is refused below the method too.
    QVERIFY_THROWS_EXCEPTION(ServerError, LookupRunner::run(db(), name, {}));
}

void tst_Lookups::textsCannotWrite()
{
    ENGINE();
    const QStringList before = regionNames();
    const QStringList writes{
        QStringLiteral("UPDATE REGIAO SET NMREGIAO = 'Alterada'"),
        QStringLiteral("DELETE FROM REGIAO"),
        QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES ('999', 'Nova')"),
    };
    for (const QString &sql : writes) {
        SqlTexts texts;
        texts.setSection(QStringLiteral("default"), sql);
        try {
            LookupRunner::runTexts(db(), texts, QStringLiteral("escrita"), {});
            QFAIL(qPrintable(QStringLiteral("a look-up wrote: ") + sql));
        } catch (const ServerError &e) {
            QCOMPARE(e.code(), QStringLiteral("server"));
        }
        QCOMPARE(regionNames(), before);
    }
    // The guard ends with the look-up: the worker's connection writes again for the other
    // methods, and a look-up after a refused one runs.
    QVERIFY(!db().inTransaction());
    exec(QStringLiteral("UPDATE REGIAO SET NMREGIAO = 'Depois' WHERE CDREGIAO = '001'"));
    QCOMPARE(regionNames().first(), QStringLiteral("Depois"));
    const DataPacket packet = LookupRunner::run(db(), QStringLiteral("Cli_sup05209.qryRegiao"),
                                                {{QStringLiteral("P_TREGIAO"), QStringLiteral("T")}});
    QCOMPARE(packet.rowCount(), 3);
}

void tst_Lookups::rowsBeyondTheLimitAreRefusedNotCut()
{
    ENGINE();
    const QVariantMap all{{QStringLiteral("P_TREGIAO"), QStringLiteral("T")}};
    QCOMPARE(LookupRunner::run(db(), QStringLiteral("Cli_sup05209.qryRegiao"), all, 3).rowCount(), 3);
    try {
        LookupRunner::run(db(), QStringLiteral("Cli_sup05209.qryRegiao"), all, 2);
        QFAIL("a look-up over the limit answered");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("server"));
        QVERIFY2(e.message().contains(QStringLiteral("2")), qPrintable(e.message()));
    }
}

// Cli_sup05209.qryVd_Forne compares a date parameter with a stored date, calls LAST_DAY
// (registered on the server's SQLite connections, a function on PostgreSQL) and reads a
// supplier by a text parameter; an absent parameter binds as null.
void tst_Lookups::parametersBindByTypeInTheEnginesSection()
{
    ENGINE();
    exec(QStringLiteral("INSERT INTO QUALIFICACAO (CDQUALIF, NMQUALIF, IDPERCOTCMP) VALUES ('Q1', 'Homologado', '1')"));
    exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, CDQUALIF, "
                        "DTVALQUALIF) VALUES ('F1', 'J', '111', 'Fornecedor Um', 'Q1', :D)"),
         {{QStringLiteral("D"), QDate(2026, 12, 10)}});
    const QString text = QStringLiteral("Cli_sup05209.qryVd_Forne");
    const auto rows = [&](const QVariantList &values) {
        const QVariant result = getConsulta(
            text, {QStringLiteral("P_CDFORNECED"), QStringLiteral("p_dtcoleprec"), QStringLiteral(":P_IDULTIDTVALQ")},
            values);
        return result.value<DataPacket>().rowCount();
    };
    QCOMPARE(rows({QStringLiteral("F1"), QDate(2026, 12, 10), QStringLiteral("D")}), 1);
    QCOMPARE(rows({QStringLiteral("F1"), QDate(2026, 12, 11), QStringLiteral("D")}), 0);
    QCOMPARE(rows({QStringLiteral("F1"), QDate(2026, 12, 31), QStringLiteral("M")}), 1);
    QCOMPARE(rows({QStringLiteral("F1"), QDate(2027, 1, 1), QStringLiteral("M")}), 0);
    QCOMPARE(rows({QStringLiteral("F1"), QVariant(), QStringLiteral("D")}), 0);

    // Values come back typed as the query component types them: a date column as dates,
    // numbers as numbers, a null as null.
    SqlTexts echo;
    echo.setSection(QStringLiteral("default"),
                    QStringLiteral("SELECT DTVALQUALIF, 2 AS NRDOIS, NMFANTFORN FROM FORNECEDOR WHERE CDFORNECED = :P_CD"));
    const DataPacket packet = LookupRunner::runTexts(db(), echo, QStringLiteral("eco"), {{QStringLiteral("P_CD"), "F1"}});
    QCOMPARE(packet.rowCount(), 1);
    QCOMPARE(packet.fields().at(0).type, FieldType::Date);
    QCOMPARE(packet.rows().at(0).at(0), QVariant(QDate(2026, 12, 10)));
    QCOMPARE(packet.fields().at(1).type, FieldType::Integer);
    QCOMPARE(packet.rows().at(0).at(1).toLongLong(), 2);
    QVERIFY(packet.rows().at(0).at(2).isNull());
}

void tst_Lookups::parameterArraysAreChecked()
{
    const auto refused = [&](const QVariantList &names, const QVariantList &values) {
        try {
            getConsulta(QStringLiteral("Cli_sup05209.qryRegiao"), names, values);
            return QStringLiteral("ran");
        } catch (const ServerError &e) {
            return e.code();
        }
    };
    QCOMPARE(refused({QStringLiteral("P_TREGIAO")}, {}), QStringLiteral("arguments"));
    QCOMPARE(refused({QStringLiteral("P_TREGIAO")}, {QVariant(QVariantList{QStringLiteral("T")})}),
             QStringLiteral("arguments"));
    QCOMPARE(refused({QVariant(7)}, {QStringLiteral("T")}), QStringLiteral("arguments"));
    QCOMPARE(refused({QStringLiteral("P_TREGIAO")}, {QStringLiteral("T")}), QStringLiteral("ran"));
    // A name the text does not have is ignored; the text's parameters not sent are null.
    const QVariant one = getConsulta(QStringLiteral("Cli_sup05209.qryRegiao"),
                                     {QStringLiteral("P_CDREGIAO"), QStringLiteral("P_OUTRO")},
                                     {QStringLiteral("002"), QStringLiteral("x")});
    QCOMPARE(one.value<DataPacket>().rowCount(), 1);
    QCOMPARE(one.value<DataPacket>().rows().at(0).at(0).toString(), QStringLiteral("002"));
}

QTEST_GUILESS_MAIN(tst_Lookups)
#include "tst_lookups.moc"
