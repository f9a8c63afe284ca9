#include "ServerFixture.h"

#include "NetError.h"
#include "UserInterface.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kStartTimeoutMs = 60000;

int s_fixtures = 0; // numbers the direct database connections

} // namespace

ServerFixture::ServerFixture()
    : m_id(++s_fixtures)
    , m_connectionName(QStringLiteral("ServerFixture%1").arg(m_id))
{
}

ServerFixture::~ServerFixture()
{
    stop();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString ServerFixture::databasePath() const
{
    return m_dir.filePath(QStringLiteral("sup.db"));
}

bool ServerFixture::start(QString *error, const QString &demoSize)
{
    if (running())
        return true;
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_postgres = false;
    return launch({QStringLiteral("--database"), QStringLiteral("sqlite:") + databasePath()}, demoSize, error);
}

bool ServerFixture::startPostgres(QString *error, const QString &demoSize)
{
    error->clear();
    if (running())
        return true;
    m_pgHost = qEnvironmentVariable("SUP_TEST_PG_HOST");
    if (m_pgHost.isEmpty()) {
        m_skipReason = QStringLiteral("SUP_TEST_PG_HOST names no PostgreSQL server");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_skipReason = QStringLiteral("the QPSQL driver is not available");
        return false;
    }
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_pgPort = qEnvironmentVariableIntValue("SUP_TEST_PG_PORT");
    if (m_pgPort == 0)
        m_pgPort = 5432;
    m_pgUser = qEnvironmentVariable("SUP_TEST_PG_USER", QStringLiteral("postgres"));
    m_pgDatabase = QStringLiteral("sup_fixture_%1_%2").arg(QCoreApplication::applicationPid()).arg(m_id);
    if (!adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_pgDatabase), error)
        || !adminExec(QStringLiteral("CREATE DATABASE %1").arg(m_pgDatabase), error))
        return false;
    m_postgres = true;
    return launch({QStringLiteral("--database"), QStringLiteral("postgres"), QStringLiteral("--pg-host"), m_pgHost,
                   QStringLiteral("--pg-port"), QString::number(m_pgPort), QStringLiteral("--pg-db"), m_pgDatabase,
                   QStringLiteral("--pg-user"), m_pgUser},
                  demoSize, error);
}

bool ServerFixture::launch(const QStringList &databaseArguments, const QString &demoSize, QString *error, quint16 port)
{
    m_databaseArguments = databaseArguments;
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sup-server"));
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_output.clear();
    m_process->start(program, databaseArguments
                                  + QStringList{QStringLiteral("--init-demo"), demoSize, QStringLiteral("--listen"),
                                                QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(port),
                                                QStringLiteral("--log-file"), m_dir.filePath(QStringLiteral("server.log"))});
    if (!m_process->waitForStarted(10000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(program, m_process->errorString());
        m_process.reset();
        return false;
    }
    // The server prints "listening on ADDRESS:PORT" once it accepts connections.
    static const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            break;
        m_process->waitForReadyRead(200);
        m_output += QString::fromLocal8Bit(m_process->readAll());
        const QRegularExpressionMatch match = listening.match(m_output);
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    m_output += QString::fromLocal8Bit(m_process->readAll());
    *error = QStringLiteral("the server did not start listening:\n") + m_output;
    stop();
    return false;
}

bool ServerFixture::adminExec(const QString &sql, QString *error)
{
    const QString name = QStringLiteral("ServerFixtureAdmin%1").arg(m_id);
    bool ok = false;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(m_pgHost);
        admin.setPort(m_pgPort);
        admin.setUserName(m_pgUser);
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open()) {
            *error = admin.lastError().text();
        } else {
            QSqlQuery query(admin);
            ok = query.exec(sql);
            if (!ok)
                *error = query.lastError().text();
            admin.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

void ServerFixture::dropPostgresDatabase()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    QString error;
    if (!adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_pgDatabase), &error))
        qWarning("cannot drop the test database %s: %s", qPrintable(m_pgDatabase), qPrintable(error));
    m_postgres = false;
}

bool ServerFixture::running() const
{
    return m_process && m_process->state() == QProcess::Running;
}

void ServerFixture::kill()
{
    if (!running())
        return;
    m_killedPort = m_port;
    m_process->kill();
    m_process->waitForFinished(10000);
}

bool ServerFixture::restart(QString *error)
{
    if (running())
        return true;
    if (m_databaseArguments.isEmpty() || m_killedPort == 0) {
        *error = QStringLiteral("restart() follows kill()");
        return false;
    }
    // The port the session's connections know; the demo data is there already.
    return launch(m_databaseArguments, QStringLiteral("small"), error, m_killedPort);
}

void ServerFixture::stop()
{
    logout();
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
    m_port = 0;
    if (m_postgres)
        dropPostgresDatabase();
}

Corvane::LoginInfo ServerFixture::loginInfo(const QString &operatorCode, const QString &branch,
                                            const QString &password) const
{
    Corvane::LoginInfo login;
    login.serverHost = QStringLiteral("127.0.0.1");
    login.serverPort = m_port;
    login.branch = branch;
    login.operatorCode = operatorCode;
    login.password = password;
    login.lookups = m_lookups;
    if (m_lookups == Corvane::Lookups::Server)
        return login;
    login.database = m_postgres ? QStringLiteral("postgres:host=%1;port=%2;dbname=%3;user=%4")
                                      .arg(m_pgHost)
                                      .arg(m_pgPort)
                                      .arg(m_pgDatabase, m_pgUser)
                                : QStringLiteral("sqlite:") + databasePath();
    return login;
}

bool ServerFixture::login(const QString &operatorCode, QString *error, const QString &branch, const QString &password)
{
    if (!running()) {
        *error = QStringLiteral("the server is not running");
        return false;
    }
    try {
        Corvane::openSession(loginInfo(operatorCode, branch, password));
    } catch (const std::exception &e) {
        *error = QStringLiteral("login of %1 failed: %2").arg(operatorCode, QString::fromLocal8Bit(e.what()));
        return false;
    }
    m_ui.clear();
    setUserInterface(&m_ui);
    return true;
}

void ServerFixture::logout()
{
    if (Corvane::sessionOpen())
        Corvane::closeSession();
    if (::ui() == &m_ui)
        setUserInterface(nullptr);
}

QSqlDatabase ServerFixture::database()
{
    if (!QSqlDatabase::contains(m_connectionName)) {
        if (m_postgres) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
            db.setHostName(m_pgHost);
            db.setPort(m_pgPort);
            db.setUserName(m_pgUser);
            db.setDatabaseName(m_pgDatabase);
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
            db.setDatabaseName(databasePath());
        }
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen())
        db.open();
    return db;
}

QVariant ServerFixture::scalar(const QString &sql, const QVariantMap &params, QString *error)
{
    QSqlQuery query(database());
    query.prepare(sql);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        query.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return {};
    }
    return query.next() ? query.value(0) : QVariant();
}

bool ServerFixture::execute(const QString &sql, const QVariantMap &params, QString *error)
{
    QSqlQuery query(database());
    query.prepare(sql);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        query.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (query.exec())
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

void ServerFixture::useTemporarySettings()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
}
