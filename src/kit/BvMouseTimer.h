// The shared mouse timer: while the mouse is over a registered control it checks the cursor
// every 200 ms and tells the control that the mouse left when the cursor lies outside it, so
// leaving is noticed even when the pointer moves on to a window that reports no leave.
#pragma once

#include "Controls.h"

#include <functional>
#include <memory>

class IBvMouseTimer {
public:
    virtual ~IBvMouseTimer() = default;
    virtual void Attach(TControl* control) = 0;
    virtual void Detach(TControl* control) = 0;
};

// What makes the timer tick: a GUI-thread timer in the program; tests drive one by hand.
class TBvMouseTimerClock {
public:
    virtual ~TBvMouseTimerClock() = default;
    virtual void Start(unsigned intervalMs, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

class TBvMouseTimer : public IBvMouseTimer {
public:
    static constexpr unsigned kInterval = 200;
    // Without a clock the timer ticks on a GUI-thread timer.
    explicit TBvMouseTimer(std::unique_ptr<TBvMouseTimerClock> clock = nullptr);
    ~TBvMouseTimer() override;

    // Stops watching the control watched so far (which is told the mouse left) and watches
    // control, when one is given.
    void Attach(TControl* control) override;
    // Only the watched control can be detached.
    void Detach(TControl* control) override;
    TControl* Watched() const { return watched_; }
    bool Running() const { return clock_->Running(); }
    // One look at the cursor.
    void Tick();

private:
    class TNotify;
    void Unwatch();
    std::unique_ptr<TBvMouseTimerClock> clock_;
    TControl* watched_ = nullptr;
    std::unique_ptr<TNotify> notify_;
};

// The one timer of the program, made on first use and released at exit.
IBvMouseTimer& MouseTimer();
TBvMouseTimer* SharedMouseTimer();
// Puts another timer in the shared one's place (tests give it their own clock); the old one
// is released. Passing nullptr releases the shared timer.
void SetSharedMouseTimer(std::unique_ptr<TBvMouseTimer> timer);
