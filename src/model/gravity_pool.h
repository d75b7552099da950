#pragma once
// A small persistent pool that spreads independent pieces of one calculation
// (blocks of stations) over the processor's cores. The threads start the first
// time a calculation is big enough to use them, and wait, asleep, in between.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace corvane {

class StationPool {
public:
    // The process-wide pool.
    static StationPool& instance();

    StationPool() = default;
    ~StationPool();
    StationPool(const StationPool&) = delete;
    StationPool& operator=(const StationPool&) = delete;

    // Calls task(i) exactly once for every i in [0, count), on this thread
    // and the pool's threads, and returns when all calls have returned. task
    // must not throw. When another thread is already using the pool, or the
    // pool has no threads, everything runs on this thread.
    template <typename Task>
    void run(int count, Task&& task)
    {
        using T = std::remove_reference_t<Task>;
        runTasks(count, [](void* t, int i) { (*static_cast<T*>(t))(i); },
                 const_cast<void*>(static_cast<const void*>(&task)));
    }

    // Threads used, the calling one included. 0 chooses one per core (the
    // default); 1 runs everything on the calling thread.
    void setThreads(int n);
    int threads() const;

private:
    using Fn = void (*)(void*, int);
    void runTasks(int count, Fn fn, void* ctx);
    void startWorkers(int n);   // m_ held
    void stopWorkers();
    void workerLoop();

    std::mutex callMutex_;   // one parallel run at a time
    mutable std::mutex m_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;
    int wanted_ = 0;                    // setThreads value
    bool stop_ = false;
    unsigned long generation_ = 0;      // bumped for each run
    Fn fn_ = nullptr;
    void* ctx_ = nullptr;
    int count_ = 0;
    int busy_ = 0;                      // workers not yet done with this run
    std::atomic<int> next_{0};          // next task to hand out
};

// piece(first, count) over the stations [0, numStations): in pieces of
// `chunk` stations spread over the pool when the work (station-edges) is
// worth waking it, else in one piece on this thread. The pieces are the same
// either way, so a result does not depend on the threads.
template <typename Piece>
void forStationPieces(int numStations, int chunk, long work, Piece&& piece)
{
    // Below this many station-edges waking a second thread costs more than
    // it saves.
    constexpr long ParallelWork = 32768;
    const int pieces = (numStations + chunk - 1) / chunk;
    if (work < ParallelWork || pieces <= 1) {
        piece(0, numStations);
        return;
    }
    StationPool::instance().run(pieces, [&](int k) {
        const int first = k * chunk;
        piece(first, std::min(chunk, numStations - first));
    });
}

}  // namespace corvane
