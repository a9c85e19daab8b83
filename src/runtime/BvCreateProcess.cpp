#include "BvCreateProcess.h"

#include "BvCoreUtils.h"
#include "Drives.h"
#include "Files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr size_t BlockSize = 1024;
constexpr size_t InitialCapacity = 1024;
constexpr size_t CapacityLimit = 65536;

// The text of an errno value under its Windows number, as the platform reports errors.
std::string OSErrorText(int& code) {
    code = ErrnoToWinError(code);
    return Format("System Error.  Code: %d.\n%s", {code, SysErrorMessage(code)});
}

// Paths of the program keep their Windows form; a child needs the Linux one.
std::string ChildPath(const std::string& path) {
    return DriveLetterOf(path) ? ResolvePath(path) : path;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

uint32_t ExitCodeOf(int status) {
    if (WIFEXITED(status))
        return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<uint32_t>(WTERMSIG(status)); // as shells report it
    return 0;
}

// Writes without letting a closed pipe raise SIGPIPE in this process.
bool WriteNoSigPipe(int fd, const char* data, size_t size) {
    sigset_t pipeSet, old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    bool ok = true;
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    if (!ok && errno == EPIPE) {
        timespec zero{0, 0};
        sigtimedwait(&pipeSet, nullptr, &zero); // consume the pending SIGPIPE
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

// A descriptor that becomes readable when the child ends; -1 on kernels
// without one (the watcher then looks for the end now and then).
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

} // namespace

// One started child, shared by the component and the thread that watches it.
// The thread reads the output, waits for the end, reaps the child and posts
// WM_OUTPUT and WM_CHILD_ENDED to the component's message window.
struct TBvChildRun {
    uint64_t generation = 0;
    pid_t pid = 0;
    int pidfd = -1;
    int outFd = -1; // read end of the output pipe
    int inFd = -1;  // write end of the input pipe
    int stopFd = -1;
    TMessageWindow window = 0;
    bool report = false;
    std::atomic<bool> abandoned{false};

    std::mutex lock; // the fields below, and the closing of inFd and stopFd
    std::string buffer;
    size_t capacity = InitialCapacity;
    bool exited = false;
    uint32_t exitCode = 0;
    bool watchDone = false; // every descriptor closed and the child reaped
    std::condition_variable watchDoneChanged;

    ~TBvChildRun() {
        CloseFd(pidfd);
        CloseFd(outFd);
        CloseFd(inFd);
        CloseFd(stopFd);
    }

    void Append(const char* data, size_t size) {
        {
            std::lock_guard<std::mutex> guard(lock);
            while (buffer.size() + size > capacity && capacity <= CapacityLimit)
                capacity *= 2;
            // Output that nobody takes is held up to the limit; then dropped.
            if (buffer.size() + size > capacity)
                buffer.clear();
            buffer.append(data, size);
        }
        if (!abandoned)
            PostToMessageWindow(window, TBvCreateProcess::WM_OUTPUT, generation);
    }

    bool Take(std::string& block) {
        std::lock_guard<std::mutex> guard(lock);
        if (buffer.empty())
            return false;
        size_t n = std::min(buffer.size(), BlockSize);
        block.assign(buffer, 0, n);
        buffer.erase(0, n);
        return true;
    }

    // Reads one block; false at the end of the data or on an error.
    bool ReadOnce() {
        char data[BlockSize];
        for (;;) {
            ssize_t n = ::read(outFd, data, sizeof(data));
            if (n > 0) {
                Append(data, static_cast<size_t>(n));
                return true;
            }
            if (n < 0 && errno == EINTR)
                continue;
            return false;
        }
    }

    bool ChildHasExited() {
        if (pidfd >= 0)
            return false; // poll tells
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == pid;
    }

    void Watch() {
        bool reading = outFd >= 0;
        bool stopped = false;
        bool childEnded = false;
        while (!childEnded) {
            pollfd fds[3];
            nfds_t count = 0;
            int pidIndex = -1, outIndex = -1, stopIndex = -1;
            if (pidfd >= 0) {
                pidIndex = static_cast<int>(count);
                fds[count++] = pollfd{pidfd, POLLIN, 0};
            }
            if (reading) {
                outIndex = static_cast<int>(count);
                fds[count++] = pollfd{outFd, POLLIN, 0};
            }
            if (!stopped) {
                stopIndex = static_cast<int>(count);
                fds[count++] = pollfd{stopFd, POLLIN, 0};
            }
            // Without a process descriptor the end is looked for now and then.
            int timeout = pidfd >= 0 ? -1 : 50;
            int r = poll(fds, count, timeout);
            if (r < 0 && errno != EINTR)
                break; // cannot watch: fall through to the blocking reap
            if (r > 0) {
                if (stopIndex >= 0 && fds[stopIndex].revents) {
                    stopped = true;
                    // A stopped run reads no more; the child's writes now fail
                    // instead of blocking on a full pipe.
                    reading = false;
                    CloseFd(outFd);
                }
                if (outIndex >= 0 && reading && fds[outIndex].revents && !ReadOnce())
                    reading = false;
                if (pidIndex >= 0 && fds[pidIndex].revents)
                    childEnded = true;
            }
            if (pidfd < 0 && ChildHasExited())
                childEnded = true;
        }
        {
            // From here on the process group may vanish: no more signals to it.
            std::lock_guard<std::mutex> guard(lock);
            exited = true;
        }
        // Output still in the pipe is taken, but nothing waits for descendants
        // that keep the pipe open.
        if (reading && !abandoned) {
            fcntl(outFd, F_SETFL, fcntl(outFd, F_GETFL) | O_NONBLOCK);
            while (ReadOnce()) {
            }
        }
        // Every descriptor of the run is closed before the child is reaped, so
        // whoever sees the child gone also sees the run's resources released.
        {
            std::lock_guard<std::mutex> guard(lock);
            CloseFd(inFd);
            CloseFd(stopFd);
        }
        CloseFd(outFd); // only this thread reads and waits with these two
        CloseFd(pidfd);
        int status = 0;
        pid_t reaped;
        do {
            reaped = waitpid(pid, &status, 0);
        } while (reaped < 0 && errno == EINTR);
        {
            std::lock_guard<std::mutex> guard(lock);
            exitCode = reaped == pid ? ExitCodeOf(status) : 0;
            watchDone = true;
        }
        watchDoneChanged.notify_all();
        if (report && !abandoned)
            PostToMessageWindow(window, TBvCreateProcess::WM_CHILD_ENDED, generation);
    }

    void Stop() {
        abandoned = true;
        std::lock_guard<std::mutex> guard(lock);
        if (stopFd >= 0) {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(stopFd, &one, sizeof(one));
        }
    }

    bool Kill(int sig) {
        std::lock_guard<std::mutex> guard(lock);
        return !exited && pid > 0 && ::kill(-pid, sig) == 0;
    }

    bool WriteInput(const std::string& data) {
        std::lock_guard<std::mutex> guard(lock);
        if (inFd < 0)
            return false;
        if (!WriteNoSigPipe(inFd, data.data(), data.size())) {
            CloseFd(inFd); // the child closed its input
            return false;
        }
        return true;
    }
};

bool TBvChildWatch::WaitDone(int timeoutMs) const {
    if (!run_)
        return true;
    std::unique_lock<std::mutex> guard(run_->lock);
    return run_->watchDoneChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                           [this] { return run_->watchDone; });
}

bool TBvChildWatch::Kill(int sig) const {
    return run_ && run_->Kill(sig);
}

TBvCreateProcess::TBvCreateProcess() {
    window_ = AllocateMessageWindow("", [this](TMessage& message) { WndProc(message); });
}

TBvCreateProcess::~TBvCreateProcess() {
    StopWaiting();
    ReleaseMessageWindow(window_);
}

void TBvCreateProcess::CheckNotWaiting() const {
    if (state_ == TBvProcessState::psWaiting)
        throw EBvException("Cannot perform this operation when process is running");
}

void TBvCreateProcess::SetWaitForTerminate(bool value) {
    CheckNotWaiting();
    waitForTerminate_ = value;
    state_ = TBvProcessState::psReady;
}

void TBvCreateProcess::Run() {
    CheckNotWaiting();
    state_ = TBvProcessState::psReady;
    startsOnNewLine_ = true;
    line_.clear();
    cursor_ = 0;

    std::vector<std::string> args = Arguments;
    if (args.empty()) {
        std::string param;
        for (size_t pos = GetParamStr(CommandLine, 0, param); !param.empty();
             pos = GetParamStr(CommandLine, pos, param))
            args.push_back(param);
    }
    std::string program = ChildPath(Trim(ApplicationName));
    if (program.empty() && !args.empty())
        program = ChildPath(args[0]);
    if (program.empty()) {
        int code = ENOENT;
        std::string text = OSErrorText(code);
        throw EOSError(text + ": no program given", code);
    }
    if (args.empty())
        args.push_back(program);
    std::string folder = ChildPath(Trim(CurrentDirectory));
    // A relative path names a file in the parent's folder, also when the child
    // starts in another one.
    if (program.find('/') != std::string::npos && program[0] != '/' && !folder.empty()) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof(cwd)))
            program = std::string(cwd) + "/" + program;
    }

    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envEntries;
    std::vector<char*> envp;
    for (int i = 0; i < Environment.Count(); ++i)
        if (!Environment[i].empty())
            envEntries.push_back(Environment[i]);
    for (auto& e : envEntries)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char** childEnv = envEntries.empty() ? environ : envp.data();

    bool capture = ConsoleOptions.count(TBvConsoleOption::coRedirect) > 0;
    int outPipe[2] = {-1, -1}, inPipe[2] = {-1, -1};
    auto closeAll = [&] {
        CloseFd(outPipe[0]);
        CloseFd(outPipe[1]);
        CloseFd(inPipe[0]);
        CloseFd(inPipe[1]);
    };
    if (capture && (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(inPipe, O_CLOEXEC) != 0)) {
        int code = errno;
        closeAll();
        std::string text = OSErrorText(code);
        throw EOSError(text, code);
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (capture) {
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 2);
    } else if (CreationFlags.count(TBvCPSFlag::cfNewConsole) ||
               CreationFlags.count(TBvCPSFlag::cfDetached)) {
        // A console of its own: nothing of the child appears on ours.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    sigset_t noSignals, allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                        POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigmask(&attr, &noSignals);
    posix_spawnattr_setsigdefault(&attr, &allSignals);

    pid_t pid = 0;
    int rc = program.find('/') != std::string::npos
                 ? posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), childEnv)
                 : posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), childEnv);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    CloseFd(outPipe[1]);
    CloseFd(inPipe[0]);
    if (rc != 0) {
        closeAll();
        std::string text = OSErrorText(rc);
        throw EOSError(text + ": \"" + program + "\"", rc);
    }

    switch (Priority) {
    case TBvProcessPriority::ppIdle:
        setpriority(PRIO_PROCESS, static_cast<id_t>(pid), 19);
        break;
    case TBvProcessPriority::ppHigh:
        setpriority(PRIO_PROCESS, static_cast<id_t>(pid), -5); // needs privileges; else ignored
        break;
    case TBvProcessPriority::ppRealTime:
        setpriority(PRIO_PROCESS, static_cast<id_t>(pid), -10);
        break;
    case TBvProcessPriority::ppNormal:
        break;
    }

    auto run = std::make_shared<TBvChildRun>();
    run->generation = ++generation_;
    run->pid = pid;
    run->pidfd = OpenPidFd(pid);
    run->outFd = outPipe[0];
    run->inFd = inPipe[1];
    outPipe[0] = inPipe[1] = -1;
    run->stopFd = eventfd(0, EFD_CLOEXEC);
    run->window = window_;
    run->report = capture || waitForTerminate_;
    try {
        std::thread([run] { run->Watch(); }).detach();
    } catch (const std::system_error& e) {
        // Without a watcher nobody would reap the child.
        ::kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        throw EOSError(e.what(), e.code().value());
    }
    last_ = run;
    lastPid_ = pid;
    if (run->report) {
        current_ = run;
        state_ = TBvProcessState::psWaiting;
    } else {
        state_ = TBvProcessState::psRunning;
    }
}

void TBvCreateProcess::StopWaiting() {
    if (state_ != TBvProcessState::psWaiting)
        return;
    if (current_)
        current_->Stop();
    current_ = nullptr;
    state_ = TBvProcessState::psReady;
}

bool TBvCreateProcess::KillProcessGroup(int sig) {
    return last_ && last_->Kill(sig);
}

bool TBvCreateProcess::WriteInput(const std::string& data) {
    return current_ && current_->WriteInput(data);
}

void TBvCreateProcess::WndProc(TMessage& message) {
    bool ours = current_ && message.WParam == current_->generation;
    if (message.Msg == WM_OUTPUT) {
        if (ours)
            TakeAllOutput();
    } else if (message.Msg == WM_CHILD_ENDED) {
        if (ours)
            ReportEnd();
    } else {
        message.Result = DefWindowProc(window_, message.Msg, message.WParam, message.LParam);
    }
}

void TBvCreateProcess::TakeAllOutput() {
    auto run = current_;
    std::string block;
    // A handler may stop waiting; then the rest is not ours any more.
    while (run && current_ == run && run->Take(block))
        ProcessBlock(block);
}

void TBvCreateProcess::ProcessBlock(const std::string& block) {
    if (OnRawRead)
        OnRawRead(this, block);
    auto put = [this](char c) {
        if (cursor_ < line_.size())
            line_[cursor_] = c;
        else
            line_ += c;
        ++cursor_;
    };
    for (char c : block) {
        switch (c) {
        case '\0':
        case '\a':
            put(' ');
            break;
        case '\b':
            if (cursor_ > 0)
                --cursor_;
            break;
        case '\t':
            for (int i = 0; i < 8; ++i)
                put(' ');
            break;
        case '\r':
            cursor_ = 0;
            break;
        case '\n':
            EmitLine(true);
            break;
        default:
            put(c);
        }
    }
    EmitLine(false);
}

void TBvCreateProcess::EmitLine(bool ended) {
    if (!ConsoleOptions.count(TBvConsoleOption::coOwnerData)) {
        if (startsOnNewLine_ || outputLines_.Count() == 0)
            outputLines_.Add(line_);
        else
            outputLines_.Put(outputLines_.Count() - 1, line_);
    }
    bool startsOnNewLine = startsOnNewLine_;
    std::string line = line_;
    if (ended) {
        line_.clear();
        cursor_ = 0;
    }
    startsOnNewLine_ = ended;
    if (OnRead)
        OnRead(this, line, startsOnNewLine);
}

void TBvCreateProcess::ReportEnd() {
    auto run = current_;
    std::exception_ptr error;
    try {
        TakeAllOutput();
        if (current_ == run && !line_.empty())
            EmitLine(false);
    } catch (...) {
        error = std::current_exception();
    }
    if (current_ != run) { // a read handler stopped waiting
        if (error)
            std::rethrow_exception(error);
        return;
    }
    // The end is reported also after a failing read handler, so the runner
    // never stays busy with a child that is gone.
    current_ = nullptr;
    state_ = TBvProcessState::psReady;
    uint32_t exitCode;
    {
        std::lock_guard<std::mutex> guard(run->lock);
        exitCode = run->exitCode;
    }
    try {
        if (OnTerminate)
            OnTerminate(this, exitCode);
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    if (error)
        std::rethrow_exception(error);
}
