#include "RtBits.h"
#include "RtCriticalSection.h"
#include "RtDateEx.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(RtBits, SwapsAndBitTests) {
    EXPECT_EQ(ByteSwap32(0x12345678u), 0x78563412u);
    EXPECT_EQ(ByteSwap32(int32_t(0x12345678)), int32_t(0x78563412));
    EXPECT_EQ(ByteSwap16(0x1234), 0x3412);
    uint8_t buffer[32] = {};
    SetBufferBit(buffer, 9);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_TRUE(TestBufferBit(buffer, 9));
    EXPECT_FALSE(TestBufferBit(buffer, 8));
    SetBufferBit(buffer, 255);
    EXPECT_EQ(buffer[31], 0x80);
    EXPECT_EQ(SetByteBit(0, 10), 4); // bit numbers wrap at 8
    EXPECT_TRUE(TestByteBit(0x80, 7));
    EXPECT_EQ(SmallerOf(-3, 2), -3);
}

TEST(RtDateEx, EncodesInsideAndOutsideTheFrameworkRange) {
    EXPECT_DOUBLE_EQ(EncodeDateEx(2004, 5, 6), EncodeDate(2004, 5, 6));
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(2004, 5, 6), 38113);
    EXPECT_DOUBLE_EQ(EncodeDateEx(0, 1, 1), -693593);
    EXPECT_DOUBLE_EQ(EncodeDateEx(1, 1, 1), -693593);
    EXPECT_THROW(EncodeDateEx(2004, 13, 1), EConvertError);
    int32_t y;
    uint16_t m, d;
    DecodeDateEx(EncodeDate(2004, 5, 6), y, m, d);
    EXPECT_EQ(y, 2004);
    EXPECT_EQ(m, 5);
    EXPECT_EQ(d, 6);
    EXPECT_EQ(YearOfDateEx(EncodeDateEx(12000, 3, 1)), 12000);
    EXPECT_EQ(YearOfDateEx(EncodeDateEx(-50, 1, 1)), -50);
}

TEST(RtCriticalSection, IsReentrantAndExcludesOtherThreads) {
    TRtCriticalSection cs;
    std::atomic<bool> otherHasIt{false};
    cs.Lock();
    cs.Lock(); // the holder enters again without waiting for itself
    std::thread other([&] {
        cs.Lock();
        otherHasIt = true;
        cs.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(otherHasIt);
    cs.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(otherHasIt); // still held once
    cs.Unlock();
    other.join();
    EXPECT_TRUE(otherHasIt);
}
