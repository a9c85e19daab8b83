// Opening a database in the inspector window, from "Open DB" to the memo holding the whole
// report, at about one and ten megabytes; with the longest time the window went without
// answering (one turn of its event loop) beside it.
#include "InspectorTestDatabase.h"
#include "Unit1.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
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
    double longestTurnMs = 0;
    for (auto _ : state) {
        window->OpenDatabase(path);
        while (window->Busy()) {
            const auto start = std::chrono::steady_clock::now();
            QApplication::processEvents();
            Application->ProcessMessages();
            const std::chrono::duration<double, std::milli> turn =
                std::chrono::steady_clock::now() - start;
            longestTurnMs = std::max(longestTurnMs, turn.count());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(db.size()));
    state.counters["file_MB"] = static_cast<double>(db.size()) / 1e6;
    state.counters["report_lines"] = window->Memo1->Lines()->Count();
    state.counters["longest_turn_ms"] = longestTurnMs;
    delete window;
    QApplication::processEvents();
    std::remove(path);
}
BENCHMARK(BM_OpenDatabaseInInspectorWindow)
    ->Arg(1200)
    ->Arg(12000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
