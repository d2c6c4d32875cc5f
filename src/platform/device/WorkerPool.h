// A fixed set of threads that share out numbered jobs: the caller's thread plus threads - 1
// helpers started once and kept asleep between rounds.
//
// ForEach(count, job) calls job(i) exactly once for every i in [0, count), each on whichever
// thread takes it next from a shared counter, and returns when all have finished. Jobs of one
// round must not depend on each other's order. Not reentrant: one round at a time, from the
// thread that owns the pool.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace cm {

class WorkerPool {
public:
    // threads: 1 (no helpers: ForEach runs everything on the caller's thread) to kMaxThreads.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    static constexpr int kMaxThreads = 64;
    int GetThreadCount() const { return static_cast<int>(helpers_.size()) + 1; }

    void ForEach(int count, const std::function<void(int)>& job);

private:
    void HelperLoop();
    void TakeJobs();

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* job_ = nullptr;
    int count_ = 0;
    int next_ = 0;      // the next job to hand out, under mutex_
    int running_ = 0;   // helpers still inside the current round
    uint64_t round_ = 0;
    bool stopping_ = false;
};

}  // namespace cm
