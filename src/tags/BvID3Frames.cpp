#include "BvID3Frames.h"

#include <algorithm>

TBvID3Frame* TBvID3Frames::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[size_t(index)].get();
}

TBvID3Frame* TBvID3Frames::FindFirst(TBvID3FrameID id) const {
    for (const auto& f : items_)
        if (f->FrameID() == id)
            return f.get();
    return nullptr;
}

int TBvID3Frames::IndexOf(const TBvID3Frame* frame) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == frame)
            return int(i);
    return -1;
}

void TBvID3Frames::Move(TBvID3Frame* frame, int index) {
    const int from = IndexOf(frame);
    if (from < 0 || items_.empty())
        return;
    index = std::clamp(index, 0, Count() - 1);
    auto owned = std::move(items_[size_t(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + index, std::move(owned));
}

TBvID3Frame* TBvID3Frames::Add(std::unique_ptr<TBvID3Frame> frame) {
    items_.push_back(std::move(frame));
    return items_.back().get();
}

void TBvID3Frames::Remove(TBvID3Frame* frame) {
    const int i = IndexOf(frame);
    if (i >= 0)
        items_.erase(items_.begin() + i);
}

void TBvID3Frames::RemoveUnsupported(TBvID3Version v) {
    for (int i = Count() - 1; i >= 0; --i)
        items_[size_t(i)]->ChangeToVersion(v);
    std::erase_if(items_, [v](const auto& f) { return !f->SupportsVersion(v); });
}
