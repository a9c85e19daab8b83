// Workers translate paths, search folders and draw random numbers while the
// GUI thread re-reads the drive table.
#include "Drives.h"
#include "FileTestSupport.h"
#include "RtFileUtils.h"
#include "System.h"

#include <atomic>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using PlatformThreadsTest = CardFolderTest;

TEST_F(PlatformThreadsTest, DriveTableServesWorkersDuringARefresh) {
    Put(OnCard("a.mp3"), "x");
    constexpr int workers = 4;
    std::latch start(workers + 1);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < 300; ++i) {
                if (ToLinuxPath("E:\\a.mp3") != card_ + "/a.mp3" ||
                    ToWindowsPath(card_ + "/a.mp3") != "E:\\a.mp3" || !FileExists("E:\\a.mp3"))
                    ++wrong;
                SetLastError(i);
                if (GetLastError() != i)
                    ++wrong;
            }
        });
    }
    start.arrive_and_wait();
    for (int i = 0; i < 50; ++i)
        RefreshDriveTable();
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(PlatformThreads, RandomNeverLosesAStepBetweenThreads) {
    RandSeed = 7;
    constexpr int workers = 4, draws = 1000;
    std::latch start(workers);
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t)
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < draws; ++i)
                Random(100);
        });
    for (auto& t : threads)
        t.join();
    int32_t together = RandSeed.load();
    RandSeed = 7;
    for (int i = 0; i < workers * draws; ++i)
        Random(100);
    EXPECT_EQ(RandSeed.load(), together);
}
