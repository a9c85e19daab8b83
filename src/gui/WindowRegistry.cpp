#include "WindowRegistry.h"

#include "Controls.h"
#include "Forms.h"

#include <mutex>
#include <unordered_map>

namespace {

struct TRegistry {
    std::mutex lock;
    // A control maps to its message window, or to 0 when it is not a windowed control.
    std::unordered_map<const TControl*, TMessageWindow> controls;
};

// Never destroyed: workers may still post while the program exits.
TRegistry& Registry() {
    static TRegistry* registry = new TRegistry;
    return *registry;
}

} // namespace

void RegisterControl(const TControl* control) {
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.controls.emplace(control, 0);
}

void UnregisterControl(const TControl* control) {
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.controls.erase(control);
}

void RegisterWindow(TWinControl* window) {
    TMessageWindow handle =
        AllocateMessageWindow("TWinControl", [window](TMessage& m) { window->Perform(m); });
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.controls[window] = handle;
}

void UnregisterWindow(const TWinControl* window) {
    TMessageWindow handle = 0;
    {
        auto& r = Registry();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.controls.find(window);
        if (it == r.controls.end())
            return;
        handle = it->second;
        it->second = 0;
    }
    ReleaseMessageWindow(handle);
}

TMessageWindow MessageWindowOf(HWND window) {
    if (!window)
        return 0;
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.controls.find(window);
    return it == r.controls.end() ? 0 : it->second;
}

bool IsControlAlive(const TControl* control) {
    if (!control)
        return false;
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.controls.count(control) > 0;
}

bool IsWindow(HWND window) {
    return MessageWindowOf(window) != 0;
}

TControl* FindControl(HWND handle) {
    return IsWindow(handle) ? handle : nullptr;
}

TWinControl* FindControlById(uint32_t id) {
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (const auto& [control, handle] : r.controls)
        if (handle != 0) {
            auto* w = static_cast<const TWinControl*>(control);
            if (w->ControlId() == id)
                return const_cast<TWinControl*>(w);
        }
    return nullptr;
}
