#include "UploadNames.h"
#include "ManagerLog.h"

#include <gtest/gtest.h>

namespace {

TUploadNameFields Row() {
    return {.Artist = "A",
            .Title = "T",
            .Album = "Al",
            .Time = "3:5",
            .Size = "10000",
            .FileName = "C:\\music\\x.y\\song.MP3",
            .BitRate = "128",
            .MasterPosition = 4};
}

} // namespace

TEST(UploadNames, TemplateExpansion) {
    struct Case {
        const char* renameTemplate;
        const char* name;
    } cases[] = {
        {"<artist> - <title> [<time>]<ext>", "A - T [03.05].MP3"},
        {"<ARTIST> - <Album> - <title><ext>", "A - Al - T.MP3"},
        {"<artist> - <title> (<bitrate>) <ext>", "A - T (128 kbps) .MP3"},
        {"<#> - <title><ext>", "4 - T.MP3"},
        {"<size><ext>", "10000.MP3"},
        {"<title>", "T"},
        {"<unknown><title", " unknown  title"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.name, MakeUploadName(c.renameTemplate, Row(), "kbps")) << c.renameTemplate;
}

TEST(UploadNames, TimeFormsAndValuesAreNotExpandedAgain) {
    TUploadNameFields f = Row();
    for (const char* time : {"3:5", "03:05", "3:05x", "2:65"}) {
        f.Time = time;
        EXPECT_EQ("03.05", MakeUploadName("<time>", f, "kbps")) << time;
    }
    f.Time = "bad";
    EXPECT_EQ("00.00", MakeUploadName("<time>", f, "kbps"));
    f.Time = "125:0";
    EXPECT_EQ("125.00", MakeUploadName("<time>", f, "kbps"));
    // A tag that happens to hold a placeholder stays as it is.
    f.Artist = "<title><ext>";
    f.Title = "<album>";
    EXPECT_EQ("<title><ext> - <album>", ExpandRenameTemplate("<artist> - <title>", f, "kbps"));
    f.FileName = "C:\\music.d\\noext";
    EXPECT_EQ("", ExpandRenameTemplate("<ext>", f, "kbps"));
}

TEST(UploadNames, SanitizeForTheCard) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"a/b|c\\d*e?f>g<h", "a b c d e f g h"},
        {"Title: Sub", "Title. Sub"},
        {"say \"hi\".mp3", "say  hi .mp3"},
        {std::string("tab\there\x01.mp3"), "tab here .mp3"},
        {"ends with dots...  ", "ends with dots"},
        {"", "_"},
        {" . ", "_"},
        {"Привет: мир.mp3", "Привет. мир.mp3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, SanitizeFileName(c.in)) << c.in;
}

TEST(UploadNames, LongNamesKeepTheirExtensionAndWholeCharacters) {
    std::string title;
    for (int i = 0; i < 200; ++i)
        title += "ж"; // two bytes each
    std::string name = SanitizeFileName(title + ".mp3");
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(".mp3", name.substr(name.size() - 4));
    EXPECT_EQ(0u, (name.size() - 4) % 2); // no character cut in half
}

TEST(UploadNames, OneRunNeverGivesTwoRowsTheSameName) {
    TUploadNamer namer;
    EXPECT_EQ("A - T.mp3", namer.Claim("A - T.mp3"));
    EXPECT_EQ("A - T (2).mp3", namer.Claim("A - T.mp3"));
    EXPECT_EQ("a - t (3).MP3", namer.Claim("a - t.MP3"));
    EXPECT_EQ("A - T (2)", namer.Claim("A - T (2)").substr(0, 9));
    EXPECT_EQ("noext", namer.Claim("noext"));
    EXPECT_EQ("noext (2)", namer.Claim("noext"));
    // Whether a name is taken, as the card's file system compares names.
    EXPECT_TRUE(namer.IsClaimed("a - t (2).MP3"));
    EXPECT_FALSE(namer.IsClaimed("A - T (4).mp3"));
    namer.Reset();
    EXPECT_FALSE(namer.IsClaimed("A - T.mp3"));
    EXPECT_EQ("A - T.mp3", namer.Claim("A - T.mp3"));
}

TEST(UploadNames, MasterPlaylistPosition) {
    TStringList master{"7", "3", "0"};
    EXPECT_EQ(2, MasterPlaylistPosition(master, 3));
    EXPECT_EQ(3, MasterPlaylistPosition(master, 0));
    EXPECT_EQ(0, MasterPlaylistPosition(master, 5));
}

TEST(UploadNames, FieldsOfATrackRow) {
    TBvMultiStringHolder tracks{"Artist", "Title",    "Album",   "Time",
                                "Size",   "FileName", "BitRate", "UID"};
    for (const char* column :
         {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"}) {
        tracks.StringsByName(column).Add(std::string("0") + column);
        tracks.StringsByName(column).Add(std::string("1") + column);
    }
    tracks.StringsByName("FileName").Put(1, "C:\\m\\b.Mp3");
    tracks.StringsByName("Time").Put(1, "4:2");
    TStringList master{"1", "0"};
    TUploadNameFields f = UploadNameFieldsOf(tracks, 1, master);
    EXPECT_EQ("1Artist", f.Artist);
    EXPECT_EQ(1, f.MasterPosition);
    EXPECT_EQ("1 - 1Artist - 1Album - 1Title (1BitRate kbps) 04.02 1Size.Mp3",
              MakeUploadName("<#> - <artist> - <album> - <title> (<bitrate>) <time> <size><ext>", f,
                             "kbps"));
    EXPECT_EQ(2, UploadNameFieldsOf(tracks, 0, master).MasterPosition);
    EXPECT_THROW(UploadNameFieldsOf(tracks, 2, master), EListError);
}

TEST(ManagerLog, LineFormAndSink) {
    EXPECT_EQ("(9:05) Mobile updated!", FormatLogLine(9, 5, "Mobile updated!"));
    EXPECT_EQ("(23:59) x", FormatLogLine(23, 59, "x"));
    EXPECT_EQ("(0:00) %s", FormatLogLine(0, 0, "%s"));
    std::vector<std::string> lines;
    TManagerLog log([&](const std::string& line) { lines.push_back(line); });
    log.AddLog("hello");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ('(', lines[0].front());
    EXPECT_EQ(") hello", lines[0].substr(lines[0].find(')')));
    TManagerLog silent;
    silent.AddLog("nobody listens"); // no sink: nothing happens
}
