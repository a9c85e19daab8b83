#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <set>

namespace {

uint32_t U32(const std::string& r, size_t at) {
    return (uint32_t(uint8_t(r.at(at))) << 24) | (uint32_t(uint8_t(r.at(at + 1))) << 16) |
           (uint32_t(uint8_t(r.at(at + 2))) << 8) | uint32_t(uint8_t(r.at(at + 3)));
}

// Every byte not listed in `fields` (offset, width, value) must be zero.
struct TField {
    size_t Offset, Width;
    uint32_t Value;
};

void ExpectLayout(const std::string& r, std::string_view tag, size_t length,
                  std::initializer_list<TField> fields) {
    ASSERT_EQ(length, r.size()) << tag;
    EXPECT_EQ(tag, r.substr(0, 4));
    std::vector<bool> named(r.size(), false);
    for (size_t i = 0; i < 4; ++i)
        named[i] = true;
    for (const auto& f : fields) {
        uint32_t v = 0;
        for (size_t i = 0; i < f.Width; ++i) {
            v = (v << 8) | uint8_t(r.at(f.Offset + i));
            named[f.Offset + i] = true;
        }
        EXPECT_EQ(f.Value, v) << tag << " at " << f.Offset;
    }
    for (size_t i = 0; i < r.size(); ++i) {
        if (!named[i]) {
            EXPECT_EQ(0, r[i]) << tag << " byte " << i << " should be zero";
        }
    }
}

} // namespace

TEST(iTunesDBBytes, BigEndianAndZeros) {
    EXPECT_EQ(std::string("\0\0\0\1", 4), IntToBytesBE(1));
    EXPECT_EQ(std::string("\2\0\0\0", 4), IntToBytesBE(0x02000000));
    EXPECT_EQ("\xFF\xFF\xFF\xFF", IntToBytesBE(-1));
    EXPECT_EQ(0x78563412u, SwapBytes32(0x12345678));
    EXPECT_EQ("", ZeroBytes(0));
    EXPECT_EQ("", ZeroBytes(-5));
    EXPECT_EQ(std::string(3, '\0'), ZeroBytes(3));
}

TEST(iTunesDBRecords, FixedLayouts) {
    std::string header = BuildDbHeaderRecord(123456);
    ExpectLayout(header, "dbhm", 104,
                 {{4, 4, 104},
                  {8, 4, 123456},
                  {12, 4, 1},
                  {16, 4, 13},
                  {20, 4, 3},
                  {24, 4, 0x5772656E},
                  {28, 4, 0x686F6C64},
                  {32, 1, 2}});
    EXPECT_EQ("Wrenhold", header.substr(24, 8));
    ExpectLayout(BuildDataSetRecord(5000, 3), "dshm", 96, {{4, 4, 96}, {8, 4, 5000}, {12, 4, 3}});
    ExpectLayout(BuildTrackListRecord(7), "tlhm", 92, {{4, 4, 92}, {8, 4, 7}});
    ExpectLayout(BuildPlaylistListRecord(101), "plhm", 92, {{4, 4, 92}, {8, 4, 101}});
    ExpectLayout(BuildPositionRecord(1), "dohm", 44,
                 {{4, 4, 24}, {8, 4, 44}, {12, 4, 100}, {24, 4, 1}});
}

TEST(iTunesDBRecords, TrackRecord) {
    const std::string r =
        BuildTrackRecord(500, 5, 92, 3000000, 185000, 2005, 192, 44100, 143, 0x000C0000);
    ExpectLayout(r, "tihm", 244, {{4, 4, 244},          {8, 4, 500},          {12, 4, 5},
                                  {16, 4, 92},          {20, 4, 1},           {28, 1, 0},
                                  {29, 1, 1},           {32, 4, 0xBFA6B7CE},  {36, 4, 3000000},
                                  {40, 4, 185000},      {52, 4, 2005},        {56, 4, 192},
                                  {60, 1, 0xAC},        {61, 1, 0x44},        {104, 4, 0xBFA6B7CE},
                                  {112, 4, 0xA0D816A5}, {116, 4, 143},        {124, 4, 0x0000FFFF},
                                  {144, 4, 0x000C0000}, {164, 4, 0x02000000}, {168, 4, 0xA0D816A5},
                                  {172, 4, 143}});
    // Only the low 16 bits of the sample rate fit.
    const std::string wide = BuildTrackRecord(244, 0, 1, 0, 0, 0, 0, 0x12345, 0, 0x00330001);
    EXPECT_EQ(0x2345u, U32(wide, 58) & 0xFFFF);
    EXPECT_EQ(0x00330001u, U32(wide, 144));
}

TEST(iTunesDBRecords, StringRecordLengthsCountUtf8Bytes) {
    struct TCase {
        int32_t Type;
        std::string Text, Stored;
    } cases[] = {
        {1, "Café", "Café"},        // 5 bytes, total 45
        {4, "Кино", "Кино"},        // Cyrillic, 8 bytes
        {3, "東京", "東京"},        // CJK, 6 bytes
        {2, "E:\\a.mp3", ":a.mp3"}, // the drive goes, backslashes become colons
        {2, "E:\\mobile\\audio\\a.mp3", ":mobile:audio:a.mp3"},
        {2, "E", ""}, // shorter than the drive part
        {2, "", ""},
        {5, "Other", "Other"},
        {1, "a\\b", "a\\b"}, // only locations are rewritten
    };
    for (const auto& c : cases) {
        const std::string r = BuildStringRecord(c.Type, c.Text);
        const size_t n = c.Stored.size();
        ExpectLayout(r.substr(0, 40), "dohm", 40,
                     {{4, 4, 24},
                      {8, 4, uint32_t(40 + n)},
                      {12, 4, uint32_t(c.Type)},
                      {24, 4, 2},
                      {28, 4, uint32_t(n)},
                      {32, 1, 1}});
        EXPECT_EQ(c.Stored, r.substr(40)) << c.Text;
    }
    EXPECT_EQ(45u, BuildStringRecord(1, "Café").size());
}

TEST(iTunesDBRecords, PlaylistFixedBlock) {
    const std::string b = BuildPlaylistFixedRecords();
    ASSERT_EQ(1048u, b.size());
    EXPECT_EQ(b, BuildPlaylistFixedRecords());
    ExpectLayout(b.substr(0, 648), "dohm", 648,
                 {{4, 4, 24},
                  {8, 4, 648},
                  {12, 4, 100},
                  {40, 4, 0x00840001},
                  {44, 4, 1},
                  {48, 4, 9},
                  {56, 4, 0x00010023},
                  {72, 4, 0x000200C8},
                  {88, 4, 0x000D003B},
                  {104, 4, 0x0004007D},
                  {120, 4, 0x0003007D},
                  {136, 4, 0x00080050},
                  {152, 4, 0x0017004F},
                  {156, 4, 0x01000000},
                  {168, 4, 0x00140050},
                  {172, 4, 0x01000000},
                  {184, 4, 0x0015007D},
                  {188, 4, 0x01000000}});
    const uint32_t keys[] = {0x03000000, 0x05000000, 0x04000000, 0x07000000, 0x12000000};
    for (int i = 0; i < 5; ++i)
        ExpectLayout(b.substr(648 + 80 * i, 80), "dohm", 80,
                     {{4, 4, 24},
                      {8, 4, 80},
                      {12, 4, 52},
                      {24, 4, keys[i]},
                      {28, 4, 0x02000000},
                      {72, 4, 0x01000000}});
}

TEST(iTunesDBRecords, PlaylistRecordWritesTheCountTwice) {
    ExpectLayout(BuildPlaylistRecord(2000, 300, 0), "pyhm", 108,
                 {{4, 4, 108},
                  {8, 4, 2000},
                  {12, 4, 7},
                  {16, 4, 0x12C},
                  {20, 1, 0},
                  {40, 2, 0x12C},
                  {44, 4, 1}});
    // The 16-bit copy keeps the low half; the master byte its low byte.
    ExpectLayout(BuildPlaylistRecord(108, 0x10005, 0x101), "pyhm", 108,
                 {{4, 4, 108},
                  {8, 4, 108},
                  {12, 4, 7},
                  {16, 4, 0x10005},
                  {20, 1, 1},
                  {40, 2, 5},
                  {44, 4, 1}});
}

TEST(iTunesDBRecords, PlaylistItemRandomBytesNever255) {
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        const std::string r = BuildPlaylistItemRecord(266);
        const int a = uint8_t(r[22]), b = uint8_t(r[23]);
        ASSERT_NE(255, a);
        ASSERT_NE(255, b);
        seen.insert(a);
        seen.insert(b);
        if (i == 0) {
            std::string fixed = r;
            fixed[22] = fixed[23] = 0;
            ExpectLayout(fixed, "pihm", 76,
                         {{4, 4, 76}, {8, 4, 120}, {12, 4, 1}, {24, 4, 266}, {28, 4, 0xBFA7EAE1}});
        }
    }
    // The full range 0..254 is drawn, not a narrow band.
    EXPECT_GT(seen.size(), 250u);
    EXPECT_TRUE(seen.count(0) && seen.count(254));
}
