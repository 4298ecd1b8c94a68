// The job queues of the HTTP service: the polling thread queues query jobs,
// the workers take them, run them and hand them back finished.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace qav {

// One queued query.
struct QueryJob {
    uint64_t connectionId = 0;  // the request that asked (see the service)
    std::string query;          // UTF-8
    std::string result;         // UTF-8 answer, filled by a worker
    // Raised when the job's answer is no longer wanted; the query's deadline
    // checks read it. Shared, so that it outlives a worker that dies with
    // the job.
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

constexpr int kHttpWorkers = 8;
// A query request is refused while this many jobs wait.
constexpr int kMaxWaitingJobs = 64;

// Jobs waiting for a worker, and their count (changed under g_work_mutex,
// read without it for the limit).
extern std::deque<std::unique_ptr<QueryJob>> g_work_queue;
extern std::mutex g_work_mutex;
extern std::atomic<int32_t> g_work_queue_size;
// Finished jobs, drained by the polling thread.
extern std::deque<std::unique_ptr<QueryJob>> g_resp_queue;
extern std::mutex g_resp_mutex;
// Workers running (counted from the moment one is started).
extern std::atomic<int32_t> g_live_workers;
// Set once when the service stops.
extern std::atomic<bool> g_shutdown;

// Empties both queues and clears the counters and the stop flag, for a new
// run of the service.
void ResetJobQueues();
// Empties both queues at the end of a run; the stop flag stays, so that a
// worker left behind ends once its query returns.
void DropJobs();
// Appends the job and wakes the worker that went idle last.
void QueueJob(std::unique_ptr<QueryJob> job);
// The next job for a worker, waiting while there is none; null once the
// service stops and the queue is empty.
std::unique_ptr<QueryJob> TakeJob();
// Hands a finished job back to the polling thread.
void FinishJob(std::unique_ptr<QueryJob> job);
// Everything finished so far, in order; the queue is left empty.
std::deque<std::unique_ptr<QueryJob>> TakeFinishedJobs();
// A descriptor that polls readable while finished jobs wait to be taken, so
// that the polling thread wakes as soon as an answer is ready.
int FinishedJobsSignal();
// Sets the stop flag, cancels the jobs being run and wakes every worker.
void StopJobQueues();
// The client of job connectionId has gone: the job leaves the queue, or is
// cancelled when a worker runs it. Nothing happens to a finished job.
void CancelJob(uint64_t connectionId);

}  // namespace qav
