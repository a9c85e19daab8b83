#include "BvThread.h"
#include "BvThreadDialog.h"
#include "Dispatcher.h"

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
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

TEST(BvThread, PrioritiesAreTheWorkersOwnAndGoBackAsTheyWereRead) {
    TBvThread thread;
    std::atomic<bool> release{false};
    thread.OnExecute = [&](TObject*, void*) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    bool finished = false;
    thread.OnFinish = [&](TObject*) { finished = true; };
    const THandle id = thread.Execute(nullptr);
    ASSERT_NE(0u, id);
    EXPECT_EQ(thread.GetPriority(0), 0);
    EXPECT_EQ(thread.GetPriority(id), THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(thread.SetPriority(id, uint8_t(THREAD_PRIORITY_BELOW_NORMAL)));
    const uint8_t below = thread.GetPriority(id);
    EXPECT_EQ(below, 255);                                                      // -1 as one byte
    EXPECT_EQ(GetThreadPriority(GetCurrentThreadId()), THREAD_PRIORITY_NORMAL); // only the worker
    EXPECT_TRUE(thread.SetPriority(id, below)); // the byte read goes back as it was
    EXPECT_EQ(thread.GetPriority(id), below);
    // Only lowered: raising a thread again needs a right the tests may not have.
    EXPECT_TRUE(thread.SetPriority(id, uint8_t(THREAD_PRIORITY_IDLE)));
    EXPECT_EQ(int8_t(thread.GetPriority(id)), THREAD_PRIORITY_IDLE);
    EXPECT_FALSE(thread.SetPriority(id, 7)); // no such level
    release = true;
    PumpUntil([&] { return finished; });
}

TEST(BvThread, ARunningWorkerIsSuspendedWhereItStandsAndResumed) {
    TBvThread thread;
    std::atomic<int> steps{0};
    thread.OnExecute = [&](TObject* sender, void*) {
        while (!static_cast<TBvThread*>(sender)->Terminated()) {
            ++steps;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    bool finished = false;
    thread.OnFinish = [&](TObject*) { finished = true; };
    const THandle id = thread.Execute(nullptr);
    while (steps < 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(thread.Suspend(id));
    EXPECT_TRUE(thread.Suspend(id)); // suspensions count
    const int stopped = steps;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(steps.load(), stopped);
    EXPECT_TRUE(thread.Resume(id));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(steps.load(), stopped); // one suspension is left
    EXPECT_TRUE(thread.Resume(id));
    while (steps < stopped + 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(thread.Resume(id)); // not suspended
    EXPECT_FALSE(thread.Suspend(id + 100000));
    ASSERT_TRUE(thread.Suspend(id));
    thread.Terminate(); // lets a suspended worker go so that it can end
    PumpUntil([&] { return finished; });
    EXPECT_FALSE(thread.Suspend(id)); // ended
}

// A worker that keeps asking whether it is terminated, posting to the event
// loop and waiting for calls on it holds the component's and the event loop's
// locks much of the time; parking it must never leave one of them held, nor
// the lock of the condition it waits on.
TEST(BvThread, ParkingABusyWorkerNeverLeavesALockHeld) {
    TBvThread thread;
    std::atomic<int> steps{0};
    std::atomic<int> posted{0};
    thread.OnExecute = [&](TObject* sender, void*) {
        while (!static_cast<TBvThread*>(sender)->Terminated()) {
            if (++steps % 2)
                Queue([&] { ++posted; });
            else
                Synchronize([&] { ++posted; });
        }
    };
    bool finished = false;
    thread.OnFinish = [&](TObject*) { finished = true; };
    const THandle id = thread.Execute(nullptr);
    for (int round = 0; round < 200; ++round) {
        const int before = steps;
        PumpUntil([&] { return steps > before; });
        ASSERT_TRUE(thread.Suspend(id)) << "round " << round;
        // Each of these takes a lock the worker also takes.
        EXPECT_FALSE(thread.Terminated());
        CheckSynchronize(0);
        ASSERT_TRUE(thread.Resume(id)) << "round " << round;
    }
    thread.Terminate();
    PumpUntil([&] { return finished; });
    EXPECT_GT(posted.load(), 0);
}

TEST(BvThread, WorkersThatDoNotFreeThemselvesAreKeptWithTheirEnd) {
    TCapturedReports reports;
    TBvThread thread;
    thread.SetExclusive(false);
    thread.SetFreeOnTerminate(false);
    thread.OnExecute = [](TObject*, void* p) {
        if (p)
            throw Exception("broken");
    };
    int finished = 0;
    thread.OnFinish = [&](TObject*) { ++finished; };
    const THandle good = thread.Execute(nullptr);
    int fail = 1;
    const THandle bad = thread.Execute(&fail);
    thread.SetFreeOnTerminate(true);
    const THandle freed = thread.Execute(nullptr);
    PumpUntil([&] { return finished == 3; });
    EXPECT_TRUE(thread.WorkerKept(good));
    EXPECT_TRUE(thread.WorkerKept(bad));
    EXPECT_FALSE(thread.WorkerKept(freed));
    EXPECT_EQ(thread.WorkerFatalException(good), nullptr);
    ASSERT_NE(thread.WorkerFatalException(bad), nullptr);
    EXPECT_THROW(std::rethrow_exception(thread.WorkerFatalException(bad)), Exception);
    EXPECT_TRUE(thread.FreeWorker(good));
    EXPECT_FALSE(thread.WorkerKept(good));
    EXPECT_FALSE(thread.FreeWorker(good));
    EXPECT_EQ(reports.reports.size(), 1u);
}

namespace {

// A dialog whose window records what the component does with it.
class TRecordingDialog : public TBvCustomThreadDialog {
public:
    struct TWindow : TBvThreadDialogForm {
        TRecordingDialog* dialog;
        explicit TWindow(TRecordingDialog* d) : dialog(d) {}
        void ShowForm(bool modal) override {
            dialog->log.push_back(modal ? "show modal" : "show");
            if (modal) // a modal window runs its own loop until it is closed
                while (!closed)
                    CheckSynchronize(10);
        }
        void CloseForm() override {
            closed = true;
            dialog->log.push_back("close");
        }
        bool closed = false;
    };
    ~TRecordingDialog() override { DetachThreads(); }
    TBvThreadDialogForm* CreateThreadDialogForm(TBvThread&) override {
        if (!DialogOptions().ShowDialog())
            return nullptr;
        windows.push_back(std::make_unique<TWindow>(this));
        SetThreadDialogForm(windows.back().get());
        return windows.back().get();
    }
    void TransferDialogOptions() override { log.push_back("apply"); }
    std::vector<std::string> log;
    std::vector<std::unique_ptr<TWindow>> windows;

protected:
    std::unique_ptr<TBvThreadBaseDialogOptions> CreateDialogOptions() override {
        return std::make_unique<TBvThreadBaseDialogOptions>(*this);
    }
};

} // namespace

TEST(BvThread, TheThreadDialogShowsItsWindowWhileWorkersRun) {
    TRecordingDialog dialog;
    TBvThreadBaseDialogOptions& options = dialog.DialogOptions();
    EXPECT_TRUE(options.EnableCancelButton());
    EXPECT_FALSE(options.ShowDialog());
    EXPECT_TRUE(options.ShowModal());
    EXPECT_TRUE(options.ShowCancelButton());
    EXPECT_TRUE(options.ShowElapsedTime());
    EXPECT_EQ(options.CancelButtonCaption(), "Cancel");
    options.SetCaption("Copying");
    options.SetShowDialog(true); // no window shown: nothing to apply
    EXPECT_EQ(dialog.log, std::vector<std::string>{"apply"});
    dialog.log.clear();

    TBvThread thread;
    thread.SetThreadDialog(&dialog);
    std::vector<std::string> events;
    thread.OnExecute = [](TObject*, void*) {};
    thread.OnFinishAll = [&](TObject*) {
        events = dialog.log;
        events.push_back("finish all");
    };
    // Modal: Execute returns once the last finish handler has closed the window.
    ASSERT_NE(0u, thread.Execute(nullptr));
    EXPECT_EQ(events, (std::vector<std::string>{"show modal", "close", "finish all"}));
    EXPECT_EQ(dialog.ThreadDialogForm(), nullptr);

    // Modeless, started suspended: the window comes with Resume.
    dialog.log.clear();
    options.SetShowModal(false);
    thread.SetRunOnCreate(false);
    const THandle id = thread.Execute(nullptr);
    EXPECT_TRUE(dialog.log.empty());
    EXPECT_TRUE(thread.Resume(id));
    EXPECT_EQ(dialog.log, std::vector<std::string>{"show"});
    PumpUntil([&] { return !thread.OneThreadIsRunning(); });
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show", "close"}));

    options.SetShowDialog(false);
    dialog.log.clear();
    thread.SetRunOnCreate(true);
    thread.Execute(nullptr);
    PumpUntil([&] { return !thread.OneThreadIsRunning(); });
    EXPECT_TRUE(dialog.log.empty());
}

TEST(BvThread, ADestroyedDialogIsForgotten) {
    TBvThread thread;
    {
        TRecordingDialog dialog;
        thread.SetThreadDialog(&dialog);
        EXPECT_EQ(thread.ThreadDialog(), &dialog);
    }
    EXPECT_EQ(thread.ThreadDialog(), nullptr);
    bool finished = false;
    thread.OnExecute = [](TObject*, void*) {};
    thread.OnFinishAll = [&](TObject*) { finished = true; };
    thread.Execute(nullptr);
    PumpUntil([&] { return finished; });
}
