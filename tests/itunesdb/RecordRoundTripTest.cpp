// Each record kind built and parsed back gives the fields it was built from; the
// same bytes cut short by one, or carrying another record's tag, parse to nothing.
// Written in place, each record sets all of its bytes.
#include "DataSetRecord.h"
#include "DbHeaderRecord.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "StringRecord.h"
#include "TrackRecord.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Parsing the record whole works; its truncated twin (one byte short) and a
// copy with a foreign tag do not.
template <typename TParse> auto ParseWithTwins(const std::string& bytes, TParse parse) {
    EXPECT_FALSE(parse(std::string_view(bytes).substr(0, bytes.size() - 1)))
        << "truncated " << bytes.substr(0, 4);
    std::string foreign = bytes;
    foreign.replace(0, 4, "xxhm");
    EXPECT_FALSE(parse(foreign)) << "foreign tag " << bytes.substr(0, 4);
    EXPECT_FALSE(parse(std::string_view())) << "empty " << bytes.substr(0, 4);
    return parse(bytes);
}

} // namespace

TEST(RecordRoundTrip, DbHeader) {
    const auto f = ParseWithTwins(TDbHeaderRecord::Build(123456), TDbHeaderRecord::Parse);
    ASSERT_TRUE(f);
    EXPECT_EQ(123456, f->TotalLength);
    EXPECT_EQ(TDbHeaderRecord::Version, f->Version);
    EXPECT_EQ(TDbHeaderRecord::DataSetCount, f->DataSetCount);
    EXPECT_EQ(TDbHeaderRecord::Id, f->Id);
}

TEST(RecordRoundTrip, DataSetAndLists) {
    for (int32_t type :
         {TDataSetRecord::dsTracks, TDataSetRecord::dsPlaylists, TDataSetRecord::dsPodcasts}) {
        const auto f = ParseWithTwins(TDataSetRecord::Build(5000, type), TDataSetRecord::Parse);
        ASSERT_TRUE(f);
        EXPECT_EQ(5000, f->TotalLength);
        EXPECT_EQ(type, f->Type);
    }
    for (std::string_view tag : {TListRecord::TrackListTag, TListRecord::PlaylistListTag}) {
        const auto f = ParseWithTwins(TListRecord::Build(tag, 101), TListRecord::Parse);
        ASSERT_TRUE(f);
        EXPECT_EQ(tag, f->Tag);
        EXPECT_EQ(101, f->Count);
    }
}

TEST(RecordRoundTrip, Track) {
    TTrackRecord::TFields cases[2];
    cases[0] = {500, 5, 92, 3000000, 185000, 2005, 192, 44100, 143, TTrackRecord::Mp3TypeCode};
    // The largest size the unsigned field holds, and negative numbers as their bits.
    cases[1] = {-1, 0, -2, 0xFFFFFFFFu, 0, 0, 0, 0xFFFF, -3, TTrackRecord::OtherTypeCode};
    for (const TTrackRecord::TFields& in : cases) {
        const auto out = ParseWithTwins(TTrackRecord::Build(in), TTrackRecord::Parse);
        ASSERT_TRUE(out);
        EXPECT_EQ(in, *out);
    }
    // Only the low 16 bits of the sample rate are kept.
    TTrackRecord::TFields wide = cases[0];
    wide.SampleRate = 0x1AC44;
    EXPECT_EQ(44100, TTrackRecord::Parse(TTrackRecord::Build(wide))->SampleRate);
}

TEST(RecordRoundTrip, StringRecords) {
    const std::pair<int32_t, std::string> cases[] = {
        {TStringRecord::stTitle, "Café"},
        {TStringRecord::stArtist, ""},
        {TStringRecord::stAlbum, "日本語"},
        {TStringRecord::stGenre, "Other"},
        {TStringRecord::stLocation, "E:\\mobile\\audio\\a.mp3"},
    };
    for (const auto& [type, text] : cases) {
        const auto f = ParseWithTwins(TStringRecord::Build(type, text), TStringRecord::Parse);
        ASSERT_TRUE(f) << text;
        EXPECT_EQ(type, f->Type);
        EXPECT_EQ(type == TStringRecord::stLocation ? TStringRecord::LocationText(text) : text,
                  f->Text);
    }
    // A text length past the bytes that follow is refused, not read beyond them.
    std::string lying = TStringRecord::Build(TStringRecord::stTitle, "abc");
    lying[TStringRecord::Field::TextLength + 3] = 100;
    EXPECT_FALSE(TStringRecord::Parse(lying));
}

TEST(RecordRoundTrip, PlaylistRecords) {
    for (int32_t count : {0, 1, 300, 70000}) {
        const auto f =
            ParseWithTwins(TPlaylistRecord::Build(9999, count, 1), TPlaylistRecord::Parse);
        ASSERT_TRUE(f);
        EXPECT_EQ((TPlaylistRecord::TFields{9999, count, 1}), *f);
    }
    for (int32_t id : {92, 0, -1}) {
        const auto parsed =
            ParseWithTwins(TPlaylistItemRecord::Build(id), TPlaylistItemRecord::Parse);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(id, *parsed);
    }
    for (int32_t position : {1, 65536}) {
        const auto parsed =
            ParseWithTwins(TPositionRecord::Build(position), TPositionRecord::Parse);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(position, *parsed);
    }
    // Title, artist, album, genre and composer, by their first byte.
    const auto keys =
        ParseWithTwins(TPlaylistFixedRecords::Build(), TPlaylistFixedRecords::ParseSortKeys);
    ASSERT_TRUE(keys);
    EXPECT_EQ(std::string("\x03\x05\x04\x07\x12"), *keys);
}

// An update's image is written into memory that is not cleared first: every record
// writer must set each of its bytes, so written over leftover bytes it comes out the
// same as built on its own into zeros.
TEST(RecordWrite, SetsEveryByteOverLeftovers) {
    TTrackRecord::TFields track;
    track.TotalLength = 400;
    track.StringCount = 3;
    track.TrackId = 92;
    track.Size = 0xFFFFFFFFu;
    track.TimeMs = 185000;
    track.Year = 2005;
    track.BitRate = 320;
    track.SampleRate = 44100;
    track.DbId = 143;
    track.TypeCode = TTrackRecord::Mp3TypeCode;
    const uint8_t random[2] = {7, 254};
    struct TCase {
        const char* Name;
        size_t Length;
        std::function<void(char*)> Write;
    } cases[] = {
        {"header", TDbHeaderRecord::Length, [](char* r) { TDbHeaderRecord::Write(r, 5000); }},
        {"data set", TDataSetRecord::Length,
         [](char* r) { TDataSetRecord::Write(r, 700, TDataSetRecord::dsPlaylists); }},
        {"track list", TListRecord::Length,
         [](char* r) { TListRecord::Write(r, TListRecord::TrackListTag, 3); }},
        {"playlist list", TListRecord::Length,
         [](char* r) { TListRecord::Write(r, TListRecord::PlaylistListTag, 2); }},
        {"track", TTrackRecord::Length, [&](char* r) { TTrackRecord::Write(r, track); }},
        {"title", TStringRecord::FixedLength + 5,
         [](char* r) {
             TStringRecord::Write(r, TStringRecord::stTitle, {"Tit", "le"});
         }},
        {"location", TStringRecord::FixedLength + 8,
         [](char* r) {
             TStringRecord::Write(r, TStringRecord::stLocation, {"\\a\\", "b.mp3"});
         }},
        {"playlist", TPlaylistRecord::Length,
         [](char* r) { TPlaylistRecord::Write(r, 9999, 70000, 1); }},
        {"item", TPlaylistItemRecord::Length,
         [&](char* r) { TPlaylistItemRecord::Write(r, 93, random); }},
        {"position", TPositionRecord::Length, [](char* r) { TPositionRecord::Write(r, 65536); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string zeros(c.Length, '\0');
        std::string leftovers(c.Length, '\xAA');
        c.Write(zeros.data());
        c.Write(leftovers.data());
        EXPECT_EQ(zeros, leftovers);
    }
}
