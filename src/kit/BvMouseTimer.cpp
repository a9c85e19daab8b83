#include "BvMouseTimer.h"

#include "ExtCtrls.h"
#include "WinApi.h"

#include <cstdlib>

namespace {

class TTimerClock : public TBvMouseTimerClock {
public:
    TTimerClock() : timer_(std::make_unique<TTimer>(nullptr)) { timer_->SetEnabled(false); }
    void Start(unsigned intervalMs, std::function<void()> tick) override {
        timer_->SetInterval(intervalMs);
        timer_->SetOnTimer([tick = std::move(tick)](TObject*) { tick(); });
        timer_->SetEnabled(true);
    }
    void Stop() override { timer_->SetEnabled(false); }
    bool Running() const override { return timer_->Enabled(); }

private:
    std::unique_ptr<TTimer> timer_;
};

std::unique_ptr<TBvMouseTimer>& Shared() {
    static std::unique_ptr<TBvMouseTimer> shared;
    return shared;
}

bool gReleaseRegistered = false;

void ReleaseShared() {
    Shared().reset();
}

// Released at exit before the GUI thread's timers go, which were made before it.
void ReleaseAtExit() {
    if (!gReleaseRegistered) {
        gReleaseRegistered = true;
        std::atexit(ReleaseShared);
    }
}

} // namespace

// Learns when the watched control goes away.
class TBvMouseTimer::TNotify : public TComponent {
public:
    explicit TNotify(TBvMouseTimer* timer) : TComponent(nullptr), timer_(timer) {}
    ~TNotify() override { Destroying(); }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && dynamic_cast<TControl*>(component))
            timer_->Detach(static_cast<TControl*>(component));
    }

private:
    TBvMouseTimer* timer_;
};

TBvMouseTimer::TBvMouseTimer(std::unique_ptr<TBvMouseTimerClock> clock)
    : clock_(clock ? std::move(clock) : std::make_unique<TTimerClock>()) {}

TBvMouseTimer::~TBvMouseTimer() {
    clock_->Stop();
    if (watched_ && notify_)
        watched_->RemoveFreeNotification(notify_.get());
    watched_ = nullptr;
}

void TBvMouseTimer::Unwatch() {
    if (watched_ && notify_)
        watched_->RemoveFreeNotification(notify_.get());
    watched_ = nullptr;
}

void TBvMouseTimer::Attach(TControl* control) {
    clock_->Stop();
    if (watched_ && watched_ != control) {
        TControl* old = watched_;
        Unwatch();
        try {
            old->Perform(CM_MOUSELEAVE, 0, 0);
        } catch (...) {
            // The control leaving is told as a courtesy; its failure changes nothing here.
        }
    }
    if (!control)
        return;
    watched_ = control;
    if (!notify_)
        notify_ = std::make_unique<TNotify>(this);
    control->FreeNotification(notify_.get());
    clock_->Start(kInterval, [this] { Tick(); });
}

void TBvMouseTimer::Detach(TControl* control) {
    if (!control || control != watched_)
        return;
    clock_->Stop();
    Unwatch();
}

void TBvMouseTimer::Tick() {
    if (!watched_) {
        clock_->Stop();
        return;
    }
    TControl* control = watched_;
    try {
        TRect r = control->BoundsRect();
        if (TWinControl* parent = control->Parent())
            MapWindowPoints(parent, nullptr, &r);
        TPoint cursor;
        GetCursorPos(&cursor);
        if (!PtInRect(r, cursor))
            control->Perform(CM_MOUSELEAVE, 0, 0);
    } catch (...) {
        // The timer's tick has no caller to hear of a failure; a control whose
        // leave handling fails is no longer watched, so it cannot fail every tick.
        Detach(control);
    }
}

TBvMouseTimer* SharedMouseTimer() {
    return Shared().get();
}

IBvMouseTimer& MouseTimer() {
    auto& shared = Shared();
    if (!shared) {
        shared = std::make_unique<TBvMouseTimer>();
        ReleaseAtExit();
    }
    return *shared;
}

void SetSharedMouseTimer(std::unique_ptr<TBvMouseTimer> timer) {
    Shared() = std::move(timer);
    ReleaseAtExit();
}
