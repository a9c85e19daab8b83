// Scans arbitrary bytes as a phone database: the scan must end, never read
// outside the bytes, and leave the track columns and key lists consistent; the
// card read's scan without a report must collect exactly the same.
#include "DatabaseReader.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TBvMultiStringHolder temp = MakeTempStringHolder();
    static TPlaylistLists uids;
    static TDatabaseReader reader;
    static TBvMultiStringHolder fastTemp = MakeTempStringHolder();
    static TPlaylistLists fastUids;
    TReaderContext context;
    context.PhoneDrive = 'E';
    context.IsInTrackList = [](const std::string& path) { return SameText(path, "E:\\known.mp3"); };
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TScanResult result = reader.Scan(bytes, temp, uids, context);
    const TScanResult fast = reader.Scan(bytes, fastTemp, fastUids, context, false);
    if (fast.Completed != result.Completed || fast.StopOffset != result.StopOffset ||
        fast.DamagedRecords != result.DamagedRecords || fast.DroppedItems != result.DroppedItems ||
        fast.RefusedLocations != result.RefusedLocations || !fast.Report.empty())
        std::abort();
    for (const char* c :
         {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID", "Playlists"})
        if (temp.StringsByName(c).Items() != fastTemp.StringsByName(c).Items())
            std::abort();
    for (int k = 0; k < MaxPlaylists; ++k)
        if (uids[static_cast<size_t>(k)].Items() != fastUids[static_cast<size_t>(k)].Items())
            std::abort();
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
