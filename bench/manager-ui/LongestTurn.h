// The longest turn of the event loop while a command runs, for the benchmarks of the long
// commands through the window.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>

// The time of the longest single turn of the event loop, as the clock on the wall and as the
// GUI thread's own processor time (which a loaded machine does not stretch).
struct TLongestTurn {
    double WallMs = 0;
    double CpuMs = 0;
};

inline double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Times one turn, keeping the longest.
inline void TimeTurn(TLongestTurn& longest, const std::function<void()>& turn) {
    using Clock = std::chrono::steady_clock;
    const auto wall = Clock::now();
    const double cpu = ThreadCpuMs();
    turn();
    longest.WallMs = std::max(
        longest.WallMs, std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
    longest.CpuMs = std::max(longest.CpuMs, ThreadCpuMs() - cpu);
}

// The command's own turn, then every turn the loop takes until `done` has held for three
// turns in a row. A turn is one processEvents call: the paints, timers and posted calls that
// are due then.
inline void LongestTurn(TLongestTurn& longest, const std::function<void()>& command,
                        const std::function<bool()>& done) {
    TimeTurn(longest, command);
    for (int idle = 0; idle < 3;) {
        TimeTurn(longest, [] { QApplication::processEvents(); });
        idle = done() ? idle + 1 : 0;
    }
}

inline void Report(benchmark::State& state, const TLongestTurn& longest) {
    state.counters["longest_turn_ms"] = longest.WallMs;
    state.counters["longest_turn_cpu_ms"] = longest.CpuMs;
}
