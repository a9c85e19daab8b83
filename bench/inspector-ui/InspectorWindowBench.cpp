// Opening a database in the inspector window, from the open command to the memo holding the
// whole report, at 1,000, 10,000 and 100,000 tracks (about 1, 10 and 100 megabytes). Beside
// the time: the longest turn of the window's event loop, as the clock on the wall and as the
// GUI thread's own processor time (which a loaded machine does not stretch), and the GUI
// thread's processor time for the whole open. Every iteration after the first opens the file
// over the report the memo already holds, as a person opening one database after another does.
#include "InspectorTestDatabase.h"
#include "Unit1.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

void EnsureGui() {
    static const bool started = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        InitGui();
        return true;
    }();
    (void)started;
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct TLongestTurn {
    double WallMs = 0;
    double CpuMs = 0;
    double TotalCpuMs = 0;
};

// The command's own turn, then every turn the loop takes until `done` holds.
void LongestTurn(TLongestTurn& longest, const std::function<void()>& command,
                 const std::function<bool()>& done) {
    using Clock = std::chrono::steady_clock;
    auto turn = [&](const std::function<void()>& f) {
        const auto wall = Clock::now();
        const double cpu = ThreadCpuMs();
        f();
        const double used = ThreadCpuMs() - cpu;
        longest.WallMs = std::max(
            longest.WallMs, std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
        longest.CpuMs = std::max(longest.CpuMs, used);
        longest.TotalCpuMs += used;
    };
    turn(command);
    for (int idle = 0; idle < 3;) {
        turn([] { QApplication::processEvents(); });
        idle = done() ? idle + 1 : 0;
        // While the worker reads, the loop has nothing to do: a short rest between turns
        // keeps the GUI thread's processor time to the window's own work.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void BM_OpenDatabaseInInspectorWindow(benchmark::State& state) {
    EnsureGui();
    const std::string db = InspectorTest::MakeDatabase(static_cast<int>(state.range(0)));
    char path[] = "/tmp/bvinspector-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    close(fd);
    std::ofstream(path, std::ios::binary) << db;
    auto* window = new TFormDecrypt(Application);
    window->AfterConstruction();
    window->Show();
    QApplication::processEvents();
    TLongestTurn longest;
    for (auto _ : state)
        LongestTurn(
            longest, [&] { window->OpenDatabase(path); }, [&] { return !window->Busy(); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(db.size()));
    state.counters["file_MB"] = static_cast<double>(db.size()) / 1e6;
    state.counters["report_lines"] = window->Memo1->Lines()->Count();
    state.counters["longest_turn_ms"] = longest.WallMs;
    state.counters["longest_turn_cpu_ms"] = longest.CpuMs;
    state.counters["gui_cpu_ms_per_open"] =
        longest.TotalCpuMs / static_cast<double>(state.iterations());
    delete window;
    QApplication::processEvents();
    std::remove(path);
}
BENCHMARK(BM_OpenDatabaseInInspectorWindow)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
