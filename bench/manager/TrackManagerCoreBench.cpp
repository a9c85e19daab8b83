// Adding a folder of MP3 files to the track list, and loading and saving a large
// media library, at growing sizes so that the growth shows.
#include "TrackManager.h"

#include "Drives.h"
#include "iTunesDB.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

class TNullUi : public TManagerUi {
public:
    void ShowMessage(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    TQuestionResult AskYesNoCancel(const std::string&) override { return TQuestionResult::Cancel; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool OpenFiles(const std::string&, std::vector<std::string>&) override { return false; }
    bool SelectFolder(std::string&) override { return false; }
    bool ShowOptionsDialog() override { return false; }
    void Beep() override {}
};

std::string MakeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "bvbenchXXXXXX").string();
    return mkdtemp(pattern.data());
}

// A folder of n copies of one tagged fixture under distinct names, made once per size.
std::string MusicFolder(int n) {
    static std::map<int, std::string> made;
    if (auto it = made.find(n); it != made.end())
        return it->second;
    const std::string folder = MakeTempFolder();
    const std::string fixture = std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3";
    for (int i = 0; i < n; ++i) {
        const fs::path sub = fs::path(folder) / ("cd" + std::to_string(i / 500));
        fs::create_directories(sub);
        fs::copy_file(fixture, sub / ("Artist " + std::to_string(i) + " - Song.mp3"));
    }
    made[n] = folder;
    return folder;
}

void BM_AddFolder(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string folder = ToWindowsPath(MusicFolder(n));
    const std::string program = ToWindowsPath(MakeTempFolder()) + "\\";
    for (auto _ : state) {
        TNullUi ui;
        TTrackManager m(ui, {program, program});
        m.ListBoxPlayLists.Items.Add("All music");
        m.ListBoxPlayLists.ItemIndex = 0;
        TStringList files;
        FindMusicFilesRecursive(folder, files);
        m.AddFilesToTrackList(files.Items(), true);
        if (m.Model.TrackCount() != n)
            state.SkipWithError("not every file was added");
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_AddFolder)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void FillLibrary(TTrackManager& m, int rows) {
    const char* const columns[] = {"Artist", "Title",    "Album",   "Time",
                                   "Size",   "FileName", "BitRate", "UID"};
    for (int r = 0; r < rows; ++r) {
        const std::string n = std::to_string(r);
        const std::string values[] = {"Artist " + std::to_string(r % 997),
                                      "Title " + n,
                                      "Album " + std::to_string(r % 101),
                                      std::to_string(r % 9) + ":" + std::to_string(r % 60),
                                      std::to_string(3000000 + r),
                                      "C:\\music\\cd" + std::to_string(r / 500) + "\\Track " + n +
                                          ".mp3",
                                      "128",
                                      n};
        for (int c = 0; c < 8; ++c)
            m.Model.MediaDB.StringsByName(columns[c]).Add(values[c]);
    }
}

void BM_SaveLibrary(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string folder = ToWindowsPath(MakeTempFolder()) + "\\";
    TNullUi ui;
    TTrackManager m(ui, {folder, folder});
    FillLibrary(m, rows);
    for (auto _ : state)
        m.SaveMediaDB();
    state.SetComplexityN(rows);
}
BENCHMARK(BM_SaveLibrary)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_LoadLibrary(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string folder = ToWindowsPath(MakeTempFolder()) + "\\";
    TNullUi ui;
    {
        TTrackManager m(ui, {folder, folder});
        FillLibrary(m, rows);
        m.SaveMediaDB();
    }
    for (auto _ : state) {
        TTrackManager m(ui, {folder, folder});
        m.LoadMediaDB();
        if (m.Model.MediaDB.StringsByName("UID").Count() != rows)
            state.SkipWithError("rows lost");
    }
    state.SetComplexityN(rows);
}
BENCHMARK(BM_LoadLibrary)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
