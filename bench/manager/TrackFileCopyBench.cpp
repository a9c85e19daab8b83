// The block copy onto a card folder against a plain copy of the same files on the same
// disk: 20 tracks of 10 MB each.
#include "Drives.h"
#include "TrackFileCopy.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int TrackCount = 20;
constexpr size_t TrackBytes = 10u << 20;

struct TTracks {
    TTracks() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bv-copy-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        std::filesystem::create_directories(Folder + "/card");
        std::string bytes(TrackBytes, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 2654435761u >> 13);
        for (int t = 0; t < TrackCount; ++t) {
            std::string path = Folder + "/track" + std::to_string(t) + ".mp3";
            std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
            Sources.push_back(path);
        }
    }
    ~TTracks() { std::filesystem::remove_all(Folder); }
    std::string Folder;
    std::vector<std::string> Sources;
};

TTracks& Tracks() {
    static TTracks tracks;
    return tracks;
}

void BM_BlockCopyOntoCard(benchmark::State& state) {
    TTracks& tracks = Tracks();
    std::atomic<uint8_t> cancel{0};
    TFileCopyOptions options;
    int last = 0;
    options.Progress = [&last](int percent) { last = percent; };
    options.Cancel = &cancel;
    for (auto _ : state) {
        for (int t = 0; t < TrackCount; ++t)
            CopyConvertedFile(ToWindowsPath(tracks.Sources[t]),
                              ToWindowsPath(tracks.Folder + "/card/t" + std::to_string(t) + ".mp3"),
                              options);
    }
    benchmark::DoNotOptimize(last);
    state.SetBytesProcessed(state.iterations() * int64_t(TrackCount) * int64_t(TrackBytes));
}
BENCHMARK(BM_BlockCopyOntoCard)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlainCopy(benchmark::State& state) {
    TTracks& tracks = Tracks();
    for (auto _ : state) {
        for (int t = 0; t < TrackCount; ++t)
            std::filesystem::copy_file(tracks.Sources[t],
                                       tracks.Folder + "/card/p" + std::to_string(t) + ".mp3",
                                       std::filesystem::copy_options::overwrite_existing);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(TrackCount) * int64_t(TrackBytes));
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
