#include "platform/device/WorkerPool.h"

#include <algorithm>

namespace cm {

WorkerPool::WorkerPool(int threads) {
    const int helpers = std::clamp(threads, 1, kMaxThreads) - 1;
    helpers_.reserve(static_cast<size_t>(helpers));
    for (int i = 0; i < helpers; ++i) helpers_.emplace_back([this] { HelperLoop(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : helpers_) t.join();
}

// Jobs are handed out one at a time under the lock: a round has a few dozen jobs of a
// millisecond or less, so the lock is never the bottleneck.
void WorkerPool::TakeJobs() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (next_ < count_) {
        const int i = next_++;
        lock.unlock();
        (*job_)(i);
        lock.lock();
    }
}

void WorkerPool::HelperLoop() {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
        if (stopping_) return;
        seen = round_;
        lock.unlock();
        TakeJobs();
        lock.lock();
        if (--running_ == 0) done_.notify_one();
    }
}

void WorkerPool::ForEach(int count, const std::function<void(int)>& job) {
    if (count <= 0) return;
    if (helpers_.empty() || count == 1) {
        for (int i = 0; i < count; ++i) job(i);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        count_ = count;
        next_ = 0;
        running_ = static_cast<int>(helpers_.size());
        ++round_;
    }
    wake_.notify_all();
    TakeJobs();
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return running_ == 0; });
    job_ = nullptr;
}

}  // namespace cm
