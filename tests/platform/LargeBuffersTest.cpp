#include "LargeBuffers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// Sizes below, at and across large-page boundaries: every byte of the buffer can be
// written and read back, a buffer of large pages starts on one, and a move hands the
// bytes over whole.
TEST(LargeBuffer, HoldsEveryByteOfItsSizeAndMovesWhole) {
    constexpr size_t LargePage = size_t{2} << 20;
    for (const size_t size : {size_t{1}, size_t{4096}, LargePage - 1, LargePage, LargePage + 1,
                              5 * LargePage + 12345}) {
        TLargeBuffer buffer(size);
        ASSERT_EQ(size, buffer.Size());
        std::memset(buffer.Data(), 0x5A, size);
        buffer.Data()[size - 1] = 'z';
        if (size >= LargePage) {
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(buffer.Data()) % LargePage) << size;
        }
        TLargeBuffer moved(std::move(buffer));
        EXPECT_EQ(nullptr, buffer.Data());
        EXPECT_EQ(0u, buffer.Size());
        ASSERT_EQ(size, moved.Size());
        EXPECT_EQ('z', moved.View().back());
        EXPECT_EQ(size - 1, moved.View().find_first_not_of('\x5A'));
        TLargeBuffer assigned(16);
        assigned = std::move(moved);
        EXPECT_EQ(size, assigned.Size());
        EXPECT_EQ('z', assigned.View().back());
    }
    EXPECT_EQ(0u, TLargeBuffer().Size());
}

// A container growing through the large-page allocator keeps its elements whole across every
// reallocation, from arrays smaller than a large page to ones of several; each array of a
// large page or more starts on a large page.
TEST(LargePageAllocator, KeepsEveryElementAsItsArrayGrowsAndPlacesLargeOnesOnLargePages) {
    std::vector<std::string, TLargePageAllocator<std::string>> texts;
    size_t largeArrays = 0;
    const void* seen = nullptr;
    for (int i = 0; i < 200000; ++i) {
        texts.push_back("text number " + std::to_string(i) + " long enough for the heap");
        if (texts.data() != seen) {
            seen = texts.data();
            if (texts.capacity() * sizeof(std::string) >= LargePageBytes) {
                ++largeArrays;
                EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(texts.data()) % LargePageBytes);
            }
        }
    }
    EXPECT_GE(largeArrays, 2u);
    for (int i = 0; i < 200000; i += 997)
        ASSERT_EQ("text number " + std::to_string(i) + " long enough for the heap",
                  texts[static_cast<size_t>(i)]);
    std::vector<std::string, TLargePageAllocator<std::string>> moved = std::move(texts);
    EXPECT_EQ(200000u, moved.size());
}
