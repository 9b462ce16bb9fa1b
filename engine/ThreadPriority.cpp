#include "engine/ThreadPriority.h"

#include <cerrno>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

namespace {

enum class Level { AboveNormal, Highest };

#if defined(__linux__)
// Nice values: lower is more CPU time. Only processes with the right to raise
// priorities (root or CAP_SYS_NICE) get below the nice value they started with.
int niceFor(Level level) {
    return level == Level::Highest ? -10 : -5;
}

void raiseCurrentLinux(Level level) {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno != 0) {
        return;
    }
    const int wanted = niceFor(level);
    if (wanted < current) {
        (void)setpriority(PRIO_PROCESS, tid, wanted);
    }
}
#endif

// Moves the thread to the top of its current policy's priority range; a no-op
// for policies with a single priority level.
void raiseWithinPolicy(pthread_t handle, Level level) {
    int policy = 0;
    sched_param param{};
    if (pthread_getschedparam(handle, &policy, &param) != 0) {
        return;
    }
    const int low = sched_get_priority_min(policy);
    const int high = sched_get_priority_max(policy);
    if (low < 0 || high <= low) {
        return;
    }
    // Above normal: three quarters up the range; highest: the top.
    const int wanted = level == Level::Highest ? high : low + (high - low) * 3 / 4;
    if (wanted > param.sched_priority) {
        param.sched_priority = wanted;
        (void)pthread_setschedparam(handle, policy, &param);
    }
}

void raiseCurrent(Level level) {
#if defined(__linux__)
    raiseCurrentLinux(level);
#else
    raiseWithinPolicy(pthread_self(), level);
#endif
}

void raise(std::thread& thread, Level level) {
    if (!thread.joinable()) {
        return;
    }
    const pthread_t handle = thread.native_handle();
    if (pthread_equal(handle, pthread_self()) != 0) {
        raiseCurrent(level);
        return;
    }
    raiseWithinPolicy(handle, level);
}

}  // namespace

void setThreadPriorityAboveNormal(std::thread& thread) {
    raise(thread, Level::AboveNormal);
}

void setThreadPriorityHighest(std::thread& thread) {
    raise(thread, Level::Highest);
}

void setCurrentThreadPriorityAboveNormal() {
    raiseCurrent(Level::AboveNormal);
}

void setCurrentThreadPriorityHighest() {
    raiseCurrent(Level::Highest);
}
