// The heights of a list's rows, for a list whose rows differ in height. The rows are kept
// in chunks of a few hundred, with running totals over the chunks, so that a row's top, the
// row at an offset, and inserting, removing or changing one row cost about the same however
// many rows there are.
#pragma once

#include <cstdint>
#include <vector>

class TRowHeights {
public:
    int Count() const { return count_; }
    int64_t Total() const { return total_; }
    int Get(int index) const;
    void Set(int index, int height);
    // index may be Count() (append).
    void Insert(int index, int height);
    void Erase(int index);
    // Replaces every row by the given heights.
    void Assign(const std::vector<int>& heights);
    void Clear() { Assign({}); }
    // The sum of the heights above the row; index may be Count() (the total).
    int64_t Top(int index) const;
    // The row whose span holds the offset: 0 above the first, Count() past the last.
    int RowAt(int64_t offset) const;
    // The first row that, as the top row, shows every row below it within extent.
    int LastTop(int64_t extent) const;

private:
    struct TChunk {
        std::vector<int> Heights;
        int64_t Sum = 0;
    };
    // Finds the chunk that holds the row and the row's place in it.
    int ChunkOf(int index, int& offset) const;
    // Running totals of the rows and heights of the chunks (two Fenwick trees).
    void Rebuild();
    void AddToChunk(int chunk, int rows, int64_t height);
    int64_t HeightBefore(int chunk) const;

    std::vector<TChunk> chunks_;
    std::vector<int> rowTree_;
    std::vector<int64_t> heightTree_;
    int count_ = 0;
    int64_t total_ = 0;
};
