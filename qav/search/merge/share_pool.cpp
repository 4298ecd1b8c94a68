#include "qav/search/merge/share_pool.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>

#include "qav/search/filter/query_clock.h"
#include "qav/search/merge/parallel_shares.h"

namespace qav {

// One call's shares. Shares are taken by counting up, so each runs once,
// whether a pool thread or the caller takes it.
struct SharePool::Pass {
    const std::function<void(int)>* work = nullptr;
    int shares = 0;
    int helpersWanted = 0;  // guarded by the pool's mutex
    int timeoutMs = 0;
    std::chrono::steady_clock::time_point startTime;
    std::atomic<int> next{1};

    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;

    // Runs shares until none is left to take.
    void RunShares() {
        for (int share = next.fetch_add(1); share < shares; share = next.fetch_add(1)) {
            (*work)(share);
            std::lock_guard<std::mutex> lock(mutex);
            if (++done == shares - 1) finished.notify_all();
        }
    }
    bool AllDone() const { return done == shares - 1; }
};

SharePool& SharePool::Instance() {
    // A thread for every share but the caller's. Queries that run at once
    // share them, and their callers run what the pool cannot take; more
    // threads only take turns, each coming back to colder caches and memory.
    static SharePool pool(PassShares() - 1);
    return pool;
}

SharePool::SharePool(int threads) : m_owner(getpid()) {
    for (int i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this] { WorkerLoop(); });
        } catch (const std::system_error&) {
            break;  // fewer threads: callers run more shares themselves
        }
    }
}

SharePool::~SharePool() {
    if (getpid() != m_owner) {
        // A forked child: the threads were never its own.
        for (std::thread& thread : m_threads) thread.detach();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

void SharePool::WorkerLoop() {
    for (;;) {
        std::shared_ptr<Pass> pass;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            while (!m_stop && m_waiting.empty()) {
                ++m_sleeping;
                m_wake.wait(lock);
                --m_sleeping;
            }
            if (m_stop) return;
            pass = m_waiting.front();
            if (--pass->helpersWanted == 0) m_waiting.pop_front();
        }
        g_nQueryTimeoutMs = pass->timeoutMs;
        g_queryStartTime = pass->startTime;
        pass->RunShares();
    }
}

void SharePool::Run(int shares, const std::function<void(int share)>& work) {
    // A forked child has none of the threads, and a lock or a wait may have
    // been copied in the state another thread of the parent left it in.
    if (shares <= 1 || getpid() != m_owner) {
        for (int share = 0; share < shares; ++share) work(share);
        return;
    }
    auto pass = std::make_shared<Pass>();
    pass->work = &work;
    pass->shares = shares;
    pass->helpersWanted = shares - 1;
    pass->timeoutMs = g_nQueryTimeoutMs;
    pass->startTime = g_queryStartTime;
    bool offered = false;
    int wakeUps = 0;
    if (!m_threads.empty()) {
        try {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_waiting.push_back(pass);
            offered = true;
            wakeUps = std::min(shares - 1, m_sleeping);
        } catch (const std::bad_alloc&) {
            // no room in the queue: the caller runs every share
        }
    }
    for (int helper = 0; helper < wakeUps; ++helper) m_wake.notify_one();
    work(0);
    pass->RunShares();
    if (offered) {
        // Whatever is left has been taken; no thread need look at this pass again.
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = std::find(m_waiting.begin(), m_waiting.end(), pass);
        if (it != m_waiting.end()) m_waiting.erase(it);
    }
    std::unique_lock<std::mutex> lock(pass->mutex);
    pass->finished.wait(lock, [&] { return pass->AllDone(); });
}

}  // namespace qav
