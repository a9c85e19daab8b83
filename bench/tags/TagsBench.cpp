// Reads the tags and audio information of many MP3 files of a few MB each, as
// the track manager does when a folder is added. The files are generated into
// a temporary folder first; the reader should touch only the tag, the first
// frames and the last 128 bytes, so the time per file stays small whatever the size.
#include "BvID3v1.h"
#include "BvID3v2.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int FileCount = 1000;
constexpr size_t AudioBytes = 3 * 1024 * 1024;

std::string SyncSafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

std::string Frame(const std::string& id, const std::string& data) {
    return id + SyncSafe(uint32_t(data.size())) + std::string(2, '\0') + data;
}

// One file: an ID3v2.4 tag with texts and a 20 KB picture, 3 MB of 128 kbit/s
// frames, an ID3v1 trailer.
std::string MakeFile(int n) {
    std::string body =
        Frame("TPE1", "\x03"
                      "Artist " +
                          std::to_string(n)) +
        Frame("TIT2", "\x03"
                      "Title " +
                          std::to_string(n)) +
        Frame("TALB", "\x03"
                      "Album") +
        Frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + std::string(20000, 'j'));
    body.append(1024, '\0');
    std::string file = "ID3\x04" + std::string(2, '\0') + SyncSafe(uint32_t(body.size())) + body;
    const std::string header("\xFF\xFB\x90\x00", 4);
    std::string frame = header + std::string(413, '\x55');
    while (file.size() + frame.size() < AudioBytes)
        file += frame;
    std::string trailer = "TAG" + std::string(125, '\0');
    return file + trailer;
}

struct TFolder {
    std::filesystem::path dir;
    std::vector<std::string> names;
    TFolder() {
        char tmpl[] = "/tmp/bv_tags_bench_XXXXXX";
        dir = mkdtemp(tmpl);
        for (int i = 0; i < FileCount; ++i) {
            const auto path = dir / ("track" + std::to_string(i) + ".mp3");
            const std::string bytes = MakeFile(i);
            FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
            std::string windows = "C:" + path.string();
            for (char& c : windows)
                if (c == '/')
                    c = '\\';
            names.push_back(windows);
        }
    }
    ~TFolder() { std::filesystem::remove_all(dir); }
};

void BM_ReadTagsOfFiles(benchmark::State& state) {
    static TFolder folder;
    size_t checksum = 0;
    for (auto _ : state) {
        for (const std::string& name : folder.names) {
            TBvID3v2 tag;
            tag.SetFileName(name);
            tag.Open();
            const TStrings& artists = tag.Texts().LeadArtist();
            checksum += artists.Count() + tag.Texts().Title().size() +
                        size_t(tag.FileInfo().LengthSeconds) + size_t(tag.FileInfo().BitrateKbps);
            TBvID3v1 v1;
            v1.SetFileName(name);
            if (v1.HasTag()) {
                v1.Open();
                checksum += v1.SongName.size();
            }
        }
    }
    benchmark::DoNotOptimize(checksum);
    state.counters["files_per_second"] =
        benchmark::Counter(double(state.iterations()) * FileCount, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadTagsOfFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
