#include "BvWndProcHook.h"

#include "Forms.h"
#include "ScopeExit.h"

#include <algorithm>

namespace {

constexpr uint32_t kReleaseMessage = 0xB021;

class TBvReleaser {
public:
    ~TBvReleaser() {
        for (TObject* o : pending_)
            delete o;
        pending_.clear();
    }
    void Release(TObject* object) {
        if (std::find(pending_.begin(), pending_.end(), object) != pending_.end())
            return;
        pending_.push_back(object);
        if (!window_)
            window_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
        PostMessage(window_, kReleaseMessage, reinterpret_cast<intptr_t>(object), 0);
    }

private:
    void WndProc(TMessage& m) {
        if (m.Msg != kReleaseMessage)
            return;
        try {
            auto* object = reinterpret_cast<TObject*>(m.WParam);
            auto it = std::find(pending_.begin(), pending_.end(), object);
            if (it == pending_.end())
                return;
            pending_.erase(it);
            delete object;
        } catch (...) {
            if (Application)
                Application->HandleException(nullptr);
        }
    }
    std::vector<TObject*> pending_;
    HWND window_ = nullptr;
};

TBvReleaser& Releaser() {
    static TBvReleaser releaser;
    return releaser;
}

int gRecordCount = 0;

class TBvWndProcHook;

class TBvHookInfos : public TObject {
public:
    struct Entry {
        TBvHookMethod Method;
        Entry* Next = nullptr;
    };

    explicit TBvHookInfos(TControl* control) : control_(control) { ++gRecordCount; }
    ~TBvHookInfos() override {
        UnHook();
        for (int order = 0; order < 2; ++order) {
            Entry* e = first_[order];
            while (e) {
                Entry* next = e->Next;
                delete e;
                e = next;
            }
            first_[order] = last_[order] = nullptr;
        }
        --gRecordCount;
    }

    TControl* Control() const { return control_; }
    bool Destroyed() const { return destroyed_; }

    void Add(const TBvHookMethod& hook, int order) {
        auto* e = new Entry{hook, nullptr};
        if (last_[order])
            last_[order]->Next = e;
        else
            first_[order] = e;
        last_[order] = e;
        // A cursor that ran off the end of this chain picks the new entry up in its pass.
        for (int level = 0; level < depth_; ++level) {
            Entry*& cursor = cursors_[static_cast<size_t>(level * 2 + order)];
            if (!cursor)
                cursor = e;
        }
        Hook();
    }

    bool Remove(const TBvHookMethod& hook, int order) {
        Entry* prev = nullptr;
        for (Entry* e = first_[order]; e; prev = e, e = e->Next) {
            if (!(e->Method == hook))
                continue;
            if (prev)
                prev->Next = e->Next;
            else
                first_[order] = e->Next;
            if (last_[order] == e)
                last_[order] = prev;
            for (auto& cursor : cursors_)
                if (cursor == e)
                    cursor = e->Next;
            delete e;
            if (!first_[0] && !first_[1])
                UnHook();
            return true;
        }
        return false;
    }

    void ControlDestroyed();

    void Dispatch(TMessage& m) {
        m.Result = 0;
        ++depth_;
        if (cursors_.size() < static_cast<size_t>(depth_ * 2))
            cursors_.resize(static_cast<size_t>((cursors_.size() / 2 + 1) * 2 * 2), nullptr);
        size_t level = static_cast<size_t>(depth_ - 1);
        TScopeExit leave([this] {
            cursors_[(depth_ - 1) * 2] = nullptr;
            cursors_[(depth_ - 1) * 2 + 1] = nullptr;
            --depth_;
        });
        if (RunChain(m, 0, level)) {
            NoteMessageTakenByHook(m);
            return;
        }
        if (destroyed_)
            return;
        if (TWndMethod proc = oldProc_)
            proc(m);
        if (destroyed_)
            return;
        RunChain(m, 1, level);
    }

private:
    // True when a hook handled the message.
    bool RunChain(TMessage& m, int order, size_t level) {
        size_t slot = level * 2 + static_cast<size_t>(order);
        cursors_[slot] = first_[order];
        while (Entry* e = cursors_[slot]) {
            cursors_[slot] = e->Next;
            // A copy: the hook may unregister itself and free its entry.
            TBvHookMethod method = e->Method;
            if (method(m))
                return true;
            if (destroyed_)
                return false;
        }
        return false;
    }

    void Hook() {
        if (hooked_ || destroyed_ || !control_)
            return;
        oldProc_ = control_->WindowProc;
        control_->WindowProc = [this](TMessage& m) { Dispatch(m); };
        hooked_ = true;
    }

    void UnHook() {
        if (!hooked_)
            return;
        hooked_ = false;
        if (control_ && !destroyed_)
            control_->WindowProc = oldProc_;
        oldProc_ = nullptr;
    }

    TControl* control_;
    Entry* first_[2] = {nullptr, nullptr};
    Entry* last_[2] = {nullptr, nullptr};
    std::vector<Entry*> cursors_;
    int depth_ = 0;
    TWndMethod oldProc_;
    bool hooked_ = false;
    bool destroyed_ = false;
};

class TBvWndProcHook : public TComponent {
public:
    TBvWndProcHook() : TComponent(nullptr) {}
    ~TBvWndProcHook() override {
        Destroying();
        for (TBvHookInfos* r : records_) {
            if (r->Control())
                r->Control()->RemoveFreeNotification(this);
            delete r;
        }
        records_.clear();
    }

    TBvHookInfos* Find(TControl* control) const {
        for (TBvHookInfos* r : records_)
            if (r->Control() == control)
                return r;
        return nullptr;
    }

    TBvHookInfos* FindOrMake(TControl* control) {
        if (TBvHookInfos* r = Find(control))
            return r;
        auto* r = new TBvHookInfos(control);
        records_.push_back(r);
        control->FreeNotification(this);
        return r;
    }

    void Forget(TBvHookInfos* record) {
        records_.erase(std::remove(records_.begin(), records_.end(), record), records_.end());
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation != TOperation::opRemove)
            return;
        if (auto* control = dynamic_cast<TControl*>(component))
            if (TBvHookInfos* r = Find(control))
                r->ControlDestroyed();
    }

private:
    std::vector<TBvHookInfos*> records_;
};

std::unique_ptr<TBvWndProcHook>& RegistryHolder() {
    static std::unique_ptr<TBvWndProcHook> registry;
    return registry;
}

TBvWndProcHook& Registry() {
    auto& holder = RegistryHolder();
    if (!holder)
        holder = std::make_unique<TBvWndProcHook>();
    return *holder;
}

void TBvHookInfos::ControlDestroyed() {
    if (destroyed_)
        return;
    destroyed_ = true;
    hooked_ = false;
    oldProc_ = nullptr;
    Registry().Forget(this);
    ReleaseObject(this);
}

} // namespace

void ReleaseObject(TObject* object) {
    if (object)
        Releaser().Release(object);
}

int HookRecordCount() {
    return gRecordCount;
}

bool RegisterWndProcHook(TControl* control, const TBvHookMethod& hook, TBvHookOrder order) {
    if (!control || control->IsDestroying() || !hook.Assigned())
        return false;
    Registry().FindOrMake(control)->Add(hook, static_cast<int>(order));
    return true;
}

bool UnRegisterWndProcHook(TControl* control, const TBvHookMethod& hook, TBvHookOrder order) {
    if (!control || !hook.Assigned())
        return false;
    TBvHookInfos* r = Registry().Find(control);
    if (!r)
        return false;
    return r->Remove(hook, static_cast<int>(order));
}

// ---------------------------------------------------------------- TBvWindowHook

const TClassInfo& TBvWindowHook::StaticClassInfo() {
    static const TClassInfo info("TBvWindowHook", &TComponent::StaticClassInfo(), {},
                                 "BvWndProcHook");
    return info;
}

TBvWindowHook::TBvWindowHook(TComponent* owner) : TComponent(owner) {}

TBvWindowHook::~TBvWindowHook() {
    Destroying();
    SetActive(false);
    SetControl(nullptr);
}

void TBvWindowHook::SetActive(bool value) {
    if (IsDesigning()) {
        active_ = value;
        return;
    }
    if (control_) {
        TBvHookMethod beforeHook(this, &TBvWindowHook::DoBeforeMessage);
        TBvHookMethod afterHook(this, &TBvWindowHook::DoAfterMessage);
        if (value && !active_) {
            if (after_)
                RegisterWndProcHook(control_, afterHook, TBvHookOrder::hoAfterMsg);
            if (before_)
                RegisterWndProcHook(control_, beforeHook, TBvHookOrder::hoBeforeMsg);
        } else if (!value && active_) {
            UnRegisterWndProcHook(control_, afterHook, TBvHookOrder::hoAfterMsg);
            UnRegisterWndProcHook(control_, beforeHook, TBvHookOrder::hoBeforeMsg);
        }
    }
    active_ = value;
}

void TBvWindowHook::SetControl(TControl* control) {
    if (control == control_)
        return;
    bool wasActive = active_;
    SetActive(false);
    if (control_)
        control_->RemoveFreeNotification(this);
    control_ = nullptr;
    if (control && control->IsDestroying())
        return;
    control_ = control;
    if (control_)
        control_->FreeNotification(this);
    if (control_ && wasActive) {
        active_ = false;
        SetActive(true);
    } else {
        active_ = wasActive;
    }
}

void TBvWindowHook::SetBeforeMessage(TBvHookMessageEvent event) {
    bool had = static_cast<bool>(before_), has = static_cast<bool>(event);
    before_ = std::move(event);
    if (!active_ || !control_ || had == has)
        return;
    TBvHookMethod hook(this, &TBvWindowHook::DoBeforeMessage);
    if (has)
        RegisterWndProcHook(control_, hook, TBvHookOrder::hoBeforeMsg);
    else
        UnRegisterWndProcHook(control_, hook, TBvHookOrder::hoBeforeMsg);
}

void TBvWindowHook::SetAfterMessage(TBvHookMessageEvent event) {
    bool had = static_cast<bool>(after_), has = static_cast<bool>(event);
    after_ = std::move(event);
    if (!active_ || !control_ || had == has)
        return;
    TBvHookMethod hook(this, &TBvWindowHook::DoAfterMessage);
    if (has)
        RegisterWndProcHook(control_, hook, TBvHookOrder::hoAfterMsg);
    else
        UnRegisterWndProcHook(control_, hook, TBvHookOrder::hoAfterMsg);
}

void TBvWindowHook::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove &&
        (component == control_ || component == Owner() || !Owner())) {
        bool wasActive = active_;
        if (component == control_) {
            control_ = nullptr;
            active_ = wasActive;
        } else {
            SetControl(nullptr);
        }
    }
}

bool TBvWindowHook::DoBeforeMessage(TMessage& msg) {
    bool handled = false;
    if (before_)
        before_(this, msg, handled);
    return handled;
}

bool TBvWindowHook::DoAfterMessage(TMessage& msg) {
    bool handled = false;
    if (after_)
        after_(this, msg, handled);
    return handled;
}
