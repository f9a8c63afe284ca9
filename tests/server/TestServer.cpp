#include "TestServer.h"

#include "Codes.h"
#include "Database.h"
#include "ServerError.h"

#include <QLoggingCategory>
#include <QSemaphore>

#include <sodium.h>

#include <stdexcept>

namespace {

void addTestMethods(MethodTable &table)
{
    const QString object = QString::fromLatin1(TestServer::kObject);
    auto add = [&](const QString &name, QList<ArgDecl> args, MethodFn fn) {
        MethodContract contract;
        contract.object = object;
        contract.name = name;
        contract.args = std::move(args);
        table.add(std::move(contract), std::move(fn));
    };
    add(QStringLiteral("Echo"), {{QStringLiteral("P_VALOR")}}, [](CallContext &c) { return c.args.at(0); });
    add(QStringLiteral("Typed"),
        {{QStringLiteral("P_CDFILIAL"), ArgType::String},
         {QStringLiteral("P_QTITENS"), ArgType::Integer},
         {QStringLiteral("P_VRPRECO"), ArgType::Float},
         {QStringLiteral("P_DTINIVAL"), ArgType::Date},
         {QStringLiteral("P_IDATIVO"), ArgType::Boolean, {}, false, false, false}},
        [](CallContext &c) { return QVariant(c.args); });
    add(QStringLiteral("Swap"),
        {{QStringLiteral("P_A"), ArgType::String, {}, true},
         {QStringLiteral("P_B"), ArgType::String, {}, true},
         {QStringLiteral("P_N"), ArgType::Integer}},
        [](CallContext &c) {
            std::swap(c.args[0], c.args[1]);
            c.args[2] = 99;   // by value: must not travel back
            return QVariant(QStringLiteral("trocado"));
        });
    add(QStringLiteral("Operator"), {{QStringLiteral("P_CDOPERADOR"), ArgType::String, {}, false, true}},
        [](CallContext &c) { return QVariant(c.session.operatorCode); });
    add(QStringLiteral("Fail"), {{QStringLiteral("P_CODE"), ArgType::String}}, [](CallContext &c) -> QVariant {
        throw ServerError(c.args.at(0).toString(), QStringLiteral("falhou: ") + c.args.at(0).toString());
    });
    add(QStringLiteral("Crash"), {}, [](CallContext &) -> QVariant {
        throw std::runtime_error("internal detail: table XYZ is locked");
    });
    add(QStringLiteral("Sleep"), {{QStringLiteral("P_MS"), ArgType::Integer}}, [](CallContext &c) {
        QThread::msleep(c.args.at(0).toULongLong());
        return c.args.at(0);
    });
    add(QStringLiteral("CountOperators"), {}, [](CallContext &c) {
        QSqlQuery q = c.db.exec(QStringLiteral("SELECT COUNT(*) FROM OPERADOR"));
        return q.next() ? QVariant(q.value(0).toLongLong()) : QVariant();
    });
}

QString hashPassword(const QString &password)
{
    // The cheapest Argon2id settings: verification reads them from the hash itself.
    char hash[crypto_pwhash_STRBYTES];
    const QByteArray bytes = password.toUtf8();
    if (crypto_pwhash_str(hash, bytes.constData(), bytes.size(), crypto_pwhash_OPSLIMIT_MIN,
                          crypto_pwhash_MEMLIMIT_MIN) != 0)
        return {};
    return QString::fromLatin1(hash);
}

} // namespace

TestServer::TestServer()
{
    m_config.address = QHostAddress::LocalHost;
    m_config.port = 0;
    m_config.workers = 4;
    m_config.maxFrame = 1024 * 1024;
    m_config.loginDelayMs = 300;
    // Every test logs in from one address: keep the growing delay short.
    m_config.loginDelayMaxMs = 1200;
    addTestMethods(m_table);
}

TestServer::~TestServer()
{
    stop();
}

QString TestServer::databasePath() const
{
    return m_dir.filePath(QStringLiteral("wire.db"));
}

bool TestServer::createDatabase(QString *error)
{
    if (sodium_init() < 0) {
        *error = QStringLiteral("libsodium cannot start");
        return false;
    }
    Database db(m_config.database, QStringLiteral("test-setup"));
    if (!db.open(error) || !db.migrate(error))
        return false;
    const QString hash = hashPassword(QString::fromLatin1(kPassword));
    struct Row { const char *code; const char *name; const char *active; };
    const Row rows[] = {{kOperator, "Ana Compradora", "S"},
                        {kOtherOperator, "Bruno Gerente", "S"},
                        {kInactiveOperator, "Carla Inativa", "N"}};
    try {
        db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES ('0001', 'Central', 'C')"));
        for (const Row &row : rows) {
            db.exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, IDATIVOOPER) "
                                   "VALUES (:P_CDOPERADOR, :P_NMOPERADOR, :P_DSSENHAOPER, :P_IDATIVOOPER)"),
                    {{QStringLiteral("P_CDOPERADOR"), padOperator(QString::fromLatin1(row.code))},
                     {QStringLiteral("P_NMOPERADOR"), QString::fromLatin1(row.name)},
                     {QStringLiteral("P_DSSENHAOPER"), hash},
                     {QStringLiteral("P_IDATIVOOPER"), QString::fromLatin1(row.active)}});
        }
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

bool TestServer::start(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    // One info line per call and connection would bury the test output; warnings stay.
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false"));
    m_config.database.engine = DatabaseConfig::Engine::SQLite;
    m_config.database.path = m_sharedDatabase.isEmpty() ? databasePath() : m_sharedDatabase;
    if (m_sharedDatabase.isEmpty() && !createDatabase(error))
        return false;

    m_thread.start();
    QSemaphore ready;
    bool started = false;
    auto *context = new QObject;
    context->moveToThread(&m_thread);
    QMetaObject::invokeMethod(context, [&] {
        m_server = new Server(m_table, m_config);
        started = m_server->start(error);
        m_port = m_server->port();
        ready.release();
    }, Qt::QueuedConnection);
    ready.acquire();
    QMetaObject::invokeMethod(context, [context] { delete context; }, Qt::QueuedConnection);
    if (!started) {
        stop();
        return false;
    }
    return true;
}

void TestServer::stopLater()
{
    if (m_server)
        QMetaObject::invokeMethod(m_server, [server = m_server] { server->stop(); }, Qt::QueuedConnection);
}

void TestServer::stop()
{
    if (!m_thread.isRunning())
        return;
    if (m_server) {
        Server *server = m_server;
        m_server = nullptr;
        QMetaObject::invokeMethod(server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}
