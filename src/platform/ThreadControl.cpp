#include "ThreadControl.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <csignal>
#include <linux/futex.h>
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
// Holds of the thread (TParkingHold), and whether a park came during one.
// Lock-free atomics, so the signal handler may read and write them.
thread_local std::atomic<int> tHolds{0};
thread_local std::atomic<bool> tParkDeferred{false};

// A thread sanitizer holds a signal back until the thread next calls into the
// C library or touches an atomic, and a raw futex wait does neither: there,
// waits are cut into slices so that a park reaches a waiting thread.
#if defined(__SANITIZE_THREAD__)
constexpr int64_t kWaitSliceNs = 20'000'000;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int64_t kWaitSliceNs = 20'000'000;
#else
constexpr int64_t kWaitSliceNs = 0;
#endif
#else
constexpr int64_t kWaitSliceNs = 0;
#endif

int ParkSignal() {
    return SIGRTMIN + 6;
}

} // namespace

// Async-signal-safe: only atomics and the futex call. The thread is let go
// through the futex, not by a second signal, so no handler ever runs nested in
// this one (a sanitizer that defers signals restores masks wrongly then).
void ParkingSignal(int) {
    TThreadParking* p = tParking;
    if (!p || p->parked_.load() || p->requested_.load() == 0)
        return; // not parkable, or a park already taken back
    if (tHolds.load() > 0) {
        tParkDeferred = true; // parked when the last hold ends
        return;
    }
    const int saved = errno;
    p->parked_ = true;
    while (p->requested_.load() != 0)
        syscall(SYS_futex, &p->requested_, FUTEX_WAIT_PRIVATE, 1u, nullptr, nullptr, 0);
    p->parked_ = false;
    errno = saved;
}

void HoldParking() {
    ++tHolds;
}

// The deferred park is sent to the thread itself, so it parks through the
// handler, with the signal blocked as the handler needs it to be.
void ReleaseParking() {
    if (--tHolds > 0 || !tParkDeferred.load())
        return;
    tParkDeferred = false;
    if (TThreadParking* p = tParking; p && p->requested_.load() != 0)
        syscall(SYS_tgkill, getpid(), pid_t(GetCurrentThreadId()), ParkSignal());
}

static_assert(std::atomic<uint32_t>::is_always_lock_free && sizeof(std::atomic<uint32_t>) == 4,
              "the park request doubles as a futex word");

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
    requested_ = 1;
    if (syscall(SYS_tgkill, getpid(), pid_t(thread), ParkSignal()) != 0) {
        requested_ = 0;
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
    requested_ = 0;
    syscall(SYS_futex, &requested_, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// The generation is read while the caller's lock is held: a notify that
// follows a change made under that lock moves it on, so the futex wait
// returns at once instead of missing the wake-up.
void TParkSafeCondition::WaitAtMost(std::unique_lock<TParkSafeMutex>& lock,
                                    std::chrono::nanoseconds timeout) {
    const uint32_t seen = generation_.load();
    lock.unlock();
    // Read again after the lock is let go: under a thread sanitizer this is
    // also where a park deferred by the lock reaches the thread.
    if (generation_.load() == seen) {
        int64_t ns = timeout.count();
        if (kWaitSliceNs > 0 && (ns < 0 || ns > kWaitSliceNs))
            ns = kWaitSliceNs;
        timespec limit{};
        if (ns >= 0) {
            limit.tv_sec = static_cast<time_t>(ns / 1000000000);
            limit.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        syscall(SYS_futex, &generation_, FUTEX_WAIT_PRIVATE, seen, ns >= 0 ? &limit : nullptr,
                nullptr, 0);
    }
    lock.lock();
}

void TParkSafeCondition::wait(std::unique_lock<TParkSafeMutex>& lock) {
    WaitAtMost(lock, std::chrono::nanoseconds(-1));
}

void TParkSafeCondition::notify_all() {
    ++generation_;
    syscall(SYS_futex, &generation_, FUTEX_WAKE_PRIVATE, INT32_MAX, nullptr, nullptr, 0);
}
