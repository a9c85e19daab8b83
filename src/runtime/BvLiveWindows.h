// The set of the program's live windows and the message window each owns. The GUI thread
// enters and removes windows while workers look them up to post to them, so every access
// takes the registry's lock; a window removed between a worker's look-up and its post loses
// the post (its message window is gone), it never receives it late.
#pragma once

#include "BvKitUtils.h"

#include <functional>
#include <mutex>
#include <unordered_map>

class TBvLiveWindows {
public:
    // Enters the object without a message window (a live control that is not a window).
    void Add(const void* object);
    // Gives the object (entered now when it was not) its message window.
    void SetMessageWindow(const void* object, TMessageWindow window);
    // Takes the object's message window away and returns it (0 when it had none); the object
    // stays entered.
    TMessageWindow TakeMessageWindow(const void* object);
    void Remove(const void* object);
    bool Contains(const void* object) const;
    // 0 when the object is not entered or owns no message window.
    TMessageWindow MessageWindowOf(const void* object) const;
    // The first object owning a message window for which match holds; match runs under the
    // lock and must not call back into the registry.
    const void* FindWindow(const std::function<bool(const void*)>& match) const;
    // From any thread: queues the message for the object's message window; false when the
    // object owns none (any more).
    bool Post(const void* object, uint32_t msg, uint64_t wParam, int64_t lParam) const;

private:
    mutable std::mutex lock_;
    std::unordered_map<const void*, TMessageWindow> entries_;
};
