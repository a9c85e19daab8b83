// Scans arbitrary bytes as a phone database: the scan must end, never read
// outside the bytes, and leave the track columns and key lists consistent.
#include "DatabaseReader.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TBvMultiStringHolder temp = MakeTempStringHolder();
    static TPlaylistLists uids;
    static TDatabaseReader reader;
    TReaderContext context;
    context.PhoneDrive = 'E';
    context.IsInTrackList = [](const std::string& path) { return SameText(path, "E:\\known.mp3"); };
    const TScanResult result = reader.Scan(
        std::string_view(reinterpret_cast<const char*>(data), size), temp, uids, context);
    const int rows = temp.StringsByName("UID").Count();
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate"})
        if (temp.StringsByName(c).Count() != rows || !IsValidUtf8(temp.StringsByName(c).Text()))
            std::abort();
    const int names = temp.StringsByName("Playlists").Count();
    if (names > MaxPlaylists || !IsValidUtf8(result.Report))
        std::abort();
    for (int k = names; k < MaxPlaylists; ++k)
        if (!uids[static_cast<size_t>(k)].Empty())
            std::abort();
    return 0;
}
