// A component that runs an event handler on a new thread and reports the end of
// each worker back on the GUI thread (through the main-thread dispatcher).
#pragma once

#include "SysUtils.h"
#include "ThreadControl.h"

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
class TBvCustomThreadDialog;
class TBvThreadDialogForm;

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
    // Copied to each new worker. A worker that frees itself is released once its
    // finish handler has run; one that does not is kept, ended, with the
    // exception its handler raised, until FreeWorker or the component's end.
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
    // The window shown while workers run: made when a worker starts (or is
    // resumed) and none is shown yet, closed when the last one has ended.
    TBvCustomThreadDialog* ThreadDialog() const { return threadDialog_; }
    void SetThreadDialog(TBvCustomThreadDialog* dialog);

    TNotifyEvent OnBegin;
    TBvNotifyParamsEvent OnExecute;
    TNotifyEvent OnFinish;
    TNotifyEvent OnFinishAll;

    // Starts a worker running OnExecute(this, params). Returns the worker's
    // thread ID, the system's id of its thread, which is also its handle for
    // the calls below (never 0), or 0 when nothing started: exclusive and busy,
    // or no OnExecute.
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
    // The scheduling priority of a thread, on the Windows scale taken as one
    // byte (below normal, -1, is 255); 0 for a null handle.
    uint8_t GetPriority(THandle thread) const;
    // Sets it from such a byte, so that a value read with GetPriority goes back
    // unchanged. False when the system refuses (a raise needs the right to it).
    bool SetPriority(THandle thread, uint8_t priority);
    // Suspends one of this component's workers: one that has not started stays
    // unstarted, a running one is stopped where it stands. Suspensions count;
    // false for a thread that is not a running or waiting worker of this
    // component. A suspended worker holds whatever it holds: the caller must
    // not wait for it meanwhile.
    bool Suspend(THandle thread);
    // Takes back one suspension (a worker made with RunOnCreate false has one)
    // and, when none is left, lets the worker run; then shows the dialog's
    // window. False when the thread is no suspended worker of this component.
    bool Resume(THandle thread);
    // A worker kept after its end (FreeOnTerminate false): whether it is still
    // kept, the exception its handler raised (null when none), and its release.
    bool WorkerKept(THandle thread) const;
    std::exception_ptr WorkerFatalException(THandle thread) const;
    bool FreeWorker(THandle thread);

private:
    friend class TBvBaseThread;
    friend class TBvCustomThreadDialog;
    void WorkerEnded(TBvBaseThread* worker);
    void JoinEnded();
    void ShowThreadDialogForm();
    TBvBaseThread* FindWorker(THandle thread) const;

    bool exclusive_ = true;
    bool runOnCreate_ = true;
    bool freeOnTerminate_ = true;
    std::atomic<int> running_{0};
    // Taken by workers too (Terminated), so parking one never holds it.
    mutable TParkSafeMutex listLock_;
    std::vector<std::unique_ptr<TBvBaseThread>> workers_;
    // Workers whose finish handler ran; joined later, never from their own thread.
    std::vector<std::unique_ptr<TBvBaseThread>> ended_;
    // Ended workers that do not free themselves.
    std::vector<std::unique_ptr<TBvBaseThread>> kept_;
    TBvCustomThreadDialog* threadDialog_ = nullptr;
    TBvThreadDialogForm* dialogForm_ = nullptr;
};
