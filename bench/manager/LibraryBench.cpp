// The media library at scale: adding a folder of small MP3 files, and showing and
// searching a library of up to 100,000 rows (loading and saving it are measured
// with the other library file benchmarks). Each should grow linearly.
#include "Drives.h"
#include "TrackManager.h"
#include "TrackTableRows.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string SyncSafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

std::string TextFrame(const std::string& id, const std::string& text) {
    const std::string data = "\x03" + text;
    return id + SyncSafe(uint32_t(data.size())) + std::string(2, '\0') + data;
}

// A small MP3: an ID3v2.4 tag with artist, title and album, twelve 128 kbit/s
// frames and an ID3v1 trailer.
std::string MakeMp3(int n) {
    const std::string body = TextFrame("TPE1", "Artist " + std::to_string(n % 500)) +
                             TextFrame("TIT2", "Title " + std::to_string(n)) +
                             TextFrame("TALB", "Album " + std::to_string(n % 50));
    std::string file = "ID3\x04" + std::string(2, '\0') + SyncSafe(uint32_t(body.size())) + body;
    const std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\x55');
    for (int i = 0; i < 12; ++i)
        file += frame;
    return file + "TAG" + std::string(125, '\0');
}

class TTempFolder {
public:
    TTempFolder() {
        char tmpl[] = "/tmp/bv_library_bench_XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TTempFolder() { fs::remove_all(path_); }
    const std::string& Path() const { return path_; }
    std::string Windows() const { return ToWindowsPath(path_); }

private:
    std::string path_;
};

// A folder of n MP3 files in ten subfolders, made once per size.
const TTempFolder& Mp3Folder(int n) {
    static std::map<int, std::unique_ptr<TTempFolder>> folders;
    auto& folder = folders[n];
    if (!folder) {
        folder = std::make_unique<TTempFolder>();
        for (int i = 0; i < n; ++i) {
            const fs::path dir = fs::path(folder->Path()) / ("cd" + std::to_string(i % 10));
            fs::create_directories(dir);
            const std::string bytes = MakeMp3(i);
            FILE* f = std::fopen((dir / ("track" + std::to_string(i) + ".mp3")).c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    return *folder;
}

struct TManagerUnderTest {
    TTempFolder Data;
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui, {Data.Windows(), Data.Windows()}};
};

void FillLibrary(TTrackManager& m, int rows) {
    for (int i = 0; i < rows; ++i) {
        const std::string artist = "Artist " + std::to_string(i % 997);
        const std::string title = "Title number " + std::to_string(i);
        AppendTableRow(m.Model.MediaDB,
                       {artist, title, "Album " + std::to_string(i % 101),
                        std::to_string(2 + i % 5) + ":" + std::to_string(i % 60),
                        std::to_string(3000000 + i), "C:\\Music\\" + artist + "\\" + title + ".mp3",
                        "192", std::to_string(i)});
    }
}

void BM_AddFolderToMediaDB(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string folder = Mp3Folder(n).Windows();
    TManagerUnderTest t;
    for (auto _ : state) {
        state.PauseTiming();
        ClearTable(t.Manager.Model.MediaDB);
        t.Ui.FolderChoices.push_back({true, folder});
        state.ResumeTiming();
        t.Manager.Adddirectory1Click();
    }
    if (TableRowCount(t.Manager.Model.MediaDB) != n)
        state.SkipWithError("not every file was added");
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AddFolderToMediaDB)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_RefreshMediaDBList(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TManagerUnderTest t;
    FillLibrary(t.Manager, n);
    for (auto _ : state)
        t.Manager.RefreshMediaDBList();
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

// A search whose only match is the last line: the whole view is read.
void BM_SearchMediaDB(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TManagerUnderTest t;
    FillLibrary(t.Manager, n);
    t.Manager.RefreshMediaDBList();
    const std::string last = "TITLE NUMBER " + std::to_string(n - 1) + " ";
    for (auto _ : state) {
        t.Manager.EditSearchDBChange(last);
        benchmark::DoNotOptimize(t.Manager.MediaDBList.ItemIndex);
    }
    if (t.Manager.MediaDBList.ItemIndex != n - 1)
        state.SkipWithError("the last line was not found");
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

// "Next" from the first line with no further match: the rest of the view is read.
void BM_SearchNextMediaDB(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TManagerUnderTest t;
    FillLibrary(t.Manager, n);
    t.Manager.RefreshMediaDBList();
    t.Manager.EditSearchDBChange("title number 0 ");
    for (auto _ : state) {
        t.Manager.btnSearchClick();
        benchmark::DoNotOptimize(t.Manager.MediaDBList.ItemIndex);
    }
    if (t.Manager.MediaDBList.ItemIndex != 0)
        state.SkipWithError("the search moved");
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

#define BV_LIBRARY_SIZES(bench)                                                                    \
    BENCHMARK(bench)                                                                               \
        ->Arg(10000)                                                                               \
        ->Arg(30000)                                                                               \
        ->Arg(100000)                                                                              \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Complexity(benchmark::oN)

BV_LIBRARY_SIZES(BM_RefreshMediaDBList);
BV_LIBRARY_SIZES(BM_SearchMediaDB);
BV_LIBRARY_SIZES(BM_SearchNextMediaDB);

} // namespace
