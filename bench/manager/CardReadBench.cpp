// Reading the card: the database read alone and the whole "Read iTunesDB"
// command, the card file scan against as many listed rows as files, and
// removing dead tracks. Each benchmark also reports the peak heap growth of one
// run (HeapPeak.h) and removes the folders it makes.
#include "DatabaseInspector.h"
#include "Dispatcher.h"
#include "Drives.h"
#include "HeapPeak.h"
#include "NullUi.h"
#include "TrackManager.h"
#include "iTunesDB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

// A temporary folder mapped as card "E:", removed with everything in it at the end.
class TCardFolder {
public:
    TCardFolder() {
        std::string pattern = (fs::temp_directory_path() / "bvcardbenchXXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(Card() + "/mobile/audio");
        fs::create_directories(Card() + "/iTunes/iTunes_Control/iTunes");
        fs::create_directories(root_ + "/program");
        setenv("BRISVANE_DRIVES", ("E=" + Card() + ":removable").c_str(), 1);
        RefreshDriveTable();
    }
    ~TCardFolder() {
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    TCardFolder(const TCardFolder&) = delete;
    TCardFolder& operator=(const TCardFolder&) = delete;

    std::string Card() const { return root_ + "/card"; }
    std::string ProgramFolder() const { return ToWindowsPath(root_ + "/program") + "\\"; }
    // n empty files "Track i.mp3" in \mobile\audio\, made on the card.
    void MakeTrackFiles(int n) const {
        for (int i = 0; i < n; ++i)
            std::ofstream(Card() + "/mobile/audio/" + TrackFile(i));
    }
    static std::string TrackFile(int i) { return "Track " + std::to_string(i) + ".mp3"; }
    static std::string CardPath(int i) { return "E:\\mobile\\audio\\" + TrackFile(i); }

private:
    std::string root_;
};

// n tracks on the card in 100 playlists: the master list with every track and
// 99 lists of 100 items.
TDatabaseSnapshot CardLibrary(int tracks) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i);
        s.Tracks.push_back({"Исполнитель " + std::to_string(i % 997), "Title " + n,
                            "Album " + std::to_string(i % 101), "3:" + std::to_string(i % 60),
                            std::to_string(3000000 + i), TCardFolder::CardPath(i), "192", n});
    }
    s.PlaylistNames.push_back("All music");
    std::vector<std::string> all;
    for (int i = 0; i < tracks; ++i)
        all.push_back(std::to_string(i));
    s.PlaylistEntries.push_back(std::move(all));
    for (int p = 1; p < 100; ++p) {
        s.PlaylistNames.push_back("Playlist " + std::to_string(p));
        std::vector<std::string> entries;
        for (int j = 0; j < 100; ++j)
            entries.push_back(std::to_string((p * 100 + j * 7) % tracks));
        s.PlaylistEntries.push_back(std::move(entries));
    }
    return s;
}

void WriteCardDatabase(const TCardFolder& card, int tracks) {
    std::ofstream(card.Card() + "/iTunes/iTunes_Control/iTunes/iTunesDB", std::ios::binary)
        << BuildDatabase(CardLibrary(tracks));
}

// A listed row for a card file.
TTrackRowSnapshot CardRow(std::string fileName, int uid) {
    return {"", "", "", "3:5", "0", std::move(fileName), "128", std::to_string(uid)};
}

std::unique_ptr<TTrackManager> MakeManager(TNullUi& ui, const TCardFolder& card) {
    auto m = std::make_unique<TTrackManager>(ui, TManagerPaths{card.ProgramFolder(), {}});
    m->Start();
    m->Model.PhoneDrive = 'E';
    return m;
}

// Reads the card's database as the card read does (no report) or as the
// inspector window does (with its report), into a fresh table each time, so the
// peaks count the rows read as well as what the read holds of the file.
void DatabaseRead(benchmark::State& state, bool withReport) {
    const int tracks = static_cast<int>(state.range(0));
    TCardFolder card;
    WriteCardDatabase(card, tracks);
    const std::string path = "E:\\iTunes\\iTunes_Control\\iTunes\\iTunesDB";
    TReaderContext context;
    context.PhoneDrive = 'E';
    double peak = 0, rssPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto temp = std::make_unique<TBvMultiStringHolder>(MakeTempStringHolder());
        auto uids = std::make_unique<TPlaylistLists>();
        ResetRssPeak();
        const double rssStart = RssNowMB();
        const int64_t start = HeapNow();
        ResetHeapPeak();
        state.ResumeTiming();
        TDatabaseInspector inspector;
        const TScanResult r = inspector.OpenPhoneDB(path, *temp, *uids, context, withReport);
        state.PauseTiming();
        peak = std::max(peak, HeapPeakGrowthMB(start));
        rssPeak = std::max(rssPeak, RssPeakMB() - rssStart);
        if (temp->StringsByName("UID").Count() != tracks)
            state.SkipWithError("tracks lost");
        benchmark::DoNotOptimize(r.Size);
        temp.reset();
        uids.reset();
        state.ResumeTiming();
    }
    state.counters["db_MB"] =
        static_cast<double>(fs::file_size(card.Card() + "/iTunes/iTunes_Control/iTunes/iTunesDB")) /
        (1024.0 * 1024.0);
    state.counters["peak_heap_MB"] = peak;
    state.counters["peak_rss_MB"] = rssPeak;
}

// The database read the card read starts with: the file into memory, the scan,
// the tracks and playlists collected.
void BM_CardDatabaseRead(benchmark::State& state) {
    DatabaseRead(state, false);
}
BENCHMARK(BM_CardDatabaseRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same with the report the inspector window shows.
void BM_InspectorReport(benchmark::State& state) {
    DatabaseRead(state, true);
}
BENCHMARK(BM_InspectorReport)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The card commands run on a worker; the command's time is until its results are in.
void RunToEnd(TTrackManager& m) {
    while (m.IsBusy())
        CheckSynchronize(1);
}

// The whole "Read iTunesDB" command with every file present: reset, read,
// playlists, dead-file check and the track view.
void BM_ReadiTunesDB(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    TCardFolder card;
    WriteCardDatabase(card, tracks);
    card.MakeTrackFiles(tracks);
    TNullUi ui;
    auto m = MakeManager(ui, card);
    double peak = 0, rssPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        m->btnResetProgClick(); // the previous read's rows are not counted
        ResetRssPeak();
        const double rssStart = RssNowMB();
        state.ResumeTiming();
        const int64_t start = HeapNow();
        ResetHeapPeak();
        m->ReadiTuneDB1Click();
        RunToEnd(*m);
        // The most of all runs: the first starts from the idle program.
        peak = std::max(peak, HeapPeakGrowthMB(start));
        rssPeak = std::max(rssPeak, RssPeakMB() - rssStart);
        if (m->Model.TrackCount() != tracks)
            state.SkipWithError("tracks lost");
    }
    state.counters["db_MB"] =
        static_cast<double>(fs::file_size(card.Card() + "/iTunes/iTunes_Control/iTunes/iTunesDB")) /
        (1024.0 * 1024.0);
    state.counters["peak_heap_MB"] = peak;
    state.counters["peak_rss_MB"] = rssPeak;
}
BENCHMARK(BM_ReadiTunesDB)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The card file scan when every file found is already listed: the lookups alone.
void BM_CardFileScan(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    TCardFolder card;
    card.MakeTrackFiles(files);
    TNullUi ui;
    auto m = MakeManager(ui, card);
    // Half of them listed in another letter case, as other software may write them.
    for (int i = 0; i < files; ++i)
        m->Model.AppendTrack(
            CardRow(i % 2 ? TCardFolder::CardPath(i) : UpperCase(TCardFolder::CardPath(i)), i));
    for (auto _ : state) {
        m->btnScanMobileClick();
        RunToEnd(*m);
        if (m->Model.TrackCount() != files)
            state.SkipWithError("a listed file was added again");
    }
    state.SetComplexityN(files);
}
BENCHMARK(BM_CardFileScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// "Check for dead files" on a track list whose dead rows lie among living ones in
// one card folder and stand in a master playlist and 99 playlists of 100 entries.
void BM_RemoveDeadTracks(benchmark::State& state) {
    const int dead = static_cast<int>(state.range(0));
    const int living = dead / 10;
    TCardFolder card;
    card.MakeTrackFiles(living);
    TNullUi ui;
    auto m = MakeManager(ui, card);
    const int rows = dead + living;
    for (auto _ : state) {
        state.PauseTiming();
        m->btnResetProgClick();
        for (int i = 0; i < rows; ++i) {
            // Every eleventh row lives: file i / 11 of the folder.
            std::string file = "E:\\mobile\\audio\\Gone ";
            file.append(std::to_string(i)).append(".mp3");
            m->Model.AppendTrack(CardRow(i % 11 ? file : TCardFolder::CardPath(i / 11), i));
            m->Model.PlaylistTracks[0].Add(std::to_string(i));
        }
        for (size_t p = 1; p < 100; ++p)
            for (int j = 0; j < 100; ++j)
                m->Model.PlaylistTracks[p].Add(std::to_string((p * 100 + j * 7) % rows));
        const int64_t start = HeapNow();
        ResetHeapPeak();
        state.ResumeTiming();
        m->Checkforbadfiles1Click();
        RunToEnd(*m);
        state.PauseTiming();
        state.counters["peak_heap_MB"] = HeapPeakGrowthMB(start);
        if (m->Model.TrackCount() != (rows + 10) / 11)
            state.SkipWithError("wrong rows removed");
        state.ResumeTiming();
    }
    state.SetComplexityN(dead);
}
BENCHMARK(BM_RemoveDeadTracks)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
