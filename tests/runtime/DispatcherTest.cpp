#include "Dispatcher.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Pumps on the test's (GUI) thread until done() holds.
template <typename Pred> void PumpUntil(Pred done) {
    while (!done()) {
        CheckSynchronize(20);
        FireDueTimers();
    }
}

// Captures what reaches the application exception handler during one test.
class CapturedErrors {
public:
    CapturedErrors() {
        SetApplicationExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const Exception& x) {
                messages.push_back(x.Message());
            }
        });
    }
    ~CapturedErrors() { SetApplicationExceptionHandler(nullptr); }
    std::vector<std::string> messages;
};

} // namespace

TEST(Dispatcher, TheStartingThreadIsTheGuiThread) {
    EXPECT_TRUE(IsMainThread());
    bool workerIsMain = true;
    std::thread([&] { workerIsMain = IsMainThread(); }).join();
    EXPECT_FALSE(workerIsMain);
}

TEST(Dispatcher, SynchronizeRunsInlineOnTheGuiThread) {
    bool ran = false;
    Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_THROW(Synchronize([] { throw EInOutError("disk"); }), EInOutError);
}

TEST(Dispatcher, SynchronizeFromAWorkerRunsOnTheGuiThreadAndWaits) {
    std::atomic<bool> workerDone{false};
    bool ranOnGui = false;
    std::string caught;
    std::thread worker([&] {
        Synchronize([&] { ranOnGui = IsMainThread(); });
        try {
            Synchronize([] { throw EConvertError("bad number"); });
        } catch (const EConvertError& e) {
            caught = e.Message();
        }
        workerDone = true;
    });
    PumpUntil([&] { return workerDone.load(); });
    worker.join();
    EXPECT_TRUE(ranOnGui);
    EXPECT_EQ("bad number", caught);
}

TEST(Dispatcher, QueuedCallsRunInOrderAtTheNextPump) {
    std::vector<int> order;
    Queue([&] { order.push_back(1); });
    Queue([&] {
        order.push_back(2);
        // Posted while pumping: waits for the next pump.
        Queue([&] { order.push_back(4); });
    });
    Queue([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), order);
    EXPECT_FALSE(CheckSynchronize());
}

TEST(Dispatcher, ANestedPumpKeepsThePostingOrder) {
    std::vector<int> order;
    Queue([&] {
        order.push_back(1);
        ProcessMessages();
    });
    Queue([&] { order.push_back(2); });
    Queue([&] { order.push_back(3); });
    CheckSynchronize();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
}

TEST(Dispatcher, WorkersCannotPump) {
    bool queuedRan = false;
    Queue([&] { queuedRan = true; });
    bool checked = true;
    std::thread([&] {
        checked = CheckSynchronize(0);
        ProcessMessages();
    }).join();
    EXPECT_FALSE(checked);
    EXPECT_FALSE(queuedRan);
    ProcessMessages();
    EXPECT_TRUE(queuedRan);
}

TEST(Dispatcher, CheckSynchronizeWaitsForPostedWork) {
    std::latch waiting(1);
    bool ran = false;
    std::thread worker([&] {
        waiting.wait();
        Queue([&] { ran = true; });
    });
    waiting.count_down();
    // The wait ends when the call arrives; the long timeout is only a safety net.
    while (!ran)
        CheckSynchronize(10000);
    worker.join();
    EXPECT_TRUE(ran);
}

TEST(Dispatcher, WakeHookHearsEveryPost) {
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });
    std::thread([] { Queue([] {}); }).join();
    Queue([] {});
    SetWakeMainThread(nullptr);
    EXPECT_EQ(2, wakes.load());
    CheckSynchronize();
}

TEST(Dispatcher, ProcessMessagesCallsTheEventLoopHook) {
    int pumps = 0;
    SetProcessMessagesHook([&] { ++pumps; });
    ProcessMessages();
    std::thread([] { ProcessMessages(); }).join();
    SetProcessMessagesHook(nullptr);
    EXPECT_EQ(1, pumps);
}

TEST(Dispatcher, AQueuedExceptionGoesToTheApplicationHandlerAndPumpingGoesOn) {
    CapturedErrors errors;
    bool later = false;
    Queue([] { throw EBvException("queued failure"); });
    Queue([&] { later = true; });
    CheckSynchronize();
    EXPECT_EQ((std::vector<std::string>{"queued failure"}), errors.messages);
    EXPECT_TRUE(later);
}

TEST(Dispatcher, SetMainThreadMovesTheGuiThread) {
    bool workerIsMain = false;
    std::thread([&] {
        SetMainThread();
        workerIsMain = IsMainThread();
    }).join();
    EXPECT_FALSE(IsMainThread());
    // Away from the GUI thread, Synchronize would wait; pumping does nothing.
    EXPECT_FALSE(CheckSynchronize());
    SetMainThread();
    EXPECT_TRUE(workerIsMain);
    EXPECT_TRUE(IsMainThread());
}

TEST(MainThreadTimer, FiresOnlyWhenEnabledWithIntervalAndHandler) {
    TMainThreadTimer timer;
    EXPECT_EQ(-1, NextTimerDueMs()); // no handler yet
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&] { ++ticks; });
    int due = NextTimerDueMs();
    EXPECT_GE(due, 0);
    EXPECT_LE(due, 5);
    PumpUntil([&] { return ticks >= 2; });
    timer.SetEnabled(false);
    EXPECT_EQ(-1, NextTimerDueMs());
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_EQ(-1, NextTimerDueMs());
}

TEST(MainThreadTimer, AHandlerThatPumpsDoesNotReenterItself) {
    TMainThreadTimer timer;
    timer.SetInterval(1);
    int depth = 0, maxDepth = 0, ticks = 0;
    timer.SetOnTimer([&] {
        ++depth;
        ++ticks;
        maxDepth = std::max(maxDepth, depth);
        // Pump while the interval certainly elapses again.
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ProcessMessages();
        }
        --depth;
    });
    PumpUntil([&] { return ticks >= 3; });
    EXPECT_EQ(1, maxDepth);
}

TEST(MainThreadTimer, AHandlerMayDestroyItsTimerAndErrorsGoToTheHandler) {
    CapturedErrors errors;
    auto timer = std::make_unique<TMainThreadTimer>();
    timer->SetInterval(1);
    timer->SetOnTimer([&] {
        timer.reset();
        throw EBvException("tick failed");
    });
    PumpUntil([&] { return timer == nullptr; });
    EXPECT_EQ((std::vector<std::string>{"tick failed"}), errors.messages);
    EXPECT_EQ(-1, NextTimerDueMs());
}

TEST(MainThreadTimer, ChangingATimerWakesTheEventLoop) {
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });
    {
        TMainThreadTimer timer;
        timer.SetOnTimer([] {});
        timer.SetInterval(50);
    }
    SetWakeMainThread(nullptr);
    EXPECT_EQ(3, wakes.load()); // armed, re-armed, destroyed
}
