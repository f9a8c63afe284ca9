#pragma once

#include "Database.h"

#include <QQueue>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class QThread;

// A fixed set of worker threads, each owning one connection to the database, that run
// the tasks queued by the connections.  Tasks run in the order submitted, on whichever
// worker is free.
class WorkerPool
{
public:
    using Task = std::function<void(Database &)>;

    WorkerPool(const DatabaseConfig &config, int workers);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Starts the threads and opens every worker's database; false (and everything
    // stopped again) when one cannot be opened.
    bool start(QString *error);
    // Lets the queued tasks finish, then ends the threads.
    void stop();

    void submit(Task task);
    int size() const { return m_workers; }

private:
    void run(int index);

    DatabaseConfig m_config;
    int m_workers;
    std::vector<QThread *> m_threads;

    // A standard mutex and condition: the submitter wakes a worker after letting go of the
    // lock, so the worker does not wake only to wait for it (on every call's path).
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_started;
    QQueue<Task> m_tasks;
    bool m_stopping = false;
    int m_opened = 0;
    int m_failed = 0;
    QString m_openError;
};
