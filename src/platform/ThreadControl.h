// What the system offers for one thread of this process, by its kernel thread
// id: its scheduling priority on the Windows scale, and parking it where it
// stands until it is let go, as a debugger suspends a thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

using THandle = uint32_t;

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// The calling thread's kernel id.
THandle GetCurrentThreadId();
// The thread's nice value seen on the Windows scale (-15 idle .. 15 time
// critical); THREAD_PRIORITY_ERROR_RETURN for a thread that does not exist.
int GetThreadPriority(THandle thread);
// Sets the nice value for one of the seven Windows levels. False for another
// value, a thread that does not exist, or a raise the process may not make.
bool SetThreadPriority(THandle thread, int priority);

// A thread that can be parked: it attaches itself, and another thread parks
// it (a signal makes it wait inside the signal handler) and lets it go. A
// parked thread holds whatever locks it held, so the caller must not wait for
// it while it is parked; the locks this program shares between a worker and
// the thread that parks it are TParkSafeMutex, which defer the park.
class TThreadParking {
public:
    // On the thread itself, before it may be parked / when it ends.
    void Attach();
    void Detach();
    // From another thread: true once the thread waits; false when it is not
    // attached or did not stop within the time.
    bool Park(int timeoutMs = 2000);
    void Unpark();
    bool Parked() const { return parked_.load(); }

private:
    friend void ParkingSignal(int);
    friend void ReleaseParking();
    // 1 while a park is asked for; the parked thread waits on it as a futex.
    std::atomic<uint32_t> requested_{0};
    std::atomic<bool> parked_{false};
    std::atomic<THandle> thread_{0};
};

// While the calling thread holds one of these, a park that reaches it waits
// until the last hold ends and parks the thread there. For the short spans in
// which a thread holds a lock the parking thread may need.
void HoldParking();
void ReleaseParking();

class TParkingHold {
public:
    TParkingHold() { HoldParking(); }
    ~TParkingHold() { ReleaseParking(); }
    TParkingHold(const TParkingHold&) = delete;
    TParkingHold& operator=(const TParkingHold&) = delete;
};

// A mutex whose holder is never parked while it holds it, so a thread parked
// where it stands cannot keep the thread that parked it out. Waiting for it
// defers a park too: keep what is done under it short.
class TParkSafeMutex {
public:
    void lock() {
        HoldParking();
        mutex_.lock();
    }
    bool try_lock() {
        HoldParking();
        if (mutex_.try_lock())
            return true;
        ReleaseParking();
        return false;
    }
    void unlock() {
        mutex_.unlock();
        ReleaseParking();
    }

private:
    std::mutex mutex_;
};

// A condition to wait on under a TParkSafeMutex. It holds no lock of its own
// while it lets the caller's lock go, so a park that was deferred until then
// parks the thread holding nothing (a standard condition would still hold its
// own lock there, and the next notify would wait for the parked thread).
class TParkSafeCondition {
public:
    void wait(std::unique_lock<TParkSafeMutex>& lock);
    template <typename Pred> void wait(std::unique_lock<TParkSafeMutex>& lock, Pred done) {
        while (!done())
            wait(lock);
    }
    // False when the time ran out with done still false.
    template <typename Pred>
    bool wait_for(std::unique_lock<TParkSafeMutex>& lock, std::chrono::milliseconds timeout,
                  Pred done) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            const auto left = until - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero())
                return done();
            WaitAtMost(lock, std::chrono::duration_cast<std::chrono::nanoseconds>(left));
        }
        return true;
    }
    void notify_all();
    void notify_one() { notify_all(); }

private:
    void WaitAtMost(std::unique_lock<TParkSafeMutex>& lock, std::chrono::nanoseconds timeout);
    // Counts notifications; waiters sleep on it as a futex word.
    std::atomic<uint32_t> generation_{0};
};
