// What the benchmarks of the track manager and its window fill their tables from: one track
// row per number (997 artists, 101 albums, a folder per 500 tracks), a scratch folder removed
// at exit, and the eight media library files of a number of those rows.
#pragma once

#include "iTunesDB.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

struct TBenchFolder {
    TBenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bv-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Path = pattern;
    }
    ~TBenchFolder() { std::filesystem::remove_all(Path); }
    TBenchFolder(const TBenchFolder&) = delete;
    TBenchFolder& operator=(const TBenchFolder&) = delete;
    std::string Path;
};

inline TTrackRowSnapshot BenchTrackRow(int r) {
    const std::string n = std::to_string(r);
    return {"Artist " + std::to_string(r % 997),
            "Title " + n,
            "Album " + std::to_string(r % 101),
            std::to_string(r % 9) + ":" + std::to_string(r % 60),
            std::to_string(3000000 + r),
            "C:\\music\\cd" + std::to_string(r / 500) + "\\Track " + n + ".mp3",
            "128",
            n};
}

// "MediaDB.db0" to "MediaDB.db7" in the folder, holding rows 0 to rows - 1, one column a file
// in the library's order of columns.
inline void WriteBenchLibrary(const std::string& folder, int rows) {
    std::string TTrackRowSnapshot::*const columns[8] = {
        &TTrackRowSnapshot::Artist, &TTrackRowSnapshot::Title,   &TTrackRowSnapshot::Album,
        &TTrackRowSnapshot::Size,   &TTrackRowSnapshot::Time,    &TTrackRowSnapshot::BitRate,
        &TTrackRowSnapshot::UID,    &TTrackRowSnapshot::FileName};
    for (int column = 0; column < 8; ++column) {
        std::ofstream out(folder + "/MediaDB.db" + std::to_string(column), std::ios::binary);
        for (int r = 0; r < rows; ++r)
            out << BenchTrackRow(r).*columns[column] << "\r\n";
    }
}

// A folder of n copies of a small tagged MP3 named "Artist i - Song.mp3", 500 to a subfolder,
// made inside `under` once per size.
inline std::string BenchMusicFolder(const std::string& under, int n) {
    static std::map<std::pair<std::string, int>, std::string> made;
    if (auto it = made.find({under, n}); it != made.end())
        return it->second;
    const std::string folder = under + "/music" + std::to_string(n);
    const std::string fixture = std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3";
    // Files from the 10,000th on are links to the first: a folder of 100,000 takes the room
    // of 10,000, and every name is a file of its own to the program.
    constexpr int Copies = 10000;
    for (int i = 0; i < n; ++i) {
        const std::filesystem::path sub =
            std::filesystem::path(folder) / ("cd" + std::to_string(i / 500));
        std::filesystem::create_directories(sub);
        const std::filesystem::path file = sub / ("Artist " + std::to_string(i) + " - Song.mp3");
        if (i < Copies)
            std::filesystem::copy_file(fixture, file);
        else
            std::filesystem::create_hard_link(
                std::filesystem::path(folder) / "cd0" /
                    ("Artist " + std::to_string(i % 500) + " - Song.mp3"),
                file);
    }
    made[{under, n}] = folder;
    return folder;
}
