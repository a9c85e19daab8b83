// A component that runs an event handler on a new thread and reports the end of
// each worker back on the GUI thread (through the main-thread dispatcher).
#pragma once

#include "SysUtils.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using TNotifyEvent = std::function<void(TObject* sender)>;
using TBvNotifyParamsEvent = std::function<void(TObject* sender, void* params)>;

// The "Application Error" report of an exception that ended a worker's handler.
// Runs on the GUI thread while the worker waits. The default writes the caption
// and text to stderr; the GUI layer sets a stop box, tests capture it. An empty
// function restores the default.
using TApplicationErrorReport =
    std::function<void(const std::string& caption, const std::string& text)>;
void SetApplicationErrorReport(TApplicationErrorReport report);
// Builds the report's text for an exception: "Exception <class> in module
// <program> at <address>." and the message on the next line.
std::string ApplicationErrorText(std::exception_ptr error);
void ShowApplicationError(std::exception_ptr error);

class TBvBaseThread;

class TBvThread : public TObject {
public:
    TBvThread();
    // Asks every worker to terminate, then pumps the dispatcher until every
    // finish handler has run. Call it on the GUI thread.
    ~TBvThread() override;
    TBvThread(const TBvThread&) = delete;
    TBvThread& operator=(const TBvThread&) = delete;

    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool value) { exclusive_ = value; }
    bool RunOnCreate() const { return runOnCreate_; }
    void SetRunOnCreate(bool value) { runOnCreate_ = value; }
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }

    TNotifyEvent OnBegin;
    TBvNotifyParamsEvent OnExecute;
    TNotifyEvent OnFinish;
    TNotifyEvent OnFinishAll;

    // Starts a worker running OnExecute(this, params). Returns the worker's ID
    // (never 0), or 0 when nothing started: exclusive and busy, or no OnExecute.
    // A worker counts as running until its finish handler has run on the GUI
    // thread. An exception from OnBegin releases the worker, leaves the count
    // as it was and reaches the caller.
    uint32_t Execute(void* params);
    // Execute, then wait until no worker runs. On the GUI thread the wait pumps
    // the dispatcher (the finish handlers need it); elsewhere it only waits.
    void ExecuteAndWait(void* params);
    bool OneThreadIsRunning() const { return running_.load() > 0; }
    int RunningCount() const { return running_.load(); }

    // Asks every listed worker to terminate and resumes the suspended ones.
    // Handlers poll Terminated() to stop early.
    void Terminate();
    // True when every listed worker was asked to terminate (also with none).
    bool Terminated() const;
    // Starts a worker left suspended (RunOnCreate false); false when this
    // component has no suspended worker of that ID.
    bool Resume(uint32_t threadId);

private:
    friend class TBvBaseThread;
    void WorkerEnded(TBvBaseThread* worker);
    void JoinEnded();

    bool exclusive_ = true;
    bool runOnCreate_ = true;
    bool freeOnTerminate_ = true;
    std::atomic<int> running_{0};
    mutable std::mutex listLock_;
    std::vector<std::unique_ptr<TBvBaseThread>> workers_;
    // Workers whose finish handler ran; joined later, never from their own thread.
    std::vector<std::unique_ptr<TBvBaseThread>> ended_;
};
