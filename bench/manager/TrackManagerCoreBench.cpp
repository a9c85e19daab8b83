// Adding a folder of MP3 files to the track list, and loading and saving a large
// media library, at growing sizes so that the growth shows.
#include "TrackManager.h"

#include "Drives.h"
#include "NullUi.h"
#include "iTunesDB.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

// Every folder a benchmark makes, removed when the program ends.
class TTempFolders {
public:
    ~TTempFolders() {
        std::error_code ignored;
        for (const std::string& folder : folders_)
            fs::remove_all(folder, ignored);
    }
    std::string Make() {
        std::string pattern = (fs::temp_directory_path() / "bvbenchXXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw fs::filesystem_error("mkdtemp", pattern,
                                       std::error_code(errno, std::generic_category()));
        folders_.push_back(pattern);
        return pattern;
    }

private:
    std::vector<std::string> folders_;
};

std::string MakeTempFolder() {
    static TTempFolders folders;
    return folders.Make();
}

// A file as a music shop sells it: an ID3v2.3 tag with the texts and a 60 KB cover,
// a VBR header and 400 KB of 128 kbit/s frames, an ID3v1 trailer.
std::string ShopFile(int n) {
    auto frame = [](const std::string& id, const std::string& data) {
        const auto size = static_cast<uint32_t>(data.size());
        return id + std::string{char(size >> 24), char(size >> 16), char(size >> 8), char(size)} +
               std::string(2, '\0') + data;
    };
    std::string body =
        frame("TPE1", std::string(1, '\0') + "Artist " + std::to_string(n)) +
        frame("TIT2", std::string(1, '\0') + "Title " + std::to_string(n)) +
        frame("TALB", std::string(1, '\0') + "Album") +
        frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + std::string(60 * 1024, char(0xD8)));
    body.append(2048, '\0');
    const auto size = static_cast<uint32_t>(body.size());
    std::string file = std::string("ID3\x03\0\0", 6) +
                       std::string{char((size >> 21) & 0x7F), char((size >> 14) & 0x7F),
                                   char((size >> 7) & 0x7F), char(size & 0x7F)} +
                       body;
    const std::string header("\xFF\xFB\x90\x64", 4);
    const int frames = 400 * 1024 / 417;
    std::string first = header + std::string(413, '\0');
    const uint32_t counts[] = {3, uint32_t(frames), uint32_t(frames * 417)};
    first.replace(36, 4, "Xing");
    for (int k = 0; k < 3; ++k)
        for (int b = 0; b < 4; ++b)
            first[size_t(40 + 4 * k + b)] = char(counts[k] >> (24 - 8 * b));
    file += first;
    for (int i = 1; i < frames; ++i)
        file += header + std::string(413, char(0x55));
    return file + "TAG" + std::string(125, '\0');
}

// A folder of n music files under distinct names, made once per size and kind: copies
// of a small tagged fixture, or shop files with a cover.
std::string MusicFolder(int n, bool shopFiles) {
    static std::map<std::pair<int, bool>, std::string> made;
    if (auto it = made.find({n, shopFiles}); it != made.end())
        return it->second;
    const std::string folder = MakeTempFolder();
    const std::string fixture = std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3";
    for (int i = 0; i < n; ++i) {
        const fs::path sub = fs::path(folder) / ("cd" + std::to_string(i / 500));
        fs::create_directories(sub);
        const fs::path target = sub / ("Artist " + std::to_string(i) + " - Song.mp3");
        if (!shopFiles) {
            fs::copy_file(fixture, target);
            continue;
        }
        const std::string bytes = ShopFile(i);
        std::ofstream(target, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    made[{n, shopFiles}] = folder;
    return folder;
}

void AddFolder(benchmark::State& state, bool shopFiles) {
    const int n = static_cast<int>(state.range(0));
    const std::string folder = ToWindowsPath(MusicFolder(n, shopFiles));
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

void BM_AddFolder(benchmark::State& state) {
    AddFolder(state, false);
}

void BM_AddFolderOfShopFiles(benchmark::State& state) {
    AddFolder(state, true);
}
BENCHMARK(BM_AddFolderOfShopFiles)->Arg(1000)->Unit(benchmark::kMillisecond);

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
