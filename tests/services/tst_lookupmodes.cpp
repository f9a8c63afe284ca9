// The query component in both look-up modes against a real server: the package's texts run
// through the server give the same dataset (fields, types, rows) as run on the database
// directly, for look-ups with dates, nulls, numbers, the SQLite functions and the engines'
// own sections, on SQLite and, when the environment names one, on PostgreSQL; and a session
// in server mode has no database at all.

#include "Corvane.h"
#include "DataSetError.h"
#include "NetConnection.h"
#include "ServerFixture.h"
#include "SqlTexts.h"
#include "SuprimentosClient.h"
#include "TADOIBQuery.h"

#include <QtTest>

#include <functional>

namespace {

// One look-up as a form makes it: the text, its parameters and the column types the form
// sets.
struct Lookup
{
    QString text;
    std::function<void(TADOIBQuery &)> prepare;
};

QString describe(const DataPacket &p)
{
    QStringList lines;
    for (const FieldDef &f : p.fields())
        lines << QStringLiteral("%1 %2 %3").arg(f.name).arg(int(f.type)).arg(f.size);
    for (const QVariantList &row : p.rows()) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : QStringLiteral("%1:%2").arg(v.typeName(), v.toString()));
        lines << cells.join(u'|');
    }
    return lines.join(u'\n');
}

} // namespace

class tst_LookupModes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void serverModeGivesTheRowsOfDirectMode_data();
    void serverModeGivesTheRowsOfDirectMode();
    void serverModeOpensNoDatabase();
    void directModeWithoutADatabaseNeverFallsBackToTheServer();
    void onlyNamedTextsRunThroughTheServer();

private:
    ServerFixture *fixture(bool postgres);
    bool addTestRows(ServerFixture &server, QString *error);
    QList<Lookup> lookups(ServerFixture &server);
    QList<DataPacket> runAll(ServerFixture &server, Corvane::Lookups mode, const QList<Lookup> &list);

    ServerFixture m_sqlite;
    ServerFixture m_postgres;
    bool m_postgresReady = false;
};

void tst_LookupModes::initTestCase()
{
    QString error;
    QVERIFY2(m_sqlite.start(&error), qPrintable(error));
    QVERIFY2(addTestRows(m_sqlite, &error), qPrintable(error));
    m_postgresReady = m_postgres.startPostgres(&error);
    QVERIFY2(m_postgresReady || error.isEmpty(), qPrintable(error));
    if (m_postgresReady)
        QVERIFY2(addTestRows(m_postgres, &error), qPrintable(error));
}

void tst_LookupModes::cleanupTestCase()
{
    m_sqlite.stop();
    m_postgres.stop();
}

ServerFixture *tst_LookupModes::fixture(bool postgres)
{
    return postgres ? (m_postgresReady ? &m_postgres : nullptr) : &m_sqlite;
}

// A supplier qualified until 2026-12-10 with no trade name (a null), its qualification,
// a region and a branch buying through central branch 0001.
bool tst_LookupModes::addTestRows(ServerFixture &server, QString *error)
{
    return server.execute(QStringLiteral("INSERT INTO QUALIFICACAO (CDQUALIF, NMQUALIF, IDPERCOTCMP) "
                                         "VALUES ('Q9', 'Qualificação de teste', '1')"),
                          {}, error)
        && server.execute(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, "
                                         "NMRAZSOCFORN, NMFANTFORN, CDQUALIF, DTVALQUALIF) "
                                         "VALUES ('F-TESTE', 'J', '99.999.999/0001-99', 'Fornecedor de Teste', NULL, "
                                         "'Q9', :D)"),
                          {{QStringLiteral("D"), server.isPostgres() ? QVariant(QDate(2026, 12, 10))
                                                                     : QVariant(QStringLiteral("2026-12-10"))}},
                          error)
        && server.execute(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES ('T99', 'Região de Teste')"),
                          {}, error)
        && server.execute(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDFILCENTCMP) "
                                         "VALUES ('T099', 'Filial de Teste', '0001')"),
                          {}, error);
}

QList<Lookup> tst_LookupModes::lookups(ServerFixture &server)
{
    const QString quotation = server.scalar(QStringLiteral("SELECT NRCOLEPRECO FROM ITCOLETAPR WHERE CDFILIAL = '0001' "
                                                           "GROUP BY NRCOLEPRECO ORDER BY COUNT(*) DESC, NRCOLEPRECO"))
                                  .toString();
    const auto set = [](TADOIBQuery &q, const char *name, const QVariant &value) {
        q.ParamByName(QLatin1String(name)).setValue(value);
    };
    return {
        // NVLSTR, and the column types the quotation context sets.
        {QStringLiteral("qryCentCmp"),
         [=](TADOIBQuery &q) {
             q.setFieldType(QStringLiteral("CDFILIAL"), FieldType::String, 4);
             q.setFieldType(QStringLiteral("NMFILIAL_CENTRAL"), FieldType::String, 30);
             set(q, "P_CDFILIAL", QStringLiteral("T099"));
         }},
        // A date parameter, PARAM and LAST_DAY, and each engine's own section.
        {QStringLiteral("Cli_sup05200.qryPesqForn"),
         [=](TADOIBQuery &q) {
             set(q, "P_DTCOL", QDate(2026, 12, 10));
             set(q, "P_IDULTIDTVALQ", QStringLiteral("M"));
         }},
        {QStringLiteral("Cli_sup05209.qryVd_Forne"),
         [=](TADOIBQuery &q) {
             set(q, "P_CDFORNECED", QStringLiteral("F-TESTE"));
             // Before the qualification ends; as a text in another format it would not be.
             set(q, "P_DTCOLEPREC", QDate(2026, 11, 30));
             set(q, "P_IDULTIDTVALQ", QStringLiteral("D"));
         }},
        // A null parameter beside the all-mark.
        {QStringLiteral("Cli_sup05209.qryRegiao"),
         [=](TADOIBQuery &q) {
             set(q, "P_CDREGIAO", QVariant());
             set(q, "P_TREGIAO", QStringLiteral("T"));
         }},
        // A null column value (the trade name) and a trimmed cast.
        {QStringLiteral("Cli_sup05208.qryDadForn"),
         [=](TADOIBQuery &q) {
             set(q, "P_NRINSJURFORN", QStringLiteral("99.999.999/0001-99"));
             set(q, "P_IDTPIJURFORN", QStringLiteral("J"));
         }},
        // A count, and texts passed in through RPAD.
        {QStringLiteral("qryProdNegComp"),
         [=](TADOIBQuery &q) {
             set(q, "P_CDARVPROD", QStringLiteral("0101001"));
             set(q, "P_CDOPERADOR", QVariant());
             set(q, "P_TOPERADOR", QStringLiteral("T"));
         }},
        {QStringLiteral("qryVerificacoes"),
         [=](TADOIBQuery &q) {
             set(q, "P_VERIF_0", QStringLiteral("Produto por comprador"));
             set(q, "P_VERIF_1", QStringLiteral("Qualificação do fornecedor"));
             set(q, "P_VERIF_2", QStringLiteral("Qualificação do produto"));
             set(q, "P_VERIF_3", QStringLiteral("Qualificação da marca"));
         }},
        // Prices and quantities (numbers) of a whole quotation, dates of its header.
        {QStringLiteral("Sup07000.qryItens"),
         [=](TADOIBQuery &q) {
             set(q, "P_CDFILIAL", QStringLiteral("0001"));
             set(q, "P_NRCOLEPRECO", quotation);
         }},
        {QStringLiteral("Sup07000.qryCotacao"),
         [=](TADOIBQuery &q) {
             set(q, "P_CDFILIAL", QStringLiteral("0001"));
             set(q, "P_NRCOLEPRECO", quotation);
         }},
    };
}

QList<DataPacket> tst_LookupModes::runAll(ServerFixture &server, Corvane::Lookups mode, const QList<Lookup> &list)
{
    QList<DataPacket> packets;
    server.setLookups(mode);
    QString error;
    if (!server.login(QString::fromLatin1(ServerFixture::kBuyer), &error)) {
        qWarning("%s", qPrintable(error));
        return packets;
    }
    for (const Lookup &lookup : list) {
        TADOIBQuery query(lookup.text);
        lookup.prepare(query);
        try {
            query.Open();
            packets << query.dataSet()->data();
        } catch (const std::exception &e) {
            qWarning("%s: %s", qPrintable(lookup.text), e.what());
            packets << DataPacket();
        }
    }
    server.logout();
    return packets;
}

void tst_LookupModes::serverModeGivesTheRowsOfDirectMode_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgres") << true;
}

void tst_LookupModes::serverModeGivesTheRowsOfDirectMode()
{
    QFETCH(bool, postgres);
    ServerFixture *server = fixture(postgres);
    if (!server)
        QSKIP(qPrintable(m_postgres.skipReason()));
    const QList<Lookup> list = lookups(*server);
    const QList<DataPacket> direct = runAll(*server, Corvane::Lookups::Direct, list);
    const QList<DataPacket> remote = runAll(*server, Corvane::Lookups::Server, list);
    QCOMPARE(direct.size(), list.size());
    QCOMPARE(remote.size(), list.size());
    for (int i = 0; i < list.size(); ++i) {
        QVERIFY2(direct.at(i).rowCount() > 0, qPrintable(list.at(i).text + QStringLiteral(": no rows to compare")));
        QVERIFY2(describe(remote.at(i)) == describe(direct.at(i)),
                 qPrintable(QStringLiteral("%1\nserver:\n%2\ndirect:\n%3")
                                .arg(list.at(i).text, describe(remote.at(i)).left(2000), describe(direct.at(i)).left(2000))));
    }
}

void tst_LookupModes::serverModeOpensNoDatabase()
{
    m_sqlite.setLookups(Corvane::Lookups::Server);
    QString error;
    QVERIFY2(m_sqlite.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    QCOMPARE(Corvane::lookupMode(), Corvane::Lookups::Server);
    QVERIFY(!Corvane::database().isOpen());
    QVERIFY(!Corvane::NomeOperador().isEmpty());
    TADOIBQuery query(QStringLiteral("Cli_sup05209.qryRegiao"));
    query.ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(QStringLiteral("T99"));
    query.Open();
    QCOMPARE(query.RecordCount(), 1);
    QCOMPARE(query.FieldByName(QStringLiteral("NMREGIAO"))->asString().trimmed(), QStringLiteral("Região de Teste"));

    // Named, a database given with server mode is still not opened.
    Corvane::LoginInfo login = m_sqlite.loginInfo(QString::fromLatin1(ServerFixture::kBuyer));
    login.database = QStringLiteral("sqlite:") + m_sqlite.databasePath();
    Corvane::openSession(login);
    QVERIFY(!Corvane::database().isOpen());
    m_sqlite.logout();
    m_sqlite.setLookups(Corvane::Lookups::Direct);
}

void tst_LookupModes::directModeWithoutADatabaseNeverFallsBackToTheServer()
{
    Corvane::LoginInfo login = m_sqlite.loginInfo(QString::fromLatin1(ServerFixture::kBuyer));
    login.database.clear();
    login.lookups = Corvane::Lookups::Direct;
    QVERIFY(!Corvane::lookupsProblem(login.lookups, login.database).isEmpty()); // the host refuses to start so
    Corvane::openSession(login);
    QCOMPARE(Corvane::lookupMode(), Corvane::Lookups::Direct);
    TADOIBQuery query(QStringLiteral("Cli_sup05209.qryRegiao"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, query.Open());
    m_sqlite.logout();
    // Automatic without a database is server mode.
    login.lookups = Corvane::Lookups::Automatic;
    QVERIFY(Corvane::lookupsProblem(login.lookups, login.database).isEmpty());
    Corvane::openSession(login);
    QCOMPARE(Corvane::lookupMode(), Corvane::Lookups::Server);
    m_sqlite.logout();
}

void tst_LookupModes::onlyNamedTextsRunThroughTheServer()
{
    m_sqlite.setLookups(Corvane::Lookups::Server);
    QString error;
    QVERIFY2(m_sqlite.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    // The server refuses a name that is not one of the package's texts ...
    SuprimentosClient client(Corvane::lookupConnection());
    try {
        client.getConsulta(QStringLiteral("../messages/padrao"), {}, {});
        QFAIL("the server ran an unknown text");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
    }
    // ... and the query component never sends a text set by hand.
    TADOIBQuery handMade;
    handMade.setSqlTexts(SqlTexts::fromText(QStringLiteral("SELECT CDREGIAO FROM REGIAO")));
    QVERIFY_THROWS_EXCEPTION(DataSetError, handMade.Open());
    m_sqlite.logout();
    m_sqlite.setLookups(Corvane::Lookups::Direct);
}

QTEST_GUILESS_MAIN(tst_LookupModes)
#include "tst_lookupmodes.moc"
