#include "RtSysInfo.h"
#include "RtSysUtils.h"

#include <gtest/gtest.h>

TEST(WindowsVersion, FollowsThePlatformFacts) {
    struct Case {
        TOSVersionFacts facts;
        TWindowsVersion expected;
    } cases[] = {
        {{1, 4, 0, " B ", 0}, wvWin95OSR2}, {{1, 4, 0, "", 0}, wvWin95},
        {{1, 4, 10, "", 0x4005A}, wvWinME}, {{1, 4, 10, "A", 0}, wvWin98SE},
        {{1, 4, 10, "", 0}, wvWin98},       {{1, 4, 90, "", 0}, wvWinME},
        {{2, 3, 51, "", 0}, wvWinNT351},    {{2, 4, 0, "", 0}, wvWinNT4},
        {{2, 5, 0, "", 0}, wvWin2000},      {{2, 5, 2, "", 0}, wvWin2003},
        {{2, 6, 0, "", 0}, wvUnknown},      {{3, 5, 1, "", 0}, wvUnknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, GetWindowsVersionOf(c.facts));
    EXPECT_EQ(wvWinXP, GetWindowsVersion());
    EXPECT_TRUE(IsWinNT);
    EXPECT_FALSE(IsWin2000);
    EXPECT_GE(ProcessorCount, 1);
    EXPECT_GE(PageSize, 4096);
}

TEST(GUIDToString, WritesUpperCaseHexadecimal) {
    TGUID g{0x0123ABCD, 0x4EF5, 0x0006, {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67}};
    EXPECT_EQ("{0123ABCD-4EF5-0006-89AB-CDEF01234567}", GUIDToString(g));
    uintptr_t module = 0;
    UnloadModule(module);
    EXPECT_EQ(0u, module);
}
