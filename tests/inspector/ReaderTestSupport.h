// Small helpers for the reader tests: hand-made records and a scan wrapper.
#pragma once

#include "DatabaseReader.h"

#include <gtest/gtest.h>

#include <string>

namespace ReaderTest {

inline void Put32(std::string& r, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        r[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

struct TScan {
    TBvMultiStringHolder Temp = MakeTempStringHolder();
    TPlaylistLists Uids;
    TReaderContext Context;
    TDatabaseReader Reader;
    TScanResult Result;

    TScan& Run(std::string_view db, bool withReport = true) {
        Result = Reader.Scan(db, Temp, Uids, Context, withReport);
        return *this;
    }
    const TStringList& Col(const char* name) const { return Temp.StringsByName(name); }
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        size_t start = 0;
        while (start < Result.Report.size()) {
            const size_t end = Result.Report.find("\r\n", start);
            out.push_back(Result.Report.substr(start, end - start));
            start = end + 2;
        }
        return out;
    }
};

// The card read scans without a report; it must collect exactly what the
// inspector's scan with the report collects.
inline void ExpectSameCollecting(const TScan& withReport, const TScan& without) {
    for (const char* c :
         {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID", "Playlists"})
        EXPECT_EQ(withReport.Col(c).Items(), without.Col(c).Items()) << c;
    for (int p = 0; p < MaxPlaylists; ++p)
        EXPECT_EQ(withReport.Uids[p].Items(), without.Uids[p].Items()) << p;
    const TScanResult &a = withReport.Result, &b = without.Result;
    EXPECT_EQ(a.Completed, b.Completed);
    EXPECT_EQ(a.StopOffset, b.StopOffset);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.DroppedItems, b.DroppedItems);
    EXPECT_EQ(a.DroppedPlaylists, b.DroppedPlaylists);
    EXPECT_EQ(a.RefusedLocations, b.RefusedLocations);
    EXPECT_EQ(a.FirstRefusedLocation, b.FirstRefusedLocation);
    EXPECT_EQ(a.DamagedRecords, b.DamagedRecords);
    EXPECT_TRUE(b.Report.empty());
}

// A UTF-16 string record (encoding byte 0), as other software writes them.
inline std::string Utf16StringRecord(uint32_t type, std::u16string_view text) {
    std::string r(40, '\0');
    r.replace(0, 4, "dohm");
    Put32(r, 4, 24);
    Put32(r, 8, 40 + 2 * text.size());
    Put32(r, 12, type);
    Put32(r, 24, 1);
    Put32(r, 28, 2 * text.size());
    for (char16_t c : text) {
        r += static_cast<char>(c & 0xFF);
        r += static_cast<char>(c >> 8);
    }
    return r;
}

} // namespace ReaderTest
