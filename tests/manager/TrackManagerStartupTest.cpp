#include "TrackManager.h"

#include "AudioFixtures.h"
#include "RtFileUtils.h"
#include "RtStrings.h"
#include "TrackTableRows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

    // A translator writing the variable directly is guarded when the text is used.
    std::string& skip = m.Variable(MessageName::SkeepingFile);
    m.Register("later", "Later %s");
    skip = "Kein Platz: %d";
    EXPECT_EQ("Not enough space! Skeeping file %s", m.Text(MessageName::SkeepingFile));
    EXPECT_EQ("Not enough space! Skeeping file a.mp3", m.Fmt(MessageName::SkeepingFile, {"a.mp3"}));
    skip = "Kein Platz: %s";
    EXPECT_EQ("Kein Platz: a.mp3", m.Fmt(MessageName::SkeepingFile, {"a.mp3"}));
}

TEST(TrackManagerStartup, EveryMessageStringIsTranslatableRightAfterConstruction) {
    // A language file is applied at start-up, before any update or card command
    // has run, so the strings of those commands must already be registered.
    TManagerFixture f;
    for (const char* name : {"update_failed", "update_stopped", "copy_failed", "read_failed",
                             "db_cut_short", "playlist_limit", "files_not_deleted"})
        EXPECT_TRUE(f.Manager.Messages.IsRegistered(name)) << name;
    EXPECT_TRUE(f.Manager.Messages.SetText("update_failed", "Aktualisierung fehlgeschlagen."));
    EXPECT_TRUE(f.Manager.Messages.SetText("read_failed", "Lesefehler: %s"));
    EXPECT_EQ("Lesefehler: x", f.Manager.Messages.Fmt("read_failed", {"x"}));
}

TEST(DisplayTemplate, TimesAndOnePassExpansion) {
    EXPECT_EQ(185, TrackTimeSeconds("3:5"));
    EXPECT_EQ(185, TrackTimeSeconds("03:05"));
    EXPECT_EQ(75, TrackTimeSeconds("0:75"));
    EXPECT_THROW(TrackTimeSeconds("305"), EConvertError);
    EXPECT_THROW(TrackTimeSeconds("a:05"), EConvertError);
    EXPECT_EQ("03:05", FormatTrackTime(185));
    EXPECT_EQ("100:00", FormatTrackTime(6000));
    // In column order: Artist, Title, Album, Time, Size, FileName, BitRate.
    const std::vector<std::string> row = {"<title>", "Song",      "Alb", "3:5",
                                          "4000",    "C:\\a.mp3", "128"};
    auto get = [&](TTrackColumn c, std::string& v) { v = row[static_cast<size_t>(c)]; };
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

namespace {

const char* const DbColumns[] = {"Artist", "Title",   "Album", "Size",
                                 "Time",   "BitRate", "UID",   "FileName"};

void AddLibraryRow(TTrackManager& m, std::vector<std::string> values) {
    for (int c = 0; c < 8; ++c)
        m.Model.MediaDB.StringsByName(DbColumns[c]).Add(values[static_cast<size_t>(c)]);
}

} // namespace

TEST(TrackManagerStartup, LibraryFilesRoundTrip) {
    TManagerFixture f;
    f.Manager.Start();
    AddLibraryRow(f.Manager,
                  {"Björk", "Jóga", "Homogenic", "4000", "3:5", "128", "0", "C:\\a.mp3"});
    AddLibraryRow(f.Manager, {"", "Two", "", "10", "0:1", "0", "1", "C:\\b.m4a"});
    AddLibraryRow(f.Manager, {"Line\r\nBreak", "T", "A", "1", "1:0", "64", "2", "C:\\c.mp3"});
    f.Manager.FormClose();
    EXPECT_TRUE(f.Ui.Warnings.empty());
    EXPECT_EQ("Björk\r\n\r\nLine  Break\r\n", BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db0")));
    EXPECT_EQ("4000\r\n10\r\n1\r\n", BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db3")));
    EXPECT_EQ("C:\\a.mp3\r\nC:\\b.m4a\r\nC:\\c.mp3\r\n",
              BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db7")));

    TScriptedManagerUi ui;
    TTrackManager next(ui, f.Manager.Paths);
    next.Start();
    EXPECT_TRUE(ui.Warnings.empty());
    for (const char* c : DbColumns)
        EXPECT_EQ(f.Manager.Model.MediaDB.StringsByName(c).Items()[0],
                  next.Model.MediaDB.StringsByName(c).Items()[0])
            << c;
    EXPECT_EQ("Line  Break", next.Model.MediaDB.StringsByName("Artist")[2]);
    EXPECT_EQ(3, next.Model.MediaDB.StringsByName("FileName").Count());
}

// Files of every kind of line break, empty lines, bytes that are not UTF-8 and a last line
// with or without its break: the library reads them as a string list reads them, and a save
// writes each line with CR LF as before; what a save wrote is read and saved again unchanged,
// through the manifest's set as through files without one.
TEST(TrackManagerStartup, LibraryFilesOfAnyLineBreaksSaveAsAStringListWouldAndRoundTrip) {
    const std::string files[8] = {
        "Abba\r\n\r\nBj\xc3\xb6rk\r\nQueen",
        "one\ntwo\nthree\nfour\n",
        "a\rb\r\rc\r",
        "\xff\xfe raw\r\n\x80\r\n\r\n\xe9t\xe9\r\n",
        "1:0\r\n2:0\n3:0\r4:0",
        "128\r\n0\r\n64\r\n320\r\n",
        "0\r\n1\r\n2\r\n3",
        "C:\\a.mp3\n\r\nC:\\b.mp3\r\nC:\\c d.m4a\n",
    };
    TManagerFixture f;
    for (int i = 0; i < 8; ++i)
        BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i)), files[i]);
    f.Manager.Start();
    EXPECT_TRUE(f.Ui.Warnings.empty()) << f.Ui.Warnings.front();
    EXPECT_EQ(4, TableRowCount(f.Manager.Model.MediaDB));
    f.Manager.FormClose();
    std::string saved[8];
    for (int i = 0; i < 8; ++i) {
        TStringList list;
        list.SetText(files[i]);
        saved[i] = BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i)));
        EXPECT_EQ(list.Text(), saved[i]) << i;
    }
    for (int run = 0; run < 2; ++run) {
        TScriptedManagerUi ui;
        TTrackManager next(ui, f.Manager.Paths);
        next.Start();
        EXPECT_TRUE(ui.Warnings.empty()) << ui.Warnings.front();
        next.FormClose();
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(saved[i],
                      BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i))))
                << i;
    }
}

TEST(TrackManagerStartup, FirstRunWritesEightEmptyFiles) {
    TManagerFixture f;
    f.Manager.Start();
    EXPECT_TRUE(f.Manager.FormCloseQuery());
    f.Manager.FormClose();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ("", BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i))));
    EXPECT_TRUE(FileExists(f.Manager.SettingsFileName()));
}

TEST(TrackManagerStartup, UnevenOrMissingLibraryFilesAreEvenedWithOneMessage) {
    TManagerFixture f;
    BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db0"), "A\r\nB\r\nC\r\n");
    BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db4"), "3:5\n");
    BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db5"), "128\r\n320\r\n");
    // db1 is a folder, so it cannot be read; db7 is missing.
    std::filesystem::create_directories(f.Folder.Path("MediaDB.db1"));
    f.Manager.Start();
    ASSERT_EQ(1u, f.Ui.Warnings.size());
    const TPackedTable& db = f.Manager.Model.MediaDB;
    for (const char* c : DbColumns)
        EXPECT_EQ(3, db.StringsByName(c).Count()) << c;
    EXPECT_EQ("C", db.StringsByName("Artist")[2]);
    EXPECT_EQ("3:5", db.StringsByName("Time")[0]);
    EXPECT_EQ("0:0", db.StringsByName("Time")[2]);
    EXPECT_EQ("0", db.StringsByName("Size")[1]);
    EXPECT_EQ("2", db.StringsByName("UID")[2]);
    EXPECT_EQ("", db.StringsByName("FileName")[1]);
    // The message strings were registered before the library was read.
    EXPECT_TRUE(f.Manager.Messages.SetText(MessageName::AllMusic, "Alles"));
}

namespace {

// Runs start-up, a change of the library and shutdown with one library file that
// cannot be read. Root reads every file, so then the run is made as another user.
template <typename Change>
bool RunWithUnreadableFile(TManagerFixture& f, const std::string& file, Change change) {
    EXPECT_EQ(0, chmod(file.c_str(), 0200)); // writable, not readable
    const bool root = geteuid() == 0;
    if (root) {
        EXPECT_EQ(0, chown(f.Folder.Path().c_str(), 65534, 65534));
        for (const auto& e : std::filesystem::directory_iterator(f.Folder.Path()))
            EXPECT_EQ(0, chown(e.path().c_str(), 65534, 65534));
        EXPECT_EQ(0, seteuid(65534));
    }
    f.Manager.Start();
    const bool unreadable = f.Ui.Warnings.size() == 1;
    change(f.Manager);
    f.Manager.FormClose();
    if (root) {
        EXPECT_EQ(0, seteuid(0));
    }
    EXPECT_EQ(0, chmod(file.c_str(), 0644));
    return unreadable;
}

std::vector<std::string> LibraryFiles(const TManagerFixture& f) {
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i)
        files.push_back(BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i))));
    return files;
}

} // namespace

// The eight files are one set: a column kept as it was beside seven rewritten ones
// would pair its values with other rows, or, for the file names, lose the library.
TEST(TrackManagerStartup, LibraryWithAnUnreadableFileIsNotSavedAtAll) {
    struct Case {
        int unreadable;
        const char* what;
    } cases[] = {{0, "the artists"}, {2, "the albums"}, {7, "the file names"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TManagerFixture f;
        // Three rows; only the files of the second and third exist.
        BvTest::WriteWholeFile(f.Folder.Path("b.mp3"), "b");
        BvTest::WriteWholeFile(f.Folder.Path("c.mp3"), "c");
        const std::string names = "C:\\gone\\a.mp3\r\n" + WindowsPathOf(f.Folder.Path("b.mp3")) +
                                  "\r\n" + WindowsPathOf(f.Folder.Path("c.mp3")) + "\r\n";
        const std::string columns[8] = {"Zed\r\nAbe\r\nMia\r\n", "T1\r\nT2\r\nT3\r\n",
                                        "L1\r\nL2\r\nL3\r\n",    "1\r\n2\r\n3\r\n",
                                        "0:1\r\n0:2\r\n0:3\r\n", "128\r\n128\r\n128\r\n",
                                        "0\r\n1\r\n2\r\n",       names};
        for (int i = 0; i < 8; ++i)
            BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i)), columns[i]);
        const std::vector<std::string> before = LibraryFiles(f);
        const std::string file = f.Folder.Path("MediaDB.db" + std::to_string(c.unreadable));
        const bool unreadable = RunWithUnreadableFile(f, file, [](TTrackManager& m) {
            // The run changes the library: a sort and a removal move and drop rows.
            m.SortbyArtist3Click();
            m.Deletealldeadlinks1Click();
        });
        if (!unreadable)
            GTEST_SKIP() << "the file stayed readable";
        EXPECT_EQ(before, LibraryFiles(f));
        // Told once, at shutdown, that the library was not saved and why.
        ASSERT_EQ(2u, f.Ui.Warnings.size());
        EXPECT_NE(std::string::npos, f.Ui.Warnings[1].find("media library was not saved"))
            << f.Ui.Warnings[1];
        EXPECT_NE(std::string::npos,
                  f.Ui.Warnings[1].find("MediaDB.db" + std::to_string(c.unreadable)))
            << f.Ui.Warnings[1];
    }
}

TEST(TrackManagerStartup, LibraryIsWrittenWholeOrNotAtAll) {
    TManagerFixture f;
    for (int i = 0; i < 8; ++i)
        BvTest::WriteWholeFile(f.Folder.Path("MediaDB.db" + std::to_string(i)), "1\r\n");
    // One file of the set cannot be replaced at shutdown (refused even to root).
    const std::string locked = f.Folder.Path("MediaDB.db5");
    ASSERT_EQ(0, chmod(locked.c_str(), 0444));
    f.Manager.Start();
    ASSERT_TRUE(f.Ui.Warnings.empty());
    AddLibraryRow(f.Manager, {"a", "b", "c", "1", "0:1", "1", "0", "C:\\x.mp3"});
    f.Manager.FormClose();
    chmod(locked.c_str(), 0644);
    EXPECT_EQ(std::vector<std::string>(8, "1\r\n"), LibraryFiles(f));
    ASSERT_EQ(1u, f.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, f.Ui.Warnings[0].find("MediaDB.db5")) << f.Ui.Warnings[0];
    // No temporary file of the abandoned write is left beside the library.
    // The set kept as the previous one ("MediaDB.db<i>.bak") is no temporary file.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.Folder.Path()))
        if (e.path().extension() != ".bak")
            entries += e.path().filename().string()[0] == '.' ? 100 : 1;
    EXPECT_EQ(9, entries); // the eight files and the settings

    // Once the file can be written again, the next shutdown writes the whole set.
    TScriptedManagerUi ui;
    TTrackManager next(ui, f.Manager.Paths);
    next.Start();
    AddLibraryRow(next, {"a", "b", "c", "1", "0:1", "1", "0", "C:\\x.mp3"});
    next.FormClose();
    EXPECT_TRUE(ui.Warnings.empty());
    EXPECT_EQ("1\r\na\r\n", BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db0")));
    EXPECT_EQ("1\r\n1\r\n", BvTest::ReadWholeFile(f.Folder.Path("MediaDB.db5")));
}

TEST(TrackManagerStartup, SavingFailureIsReportedOnceAndNeverThrows) {
    TManagerFixture f;
    BvTest::WriteWholeFile(f.Folder.Path("blocker"), "a file, not a folder");
    TScriptedManagerUi ui;
    TTrackManager m(ui,
                    {f.Manager.Paths.ProgramFolder, f.Manager.Paths.ProgramFolder + "blocker\\"});
    m.Start();
    AddLibraryRow(m, {"a", "b", "c", "1", "0:1", "1", "0", "C:\\x.mp3"});
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_TRUE(ui.Warnings.empty());
    EXPECT_NO_THROW(m.FormClose());
    EXPECT_EQ(1u, ui.Warnings.size());
}

TEST(TrackManagerStartup, UnwritableProgramFolderUsesTheConfigurationFolder) {
    TAudioFixtureFolder config;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    TScriptedManagerUi ui;
    TTrackManager m(ui, {WindowsPathOf(config.Path("no-such-program-folder")) + "\\", {}});
    EXPECT_EQ(WindowsPathOf(config.Path("brisvane")) + "\\", m.Paths.DataFolder);
    EXPECT_TRUE(std::filesystem::is_directory(config.Path("brisvane")));
    m.Start();
    m.FormClose();
    EXPECT_TRUE(std::filesystem::exists(config.Path("brisvane/brisvane.ini")));
    EXPECT_TRUE(std::filesystem::exists(config.Path("brisvane/MediaDB.db7")));
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(TrackManagerStartup, ResetRestoresTheStartState) {
    TManagerFixture f;
    f.Manager.Start();
    f.Manager.Options.edUpload = "\\other\\";
    f.Manager.ApplyOptions();
    ASSERT_EQ("\\other\\", f.Manager.Model.UploadPath);
    ASSERT_TRUE(f.Manager.Messages.SetText(MessageName::AllMusic, "Alle Musik"));
    for (int i = 0; i < 3; ++i)
        f.Manager.Model.AppendTrack({"a", "t", "b", "0:1", "1", "C:\\" + std::to_string(i) + ".mp3",
                                     "128", std::to_string(i)});
    f.Manager.Model.SyncAllMusic();
    f.Manager.Model.DeleteTrack(2, 1);
    f.Manager.Model.PlaylistTrackUIDs[1].Add("77");
    f.Manager.ListBoxPlayLists.Items.Add("Mine");
    f.Manager.ListBoxPlayLists.ItemIndex = 1;
    f.Manager.Model.TransFlashHandled = 1;
    f.Manager.Model.CancelRequested = 1;
    f.Manager.RefreshTrackView();
    ASSERT_FALSE(f.Manager.Options.cbAutoDetect);
    ASSERT_FALSE(f.Manager.TransFlashTimer.Enabled);

    f.Manager.btnResetProgClick();
    EXPECT_EQ("\\mobile\\audio\\", f.Manager.Model.UploadPath);
    ASSERT_EQ(1, f.Manager.ListBoxPlayLists.Items.Count());
    EXPECT_EQ("Alle Musik", f.Manager.ListBoxPlayLists.Items[0]);
    EXPECT_EQ(0, f.Manager.ListBoxPlayLists.ItemIndex);
    EXPECT_EQ(0, f.Manager.Model.TrackCount());
    EXPECT_EQ(0, f.Manager.Model.DeletedHolder.StringsByName("UID").Count());
    EXPECT_EQ(0, f.Manager.Model.PlaylistTracks[0].Count());
    EXPECT_EQ(1, f.Manager.Model.PlaylistTrackUIDs[1].Count());
    EXPECT_EQ(0, f.Manager.BvPlaylist.Count());
    EXPECT_EQ(0, f.Manager.DeletedList.Count());
    EXPECT_TRUE(f.Manager.TransFlashTimer.Enabled);
    EXPECT_EQ(1, f.Manager.Model.TransFlashHandled);
    EXPECT_EQ(0, f.Manager.Model.CancelRequested);
}
