// What the benchmarks of the track manager and its window fill their tables from: one track
// row per number (997 artists, 101 albums, a folder per 500 tracks), a scratch folder removed
// at exit, and the eight media library files of a number of those rows.
#pragma once

#include "iTunesDB.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
