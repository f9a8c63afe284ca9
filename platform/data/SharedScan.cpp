#include "SharedScan.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {

// What the caller and its helpers share.  A helper that the pool starts only after the
// caller is done finds the work closed and leaves without touching the scan, which by
// then may no longer exist; the block itself lives as long as any helper holds it.
struct SharedSearch
{
    const std::function<int(int, int)> *scan = nullptr;
    int count = 0;
    int chunkRows = 0;
    int chunks = 0;
    std::atomic<int> nextChunk{0};
    std::atomic<int> found{INT_MAX};

    std::mutex mutex;
    std::condition_variable idle;
    int active = 0;
    bool closed = false;
    std::exception_ptr failure;   // the first scan that threw, passed on to the caller

    void work()
    {
        try {
            takeChunks();
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure)
                failure = std::current_exception();
            // No other chunk is started: the search has failed.
            nextChunk.store(chunks);
        }
    }

    void takeChunks()
    {
        for (;;) {
            const int chunk = nextChunk.fetch_add(1);
            if (chunk >= chunks)
                return;
            const int first = chunk * chunkRows;
            // Chunks go out in order: once a match lies before this chunk, so do all later.
            if (first > found.load(std::memory_order_relaxed))
                return;
            const int row = (*scan)(first, std::min(first + chunkRows, count));
            if (row < 0)
                continue;
            int best = found.load();
            while (row < best && !found.compare_exchange_weak(best, row)) {
            }
        }
    }
};

void help(const std::shared_ptr<SharedSearch> &search)
{
    {
        std::lock_guard lock(search->mutex);
        if (search->closed)
            return;
        ++search->active;
    }
    search->work();
    {
        std::lock_guard lock(search->mutex);
        --search->active;
    }
    search->idle.notify_all();
}

} // namespace

int findFirstShared(int count, int chunkRows, const std::function<int(int first, int last)> &scan)
{
    if (count <= 0)
        return -1;
    chunkRows = std::max(1, chunkRows);
    const int chunks = (count + chunkRows - 1) / chunkRows;
    const int helpers = std::min(chunks, QThread::idealThreadCount()) - 1;
    if (helpers <= 0)
        return scan(0, count);

    auto search = std::make_shared<SharedSearch>();
    search->scan = &scan;
    search->count = count;
    search->chunkRows = chunkRows;
    search->chunks = chunks;
    QThreadPool *pool = QThreadPool::globalInstance();
    for (int i = 0; i < helpers; ++i)
        pool->start([search] { help(search); });
    search->work();
    {
        std::unique_lock lock(search->mutex);
        search->closed = true;
        search->idle.wait(lock, [&] { return search->active == 0; });
    }
    if (search->failure)
        std::rethrow_exception(search->failure);
    const int row = search->found.load();
    return row == INT_MAX ? -1 : row;
}
