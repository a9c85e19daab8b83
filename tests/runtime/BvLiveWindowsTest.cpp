// Workers post to the program's windows while the GUI thread makes and frees them: every look-up
// is safe from any thread, and a message reaches only the window it was posted to, never a
// window made later in the same place.
#include "BvLiveWindows.h"
#include "Dispatcher.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(LiveWindows, EntriesAndTheirMessageWindows) {
    TBvLiveWindows registry;
    int control = 0, window = 0;
    registry.Add(&control);
    TMessageWindow handle = AllocateMessageWindow("", nullptr);
    registry.SetMessageWindow(&window, handle);
    struct Case {
        const void* Object;
        bool Contains;
        TMessageWindow Window;
    } cases[] = {{&control, true, 0}, {&window, true, handle}, {nullptr, false, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(registry.Contains(c.Object), c.Contains);
        EXPECT_EQ(registry.MessageWindowOf(c.Object), c.Window);
    }
    EXPECT_EQ(registry.FindWindow([](const void*) { return true; }), &window);
    EXPECT_TRUE(registry.Post(&window, WM_USER, 0, 0));
    EXPECT_FALSE(registry.Post(&control, WM_USER, 0, 0));

    EXPECT_EQ(registry.TakeMessageWindow(&window), handle);
    EXPECT_TRUE(registry.Contains(&window)) << "a window losing its handle is still alive";
    EXPECT_EQ(registry.TakeMessageWindow(&window), 0u);
    EXPECT_FALSE(registry.Post(&window, WM_USER, 0, 0));
    EXPECT_EQ(registry.FindWindow([](const void*) { return true; }), nullptr);
    ReleaseMessageWindow(handle);
    registry.Remove(&window);
    registry.Remove(&control);
    EXPECT_FALSE(registry.Contains(&control));
    CheckSynchronize();
}

TEST(LiveWindows, WorkersPostWhileTheGuiThreadMakesAndFreesWindows) {
    ASSERT_TRUE(IsMainThread());
    constexpr int kSlots = 6;
    constexpr int kWorkers = 3;
    constexpr int kPostsPerWorker = 3000;
    TBvLiveWindows registry;
    // Each slot is one place where windows are made one after another; a window's messages
    // must carry its own generation. Only the GUI thread touches these arrays.
    std::array<int, kSlots> slots{};
    std::array<int, kSlots> generation{};
    int delivered = 0, misdelivered = 0;
    auto makeWindow = [&](int i) {
        int gen = ++generation[static_cast<size_t>(i)];
        TMessageWindow w = AllocateMessageWindow("TWinControl", [&, i, gen](TMessage& m) {
            ++delivered;
            if (static_cast<int>(m.WParam) != i || gen != generation[static_cast<size_t>(i)])
                ++misdelivered;
        });
        registry.SetMessageWindow(&slots[static_cast<size_t>(i)], w);
    };
    auto freeWindow = [&](int i) {
        const void* key = &slots[static_cast<size_t>(i)];
        if (TMessageWindow w = registry.TakeMessageWindow(key))
            ReleaseMessageWindow(w);
        registry.Remove(key);
    };
    for (int i = 0; i < kSlots; ++i)
        makeWindow(i);

    std::atomic<int> accepted{0}, finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kWorkers; ++t)
        workers.emplace_back([&, t] {
            for (int n = 0; n < kPostsPerWorker; ++n) {
                int i = (n + t) % kSlots;
                if (registry.Post(&slots[static_cast<size_t>(i)], WM_USER, static_cast<uint64_t>(i),
                                  0))
                    ++accepted;
            }
            ++finished;
        });
    // The GUI thread frees and remakes windows and pumps until the workers are done.
    for (int round = 0; finished < kWorkers; ++round) {
        int i = round % kSlots;
        freeWindow(i);
        makeWindow(i);
        CheckSynchronize();
    }
    for (auto& w : workers)
        w.join();
    while (CheckSynchronize()) {
    }
    EXPECT_EQ(misdelivered, 0);
    EXPECT_GT(accepted.load(), 0);
    EXPECT_GT(delivered, 0);
    EXPECT_LE(delivered, accepted.load()) << "a post is delivered at most once";
    for (int i = 0; i < kSlots; ++i)
        freeWindow(i);
}

} // namespace
