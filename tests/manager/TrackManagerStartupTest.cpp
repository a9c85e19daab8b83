#include "TrackManager.h"

#include "AudioFixtures.h"
#include "RtFileUtils.h"
#include "RtStrings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;

struct TManagerFixture {
    TAudioFixtureFolder Folder;
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui, {WindowsPathOf(Folder.Path()) + "\\", {}}};
};

} // namespace

TEST(ManagerMessages, BuiltInTextsInRegistrationOrder) {
    TManagerMessages m;
    ASSERT_EQ(28, m.Count());
    EXPECT_EQ("Building iTunesDB", m.Name(0));
    EXPECT_EQ("Type name of playlist", m.Name(27));
    EXPECT_EQ("Type name of playlist:", m.Text(MessageName::TypeNameOfPlaylist));
    EXPECT_EQ("You need to free %s Kbytes.", m.Text(MessageName::NotEnoughSpace2));
    EXPECT_EQ("Create new playlist", m.Text(MessageName::CreatePlaylist));
    EXPECT_THROW(m.Text("no such"), EBvException);
}

TEST(ManagerMessages, TranslationWhosePlaceholdersDoNotFitKeepsTheBuiltInText) {
    TManagerMessages m;
    EXPECT_TRUE(m.SetText(MessageName::CopyingFile, "Kopiere: %s"));
    EXPECT_EQ("Kopiere: a.mp3", m.Fmt(MessageName::CopyingFile, {"a.mp3"}));
    // A number placeholder where a text is filled in, or one too many.
    EXPECT_FALSE(m.SetText(MessageName::NotEnoughSpace2, "Frei machen: %d KB"));
    EXPECT_FALSE(m.SetText(MessageName::SkeepingFile, "%s %s"));
    EXPECT_EQ("You need to free 12 Kbytes.", m.Fmt(MessageName::NotEnoughSpace2, {"12"}));
    EXPECT_TRUE(m.SetText(MessageName::AllMusic, "Alle Musik"));
    EXPECT_EQ("Alle Musik", m.Text(MessageName::AllMusic));
    EXPECT_FALSE(m.SetText("unknown", "x"));
    m.ResetToDefaults();
    EXPECT_EQ("All music", m.Text(MessageName::AllMusic));
}

TEST(DisplayTemplate, TimesAndOnePassExpansion) {
    EXPECT_EQ(185, TrackTimeSeconds("3:5"));
    EXPECT_EQ(185, TrackTimeSeconds("03:05"));
    EXPECT_EQ(75, TrackTimeSeconds("0:75"));
    EXPECT_THROW(TrackTimeSeconds("305"), EConvertError);
    EXPECT_THROW(TrackTimeSeconds("a:05"), EConvertError);
    EXPECT_EQ("03:05", FormatTrackTime(185));
    EXPECT_EQ("100:00", FormatTrackTime(6000));
    const std::vector<std::string> row = {"<title>", "Song", "Alb",       "Other",
                                          "3:5",     "4000", "C:\\a.mp3", "128"};
    auto get = [&](int f, std::string& v) { v = row[static_cast<size_t>(f)]; };
    EXPECT_EQ("<title> - Song (03:05)",
              ExpandDisplayTemplate("<Artist> - <title> (<TIME>)", get, ""));
    EXPECT_EQ("128 kbps", ExpandDisplayTemplate("<bitrate>", get, " kbps"));
}

TEST(TrackManagerStartup, FirstRunHasAllMusicAndAnEmptyLibrary) {
    TManagerFixture f;
    f.Manager.Start();
    ASSERT_EQ(1, f.Manager.ListBoxPlayLists.Items.Count());
    EXPECT_EQ("All music", f.Manager.ListBoxPlayLists.Items[0]);
    EXPECT_EQ(0, f.Manager.ListBoxPlayLists.ItemIndex);
    EXPECT_EQ(0, f.Manager.Model.MediaDB.StringsByName("Artist").Count());
    EXPECT_EQ("\\mobile\\audio\\", f.Manager.Model.UploadPath);
    EXPECT_TRUE(f.Ui.Warnings.empty());
}
