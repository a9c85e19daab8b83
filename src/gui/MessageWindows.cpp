// Message windows without a visible control, and posting and sending to any window. Both
// rest on the runtime's message windows: every windowed control owns one (see
// WindowRegistry), so a window made by AllocateHWnd is a windowed control that is never shown.
#include "Forms.h"

#include "WindowRegistry.h"

namespace {

class TBvUtilWindow : public TWinControl {
public:
    explicit TBvUtilWindow(TWndMethod method) : TWinControl(nullptr), method_(std::move(method)) {
        SetVisible(false);
    }
    void WndProc(TMessage& m) override {
        if (method_)
            method_(m);
    }

private:
    TWndMethod method_;
};

} // namespace

HWND AllocateHWnd(TWndMethod method) {
    return new TBvUtilWindow(std::move(method));
}
void DeallocateHWnd(HWND window) {
    if (IsWindow(window))
        delete window;
}

bool PostMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam) {
    return PostToMessageWindow(MessageWindowOf(window), msg, static_cast<uint64_t>(wParam),
                               static_cast<int64_t>(lParam));
}

intptr_t SendMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam) {
    return static_cast<intptr_t>(SendToMessageWindow(
        MessageWindowOf(window), msg, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)));
}
