#include "WorkerPool.h"

#include <atomic>

#include "ServerLog.h"

#include <QThread>

WorkerPool::WorkerPool(const DatabaseConfig &config, int workers)
    : m_config(config), m_workers(qMax(1, workers))
{
}

WorkerPool::~WorkerPool()
{
    stop();
}

bool WorkerPool::start(QString *error)
{
    for (int i = 0; i < m_workers; ++i) {
        QThread *thread = QThread::create([this, i] { run(i); });
        thread->setObjectName(QStringLiteral("sup-worker-%1").arg(i));
        m_threads.push_back(thread);
        thread->start();
    }
    std::unique_lock lock(m_mutex);
    m_started.wait(lock, [this] { return m_opened + m_failed >= m_workers; });
    if (m_failed == 0)
        return true;
    const QString reason = m_openError;
    lock.unlock();
    stop();
    if (error)
        *error = reason;
    return false;
}

void WorkerPool::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (QThread *thread : m_threads) {
        thread->wait();
        delete thread;
    }
    m_threads.clear();
}

void WorkerPool::submit(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.enqueue(std::move(task));
    }
    m_wake.notify_one();
}

void WorkerPool::run(int index)
{
    // Qt keeps database connections by name for the whole process: a second pool (another
    // server in the process) must not take over this one's.
    static std::atomic<int> connections{0};
    Database db(m_config, QStringLiteral("sup-worker-%1-%2").arg(index).arg(++connections));
    QString error;
    const bool opened = db.open(&error);
    {
        std::lock_guard lock(m_mutex);
        if (opened) {
            ++m_opened;
        } else {
            ++m_failed;
            m_openError = QStringLiteral("worker %1 cannot open the database: %2").arg(index).arg(error);
        }
    }
    m_started.notify_all();
    if (!opened)
        return;

    for (;;) {
        Task task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_tasks.isEmpty() || m_stopping; });
            if (m_tasks.isEmpty())
                return;   // stopping, and nothing left to do
            task = m_tasks.dequeue();
        }
        try {
            task(db);
        } catch (const std::exception &e) {
            qCCritical(lcServer) << "worker" << index << "task failed:" << e.what();
        } catch (...) {
            qCCritical(lcServer) << "worker" << index << "task failed with an unknown exception";
        }
    }
}
