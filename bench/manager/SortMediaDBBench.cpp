// Sorting the media library by artist (text keys) and by size (a numeric key)
// for 1,000 to 100,000 rows; the sort should grow as n log n.
#include "Drives.h"
#include "TrackManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr TSortKeys ArtistKeys = {
    TTrackColumn::Artist, TTrackColumn::Title,    TTrackColumn::Album,   TTrackColumn::Time,
    TTrackColumn::Size,   TTrackColumn::FileName, TTrackColumn::BitRate, TTrackColumn::UID};
constexpr TSortKeys SizeKeys = {TTrackColumn::Size,    TTrackColumn::Artist, TTrackColumn::Title,
                                TTrackColumn::Album,   TTrackColumn::Time,   TTrackColumn::FileName,
                                TTrackColumn::BitRate, TTrackColumn::UID};

const char* const Words[] = {"Love",  "Night", "Blue",  "Road", "Fire",   "Rain",
                             "Heart", "Gold",  "River", "Song", "Dance",  "Light",
                             "Ocean", "Dream", "Stone", "Wild", "Summer", "Time"};

struct TLibrary {
    TLibrary() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bv-sort-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
    }
    ~TLibrary() { std::filesystem::remove_all(Folder); }
    std::string Folder;
};

TLibrary& Library() {
    static TLibrary library;
    return library;
}

// A library of n rows in a shuffled order, made the same way every time.
TPackedTable MakeLibrary(int n) {
    TPackedTable db;
    uint64_t seed = 88172645463325252ull;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    constexpr size_t words = std::size(Words);
    for (int r = 0; r < n; ++r) {
        const uint64_t v = next();
        const std::string artist = std::string(Words[v % words]) + " " + Words[(v >> 8) % words];
        const std::string title = std::string(Words[(v >> 16) % words]) + " " +
                                  Words[(v >> 24) % words] + " " + std::to_string(v % 97);
        db.StringsByName("Artist").Add(artist);
        db.StringsByName("Title").Add(title);
        db.StringsByName("Album").Add(std::string(Words[(v >> 32) % words]) + " Album");
        db.StringsByName("Time").Add(std::to_string((v >> 40) % 9) + ":" +
                                     std::to_string((v >> 44) % 60));
        db.StringsByName("Size").Add(std::to_string(1000000 + (v >> 20) % 9000000));
        db.StringsByName("FileName").Add("C:\\Music\\" + artist + "\\" + title + ".mp3");
        db.StringsByName("BitRate").Add("0");
        db.StringsByName("UID").Add(std::to_string(r));
    }
    return db;
}

void SortBench(benchmark::State& state, const TSortKeys& keys) {
    const int n = static_cast<int>(state.range(0));
    TScriptedManagerUi ui;
    const std::string folder = ToWindowsPath(Library().Folder) + "\\";
    TTrackManager manager(ui, {folder, folder});
    const TPackedTable unsorted = MakeLibrary(n);
    for (auto _ : state) {
        state.PauseTiming();
        manager.Model.MediaDB = unsorted;
        state.ResumeTiming();
        manager.SortMediaDB(keys);
        benchmark::DoNotOptimize(manager.Model.MediaDB.StringsByName("Artist").Count());
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_SortMediaDBByArtist(benchmark::State& state) {
    SortBench(state, ArtistKeys);
}

void BM_SortMediaDBBySize(benchmark::State& state) {
    SortBench(state, SizeKeys);
}

} // namespace

BENCHMARK(BM_SortMediaDBByArtist)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_SortMediaDBBySize)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
