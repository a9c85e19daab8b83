// Message windows without a visible control, and posting and sending to any window.
#include "Forms.h"

#include "Dispatcher.h"

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
    if (!IsWindow(window))
        return false;
    Queue([window, msg, wParam, lParam] {
        if (IsWindow(window))
            window->Perform(msg, wParam, lParam);
    });
    return true;
}

intptr_t SendMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam) {
    return IsWindow(window) ? window->Perform(msg, wParam, lParam) : 0;
}
