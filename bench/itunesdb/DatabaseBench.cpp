// Building and reading back a database of n tracks, with 100 playlists of 100
// items each and without playlists; both should grow linearly with n. Each also
// reports the most the heap held above its start while one run went on.
#include "DatabaseInspector.h"
#include "DatabaseReader.h"
#include "Files.h"
#include "HeapPeak.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"
#include "iTunesDB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

TDatabaseSnapshot Library(int tracks, int playlists) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i);
        s.Tracks.push_back({"Исполнитель " + n, "Title " + n, "Album " + n,
                            "3:" + std::to_string(i % 60), std::to_string(3000000 + i),
                            "C:\\Music\\Artist\\Track " + n + ".mp3", "192", n});
    }
    for (int p = 0; p < playlists; ++p) {
        s.PlaylistNames.push_back("Playlist " + std::to_string(p));
        std::vector<std::string> entries;
        for (int j = 0; j < 100; ++j)
            entries.push_back(std::to_string((p * 100 + j * 7) % tracks));
        s.PlaylistEntries.push_back(std::move(entries));
    }
    return s;
}

void BM_BuildDatabase(benchmark::State& state) {
    const TDatabaseSnapshot s =
        Library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    size_t bytes = 0;
    double peak = 0;
    for (auto _ : state) {
        const int64_t start = HeapNow();
        ResetHeapPeak();
        const TLargeBuffer db = BuildDatabaseImage(s);
        peak = HeapPeakGrowthMB(start);
        bytes = db.Size();
        benchmark::DoNotOptimize(db.Data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["peak_heap_MB"] = peak;
}

// The image prepared and handed over piece by piece to a sink that keeps nothing: the
// writer's own work, without the whole file in memory.
void BM_WriteDatabaseImage(benchmark::State& state) {
    const TDatabaseSnapshot s =
        Library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    size_t bytes = 0;
    double peak = 0;
    for (auto _ : state) {
        const int64_t start = HeapNow();
        ResetHeapPeak();
        bytes = 0;
        WriteDatabaseImage(s, [&](std::string_view piece) {
            benchmark::DoNotOptimize(piece.data());
            bytes += piece.size();
        });
        peak = HeapPeakGrowthMB(start);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["peak_heap_MB"] = peak;
}

// The image saved as an update saves it: written piece by piece to a temporary file
// flushed to the disk and renamed over the one before, in a folder of its own.
void BM_SaveDatabase(benchmark::State& state) {
    const TDatabaseSnapshot s =
        Library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::string folder = CreateTempFolder("bv_save_bench");
    const std::string target = folder + "\\iTunesDB";
    double peak = 0;
    for (auto _ : state) {
        const int64_t start = HeapNow();
        ResetHeapPeak();
        const TDatabaseImageWriter image(s);
        ContainedReplaceFile(target,
                             [&image](const TImagePieceSink& write) { image.Write(write); });
        peak = HeapPeakGrowthMB(start);
    }
    state.counters["peak_heap_MB"] = peak;
    DeleteTree(folder);
}

void BM_ReadDatabase(benchmark::State& state) {
    const std::string db =
        BuildDatabase(Library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    TBvMultiStringHolder temp = MakeTempStringHolder();
    TPlaylistLists uids;
    TDatabaseReader reader;
    TReaderContext context;
    double peak = 0;
    for (auto _ : state) {
        const int64_t start = HeapNow();
        ResetHeapPeak();
        const TScanResult r = reader.Scan(db, temp, uids, context);
        peak = HeapPeakGrowthMB(start);
        benchmark::DoNotOptimize(r.Report.data());
    }
    state.counters["peak_heap_MB"] = peak;
}

// The card read: the database file read piece by piece and scanned without a report,
// into a fresh table each time, so the peak counts the rows as well as what the read
// holds of the file.
void BM_CardReadDatabase(benchmark::State& state) {
    const std::string db =
        BuildDatabase(Library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    char pattern[] = "/tmp/bvreadbenchXXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0 || ::write(fd, db.data(), db.size()) != static_cast<ssize_t>(db.size())) {
        state.SkipWithError("cannot write the database");
        return;
    }
    ::close(fd);
    TReaderContext context;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto temp = std::make_unique<TBvMultiStringHolder>(MakeTempStringHolder());
        auto uids = std::make_unique<TPlaylistLists>();
        state.ResumeTiming();
        const int64_t start = HeapNow();
        ResetHeapPeak();
        TDatabaseInspector inspector;
        const TScanResult r = inspector.Open(pattern, *temp, *uids, context, false);
        peak = std::max(peak, HeapPeakGrowthMB(start));
        benchmark::DoNotOptimize(r.Size);
        state.PauseTiming();
        if (temp->StringsByName("UID").Count() != state.range(0))
            state.SkipWithError("tracks lost");
        temp.reset();
        uids.reset();
        state.ResumeTiming();
    }
    ::unlink(pattern);
    state.counters["db_MB"] = static_cast<double>(db.size()) / (1024.0 * 1024.0);
    state.counters["peak_heap_MB"] = peak;
}

} // namespace

BENCHMARK(BM_BuildDatabase)
    ->ArgNames({"tracks", "playlists"})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDatabaseImage)
    ->ArgNames({"tracks", "playlists"})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDatabase)
    ->ArgNames({"tracks", "playlists"})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDatabase)
    ->ArgNames({"tracks", "playlists"})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardReadDatabase)
    ->ArgNames({"tracks", "playlists"})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Unit(benchmark::kMillisecond);
