// The card commands through the main window: how long the event loop is ever blocked
// while 1,000 tracks are put on the card, the update through the window against the
// same update headless, and reading a card of 1,000 to 100,000 tracks and 100 playlists
// into the window, with the longest turn of the event loop.
#include "Dispatcher.h"
#include "Drives.h"
#include "Forms.h"
#include "LongestTurn.h"
#include "Main.h"
#include "NullUi.h"
#include "TrackManager.h"
#include "iTunesDB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;

void EnsureGui() {
    static const bool started = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        InitGui();
        return true;
    }();
    (void)started;
}

// A PC folder of n small music files and an empty card mapped as "E:".
class TCardSetup {
public:
    explicit TCardSetup(int pcFiles) {
        std::string pattern = (fs::temp_directory_path() / "bvwinbenchXXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(Card());
        fs::create_directories(root_ + "/pc");
        fs::create_directories(root_ + "/program");
        setenv("BRISVANE_DRIVES", ("E=" + Card() + ":removable").c_str(), 1);
        RefreshDriveTable();
        // One frame's worth of bytes behind an ID3v1 tag: a real file to copy, quick to read.
        const std::string body(48 * 1024, '\x55');
        for (int i = 0; i < pcFiles; ++i) {
            std::string tag(128, '\0');
            tag.replace(0, 3, "TAG");
            const std::string title = "Title " + std::to_string(i);
            tag.replace(3, title.size(), title);
            tag.replace(33, 6, "Artist");
            std::ofstream(PcFile(i), std::ios::binary) << body << tag;
        }
    }
    ~TCardSetup() {
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string Card() const { return root_ + "/card"; }
    std::string PcFile(int i) const { return root_ + "/pc/track" + std::to_string(i) + ".mp3"; }
    TManagerPaths Paths() const {
        const std::string program = ToWindowsPath(root_ + "/program") + "\\";
        return {program, program};
    }
    void ClearCard() const {
        std::error_code ignored;
        fs::remove_all(Card(), ignored);
        fs::create_directories(Card());
    }

private:
    std::string root_;
};

void AddTracks(TTrackManager& m, const TCardSetup& setup, int n) {
    m.btnResetProgClick();
    for (int i = 0; i < n; ++i)
        m.AddMp3ToTrackList(ToWindowsPath(setup.PcFile(i)));
    m.Model.UpdateAllMusic();
    m.RefreshTrackView();
}

// The command as its control runs it, through the window's first row of it.
void Run(TForm1& form, TCommand command) {
    TControlEventArgs args;
    form.RunHandler(*form.BindingsOf(command).front(), args);
}

TForm1* MakeWindow(const TCardSetup& setup) {
    EnsureGui();
    auto* form = new TForm1(Application, setup.Paths());
    form->AfterConstruction();
    form->Manager->OptionsFormCreate();
    form->SetBounds(0, 0, 1024, 700);
    form->Show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    return form;
}

void CloseWindow(TForm1* form) {
    form->Close();
    QApplication::processEvents();
    delete form;
    QApplication::processEvents();
}

// Runs the event loop until the manager's run has ended; returns the longest time between
// two ticks of a 10 ms timer on the GUI thread, in milliseconds.
double RunUntilIdle(TForm1& form) {
    TTrackManager& m = *form.Manager;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    QEventLoop loop;
    const auto windowSink = m.RunSink;
    m.RunSink = [&](TTrackManager::TRunKind run, bool running) {
        windowSink(run, running);
        if (!running)
            loop.quit();
    };
    if (m.IsBusy())
        loop.exec();
    m.RunSink = windowSink;
    QApplication::processEvents();
    longest = std::max(longest, clock.elapsed() - last);
    return static_cast<double>(longest);
}

// ---- The update through the window --------------------------------------------------

void BM_WindowUpdate1000(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    TCardSetup setup(tracks);
    TForm1* form = MakeWindow(setup);
    TTrackManager& m = *form->Manager;
    double worstGap = 0;
    std::map<std::string, double> worst;
    auto timed = [&](const char* name, auto f) {
        QElapsedTimer t;
        t.start();
        f();
        worst[name] = std::max(worst[name], static_cast<double>(t.nsecsElapsed()) / 1e6);
    };
    {
        auto view = m.ViewSink;
        m.ViewSink = [&, view](TViewId v) { timed("view", [&] { view(v); }); };
        auto progress = m.ProgressSink;
        m.ProgressSink = [&, progress](TProgressBarId b, int p, int x) {
            timed("progress", [&] { progress(b, p, x); });
        };
    }
    for (auto _ : state) {
        state.PauseTiming();
        setup.ClearCard();
        AddTracks(m, setup, tracks);
        state.ResumeTiming();
        // The click's handler, as the button runs it.
        Run(*form, TCommand::btnUpdateMobileClick);
        worstGap = std::max(worstGap, RunUntilIdle(*form));
        if (form->MemoLog->Lines()->Text().find("Mobile updated!") == std::string::npos)
            state.SkipWithError("the update did not end well");
        state.PauseTiming();
        form->MemoLog->Lines()->Clear();
        state.ResumeTiming();
    }
    state.counters["longest_event_loop_gap_ms"] = worstGap;
    for (const auto& [name, ms] : worst)
        state.counters["worst_" + name + "_ms"] = ms;
    CloseWindow(form);
}
BENCHMARK(BM_WindowUpdate1000)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// ---- The same update headless ------------------------------------------------------------

void BM_HeadlessUpdate1000(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    TCardSetup setup(tracks);
    TNullUi ui;
    TTrackManager m(ui, setup.Paths());
    m.Start();
    m.Model.PhoneDrive = 'E';
    bool updated = false;
    m.Log.SetSink([&](const std::string& line) {
        updated = updated || line.find("Mobile updated!") != std::string::npos;
    });
    for (auto _ : state) {
        state.PauseTiming();
        setup.ClearCard();
        AddTracks(m, setup, tracks);
        updated = false;
        state.ResumeTiming();
        m.btnUpdateMobileClick();
        while (m.IsBusy())
            CheckSynchronize(5);
        if (!updated)
            state.SkipWithError("the update did not end well");
    }
}
BENCHMARK(BM_HeadlessUpdate1000)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// ---- Reading a large card into the window --------------------------------------------------

void BM_WindowReadCard(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    TCardSetup setup(0);
    fs::create_directories(setup.Card() + "/mobile/audio");
    fs::create_directories(setup.Card() + "/iTunes/iTunes_Control/iTunes");
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i);
        const std::string file = "Track " + n + ".mp3";
        std::ofstream(setup.Card() + "/mobile/audio/" + file);
        s.Tracks.push_back({"Artist " + std::to_string(i % 997), "Title " + n,
                            "Album " + std::to_string(i % 101), "3:" + std::to_string(i % 60),
                            std::to_string(3000000 + i), "E:\\mobile\\audio\\" + file, "192", n});
    }
    s.PlaylistNames.push_back("All music");
    std::vector<std::string> all;
    for (int i = 0; i < tracks; ++i)
        all.push_back(std::to_string(i));
    s.PlaylistEntries.push_back(all);
    for (int p = 1; p < 100; ++p) {
        s.PlaylistNames.push_back("Playlist " + std::to_string(p));
        std::vector<std::string> entries;
        for (int j = 0; j < 100; ++j)
            entries.push_back(std::to_string((p * 100 + j * 7) % tracks));
        s.PlaylistEntries.push_back(std::move(entries));
    }
    std::ofstream(setup.Card() + "/iTunes/iTunes_Control/iTunes/iTunesDB", std::ios::binary)
        << BuildDatabase(s);
    TForm1* form = MakeWindow(setup);
    TTrackManager& m = *form->Manager;
    // The command's own turn and every turn after it until the run has ended and the window
    // shows every track: the longest of them, wall and GUI-thread processor time.
    TLongestTurn longest;
    for (auto _ : state) {
        LongestTurn(
            longest, [&] { Run(*form, TCommand::ReadiTuneDB1Click); },
            [&] { return !m.IsBusy() && form->BvPlaylist->Items()->Count() == tracks; });
        if (form->BvPlaylist->Items()->Count() != tracks ||
            form->ListBoxPlayLists->Items()->Count() != 100)
            state.SkipWithError("the card was not read whole");
    }
    Report(state, longest);
    state.SetComplexityN(tracks);
    CloseWindow(form);
}
BENCHMARK(BM_WindowReadCard)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
