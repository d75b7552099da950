#include "gravity_pool.h"

#include <algorithm>

namespace corvane {

namespace {
// More threads than this buy nothing for 4096 stations.
constexpr int MaxThreads = 16;

int coreCount()
{
    const unsigned hc = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(hc), 1, MaxThreads);
}
}  // namespace

StationPool& StationPool::instance()
{
    static StationPool pool;
    return pool;
}

StationPool::~StationPool() { stopWorkers(); }

void StationPool::setThreads(int n)
{
    const std::lock_guard call(callMutex_);
    stopWorkers();
    const std::lock_guard lock(m_);
    wanted_ = std::clamp(n, 0, MaxThreads);
}

int StationPool::threads() const
{
    const std::lock_guard lock(m_);
    return wanted_ == 0 ? coreCount() : wanted_;
}

void StationPool::startWorkers(int n)
{
    stop_ = false;
    for (int i = 0; i < n; ++i)
        workers_.emplace_back([this] { workerLoop(); });
}

void StationPool::stopWorkers()
{
    {
        const std::lock_guard lock(m_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_)
        t.join();
    workers_.clear();
}

void StationPool::runTasks(int count, Fn fn, void* ctx)
{
    std::unique_lock call(callMutex_, std::try_to_lock);
    const int n = threads();
    if (!call.owns_lock() || n <= 1 || count <= 1) {
        for (int i = 0; i < count; ++i)
            fn(ctx, i);
        return;
    }
    {
        const std::lock_guard lock(m_);
        if (workers_.empty())
            startWorkers(n - 1);
        fn_ = fn;
        ctx_ = ctx;
        count_ = count;
        next_.store(0, std::memory_order_relaxed);
        busy_ = static_cast<int>(workers_.size());
        ++generation_;
    }
    wake_.notify_all();
    for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < count;)
        fn(ctx, i);
    std::unique_lock lock(m_);
    done_.wait(lock, [this] { return busy_ == 0; });
    fn_ = nullptr;
    ctx_ = nullptr;
}

void StationPool::workerLoop()
{
    unsigned long seen = 0;
    {
        const std::lock_guard lock(m_);
        seen = generation_ - 1;   // started for the run being set up now
    }
    for (;;) {
        Fn fn = nullptr;
        void* ctx = nullptr;
        int count = 0;
        {
            std::unique_lock lock(m_);
            wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_)
                return;
            seen = generation_;
            fn = fn_;
            ctx = ctx_;
            count = count_;
        }
        for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < count;)
            fn(ctx, i);
        {
            const std::lock_guard lock(m_);
            if (--busy_ == 0)
                done_.notify_one();
        }
    }
}

}  // namespace corvane
