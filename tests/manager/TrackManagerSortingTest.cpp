#include "ListsTestSupport.h"

using BvTest::StringVec;
using Sorting = BvTest::TListsFixture;

namespace {

struct TRow {
    const char* Artist;
    const char* Title;
    const char* Album;
    const char* Time;
    const char* Size;
    const char* BitRate;
};

// Rows 0..4; rows 1 and 4 differ only in their file name.
const TRow SortRows[] = {
    {"cher", "Believe", "Zeta", "10:5", "10000", "128"},
    {"Abba", "Waterloo", "Gold", "3:5", "9000", "96"},
    {"Abba", "Chiquitita", "Arrival", "03:05", "9000", "320"},
    {"beatles", "Yesterday", "Help", "2:59", "12000", "96"},
    {"Abba", "Waterloo", "Gold", "3:5", "9000", "96"},
};

} // namespace

class SortingByColumn : public BvTest::TListsFixture {
protected:
    void Fill() {
        for (const TRow& r : SortRows)
            AddRow(r.Artist, r.Title, r.Album, r.Time, r.Size, "", r.BitRate);
    }
};

TEST_F(SortingByColumn, EachCommandSortsTheShownPlaylistByItsKeyOrder) {
    struct TCase {
        void (*Command)(TTrackManager&);
        StringVec Order;
    };
    const TCase cases[] = {
        // Same artist: the title decides; equal rows keep their order.
        {[](TTrackManager& m) { m.SortbyArtist1Click(); }, {"2", "1", "4", "3", "0"}},
        {[](TTrackManager& m) { m.SortbyTitle1Click(); }, {"0", "2", "1", "4", "3"}},
        {[](TTrackManager& m) { m.SortbyAlbum1Click(); }, {"2", "1", "4", "3", "0"}},
        // By value: 96 before 128 before 320.
        {[](TTrackManager& m) { m.SortbyBitrate1Click(); }, {"1", "4", "3", "0", "2"}},
        // 9,000 bytes before 10,000 before 12,000.
        {[](TTrackManager& m) { m.SortbySize1Click(); }, {"2", "1", "4", "0", "3"}},
        // 3:5 and 03:05 are one length; then the artist, the title.
        {[](TTrackManager& m) { m.Sortbylength1Click(); }, {"3", "2", "1", "4", "0"}},
    };
    Fill();
    for (const TCase& c : cases) {
        M->Model.PlaylistTracks[0].Clear();
        for (const char* e : {"4", "3", "2", "1", "0"})
            M->Model.PlaylistTracks[0].Add(e);
        Show(0);
        c.Command(*M);
        EXPECT_EQ(c.Order, Entries(0));
        EXPECT_EQ(5, M->BvPlaylist.Count());
    }
    EXPECT_EQ(5, M->Model.TrackCount());
    EXPECT_EQ("cher", Column("Artist")[0]);
}

TEST_F(SortingByColumn, SortAllSortsEveryPlaylistElseOnlyTheShownOne) {
    Fill();
    const int a = AddPlaylist("A", {"0", "3", "1"});
    const int b = AddPlaylist("B", {"3", "0"});
    Show(a);
    M->SortbyArtist1Click();
    EXPECT_EQ((StringVec{"1", "3", "0"}), Entries(a));
    EXPECT_EQ((StringVec{"3", "0"}), Entries(b));
    EXPECT_EQ((StringVec{"0", "1", "2", "3", "4"}), Entries(0));
    M->Sortall1Click();
    EXPECT_TRUE(M->Sortall1Checked);
    M->SortbySize1Click();
    EXPECT_EQ((StringVec{"2", "1", "4", "0", "3"}), Entries(0));
    EXPECT_EQ((StringVec{"0", "3"}), Entries(b));
    M->Sortall1Click();
    EXPECT_FALSE(M->Sortall1Checked);
    M->ListBoxPlayLists.ItemIndex = -1;
    M->SortbyArtist1Click(); // nothing shown: nothing sorted
    EXPECT_EQ((StringVec{"0", "3"}), Entries(b));
}

TEST_F(SortingByColumn, ABadEntryLeavesThePlaylistAsItWas) {
    Fill();
    const int a = AddPlaylist("A", {"3", " ", "0"});
    const int b = AddPlaylist("B", {"3", "9"});
    Show(a);
    M->SortbyArtist1Click();
    EXPECT_EQ((StringVec{"3", " ", "0"}), Entries(a));
    ASSERT_EQ(1u, Ui.Warnings.size());
    Show(b);
    M->SortbyArtist1Click();
    EXPECT_EQ((StringVec{"3", "9"}), Entries(b));
    EXPECT_EQ(2u, Ui.Warnings.size());
    const int empty = AddPlaylist("E", {});
    Show(empty);
    M->SortbyTitle1Click();
    EXPECT_TRUE(Entries(empty).empty());
}

TEST_F(Sorting, LibraryRowsKeepTheirValuesTogether) {
    TPackedTable& db = M->Model.MediaDB;
    const std::vector<StringVec> rows = {
        {"Zed", "T1", "Al", "4:00", "10000", "C:\\z.mp3", "128", "0"},
        {"amy", "T2", "Al", "3:05", "9000", "C:\\a.mp3", "0", "1"},
        {"Bob", "T3", "Al", "3:5", "#%#^$#*", "C:\\b#%#^$#*.mp3", "64", "2"},
    };
    const char* names[] = {"Artist", "Title",    "Album",   "Time",
                           "Size",   "FileName", "BitRate", "UID"};
    for (const StringVec& r : rows)
        for (size_t c = 0; c < 8; ++c)
            db.StringsByName(names[c]).Add(r[c]);
    using enum TTrackColumn;
    M->SortMediaDB({Artist, Title, Album, Time, Size, FileName, BitRate, UID});
    EXPECT_EQ((StringVec{"amy", "Bob", "Zed"}), db.StringsByName("Artist").Items());
    EXPECT_EQ((StringVec{"1", "2", "0"}), db.StringsByName("UID").Items());
    EXPECT_EQ((StringVec{"C:\\a.mp3", "C:\\b#%#^$#*.mp3", "C:\\z.mp3"}),
              db.StringsByName("FileName").Items());
    // A size that is no number follows the numbers.
    M->SortMediaDB({Size, Artist, Title, Album, Time, FileName, BitRate, UID});
    EXPECT_EQ((StringVec{"9000", "10000", "#%#^$#*"}), db.StringsByName("Size").Items());
    EXPECT_EQ((StringVec{"amy", "Zed", "Bob"}), db.StringsByName("Artist").Items());
    M->SortMediaDB({BitRate, Artist, Title, Album, Time, Size, FileName, UID});
    EXPECT_EQ((StringVec{"0", "64", "128"}), db.StringsByName("BitRate").Items());
    // Uneven columns are refused and nothing moves.
    db.StringsByName("UID").Delete(0);
    EXPECT_THROW(M->SortMediaDB({Artist, Title, Album, Time, Size, FileName, BitRate, UID}),
                 ETrackManagerError);
    EXPECT_EQ((StringVec{"amy", "Bob", "Zed"}), db.StringsByName("Artist").Items());
}

TEST_F(Sorting, EmptyLibrarySortsToNothing) {
    M->SortbyArtist3Click();
    EXPECT_EQ(0, M->Model.MediaDB.StringsByName("Artist").Count());
    EXPECT_TRUE(Ui.Warnings.empty());
}

TEST_F(Sorting, LibraryTextOrderIsTheLocaleAwareOrder) {
    // Punctuation, digits, letters of either case, prefixes and non-ASCII letters.
    const std::string alphabet[] = {" ", "-", ".", "0", "9", "a", "B", "z", "Z", "é", "É", "ß"};
    uint32_t seed = 12345;
    StringVec artists;
    for (int i = 0; i < 300; ++i) {
        std::string s;
        seed = seed * 1103515245u + 12345u;
        for (uint32_t k = 0, len = (seed >> 16) % 5; k < len; ++k) {
            seed = seed * 1103515245u + 12345u;
            s += alphabet[(seed >> 16) % std::size(alphabet)];
        }
        artists.push_back(s);
    }
    TPackedTable& db = M->Model.MediaDB;
    for (const std::string& a : artists) {
        db.StringsByName("Artist").Add(a);
        for (const char* c : {"Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
            db.StringsByName(c).Add("1:1");
    }
    M->SortbyArtist3Click();
    std::stable_sort(
        artists.begin(), artists.end(),
        [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(artists, db.StringsByName("Artist").Items());
}
