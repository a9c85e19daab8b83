#include "BvThread.h"
#include "Dispatcher.h"

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

template <typename Pred> void PumpUntil(Pred done) {
    while (!done())
        CheckSynchronize(20);
}

// Records events from any thread, in the order they happen.
class TEventLog {
public:
    void Add(std::string event) {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(std::move(event));
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }

private:
    std::mutex lock_;
    std::vector<std::string> events_;
};

// Captures the "Application Error" reports and the application exception
// handler's errors during one test.
class TCapturedReports {
public:
    TCapturedReports() {
        SetApplicationErrorReport([this](const std::string& caption, const std::string& text) {
            reports.push_back(caption + "|" + text);
        });
        SetApplicationExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const Exception& x) {
                errors.push_back(x.Message());
            }
        });
    }
    ~TCapturedReports() {
        SetApplicationErrorReport(nullptr);
        SetApplicationExceptionHandler(nullptr);
    }
    std::vector<std::string> reports;
    std::vector<std::string> errors;
};

} // namespace

TEST(BvThread, RunsBeginExecuteFinishAndFinishAllInOrderWithTheirSenders) {
    TBvThread thread;
    TEventLog log;
    bool finishedAll = false;
    int param = 7;
    thread.OnBegin = [&](TObject* sender) {
        log.Add(std::string("begin ") + (sender ? "sender" : "nil") +
                (IsMainThread() ? " gui" : " worker"));
    };
    thread.OnExecute = [&](TObject* sender, void* params) {
        log.Add(std::string("execute ") + (sender == &thread ? "component" : "other") +
                (IsMainThread() ? " gui " : " worker ") + std::to_string(*(int*)params));
    };
    thread.OnFinish = [&](TObject* sender) {
        log.Add(std::string("finish ") + (sender ? "sender" : "nil") +
                (IsMainThread() ? " gui" : " worker"));
    };
    thread.OnFinishAll = [&](TObject* sender) {
        log.Add(std::string("finishall ") + (sender ? "sender" : "nil") +
                (IsMainThread() ? " gui" : " worker"));
        finishedAll = true;
    };
    EXPECT_NE(0u, thread.Execute(&param));
    PumpUntil([&] { return finishedAll; });
    EXPECT_EQ((std::vector<std::string>{"begin nil gui", "execute component worker 7",
                                        "finish nil gui", "finishall nil gui"}),
              log.Events());
    EXPECT_FALSE(thread.OneThreadIsRunning());
}

TEST(BvThread, ExclusiveRefusesWhileAFinishIsPending) {
    TBvThread thread;
    std::latch returned(1);
    int begins = 0, finishes = 0;
    thread.OnBegin = [&](TObject*) { ++begins; };
    thread.OnExecute = [&](TObject*, void*) { returned.count_down(); };
    thread.OnFinish = [&](TObject*) { ++finishes; };
    ASSERT_NE(0u, thread.Execute(nullptr));
    returned.wait();
    // The body has returned but the GUI thread has not pumped its finish yet.
    EXPECT_TRUE(thread.OneThreadIsRunning());
    EXPECT_EQ(0u, thread.Execute(nullptr));
    EXPECT_EQ(1, begins);
    PumpUntil([&] { return finishes == 1; });
    EXPECT_FALSE(thread.OneThreadIsRunning());
    EXPECT_NE(0u, thread.Execute(nullptr));
    PumpUntil([&] { return finishes == 2; });
}

TEST(BvThread, WithoutAHandlerNothingStarts) {
    TBvThread thread;
    int begins = 0;
    thread.OnBegin = [&](TObject*) { ++begins; };
    EXPECT_EQ(0u, thread.Execute(nullptr));
    EXPECT_EQ(0, begins);
    EXPECT_FALSE(thread.OneThreadIsRunning());
}

TEST(BvThread, TwoWorkersFinishTwiceAndFinishAllOnce) {
    TBvThread thread;
    thread.SetExclusive(false);
    std::latch bothRunning(2);
    TEventLog log;
    int finishes = 0;
    thread.OnExecute = [&](TObject*, void*) { bothRunning.arrive_and_wait(); };
    thread.OnFinish = [&](TObject*) { log.Add("finish " + std::to_string(++finishes)); };
    thread.OnFinishAll = [&](TObject*) { log.Add("finishall"); };
    uint32_t a = thread.Execute(nullptr);
    uint32_t b = thread.Execute(nullptr);
    EXPECT_NE(0u, a);
    EXPECT_NE(0u, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(2, thread.RunningCount());
    PumpUntil([&] { return !thread.OneThreadIsRunning(); });
    EXPECT_EQ((std::vector<std::string>{"finish 1", "finish 2", "finishall"}), log.Events());
}

struct TThrowCase {
    const char* name;
    std::function<void()> raise;
    std::string expected; // class and message as the report shows them
};

TEST(BvThread, EveryExceptionOfAHandlerIsReportedAndTheFinishHandlersStillRun) {
    const std::vector<TThrowCase> cases = {
        {"program class", [] { throw EInOutError("I/O error 5"); },
         "EInOutError in module runtime_thread_tests at 00000000.\nI/O error 5"},
        {"standard class", [] { throw std::runtime_error("broken"); },
         "std::runtime_error in module runtime_thread_tests at 00000000.\nbroken"},
        {"not an exception", [] { throw 42; },
         "Exception in module runtime_thread_tests at 00000000.\nUnknown exception"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCapturedReports captured;
        TBvThread thread;
        TEventLog log;
        bool finishedAll = false;
        thread.OnExecute = [&](TObject*, void*) { c.raise(); };
        SetApplicationErrorReport([&](const std::string& caption, const std::string& text) {
            log.Add(caption + "|" + text);
        });
        thread.OnFinish = [&](TObject*) { log.Add("finish"); };
        thread.OnFinishAll = [&](TObject*) {
            log.Add("finishall");
            finishedAll = true;
        };
        ASSERT_NE(0u, thread.Execute(nullptr));
        PumpUntil([&] { return finishedAll; });
        EXPECT_EQ((std::vector<std::string>{"Application Error|Exception " + c.expected, "finish",
                                            "finishall"}),
                  log.Events());
    }
}

TEST(BvThread, AFailingBeginReleasesTheWorkerAndLeavesTheCountAlone) {
    TBvThread thread;
    bool executed = false;
    bool fail = true;
    int finishes = 0;
    thread.OnBegin = [&](TObject*) {
        if (fail)
            throw EBvException("no start");
    };
    thread.OnExecute = [&](TObject*, void*) { executed = true; };
    thread.OnFinish = [&](TObject*) { ++finishes; };
    EXPECT_THROW(thread.Execute(nullptr), EBvException);
    EXPECT_FALSE(thread.OneThreadIsRunning());
    EXPECT_TRUE(thread.Terminated()); // nothing listed
    fail = false;
    EXPECT_NE(0u, thread.Execute(nullptr));
    PumpUntil([&] { return finishes == 1; });
    EXPECT_TRUE(executed);
}

TEST(BvThread, AFailingFinishStillRunsFinishAllAndIsReported) {
    TCapturedReports captured;
    TBvThread thread;
    bool finishedAll = false;
    thread.OnExecute = [](TObject*, void*) {};
    thread.OnFinish = [](TObject*) { throw EBvException("finish failed"); };
    thread.OnFinishAll = [&](TObject*) { finishedAll = true; };
    thread.Execute(nullptr);
    PumpUntil([&] { return finishedAll; });
    EXPECT_EQ((std::vector<std::string>{"finish failed"}), captured.errors);
}

TEST(BvThread, DestroyingTheComponentWaitsForTheFinishHandler) {
    auto thread = std::make_unique<TBvThread>();
    std::latch running(1);
    bool finished = false;
    TBvThread* raw = thread.get();
    thread->OnExecute = [&](TObject* sender, void*) {
        running.count_down();
        // Works until asked to stop, as the update's workers do.
        while (!static_cast<TBvThread*>(sender)->Terminated())
            std::this_thread::yield();
    };
    thread->OnFinish = [&](TObject*) { finished = true; };
    thread->Execute(nullptr);
    running.wait();
    EXPECT_FALSE(raw->Terminated());
    thread.reset();
    EXPECT_TRUE(finished);
}

TEST(BvThread, ASuspendedWorkerWaitsForResume) {
    TBvThread thread;
    thread.SetRunOnCreate(false);
    std::atomic<bool> ran{false};
    bool finished = false;
    thread.OnExecute = [&](TObject*, void*) { ran = true; };
    thread.OnFinish = [&](TObject*) { finished = true; };
    uint32_t id = thread.Execute(nullptr);
    ASSERT_NE(0u, id);
    EXPECT_TRUE(thread.OneThreadIsRunning());
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(thread.Resume(id + 1000));
    EXPECT_TRUE(thread.Resume(id));
    PumpUntil([&] { return finished; });
    EXPECT_TRUE(ran.load());
    EXPECT_FALSE(thread.Resume(id));
}

TEST(BvThread, ExecuteAndWaitOnTheGuiThreadPumpsUntilTheFinish) {
    TBvThread thread;
    bool finished = false;
    thread.OnExecute = [](TObject*, void*) {};
    thread.OnFinishAll = [&](TObject*) { finished = true; };
    thread.ExecuteAndWait(nullptr);
    EXPECT_TRUE(finished);
}

TEST(BvThread, ExecuteAndWaitOnAnotherThreadWaitsForTheGuiThread) {
    TBvThread thread;
    std::atomic<bool> waited{false};
    bool finished = false;
    thread.SetExclusive(false);
    thread.OnExecute = [](TObject*, void*) {};
    thread.OnFinish = [&](TObject*) { finished = true; };
    std::thread caller([&] {
        thread.ExecuteAndWait(nullptr);
        waited = true;
    });
    PumpUntil([&] { return waited.load(); });
    caller.join();
    EXPECT_TRUE(finished);
}
