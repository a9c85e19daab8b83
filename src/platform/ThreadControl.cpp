#include "ThreadControl.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

struct TLevel {
    int priority;
    int nice;
};
constexpr TLevel kLevels[] = {{THREAD_PRIORITY_IDLE, 19},          {THREAD_PRIORITY_LOWEST, 10},
                              {THREAD_PRIORITY_BELOW_NORMAL, 5},   {THREAD_PRIORITY_NORMAL, 0},
                              {THREAD_PRIORITY_ABOVE_NORMAL, -5},  {THREAD_PRIORITY_HIGHEST, -10},
                              {THREAD_PRIORITY_TIME_CRITICAL, -20}};

thread_local TThreadParking* tParking = nullptr;

int ParkSignal() {
    return SIGRTMIN + 6;
}

} // namespace

// Async-signal-safe: only atomics and sigsuspend.
void ParkingSignal(int) {
    TThreadParking* p = tParking;
    if (!p || p->parked_.load())
        return; // not parkable, or the wake-up of a parked thread
    const int saved = errno;
    sigset_t wait;
    pthread_sigmask(SIG_BLOCK, nullptr, &wait);
    sigdelset(&wait, ParkSignal());
    p->parked_ = true;
    while (p->requested_.load())
        sigsuspend(&wait);
    p->parked_ = false;
    errno = saved;
}

THandle GetCurrentThreadId() {
    return THandle(syscall(SYS_gettid));
}

int GetThreadPriority(THandle thread) {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(thread));
    if (thread == 0 || (nice == -1 && errno != 0))
        return THREAD_PRIORITY_ERROR_RETURN;
    if (nice >= 15)
        return THREAD_PRIORITY_IDLE;
    if (nice >= 8)
        return THREAD_PRIORITY_LOWEST;
    if (nice >= 1)
        return THREAD_PRIORITY_BELOW_NORMAL;
    if (nice == 0)
        return THREAD_PRIORITY_NORMAL;
    if (nice >= -7)
        return THREAD_PRIORITY_ABOVE_NORMAL;
    if (nice >= -15)
        return THREAD_PRIORITY_HIGHEST;
    return THREAD_PRIORITY_TIME_CRITICAL;
}

bool SetThreadPriority(THandle thread, int priority) {
    if (thread == 0)
        return false;
    for (const TLevel& level : kLevels)
        if (level.priority == priority)
            return setpriority(PRIO_PROCESS, id_t(thread), level.nice) == 0;
    return false;
}

void TThreadParking::Attach() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action = {};
        action.sa_handler = ParkingSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(ParkSignal(), &action, nullptr);
    });
    tParking = this;
    thread_ = GetCurrentThreadId();
}

void TThreadParking::Detach() {
    thread_ = 0;
    tParking = nullptr;
}

bool TThreadParking::Park(int timeoutMs) {
    const THandle thread = thread_.load();
    if (thread == 0)
        return false;
    requested_ = true;
    if (syscall(SYS_tgkill, getpid(), pid_t(thread), ParkSignal()) != 0) {
        requested_ = false;
        return false;
    }
    for (int waited = 0; !parked_.load(); ++waited) {
        if (waited >= timeoutMs || thread_.load() == 0) {
            Unpark();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TThreadParking::Unpark() {
    requested_ = false;
    if (const THandle thread = thread_.load(); thread != 0 && parked_.load())
        syscall(SYS_tgkill, getpid(), pid_t(thread), ParkSignal());
}
