#include "qav/service/http/http_jobs.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <vector>

namespace qav {

std::deque<std::unique_ptr<QueryJob>> g_work_queue;
std::mutex g_work_mutex;
std::atomic<int32_t> g_work_queue_size{0};
std::deque<std::unique_ptr<QueryJob>> g_resp_queue;
std::mutex g_resp_mutex;
std::atomic<int32_t> g_live_workers{0};
std::atomic<bool> g_shutdown{false};

namespace {

// Jobs taken by a worker and not yet handed back, by connection id (guarded
// by g_work_mutex). The job of a worker that died stays until the next run.
struct RunningJob {
    uint64_t connectionId;
    std::shared_ptr<std::atomic<bool>> cancelled;
};
std::vector<RunningJob> g_running;

// A worker waiting for a job. Waiting workers stand on a stack and a new job
// wakes the one that waited last: under light load one warm worker, whose
// work areas are still in the caches, runs query after query, instead of
// each query going to the worker that has been idle longest.
struct IdleWorker {
    std::condition_variable wake;
    bool woken = false;
};
std::vector<IdleWorker*> g_idle;  // guarded by g_work_mutex

// Wakes the worker that went idle last; the caller holds g_work_mutex.
void WakeLastIdle() {
    if (g_idle.empty()) return;
    IdleWorker* worker = g_idle.back();
    g_idle.pop_back();
    worker->woken = true;
    worker->wake.notify_one();
}

void ForgetRunning(const QueryJob& job) {
    const auto found = std::find_if(g_running.begin(), g_running.end(),
                                    [&job](const RunningJob& running) { return running.cancelled == job.cancelled; });
    if (found != g_running.end()) g_running.erase(found);
}

// The event counter behind FinishedJobsSignal: raised by FinishJob, reset
// by TakeFinishedJobs (both under g_resp_mutex).
class FinishedSignal {
public:
    FinishedSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~FinishedSignal() {
        if (fd_ >= 0) close(fd_);
    }
    FinishedSignal(const FinishedSignal&) = delete;
    FinishedSignal& operator=(const FinishedSignal&) = delete;

    int fd() const { return fd_; }
    void Raise() const {
        const uint64_t one = 1;
        if (fd_ >= 0 && write(fd_, &one, sizeof one) < 0) return;  // a full counter is still readable
    }
    void Reset() const {
        uint64_t count = 0;
        if (fd_ >= 0 && read(fd_, &count, sizeof count) < 0) return;  // nothing raised
    }

private:
    int fd_;
};

const FinishedSignal& Finished() {
    static const FinishedSignal signal;
    return signal;
}

}  // namespace

void ResetJobQueues() {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_work_queue.clear();
        g_work_queue_size = 0;
        g_shutdown = false;
        g_running.clear();
    }
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    g_resp_queue.clear();
    Finished().Reset();
}

void DropJobs() {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_work_queue.clear();
        g_work_queue_size = 0;
    }
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    g_resp_queue.clear();
    Finished().Reset();
}

void QueueJob(std::unique_ptr<QueryJob> job) {
    std::lock_guard<std::mutex> lock(g_work_mutex);
    g_work_queue.push_back(std::move(job));
    ++g_work_queue_size;
    WakeLastIdle();
}

std::unique_ptr<QueryJob> TakeJob() {
    std::unique_lock<std::mutex> lock(g_work_mutex);
    while (g_work_queue.empty() && !g_shutdown) {
        // A worker that finished its job first may have taken the one this
        // worker was woken for; it then waits again.
        IdleWorker self;
        g_idle.push_back(&self);
        self.wake.wait(lock, [&self] { return self.woken; });
    }
    if (g_work_queue.empty()) return nullptr;
    std::unique_ptr<QueryJob> job = std::move(g_work_queue.front());
    g_work_queue.pop_front();
    --g_work_queue_size;
    g_running.push_back({job->connectionId, job->cancelled});
    return job;
}

void FinishJob(std::unique_ptr<QueryJob> job) {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        ForgetRunning(*job);
    }
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    g_resp_queue.push_back(std::move(job));
    Finished().Raise();
}

std::deque<std::unique_ptr<QueryJob>> TakeFinishedJobs() {
    std::deque<std::unique_ptr<QueryJob>> finished;
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    finished.swap(g_resp_queue);
    Finished().Reset();
    return finished;
}

int FinishedJobsSignal() { return Finished().fd(); }

void StopJobQueues() {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_shutdown = true;
        for (RunningJob& job : g_running) *job.cancelled = true;
        while (!g_idle.empty()) WakeLastIdle();
    }
}

void CancelJob(uint64_t connectionId) {
    std::lock_guard<std::mutex> lock(g_work_mutex);
    const auto queued = std::find_if(g_work_queue.begin(), g_work_queue.end(),
                                     [connectionId](const auto& job) { return job->connectionId == connectionId; });
    if (queued != g_work_queue.end()) {
        g_work_queue.erase(queued);
        --g_work_queue_size;
        return;
    }
    for (RunningJob& job : g_running)
        if (job.connectionId == connectionId) *job.cancelled = true;
}

}  // namespace qav
