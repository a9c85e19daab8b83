#include "Dispatcher.h"

#include "SysUtils.h"
#include "ThreadControl.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct TSyncWaiter {
    bool done = false;
    std::exception_ptr error;
};

struct TPendingCall {
    std::function<void()> call;
    TSyncWaiter* waiter; // null for a queued call
};

struct TTimerEntry {
    TMainThreadTimer* timer = nullptr;
    bool running = false;
    bool firing = false;
    Clock::time_point due;
};

struct TDispatcher {
    std::atomic<std::thread::id> mainThread{std::this_thread::get_id()};
    // Workers post under it, and a worker may be parked where it stands: the
    // event loop must never wait for a parked thread.
    TParkSafeMutex lock;
    TParkSafeCondition workArrived;
    TParkSafeCondition callDone;
    std::deque<TPendingCall> pending;
    uint64_t wakeCount = 0;
    std::function<void()> wake;
    std::function<void()> pump;
    std::function<void(std::exception_ptr)> exceptionHandler;
    std::map<uint64_t, TTimerEntry> timers;
    uint64_t nextTimerId = 1;
};

// Never destroyed: detached threads may still post while the program exits.
TDispatcher& State() {
    static TDispatcher* state = new TDispatcher;
    return *state;
}

// Pins the default GUI thread to the one that runs static initialisation.
[[maybe_unused]] const bool mainThreadPinned = (State(), true);

// Tells waiters and the event loop that something changed; takes the lock itself.
void Wake() {
    auto& s = State();
    std::function<void()> wake;
    {
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        ++s.wakeCount;
        wake = s.wake;
    }
    s.workArrived.notify_all();
    if (wake)
        wake();
}

void Post(TPendingCall call) {
    TParkingHold hold; // the wake-up reaches into the event loop's own locks
    auto& s = State();
    {
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        s.pending.push_back(std::move(call));
    }
    Wake();
}

void DefaultExceptionHandler(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.Message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Exception: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Exception: unknown error\n");
    }
}

int MillisecondsUntil(Clock::time_point due, Clock::time_point now) {
    if (due <= now)
        return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::min<int64_t>(ms, INT32_MAX));
}

int NextTimerDueLocked(const TDispatcher& s, Clock::time_point now) {
    int best = -1;
    for (const auto& [id, entry] : s.timers) {
        if (!entry.running || entry.firing)
            continue;
        int ms = MillisecondsUntil(entry.due, now);
        if (best < 0 || ms < best)
            best = ms;
    }
    return best;
}

} // namespace

void SetMainThread() {
    State().mainThread.store(std::this_thread::get_id());
}

bool IsMainThread() {
    return State().mainThread.load() == std::this_thread::get_id();
}

void Synchronize(std::function<void()> call) {
    if (!call)
        return;
    if (IsMainThread()) {
        call();
        return;
    }
    TSyncWaiter waiter;
    Post(TPendingCall{std::move(call), &waiter});
    auto& s = State();
    std::unique_lock<TParkSafeMutex> guard(s.lock);
    s.callDone.wait(guard, [&] { return waiter.done; });
    if (waiter.error)
        std::rethrow_exception(waiter.error);
}

void Queue(std::function<void()> call) {
    if (call)
        Post(TPendingCall{std::move(call), nullptr});
}

bool CheckSynchronize(int timeoutMs) {
    if (!IsMainThread())
        return false;
    auto& s = State();
    size_t budget;
    {
        std::unique_lock<TParkSafeMutex> guard(s.lock);
        if (s.pending.empty() && timeoutMs > 0) {
            // A timer falling due or a changed timer also ends the wait, so a
            // headless loop can alternate this with FireDueTimers.
            auto now = Clock::now();
            int wait = timeoutMs;
            int timerDue = NextTimerDueLocked(s, now);
            if (timerDue >= 0)
                wait = std::min(wait, timerDue);
            uint64_t seen = s.wakeCount;
            s.workArrived.wait_for(guard, std::chrono::milliseconds(wait),
                                   [&] { return !s.pending.empty() || s.wakeCount != seen; });
        }
        // Only what is pending now runs; calls posted by these calls wait for
        // the next pump, so a call that re-posts itself cannot starve the loop.
        budget = s.pending.size();
    }
    bool ran = false;
    for (; budget > 0; --budget) {
        TPendingCall item;
        {
            std::lock_guard<TParkSafeMutex> guard(s.lock);
            if (s.pending.empty())
                break; // a nested pump took them
            item = std::move(s.pending.front());
            s.pending.pop_front();
        }
        ran = true;
        std::exception_ptr error;
        try {
            item.call();
        } catch (...) {
            error = std::current_exception();
        }
        if (item.waiter) {
            {
                std::lock_guard<TParkSafeMutex> guard(s.lock);
                item.waiter->error = std::move(error); // the waiter alone owns it now
                item.waiter->done = true;
            }
            s.callDone.notify_all();
        } else if (error) {
            HandleApplicationException(error);
        }
    }
    return ran;
}

void ProcessMessages() {
    if (!IsMainThread())
        return;
    std::function<void()> pump;
    {
        auto& s = State();
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        pump = s.pump;
    }
    if (pump)
        pump();
    CheckSynchronize(0);
    FireDueTimers();
}

void SetWakeMainThread(std::function<void()> wake) {
    auto& s = State();
    std::lock_guard<TParkSafeMutex> guard(s.lock);
    s.wake = std::move(wake);
}

void SetProcessMessagesHook(std::function<void()> pump) {
    auto& s = State();
    std::lock_guard<TParkSafeMutex> guard(s.lock);
    s.pump = std::move(pump);
}

int NextTimerDueMs() {
    auto& s = State();
    std::lock_guard<TParkSafeMutex> guard(s.lock);
    return NextTimerDueLocked(s, Clock::now());
}

int FireDueTimers() {
    if (!IsMainThread())
        return 0;
    auto& s = State();
    std::vector<uint64_t> fired;
    for (;;) {
        uint64_t id = 0;
        TMainThreadTimer* timer = nullptr;
        {
            std::lock_guard<TParkSafeMutex> guard(s.lock);
            auto now = Clock::now();
            Clock::time_point earliest{};
            for (auto& [key, entry] : s.timers) {
                if (!entry.running || entry.firing || entry.due > now ||
                    std::find(fired.begin(), fired.end(), key) != fired.end())
                    continue;
                if (!timer || entry.due < earliest) {
                    id = key;
                    timer = entry.timer;
                    earliest = entry.due;
                }
            }
            if (!timer)
                break;
            auto& entry = s.timers[id];
            entry.firing = true;
            entry.due = now + std::chrono::milliseconds(timer->Interval());
        }
        fired.push_back(id);
        // A copy, since the handler may destroy its own timer.
        std::function<void()> onTimer = timer->OnTimer();
        try {
            if (onTimer)
                onTimer();
        } catch (...) {
            HandleApplicationException(std::current_exception());
        }
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        auto it = s.timers.find(id);
        if (it != s.timers.end())
            it->second.firing = false;
    }
    return static_cast<int>(fired.size());
}

void SetApplicationExceptionHandler(std::function<void(std::exception_ptr)> handler) {
    auto& s = State();
    std::lock_guard<TParkSafeMutex> guard(s.lock);
    s.exceptionHandler = std::move(handler);
}

void HandleApplicationException(std::exception_ptr error) {
    if (!error)
        return;
    std::function<void(std::exception_ptr)> handler;
    {
        auto& s = State();
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        handler = s.exceptionHandler;
    }
    if (handler)
        handler(error);
    else
        DefaultExceptionHandler(error);
}

TMainThreadTimer::TMainThreadTimer() {
    auto& s = State();
    std::lock_guard<TParkSafeMutex> guard(s.lock);
    id_ = s.nextTimerId++;
    TTimerEntry entry;
    entry.timer = this;
    s.timers.emplace(id_, entry);
}

TMainThreadTimer::~TMainThreadTimer() {
    auto& s = State();
    {
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        s.timers.erase(id_);
    }
    Wake();
}

void TMainThreadTimer::SetEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    Rearm();
}

void TMainThreadTimer::SetInterval(uint32_t interval) {
    if (interval_ == interval)
        return;
    interval_ = interval;
    Rearm();
}

void TMainThreadTimer::SetOnTimer(std::function<void()> onTimer) {
    bool wasSet = static_cast<bool>(onTimer_);
    onTimer_ = std::move(onTimer);
    // Replacing one handler by another keeps the timer's rhythm.
    if (wasSet != static_cast<bool>(onTimer_))
        Rearm();
}

// Any change of the running conditions starts the interval afresh.
void TMainThreadTimer::Rearm() {
    auto& s = State();
    {
        std::lock_guard<TParkSafeMutex> guard(s.lock);
        auto& entry = s.timers[id_];
        entry.running = enabled_ && interval_ > 0 && onTimer_;
        entry.due = Clock::now() + std::chrono::milliseconds(interval_);
    }
    Wake();
}
