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
    : m_connectionName(QStringLiteral("ServerFixture%1").arg(++s_fixtures))
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
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sup-server"));
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_output.clear();
    m_process->start(program, {QStringLiteral("--database"), QStringLiteral("sqlite:") + databasePath(),
                               QStringLiteral("--init-demo"), demoSize, QStringLiteral("--listen"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("0"),
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

bool ServerFixture::running() const
{
    return m_process && m_process->state() == QProcess::Running;
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
    login.database = QStringLiteral("sqlite:") + databasePath();
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
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(databasePath());
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
