#include "TrackModel.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

namespace {

TTrackRowSnapshot Row(int i) {
    const std::string n = std::to_string(i);
    return {"Artist" + n, "Title" + n,
            "Album" + n,  "1:" + n,
            n + "000",    "C:\\m\\" + n + ".mp3",
            "128",        n};
}

std::vector<std::string> Items(const TStringList& l) {
    return l.Items();
}

} // namespace

TEST(TrackModel, FieldsByColumn) {
    TTrackModel m;
    std::string v = "kept";
    // Genre and sample rate are the same for every track, even with no tracks at all.
    EXPECT_EQ("Other", TrackGenre);
    EXPECT_EQ("44100", IntToStr(TrackSampleRate));
    EXPECT_THROW(m.GetTrackField(0, TTrackColumn::Artist, v), EListError);
    EXPECT_EQ("kept", v);
    m.AppendTrack(Row(4));
    using enum TTrackColumn;
    const std::pair<TTrackColumn, const char*> expected[] = {
        {Artist, "Artist4"}, {Title, "Title4"},          {Album, "Album4"}, {Time, "1:4"},
        {Size, "4000"},      {FileName, "C:\\m\\4.mp3"}, {BitRate, "128"},  {UID, "4"}};
    for (const auto& [column, value] : expected) {
        m.GetTrackField(0, column, v);
        EXPECT_EQ(value, v) << TrackColumnName(column);
    }
    EXPECT_EQ(1, m.TrackCount());
    EXPECT_TRUE(m.IsInTrackList("c:\\M\\4.MP3"));
    EXPECT_FALSE(m.IsInTrackList("C:\\m\\5.mp3"));
}

TEST(TrackModel, PhoneDriveRule) {
    TTrackModel m;
    m.PhoneDrive = 'e';
    EXPECT_TRUE(m.IsOnPhone("E:\\mobile\\a.mp3"));
    EXPECT_TRUE(m.IsOnPhone("e:\\a.mp3"));
    EXPECT_FALSE(m.IsOnPhone("F:\\a.mp3"));
    EXPECT_FALSE(m.IsOnPhone("\\\\e\\share\\a.mp3"));
}

TEST(TrackModel, DeleteTrackRenumbersEveryPlaylist) {
    TTrackModel m;
    for (int i = 0; i < 5; ++i)
        m.AppendTrack(Row(i));
    m.PlaylistTracks[1] = TStringList{"4", "2", "0"};
    m.PlaylistTracks[100] = TStringList{"2", " ", "3", "x"};
    const uint64_t serial3 = m.RowSerial(3);
    m.DeleteTrack(2, 0);
    EXPECT_EQ((std::vector<std::string>{"3", "0"}), Items(m.PlaylistTracks[1]));
    // Placeholders are left as they are; the numbers around them still move.
    EXPECT_EQ((std::vector<std::string>{" ", "2", "x"}), Items(m.PlaylistTracks[100]));
    EXPECT_EQ(4, m.TrackCount());
    std::string v;
    m.GetTrackField(2, TTrackColumn::Title, v);
    EXPECT_EQ("Title3", v);
    EXPECT_EQ(2, m.RowOfSerial(serial3));
    EXPECT_EQ(0, m.DeletedHolder.StringsByName("UID").Count());

    m.DeleteTrack(0, 1);
    EXPECT_EQ((std::vector<std::string>{"Title0"}), Items(m.DeletedHolder.StringsByName("Title")));
    EXPECT_EQ((std::vector<std::string>{"0"}), Items(m.DeletedHolder.StringsByName("UID")));
    // A row out of range changes nothing.
    const auto before = Items(m.PlaylistTracks[1]);
    EXPECT_THROW(m.DeleteTrack(10, 1), EListError);
    EXPECT_EQ(before, Items(m.PlaylistTracks[1]));
    EXPECT_EQ(3, m.TrackCount());
    EXPECT_EQ(1, m.DeletedHolder.StringsByName("UID").Count());
}

TEST(TrackModel, SerialsFollowRowsAndAreNeverReused) {
    TTrackModel m;
    for (int i = 0; i < 3; ++i)
        m.AppendTrack(Row(i));
    // A row appended column by column gets a serial too.
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
        m.TrackListHolder.StringsByName(c).Add("x");
    const uint64_t s0 = m.RowSerial(0), s3 = m.RowSerial(3);
    EXPECT_NE(s0, s3);
    m.ExchangeTracks(0, 3);
    EXPECT_EQ(3, m.RowOfSerial(s0));
    EXPECT_EQ(0, m.RowOfSerial(s3));
    m.DeleteTrack(3, 0);
    EXPECT_EQ(-1, m.RowOfSerial(s0));
    m.AppendTrack(Row(9));
    EXPECT_NE(s0, m.RowSerial(3));
    m.ClearTracks();
    EXPECT_EQ(0, m.TrackCount());
    EXPECT_EQ(-1, m.RowOfSerial(s3));
}

TEST(TrackModel, SyncAllMusic) {
    TTrackModel m;
    for (int i = 0; i < 3; ++i)
        m.AppendTrack(Row(i));
    m.PlaylistTracks[2] = TStringList{"7", "3"};
    m.SyncAllMusic();
    EXPECT_EQ((std::vector<std::string>{"7", "3", "0", "1", "2"}), Items(m.PlaylistTracks[0]));
    m.UpdateAllMusic();
    EXPECT_EQ(5, m.PlaylistTracks[0].Count());
    m.PlaylistTracks[0] = TStringList{"05"};
    m.PlaylistTracks[1] = TStringList{"5"};
    m.PlaylistTracks[2].Clear();
    m.SyncAllMusic();
    EXPECT_EQ((std::vector<std::string>{"05", "5", "0", "1", "2"}), Items(m.PlaylistTracks[0]));
}

TEST(TrackModel, SnapshotFeedsTheBuild) {
    TTrackModel m;
    m.PhoneDrive = 'G';
    m.UploadPath = "\\up\\";
    m.AppendTrack(Row(1));
    m.PlaylistTracks[0] = TStringList{"0"};
    TStringList names{"All music"};
    const TDatabaseSnapshot s = m.Snapshot(names);
    ASSERT_EQ(1u, s.Tracks.size());
    EXPECT_EQ("C:\\m\\1.mp3", s.Tracks[0].FileName);
    EXPECT_EQ("1:1", s.Tracks[0].Time);
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"0"}}), s.PlaylistEntries);
    EXPECT_EQ('G', s.PhoneDrive);
    EXPECT_EQ("\\up\\", s.UploadPath);
    // The snapshot is a copy: later edits of the model do not reach it.
    m.DeleteTrack(0, 0);
    EXPECT_NO_THROW(BuildDatabase(s));
    names.Clear();
    for (int i = 0; i < 102; ++i)
        names.Add("p");
    EXPECT_THROW(BuildDatabase(m.Snapshot(names)), EiTunesDBError);
}

TEST(TrackModel, RunFlagsCrossThreads) {
    TTrackModel m;
    m.ResetRunFlags();
    std::latch started(1);
    std::thread worker([&] {
        started.count_down();
        while (!m.CancelRequested.load())
            std::this_thread::yield();
        m.CopyDone = 1;
    });
    started.wait();
    m.CancelRequested = 1;
    worker.join();
    EXPECT_EQ(1, m.CopyDone.load());
    m.ResetRunFlags();
    EXPECT_EQ(0, m.CancelRequested.load());
}

// The build runs on a worker from a snapshot while the GUI thread goes on
// changing the track list and the playlists.
TEST(TrackModel, BuildFromSnapshotWhileTheListChanges) {
    TTrackModel m;
    for (int i = 0; i < 200; ++i)
        m.AppendTrack(Row(i));
    for (int i = 0; i < 200; ++i)
        m.PlaylistTracks[1].Add(std::to_string(i));
    TStringList names{"All music", "Mine"};
    const TDatabaseSnapshot s = m.Snapshot(names);
    std::latch go(1);
    std::string db;
    std::thread worker([&] {
        go.wait();
        db = BuildDatabase(s);
    });
    go.count_down();
    while (m.TrackCount() > 0)
        m.DeleteTrack(0, 1);
    m.SyncAllMusic();
    BuildDatabase(m.Snapshot(names)); // the GUI thread draws item bytes too
    worker.join();
    EXPECT_EQ(BuildDatabase(s).size(), db.size());
    EXPECT_EQ(200, m.DeletedHolder.StringsByName("UID").Count());
}

// One rule of file-name equality: letters without regard to case, every other byte
// exactly. The set, IsInTrackList and SameFileName agree on it.
TEST(FileNameSet, OneRuleOfFileNameEquality) {
    struct TCase {
        std::string Listed, Found;
        bool Same;
    };
    const TCase cases[] = {
        {"E:\\Music\\A.MP3", "e:\\music\\a.mp3", true},
        {"E:\\Café.mp3", "E:\\CAFÉ.MP3", true},
        {"E:\\Café.mp3", "E:\\Cafe.mp3", false},
        {"E:\\Ёжик.mp3", "E:\\ёжик.mp3", true},
        {"E:\\Ёжик.mp3", "E:\\Ежик.mp3", false},
        {"E:\\Straße.mp3", "E:\\Strasse.mp3", false},
        {"E:\\x.mp3", "E:\\x.mp3 ", false},
        // Bytes that are not UTF-8 (names in a single-byte code page) stay themselves.
        {"E:\\\xff.mp3", "E:\\\xfe.mp3", false},
        {"E:\\x\xe9.mp3", "E:\\x\xe8.mp3", false},
        {"E:\\X\xe9.mp3", "e:\\x\xe9.MP3", true},
        {"E:\\a.mp3", "E:\\a.mp3", true},
        {"", "", true},
    };
    for (const TCase& c : cases) {
        TStringList names;
        names.Add(c.Listed);
        const TFileNameSet set(names);
        EXPECT_EQ(c.Same, set.Contains(c.Found)) << c.Listed << " / " << c.Found;
        EXPECT_EQ(c.Same, SameFileName(c.Listed, c.Found)) << c.Listed << " / " << c.Found;
        TTrackModel m;
        m.AppendTrack({"A", "T", "Al", "1:0", "1", c.Listed, "128", "0"});
        EXPECT_EQ(c.Same, m.IsInTrackList(c.Found)) << c.Listed << " / " << c.Found;
    }
    TFileNameSet set{TStringList{}};
    EXPECT_FALSE(set.Contains("E:\\a.mp3"));
    set.Add("E:\\A.mp3");
    EXPECT_TRUE(set.Contains("e:\\a.MP3"));
}

// Removing many rows at once leaves the table, the playlists and the serials as
// removing them one by one from the last down does.
TEST(TrackModel, DeleteTracksAsManyDeleteTrack) {
    const std::vector<std::vector<int>> removals = {
        {}, {0}, {9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 3, 4, 8}, {0, 5, 9}};
    for (const auto& removal : removals) {
        TTrackModel one, all;
        for (TTrackModel* m : {&one, &all}) {
            for (int i = 0; i < 10; ++i)
                m->AppendTrack(Row(i));
            // Rows, repeats, entries past the last row, a negative one, a placeholder.
            m->PlaylistTracks[0].SetText("0\n1\n2\n3\n4\n5\n6\n7\n8\n9");
            m->PlaylistTracks[3].SetText("9\n4\n4\n12\n-1\n \n07\n0");
        }
        std::vector<uint64_t> serials;
        for (int r = 0; r < 10; ++r)
            serials.push_back(all.RowSerial(r));
        std::vector<bool> remove(10, false);
        for (int r : removal)
            remove[static_cast<size_t>(r)] = true;
        for (int r = 9; r >= 0; --r)
            if (remove[static_cast<size_t>(r)])
                one.DeleteTrack(r, 0);
        all.DeleteTracks(remove);
        ASSERT_EQ(one.TrackCount(), all.TrackCount());
        for (const char* c :
             {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
            EXPECT_EQ(Items(one.TrackListHolder.StringsByName(c)),
                      Items(all.TrackListHolder.StringsByName(c)))
                << c;
        for (size_t p = 0; p < one.PlaylistTracks.size(); ++p)
            EXPECT_EQ(Items(one.PlaylistTracks[p]), Items(all.PlaylistTracks[p])) << p;
        for (int r = 0, kept = 0; r < 10; ++r) {
            if (!remove[static_cast<size_t>(r)]) {
                EXPECT_EQ(serials[static_cast<size_t>(r)], all.RowSerial(kept++));
            }
        }
        EXPECT_TRUE(all.DeletedHolder.StringsByName("UID").Empty());
    }
}

// The run flags go back to zero before every update run; the detection flag says
// the present card was read already and must outlive the run.
TEST(TrackModel, ResetRunFlagsKeepsTheDetectionFlag) {
    TTrackModel m;
    m.ConverterRunning = 1;
    m.CancelRequested = 1;
    m.CopyDone = 1;
    m.ConvertDone = 1;
    m.CopyingFileSize = 5;
    m.ConvertingFileSize = 6;
    m.TransFlashHandled = 1;
    m.ResetRunFlags();
    for (int value : {int{m.ConverterRunning}, int{m.CancelRequested}, int{m.CopyDone},
                      int{m.ConvertDone}, int{m.CopyingFileSize}, int{m.ConvertingFileSize}})
        EXPECT_EQ(0, value);
    EXPECT_EQ(1, m.TransFlashHandled.load());
}

// A card's rows go into the list a whole column at a time, as AppendTrack would put them
// row by row: after the rows already there, each with a serial of its own. A table with a
// column too short for its rows changes nothing.
TEST(TrackModel, AppendTracksAsManyAppendTrack) {
    auto table = [](int from, int count, int shortColumn = -1) {
        TBvMultiStringHolder t = MakeTrackTable();
        int c = 0;
        for (TTrackColumn column : TrackColumns) {
            const int n = c++ == shortColumn ? count - 1 : count;
            for (int i = from; i < from + n; ++i)
                TrackColumn(t, column).Add(Row(i).*TrackRowField(column));
        }
        return t;
    };
    for (const int already : {0, 2}) {
        SCOPED_TRACE(already);
        TTrackModel bulk, single;
        for (int i = 0; i < already; ++i) {
            bulk.AppendTrack(Row(i));
            single.AppendTrack(Row(i));
        }
        TBvMultiStringHolder t = table(already, 3);
        EXPECT_EQ(already, bulk.AppendTracks(t, 3));
        for (int i = already; i < already + 3; ++i)
            single.AppendTrack(Row(i));
        for (TTrackColumn column : TrackColumns)
            EXPECT_EQ(Items(TrackColumn(single.TrackListHolder, column)),
                      Items(TrackColumn(bulk.TrackListHolder, column)))
                << TrackColumnName(column);
        EXPECT_EQ(already + 2, bulk.RowOfSerial(bulk.RowSerial(already + 2)));
        EXPECT_NE(bulk.RowSerial(already), bulk.RowSerial(already + 1));

        TBvMultiStringHolder broken = table(10, 3, 4);
        EXPECT_THROW(bulk.AppendTracks(broken, 3), EListError);
        EXPECT_EQ(already + 3, bulk.TrackCount());
    }
    // Rows fewer than the table holds: the first ones are copied, the table kept.
    TTrackModel m;
    TBvMultiStringHolder t = table(0, 3);
    EXPECT_EQ(0, m.AppendTracks(t, 2));
    EXPECT_EQ(2, m.TrackCount());
    EXPECT_EQ(3, TrackColumn(t, TTrackColumn::FileName).Count());
}
