// The row heights of a variable-height list against a plain vector of the same heights,
// through enough inserts and removals that chunks split and go.
#include "RowHeights.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

int64_t PlainTop(const std::vector<int>& h, int index) {
    return std::accumulate(h.begin(), h.begin() + index, int64_t{0});
}

int PlainRowAt(const std::vector<int>& h, int64_t offset) {
    if (offset < 0)
        return 0;
    for (int i = 0; i < static_cast<int>(h.size()); ++i) {
        if (offset < h[static_cast<size_t>(i)])
            return i;
        offset -= h[static_cast<size_t>(i)];
    }
    return static_cast<int>(h.size());
}

void ExpectSame(const TRowHeights& rows, const std::vector<int>& plain, std::mt19937& rng) {
    const int n = static_cast<int>(plain.size());
    ASSERT_EQ(rows.Count(), n);
    ASSERT_EQ(rows.Total(), PlainTop(plain, n));
    std::uniform_int_distribution<int> pick(0, n);
    for (int k = 0; k < 20; ++k) {
        int i = pick(rng);
        ASSERT_EQ(rows.Top(i), PlainTop(plain, i)) << "row " << i;
        if (i < n) {
            ASSERT_EQ(rows.Get(i), plain[static_cast<size_t>(i)]);
        }
        int64_t offset = rows.Total() > 0 ? static_cast<int64_t>(rng() % (rows.Total() + 10)) : 0;
        ASSERT_EQ(rows.RowAt(offset), PlainRowAt(plain, offset)) << "offset " << offset;
    }
}

} // namespace

TEST(RowHeights, FollowsAPlainListThroughInsertsRemovalsAndChanges) {
    std::mt19937 rng(7);
    TRowHeights rows;
    std::vector<int> plain;
    // Grows past several chunks, shrinks to nothing, grows again: splits, emptied chunks
    // and appends after a removal all happen.
    const struct {
        int Steps;
        int InsertPercent;
    } phases[] = {{5000, 90}, {3000, 50}, {12000, 0}, {2000, 80}};
    for (const auto& phase : phases) {
        for (int step = 0; step < phase.Steps; ++step) {
            const int n = static_cast<int>(plain.size());
            const int op = static_cast<int>(rng() % 100);
            const int height = static_cast<int>(rng() % 40);
            if (n == 0 || op < phase.InsertPercent) {
                // Half at the end, as Add does, half anywhere.
                int at = (rng() % 2) ? n : static_cast<int>(rng() % (n + 1));
                rows.Insert(at, height);
                plain.insert(plain.begin() + at, height);
            } else if (op < phase.InsertPercent + (100 - phase.InsertPercent) / 2) {
                int at = static_cast<int>(rng() % n);
                rows.Erase(at);
                plain.erase(plain.begin() + at);
            } else {
                int at = static_cast<int>(rng() % n);
                rows.Set(at, height);
                plain[static_cast<size_t>(at)] = height;
            }
            if (step % 97 == 0)
                ExpectSame(rows, plain, rng);
        }
        ExpectSame(rows, plain, rng);
    }
    rows.Assign(plain);
    ExpectSame(rows, plain, rng);
}

TEST(RowHeights, LastTopIsTheFirstRowThatShowsTheRestWithinTheExtent) {
    TRowHeights rows;
    rows.Assign({10, 20, 30, 40});
    struct Case {
        int64_t Extent;
        int LastTop;
    };
    for (const Case& c : {Case{1000, 0}, Case{100, 0}, Case{99, 1}, Case{90, 1}, Case{70, 2},
                          Case{69, 3}, Case{40, 3}, Case{10, 3}}) {
        SCOPED_TRACE(c.Extent);
        EXPECT_EQ(rows.LastTop(c.Extent), c.LastTop);
    }
    // Outside the rows: above the first is the first, past the last is the count.
    EXPECT_EQ(rows.RowAt(-5), 0);
    EXPECT_EQ(rows.RowAt(100), 4);
    TRowHeights empty;
    EXPECT_EQ(empty.LastTop(50), 0);
    EXPECT_EQ(empty.RowAt(0), 0);
    EXPECT_EQ(empty.Top(0), 0);
}
