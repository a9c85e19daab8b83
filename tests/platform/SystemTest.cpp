#include "System.h"

#include <cmath>
#include <ctime>

#include <gtest/gtest.h>

TEST(Random, RepeatsTheFrameworksSequenceForASeed) {
    RandSeed = 0;
    // Seeds 1, 0x08088406, ... and results (seed * range) >> 32.
    EXPECT_EQ(0, Random(100));
    EXPECT_EQ(1, RandSeed.load());
    uint32_t seed = 1u * 0x08088405u + 1u;
    EXPECT_EQ(static_cast<int32_t>((uint64_t{seed} * 1000) >> 32), Random(1000));
    RandSeed = 12345;
    int32_t a[5], b[5];
    for (int& v : a)
        v = Random(10);
    RandSeed = 12345;
    for (int& v : b)
        v = Random(10);
    EXPECT_TRUE(std::equal(a, a + 5, b));
    for (int i = 0; i < 1000; ++i) {
        int32_t r = Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        double d = Random();
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
    }
    EXPECT_EQ(0, Random(0));
    EXPECT_EQ(0, Random(-5));
}

TEST(Clock, DatesCountDaysFrom18991230) {
    struct Case {
        int y, m, d;
        double days;
    } cases[] = {{1899, 12, 30, 0},    {1900, 1, 1, 2},    {1970, 1, 1, 25569},
                 {2000, 2, 29, 36585}, {1899, 12, 29, -1}, {2026, 12, 10, 46366}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.days, EncodeDate(c.y, c.m, c.d)) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d;
        DecodeDate(c.days, y, m, d);
        EXPECT_EQ(c.y, y);
        EXPECT_EQ(c.m, m);
        EXPECT_EQ(c.d, d);
    }
    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    int h, n, s, ms;
    DecodeTime(EncodeDate(2020, 5, 1) + EncodeTime(13, 45, 30, 250), h, n, s, ms);
    EXPECT_EQ(13, h);
    EXPECT_EQ(45, n);
    EXPECT_EQ(30, s);
    EXPECT_EQ(250, ms);
    EXPECT_EQ(86400, DateTimeToUnix(25570.0));
    EXPECT_DOUBLE_EQ(25569.5, UnixToDateTime(43200));
}

TEST(Clock, NowIsLocalTimeAndTicksNeverGoBack) {
    time_t t = time(nullptr);
    struct tm lt;
    localtime_r(&t, &lt);
    double expected = EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
                      EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec, 0);
    EXPECT_NEAR(expected, Now(), 5.0 / 86400);
    EXPECT_EQ(std::floor(Now()), Date());
    uint64_t a = GetTickCount64();
    uint64_t b = GetTickCount64();
    EXPECT_LE(a, b);
}
