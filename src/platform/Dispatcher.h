// The main-thread dispatcher: work that must run on the GUI thread (finish
// notifications, output of child processes, timers) is handed to it from any
// thread and runs when the GUI thread pumps.
//
// The GUI thread is, by default, the thread that runs the program's static
// initialisation, that is the process's main thread; SetMainThread moves it.
//
// Headless programs and tests pump it themselves (ProcessMessages, or
// CheckSynchronize with a wait). An event loop plugs in through three calls:
//   SetWakeMainThread(f)  f is called, from any thread, whenever work is posted
//                         and whenever a timer is armed, changed or stopped; it
//                         must only schedule (never run) a call, on the GUI
//                         thread, of CheckSynchronize() and FireDueTimers() and
//                         then re-arm its own single-shot timer for
//                         NextTimerDueMs() milliseconds (none when -1).
//   SetProcessMessagesHook(f)  ProcessMessages also calls f (on the GUI thread)
//                         so that it pumps the event loop's own events.
//   NextTimerDueMs()      milliseconds until the next timer is due.
#pragma once

#include <cassert>
#include <cstdint>
#include <exception>
#include <functional>

// The calling thread becomes the GUI thread.
void SetMainThread();
bool IsMainThread();

// Controls and the track manager's state belong to the GUI thread: a worker posts
// its progress and results (Queue) and never changes them itself. Debug builds
// stop at once when one does; commands and posted results start with this.
#define BV_ASSERT_GUI_THREAD()                                                                     \
    assert(IsMainThread() && "controls and the manager's state change on the GUI thread only")

// Runs call on the GUI thread and waits for it. On the GUI thread it runs at
// once; an exception thrown by call is re-thrown in the caller. The GUI thread
// must be pumping (or waiting in CheckSynchronize) for a worker's call to run.
void Synchronize(std::function<void()> call);

// Posts call to the GUI thread and returns at once, also on the GUI thread
// itself (the call then runs at its next pump, never inside Queue). Calls run
// in the order they were posted. An exception escaping call goes to
// HandleApplicationException.
void Queue(std::function<void()> call);

// On the GUI thread: runs every call pending at that moment (and, when none is
// pending, first waits up to timeoutMs for one). Returns whether anything ran.
// On any other thread it does nothing and returns false.
bool CheckSynchronize(int timeoutMs = 0);

// On the GUI thread: runs pending calls and due timers and pumps the event
// loop's hook; on any other thread it does nothing, so workers may call it.
void ProcessMessages();

// Event-loop seam, see the top of this file.
void SetWakeMainThread(std::function<void()> wake);
void SetProcessMessagesHook(std::function<void()> pump);
// Milliseconds until the earliest enabled timer is due: 0 when one is due now,
// -1 when no timer is running.
int NextTimerDueMs();
// On the GUI thread: fires every timer that is due. Returns how many fired.
int FireDueTimers();

// Where exceptions go that escape a queued call or a timer handler (there is no
// caller to receive them). The default writes the class and message to stderr;
// the GUI layer replaces it with its error box. Passing an empty function
// restores the default.
void SetApplicationExceptionHandler(std::function<void(std::exception_ptr)> handler);
void HandleApplicationException(std::exception_ptr error);

// A timer that fires on the GUI thread when it pumps. It runs while Enabled,
// Interval > 0 and OnTimer is set; the first tick comes Interval ms after it
// starts, each later one Interval ms after the previous tick fired. A timer
// does not fire again while its own OnTimer runs (a handler that pumps cannot
// re-enter itself). Create, change and destroy it on the GUI thread.
class TMainThreadTimer {
public:
    TMainThreadTimer();
    ~TMainThreadTimer();
    TMainThreadTimer(const TMainThreadTimer&) = delete;
    TMainThreadTimer& operator=(const TMainThreadTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Milliseconds; 0 stops the timer. Default 1000.
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t interval);
    const std::function<void()>& OnTimer() const { return onTimer_; }
    void SetOnTimer(std::function<void()> onTimer);

private:
    void Rearm();

    uint64_t id_ = 0;
    bool enabled_ = true;
    uint32_t interval_ = 1000;
    std::function<void()> onTimer_;
};
