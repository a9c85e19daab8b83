#include "BvID3BinaryFrame.h"

#include <algorithm>

void TBvID3BinaryFrame::ReadData(TBvID3Stream& s, int64_t size) {
    size = std::clamp<int64_t>(size, 0, std::max<int64_t>(0, s.BytesLeft()));
    data_.assign(size_t(size), '\0');
    data_.resize(size_t(s.Read(data_.data(), size)));
}

void TBvID3BinaryFrame::Clear() {
    data_.clear();
    TBvID3Frame::Clear();
}

void TBvID3BinaryFrame::Assign(const TBvID3Frame* source) {
    if (auto* b = dynamic_cast<const TBvID3BinaryFrame*>(source))
        data_ = b->data_;
    TBvID3Frame::Assign(source);
}

bool TBvID3BinaryFrame::SetData(const void* data, int64_t size) {
    if (size < 0 || (!data && size > 0))
        return false;
    data_.assign(data ? static_cast<const char*>(data) : "", data ? size_t(size) : 0);
    UpdateFrameSize();
    return true;
}

void TBvID3BinaryFrame::LoadFromBytes(std::string_view bytes) {
    SetData(bytes.data(), int64_t(bytes.size()));
}
