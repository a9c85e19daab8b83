// Several independent parts of the program watch and intercept the messages of one
// control without knowing of each other: each registers a hook before or after the
// control's own procedure, and one dispatcher, put in place of the control's
// WindowProc, calls them in registration order.
#pragma once

#include "Controls.h"

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

// A hook method: true means the hook handled the message. Two hook methods are the
// same when they name the same member function of the same object (or share an identity).
class TBvHookMethod {
public:
    TBvHookMethod() = default;
    template <class C>
    TBvHookMethod(C* object, bool (C::*method)(TMessage&))
        : object_(object), call_([object, method](TMessage& m) { return (object->*method)(m); }) {
        static_assert(sizeof(method) <= sizeof(code_));
        std::memcpy(code_.data(), &method, sizeof(method));
    }
    // A free function or lambda; identity tells two registrations apart.
    TBvHookMethod(const void* identity, std::function<bool(TMessage&)> call)
        : object_(identity), call_(std::move(call)) {}

    bool Assigned() const { return static_cast<bool>(call_); }
    bool operator()(TMessage& m) const { return call_(m); }
    bool operator==(const TBvHookMethod& other) const {
        return object_ == other.object_ && code_ == other.code_;
    }

private:
    const void* object_ = nullptr;
    std::array<char, 16> code_{};
    std::function<bool(TMessage&)> call_;
};

enum class TBvHookOrder { hoBeforeMsg, hoAfterMsg };

// False for no control, a control being destroyed or an unassigned hook.
bool RegisterWndProcHook(TControl* control, const TBvHookMethod& hook, TBvHookOrder order);
// False for no control, an unassigned hook, a control without hooks or a hook not registered.
bool UnRegisterWndProcHook(TControl* control, const TBvHookMethod& hook, TBvHookOrder order);
// Hook records alive, including those waiting for the releaser (for tests).
int HookRecordCount();

// Frees objects later, from a posted message, so that code still running on the stack
// finishes first.
void ReleaseObject(TObject* object);

using TBvHookMessageEvent = std::function<void(TObject* sender, TMessage& msg, bool& handled)>;

// A component over the same registry.
class TBvWindowHook : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvWindowHook(TComponent* owner);
    ~TBvWindowHook() override;
    bool Active() const { return active_; }
    void SetActive(bool value);
    TControl* Control() const { return control_; }
    void SetControl(TControl* control);
    const TBvHookMessageEvent& BeforeMessage() const { return before_; }
    void SetBeforeMessage(TBvHookMessageEvent event);
    const TBvHookMessageEvent& AfterMessage() const { return after_; }
    void SetAfterMessage(TBvHookMessageEvent event);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual bool DoBeforeMessage(TMessage& msg);
    virtual bool DoAfterMessage(TMessage& msg);

private:
    bool active_ = true;
    TControl* control_ = nullptr;
    TBvHookMessageEvent before_;
    TBvHookMessageEvent after_;
};
