#include "EngineServer.h"

#include <QSemaphore>

bool EngineServer::start(const MethodTable &table, QString *error)
{
    ServerConfig serverConfig;
    serverConfig.port = 0;
    serverConfig.workers = 2;
    serverConfig.loginDelayMs = 50;
    serverConfig.database = database.config();
    m_thread.start();
    QSemaphore ready;
    bool started = false;
    auto *context = new QObject;
    context->moveToThread(&m_thread);
    QMetaObject::invokeMethod(context, [&] {
        m_server = new Server(table, serverConfig);
        started = m_server->start(error);
        port = m_server->port();
        ready.release();
    }, Qt::QueuedConnection);
    ready.acquire();
    QMetaObject::invokeMethod(context, [context] { delete context; }, Qt::QueuedConnection);
    return started;
}

void EngineServer::stop()
{
    if (!m_thread.isRunning())
        return;
    if (m_server) {
        Server *s = m_server;
        m_server = nullptr;
        QMetaObject::invokeMethod(s, [s] { delete s; }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}
