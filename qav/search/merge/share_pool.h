// Threads that run the shares of passes, started once and kept for the life
// of the library, so that a pass does not wait for threads to be started. A
// caller never waits for a pool thread to become free: it runs every share
// no pool thread has taken yet itself, so passes of many queries at once
// (and passes started inside a share) cannot deadlock.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace qav {

class SharePool {
public:
    // The library's pool; its threads are started by the first call.
    static SharePool& Instance();

    explicit SharePool(int threads);
    ~SharePool();
    SharePool(const SharePool&) = delete;
    SharePool& operator=(const SharePool&) = delete;

    // Calls work(share) for share 0 .. shares - 1: share 0 on the calling
    // thread, each other share on a pool thread or on the calling thread,
    // whichever takes it first, with the caller's query time limit; returns
    // when all are done. work must not throw.
    void Run(int shares, const std::function<void(int share)>& work);

private:
    struct Pass;

    void WorkerLoop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Pass>> m_waiting;  // passes that want more helpers
    int m_sleeping = 0;  // threads waiting on m_wake
    bool m_stop = false;
    std::vector<std::thread> m_threads;
    pid_t m_owner;  // the process whose threads these are (a forked child has none of them)
};

}  // namespace qav
