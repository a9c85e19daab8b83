#include "DatabaseChecker.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

namespace {

uint32_t U32(std::string_view r, size_t at) {
    return (uint32_t(uint8_t(r.at(at))) << 24) | (uint32_t(uint8_t(r.at(at + 1))) << 16) |
           (uint32_t(uint8_t(r.at(at + 2))) << 8) | uint32_t(uint8_t(r.at(at + 3)));
}

TTrackRowSnapshot Row(std::string fileName, std::string time = "3:5", std::string album = "Album") {
    return {"Artist", "Title", std::move(album), std::move(time), "1000", std::move(fileName),
            "128",    "7"};
}

// Offsets of every record with this tag, as the length walk found them.
std::vector<size_t> Find(const DatabaseChecker::TResult& r, std::string_view tag) {
    std::vector<size_t> out;
    for (const auto& rec : r.Records)
        if (rec.Tag == tag)
            out.push_back(rec.Offset);
    return out;
}

// The text of the string record of this type that follows the track at `track`.
std::string TrackString(std::string_view db, size_t track, uint32_t type) {
    size_t p = track + 244;
    for (uint32_t i = 0; i < U32(db, track + 12); ++i) {
        if (U32(db, p + 12) == type)
            return std::string(db.substr(p + 40, U32(db, p + 28)));
        p += U32(db, p + 8);
    }
    return "<none>";
}

} // namespace

TEST(BuildDatabase, EmptyTrackListAndMasterPlaylist) {
    TDatabaseSnapshot s;
    s.PlaylistNames = {"All music"};
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    const size_t playlistSet = 108 + (40 + 9) + 1048;
    EXPECT_EQ(104 + 188 + 2 * (96 + 92 + playlistSet), db.size());
    EXPECT_EQ(db.size(), U32(db, 8));
    EXPECT_EQ(188u, U32(db, 104 + 8));
    EXPECT_EQ(1u, U32(db, 104 + 12));
    EXPECT_EQ(0u, U32(db, 104 + 96 + 8)); // no tracks
    const auto sets = Find(check, "dshm");
    ASSERT_EQ(3u, sets.size());
    EXPECT_EQ(3u, U32(db, sets[1] + 12));
    EXPECT_EQ(2u, U32(db, sets[2] + 12));
    EXPECT_EQ(db.substr(sets[1] + 96, sets[2] - sets[1] - 96), db.substr(sets[2] + 96));
    EXPECT_EQ(1, check.Playlists / 2);
}

TEST(BuildDatabase, LocationsTimesAndTypeCodes) {
    struct TCase {
        std::string FileName, Time;
        std::string Location;
        uint32_t Ms, TypeCode;
    } cases[] = {
        {"C:\\Music\\Song.mp3", "4:07", ":mobile:audio:Song.mp3", 247000, 0x000C0000},
        {"E:\\mobile\\audio\\x.MP3", "12:3", ":mobile:audio:x.MP3", 723000, 0x000C0000},
        {"e:\\other\\y.m4a", "03:05", ":other:y.m4a", 185000, 0x00330001},
        {"D:\\a.wav", "0:0", ":mobile:audio:a.wav", 0, 0x00330001},
        {"\\\\server\\share\\z.mp3", "1:1", ":mobile:audio:z.mp3", 61000, 0x000C0000},
        {"C:\\dir.mp3\\noext", "1:59", ":mobile:audio:noext", 119000, 0x00330001},
    };
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (const auto& c : cases)
        s.Tracks.push_back(Row(c.FileName, c.Time));
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    const auto tracks = Find(check, "tihm");
    ASSERT_EQ(std::size(cases), tracks.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        SCOPED_TRACE(cases[i].FileName);
        EXPECT_EQ(cases[i].Location, TrackString(db, tracks[i], 2));
        EXPECT_EQ(cases[i].Ms, U32(db, tracks[i] + 40));
        EXPECT_EQ(cases[i].TypeCode, U32(db, tracks[i] + 144));
        EXPECT_EQ(92 + i, U32(db, tracks[i] + 16)); // the UID column is not used
        EXPECT_EQ(143 + i, U32(db, tracks[i] + 116));
        EXPECT_EQ(1000u, U32(db, tracks[i] + 36));
        EXPECT_EQ(128u, U32(db, tracks[i] + 56));
        EXPECT_EQ(2005u, U32(db, tracks[i] + 52));
        EXPECT_EQ("Other", TrackString(db, tracks[i], 5));
    }
}

TEST(BuildDatabase, UploadPathGetsItsTrailingBackslash) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'F';
    s.UploadPath = "\\music";
    s.Tracks.push_back(Row("C:\\x\\a.mp3"));
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    EXPECT_EQ(":music:a.mp3", TrackString(db, Find(check, "tihm").at(0), 2));
}

TEST(BuildDatabase, EmptyTextsWriteNoStringRecord) {
    TDatabaseSnapshot s;
    s.Tracks.push_back(Row("E:\\a.mp3", "1:0", ""));
    s.Tracks.push_back({"", "", "", "1:0", "1", "", "1", ""});
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    const auto tracks = Find(check, "tihm");
    EXPECT_EQ(4u, U32(db, tracks[0] + 12)); // artist, title, genre, location
    EXPECT_EQ("<none>", TrackString(db, tracks[0], 3));
    EXPECT_EQ(1u, U32(db, tracks[1] + 12)); // the genre alone
    EXPECT_EQ(244u + 45, U32(db, tracks[1] + 8));
}

TEST(BuildDatabase, PlaylistItemsNameTracksByRow) {
    TDatabaseSnapshot s;
    for (int i = 0; i < 3; ++i)
        s.Tracks.push_back(Row("E:\\t" + std::to_string(i) + ".mp3"));
    s.PlaylistNames = {"All music", "Пятница"};
    s.PlaylistEntries = {{"0", "1", "2"}, {"2", "0", "2"}};
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(4, check.Playlists);
    EXPECT_EQ(12, check.Items);
    const auto lists = Find(check, "pyhm");
    ASSERT_EQ(4u, lists.size());
    const size_t second = lists[1];
    EXPECT_EQ(3u, U32(db, second + 16));
    EXPECT_EQ(1u, U32(db, second + 108 + 12)); // the name record follows the header
    EXPECT_EQ("Пятница", db.substr(second + 108 + 40, U32(db, second + 108 + 28)));
    const auto items = Find(check, "pihm");
    const uint32_t expected[] = {92, 93, 94, 94, 92, 94};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i], U32(db, items[i] + 24));
        EXPECT_EQ(i % 3 + 1, U32(db, items[i] + 76 + 24)); // position counted from 1
    }
}

TEST(BuildDatabase, BadDataIsRefusedWhole) {
    const auto build = [](auto edit) {
        TDatabaseSnapshot s;
        s.Tracks.push_back(Row("E:\\a.mp3"));
        s.PlaylistNames = {"All music"};
        s.PlaylistEntries = {{"0"}};
        edit(s);
        return BuildDatabase(s);
    };
    for (const char* time : {"", "305", ":5", "a:5", "3:x", "3:"})
        EXPECT_THROW(build([&](TDatabaseSnapshot& s) { s.Tracks[0].Time = time; }), EConvertError)
            << time;
    EXPECT_THROW(build([](TDatabaseSnapshot& s) { s.Tracks[0].Size = "12k"; }), EConvertError);
    EXPECT_THROW(build([](TDatabaseSnapshot& s) { s.Tracks[0].BitRate = ""; }), EConvertError);
    EXPECT_THROW(build([](TDatabaseSnapshot& s) { s.PlaylistEntries[0][0] = " "; }), EConvertError);
    EXPECT_NO_THROW(build([](TDatabaseSnapshot& s) { s.PlaylistNames.resize(101, "p"); }));
    EXPECT_THROW(build([](TDatabaseSnapshot& s) { s.PlaylistNames.resize(102, "p"); }),
                 EiTunesDBError);
}

TEST(BuildDatabase, SizeFieldIsUnsignedUpToFourGibibytes) {
    struct Case {
        const char* size;
        uint32_t written;
    } fitting[] = {
        {"0", 0u},
        {"2147483647", 0x7FFFFFFFu},
        {"2147483648", 0x80000000u}, // 2 GiB, once refused as too large for a signed field
        {"3000000000", 3000000000u},
        {"4294967295", 0xFFFFFFFFu},
    };
    for (const Case& c : fitting) {
        TDatabaseSnapshot s;
        s.Tracks.push_back(Row("E:\\big.mp3"));
        s.Tracks[0].Size = c.size;
        s.PlaylistNames = {"All music"};
        s.PlaylistEntries = {{"0"}};
        EXPECT_TRUE(TrackSizeFits(c.size)) << c.size;
        std::string db;
        ASSERT_NO_THROW(db = BuildDatabase(s)) << c.size;
        const auto check = DatabaseChecker::Check(db);
        ASSERT_TRUE(check.Ok()) << check.Error;
        EXPECT_EQ(c.written, U32(db, Find(check, "tihm")[0] + 36)) << c.size;
    }
    for (const char* size : {"4294967296", "-1", "10000000000"}) {
        EXPECT_FALSE(TrackSizeFits(size)) << size;
        TDatabaseSnapshot s;
        s.Tracks.push_back(Row("E:\\big.mp3"));
        s.Tracks[0].Size = size;
        EXPECT_THROW(BuildDatabase(s), EiTunesDBError) << size;
    }
    EXPECT_THROW(TrackSizeFits("12k"), EConvertError);
}

TEST(BuildDatabase, SecondsTakeAtMostTwoCharacters) {
    EXPECT_EQ(185000, TimeTextToMs("3:05"));
    EXPECT_EQ(185000, TimeTextToMs("3:059")); // the third character is not read
    EXPECT_EQ(185000, TimeTextToMs("3:5"));
    EXPECT_EQ(3600000, TimeTextToMs("60:0"));
}

namespace {

// The image joined record by record from the encoders, in the order the file holds
// them: what the one-pass writer must come to. The random bytes of every item are
// taken from `built`, whose items stand at the same offsets when the two agree.
std::string JoinedRecords(const TDatabaseSnapshot& s, std::string_view built) {
    std::string tracks;
    for (size_t r = 0; r < s.Tracks.size(); ++r) {
        const TTrackRowSnapshot& row = s.Tracks[r];
        std::string strings;
        int count = 0;
        for (const auto& [type, text] : {std::pair<int, std::string>{4, row.Artist},
                                         {1, row.Title},
                                         {3, row.Album},
                                         {5, "Other"}}) {
            if (!text.empty()) {
                strings += BuildStringRecord(type, text);
                ++count;
            }
        }
        const auto lower = [](std::string t) {
            for (char& c : t)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return t;
        };
        uint32_t typeCode = 0x00330001;
        if (!row.FileName.empty()) {
            const size_t dot = row.FileName.find_last_of(".\\:");
            if (dot != std::string::npos && lower(row.FileName.substr(dot)) == ".mp3")
                typeCode = 0x000C0000;
            const std::string drive = std::string(1, s.PhoneDrive) + ":";
            const std::string own =
                row.FileName.size() >= 2 && row.FileName[1] == ':' ? row.FileName.substr(0, 2) : "";
            std::string location = row.FileName;
            if (lower(own) != lower(drive)) {
                std::string upload = s.UploadPath;
                if (upload.empty() || upload.back() != '\\')
                    upload += '\\';
                const size_t name = row.FileName.find_last_of("\\:");
                location =
                    drive + upload +
                    (name == std::string::npos ? row.FileName : row.FileName.substr(name + 1));
            }
            strings += BuildStringRecord(2, location);
            ++count;
        }
        const int64_t ms = (int64_t{StrToInt(row.Time.substr(0, row.Time.find(':')))} * 60 +
                            StrToInt(row.Time.substr(row.Time.find(':') + 1, 2))) *
                           1000;
        tracks += BuildTrackRecord(static_cast<int32_t>(244 + strings.size()), count,
                                   static_cast<int32_t>(r + 92),
                                   static_cast<uint32_t>(StrToInt64(row.Size)),
                                   static_cast<int32_t>(ms), 2005, StrToInt(row.BitRate), 44100,
                                   static_cast<int32_t>(r + 143), typeCode) +
                  strings;
    }
    std::string list = BuildPlaylistListRecord(static_cast<int32_t>(s.PlaylistNames.size()));
    for (size_t p = 0; p < s.PlaylistNames.size(); ++p) {
        const std::vector<std::string> none;
        const auto& entries = p < s.PlaylistEntries.size() ? s.PlaylistEntries[p] : none;
        std::string items;
        for (size_t j = 0; j < entries.size(); ++j)
            items += BuildPlaylistItemRecord(StrToInt(entries[j]) + 92) +
                     BuildPositionRecord(static_cast<int32_t>(j + 1));
        const std::string name = BuildStringRecord(1, s.PlaylistNames[p]);
        list += BuildPlaylistRecord(static_cast<int32_t>(108 + name.size() + 1048 + items.size()),
                                    static_cast<int32_t>(entries.size()), 0) +
                name + BuildPlaylistFixedRecords() + items;
    }
    const auto n = [](size_t v) { return static_cast<int32_t>(v); };
    std::string body = BuildDataSetRecord(n(tracks.size() + 96 + 92), 1) +
                       BuildTrackListRecord(n(s.Tracks.size())) + tracks +
                       BuildDataSetRecord(n(list.size() + 96), 3) + list +
                       BuildDataSetRecord(n(list.size() + 96), 2) + list;
    std::string db = BuildDbHeaderRecord(n(body.size() + 104)) + body;
    if (db.size() == built.size())
        for (const size_t item : Find(DatabaseChecker::Check(db), "pihm"))
            db.replace(item + 22, 2, built.substr(item + 22, 2));
    return db;
}

} // namespace

// The writer sizes the file first and then writes every record in its place: for
// every kind of location, text and playlist it must come to the same bytes as the
// records built one by one and joined.
TEST(BuildDatabase, OnePassImageEqualsTheRecordsJoined) {
    const auto row = [](std::string artist, std::string fileName) {
        return TTrackRowSnapshot{std::move(artist),   "Title", "Album", "4:07", "123456",
                                 std::move(fileName), "192",   "0"};
    };
    struct TCase {
        const char* Name;
        char Drive;
        std::string Upload;
        TTrackRows Tracks;
    } cases[] = {
        {"no tracks", 'E', "\\mobile\\audio\\", {}},
        {"on the phone in either case",
         'E',
         "\\mobile\\audio\\",
         {row("A", "E:\\mobile\\audio\\a.mp3"), row("B", "e:\\x\\b.Mp3"), row("", "E:")}},
        {"off the phone",
         'e',
         "\\up",
         {row("Ärzte", "C:\\Music\\Ärzte.mp3"), row("C", "\\\\server\\share\\c.m4a"),
          row("D", "d.mp3"), row("E", "x"), row("F", "C:dir:f.mp3.bak")}},
        {"texts of every length",
         'F',
         "",
         {row(std::string(300, 'a'), "F:\\" + std::string(70000, 'b') + ".mp3"),
          row("日本語", "F:\\日本.mp3"),
          {"", "", "", "0:0", "0", "", "0", ""}}},
        {"drive letters that are no letters",
         '\xC3',
         "\\up\\",
         {row("G", "\xC3:\\a.mp3"), row("H", "\xC3\xA9:\\b.mp3"), row("I", ":")}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDatabaseSnapshot s;
        s.PhoneDrive = c.Drive;
        s.UploadPath = c.Upload;
        s.Tracks = c.Tracks;
        s.PlaylistNames = {"All music", "", "Пятница"};
        s.PlaylistEntries = {{}, {"0", "0"}};
        for (size_t r = 0; r < s.Tracks.size(); ++r)
            s.PlaylistEntries[0].push_back(std::to_string(r));
        const std::string built = BuildDatabase(s);
        const std::string joined = JoinedRecords(s, built);
        ASSERT_EQ(joined.size(), built.size());
        EXPECT_TRUE(joined == built);
    }
}

// An update writes the image built in memory that is not cleared first, which may hold
// what an earlier buffer of the same size left there: it must come out the same as the
// image built into zeros, but for the items' random bytes.
TEST(BuildDatabase, UpdateImageEqualsTheImageBuiltIntoZeros) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    s.UploadPath = "\\mobile\\audio";
    s.Tracks = {Row("E:\\mobile\\audio\\a.mp3"),
                Row("C:\\Music\\Ärzte.m4a", "12:3", ""),
                {"", "", "", "0:0", "0", "", "0", ""}};
    s.PlaylistNames = {"All music", "Пятница", ""};
    s.PlaylistEntries = {{"0", "1", "2"}, {"2", "0", "2"}};
    const std::string zeros = BuildDatabase(s);
    const auto items = Find(DatabaseChecker::Check(zeros), "pihm");
    ASSERT_EQ(12u, items.size());
    for (int round = 0; round < 3; ++round) {
        {
            TLargeBuffer leftovers(zeros.size());
            std::fill_n(leftovers.Data(), leftovers.Size(), '\xAA');
        }
        const TLargeBuffer image = BuildDatabaseImage(s);
        std::string built(image.View());
        ASSERT_EQ(zeros.size(), built.size());
        for (const size_t item : items)
            built.replace(item + 22, 2, zeros.substr(item + 22, 2));
        EXPECT_TRUE(built == zeros);
    }
}

// The build reads a row's plain numbers itself: every other form must still be read,
// or refused, exactly as StrToInt and StrToInt64 read it.
TEST(BuildDatabase, RowNumbersReadAsTheConversionsReadThem) {
    const char* texts[] = {
        "128",  "0",    "999999999",  "1000000000",  "2147483647", "2147483648", "0000000000128",
        " 128", "+128", "-128",       "$80",         "0x80",       "12k",        "",
        " ",    "1 2",  "4294967295", "-2147483648", "$FFFFFFFF"};
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        TDatabaseSnapshot s;
        s.Tracks.push_back(Row("E:\\a.mp3"));
        s.Tracks[0].BitRate = text;
        s.PlaylistNames = {"All music"};
        int32_t bitRate = 0;
        if (TryStrToInt(text, bitRate)) {
            const std::string db = BuildDatabase(s);
            EXPECT_EQ(static_cast<uint32_t>(bitRate), U32(db, 104 + 96 + 92 + 56));
        } else {
            EXPECT_THROW(BuildDatabase(s), EConvertError);
        }
        s.Tracks[0].BitRate = "128";
        s.Tracks[0].Size = text;
        int64_t size = 0;
        if (!TryStrToInt64(text, size))
            EXPECT_THROW(BuildDatabase(s), EConvertError);
        else if (size < 0 || size > 0xFFFFFFFFll)
            EXPECT_THROW(BuildDatabase(s), EiTunesDBError);
        else
            EXPECT_EQ(static_cast<uint32_t>(size), U32(BuildDatabase(s), 104 + 96 + 92 + 36));
        s.Tracks[0].Size = "1000";
        s.PlaylistEntries = {{text}};
        int32_t row = 0;
        if (TryStrToInt(text, row))
            EXPECT_NO_THROW(BuildDatabase(s));
        else
            EXPECT_THROW(BuildDatabase(s), EConvertError);
    }
}

// Written piece by piece, the image comes out as it does whole, whatever the size of the
// pieces: a record is never split wrongly, one longer than a piece goes in a piece of its
// own, and both playlist sets carry the same random item bytes.
TEST(BuildDatabase, ImageWrittenInPiecesEqualsTheWholeImage) {
    TDatabaseSnapshot s;
    s.UploadPath = "\\up";
    s.Tracks = {Row("E:\\mobile\\audio\\a.mp3"),
                Row("C:\\" + std::string(70000, 'b') + ".mp3"),
                Row("C:\\Music\\Ärzte.m4a", "12:3", ""),
                {"", "", "", "0:0", "0", "", "0", ""}};
    s.PlaylistNames = {"All music", "Пятница", "", std::string(5000, 'p')};
    s.PlaylistEntries = {{"0", "1", "2", "3"}, {"2", "0", "2"}, {}};
    for (int i = 0; i < 600; ++i)
        s.PlaylistEntries[2].push_back(std::to_string(i % 4));
    const TDatabaseImageWriter writer(s);
    std::string whole(writer.Size(), '\xAA');
    writer.WriteInto(whole.data());
    const auto check = DatabaseChecker::Check(whole);
    ASSERT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(4, check.Tracks);
    const auto items = Find(check, "pihm");
    ASSERT_EQ(2u * 607, items.size());
    for (size_t i = 0; i < 607; ++i)
        EXPECT_EQ(whole.substr(items[i] + 22, 2), whole.substr(items[i + 607] + 22, 2)) << i;

    // Built anew, the image differs in the random bytes alone.
    std::string built = BuildDatabase(s);
    ASSERT_EQ(whole.size(), built.size());
    for (const size_t item : items)
        built.replace(item + 22, 2, whole.substr(item + 22, 2));
    EXPECT_TRUE(built == whole);

    // The longest record: the track with the long location and its strings.
    size_t longest = 0;
    for (const size_t track : Find(check, "tihm"))
        longest = std::max<size_t>(longest, U32(whole, track + 8));
    ASSERT_GT(longest, 70000u);
    for (const size_t pieceSize :
         {size_t{1}, size_t{120}, size_t{4096}, size_t{70000}, size_t{1} << 20, ImagePieceSize}) {
        SCOPED_TRACE(pieceSize);
        std::string joined;
        size_t pieces = 0;
        writer.Write(
            [&](std::string_view piece) {
                ++pieces;
                EXPECT_FALSE(piece.empty());
                EXPECT_LE(piece.size(), std::max(pieceSize, longest));
                joined += piece;
            },
            pieceSize);
        EXPECT_TRUE(joined == whole);
        EXPECT_GE(pieces, whole.size() / std::max(pieceSize, longest));
    }
}

// Whatever the data is refused for is found before the first piece is handed over, so a
// file written from the pieces is never begun.
TEST(BuildDatabase, RefusedDataHandsOverNoPiece) {
    struct TCase {
        const char* Name;
        std::function<void(TDatabaseSnapshot&)> Edit;
        bool Convert; // EConvertError, or else EiTunesDBError
    } cases[] = {
        {"time of the last track", [](auto& s) { s.Tracks.back().Time = "3:x"; }, true},
        {"size that is no number", [](auto& s) { s.Tracks.back().Size = "12k"; }, true},
        {"size too large", [](auto& s) { s.Tracks.back().Size = "4294967296"; }, false},
        {"bit rate", [](auto& s) { s.Tracks.back().BitRate = ""; }, true},
        {"last entry of the last list", [](auto& s) { s.PlaylistEntries.back().back() = " "; },
         true},
        {"too many playlists", [](auto& s) { s.PlaylistNames.resize(102, "p"); }, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDatabaseSnapshot s;
        for (int i = 0; i < 300; ++i)
            s.Tracks.push_back(Row("E:\\t" + std::to_string(i) + ".mp3"));
        s.PlaylistNames = {"All music", "Last"};
        s.PlaylistEntries = {{"0", "1"}, std::vector<std::string>(300, "1")};
        c.Edit(s);
        size_t pieces = 0;
        const auto write = [&] { WriteDatabaseImage(s, [&](std::string_view) { ++pieces; }); };
        if (c.Convert)
            EXPECT_THROW(write(), EConvertError);
        else
            EXPECT_THROW(write(), EiTunesDBError);
        EXPECT_EQ(0u, pieces);
    }
}
