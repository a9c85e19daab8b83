#include "BvCreateProcess.h"
#include "Dispatcher.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace {

const std::string Helper = BV_CHILD_HELPER;

template <typename Pred> void PumpUntil(Pred done) {
    while (!done())
        CheckSynchronize(20);
}

// True once the process is gone or a zombie nobody will reap for us.
bool ProcessGoneOrZombie(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = all.rfind(')');
    return close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z';
}

// True once the process has been reaped (no entry left, not even a zombie).
bool ProcessReaped(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool IgnoresSigterm(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigIgn:", 0) == 0) {
            unsigned long long mask = std::strtoull(line.c_str() + 7, nullptr, 16);
            return (mask >> (SIGTERM - 1)) & 1;
        }
    }
    return false;
}

// A runner with the test's handlers: terminate notices and every OnRead.
struct TRunner {
    TBvCreateProcess process;
    std::optional<uint32_t> exitCode;
    int terminates = 0;
    std::vector<std::pair<std::string, bool>> reads;
    std::string raw;

    TRunner() {
        process.OnTerminate = [this](TObject* sender, uint32_t code) {
            EXPECT_EQ(&process, sender);
            EXPECT_TRUE(IsMainThread());
            exitCode = code;
            ++terminates;
        };
        process.OnRead = [this](TObject*, const std::string& s, bool startsOnNewLine) {
            reads.emplace_back(s, startsOnNewLine);
        };
        process.OnRawRead = [this](TObject*, const std::string& s) { raw += s; };
    }
    void Capture(bool ownerData = false) {
        process.ConsoleOptions = {TBvConsoleOption::coRedirect};
        if (ownerData)
            process.ConsoleOptions.insert(TBvConsoleOption::coOwnerData);
    }
    uint32_t RunToEnd(std::vector<std::string> args) {
        process.Arguments = std::move(args);
        process.Run();
        PumpUntil([&] { return exitCode.has_value(); });
        return *exitCode;
    }
};

} // namespace

TEST(BvCreateProcess, ReportsTheExitCodeOnTheGuiThread) {
    for (int code : {0, 1, 3, 255}) {
        SCOPED_TRACE(code);
        TRunner r;
        r.process.CreationFlags = {TBvCPSFlag::cfNewConsole, TBvCPSFlag::cfNewProcGroup};
        r.process.ApplicationName = Helper;
        r.process.CommandLine = "helper exit " + std::to_string(code);
        r.process.Run();
        EXPECT_EQ(TBvProcessState::psWaiting, r.process.State());
        PumpUntil([&] { return r.exitCode.has_value(); });
        EXPECT_EQ(static_cast<uint32_t>(code), *r.exitCode);
        EXPECT_EQ(TBvProcessState::psReady, r.process.State());
        EXPECT_TRUE(r.reads.empty()); // nothing captured
        EXPECT_TRUE(ProcessReaped(r.process.ProcessId()));
    }
}

TEST(BvCreateProcess, CommandLineIsSplitWithoutAShell) {
    TRunner r;
    r.Capture();
    r.process.CommandLine = "\"" + Helper + "\" args \"two words\" $HOME ';' `x`";
    r.process.Run();
    PumpUntil([&] { return r.exitCode.has_value(); });
    EXPECT_EQ(0u, *r.exitCode);
    EXPECT_EQ("two words\n$HOME\n';'\n`x`\n", r.raw);
}

TEST(BvCreateProcess, RunWhileWaitingRaisesAndLeavesTheRunAlone) {
    TRunner r;
    r.Capture();
    r.process.Arguments = {Helper, "twopart", "a", "b\\n"};
    r.process.Run();
    try {
        r.process.Run();
        FAIL() << "no exception";
    } catch (const EBvException& e) {
        EXPECT_EQ("Cannot perform this operation when process is running", e.Message());
    }
    EXPECT_THROW(r.process.SetWaitForTerminate(false), EBvException);
    EXPECT_TRUE(r.process.WriteInput("x"));
    PumpUntil([&] { return r.exitCode.has_value(); });
    EXPECT_EQ(0u, *r.exitCode);
    EXPECT_EQ("ab\n", r.raw);
}

struct TLineCase {
    const char* output; // as the helper decodes it
    std::vector<std::string> lines;
};

TEST(BvCreateProcess, AssemblesOutputLinesWithTheConsoleRules) {
    const std::vector<TLineCase> cases = {
        {"abc\\rxy\\n", {"xyc", ""}},    {"a\\tb\\n", {"a        b", ""}},
        {"ab\\bc\\n", {"ac", ""}},       {"\\b\\bx\\n", {"x", ""}},
        {"abc\\b\\b\\n", {"abc", ""}}, // nothing erased
        {"a\\0b\\ac\\n", {"a b c", ""}}, {"one\\ntwo\\n", {"one", "two", ""}},
        {"no end", {"no end"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        TRunner r;
        r.Capture();
        r.RunToEnd({Helper, "print", c.output});
        EXPECT_EQ(c.lines, r.process.OutputLines().Items());
    }
}

TEST(BvCreateProcess, CarriageReturnOverwritesAndTheNextLineStartsEmpty) {
    TRunner r;
    r.Capture(true);
    r.RunToEnd({Helper, "print", "abc\\rxy\\n"});
    EXPECT_EQ("abc\rxy\n", r.raw);
    std::vector<std::pair<std::string, bool>> expected = {{"xyc", true}, {"", true}};
    EXPECT_EQ(expected, r.reads);
    EXPECT_EQ(0, r.process.OutputLines().Count()); // coOwnerData keeps none
}

TEST(BvCreateProcess, ALineSplitAcrossBlocksContinuesTheLastEntry) {
    TRunner r;
    r.Capture();
    r.process.Arguments = {Helper, "twopart", "ab", "cd\\nef"};
    r.process.Run();
    PumpUntil([&] { return !r.reads.empty(); });
    EXPECT_EQ((std::pair<std::string, bool>("ab", true)), r.reads[0]);
    r.process.WriteInput("go");
    PumpUntil([&] { return r.exitCode.has_value(); });
    std::vector<std::pair<std::string, bool>> expected = {
        {"ab", true}, {"abcd", false}, {"ef", true}, {"ef", false}};
    EXPECT_EQ(expected, r.reads);
    EXPECT_EQ((std::vector<std::string>{"abcd", "ef"}), r.process.OutputLines().Items());
}

TEST(BvCreateProcess, StandardErrorIsCapturedToo) {
    TRunner r;
    r.Capture();
    r.RunToEnd({Helper, "stderr", "warning\\n"});
    EXPECT_EQ("warning\n", r.raw);
}

TEST(BvCreateProcess, EnvironmentAndFolder) {
    setenv("BV_RUNTIME_TEST_INHERITED", "from parent", 1);
    {
        TRunner r;
        r.Capture();
        r.RunToEnd({Helper, "env", "BV_RUNTIME_TEST_INHERITED"});
        EXPECT_EQ("from parent\n", r.raw);
    }
    {
        TRunner r;
        r.Capture();
        r.process.Environment.Add("BV_RUNTIME_TEST_OWN=own value");
        r.RunToEnd({Helper, "env", "BV_RUNTIME_TEST_INHERITED"});
        EXPECT_EQ("<unset>\n", r.raw);
    }
    {
        TRunner r;
        r.Capture();
        r.process.Environment.Add("BV_RUNTIME_TEST_OWN=own value");
        r.RunToEnd({Helper, "env", "BV_RUNTIME_TEST_OWN"});
        EXPECT_EQ("own value\n", r.raw);
    }
    {
        TRunner r;
        r.Capture();
        r.process.CurrentDirectory = "  /  ";
        r.RunToEnd({Helper, "cwd"});
        EXPECT_EQ("/\n", r.raw);
    }
}

TEST(BvCreateProcess, WindowsFormPathsNameTheProgramAndTheFolder) {
    std::string windowsHelper = "C:" + Helper;
    for (auto& c : windowsHelper)
        if (c == '/')
            c = '\\';
    TRunner r;
    r.Capture();
    r.process.ApplicationName = windowsHelper;
    r.process.CommandLine = "helper cwd";
    r.process.CurrentDirectory = "C:\\";
    r.process.Run();
    PumpUntil([&] { return r.exitCode.has_value(); });
    EXPECT_EQ("/\n", r.raw);
}

TEST(BvCreateProcess, AMissingProgramRaisesAndLeavesTheRunnerReady) {
    TRunner r;
    r.process.ApplicationName = "/nonexistent/brisvane-no-such-encoder";
    try {
        r.process.Run();
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(std::string::npos, e.Message().find("Code: 2."));
        EXPECT_NE(std::string::npos, e.Message().find("brisvane-no-such-encoder"));
    }
    EXPECT_EQ(TBvProcessState::psReady, r.process.State());
    r.process.ApplicationName = "brisvane-no-such-encoder-in-path";
    EXPECT_THROW(r.process.Run(), EOSError);
    r.process.ApplicationName = "";
    EXPECT_EQ(0u, r.RunToEnd({Helper, "exit", "0"}));
}

TEST(BvCreateProcess, StopWaitingBringsNoNoticeAndTheChildIsStillReaped) {
    TRunner r;
    r.process.Arguments = {Helper, "pause"};
    r.process.Run();
    pid_t first = r.process.ProcessId();
    r.process.StopWaiting();
    EXPECT_EQ(TBvProcessState::psReady, r.process.State());
    EXPECT_FALSE(ProcessReaped(first)); // it runs on
    // Run may follow at once; the earlier child's end is never reported.
    EXPECT_EQ(4u, r.RunToEnd({Helper, "exit", "4"}));
    EXPECT_EQ(1, r.terminates);
    ::kill(first, SIGTERM);
    PumpUntil([&] { return ProcessReaped(first); });
    r.exitCode.reset();
    EXPECT_EQ(5u, r.RunToEnd({Helper, "exit", "5"}));
    EXPECT_EQ(2, r.terminates);
}

TEST(BvCreateProcess, WithoutWaitingTheChildRunsUnwatchedButIsReaped) {
    TRunner r;
    r.process.SetWaitForTerminate(false);
    r.process.Arguments = {Helper, "exit", "0"};
    r.process.Run();
    EXPECT_EQ(TBvProcessState::psRunning, r.process.State());
    pid_t pid = r.process.ProcessId();
    PumpUntil([&] { return ProcessReaped(pid); });
    r.process.Run(); // allowed from the running state
    // The second child is reaped too; the test leaves nothing running behind it.
    pid = r.process.ProcessId();
    PumpUntil([&] { return ProcessReaped(pid); });
    EXPECT_EQ(0, r.terminates);
}

TEST(BvCreateProcess, KillingTheGroupEndsAChildThatIgnoresPoliteRequests) {
    TRunner r;
    r.Capture();
    r.process.Arguments = {Helper, "ignore-term"};
    r.process.Run();
    PumpUntil([&] { return r.process.OutputLines().Count() >= 2; }); // the line has ended
    std::string ready = r.process.OutputLines()[0];
    ASSERT_EQ(0u, ready.rfind("ready ", 0));
    pid_t grandchild = static_cast<pid_t>(std::atoi(ready.c_str() + 6));
    pid_t child = r.process.ProcessId();
    ASSERT_TRUE(IgnoresSigterm(child));
    ASSERT_TRUE(IgnoresSigterm(grandchild));
    EXPECT_TRUE(r.process.KillProcessGroup(SIGTERM));
    EXPECT_FALSE(ProcessGoneOrZombie(child)); // ignored
    EXPECT_TRUE(r.process.KillProcessGroup(SIGKILL));
    PumpUntil([&] { return r.exitCode.has_value(); });
    EXPECT_EQ(128u + SIGKILL, *r.exitCode);
    EXPECT_TRUE(ProcessReaped(child));
    PumpUntil([&] { return ProcessGoneOrZombie(grandchild); });
    EXPECT_FALSE(r.process.KillProcessGroup(SIGKILL)); // ended: no signal to a reused group
}

TEST(BvCreateProcess, AFailingReadHandlerStillEndsTheRun) {
    std::vector<std::string> errors;
    SetApplicationExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& x) {
            errors.push_back(x.Message());
        }
    });
    TRunner r;
    r.Capture();
    r.process.OnRead = [](TObject*, const std::string&, bool) { throw ERtError("bad line"); };
    r.RunToEnd({Helper, "print", "x\\n"});
    SetApplicationExceptionHandler(nullptr);
    EXPECT_EQ(TBvProcessState::psReady, r.process.State());
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ("bad line", errors[0]);
}

TEST(BvCreateProcess, DestroyingTheRunnerWhileWaitingDropsItsNotices) {
    // The counters outlive the runner, so a notice delivered after it is gone is seen.
    int terminates = 0, reads = 0, rawReads = 0;
    pid_t pid;
    {
        TBvCreateProcess process;
        process.OnTerminate = [&](TObject*, uint32_t) { ++terminates; };
        process.OnRead = [&](TObject*, const std::string&, bool) { ++reads; };
        process.OnRawRead = [&](TObject*, const std::string&) { ++rawReads; };
        process.ConsoleOptions = {TBvConsoleOption::coRedirect};
        process.Arguments = {Helper, "print", "late\\n"};
        process.Run();
        pid = process.ProcessId();
    }
    PumpUntil([&] { return ProcessReaped(pid); });
    while (CheckSynchronize(0)) {
    }
    EXPECT_EQ(0, terminates);
    EXPECT_EQ(0, reads);
    EXPECT_EQ(0, rawReads);
}

TEST(BvCreateProcess, WatchOfAChildNoLongerWaitedForTellsWhenItLetGo) {
    EXPECT_TRUE(TBvChildWatch().WaitDone(0)); // no child: nothing to wait for
    TBvCreateProcess process;
    process.ConsoleOptions = {TBvConsoleOption::coRedirect};
    process.Arguments = {Helper, "pause"};
    process.Run();
    const pid_t pid = process.ProcessId();
    const TBvChildWatch child = process.LastChild();
    process.StopWaiting();
    EXPECT_FALSE(child.WaitDone(50)); // the child still runs
    EXPECT_TRUE(child.Kill(SIGKILL));
    EXPECT_TRUE(child.WaitDone(10000));
    EXPECT_TRUE(ProcessReaped(pid)); // reaped by then, not only ended
    EXPECT_FALSE(child.Kill(SIGKILL));
}

TEST(BvCreateProcess, RunsLeaveNoDescriptorsOpen) {
    auto openDescriptors = [] {
        int count = 0;
        for (int fd = 0; fd < 4096; ++fd)
            if (fcntl(fd, F_GETFD) != -1)
                ++count;
        return count;
    };
    int before = openDescriptors();
    {
        TRunner r;
        for (int i = 0; i < 5; ++i) {
            r.Capture(i % 2 == 0);
            r.exitCode.reset();
            r.RunToEnd({Helper, "print", "line\\n"});
        }
        r.process.ConsoleOptions.clear();
        r.exitCode.reset();
        r.RunToEnd({Helper, "exit", "0"});
    }
    EXPECT_EQ(before, openDescriptors());
}
