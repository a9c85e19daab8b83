#include "RecordReport.h"
#include "ReaderTestSupport.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

using namespace ReaderTest;

namespace {

std::string OneTrackDb() {
    TDatabaseSnapshot s;
    s.Tracks.push_back({"Artist", "Title", "Album", "3:5", "1000", "E:\\a.mp3", "128", "0"});
    s.PlaylistNames = {"All music"};
    s.PlaylistEntries = {{"0"}};
    return BuildDatabase(s);
}

bool Has(const std::string& line, std::string_view text) {
    return line.find(text) != std::string::npos;
}

} // namespace

TEST(DatabaseScan, TinyFiles) {
    struct TCase {
        std::string Bytes, Report;
        bool Completed;
    } cases[] = {
        {"", "", true},
        {"xhm", "", true},
        {"abhm", "0\tabhm\t\r\n", true},
        {std::string("\0\0\0\0abhm", 8), "4\tabhm\t\r\n", true},
        {"hmhm", "0\thmhm\t\r\n", true},
    };
    for (const auto& c : cases) {
        TScan scan;
        scan.Run(c.Bytes);
        EXPECT_EQ(c.Report, scan.Result.Report) << c.Bytes;
        EXPECT_EQ(c.Completed, scan.Result.Completed);
        EXPECT_EQ(c.Bytes.size(), scan.Result.Size);
    }
}

TEST(DatabaseScan, RecordCutShortStopsCleanlyAndSaysWhere) {
    TScan scan;
    scan.Run("dbhm");
    EXPECT_FALSE(scan.Result.Completed);
    EXPECT_EQ(0u, scan.Result.StopOffset);
    EXPECT_EQ(
        "Scan stopped at offset 0: the record there runs past the end of the file (4 bytes).\r\n",
        scan.Result.Report);

    // A track tag less than 212 bytes before the end: the lines before it stay.
    std::string db = "abhm" + std::string(10, 'x') + "tihm" + std::string(207, '\0');
    scan.Run(db);
    EXPECT_FALSE(scan.Result.Completed);
    EXPECT_EQ(14u, scan.Result.StopOffset);
    EXPECT_EQ(0u, scan.Result.Report.find("0\tabhm\t\r\nScan stopped at offset 14"));
    scan.Run(db + '\0'); // 212 bytes from the tag are enough
    EXPECT_TRUE(scan.Result.Completed);
}

TEST(RecordReport, WrittenDatabaseReadsAsExpected) {
    const std::string db = OneTrackDb();
    TScan scan;
    scan.Run(db);
    ASSERT_TRUE(scan.Result.Completed);
    const auto lines = scan.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(
        "0\tdbhm\tбаза данных iTunes\tразмер секции: 104 nextaddr:104, размер с подсекциями: " +
            std::to_string(db.size()) +
            ", создан iTunes v4.9, число dshm=3 шт.  ID: 57 72 65 6E 68 6F 6C 64 ; флаг 2 на месте",
        lines[0]);
    std::vector<std::string> sets, tracks, indexes, names;
    for (const auto& l : lines) {
        if (Has(l, "\tdshm\t"))
            sets.push_back(l.substr(l.find(" назначение: ") + std::string(" назначение: ").size()));
        if (Has(l, "\ttihm\t"))
            tracks.push_back(l);
        if (Has(l, "\tdohm52\t"))
            indexes.push_back(l);
        if (Has(l, "\tdohm1\t"))
            names.push_back(l);
    }
    EXPECT_EQ((std::vector<std::string>{"Track list", "Podcast list", "PlayList list"}), sets);
    ASSERT_EQ(1u, tracks.size());
    const std::string& t = tracks[0];
    for (const char* part : {"   отдельный трек\t\tразмер:244 (надо244 или 156 для старых версий)",
                             " Type: HDD", " type: CBR MP3", " Unk14=CBRMP3 Unk14HEX=000C0000",
                             " checkedflagON", " 185000мсек (3:5 мин:сек)", "; ID:0000005C",
                             " частота:44100Hz", " year:2005", " bitrate:128", " Track(no podcast)",
                             "; menu=Audio+Video", " Трек№0 из0(расхождение с док-цией?)"})
        EXPECT_TRUE(Has(t, part)) << part;
    ASSERT_EQ(10u, indexes.size());
    const char* kinds[] = {" ТипНазвание", " ТипИсполнитель", " ТипАльбом", " ТипСтиль",
                           " ТипКомпозитор"};
    for (size_t i = 0; i < indexes.size(); ++i) {
        EXPECT_TRUE(Has(indexes[i], kinds[i % 5])) << indexes[i];
        EXPECT_TRUE(Has(indexes[i], " ЧеслоПесен2 сорт.индекс:01000000 00000000 ")) << indexes[i];
    }
    // The title of the track and the playlist name.
    ASSERT_EQ(3u, names.size());
    EXPECT_TRUE(Has(names[0],
                    "     инф: название (Title)\t разм:45 позиц:2 длинстроки: 5 UTF-8 \"Title\""));
    EXPECT_TRUE(Has(names[1], "UTF-8 \"All music\""));
}

namespace {

std::string DataRecord(uint32_t type, size_t length,
                       std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    std::string r(length, '\0');
    r.replace(0, 4, "dohm");
    Put32(r, 4, 24);
    Put32(r, 8, static_cast<uint32_t>(length));
    Put32(r, 12, type);
    for (auto [at, v] : bytes)
        r[at] = static_cast<char>(v);
    return r;
}

std::string DetailsOf(const std::string& record) {
    return DecodeRecord(record, 0).Details;
}

} // namespace

TEST(RecordReport, DataRecordTable) {
    struct TCase {
        std::string Record, Expected;
    } cases[] = {
        {BuildStringRecord(1, ""),
         "     инф: название (Title)\t разм:40 позиц:2 длинстроки: 0 UTF-8 \"\""},
        {Utf16StringRecord(3, u"ABC"),
         "     инф: альбом (Album)\t разм:46 позиц:1 длинстроки: 6 UTF-16 \"ABC\""},
        {DataRecord(4, 40, {{7, 40}}),
         "     инф: испольни.(Artist)\tSTypeError разм:40 позиц:0 длинстроки: 0 UTF-16 \"\""},
        {DataRecord(1, 40, {{32, 2}}),
         "     инф: название (Title)\t разм:40 позиц:0 длинстроки: 0 UTF-error "},
        {BuildPositionRecord(7), "     инф: Seems to vary.\t разм:44 поз.песни в ПЛ:7"},
        {DataRecord(51, 24, {}), "     инф: Smart Playlist Rules\tзаголовок=24 разм:24если вы "
                                 "читаете это, обратитесь к автору"},
        {DataRecord(18, 24, {}), "     инф: Подзаголовок (Subtitle). То же самое что описание"},
        {DataRecord(77, 24, {}), "     инф: "},
        {DataRecord(16, 28, {{24, 'a'}, {25, 'b'}, {26, 'c'}, {27, 'd'}}),
         "     инф: Podcast RSS URL\t разм:28\"abcd\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Expected, DetailsOf(c.Record));

    std::string index84 = BuildPlaylistFixedRecords().substr(648, 80) + std::string(4, '\0');
    Put32(index84, 8, 84);
    EXPECT_TRUE(Has(DetailsOf(index84), " сорт.индекс: не определен, ошибка документации"));

    const std::string smart = DataRecord(50, 96, {{24, 7}, {25, 1}, {27, 3}, {28, 23}, {40, 1}});
    EXPECT_EQ("     инф: Smart Playlist Data\tзаголовок=24 разм:96 LiveUpdateError RulesEnableON "
              "LimitsEnableOFF Limit=Songs SortHighest Rating3zeroOK Limit=0 matchcheckedonlyOFF "
              "RewersSortOFFendzerosERR",
              DetailsOf(smart));
    EXPECT_EQ("100", DecodeRecord(BuildPositionRecord(1), 0).SubLabel);
}

TEST(RecordReport, PlaylistAndItem) {
    std::string playlist = BuildPlaylistRecord(2000, 3, 1);
    playlist[39] = 29;
    EXPECT_EQ("   отдельный плейлист\tразмер:108; размер с дочерними:2000; число объектов:7; число "
              "Playlist Items:3флаг: скрытый плейлист Time:00000000; PL_ID:00000000 Число dohm "
              "типа <50::::29; число mhod52=::::3 normal_плейлист",
              DetailsOf(playlist));
    playlist[39] = 3;
    EXPECT_TRUE(Has(DetailsOf(playlist), " normal_плейлист сортировка-поназванию"));

    std::string item = BuildPlaylistItemRecord(266);
    item[22] = item[23] = 0;
    EXPECT_EQ(
        "     указ. на конкрет.песню\tразмер:76; размер с дочерними:120 число дочерних dohm:1 "
        "CGFlag: normal file GroupID:00000000 TrackID:0000010A Время:00.00.0000 Time:BFA7EAE1",
        DetailsOf(item));
    Put32(item, 28, 36526); // 1 January 2000
    EXPECT_TRUE(Has(DetailsOf(item), " Время:01.01.2000 "));
}

TEST(RecordReport, Helpers) {
    std::string s;
    ByteToHex(10, s);
    ByteToHex(255, s);
    EXPECT_EQ("0AFF", s);
    EXPECT_EQ("3:5", PlayingTimeText(185000));
    EXPECT_EQ("300:0", PlayingTimeText(18000000)); // no wrap at 256 minutes
    EXPECT_EQ("4294967295", TrackKey(0xFFFFFFFF));
    EXPECT_EQ("30.12.1899", DaysToDateText(0));
    EXPECT_EQ("00.00.0000", DaysToDateText(INT32_MIN));
    EXPECT_EQ("00.00.0000", DaysToDateText(INT32_MAX));
}
