#include "ServerProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>

namespace {

constexpr int kTimeoutMs = 60000;

} // namespace

ServerProcess::~ServerProcess()
{
    stop();
}

QString ServerProcess::program()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sup-server"));
}

bool ServerProcess::start(const QStringList &arguments, QString *error)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_output.clear();
    m_process->start(program(), arguments);
    if (!m_process->waitForStarted(10000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(program(), m_process->errorString());
        m_process.reset();
        return false;
    }
    static const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    const QDeadlineTimer deadline(kTimeoutMs);
    while (!deadline.hasExpired() && m_process->state() != QProcess::NotRunning) {
        m_process->waitForReadyRead(200);
        m_output += QString::fromLocal8Bit(m_process->readAll());
        const QRegularExpressionMatch match = listening.match(m_output);
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    m_output += QString::fromLocal8Bit(m_process->readAll());
    *error = QStringLiteral("sup-server did not start listening:\n") + m_output;
    stop();
    return false;
}

int ServerProcess::run(const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program(), arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        *output = QStringLiteral("sup-server did not end in time");
        return -1;
    }
    *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void ServerProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(15000)) {
            m_process->kill();
            m_process->waitForFinished();
        }
    }
    m_output += QString::fromLocal8Bit(m_process->readAll());
    m_process.reset();
}
