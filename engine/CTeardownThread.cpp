#include "engine/CTeardownThread.h"

#include <utility>

CTeardownThread::~CTeardownThread() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CTeardownThread::post(std::function<void()> job) {
    if (!job) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable()) {
            m_thread = std::thread(&CTeardownThread::run, this);
        }
    }
    m_wake.notify_one();
}

std::size_t CTeardownThread::pending() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_jobs.size() + m_running;
}

void CTeardownThread::waitIdle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && m_running == 0; });
}

void CTeardownThread::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
        // Asked to quit: the jobs still queued are carried out first.
        if (m_jobs.empty()) {
            return;
        }
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_running;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        --m_running;
        if (m_jobs.empty() && m_running == 0) {
            m_idle.notify_all();
        }
    }
}
