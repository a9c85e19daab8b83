#include "TrackManager.h"

#include "AudioFixtures.h"
#include "TrackTableRows.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;
namespace fs = std::filesystem;

std::string TagFixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

struct TLibraryFixture {
    TAudioFixtureFolder Folder;
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui, {WindowsPathOf(Folder.Path()) + "\\", {}}};

    TLibraryFixture() { Manager.Start(); }

    // Copies a tag fixture into the folder; returns its Windows path.
    std::string Copy(const std::string& fixture, const std::string& as) {
        fs::create_directories(fs::path(Folder.Path(as)).parent_path());
        fs::copy_file(TagFixture(fixture), Folder.Path(as));
        return WindowsPathOf(Folder.Path(as));
    }
    std::string Write(const std::string& as, const std::string& bytes) {
        fs::create_directories(fs::path(Folder.Path(as)).parent_path());
        BvTest::WriteWholeFile(Folder.Path(as), bytes);
        return WindowsPathOf(Folder.Path(as));
    }
    const TTextColumn& Column(const char* name) {
        return Manager.Model.MediaDB.StringsByName(name);
    }
    int Rows() { return TableRowCount(Manager.Model.MediaDB); }
    std::vector<std::string> LineTexts() const {
        std::vector<std::string> texts;
        for (const TViewLine& l : Manager.MediaDBList.Lines)
            texts.push_back(l.Text);
        return texts;
    }
    // A library row without a file behind it.
    void AddRow(const std::string& artist, const std::string& title,
                const std::string& fileName = "C:\\nowhere\\x.mp3",
                const std::string& time = "3:5") {
        AppendTableRow(Manager.Model.MediaDB,
                       {artist, title, "Album", time, "1000", fileName, "128", "0"});
    }
};

TEST(MediaLibrary, AddFilesTakesMp3AndM4aTwiceAndSkipsOthers) {
    TLibraryFixture f;
    const std::string mp3 = f.Copy("v23_latin1_cbr.mp3", "a.mp3");
    const std::string plain = f.Copy("v11_only.mp3", "Some Artist - Some_Song.MP3");
    BvTest::WriteM4aFixture(f.Folder.Path("Band_X - Tune.m4a"), 2.0);
    const std::string m4a = WindowsPathOf(f.Folder.Path("Band_X - Tune.m4a"));
    const std::string other = f.Write("notes.txt", "text");
    f.Ui.FileChoices.push_back({true, {mp3, other, m4a, plain, mp3}});
    f.Manager.Addfiles1Click();

    ASSERT_EQ(4, f.Rows());
    for (const char* column : {"Artist", "Title", "Album", "Size", "FileName", "BitRate", "UID"})
        EXPECT_EQ(4, f.Column(column).Count()) << column;
    EXPECT_EQ("Björk", f.Column("Artist")[0]);
    EXPECT_EQ("Jóga", f.Column("Title")[0]);
    EXPECT_EQ("Homogenic", f.Column("Album")[0]);
    EXPECT_NE("0", f.Column("BitRate")[0]);
    EXPECT_EQ(mp3, f.Column("FileName")[0]);
    // The same file added again is a second row.
    EXPECT_EQ(mp3, f.Column("FileName")[3]);
    EXPECT_EQ("3", f.Column("UID")[3]);

    // An M4A row: the MP3 file-name rule, the whole size, no bitrate.
    EXPECT_EQ("Band X", f.Column("Artist")[1]);
    EXPECT_EQ("Tune", f.Column("Title")[1]);
    EXPECT_EQ("Unknown Album", f.Column("Album")[1]);
    EXPECT_EQ(std::to_string(fs::file_size(f.Folder.Path("Band_X - Tune.m4a"))),
              f.Column("Size")[1]);
    EXPECT_EQ("0", f.Column("BitRate")[1]);
    EXPECT_NEAR(2, TrackTimeSeconds(f.Column("Time")[1]), 1);

    EXPECT_EQ(4, f.Manager.MediaDBList.Count());
    EXPECT_TRUE(f.Manager.MediaDBList.DragEnabled);
    EXPECT_EQ(0u, f.Manager.MediaDBList.Lines[0].Text.find("Björk - Jóga (00:0"));
    EXPECT_TRUE(f.Ui.Warnings.empty());

    // The same M4A file in the track list gets a computed bitrate.
    const int row = f.Manager.AddM4aToTrackList(m4a);
    ASSERT_GE(row, 0);
    EXPECT_NE("0", f.Manager.Model.TrackListHolder.StringsByName("BitRate")[row]);
}

TEST(MediaLibrary, CancelledDialogStillRefreshesTheView) {
    TLibraryFixture f;
    f.AddRow("A", "B");
    EXPECT_EQ(0, f.Manager.MediaDBList.Count());
    f.Manager.Addfiles1Click();
    EXPECT_EQ(1, f.Manager.MediaDBList.Count());
    EXPECT_EQ("A - B (03:05)", f.Manager.MediaDBList.Lines[0].Text);
}

TEST(MediaLibrary, AddDirectoryDescendsAndAVanishedOrDamagedFileNeverStopsIt) {
    TLibraryFixture f;
    f.Copy("v24_utf8_vbr.mp3", "music/one.mp3");
    f.Copy("truncated_tag_size.mp3", "music/sub/Art - Damaged.mp3");
    f.Write("music/sub/cover.jpg", "jpeg");
    // Not an M4A at all: no playing time, still a whole row.
    f.Write("music/sub/broken.m4a", "garbage");
    f.Ui.FolderChoices.push_back({true, WindowsPathOf(f.Folder.Path("music"))});
    f.Manager.Adddirectory1Click();
    ASSERT_EQ(3, f.Rows());
    EXPECT_EQ(3, f.Column("BitRate").Count());
    EXPECT_EQ(3, f.Manager.MediaDBList.Count());

    // A vanished file is named once; the files after it are still added.
    const std::string gone = WindowsPathOf(f.Folder.Path("gone.m4a"));
    const std::string mp3 = f.Copy("v11_only.mp3", "after.mp3");
    f.Ui.FileChoices.push_back({true, {gone, mp3}});
    f.Manager.Addfiles1Click();
    EXPECT_EQ(4, f.Rows());
    EXPECT_EQ(mp3, f.Column("FileName")[3]);
    ASSERT_EQ(1u, f.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, f.Ui.Warnings[0].find(gone));

    // Cancel adds nothing and refreshes nothing.
    f.Manager.MediaDBList.Clear();
    f.Manager.Adddirectory1Click();
    EXPECT_EQ(0, f.Manager.MediaDBList.Count());
}

TEST(MediaLibrary, DeadLinksClearAndDragOver) {
    TLibraryFixture f;
    const std::string a = f.Copy("v11_only.mp3", "a.mp3");
    const std::string b = f.Copy("v11_only.mp3", "b.mp3");
    f.AddRow("1", "a", a);
    f.AddRow("2", "gone", WindowsPathOf(f.Folder.Path("gone.mp3")));
    f.AddRow("3", "b", b);
    f.AddRow("4", "other drive", "Q:\\music\\x.mp3");
    f.AddRow("5", "gone too", WindowsPathOf(f.Folder.Path("gone2.mp3")));
    f.Manager.Deletealldeadlinks1Click();
    ASSERT_EQ(2, f.Rows());
    EXPECT_EQ(a, f.Column("FileName")[0]);
    EXPECT_EQ(b, f.Column("FileName")[1]);
    EXPECT_EQ("3", f.Column("Artist")[1]);
    EXPECT_EQ(2, f.Column("UID").Count());
    EXPECT_EQ(2, f.Manager.MediaDBList.Count());

    // All files there: nothing changes.
    f.Manager.Deletealldeadlinks1Click();
    EXPECT_EQ(2, f.Rows());

    EXPECT_FALSE(f.Manager.MediaDBListDragOver(TDragSource::TrackView));
    EXPECT_FALSE(f.Manager.MediaDBListDragOver(TDragSource::MediaDBList));

    f.Manager.Clear1Click();
    EXPECT_EQ(0, f.Rows());
    EXPECT_EQ(0, f.Column("FileName").Count());
    EXPECT_EQ(0, f.Manager.MediaDBList.Count());
    EXPECT_FALSE(f.Manager.MediaDBList.DragEnabled);
}

TEST(MediaLibrary, RowThatCannotBeShownKeepsTheOthersOnTheirRows) {
    TLibraryFixture f;
    f.AddRow("A", "first");
    f.AddRow("B", "bad time", "C:\\x.mp3", "three minutes");
    f.AddRow("C", "third");
    f.Manager.RefreshMediaDBList();
    ASSERT_EQ(2, f.Manager.MediaDBList.Count());
    EXPECT_EQ(0, f.Manager.MediaDBList.Lines[0].Row);
    EXPECT_EQ(2, f.Manager.MediaDBList.Lines[1].Row);
    EXPECT_EQ("C - third (03:05)", f.Manager.MediaDBList.Lines[1].Text);
}

TEST(MediaLibrary, CopyToTrackListTakesTheRowEachLineShows) {
    TLibraryFixture f;
    const std::string a = f.Copy("v23_latin1_cbr.mp3", "a.mp3");
    const std::string b = f.Copy("v11_only.mp3", "b.mp3");
    BvTest::WriteM4aFixture(f.Folder.Path("c.m4a"), 1.0);
    const std::string c = WindowsPathOf(f.Folder.Path("c.m4a"));
    f.AddRow("x", "bad time", a, "x");              // row 0: no line
    f.AddRow("x", "listed", b);                     // row 1: already in the track list
    f.AddRow("x", "a", a);                          // row 2
    f.AddRow("x", "wav", "C:\\music\\a.wav");       // row 3: not music
    f.AddRow("x", "c", c);                          // row 4
    f.AddRow("x", "unselected", b);                 // row 5
    f.AddRow("x", "gone", "C:\\nowhere\\gone.m4a"); // row 6: file is gone
    ASSERT_EQ(b, f.Manager.Model.TrackListHolder.StringsByName(
                     "FileName")[f.Manager.AddMp3ToTrackList(b)]);
    f.Manager.Model.SyncAllMusic();
    f.Manager.ListBoxPlayLists.Items.Add("Mine");
    f.Manager.ListBoxPlayLists.ItemIndex = 1;
    f.Manager.RefreshMediaDBList();
    ASSERT_EQ(6, f.Manager.MediaDBList.Count());
    for (int line : {0, 1, 2, 3, 5})
        f.Manager.MediaDBList.Select(line);
    f.Manager.Copytotracklist1Click();

    const TStringList& names = f.Manager.Model.TrackListHolder.StringsByName("FileName");
    ASSERT_EQ(3, names.Count());
    EXPECT_EQ(a, names[1]);
    EXPECT_EQ(c, names[2]);
    // Built again from the file, not copied from the library row.
    EXPECT_EQ("Björk", f.Manager.Model.TrackListHolder.StringsByName("Artist")[1]);
    EXPECT_EQ((std::vector<std::string>{"1", "2"}), f.Manager.Model.PlaylistTracks[1].Items());
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), f.Manager.Model.PlaylistTracks[0].Items());
    ASSERT_EQ(1u, f.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, f.Ui.Warnings[0].find("gone.m4a"));
}

TEST(MediaLibrary, SearchByTypingNextAndEscape) {
    TLibraryFixture f;
    f.AddRow("Alpha", "Intro");
    f.AddRow("The BEATLES", "Help");
    f.AddRow("Gamma", "Heartbeat");
    f.AddRow("Delta", "Outro");
    f.Manager.RefreshMediaDBList();

    for (char32_t c : {U'b', U'e', U'a', U't'})
        f.Manager.MediaDBListKeyPress(c);
    EXPECT_EQ("beat", f.Manager.EditSearchDB);
    EXPECT_EQ(1, f.Manager.MediaDBList.ItemIndex);

    f.Manager.btnSearchClick();
    EXPECT_EQ(2, f.Manager.MediaDBList.ItemIndex);
    // Nothing after the last match: nothing changes, no wrap.
    f.Manager.MediaDBListKeyPress(13);
    EXPECT_EQ(2, f.Manager.MediaDBList.ItemIndex);

    // With the last line focused, Next starts again at the top.
    f.Manager.MediaDBList.ItemIndex = 3;
    f.Manager.btnSearchClick();
    EXPECT_EQ(1, f.Manager.MediaDBList.ItemIndex);

    f.Manager.MediaDBListKeyDown(KeyBack, {});
    EXPECT_EQ("bea", f.Manager.EditSearchDB);
    f.Manager.MediaDBListKeyDown(KeyEscape, {});
    EXPECT_EQ("", f.Manager.EditSearchDB);
    // An empty text matches nothing; the focus stays.
    EXPECT_EQ(1, f.Manager.MediaDBList.ItemIndex);

    // Any case, and text beyond ASCII.
    f.AddRow("Кино", "Звезда");
    f.Manager.RefreshMediaDBList();
    f.Manager.EditSearchDBChange("КИНО");
    EXPECT_EQ(4, f.Manager.MediaDBList.ItemIndex);
    f.Manager.MediaDBListKeyDown(KeyBack, {});
    EXPECT_EQ("КИН", f.Manager.EditSearchDB);
    f.Manager.MediaDBListKeyPress(U'Ж');
    EXPECT_EQ("КИНЖ", f.Manager.EditSearchDB);
    // Control characters other than Enter are not typed.
    f.Manager.MediaDBListKeyPress(9);
    EXPECT_EQ("КИНЖ", f.Manager.EditSearchDB);

    // An empty view is not searched.
    f.Manager.Clear1Click();
    f.Manager.EditSearchDBChange("a");
    f.Manager.btnSearchClick();
    EXPECT_EQ(-1, f.Manager.MediaDBList.ItemIndex);
}

TEST(MediaLibrary, NavigationKeysEmptyTheSearchTextAndOtherKeysLeaveIt) {
    TLibraryFixture f;
    f.AddRow("Alpha", "Intro");
    f.Manager.RefreshMediaDBList();
    const struct {
        uint16_t Key;
        std::string After;
    } cases[] = {{KeyEscape, ""}, {KeyUp, ""},    {KeyDown, ""},     {KeyHome, ""},
                 {KeyEnd, ""},    {KeyBack, "i"}, {KeyDelete, "in"}, {KeyReturn, "in"}};
    for (const auto& c : cases) {
        f.Manager.EditSearchDBChange("in");
        f.Manager.MediaDBListKeyDown(c.Key, {});
        EXPECT_EQ(c.After, f.Manager.EditSearchDB) << c.Key;
    }
    // Backspace on an empty text changes nothing.
    f.Manager.EditSearchDBChange("");
    f.Manager.MediaDBListKeyDown(KeyBack, {});
    EXPECT_EQ("", f.Manager.EditSearchDB);
}

} // namespace

// The search reads every line in lower case from one block of text: a match is inside one
// line, never the end of one line and the start of the next; letters outside ASCII match in
// either case; the search starts at the given line.
TEST(MediaLibrary, TheSearchFindsTextWithinOneLineInEitherCase) {
    TListView view;
    std::vector<TViewLine> lines;
    for (const char* text : {"Abba - Dancing", "Queen", "Björk - Jóga", "", "ÉTÉ INDIEN", "ab"})
        lines.push_back({text, static_cast<int>(lines.size()), static_cast<int>(lines.size())});
    view.SetLines(std::move(lines));
    struct Case {
        const char* Needle;
        int From;
        int Found;
    };
    const Case cases[] = {
        {"queen", 0, 1},   {"dancing", 0, 0}, {"ngqu", 0, -1} /* across two lines */,
        {"gqueen", 0, -1}, {"jóga", 0, 2},    {"été", 0, 4},
        {"ab", 0, 0},      {"ab", 1, 5},      {"ab", 6, -1},
        {"b", 3, 5},       {"zzz", 0, -1},    {"", 0, -1},
        {"indien", -1, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Found, view.FindLower(c.Needle, c.From)) << c.Needle << " from " << c.From;
    // New lines are searched anew.
    view.SetLines({{"Zeta", 0, 0}});
    EXPECT_EQ(0, view.FindLower("zeta", 0));
    EXPECT_EQ(-1, view.FindLower("queen", 0));
}

// The search reads plain ASCII lines as they are and lowers only the others: it finds what a
// search of every line lowered whole finds, for lines long and short, of ASCII and not, and
// bytes that are not UTF-8, from every line.
TEST(MediaLibrary, TheSearchFindsWhatASearchOfEveryLineLoweredFinds) {
    const std::string pieces[] = {"a",        "B",    "z",        "Q",        " ",
                                  "-",        "0",    "\xc3\xa9", "\xc3\x89", "\xd0\x9a",
                                  "\xd0\xba", "\xff", "ab",       "AB",       "title "};
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    std::vector<TViewLine> lines;
    std::vector<std::string> lowered;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        // Mostly ASCII lines, some long enough to be read many bytes at a time.
        const bool ascii = next(4) != 0;
        for (uint32_t k = 0, n = next(i % 5 == 0 ? 60 : 12); k < n; ++k) {
            const std::string& p = pieces[next(std::size(pieces))];
            if (!ascii || static_cast<unsigned char>(p[0]) < 0x80)
                text += p;
        }
        lowered.push_back(AnsiLowerCase(text));
        lines.push_back({text, i, i});
    }
    TListView view;
    view.SetLines(lines);
    const auto reference = [&](const std::string& needle, int from) {
        for (int l = std::max(from, 0); l < static_cast<int>(lowered.size()); ++l)
            if (!needle.empty() &&
                lowered[static_cast<size_t>(l)].find(needle) != std::string::npos)
                return l;
        return -1;
    };
    std::vector<std::string> needles = {"a",           "ab",       "b a",      "zq",
                                        "title title", "\xc3\xa9", "\xd0\xba", "\xff",
                                        "a\xc3\xa9",   "0-",       "qqqqqqqq", ""};
    for (int i = 0; i < 200; ++i) {
        const std::string& line = lowered[next(static_cast<uint32_t>(lowered.size()))];
        if (line.empty())
            continue;
        const size_t at = next(static_cast<uint32_t>(line.size()));
        needles.push_back(line.substr(at, 1 + next(6)));
    }
    for (const std::string& needle : needles)
        for (int from : {-1, 0, 1, 17, 150, 299, 300})
            EXPECT_EQ(reference(needle, from), view.FindLower(needle, from))
                << testing::PrintToString(needle) << " from " << from;
}

// Removing and reordering rows of the library moves each row's eight values together, as
// the same changes of a table of string lists do.
TEST(MediaLibrary, RemovedAndReorderedRowsKeepTheirValuesTogether) {
    TPackedTable packed;
    TBvMultiStringHolder lists = MakeTrackTable();
    for (int r = 0; r < 9; ++r) {
        const std::string n = std::to_string(r);
        const TTrackRowSnapshot row = {"Artist " + n,       r % 3 ? "T" + n : "", "Al",  n + ":0",
                                       std::string(r, '9'), "C:\\" + n + ".mp3",  "128", n};
        AppendTableRow(packed, row);
        AppendTableRow(lists, row);
    }
    const auto rows = [](const auto& table) {
        std::vector<std::string> all;
        for (int r = 0; r < TableRowCount(table); ++r) {
            const TTrackRowSnapshot row = TableRow(table, r);
            std::string text;
            for (TTrackColumn c : TrackColumns)
                text += row.*TrackRowField(c) + "|";
            all.push_back(text);
        }
        return all;
    };
    const std::vector<bool> remove = {true, false, false, true, false, true, false, false, true};
    RemoveTableRows(packed, remove);
    RemoveTableRows(lists, remove);
    ASSERT_EQ(rows(lists), rows(packed));
    const std::vector<int> order = {4, 0, 3, 1, 2};
    PermuteTableRows(packed, order);
    std::vector<std::string> expected;
    for (int r : order)
        expected.push_back(rows(lists)[static_cast<size_t>(r)]);
    EXPECT_EQ(expected, rows(packed));
    EXPECT_EQ("Artist 7|T7|Al|7:0|9999999|C:\\7.mp3|128|7|", rows(packed)[0]);
    ClearTable(packed);
    EXPECT_EQ(0, TableRowCount(packed));
}

// The template read once gives each row the text the template read per row gives, the same
// failures included.
TEST(MediaLibrary, ATemplateReadOnceShowsEveryRowAsReadPerRow) {
    const TTrackRowSnapshot rows[] = {
        {"Abba", "Dancing Queen", "Arrival", "3:50", "3000000", "C:\\Mr. Big\\Song.x.mp3", "128",
         "1"},
        {"", "", "", "0:0", "", "C:\\a.b\\c", "", ""},
        {"Björk", "<title>", "Homogenic", "100:5", "1", "Plain", "320", "2"},
        {"Bad", "Time", "", "no time", "", "x.mp3", "", ""},
    };
    const std::string templates[] = {std::string(DisplayTemplateItems[0]),
                                     std::string(DisplayTemplateItems[1]),
                                     std::string(DisplayTemplateItems[5]),
                                     std::string(DisplayTemplateItems[6]),
                                     std::string(DisplayTemplateItems[7]),
                                     "<ARTIST>|<Title>|<size>",
                                     "<<artist>>",
                                     "<",
                                     "",
                                     "<bitrate> <unknown> <time"};
    for (const std::string& shown : templates) {
        for (const std::string suffix : {"", " kbps"}) {
            const TDisplayTemplate once(shown, suffix);
            for (const TTrackRowSnapshot& row : rows) {
                SCOPED_TRACE(shown + " / " + row.Artist + " / " + row.Time + " / " + suffix);
                auto value = [&](TTrackColumn column) -> const std::string& {
                    return row.*TrackRowField(column);
                };
                std::string perRow;
                bool perRowFails = false;
                try {
                    perRow = ExpandDisplayTemplate(
                        shown, [&](TTrackColumn c, std::string& v) { v = value(c); }, suffix);
                } catch (const EConvertError&) {
                    perRowFails = true;
                }
                if (perRowFails) {
                    EXPECT_THROW(once.Expand(value), EConvertError);
                } else {
                    EXPECT_EQ(perRow, once.Expand(value));
                }
            }
        }
    }
}
