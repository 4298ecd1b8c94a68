#include "qav/service/http/http_jobs.h"

std::deque<std::unique_ptr<QueryJob>> g_work_queue;
std::mutex g_work_mutex;
std::condition_variable g_work_cv;
std::atomic<int32_t> g_work_queue_size{0};
std::deque<std::unique_ptr<QueryJob>> g_resp_queue;
std::mutex g_resp_mutex;
std::atomic<int32_t> g_live_workers{0};
std::atomic<bool> g_shutdown{false};

void ResetJobQueues() {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_work_queue.clear();
        g_work_queue_size = 0;
        g_shutdown = false;
    }
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    g_resp_queue.clear();
}

void QueueJob(std::unique_ptr<QueryJob> job) {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_work_queue.push_back(std::move(job));
        ++g_work_queue_size;
    }
    g_work_cv.notify_one();
}

std::unique_ptr<QueryJob> TakeJob() {
    std::unique_lock<std::mutex> lock(g_work_mutex);
    g_work_cv.wait(lock, [] { return !g_work_queue.empty() || g_shutdown; });
    if (g_work_queue.empty()) return nullptr;
    std::unique_ptr<QueryJob> job = std::move(g_work_queue.front());
    g_work_queue.pop_front();
    --g_work_queue_size;
    return job;
}

void FinishJob(std::unique_ptr<QueryJob> job) {
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    g_resp_queue.push_back(std::move(job));
}

std::deque<std::unique_ptr<QueryJob>> TakeFinishedJobs() {
    std::deque<std::unique_ptr<QueryJob>> finished;
    std::lock_guard<std::mutex> lock(g_resp_mutex);
    finished.swap(g_resp_queue);
    return finished;
}

void StopJobQueues() {
    {
        std::lock_guard<std::mutex> lock(g_work_mutex);
        g_shutdown = true;
    }
    g_work_cv.notify_all();
}
