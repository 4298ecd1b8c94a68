#include "qav/index/build/sort_pool.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace qav {

SortPool::SortPool(int maxThreads) : max_workers_(static_cast<size_t>(std::max(maxThreads, 1) - 1)) {}

SortPool::~SortPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void SortPool::Submit(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(task));
        ++unfinished_;
        if (workers_.size() < max_workers_ && workers_.size() < unfinished_) {
            try {
                workers_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                max_workers_ = workers_.size();  // no more threads to be had: Wait sorts the rest
            }
        }
    }
    work_ready_.notify_one();
}

void SortPool::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (unfinished_ > 0) {
        if (queue_.empty()) {
            all_done_.wait(lock);
            continue;
        }
        std::function<void()> task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task();
        lock.lock();
        --unfinished_;
    }
}

void SortPool::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        std::function<void()> task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task();
        lock.lock();
        if (--unfinished_ == 0) all_done_.notify_all();
    }
}

}  // namespace qav
