#include "BvLiveWindows.h"

void TBvLiveWindows::Add(const void* object) {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.emplace(object, 0);
}

void TBvLiveWindows::SetMessageWindow(const void* object, TMessageWindow window) {
    std::lock_guard<std::mutex> guard(lock_);
    entries_[object] = window;
}

TMessageWindow TBvLiveWindows::TakeMessageWindow(const void* object) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = entries_.find(object);
    if (it == entries_.end())
        return 0;
    TMessageWindow window = it->second;
    it->second = 0;
    return window;
}

void TBvLiveWindows::Remove(const void* object) {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.erase(object);
}

bool TBvLiveWindows::Contains(const void* object) const {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.count(object) > 0;
}

TMessageWindow TBvLiveWindows::MessageWindowOf(const void* object) const {
    if (!object)
        return 0;
    std::lock_guard<std::mutex> guard(lock_);
    auto it = entries_.find(object);
    return it == entries_.end() ? 0 : it->second;
}

const void* TBvLiveWindows::FindWindow(const std::function<bool(const void*)>& match) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& [object, window] : entries_)
        if (window != 0 && match(object))
            return object;
    return nullptr;
}

bool TBvLiveWindows::Post(const void* object, uint32_t msg, uint64_t wParam, int64_t lParam) const {
    // The message window is posted to outside the registry's lock: it has a lock of its own,
    // and refuses the post once the window has been released.
    return PostToMessageWindow(MessageWindowOf(object), msg, wParam, lParam);
}
