#include "BvKitUtils.h"

#include "Dispatcher.h"
#include "SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct TWindowState {
    std::string className;
    TWndMethod method;
    std::mutex lock;
    std::deque<TMessage> pending;
    bool alive = true;
};

struct TWindowRegistry {
    std::mutex lock;
    std::map<TMessageWindow, std::shared_ptr<TWindowState>> windows;
    TMessageWindow next = 1;
};

// Never destroyed: watcher threads may still post while the program exits.
TWindowRegistry& Registry() {
    static TWindowRegistry* registry = new TWindowRegistry;
    return *registry;
}

std::shared_ptr<TWindowState> Find(TMessageWindow window) {
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.windows.find(window);
    return it == r.windows.end() ? nullptr : it->second;
}

// On the GUI thread: hands a message to the window's method.
int64_t Dispatch(TMessageWindow window, TWindowState& state, TMessage& message) {
    TWndMethod method;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.alive)
            return 0;
        method = state.method; // a copy: the method may release its own window
    }
    if (!method)
        return DefWindowProc(window, message.Msg, message.WParam, message.LParam);
    message.Result = 0;
    method(message);
    return message.Result;
}

void DeliverOne(TMessageWindow window, const std::weak_ptr<TWindowState>& weak) {
    auto state = weak.lock();
    if (!state)
        return;
    TMessage message;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (!state->alive || state->pending.empty())
            return; // released, or the message was removed
        message = state->pending.front();
        state->pending.pop_front();
    }
    Dispatch(window, *state, message);
}

} // namespace

TMessageWindow AllocateMessageWindow(const std::string& className, TWndMethod method) {
    auto state = std::make_shared<TWindowState>();
    state->className = className.empty() ? "TPUtilWindowEx" : className;
    state->method = std::move(method);
    auto& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    TMessageWindow handle = r.next++;
    r.windows.emplace(handle, std::move(state));
    return handle;
}

void ReleaseMessageWindow(TMessageWindow window) {
    std::shared_ptr<TWindowState> state;
    {
        auto& r = Registry();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.windows.find(window);
        if (it == r.windows.end())
            return;
        state = std::move(it->second);
        r.windows.erase(it);
    }
    std::lock_guard<std::mutex> guard(state->lock);
    state->alive = false;
    state->pending.clear();
}

std::string MessageWindowClassName(TMessageWindow window) {
    auto state = Find(window);
    return state ? state->className : std::string();
}

bool PostToMessageWindow(TMessageWindow window, uint32_t msg, uint64_t wParam, int64_t lParam) {
    auto state = Find(window);
    if (!state)
        return false;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (!state->alive)
            return false;
        state->pending.push_back(TMessage{msg, wParam, lParam, 0});
    }
    std::weak_ptr<TWindowState> weak = state;
    Queue([window, weak] { DeliverOne(window, weak); });
    return true;
}

int64_t SendToMessageWindow(TMessageWindow window, uint32_t msg, uint64_t wParam, int64_t lParam) {
    auto state = Find(window);
    if (!state)
        return 0;
    int64_t result = 0;
    Synchronize([&] {
        TMessage message{msg, wParam, lParam, 0};
        result = Dispatch(window, *state, message);
    });
    return result;
}

bool RemovePendingMessage(TMessageWindow window, uint32_t msg) {
    auto state = Find(window);
    if (!state)
        return false;
    std::lock_guard<std::mutex> guard(state->lock);
    for (auto it = state->pending.begin(); it != state->pending.end(); ++it) {
        if (it->Msg == msg) {
            state->pending.erase(it);
            return true;
        }
    }
    return false;
}

int64_t DefWindowProc(TMessageWindow, uint32_t, uint64_t, int64_t) {
    return 0;
}

bool CheckWin32Result(bool value) {
    if (!value)
        RaiseLastOSError(ErrnoToWinError(errno));
    return value;
}

bool IsEqualGUID(const TGUID& a, const TGUID& b) {
    // Field by field: the structure may carry padding that a byte compare would read.
    return a.D1 == b.D1 && a.D2 == b.D2 && a.D3 == b.D3 &&
           std::equal(std::begin(a.D4), std::end(a.D4), std::begin(b.D4));
}
