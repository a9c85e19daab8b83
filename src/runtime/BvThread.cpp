#include "BvThread.h"

#include "BvThreadDialog.h"
#include "Dispatcher.h"
#include "ScopeExit.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <system_error>
#include <thread>
#include <typeinfo>
#include <unistd.h>

namespace {

TParkSafeMutex reportLock;
TApplicationErrorReport errorReport;

std::string ModuleName() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return "brisvane";
    std::string full(path, static_cast<size_t>(n));
    auto slash = full.rfind('/');
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::string Demangled(const std::type_info& type) {
    int status = 0;
    char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string result = (status == 0 && name) ? name : type.name();
    std::free(name);
    return result;
}

} // namespace

void SetApplicationErrorReport(TApplicationErrorReport report) {
    std::lock_guard<TParkSafeMutex> guard(reportLock);
    errorReport = std::move(report);
}

std::string ApplicationErrorText(std::exception_ptr error) {
    std::string className = "Exception";
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        className = e.ClassName();
        message = e.Message();
    } catch (const std::exception& e) {
        className = Demangled(typeid(e));
        message = e.what();
    } catch (...) {
        message = "Unknown exception";
    }
    return Format("Exception %s in module %s at %p.",
                  {className, ModuleName(), static_cast<const void*>(nullptr)}) +
           "\n" + message;
}

void ShowApplicationError(std::exception_ptr error) {
    std::string text = ApplicationErrorText(error);
    TApplicationErrorReport report;
    {
        std::lock_guard<TParkSafeMutex> guard(reportLock);
        report = errorReport;
    }
    if (report)
        report("Application Error", text);
    else
        std::fprintf(stderr, "Application Error: %s\n", text.c_str());
}

// One worker: a thread created behind a closed gate, so it can be counted,
// listed and announced (OnBegin) before it runs. The gate is its first
// suspension; later ones park the thread where it stands.
class TBvBaseThread {
public:
    TBvBaseThread(TBvThread* sender, TBvNotifyParamsEvent handler, void* params,
                  bool freeOnTerminate)
        : sender_(sender), handler_(std::move(handler)), params_(params),
          freeOnTerminate_(freeOnTerminate) {}

    // Starts the thread behind the gate and learns its system id.
    void Start() {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error& e) {
            throw EOSError(e.what(), e.code().value());
        }
        std::unique_lock<TParkSafeMutex> guard(gateLock_);
        gate_.wait(guard, [this] { return id_ != 0; });
    }

    // Takes back one suspension; the last one opens the gate or lets a parked
    // thread go. False when the worker is not suspended.
    bool Resume() {
        std::lock_guard<TParkSafeMutex> guard(gateLock_);
        if (suspendCount_ == 0)
            return false;
        if (--suspendCount_ > 0)
            return true;
        if (!open_) {
            open_ = true;
            gate_.notify_all();
        } else {
            parking_.Unpark();
        }
        return true;
    }

    // Lets the worker run whatever its suspensions (the component's Terminate).
    void ResumeFully() {
        std::lock_guard<TParkSafeMutex> guard(gateLock_);
        suspendCount_ = 0;
        if (!open_) {
            open_ = true;
            gate_.notify_all();
        } else {
            parking_.Unpark();
        }
    }

    bool Suspend() {
        {
            std::lock_guard<TParkSafeMutex> guard(gateLock_);
            if (ended_)
                return false;
            if (suspendCount_++ > 0 || !open_)
                return true;
        }
        // Parking waits for the thread to stop, so it runs outside the lock that
        // Resume takes.
        if (parking_.Park())
            return true;
        std::lock_guard<TParkSafeMutex> guard(gateLock_);
        --suspendCount_;
        return false;
    }

    // Ends a thread that never ran its handler.
    void Cancel() {
        {
            std::lock_guard<TParkSafeMutex> guard(gateLock_);
            cancelled_ = true;
            open_ = true;
        }
        gate_.notify_all();
        Join();
    }

    void Join() {
        if (thread_.joinable())
            thread_.join();
    }

    bool Suspended() {
        std::lock_guard<TParkSafeMutex> guard(gateLock_);
        return suspendCount_ > 0;
    }

    THandle Id() const { return id_; }
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    std::exception_ptr FatalException() const { return fatalException_; }
    std::atomic<bool> terminateRequested{false};
    // Set once the finish notification has returned; joining is then safe.
    std::atomic<bool> done{false};

private:
    void Run() {
        {
            std::unique_lock<TParkSafeMutex> guard(gateLock_);
            id_ = GetCurrentThreadId();
            gate_.notify_all();
            gate_.wait(guard, [this] { return open_; });
            if (cancelled_)
                return;
        }
        // Attached and detached outside the gate's lock: a thread parked while
        // holding it would keep Resume from ever letting it go.
        parking_.Attach();
        try {
            handler_(sender_, params_);
        } catch (...) {
            // Every kind of exception is shown; the worker then ends normally.
            fatalException_ = std::current_exception();
            Synchronize([e = fatalException_] { ShowApplicationError(e); });
        }
        parking_.Detach();
        {
            std::lock_guard<TParkSafeMutex> guard(gateLock_);
            ended_ = true;
            suspendCount_ = 0;
        }
        Synchronize([this] { sender_->WorkerEnded(this); });
        done = true;
    }

    TBvThread* const sender_;
    TBvNotifyParamsEvent handler_;
    void* const params_;
    const bool freeOnTerminate_;
    std::thread thread_;
    TParkSafeMutex gateLock_;
    TParkSafeCondition gate_;
    THandle id_ = 0;
    bool open_ = false;
    bool cancelled_ = false;
    bool ended_ = false;
    int suspendCount_ = 1;
    TThreadParking parking_;
    std::exception_ptr fatalException_;
};

TBvThread::TBvThread() = default;

TBvThread::~TBvThread() {
    Terminate();
    while (OneThreadIsRunning())
        CheckSynchronize(10);
    SetThreadDialog(nullptr);
    JoinEnded();
    std::vector<std::unique_ptr<TBvBaseThread>> rest;
    {
        std::lock_guard<TParkSafeMutex> guard(listLock_);
        rest.swap(ended_);
        for (auto& worker : kept_)
            rest.push_back(std::move(worker));
        kept_.clear();
    }
    for (auto& worker : rest)
        worker->Join();
}

void TBvThread::SetThreadDialog(TBvCustomThreadDialog* dialog) {
    if (dialog == threadDialog_)
        return;
    if (threadDialog_) {
        std::erase(threadDialog_->threads_, this);
        if (dialogForm_ && threadDialog_->ThreadDialogForm() == dialogForm_)
            threadDialog_->CloseThreadForm();
    }
    dialogForm_ = nullptr;
    threadDialog_ = dialog;
    if (dialog)
        dialog->threads_.push_back(this);
}

// With a modal window this returns once the window has been closed, that is
// after the last worker's finish handler.
void TBvThread::ShowThreadDialogForm() {
    if (!threadDialog_ || dialogForm_)
        return;
    dialogForm_ = threadDialog_->CreateThreadDialogForm(*this);
    if (dialogForm_)
        dialogForm_->ShowForm(threadDialog_->DialogOptions().ShowModal());
}

uint32_t TBvThread::Execute(void* params) {
    if (exclusive_ && OneThreadIsRunning())
        return 0;
    if (!OnExecute)
        return 0;
    JoinEnded();
    ++running_;
    auto owned = std::make_unique<TBvBaseThread>(this, OnExecute, params, freeOnTerminate_);
    TBvBaseThread* worker = owned.get();
    TScopeExit notRunning([this] {
        --running_;
        running_.notify_all();
    });
    worker->Start();
    notRunning.Release();
    {
        std::lock_guard<TParkSafeMutex> guard(listLock_);
        workers_.push_back(std::move(owned));
    }
    {
        // When OnBegin fails the worker never runs; the count and the list go back as
        // they were.
        TScopeExit undo([this, worker] {
            std::unique_ptr<TBvBaseThread> removed;
            {
                std::lock_guard<TParkSafeMutex> guard(listLock_);
                for (auto it = workers_.begin(); it != workers_.end(); ++it) {
                    if (it->get() == worker) {
                        removed = std::move(*it);
                        workers_.erase(it);
                        break;
                    }
                }
            }
            if (removed)
                removed->Cancel();
            --running_;
            running_.notify_all();
        });
        if (OnBegin)
            OnBegin(nullptr);
        undo.Release();
    }
    const THandle id = worker->Id();
    if (runOnCreate_) {
        worker->Resume();
        ShowThreadDialogForm();
    }
    return id;
}

void TBvThread::ExecuteAndWait(void* params) {
    Execute(params);
    if (IsMainThread()) {
        while (OneThreadIsRunning())
            CheckSynchronize(10);
        return;
    }
    for (int count = running_.load(); count > 0; count = running_.load())
        running_.wait(count);
}

void TBvThread::Terminate() {
    std::lock_guard<TParkSafeMutex> guard(listLock_);
    for (auto& worker : workers_) {
        worker->terminateRequested = true;
        worker->ResumeFully();
    }
}

bool TBvThread::Terminated() const {
    std::lock_guard<TParkSafeMutex> guard(listLock_);
    for (const auto& worker : workers_)
        if (!worker->terminateRequested)
            return false;
    return true;
}

TBvBaseThread* TBvThread::FindWorker(THandle thread) const {
    std::lock_guard<TParkSafeMutex> guard(listLock_);
    for (const auto& worker : workers_)
        if (worker->Id() == thread)
            return worker.get();
    return nullptr;
}

uint8_t TBvThread::GetPriority(THandle thread) const {
    if (thread == 0)
        return 0;
    return uint8_t(GetThreadPriority(thread));
}

bool TBvThread::SetPriority(THandle thread, uint8_t priority) {
    return SetThreadPriority(thread, int8_t(priority));
}

// A worker leaves the list only in its finish handler, on this (the GUI)
// thread, so the one found stays alive while it is suspended or resumed here.
bool TBvThread::Suspend(THandle thread) {
    TBvBaseThread* worker = FindWorker(thread);
    return worker && worker->Suspend();
}

bool TBvThread::Resume(THandle thread) {
    TBvBaseThread* worker = FindWorker(thread);
    if (!worker || !worker->Resume())
        return false;
    ShowThreadDialogForm();
    return true;
}

bool TBvThread::WorkerKept(THandle thread) const {
    std::lock_guard<TParkSafeMutex> guard(listLock_);
    return std::any_of(kept_.begin(), kept_.end(),
                       [thread](const auto& w) { return w->Id() == thread; });
}

std::exception_ptr TBvThread::WorkerFatalException(THandle thread) const {
    std::lock_guard<TParkSafeMutex> guard(listLock_);
    for (const auto& worker : kept_)
        if (worker->Id() == thread)
            return worker->FatalException();
    return nullptr;
}

bool TBvThread::FreeWorker(THandle thread) {
    std::unique_ptr<TBvBaseThread> released;
    {
        std::lock_guard<TParkSafeMutex> guard(listLock_);
        for (auto it = kept_.begin(); it != kept_.end(); ++it) {
            if ((*it)->Id() == thread) {
                released = std::move(*it);
                kept_.erase(it);
                break;
            }
        }
    }
    if (!released)
        return false;
    // Its finish notification may still be returning on the worker's thread.
    while (!released->done)
        std::this_thread::yield();
    released->Join();
    return true;
}

// The finish notification, on the GUI thread while the worker waits.
void TBvThread::WorkerEnded(TBvBaseThread* worker) {
    {
        std::lock_guard<TParkSafeMutex> guard(listLock_);
        for (auto it = workers_.begin(); it != workers_.end(); ++it) {
            if (it->get() == worker) {
                (worker->FreeOnTerminate() ? ended_ : kept_).push_back(std::move(*it));
                workers_.erase(it);
                break;
            }
        }
    }
    --running_;
    running_.notify_all();
    std::exception_ptr error;
    try {
        if (OnFinish)
            OnFinish(nullptr);
    } catch (...) {
        error = std::current_exception();
    }
    // OnFinishAll runs also after a failing OnFinish; its error is then shown
    // once, as the thread-end machinery has no caller to hand it to.
    try {
        if (running_.load() == 0) {
            if (dialogForm_) {
                dialogForm_ = nullptr;
                if (threadDialog_)
                    threadDialog_->CloseThreadForm();
            }
            if (OnFinishAll)
                OnFinishAll(nullptr);
        }
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    if (error)
        HandleApplicationException(error);
}

void TBvThread::JoinEnded() {
    std::vector<std::unique_ptr<TBvBaseThread>> finished;
    {
        std::lock_guard<TParkSafeMutex> guard(listLock_);
        for (auto it = ended_.begin(); it != ended_.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = ended_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished)
        worker->Join();
}
