#pragma once

// A thread that carries out the work that ends things (closing and deleting
// a site, joining a worker thread that was asked to stop) for a thread that
// must not wait for it: the GUI thread hands a job over and goes on. Jobs run
// one after the other, in the order given.
//
// The destructor carries out every job still queued and joins the thread, so
// that nothing handed over is leaked or left running: the owner destroys it
// where waiting is allowed (when the program quits). Holders share it with a
// shared pointer; the last one to let go waits.
//
// Threading: post() and pending() may be called from any thread; a job runs
// on the teardown thread and may post further jobs. Not copyable.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CTeardownThread {
public:
    CTeardownThread() = default;
    ~CTeardownThread();
    CTeardownThread(const CTeardownThread&) = delete;
    CTeardownThread& operator=(const CTeardownThread&) = delete;

    // Queues a job; the thread starts with the first one.
    void post(std::function<void()> job);
    // Jobs given and not yet finished.
    std::size_t pending() const;
    // Waits until every job given so far has finished: for the owner, where
    // waiting is allowed. Never from a job.
    void waitIdle();

private:
    void run();

    // Guarded by m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    std::size_t m_running = 0;  // jobs taken off the queue and not finished
    bool m_quit = false;
    // Created by the first post(), joined by the destructor.
    std::thread m_thread;
};
