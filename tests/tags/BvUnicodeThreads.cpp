// The Unicode data loads on first use; threads that all need it at once must
// load it once and see the whole of it.
#include "BvUnicode.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

TEST(BvUnicodeThreads, FirstUseFromManyThreadsAtOnce) {
    constexpr int Threads = 8;
    std::latch start(Threads);
    std::vector<std::u16string> results(Threads);
    std::vector<std::thread> workers;
    for (int i = 0; i < Threads; ++i)
        workers.emplace_back([&, i] {
            start.arrive_and_wait();
            results[size_t(i)] = WideNormalize(u"e\u0301\u1100\u1161", TNormalizationForm::nfC);
            EXPECT_EQ(WideCaseFoldCompare(u"Кино", u"КИНО"), 0);
        });
    for (auto& w : workers)
        w.join();
    for (const auto& r : results)
        EXPECT_EQ(r, u"\u00E9\uAC00");
}
