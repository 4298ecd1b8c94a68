// A fixed set of worker threads that sort the large regions of the offset
// records; the thread that hands out the work joins in while it waits, so at
// most maxThreads sorts run at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qav {

class SortPool {
public:
    // Up to maxThreads - 1 workers, started when work first waits for them.
    explicit SortPool(int maxThreads);
    ~SortPool();
    SortPool(const SortPool&) = delete;
    SortPool& operator=(const SortPool&) = delete;

    void Submit(std::function<void()> task);
    // Runs queued tasks on the calling thread too, until every submitted task
    // has finished.
    void Wait();

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable all_done_;
    std::deque<std::function<void()>> queue_;
    size_t unfinished_ = 0;
    bool stopping_ = false;
    size_t max_workers_;
    std::vector<std::thread> workers_;
};

}  // namespace qav
