#include "TrackManager.h"

#include "TrackTableRows.h"

#include <gtest/gtest.h>

namespace {

struct TDeletedFixture {
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui,
                          {"C:\\nonexistent-brisvane-test\\", "C:\\nonexistent-brisvane-test\\"}};

    TDeletedFixture() {
        Manager.ListBoxPlayLists.Items.Add("All music");
        Manager.ListBoxPlayLists.ItemIndex = 0;
    }
    // Track rows t0.. and deleted rows d0.. with UIDs that tell them apart.
    void AddTracks(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            Manager.Model.AppendTrack(
                {"Artist", "t" + n, "Album", "1:0", "100", "C:\\t" + n + ".mp3", "128", n});
        }
        Manager.Model.SyncAllMusic();
    }
    void AddDeleted(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            AppendTableRow(Manager.Model.DeletedHolder,
                           {"Deleted", "d" + n, "Album", "2:5", "200",
                            "E:\\mobile\\audio\\d" + n + ".mp3", "192", "uid" + n});
        }
        Manager.RefreshDeletedList();
    }
    std::vector<std::string> Column(const TBvMultiStringHolder& table, const char* name) {
        return table.StringsByName(name).Items();
    }
};

TEST(DeletedList, ViewShowsEveryRowAndSkipsOnlyARowThatCannotBeShown) {
    TDeletedFixture f;
    f.Manager.RefreshDeletedList();
    EXPECT_EQ(0, f.Manager.DeletedList.Count());
    EXPECT_FALSE(f.Manager.DeletedList.DragEnabled);
    f.Manager.Options.comboShowTracksAs = "<title> (<time>|<bitrate>)";
    f.AddDeleted(3);
    f.Manager.Model.DeletedHolder.StringsByName("Time").Put(1, "bad");
    f.Manager.BvGroupDeletedExpanded();
    ASSERT_EQ(2, f.Manager.DeletedList.Count());
    // The bitrate alone, without the track view's unit.
    EXPECT_EQ("d0 (02:05|192)", f.Manager.DeletedList.Lines[0].Text);
    EXPECT_EQ(2, f.Manager.DeletedList.Lines[1].Row);
    EXPECT_TRUE(f.Manager.DeletedList.DragEnabled);
}

TEST(DeletedList, RestoreMovesExactlyTheSelectedRowsInListOrder) {
    TDeletedFixture f;
    f.AddTracks(2);
    f.Manager.Model.PlaylistTracks[1].Add("1");
    f.AddDeleted(5);
    f.Manager.DeletedList.Select(3);
    f.Manager.DeletedList.Select(2);
    f.Manager.MenuItem1Click();

    const auto& tracks = f.Manager.Model.TrackListHolder;
    EXPECT_EQ((std::vector<std::string>{"t0", "t1", "d2", "d3"}), f.Column(tracks, "Title"));
    // Every value unchanged, the old UID included.
    EXPECT_EQ((std::vector<std::string>{"0", "1", "uid2", "uid3"}), f.Column(tracks, "UID"));
    EXPECT_EQ("E:\\mobile\\audio\\d3.mp3", f.Column(tracks, "FileName")[3]);
    EXPECT_EQ("192", f.Column(tracks, "BitRate")[3]);
    EXPECT_EQ((std::vector<std::string>{"d0", "d1", "d4"}),
              f.Column(f.Manager.Model.DeletedHolder, "Title"));
    for (const char* c : {"Artist", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
        EXPECT_EQ(3, f.Manager.Model.DeletedHolder.StringsByName(c).Count()) << c;
    // At the end of the master list, in no user playlist; both views refreshed.
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2", "3"}),
              f.Manager.Model.PlaylistTracks[0].Items());
    EXPECT_EQ((std::vector<std::string>{"1"}), f.Manager.Model.PlaylistTracks[1].Items());
    EXPECT_EQ(3, f.Manager.DeletedList.Count());
    EXPECT_EQ(4, f.Manager.BvPlaylist.Count());
    // Restored rows are ordinary rows with serials of their own.
    EXPECT_NE(f.Manager.Model.RowSerial(2), f.Manager.Model.RowSerial(3));
}

TEST(DeletedList, RestoreFollowsTheLinesOverARowThatCannotBeShown) {
    TDeletedFixture f;
    f.AddDeleted(4);
    f.Manager.Model.DeletedHolder.StringsByName("Time").Put(0, "x");
    f.Manager.RefreshDeletedList();
    ASSERT_EQ(3, f.Manager.DeletedList.Count());
    f.Manager.DeletedList.Select(0); // shows d1
    f.Manager.DeletedList.Select(2); // shows d3
    f.Manager.MenuItem1Click();
    EXPECT_EQ((std::vector<std::string>{"d1", "d3"}),
              f.Column(f.Manager.Model.TrackListHolder, "Title"));
    EXPECT_EQ((std::vector<std::string>{"d0", "d2"}),
              f.Column(f.Manager.Model.DeletedHolder, "Title"));
}

TEST(DeletedList, DeleteAndClear) {
    TDeletedFixture f;
    f.AddDeleted(6);
    for (int line : {0, 2, 3, 5})
        f.Manager.DeletedList.Select(line);
    f.Manager.Delete1Click();
    EXPECT_EQ((std::vector<std::string>{"d1", "d4"}),
              f.Column(f.Manager.Model.DeletedHolder, "Title"));
    EXPECT_EQ((std::vector<std::string>{"uid1", "uid4"}),
              f.Column(f.Manager.Model.DeletedHolder, "UID"));
    EXPECT_EQ(2, f.Manager.DeletedList.Count());
    EXPECT_EQ(0, f.Manager.Model.TrackCount());

    // Nothing selected: nothing removed.
    f.Manager.Delete1Click();
    EXPECT_EQ(2, f.Manager.DeletedList.Count());

    f.Manager.Clear4Click();
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
        EXPECT_EQ(0, f.Manager.Model.DeletedHolder.StringsByName(c).Count()) << c;
    EXPECT_EQ(0, f.Manager.DeletedList.Count());
    EXPECT_FALSE(f.Manager.DeletedList.DragEnabled);
}

TEST(DeletedList, RemovedTracksArriveAndAResetEmptiesTheList) {
    TDeletedFixture f;
    f.AddTracks(3);
    f.Manager.Model.DeleteTrack(1, 1);
    f.Manager.RefreshTrackView();
    ASSERT_EQ(1, f.Manager.DeletedList.Count());
    EXPECT_EQ("Artist - t1 (01:00)", f.Manager.DeletedList.Lines[0].Text);
    f.Manager.btnResetProgClick();
    EXPECT_EQ(0, f.Manager.DeletedList.Count());
    EXPECT_EQ(0, f.Manager.Model.DeletedHolder.StringsByName("Title").Count());
}

} // namespace
