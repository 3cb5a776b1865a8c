#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace preview {

// A few threads kept for the life of the pool that run a batch of jobs at the same time. The
// calling thread takes jobs too, and run() returns only once every job of the batch has ended, so
// a pool of one thread runs the jobs one after the other on the caller. The helper threads start
// with the first batch that can use them and sleep between batches. A thread that has run out of
// jobs first watches for a short while, the caller for the batch's end and a helper for the next
// batch, before it sleeps: waking a sleeping thread can take a good part of a small batch.
class PaintPool {
public:
    // The threads counted with the caller; fewer than 1 counts as 1.
    explicit PaintPool(int threads = defaultThreadCount());
    ~PaintPool();
    PaintPool(const PaintPool &) = delete;
    PaintPool &operator=(const PaintPool &) = delete;

    // Two where the machine has two cores or more (the preview has two views), otherwise one.
    static int defaultThreadCount();
    int threadCount() const { return m_threads; }

    // Runs every job once, from one thread at a time; the first exception a job throws is thrown
    // again here once the others have ended.
    void run(std::span<const std::function<void()>> jobs);

private:
    void takeJobs(std::unique_lock<std::mutex> &lock);
    void work();
    // Unlocks while it watches, for at most the watch, until `done` is true; locks again.
    template <typename Done> void watch(std::unique_lock<std::mutex> &lock, Done done);

    // Several times what waking a sleeping thread takes (20 to 60 µs on a busy two-core machine),
    // and a small part of a frame of the preview.
    static constexpr std::chrono::microseconds kWatch{200};

    const int m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake; // a batch has come, or the pool stops
    std::condition_variable m_done; // the last job of the batch has ended
    std::span<const std::function<void()>> m_jobs;
    std::size_t m_next = 0;
    // Changed under the mutex, and read without it by a thread that watches.
    std::atomic<std::size_t> m_unfinished = 0;
    std::atomic<std::uint64_t> m_batches = 0;
    std::exception_ptr m_failure;
    std::atomic<bool> m_stopping = false;
    std::vector<std::thread> m_helpers;
};

} // namespace preview
