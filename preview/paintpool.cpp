#include "paintpool.h"

#include <algorithm>
#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace preview {

PaintPool::PaintPool(int threads)
    : m_threads(std::max(1, threads))
{}

PaintPool::~PaintPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &helper : m_helpers)
        helper.join();
}

int PaintPool::defaultThreadCount()
{
    // 0 means the number is not known.
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

void PaintPool::run(std::span<const std::function<void()>> jobs)
{
    if (m_threads == 1 || jobs.size() <= 1) {
        for (const auto &job : jobs)
            job();
        return;
    }
    std::unique_lock lock(m_mutex);
    if (m_helpers.empty()) {
        try {
            for (int i = 1; i < m_threads; ++i)
                m_helpers.emplace_back([this] { work(); });
        } catch (const std::system_error &) {
            // No more threads to be had: the ones there are (at least the caller) do the work.
        }
    }
    m_jobs = jobs;
    m_next = 0;
    m_unfinished = jobs.size();
    m_failure = nullptr;
    ++m_batches;
    m_wake.notify_all();
    takeJobs(lock);
    const auto finished = [this] { return m_unfinished == 0; };
    watch(lock, finished);
    m_done.wait(lock, finished);
    m_jobs = {};
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void PaintPool::takeJobs(std::unique_lock<std::mutex> &lock)
{
    while (m_next < m_jobs.size()) {
        const std::function<void()> &job = m_jobs[m_next++];
        lock.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !m_failure)
            m_failure = failure;
        if (--m_unfinished == 0)
            m_done.notify_all();
    }
}

void PaintPool::work()
{
    std::unique_lock lock(m_mutex);
    std::uint64_t seen = 0; // the batch this thread last took jobs from
    for (;;) {
        watch(lock, [this, seen] { return m_stopping || m_batches != seen; });
        m_wake.wait(lock, [this] { return m_stopping || m_next < m_jobs.size(); });
        if (m_stopping)
            return;
        takeJobs(lock);
        seen = m_batches;
    }
}

template <typename Done> void PaintPool::watch(std::unique_lock<std::mutex> &lock, Done done)
{
    if (done())
        return;
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kWatch;
    for (int looks = 1; !done(); ++looks) {
        if (looks % 64 == 0 && std::chrono::steady_clock::now() >= until)
            break;
#if defined(__SSE2__)
        _mm_pause();
#endif
    }
    lock.lock();
}

} // namespace preview
