#include "ServerLog.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>

#include <cstdio>

Q_LOGGING_CATEGORY(lcServer, "sup.server")
Q_LOGGING_CATEGORY(lcNet, "sup.net")
Q_LOGGING_CATEGORY(lcCalls, "sup.calls")

namespace {

QMutex g_mutex;
QFile *g_file = nullptr;
QtMessageHandler g_previous = nullptr;

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "error";
    case QtFatalMsg: return "fatal";
    }
    return "?";
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QByteArray line = QStringLiteral("%1 %2 %3: %4\n")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                     QLatin1String(levelName(type)),
                                     QLatin1String(context.category ? context.category : "default"),
                                     text)
                                .toUtf8();
    QMutexLocker lock(&g_mutex);
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    if (g_file) {
        g_file->write(line);
        g_file->flush();
    }
}

} // namespace

bool ServerLog::install(const QString &level, const QString &filePath, QString *error)
{
    static const QStringList levels = {QStringLiteral("debug"), QStringLiteral("info"),
                                       QStringLiteral("warning"), QStringLiteral("error")};
    const int index = int(levels.indexOf(level.toLower()));
    if (index < 0) {
        if (error)
            *error = QStringLiteral("unknown log level \"%1\" (debug, info, warning, error)").arg(level);
        return false;
    }
    QMutexLocker lock(&g_mutex);
    if (!filePath.isEmpty()) {
        auto *file = new QFile(filePath);
        if (!file->open(QIODevice::Append | QIODevice::Text)) {
            if (error)
                *error = QStringLiteral("cannot open log file %1: %2").arg(filePath, file->errorString());
            delete file;
            return false;
        }
        delete g_file;
        g_file = file;
    }
    // Levels below the chosen one are off for our categories; Qt's own stay at warning.
    QString rules = QStringLiteral("*.debug=false\n");
    const char *names[] = {"debug", "info", "warning", "critical"};
    for (int i = 0; i < 4; ++i) {
        rules += QStringLiteral("sup.*.%1=%2\n").arg(QLatin1String(names[i]),
                                                     i >= index ? QStringLiteral("true") : QStringLiteral("false"));
    }
    QLoggingCategory::setFilterRules(rules);
    QtMessageHandler previous = qInstallMessageHandler(handler);
    if (previous != handler)
        g_previous = previous;
    return true;
}

void ServerLog::uninstall()
{
    qInstallMessageHandler(g_previous);
    QMutexLocker lock(&g_mutex);
    delete g_file;
    g_file = nullptr;
}
