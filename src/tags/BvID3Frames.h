// The ordered frames of one tag; the list owns them.
#pragma once

#include "BvID3Frame.h"

#include <memory>
#include <vector>

class TBvID3Frames {
public:
    int Count() const { return int(items_.size()); }
    TBvID3Frame* Items(int index) const;
    TBvID3Frame* FindFirst(TBvID3FrameID id) const;
    int IndexOf(const TBvID3Frame* frame) const;
    void Move(TBvID3Frame* frame, int index);
    TBvID3Frame* Add(std::unique_ptr<TBvID3Frame> frame);
    void Remove(TBvID3Frame* frame);
    void Clear() { items_.clear(); }
    // Frames a version cannot hold are dropped after a conversion.
    void RemoveUnsupported(TBvID3Version v);

private:
    std::vector<std::unique_ptr<TBvID3Frame>> items_;
};
