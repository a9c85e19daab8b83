#include "BvThread.h"

#include "Dispatcher.h"
#include "ScopeExit.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <system_error>
#include <thread>
#include <typeinfo>
#include <unistd.h>

namespace {

std::mutex reportLock;
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

std::atomic<uint32_t> nextThreadId{1};

} // namespace

void SetApplicationErrorReport(TApplicationErrorReport report) {
    std::lock_guard<std::mutex> guard(reportLock);
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
        std::lock_guard<std::mutex> guard(reportLock);
        report = errorReport;
    }
    if (report)
        report("Application Error", text);
    else
        std::fprintf(stderr, "Application Error: %s\n", text.c_str());
}

// One worker: a thread created behind a closed gate, so it can be counted,
// listed and announced (OnBegin) before it runs.
class TBvBaseThread {
public:
    TBvBaseThread(TBvThread* sender, TBvNotifyParamsEvent handler, void* params)
        : id_(nextThreadId.fetch_add(1)), sender_(sender), handler_(std::move(handler)),
          params_(params) {}

    void Start() {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error& e) {
            throw EOSError(e.what(), e.code().value());
        }
    }

    void Resume() {
        {
            std::lock_guard<std::mutex> guard(gateLock_);
            open_ = true;
        }
        gate_.notify_all();
    }

    // Ends a thread that never ran its handler.
    void Cancel() {
        {
            std::lock_guard<std::mutex> guard(gateLock_);
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
        std::lock_guard<std::mutex> guard(gateLock_);
        return !open_;
    }

    uint32_t Id() const { return id_; }
    std::atomic<bool> terminateRequested{false};
    // Set once the finish notification has returned; joining is then safe.
    std::atomic<bool> done{false};

private:
    void Run() {
        {
            std::unique_lock<std::mutex> guard(gateLock_);
            gate_.wait(guard, [this] { return open_; });
            if (cancelled_)
                return;
        }
        try {
            handler_(sender_, params_);
        } catch (...) {
            // Every kind of exception is shown; the worker then ends normally.
            auto error = std::current_exception();
            Synchronize([e = std::move(error)] { ShowApplicationError(e); });
        }
        Synchronize([this] { sender_->WorkerEnded(this); });
        done = true;
    }

    const uint32_t id_;
    TBvThread* const sender_;
    TBvNotifyParamsEvent handler_;
    void* const params_;
    std::thread thread_;
    std::mutex gateLock_;
    std::condition_variable gate_;
    bool open_ = false;
    bool cancelled_ = false;
};

TBvThread::TBvThread() = default;

TBvThread::~TBvThread() {
    Terminate();
    while (OneThreadIsRunning())
        CheckSynchronize(10);
    JoinEnded();
    std::vector<std::unique_ptr<TBvBaseThread>> rest;
    {
        std::lock_guard<std::mutex> guard(listLock_);
        rest.swap(ended_);
    }
    for (auto& worker : rest)
        worker->Join();
}

uint32_t TBvThread::Execute(void* params) {
    if (exclusive_ && OneThreadIsRunning())
        return 0;
    if (!OnExecute)
        return 0;
    JoinEnded();
    ++running_;
    auto owned = std::make_unique<TBvBaseThread>(this, OnExecute, params);
    TBvBaseThread* worker = owned.get();
    TScopeExit notRunning([this] {
        --running_;
        running_.notify_all();
    });
    worker->Start();
    notRunning.Release();
    {
        std::lock_guard<std::mutex> guard(listLock_);
        workers_.push_back(std::move(owned));
    }
    {
        // When OnBegin fails the worker never runs; the count and the list go back as
        // they were.
        TScopeExit undo([this, worker] {
            std::unique_ptr<TBvBaseThread> removed;
            {
                std::lock_guard<std::mutex> guard(listLock_);
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
    uint32_t id = worker->Id();
    if (runOnCreate_)
        worker->Resume();
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
    std::lock_guard<std::mutex> guard(listLock_);
    for (auto& worker : workers_) {
        worker->terminateRequested = true;
        worker->Resume();
    }
}

bool TBvThread::Terminated() const {
    std::lock_guard<std::mutex> guard(listLock_);
    for (const auto& worker : workers_)
        if (!worker->terminateRequested)
            return false;
    return true;
}

bool TBvThread::Resume(uint32_t threadId) {
    std::lock_guard<std::mutex> guard(listLock_);
    for (auto& worker : workers_) {
        if (worker->Id() == threadId && worker->Suspended()) {
            worker->Resume();
            return true;
        }
    }
    return false;
}

// The finish notification, on the GUI thread while the worker waits.
void TBvThread::WorkerEnded(TBvBaseThread* worker) {
    {
        std::lock_guard<std::mutex> guard(listLock_);
        for (auto it = workers_.begin(); it != workers_.end(); ++it) {
            if (it->get() == worker) {
                ended_.push_back(std::move(*it));
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
        if (running_.load() == 0 && OnFinishAll)
            OnFinishAll(nullptr);
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
        std::lock_guard<std::mutex> guard(listLock_);
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
