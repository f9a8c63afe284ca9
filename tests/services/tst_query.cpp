#include "DataSetError.h"
#include "SqliteFunctions.h"
#include "TADOIBQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class tst_Query : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void dialectSelection();
    void parameterNamesSkipLiteralsAndCasts();
    void nullFunctions();
    void lastDayKeepsTheTime();
    void rpadPadsAndCuts();
    void paramCarriesTheListAsOneRow();
    void paramWithEmptyOrNullList();
    void paramJoinedWithItsValueCast();
    void namedParameterUsedTwice();
    void resultsAsReadOnlyDataSet();
    void unknownParameterAndBadSqlRaise();

private:
    TADOIBQuery *query(const QString &sql);
    QVariant scalar(const QString &sql);

    QTemporaryDir m_dir;
    QSqlDatabase m_db;
    QList<TADOIBQuery *> m_queries;
};

void tst_Query::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst_query"));
    m_db.setDatabaseName(m_dir.filePath(QStringLiteral("sup.db")));
    QVERIFY(m_db.open());
    QVERIFY(registerSqliteFunctions(m_db));

    QSqlQuery q(m_db);
    QVERIFY(q.exec("CREATE TABLE FORNECEDOR (CDFORNECED VARCHAR(21) PRIMARY KEY, NMRAZSOCFORN VARCHAR(40),"
                   " NMFANTFORN VARCHAR(40), DTVALQUALIF DATE, IDTPIJURFORN VARCHAR(1))"));
    QVERIFY(q.exec("INSERT INTO FORNECEDOR VALUES ('F001', 'Alfa Ltda', NULL, '2026-02-10', 'J'),"
                   " ('F002', 'Beta SA', '  ', '2026-12-07 10:30:00', 'J'),"
                   " ('F003', 'Gama ME', 'Gama', NULL, 'F'),"
                   " ('F010', 'Delta', 'Delta', '2024-02-03', 'I')"));
}

void tst_Query::cleanupTestCase()
{
    qDeleteAll(m_queries);
    m_queries.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("tst_query"));
}

TADOIBQuery *tst_Query::query(const QString &sql)
{
    auto *q = new TADOIBQuery;
    m_queries << q;
    q->setDatabase(m_db);
    SqlTexts texts;
    texts.setSection(QStringLiteral("default"), sql);
    q->setSqlTexts(texts);
    return q;
}

QVariant tst_Query::scalar(const QString &sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql) || !q.next()) {
        qWarning() << q.lastError().text();
        return QStringLiteral("<error>");
    }
    return q.value(0);
}

void tst_Query::dialectSelection()
{
    const SqlTexts texts = SqlTexts::fromText(QStringLiteral(
        "# qryCentCmp\n"
        "[default]\nSELECT NVLSTR(A, B) FROM FILIAL\n"
        "[oracle]\nSELECT NVL(A, B) FROM FILIAL\n"
        "[MSSQL]\nSELECT ISNULL(A, B) FROM FILIAL\n"
        "[postgres]\nSELECT COALESCE(A, B) FROM FILIAL\n"));
    QCOMPARE(texts.textFor("QSQLITE"), QStringLiteral("SELECT NVLSTR(A, B) FROM FILIAL"));
    QCOMPARE(texts.textFor("QPSQL"), QStringLiteral("SELECT COALESCE(A, B) FROM FILIAL"));
    QCOMPARE(texts.textFor("QODBC"), QStringLiteral("SELECT NVLSTR(A, B) FROM FILIAL"));
    QCOMPARE(texts.section("mssql"), QStringLiteral("SELECT ISNULL(A, B) FROM FILIAL"));

    // An own sqlite section wins on SQLite only; text before any section is the default.
    const SqlTexts own = SqlTexts::fromText(QStringLiteral("SELECT 1\n[sqlite]\nSELECT 2\n"));
    QCOMPARE(own.textFor("QSQLITE"), QStringLiteral("SELECT 2"));
    QCOMPARE(own.textFor("QPSQL"), QStringLiteral("SELECT 1"));

    // Texts kept as resources
    SqlTexts fromFile;
    QVERIFY(SqlTexts::fromResource("produto_dados", &fromFile));
    QVERIFY(fromFile.textFor("QSQLITE").contains(":P_CDARVPROD"));
    QVERIFY(!SqlTexts::fromResource("no_such_query", &fromFile));
    QVERIFY_THROWS_EXCEPTION(DataSetError, TADOIBQuery("no_such_query"));
}

void tst_Query::parameterNamesSkipLiteralsAndCasts()
{
    const QStringList names = TADOIBQuery::parameterNames(QStringLiteral(
        "SELECT ':P_NOT' AS A, \"x:y\", B::text -- :P_COMMENT\n"
        "FROM T WHERE C = :P_CDFILIAL AND (:P_T = 'T' OR D = :p_cdfilial) AND E = 'it''s :P_NO'"));
    QCOMPARE(names, (QStringList{"P_CDFILIAL", "P_T"}));
}

void tst_Query::nullFunctions()
{
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED, NVLSTR(NMFANTFORN, NMRAZSOCFORN) AS NOME, NVL(NMFANTFORN, 'x') AS FANT"
        " FROM FORNECEDOR ORDER BY CDFORNECED"));
    q->Open();
    QCOMPARE(q->RecordCount(), 4);
    q->First();
    QCOMPARE(q->FieldByName("NOME")->asString(), QStringLiteral("Alfa Ltda")); // null
    QCOMPARE(q->FieldByName("FANT")->asString(), QStringLiteral("x"));
    q->Next();
    QCOMPARE(q->FieldByName("NOME")->asString(), QStringLiteral("Beta SA")); // blank
    QCOMPARE(q->FieldByName("FANT")->asString(), QStringLiteral("  "));      // NVL keeps blanks
    q->Next();
    QCOMPARE(q->FieldByName("NOME")->asString(), QStringLiteral("Gama"));
    QCOMPARE(scalar("SELECT NVLSTR(NULL, NULL) IS NULL").toInt(), 1);
}

void tst_Query::lastDayKeepsTheTime()
{
    QCOMPARE(scalar("SELECT LAST_DAY('2024-02-03')").toString(), QStringLiteral("2024-02-29"));
    QCOMPARE(scalar("SELECT LAST_DAY('2026-12-07 10:30:00')").toString(), QStringLiteral("2026-12-31 10:30:00"));
    QCOMPARE(scalar("SELECT LAST_DAY('not a date') IS NULL").toInt(), 1);
    QCOMPARE(scalar("SELECT LAST_DAY(NULL) IS NULL").toInt(), 1);

    // The qualification check: a date up to the end of the month of DTVALQUALIF
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED FROM FORNECEDOR WHERE :P_DTCOLEPREC <= LAST_DAY(DTVALQUALIF) ORDER BY 1"));
    q->ParamByName("P_DTCOLEPREC").setAsDate(QDate(2026, 2, 20));
    q->Open();
    QCOMPARE(q->RecordCount(), 2); // F001 (until 2026-02-28) and F002
    QCOMPARE(q->FieldByName("CDFORNECED")->asString(), QStringLiteral("F001"));
}

void tst_Query::rpadPadsAndCuts()
{
    QCOMPARE(scalar("SELECT RPAD('Gama', 6)").toString(), QStringLiteral("Gama  "));
    QCOMPARE(scalar("SELECT RPAD('Gama', 6, '.')").toString(), QStringLiteral("Gama.."));
    QCOMPARE(scalar("SELECT RPAD('Região', 3, ' ')").toString(), QStringLiteral("Reg"));
    QCOMPARE(scalar("SELECT RPAD('ab', 7, 'xy')").toString(), QStringLiteral("abxyxyx"));
    QCOMPARE(scalar("SELECT RPAD(NULL, 3) IS NULL").toInt(), 1);
    QCOMPARE(scalar("SELECT length(CAST(RPAD(NMRAZSOCFORN, 40, ' ') AS VARCHAR(40))) FROM FORNECEDOR LIMIT 1").toInt(), 40);
}

void tst_Query::paramCarriesTheListAsOneRow()
{
    QCOMPARE(scalar("SELECT count(*) FROM PARAM('_F001__F003_')").toInt(), 1);
    QCOMPARE(scalar("SELECT PARAM FROM PARAM('_F001__F003_')").toString(), QStringLiteral("_F001__F003_"));

    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED, NMRAZSOCFORN FROM FORNECEDOR, PARAM(:P_CDFORNECED) P_CDFORNECED"
        " WHERE INSTR(P_CDFORNECED.PARAM, CDFORNECED) > 0 ORDER BY CDFORNECED"));
    q->ParamByName("P_CDFORNECED").setAsString("_F001__F003_");
    q->Open();
    QCOMPARE(q->RecordCount(), 2);
    QCOMPARE(q->FieldByName("CDFORNECED")->asString(), QStringLiteral("F001"));
    q->Last();
    QCOMPARE(q->FieldByName("CDFORNECED")->asString(), QStringLiteral("F003"));

    q->ParamByName("P_CDFORNECED").setAsString("_F010_");
    q->Open();
    QCOMPARE(q->RecordCount(), 1);
}

void tst_Query::paramWithEmptyOrNullList()
{
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED FROM FORNECEDOR, PARAM(:P_CDFORNECED) P_CDFORNECED"
        " WHERE INSTR(P_CDFORNECED.PARAM, CDFORNECED) > 0"));
    q->ParamByName("P_CDFORNECED").setAsString(QString(""));
    q->Open();
    QVERIFY(q->IsEmpty());
    q->ParamByName("P_CDFORNECED").clear();
    q->Open();
    QVERIFY(q->IsEmpty());
    // A verification row built from a parameter: one row even from PARAMGERAL-like joins.
    QCOMPARE(scalar("SELECT count(*) FROM FORNECEDOR, PARAM('') P").toInt(), 4);
}

void tst_Query::paramJoinedWithItsValueCast()
{
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT 'N' AS IDMARCADO, '0' AS CDVERIF, CAST(RPAD(P_VERIF_0.PARAM, 60, ' ') AS VARCHAR(60)) AS NMVERIF"
        " FROM PARAM(:P_VERIF_0) P_VERIF_0"
        " UNION ALL SELECT 'N', '1', CAST(RPAD(P_VERIF_1.PARAM, 60, ' ') AS VARCHAR(60))"
        " FROM PARAM(:P_VERIF_1) P_VERIF_1 ORDER BY 2"));
    q->ParamByName("P_VERIF_0").setAsString("Verificar Produto por Comprador");
    q->ParamByName("P_VERIF_1").setAsString("Verificar Qualificação de Fornecedor");
    q->Open();
    QCOMPARE(q->RecordCount(), 2);
    QCOMPARE(q->FieldByName("NMVERIF")->asString().size(), 60);
    QCOMPARE(q->FieldByName("NMVERIF")->asString().trimmed(), QStringLiteral("Verificar Produto por Comprador"));
}

void tst_Query::namedParameterUsedTwice()
{
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED FROM FORNECEDOR WHERE"
        " ((:P_IDULTIDTVALQ = 'D' AND :P_DTCOLEPREC <= DTVALQUALIF)"
        "  OR (:P_IDULTIDTVALQ = 'M' AND :P_DTCOLEPREC <= LAST_DAY(DTVALQUALIF))) ORDER BY 1"));
    QCOMPARE(q->paramNames(), (QStringList{"P_IDULTIDTVALQ", "P_DTCOLEPREC"}));
    q->ParamByName(":p_idultidtvalq").setAsString("D");
    q->ParamByName("P_DTCOLEPREC").setAsDate(QDate(2026, 2, 20));
    q->Open();
    QCOMPARE(q->RecordCount(), 1); // only F002 by the day
    q->ParamByName("P_IDULTIDTVALQ").setAsString("M");
    q->Open();
    QCOMPARE(q->RecordCount(), 2); // F001 too, by the month
}

void tst_Query::resultsAsReadOnlyDataSet()
{
    TADOIBQuery *q = query(QStringLiteral(
        "SELECT CDFORNECED, DTVALQUALIF, 1.5 AS VALOR, 2 AS QTD FROM FORNECEDOR"
        " WHERE CDFORNECED IN ('F001', 'F010') ORDER BY CDFORNECED"));
    q->Open();
    QVERIFY(q->Active());
    QCOMPARE(q->FieldByName("DTVALQUALIF")->dataType(), FieldType::Date);
    QCOMPARE(q->FieldByName("DTVALQUALIF")->asDate(), QDate(2026, 2, 10));
    QCOMPARE(q->FieldByName("VALOR")->dataType(), FieldType::Float);
    QCOMPARE(q->FieldByName("QTD")->dataType(), FieldType::Integer);
    QCOMPARE(q->GetRecNo(), 1);
    QVERIFY(q->Locate("CDFORNECED", "f010", LocateOption::CaseInsensitive));
    QCOMPARE(q->GetRecNo(), 2);
    QVERIFY(q->dataSet()->readOnly());

    q->setFieldType("DTVALQUALIF", FieldType::String, 19);
    q->Open();
    QCOMPARE(q->FieldByName("DTVALQUALIF")->dataType(), FieldType::String);
    q->Close();
    QVERIFY(!q->Active());
}

void tst_Query::unknownParameterAndBadSqlRaise()
{
    TADOIBQuery *q = query(QStringLiteral("SELECT * FROM FORNECEDOR WHERE CDFORNECED = :P_CDFORNECED"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, q->ParamByName("P_CDREGIAO"));
    TADOIBQuery *bad = query(QStringLiteral("SELECT * FROM NO_SUCH_TABLE"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, bad->Open());
    QVERIFY(!bad->Active());
}

QTEST_GUILESS_MAIN(tst_Query)
#include "tst_query.moc"
