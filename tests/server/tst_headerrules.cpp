// The rules of a quotation header write, enforced by the server whatever the client:
// a raw wire client that skips every check of the forms talks to a real server over a
// database built here (once on SQLite and, when the environment names a PostgreSQL
// server through SUP_TEST_PG_HOST / _PORT / _USER, once on PostgreSQL).
//
// The data: central branch 0001 whose quotations carry a situation (IDUTISTATCOT 'S');
// buyers COMPA (logged in for every call), COMPB and COMPC; GERA manages COMPA, GERB
// manages COMPB, and COMPA itself manages COMPC.  Every operator's password is kPassword.

#include "AccessRules.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "EngineServer.h"
#include "MethodTable.h"
#include "Session.h"
#include "WireClient.h"

#include <QLoggingCategory>
#include <QScopeGuard>
#include <QtTest>

#include <sodium.h>

#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kPassword = QStringLiteral("segredo");

QString op(const char *code) { return padOperator(QString::fromLatin1(code)); }
QString number(int n) { return padCode(QString::number(n), 10); }

QString hashPassword(const QString &password)
{
    char hash[crypto_pwhash_STRBYTES];
    const QByteArray bytes = password.toUtf8();
    if (crypto_pwhash_str(hash, bytes.constData(), bytes.size(), crypto_pwhash_OPSLIMIT_MIN,
                          crypto_pwhash_MEMLIMIT_MIN) != 0)
        return {};
    return QString::fromLatin1(hash);
}

QString errorCode(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("code")).toString();
}

QString errorMessage(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString();
}

EngineServer *m_current = nullptr;
EngineServer *m_running = nullptr;

} // namespace

class tst_HeaderRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void reopeningNeedsManagerConfirmation_data() { engines(); }
    void reopeningNeedsManagerConfirmation();
    void confirmationExpires_data() { engines(); }
    void confirmationExpires();
    void concludedQuotationIsFrozen_data() { engines(); }
    void concludedQuotationIsFrozen();
    void newBuyerMustBeManagedByOperator_data() { engines(); }
    void newBuyerMustBeManagedByOperator();

private:
    void engines();
    bool prepare(EngineServer &engine, QString *error);
    // Starts engine's server, stopping the other one.
    bool run(EngineServer &engine);
    void buildData(Database &db);
    void addQuotation(int n, const char *buyer, const char *situation);

    std::unique_ptr<WireClient> loggedIn(const char *code = "COMPA");
    QVariantMap confSenha(WireClient &client, const char *manager, const QString &password = kPassword);
    QVariantMap setItemCole(WireClient &client, const DataPacket &delta, const char *logged = "COMPA");

    QString scalar(const QString &sql, const QVariantMap &params = {});
    qlonglong count(const QString &sql, const QVariantMap &params = {});
    QString situation(int n);
    qlonglong history(int n);

    MethodTable m_table;
    EngineServer m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("rules")};
    EngineServer m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("rules")};
};

// --- the servers ---------------------------------------------------------------------------------

void tst_HeaderRules::initTestCase()
{
    QVERIFY(sodium_init() >= 0);
    // Every refusal is logged as a warning; the test checks the replies instead.
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false\nsup.calls.warning=false"));
    registerServerObjects(m_table);

    QString error;
    QVERIFY2(prepare(m_sqlite, &error), qPrintable(error));
    if (!prepare(m_postgres, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

bool tst_HeaderRules::prepare(EngineServer &engine, QString *error)
{
    if (!engine.database.create(EngineDatabase::Content::Schema, error))
        return false;
    try {
        buildData(engine.database.db());
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

bool tst_HeaderRules::run(EngineServer &engine)
{
    if (m_running == &engine)
        return true;
    if (m_running)
        m_running->stop();
    m_running = nullptr;
    QString error;
    if (!engine.start(m_table, &error)) {
        qWarning("server did not start: %s", qPrintable(error));
        return false;
    }
    m_running = &engine;
    return true;
}

void tst_HeaderRules::cleanupTestCase()
{
    AccessRules::setConfirmationSeconds(Session::kConfirmationSeconds);
    m_sqlite.stop();
    m_postgres.stop();
}

void tst_HeaderRules::engines()
{
    EngineDatabase::addEngineRows();
}

#define ENGINE()                                                                                     \
    do {                                                                                             \
        QFETCH(bool, postgres);                                                                      \
        if (postgres && !m_postgres.database.isAvailable())                                          \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + m_postgres.database.skipReason()));    \
        m_current = postgres ? &m_postgres : &m_sqlite;                                              \
        QVERIFY(run(*m_current));                                                                    \
    } while (false)

// --- the data ------------------------------------------------------------------------------------

void tst_HeaderRules::buildData(Database &db)
{
    db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES ('0001', 'Central', 'C')"));
    db.exec(QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL, IDUTISTATCOT) VALUES ('0001', 'S')"));
    const QString hash = hashPassword(kPassword);
    for (const char *code : {"COMPA", "COMPB", "COMPC", "GERA", "GERB"}) {
        db.exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, IDATIVOOPER, CDFILIAL) "
                               "VALUES (:C, :N, :H, 'S', '0001')"),
                {{QStringLiteral("C"), op(code)}, {QStringLiteral("N"), QString::fromLatin1(code)},
                 {QStringLiteral("H"), hash}});
    }
    for (const char *code : {"COMPA", "COMPB", "COMPC"})
        db.exec(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:C, '0001')"), {{QStringLiteral("C"), op(code)}});
    const std::pair<const char *, const char *> managers[] = {{"COMPA", "GERA"}, {"COMPB", "GERB"}, {"COMPC", "COMPA"}};
    for (const auto &[buyer, manager] : managers) {
        db.exec(QStringLiteral("INSERT INTO GERECOMP (CDOPERCOMP, CDOPERGERE) VALUES (:B, :G)"),
                {{QStringLiteral("B"), op(buyer)}, {QStringLiteral("G"), op(manager)}});
    }
}

void tst_HeaderRules::addQuotation(int n, const char *buyer, const char *situation)
{
    m_current->database.db().exec(QStringLiteral(
        "INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, IDTIPCOLREG, "
        "IDDISMONTLIS, DSOBSCOTPREC, IDSITUCOLETA) VALUES ('0001', :N, :C, :I, :F, :B, 'L', 'S', 'Original', :S)"),
        {{QStringLiteral("N"), number(n)}, {QStringLiteral("C"), QDate(2026, 12, 1)}, {QStringLiteral("I"), QDate(2026, 12, 7)},
         {QStringLiteral("F"), QDate(2026, 12, 13)},
         {QStringLiteral("B"), op(buyer)}, {QStringLiteral("S"), QString::fromLatin1(situation)}});
}

QString tst_HeaderRules::scalar(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->database.db().exec(sql, params);
    return q.next() ? q.value(0).toString() : QString();
}

qlonglong tst_HeaderRules::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->database.db().exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

QString tst_HeaderRules::situation(int n)
{
    return scalar(QStringLiteral("SELECT IDSITUCOLETA FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                  {{QStringLiteral("N"), number(n)}});
}

qlonglong tst_HeaderRules::history(int n)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                 {{QStringLiteral("N"), number(n)}});
}

// --- the wire ------------------------------------------------------------------------------------

std::unique_ptr<WireClient> tst_HeaderRules::loggedIn(const char *code)
{
    auto client = std::make_unique<WireClient>();
    if (!client->connectTo(m_current->port))
        return nullptr;
    if (!client->login(QString::fromLatin1(code), kPassword).value(QStringLiteral("ok")).toBool())
        return nullptr;
    return client;
}

QVariantMap tst_HeaderRules::confSenha(WireClient &client, const char *manager, const QString &password)
{
    client.call(QStringLiteral("ConfSenha"), {QString::fromLatin1(manager), password}, kSuprimentosObject);
    return client.receive();
}

QVariantMap tst_HeaderRules::setItemCole(WireClient &client, const DataPacket &delta, const char *logged)
{
    client.call(QStringLiteral("SetItemCole"),
                {packetVariant(delta), QVariant(), QDate(2026, 12, 1), false, kBranch, QString::fromLatin1(logged), false,
                 QStringLiteral("Todas as regiões"), QStringLiteral("Somente esta região"),
                 QStringLiteral("Todos os fornecedores"), QStringLiteral("Somente este fornecedor"), false, QString(),
                 QString::fromLatin1(logged), QDate(2026, 12, 7), QDate(2026, 12, 13)},
                kGridCotaPrecObject);
    return client.receive();
}

// A header delta as the quotation list sends it: one modify of quotation n, with the
// stored values as old values and the given fields changed.
static DataPacket headerDelta(int n, const char *buyer, const char *situation, const QVariantMap &changes = {})
{
    DataPacket d({{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                  {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
                  {QStringLiteral("CDOPERADOR"), FieldType::String, 12},
                  {QStringLiteral("IDSITUCOLETA"), FieldType::String, 1},
                  {QStringLiteral("IDDISMONTLIS"), FieldType::String, 1},
                  {QStringLiteral("DSOBSCOTPREC"), FieldType::String, 2000},
                  {QStringLiteral("IDTIPCOLREG"), FieldType::String, 1}});
    d.setDelta(true);
    const QVariantList oldRow{kBranch, number(n), op(buyer), QString::fromLatin1(situation), QStringLiteral("S"),
                              QStringLiteral("Original"), QStringLiteral("L")};
    QVariantList newRow = oldRow;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        newRow[d.fieldIndex(it.key())] = it.value();
    d.appendChange({RowChange::Modify, oldRow, newRow});
    return d;
}

static DataPacket reopening(int n, QVariantMap more = {})
{
    more.insert(QStringLiteral("IDSITUCOLETA"), QStringLiteral("A"));
    return headerDelta(n, "COMPA", "C", more);
}

#define REFUSED(reply, text)                                                                           \
    do {                                                                                               \
        const QVariantMap r_ = (reply);                                                                \
        QCOMPARE(errorCode(r_), QStringLiteral("server"));                                             \
        QVERIFY2(errorMessage(r_).contains(text), qPrintable(errorMessage(r_)));                       \
    } while (false)

#define STORED(reply)                                                                                  \
    do {                                                                                               \
        const QVariantMap r_ = (reply);                                                                \
        QVERIFY2(r_.value(QStringLiteral("result")).toBool(), qPrintable(errorMessage(r_)));           \
    } while (false)

// --- the rules -----------------------------------------------------------------------------------

void tst_HeaderRules::reopeningNeedsManagerConfirmation()
{
    ENGINE();
    addQuotation(101, "COMPA", "C");
    addQuotation(102, "COMPA", "C");
    auto client = loggedIn();
    QVERIFY(client);

    // No confirmation: refused with the quotation named, nothing written.
    REFUSED(setItemCole(*client, reopening(101)), QStringLiteral("Reabrir a cotação %1").arg(number(101)));
    QCOMPARE(situation(101), QStringLiteral("C"));
    QCOMPARE(history(101), 0);

    // A wrong password records nothing.
    QCOMPARE(confSenha(*client, "GERA", QStringLiteral("errada")).value(QStringLiteral("result")), QVariant(false));
    REFUSED(setItemCole(*client, reopening(101)), QStringLiteral("gerente do comprador COMPA"));

    // A manager, but of another buyer: does not count.
    QCOMPARE(confSenha(*client, "GERB").value(QStringLiteral("result")), QVariant(true));
    REFUSED(setItemCole(*client, reopening(101)), QStringLiteral("Reabrir a cotação"));
    QCOMPARE(situation(101), QStringLiteral("C"));

    // The buyer's manager: reopened, stamped and audited.
    QCOMPARE(confSenha(*client, "GERA").value(QStringLiteral("result")), QVariant(true));
    STORED(setItemCole(*client, reopening(101)));
    QCOMPARE(situation(101), QStringLiteral("A"));
    QCOMPARE(scalar(QStringLiteral("SELECT CDOPERALTE FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                    {{QStringLiteral("N"), number(101)}}), op("COMPA"));
    QSqlQuery audit = m_current->database.db().exec(QStringLiteral(
        "SELECT NMCAMPO, DSVALORANT, DSVALORNOVO, CDOPERADOR FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
        {{QStringLiteral("N"), number(101)}});
    QVERIFY(audit.next());
    QCOMPARE(audit.value(0).toString(), QStringLiteral("IDSITUCOLETA"));
    QCOMPARE(audit.value(1).toString(), QStringLiteral("C"));
    QCOMPARE(audit.value(2).toString(), QStringLiteral("A"));
    QCOMPARE(audit.value(3).toString(), op("COMPA"));
    QVERIFY(!audit.next());

    // Used once: the next reopening needs a confirmation of its own.
    REFUSED(setItemCole(*client, reopening(102)), QStringLiteral("Reabrir a cotação %1").arg(number(102)));
    QCOMPARE(situation(102), QStringLiteral("C"));

    // A confirmation belongs to the connection that asked for it.
    QCOMPARE(confSenha(*client, "GERA").value(QStringLiteral("result")), QVariant(true));
    auto other = loggedIn();
    QVERIFY(other);
    REFUSED(setItemCole(*other, reopening(102)), QStringLiteral("Reabrir a cotação"));
    STORED(setItemCole(*client, reopening(102)));
    QCOMPARE(situation(102), QStringLiteral("A"));
}

void tst_HeaderRules::confirmationExpires()
{
    ENGINE();
    addQuotation(111, "COMPA", "C");
    auto client = loggedIn();
    QVERIFY(client);
    auto restore = qScopeGuard([] { AccessRules::setConfirmationSeconds(Session::kConfirmationSeconds); });

    AccessRules::setConfirmationSeconds(1);
    QCOMPARE(confSenha(*client, "GERA").value(QStringLiteral("result")), QVariant(true));
    QTest::qSleep(1200);
    REFUSED(setItemCole(*client, reopening(111)), QStringLiteral("Reabrir a cotação %1").arg(number(111)));
    QCOMPARE(situation(111), QStringLiteral("C"));

    // Within the time it counts.
    QCOMPARE(confSenha(*client, "GERA").value(QStringLiteral("result")), QVariant(true));
    STORED(setItemCole(*client, reopening(111)));
    QCOMPARE(situation(111), QStringLiteral("A"));
}

void tst_HeaderRules::concludedQuotationIsFrozen()
{
    ENGINE();
    addQuotation(121, "COMPA", "C");
    addQuotation(122, "COMPA", "C");
    auto client = loggedIn();
    QVERIFY(client);
    // A confirmation in the session changes nothing: only a reopening may use it.
    QCOMPARE(confSenha(*client, "GERA").value(QStringLiteral("result")), QVariant(true));

    const QList<QVariantMap> edits = {{{QStringLiteral("DSOBSCOTPREC"), QStringLiteral("Alterada depois de concluída")}},
                                      {{QStringLiteral("IDDISMONTLIS"), QStringLiteral("N")}},
                                      {{QStringLiteral("IDTIPCOLREG"), QStringLiteral("G")}},
                                      {{QStringLiteral("CDOPERADOR"), op("COMPC")}}};
    for (const QVariantMap &edit : edits) {
        REFUSED(setItemCole(*client, headerDelta(121, "COMPA", "C", edit)),
                QStringLiteral("A cotação %1 está concluída").arg(number(121)));
    }
    QCOMPARE(scalar(QStringLiteral("SELECT DSOBSCOTPREC FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                    {{QStringLiteral("N"), number(121)}}), QStringLiteral("Original"));
    QCOMPARE(history(121), 0);

    // Reopening and changing the observation at once: the quotation is in progress again.
    STORED(setItemCole(*client, reopening(121, {{QStringLiteral("DSOBSCOTPREC"), QStringLiteral("Reaberta para revisão")}})));
    QCOMPARE(situation(121), QStringLiteral("A"));
    QCOMPARE(scalar(QStringLiteral("SELECT DSOBSCOTPREC FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                    {{QStringLiteral("N"), number(121)}}), QStringLiteral("Reaberta para revisão"));
    QCOMPARE(history(121), 2);

    // Where quotations carry no situation (IDUTISTATCOT 'N') a concluded quotation is an
    // ordinary one: changed and reopened without a confirmation.
    m_current->database.db().exec(QStringLiteral("UPDATE PARASUPRI SET IDUTISTATCOT = 'N' WHERE CDFILIAL = '0001'"));
    auto restore = qScopeGuard([] {
        m_current->database.db().exec(QStringLiteral("UPDATE PARASUPRI SET IDUTISTATCOT = 'S' WHERE CDFILIAL = '0001'"));
    });
    STORED(setItemCole(*client, headerDelta(122, "COMPA", "C", {{QStringLiteral("DSOBSCOTPREC"), QStringLiteral("Nota")}})));
    STORED(setItemCole(*client, headerDelta(122, "COMPA", "C", {{QStringLiteral("IDSITUCOLETA"), QStringLiteral("A")}})));
    QCOMPARE(situation(122), QStringLiteral("A"));
}

void tst_HeaderRules::newBuyerMustBeManagedByOperator()
{
    ENGINE();
    addQuotation(131, "COMPA", "A");
    auto client = loggedIn();
    QVERIFY(client);

    // COMPA manages COMPC, not COMPB.
    REFUSED(setItemCole(*client, headerDelta(131, "COMPA", "A", {{QStringLiteral("CDOPERADOR"), QStringLiteral("COMPB")}})),
            QStringLiteral("O comprador COMPB não é gerenciado pelo operador COMPA; a cotação %1").arg(number(131)));
    QCOMPARE(scalar(QStringLiteral("SELECT CDOPERADOR FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                    {{QStringLiteral("N"), number(131)}}), op("COMPA"));
    QCOMPARE(history(131), 0);

    STORED(setItemCole(*client, headerDelta(131, "COMPA", "A", {{QStringLiteral("CDOPERADOR"), QStringLiteral("COMPC")}})));
    QCOMPARE(scalar(QStringLiteral("SELECT CDOPERADOR FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                    {{QStringLiteral("N"), number(131)}}), op("COMPC"));
    QCOMPARE(scalar(QStringLiteral("SELECT DSVALORNOVO FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                   "AND NMCAMPO = 'CDOPERADOR'"), {{QStringLiteral("N"), number(131)}}), op("COMPC"));
}

QTEST_GUILESS_MAIN(tst_HeaderRules)
#include "tst_headerrules.moc"
