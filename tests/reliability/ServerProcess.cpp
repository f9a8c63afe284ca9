#include "ServerProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>

#include <csignal>

namespace {

constexpr int kStartTimeoutMs = 60000;

} // namespace

ServerProcess::ServerProcess(const DatabaseConfig &database, const QString &logFile)
    : m_database(database), m_logFile(logFile)
{
}

ServerProcess::~ServerProcess()
{
    stop();
}

QStringList ServerProcess::databaseArguments(const DatabaseConfig &database)
{
    if (database.engine == DatabaseConfig::Engine::SQLite)
        return {QStringLiteral("--database"), QStringLiteral("sqlite:") + database.path};
    QStringList args = {QStringLiteral("--database"), QStringLiteral("postgres"), QStringLiteral("--pg-host"), database.host,
                        QStringLiteral("--pg-port"), QString::number(database.port), QStringLiteral("--pg-db"), database.name};
    if (!database.user.isEmpty())
        args << QStringLiteral("--pg-user") << database.user;
    if (!database.password.isEmpty())
        args << QStringLiteral("--pg-password") << database.password;
    return args;
}

bool ServerProcess::start(QString *error)
{
    stop();
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sup-server"));
    QStringList args = databaseArguments(m_database);
    args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1") << QStringLiteral("--port") << QStringLiteral("0")
         << QStringLiteral("--log-level") << QStringLiteral("warning");
    if (!m_logFile.isEmpty())
        args << QStringLiteral("--log-file") << m_logFile;
    args << m_extra;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(program, args);
    if (!m_process->waitForStarted(10000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(program, m_process->errorString());
        m_process.reset();
        return false;
    }
    static const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    QString output;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired() && m_process->state() != QProcess::NotRunning) {
        m_process->waitForReadyRead(100);
        output += QString::fromLocal8Bit(m_process->readAll());
        const QRegularExpressionMatch match = listening.match(output);
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    output += QString::fromLocal8Bit(m_process->readAll());
    *error = QStringLiteral("the server did not start listening:\n") + output;
    kill();
    return false;
}

void ServerProcess::kill()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        ::kill(pid_t(m_process->processId()), SIGKILL);
        m_process->waitForFinished(10000);
    }
    m_process.reset();
    m_port = 0;
}

void ServerProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000))
            kill();
    }
    m_process.reset();
    m_port = 0;
}

bool ServerProcess::running() const
{
    return m_process && m_process->state() == QProcess::Running;
}
