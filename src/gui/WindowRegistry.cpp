#include "WindowRegistry.h"

#include "BvLiveWindows.h"
#include "Controls.h"
#include "Forms.h"

namespace {

// Entries are keyed by the control's TControl address, whatever pointer type a caller holds.
const void* Key(const TControl* control) {
    return control;
}

// Never destroyed: workers may still post while the program exits.
TBvLiveWindows& Registry() {
    static TBvLiveWindows* registry = new TBvLiveWindows;
    return *registry;
}

} // namespace

void RegisterControl(const TControl* control) {
    Registry().Add(Key(control));
}

void UnregisterControl(const TControl* control) {
    Registry().Remove(Key(control));
}

void RegisterWindow(TWinControl* window) {
    Registry().SetMessageWindow(
        Key(window),
        AllocateMessageWindow("TWinControl", [window](TMessage& m) { window->Perform(m); }));
}

void UnregisterWindow(const TWinControl* window) {
    if (TMessageWindow handle = Registry().TakeMessageWindow(Key(window)))
        ReleaseMessageWindow(handle);
}

TMessageWindow MessageWindowOf(HWND window) {
    return Registry().MessageWindowOf(Key(window));
}

bool IsControlAlive(const TControl* control) {
    return control && Registry().Contains(Key(control));
}

bool IsWindow(HWND window) {
    return MessageWindowOf(window) != 0;
}

TControl* FindControl(HWND handle) {
    return IsWindow(handle) ? handle : nullptr;
}

TWinControl* FindControlById(uint32_t id) {
    // Only windows own message windows, so every match is a windowed control.
    auto asWindow = [](const void* key) {
        return static_cast<const TWinControl*>(static_cast<const TControl*>(key));
    };
    const void* found = Registry().FindWindow(
        [id, asWindow](const void* key) { return asWindow(key)->ControlId() == id; });
    return found ? const_cast<TWinControl*>(asWindow(found)) : nullptr;
}
