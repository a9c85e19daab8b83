// Starts a child process from an argument vector (never through a shell), can
// wait for its end on a thread of its own and report it on the GUI thread, and
// can capture its standard output and error and assemble them into lines.
//
// Every child gets a process group of its own, which KillProcessGroup ends as a
// whole. Every child is reaped, also after StopWaiting and after the component
// is gone: a background thread waits for each one until it ends.
#pragma once

#include "BvKitUtils.h"
#include "Classes.h"
#include "SysUtils.h"

#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

enum class TBvCPSFlag {
    cfDefaultErrorMode,
    cfNewConsole,
    cfNewProcGroup,
    cfSeparateWdm,
    cfSharedWdm,
    cfSuspended,
    cfUnicode,
    cfDetached
};
using TBvCPSFlags = std::set<TBvCPSFlag>;

enum class TBvProcessPriority { ppIdle, ppNormal, ppHigh, ppRealTime };

enum class TBvConsoleOption { coRedirect, coOwnerData };
using TBvConsoleOptions = std::set<TBvConsoleOption>;

enum class TBvCPSShowWindow { swHide, swMinimize, swMaximize, swNormal };

// Window placement of a child's console; kept with the settings, it has no
// effect on this platform, where a child has no window.
struct TBvCPSStartupInfo {
    std::string Desktop;
    std::string Title;
    bool DefaultPosition = true;
    int Left = 0, Top = 0;
    bool DefaultSize = true;
    int Width = 0, Height = 0;
    bool DefaultWindowState = true;
    TBvCPSShowWindow ShowWindow = TBvCPSShowWindow::swNormal;
    bool ForceOnFeedback = false;
    bool ForceOffFeedback = false;
};

enum class TBvProcessState { psReady, psRunning, psWaiting };

class TBvCreateProcess;
using TBvCPSTerminateEvent = std::function<void(TObject* sender, uint32_t exitCode)>;
using TBvCPSReadEvent =
    std::function<void(TObject* sender, const std::string& s, bool startsOnNewLine)>;
using TBvCPSRawReadEvent = std::function<void(TObject* sender, const std::string& s)>;

struct TBvChildRun;

// The watcher of one started child, for a caller that must know when the child's run
// has let go of everything: the descriptors it held closed and the child reaped.
class TBvChildWatch {
public:
    TBvChildWatch() = default;
    // Waits until that is so; false when it takes longer than timeoutMs. A watch of no
    // child is done at once. Any thread may wait.
    bool WaitDone(int timeoutMs) const;
    // Sends sig to the child's process group while the child has not ended.
    bool Kill(int sig) const;

private:
    friend class TBvCreateProcess;
    explicit TBvChildWatch(std::shared_ptr<TBvChildRun> run) : run_(std::move(run)) {}
    std::shared_ptr<TBvChildRun> run_;
};

class TBvCreateProcess : public TObject {
public:
    TBvCreateProcess();
    // Stops waiting (the child runs on and is still reaped) and drops pending
    // notifications. Call it on the GUI thread.
    ~TBvCreateProcess() override;
    TBvCreateProcess(const TBvCreateProcess&) = delete;
    TBvCreateProcess& operator=(const TBvCreateProcess&) = delete;

    // The program: a path (relative ones are taken from the current folder) or
    // a name looked up in PATH. Empty: parameter 0 of the command line.
    std::string ApplicationName;
    // The whole command line, parameter 0 included, split by the Windows rules
    // (double quotes group blanks). Used when Arguments is empty.
    std::string CommandLine;
    // The argument vector, argument 0 included; when set, CommandLine is unused.
    std::vector<std::string> Arguments;
    TBvCPSFlags CreationFlags;
    // Empty: the parent's current folder.
    std::string CurrentDirectory;
    // name=value entries; empty: the parent's environment is inherited.
    TStringList Environment;
    TBvProcessPriority Priority = TBvProcessPriority::ppNormal;
    TBvCPSStartupInfo StartupInfo;
    TBvConsoleOptions ConsoleOptions{TBvConsoleOption::coOwnerData};

    TBvCPSTerminateEvent OnTerminate;
    TBvCPSReadEvent OnRead;
    TBvCPSRawReadEvent OnRawRead;

    bool WaitForTerminate() const { return waitForTerminate_; }
    // Raises as Run does while waiting; then stores the value, state ready.
    void SetWaitForTerminate(bool value);

    TBvProcessState State() const { return state_; }
    // Output lines kept without coOwnerData.
    TStringList& OutputLines() { return outputLines_; }
    // Process ID (and process group) of the last child started; 0 before.
    int ProcessId() const { return lastPid_; }
    // The watcher of the last child started, also after StopWaiting.
    TBvChildWatch LastChild() const { return TBvChildWatch(last_); }

    // Starts the child. Raises EBvException while waiting for a previous one,
    // and EOSError when the child cannot be started (the runner stays ready).
    void Run();
    // Stops watching the child without stopping it: no OnTerminate follows.
    void StopWaiting();
    // Sends sig to the process group of the last child started, while that child
    // has not ended. Returns whether the signal was sent.
    bool KillProcessGroup(int sig = SIGKILL);
    // While capturing: sends bytes to the child's standard input. False when
    // there is no such child or it closed its input.
    bool WriteInput(const std::string& data);

    // Message numbers of the component's message window.
    static constexpr uint32_t WM_OUTPUT = WM_USER + 1;
    static constexpr uint32_t WM_CHILD_ENDED = WM_USER + 2;

private:
    void CheckNotWaiting() const;
    void WndProc(TMessage& message);
    void TakeAllOutput();
    void ProcessBlock(const std::string& block);
    void EmitLine(bool ended);
    void ReportEnd();

    bool waitForTerminate_ = true;
    TBvProcessState state_ = TBvProcessState::psReady;
    TMessageWindow window_ = 0;
    std::shared_ptr<TBvChildRun> current_; // the run being waited for
    std::shared_ptr<TBvChildRun> last_;    // the last run started, for KillProcessGroup
    uint64_t generation_ = 0;
    int lastPid_ = 0;
    std::string line_;
    size_t cursor_ = 0;
    bool startsOnNewLine_ = true;
    TStringList outputLines_;
};
