#include "RowHeights.h"

#include <algorithm>
#include <bit>

namespace {

// A chunk that grows past this splits in two; one that empties goes. Only a split or a
// removal rebuilds the totals, and that is once per hundreds of rows changed.
constexpr size_t kChunkMax = 1024;

} // namespace

int TRowHeights::ChunkOf(int index, int& offset) const {
    const int n = static_cast<int>(chunks_.size());
    int pos = 0;
    int rest = index;
    for (int step = n > 0 ? static_cast<int>(std::bit_floor(static_cast<unsigned>(n))) : 0;
         step > 0; step >>= 1) {
        if (pos + step <= n && rowTree_[static_cast<size_t>(pos + step)] <= rest) {
            pos += step;
            rest -= rowTree_[static_cast<size_t>(pos)];
        }
    }
    offset = rest;
    return pos;
}

void TRowHeights::Rebuild() {
    const size_t n = chunks_.size();
    rowTree_.assign(n + 1, 0);
    heightTree_.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        rowTree_[i] += static_cast<int>(chunks_[i - 1].Heights.size());
        heightTree_[i] += chunks_[i - 1].Sum;
        size_t up = i + (i & (~i + 1));
        if (up <= n) {
            rowTree_[up] += rowTree_[i];
            heightTree_[up] += heightTree_[i];
        }
    }
}

void TRowHeights::AddToChunk(int chunk, int rows, int64_t height) {
    const size_t n = chunks_.size();
    for (size_t i = static_cast<size_t>(chunk) + 1; i <= n; i += i & (~i + 1)) {
        rowTree_[i] += rows;
        heightTree_[i] += height;
    }
}

int64_t TRowHeights::HeightBefore(int chunk) const {
    int64_t sum = 0;
    for (size_t i = static_cast<size_t>(chunk); i > 0; i -= i & (~i + 1))
        sum += heightTree_[i];
    return sum;
}

int TRowHeights::Get(int index) const {
    if (index < 0 || index >= count_)
        return 0;
    int offset = 0;
    int c = ChunkOf(index, offset);
    return chunks_[static_cast<size_t>(c)].Heights[static_cast<size_t>(offset)];
}

void TRowHeights::Set(int index, int height) {
    if (index < 0 || index >= count_)
        return;
    int offset = 0;
    int c = ChunkOf(index, offset);
    TChunk& chunk = chunks_[static_cast<size_t>(c)];
    int& h = chunk.Heights[static_cast<size_t>(offset)];
    const int64_t delta = static_cast<int64_t>(height) - h;
    h = height;
    chunk.Sum += delta;
    total_ += delta;
    AddToChunk(c, 0, delta);
}

void TRowHeights::Insert(int index, int height) {
    index = std::clamp(index, 0, count_);
    if (chunks_.empty()) {
        chunks_.push_back(TChunk{{height}, height});
        ++count_;
        total_ += height;
        Rebuild();
        return;
    }
    int offset = 0;
    int c = index == count_ ? static_cast<int>(chunks_.size()) - 1 : ChunkOf(index, offset);
    TChunk& chunk = chunks_[static_cast<size_t>(c)];
    if (index == count_)
        offset = static_cast<int>(chunk.Heights.size());
    chunk.Heights.insert(chunk.Heights.begin() + offset, height);
    chunk.Sum += height;
    ++count_;
    total_ += height;
    if (chunk.Heights.size() <= kChunkMax) {
        AddToChunk(c, 1, height);
        return;
    }
    TChunk second;
    const auto half = chunk.Heights.begin() + static_cast<std::ptrdiff_t>(kChunkMax / 2);
    second.Heights.assign(half, chunk.Heights.end());
    chunk.Heights.erase(half, chunk.Heights.end());
    for (int h : second.Heights)
        second.Sum += h;
    chunk.Sum -= second.Sum;
    chunks_.insert(chunks_.begin() + c + 1, std::move(second));
    Rebuild();
}

void TRowHeights::Erase(int index) {
    if (index < 0 || index >= count_)
        return;
    int offset = 0;
    int c = ChunkOf(index, offset);
    TChunk& chunk = chunks_[static_cast<size_t>(c)];
    const int h = chunk.Heights[static_cast<size_t>(offset)];
    chunk.Heights.erase(chunk.Heights.begin() + offset);
    chunk.Sum -= h;
    --count_;
    total_ -= h;
    if (!chunk.Heights.empty()) {
        AddToChunk(c, -1, -h);
        return;
    }
    chunks_.erase(chunks_.begin() + c);
    Rebuild();
}

void TRowHeights::Assign(const std::vector<int>& heights) {
    chunks_.clear();
    count_ = static_cast<int>(heights.size());
    total_ = 0;
    for (size_t i = 0; i < heights.size(); i += kChunkMax / 2) {
        TChunk chunk;
        chunk.Heights.assign(heights.begin() + static_cast<std::ptrdiff_t>(i),
                             heights.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(heights.size(), i + kChunkMax / 2)));
        for (int h : chunk.Heights)
            chunk.Sum += h;
        total_ += chunk.Sum;
        chunks_.push_back(std::move(chunk));
    }
    Rebuild();
}

int64_t TRowHeights::Top(int index) const {
    if (index <= 0)
        return 0;
    if (index >= count_)
        return total_;
    int offset = 0;
    int c = ChunkOf(index, offset);
    int64_t sum = HeightBefore(c);
    const std::vector<int>& h = chunks_[static_cast<size_t>(c)].Heights;
    for (int i = 0; i < offset; ++i)
        sum += h[static_cast<size_t>(i)];
    return sum;
}

int TRowHeights::RowAt(int64_t offset) const {
    if (offset < 0)
        return 0;
    if (offset >= total_)
        return count_;
    const int n = static_cast<int>(chunks_.size());
    int pos = 0;
    int rows = 0;
    int64_t rest = offset;
    for (int step = static_cast<int>(std::bit_floor(static_cast<unsigned>(n))); step > 0;
         step >>= 1) {
        if (pos + step <= n && heightTree_[static_cast<size_t>(pos + step)] <= rest) {
            pos += step;
            rest -= heightTree_[static_cast<size_t>(pos)];
            rows += rowTree_[static_cast<size_t>(pos)];
        }
    }
    const std::vector<int>& h = chunks_[static_cast<size_t>(pos)].Heights;
    for (int i = 0; i < static_cast<int>(h.size()); ++i) {
        if (rest < h[static_cast<size_t>(i)])
            return rows + i;
        rest -= h[static_cast<size_t>(i)];
    }
    return count_;
}

int TRowHeights::LastTop(int64_t extent) const {
    const int64_t from = total_ - extent;
    if (from <= 0)
        return 0;
    int row = RowAt(from);
    if (row < count_ && Top(row) < from)
        ++row;
    return std::min(row, std::max(0, count_ - 1));
}
