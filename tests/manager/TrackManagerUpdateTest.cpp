#include "UpdateTestSupport.h"

#include "CodecGate.h"
#include "RtFileUtils.h"
#include "TrackFileCopy.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace BvTest;

namespace {

// Whether a process is gone (or only waits to be reaped).
bool ProcessGone(int pid) {
    // The process can end between opening its stat file and reading it; a read
    // that fails then means it is gone.
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY);
    if (fd < 0)
        return true;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n <= 0)
        return true;
    const std::string text(buffer, static_cast<size_t>(n));
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

// The kinds of descriptor a child's watcher holds: process descriptors, event
// descriptors and pipes, each by what it points at.
std::multiset<std::string> WatcherDescriptors() {
    std::multiset<std::string> found;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = fs::read_symlink(e.path(), error).string();
        if (target.rfind("anon_inode:[pidfd]", 0) == 0 ||
            target.rfind("anon_inode:[eventfd]", 0) == 0 || target.rfind("pipe:", 0) == 0)
            found.insert(target);
    }
    return found;
}

bool WaitProcessGone(int pid) {
    for (int i = 0; i < 500; ++i) {
        if (ProcessGone(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

// ---- The encoder's command lines ------------------------------------------------

TEST(EncoderArguments, TemplateIsSplitBeforeValuesGoIn) {
    TEncoderValues v;
    v.Bitrate = " -b 96";
    v.InFile = "C:\\music\\a b.mp3";
    v.OutDir = "C:\\tmp\\run";
    v.OutFile = "temp.mp3";
    v.Artist = "Evil\" --decode -o \"x";
    v.Title = "<infile> two words";
    v.Album = "-V 0";
    const std::string tpl = "<bitrate> -h  --tt \"<title>\"  --ta \"<artist>\"  --tl \"<album>\" "
                            "--add-id3v2 \"<infile>\" \"<outdir>\\<outfile>\"";
    const std::vector<std::string> expected = {
        "-b",     "96",   "-h",   "--tt",        "<infile> two words", "--ta",
        v.Artist, "--tl", "-V 0", "--add-id3v2", "/music/a b.mp3",     "/tmp/run/temp.mp3"};
    EXPECT_EQ(expected, BuildEncoderArguments(tpl, v));

    TEncoderValues d;
    d.InFile = "C:\\x.mp3";
    d.OutFile = "C:\\tmp\\run\\temp.wav";
    EXPECT_EQ((std::vector<std::string>{"--decode", "/x.mp3", "/tmp/run/temp.wav"}),
              BuildEncoderArguments(" --decode \"<infile>\" \"<outfile>\"", d));
    // No bitrate option at all leaves no empty argument behind.
    d.Bitrate.clear();
    EXPECT_EQ((std::vector<std::string>{"-h"}), BuildEncoderArguments("<BITRATE> -h", d));
}

TEST(EncoderArguments, BitrateWordsForCbrAndVbr) {
    TConvertSettings s;
    s.BitrateText = "96";
    EXPECT_EQ(" -b 96", EncoderBitrateText(s));
    s.Cbr = false;
    s.Vbr = true;
    s.VbrQuality = 7; // "ultra"
    EXPECT_EQ(" -V 0", EncoderBitrateText(s));
    s.VbrQuality = 0; // "lowest"
    EXPECT_EQ(" -V 7", EncoderBitrateText(s));
    s.Vbr = false;
    EXPECT_EQ("", EncoderBitrateText(s));
}

TEST(EncoderArguments, SplittingAndProgramPath) {
    EXPECT_EQ((std::vector<std::string>{"a", "b c", "", "d"}),
              SplitArgumentTemplate("  a \"b c\" \"\" d "));
    EXPECT_EQ("C:\\prog files\\enc", EncoderProgramPath("\"C:\\prog files\\enc\""));
    // Read as a command line: a quote opens a part that runs to the end.
    EXPECT_EQ("C:\\enc", EncoderProgramPath("C:\\enc\""));
    EXPECT_EQ("lame", EncoderProgramPath("C:\\no\\such\\folder\\lame.exe"));
    EXPECT_EQ("lame", EncoderProgramPath(""));
    EXPECT_EQ("C:\\no\\such\\enc.exe", EncoderProgramPath("C:\\no\\such\\enc.exe"));
}

// ---- Copying -----------------------------------------------------------------

TEST(TrackManagerUpdate, CopiesRenamesAndWritesACheckedDatabase) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "a/one.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "b/two.mp3"));
    t.Add(t.PcM4a("three.m4a"));
    t.M().Options.cbRNTO = true;
    t.M().Options.comboRNTO = "<artist> - <title><ext>";
    t.M().Model.SyncAllMusic();
    t.Update();

    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_TRUE(t.Logged("All files were successfuly copied."));
    EXPECT_TRUE(t.Logged("Copying file: one.mp3"));
    EXPECT_TRUE(fs::exists(t.Card + "/mobile/audio/Björk - Jóga.mp3"));
    EXPECT_TRUE(fs::exists(t.Card + "/mobile/audio/Sigur Rós - Café.mp3"));
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(0u, t.Field(r, "FileName").rfind("E:\\mobile\\audio\\", 0)) << r;
    const auto check = DatabaseChecker::Check(t.Db());
    EXPECT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(3, check.Tracks);
    EXPECT_EQ(1, t.Ui.Beeps);
    EXPECT_FALSE(t.M().IsBusy());

    // A second run copies nothing: every track lies on the card already.
    t.LogLines.clear();
    t.Update();
    EXPECT_FALSE(t.Logged("Copying file"));
    EXPECT_TRUE(t.Logged("Mobile updated!"));
}

TEST(TrackManagerUpdate, SameFileOnTheCardIsNotCopiedAgainButANewerOneIs) {
    TCardRun t;
    const std::string src = t.PcFile("v23_latin1_cbr.mp3", "one.mp3");
    const std::string src2 = t.PcFile("v11_only.mp3", "two.mp3");
    fs::create_directories(t.Card + "/mobile/audio");
    // The same bytes and time: not copied. The same size but another time: copied.
    fs::copy_file(ToLinuxPath(src), t.Card + "/mobile/audio/one.mp3",
                  fs::copy_options::overwrite_existing);
    fs::last_write_time(t.Card + "/mobile/audio/one.mp3", fs::last_write_time(ToLinuxPath(src)));
    BvTest::WriteWholeFile(t.Card + "/mobile/audio/two.mp3",
                           std::string(fs::file_size(ToLinuxPath(src2)), 'x'));
    fs::last_write_time(t.Card + "/mobile/audio/two.mp3",
                        fs::last_write_time(ToLinuxPath(src2)) - std::chrono::hours(5));
    t.Add(src);
    t.Add(src2);
    t.Update();
    EXPECT_TRUE(t.Logged("No sense to copy one.mp3. Same file already exists.")) << t.AllLog();
    EXPECT_FALSE(t.Logged("Copying file: one.mp3"));
    EXPECT_TRUE(t.Logged("Copying file: two.mp3"));
    EXPECT_EQ(ReadWholeFile(ToLinuxPath(src2)), ReadWholeFile(t.Card + "/mobile/audio/two.mp3"));
    EXPECT_EQ("E:\\mobile\\audio\\one.mp3", t.Field(0, "FileName"));
}

TEST(TrackManagerUpdate, NewTrackNeverOverwritesTheCardFileOfAnotherRow) {
    TCardRun t;
    fs::create_directories(t.Card + "/mobile/audio");
    const std::string onCard = t.Card + "/mobile/audio/song.mp3";
    fs::copy_file(TagFixture("v11_only.mp3"), onCard);
    const std::string cardBytes = ReadWholeFile(onCard);
    ASSERT_EQ(0, t.Add("E:\\mobile\\audio\\song.mp3"));
    // Another recording with the same file name, not yet on the card.
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "song.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_EQ(cardBytes, ReadWholeFile(onCard));
    EXPECT_EQ("E:\\mobile\\audio\\song.mp3", t.Field(0, "FileName"));
    EXPECT_EQ("E:\\mobile\\audio\\song (2).mp3", t.Field(1, "FileName"));
    EXPECT_EQ(ReadWholeFile(TagFixture("v23_latin1_cbr.mp3")),
              ReadWholeFile(t.Card + "/mobile/audio/song (2).mp3"));
    EXPECT_EQ(2, DatabaseChecker::Check(t.Db()).Tracks);
}

TEST(TrackManagerUpdate, DatabaseListsOnlyEntriesThatNameARow) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "two.mp3"));
    t.M().ListBoxPlayLists.Items.Add("Mix");
    for (const char* e : {"1", " ", "7", "-1", "0"})
        t.M().Model.PlaylistTracks[1].Add(e);
    t.Update();
    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    const auto db = DatabaseChecker::Check(t.Db());
    EXPECT_TRUE(db.Ok()) << db.Error;
    EXPECT_EQ(2, db.Tracks);
    // Read back, "Mix" holds the two entries that named a row, in their order.
    t.M().btnResetProgClick();
    t.M().ReadiTuneDB1Click();
    t.Pump();
    ASSERT_EQ(2, t.M().ListBoxPlayLists.Items.Count());
    EXPECT_EQ("Mix", t.M().ListBoxPlayLists.Items[1]);
    const TStringList& mix = t.M().Model.PlaylistTracks[1];
    ASSERT_EQ(2, mix.Count());
    EXPECT_EQ("E:\\mobile\\audio\\two.mp3", t.Field(StrToInt(mix[0]), "FileName"));
    EXPECT_EQ("E:\\mobile\\audio\\one.mp3", t.Field(StrToInt(mix[1]), "FileName"));
}

TEST(TrackManagerUpdate, NotEnoughSpaceWarnsBeforeStarting) {
    TCardRun t;
    for (int i = 0; i < 5; ++i) {
        t.Add(t.PcFile("v23_latin1_cbr.mp3",
                       std::string("t").append(std::to_string(i)).append(".mp3")));
        t.M().Model.TrackListHolder.StringsByName("Size").Put(i, "1048576");
    }
    t.State().FreeSpace = [](char) { return int64_t(1048576); };
    t.M().btnUpdateMobileClick();
    ASSERT_EQ(1u, t.Ui.Warnings.size());
    EXPECT_EQ("Not enough space to store files on mobile.\rYou need to free 4096 Kbytes.",
              t.Ui.Warnings[0]);
    EXPECT_FALSE(t.M().IsBusy());
    EXPECT_FALSE(fs::exists(t.Card + "/mobile"));
}

TEST(TrackManagerUpdate, CardTooSmallSkipsToTheDeletedListAndGoesOn) {
    TCardRun t;
    t.WriteOldDb("old");
    const std::string big = t.PcFile("v23_latin1_cbr.mp3", "big.mp3");
    const std::string small = t.PcFile("v24_utf8_vbr.mp3", "small.mp3");
    t.Add(big);
    t.Add(small);
    t.M().Options.cbCheckSpace = true;
    t.M().Options.cbAutoEncode = true; // the start check is skipped, each file is tested
    t.M().Options.cbBitrate = "320";
    t.State().FreeSpace = [](char) { return int64_t(20000); };
    t.Update();
    EXPECT_TRUE(t.Logged("Not enough space! Skeeping file big.mp3")) << t.AllLog();
    EXPECT_TRUE(fs::exists(t.Card + "/mobile/audio/small.mp3"));
    EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/big.mp3"));
    ASSERT_EQ(1, t.M().Model.TrackCount());
    EXPECT_EQ(big, t.M().Model.DeletedHolder.StringsByName("FileName")[0]);
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    EXPECT_EQ(1, DatabaseChecker::Check(t.Db()).Tracks);
}

TEST(TrackManagerUpdate, MissingSourceIsLoggedAndSkipped) {
    TCardRun t;
    const std::string gone = t.PcFile("v23_latin1_cbr.mp3", "gone.mp3");
    t.Add(gone);
    t.Add(t.PcFile("v11_only.mp3", "here.mp3"));
    fs::remove(ToLinuxPath(gone));
    t.Update();
    EXPECT_TRUE(t.Logged("File not found, skipped: " + gone)) << t.AllLog();
    EXPECT_TRUE(fs::exists(t.Card + "/mobile/audio/here.mp3"));
    EXPECT_FALSE(t.Logged("All files were successfuly copied."));
    EXPECT_TRUE(t.Logged("1 of 2 files could not be copied."));
    // The database lists only what lies on the card.
    EXPECT_TRUE(t.Logged("left out of the database"));
    EXPECT_EQ(1, DatabaseChecker::Check(t.Db()).Tracks);
}

TEST(TrackManagerUpdate, StopDuringACopyKeepsTheOldDatabase) {
    TCardRun t;
    t.WriteOldDb("old database");
    const std::string bigPath = t.Folder.Path("pc/big.mp3");
    {
        std::string bytes = ReadWholeFile(TagFixture("v23_latin1_cbr.mp3"));
        std::string big;
        while (big.size() < 3 * FileCopyBlockSize)
            big += bytes;
        WriteWholeFile(bigPath, big);
    }
    t.Add(WindowsPathOf(bigPath));
    TLatch copying, stopped;
    t.State().AfterFirstCopyBlock = [&] {
        copying.CountDown();
        stopped.Wait();
    };
    t.M().btnUpdateMobileClick();
    EXPECT_TRUE(t.M().IsBusy());
    while (!copying.Done())
        CheckSynchronize(10);
    // Commands that would change the track list are refused meanwhile.
    t.M().btnUpdateMobileClick();
    t.M().btnResetProgClick();
    t.M().ReadiTuneDB1Click();
    t.M().btnScanMobileClick();
    EXPECT_EQ(4u, t.Ui.Messages.size());
    EXPECT_EQ(1, t.M().Model.TrackCount());
    t.M().btnCancelClick();
    stopped.CountDown();
    t.Pump();
    EXPECT_EQ("old database", t.Db());
    EXPECT_TRUE(t.Logged("Update stopped.")) << t.AllLog();
    EXPECT_FALSE(t.Logged("Mobile updated!"));
    EXPECT_FALSE(t.Logged("All files were successfuly copied."));
    EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/big.mp3"));
    EXPECT_EQ(WindowsPathOf(bigPath), t.Field(0, "FileName"));
    EXPECT_TRUE(t.M().TransFlashTimer.Enabled);
    EXPECT_EQ(1, t.Ui.Beeps);
}

TEST(TrackManagerUpdate, CardFolderVanishingMidRunEndsItClearly) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "two.mp3"));
    TLatch copying, pulled;
    t.State().AfterFirstCopyBlock = [&] {
        if (copying.Done())
            return;
        copying.CountDown();
        pulled.Wait();
    };
    t.M().btnUpdateMobileClick();
    while (!copying.Done())
        CheckSynchronize(10);
    fs::remove_all(t.Card);
    pulled.CountDown();
    t.Pump();
    EXPECT_TRUE(t.Logged("The memory card E: is not there.")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Update failed."));
    EXPECT_FALSE(t.Logged("Mobile updated!"));
    EXPECT_EQ(0, t.M().Model.DeletedHolder.StringsByName("FileName").Count());
    EXPECT_EQ(2, t.M().Model.TrackCount());
    // The card's folder was not made again by the run.
    EXPECT_FALSE(fs::exists(t.Card));
}

TEST(TrackManagerUpdate, ReadOnlyCardFailsAndKeepsTheOldDatabase) {
    TCardRun t;
    t.WriteOldDb("old database");
    fs::create_directories(t.Card + "/mobile/audio");
    bool mounted = false;
    if (geteuid() == 0) {
        mounted =
            mount(t.Card.c_str(), t.Card.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
            mount(nullptr, t.Card.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
        if (!mounted)
            GTEST_SKIP() << "cannot make a read-only folder as root here";
    } else {
        for (const char* d : {"", "/mobile", "/mobile/audio", "/iTunes", "/iTunes/iTunes_Control",
                              "/iTunes/iTunes_Control/iTunes"})
            chmod((t.Card + d).c_str(), 0555);
    }
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    if (mounted)
        umount(t.Card.c_str());
    else
        for (const char* d : {"", "/mobile", "/mobile/audio", "/iTunes", "/iTunes/iTunes_Control",
                              "/iTunes/iTunes_Control/iTunes"})
            chmod((t.Card + d).c_str(), 0755);
    EXPECT_EQ("old database", t.Db());
    EXPECT_TRUE(t.Logged("Copying failed:")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Update failed."));
    EXPECT_FALSE(t.Logged("Mobile updated!"));
    EXPECT_FALSE(t.Logged("All files were successfuly copied."));
}

TEST(TrackManagerUpdate, DatabaseThatCannotBeWrittenFailsTheRunAfterTheCopy) {
    TCardRun t;
    t.WriteOldDb("old database");
    // A read-only database file is refused even to root, so the copy pass succeeds
    // and only the database write fails.
    chmod(t.DbPath().c_str(), 0444);
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    chmod(t.DbPath().c_str(), 0644);
    EXPECT_TRUE(fs::exists(t.Card + "/mobile/audio/one.mp3"));
    EXPECT_TRUE(t.Logged("Could not write iTunesDB:")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Update failed."));
    EXPECT_FALSE(t.Logged("Mobile updated!"));
    EXPECT_FALSE(t.Logged("Update stopped."));
    EXPECT_EQ("old database", t.Db());
    // No temporary file of the failed write is left beside the database.
    int files = 0;
    for (const auto& e : fs::directory_iterator(fs::path(t.DbPath()).parent_path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(1, files);
    EXPECT_FALSE(t.M().IsBusy());
    EXPECT_EQ(1, t.Ui.Beeps);
}

TEST(TrackManagerUpdate, AbsentCardIsRefusedAtTheStart) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    fs::remove_all(t.Card);
    t.M().btnUpdateMobileClick();
    ASSERT_EQ(1u, t.Ui.Warnings.size());
    EXPECT_EQ("The memory card E: is not there.", t.Ui.Warnings[0]);
    EXPECT_FALSE(t.M().IsBusy());
}

TEST(TrackManagerUpdate, StopWithoutARunOnlySetsTheFlag) {
    TCardRun t;
    t.M().TransFlashTimer.Enabled = false;
    t.M().btnCancelClick();
    EXPECT_EQ(1, t.M().Model.CancelRequested.load());
    EXPECT_TRUE(t.M().TransFlashTimer.Enabled);
    EXPECT_EQ(0, t.Ui.Beeps);
}

// ---- Re-encoding with the real encoder -----------------------------------------

namespace {

void ReencodeOptions(TTrackManager& m, int format) {
    m.Options.cbAutoEncode = true;
    m.Options.cbBitrate = "112";
    m.Options.comboM4ABitrate = "64";
    m.Options.rbM4A_CBR = true;
    m.Options.ComboFormat = format;
    m.Options.comboConverters = "lame";
}

} // namespace

TEST(TrackManagerConvert, Mp3AboveTheLimitIsReencodedByLame) {
    TCardRun t;
    ReencodeOptions(t.M(), 0);
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3"));
    t.Add(t.PcM4a("aac.m4a", 2.0, 160)); // an M4A above the limit is copied as it is
    t.Update();
    EXPECT_TRUE(t.Logged("Encoding file: loud.mp3")) << t.AllLog();
    EXPECT_TRUE(t.Logged("loud.mp3 was converted"));
    EXPECT_TRUE(t.Logged("All files were successfuly encoded."));
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    EXPECT_EQ("E:\\mobile\\audio\\loud.mp3", t.Field(0, "FileName"));
    EXPECT_EQ("64", t.Field(0, "BitRate"));
    EXPECT_EQ(IntToStr(fs::file_size(t.Card + "/mobile/audio/loud.mp3")), t.Field(0, "Size"));
    const TTrackRowSnapshot row = t.M().BuildMp3Row("E:\\mobile\\audio\\loud.mp3");
    EXPECT_NEAR(64, StrToInt(row.BitRate), 6);
    EXPECT_EQ(ReadWholeFile(ToLinuxPath(WindowsPathOf(t.Folder.Path("pc/aac.m4a")))),
              ReadWholeFile(t.Card + "/mobile/audio/aac.m4a"));
    // The private folder of the run is gone.
    EXPECT_TRUE(t.State().Convert.TempFolder.empty());
}

TEST(TrackManagerConvert, Mp3IsReencodedToM4aThroughTheCodecLayer) {
    TCardRun t;
    ReencodeOptions(t.M(), 1);
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "song.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("Decoding file: song.mp3")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    const std::string card = t.Card + "/mobile/audio/song.m4a";
    ASSERT_TRUE(fs::exists(card));
    EXPECT_EQ("E:\\mobile\\audio\\song.m4a", t.Field(0, "FileName"));
    EXPECT_EQ("64", t.Field(0, "BitRate"));
    const int32_t seconds = CodecGate::gettime("E:\\mobile\\audio\\song.m4a");
    EXPECT_EQ(2, seconds);
    const auto kbps = static_cast<int64_t>(fs::file_size(card)) * 8 / 1000 / seconds;
    EXPECT_GT(kbps, 40);
    EXPECT_LT(kbps, 90);
    EXPECT_TRUE(DatabaseChecker::Check(t.Db()).Ok());
}

namespace {

// The playing time in milliseconds of every track record of a database.
std::vector<uint32_t> TrackLengthsMs(const std::string& db) {
    std::vector<uint32_t> lengths;
    for (const DatabaseChecker::TRecord& r : DatabaseChecker::Check(db).Records)
        if (r.Tag == "mhit" && r.Offset + 44 <= db.size()) {
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k)
                v = (v << 8) | uint8_t(db[r.Offset + 40 + k]);
            lengths.push_back(v);
        }
    return lengths;
}

} // namespace

// The encoder takes random bytes or a cut file for MP3 and says it succeeded; the run
// must not put the few frames it makes onto the phone as the track.
TEST(TrackManagerConvert, DamagedSourceIsLeftOutAndCountedMissing) {
    TAudioFixtureFolder sources;
    const std::string wav = sources.Path("tone.wav");
    WriteSineWav(wav, 4.0);
    const std::string mp3 = sources.Path("tone.mp3");
    ASSERT_EQ(0, std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()));
    const std::string audio = ReadWholeFile(mp3);
    std::mt19937 random(33);
    std::string noise(500000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    const std::string noiseAfterHead = audio.substr(0, 2000) + noise.substr(0, audio.size() - 2000);
    const char* unreadable = "damaged.mp3 changed since it was added and is no readable MP3";
    const char* tooShort = "Could not convert damaged.mp3: the encoded file plays 0.";
    struct Case {
        const char* name;
        int format;
        std::string damaged; // what the file holds at the update
        const char* why;
    };
    const Case cases[] = {
        {"random bytes, to MP3", 0, noise, unreadable},
        {"random bytes, to M4A", 1, noise, unreadable},
        // Its size is the same as when it was added, so only its contents betray it.
        {"random bytes of the listed size", 0, noise.substr(0, audio.size()), unreadable},
        // Cut inside the VBR header of its first frame.
        {"cut short", 0, audio.substr(0, 200), unreadable},
        // Its first frames and their VBR header say four seconds; the rest is noise, which
        // the encoder skips and still ends well, with a file of a fraction of that.
        {"sound head, noise after, to MP3", 0, noiseAfterHead, tooShort},
        {"sound head, noise after, to M4A", 1, noiseAfterHead, tooShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCardRun t;
        ReencodeOptions(t.M(), c.format);
        const std::string damaged = t.Folder.Path("pc/damaged.mp3");
        const std::string sound = t.Folder.Path("pc/sound.mp3");
        fs::copy_file(mp3, damaged);
        fs::copy_file(mp3, sound);
        t.Add(WindowsPathOf(damaged));
        t.Add(WindowsPathOf(sound));
        WriteWholeFile(damaged, c.damaged);
        t.Update();
        EXPECT_TRUE(t.Logged("Copying file: sound.mp3")) << t.AllLog();
        EXPECT_FALSE(t.Logged("Copying file: damaged.mp3")) << t.AllLog();
        EXPECT_TRUE(t.Logged(c.why)) << t.AllLog();
        EXPECT_TRUE(t.Logged("1 of 2 files could not be encoded.")) << t.AllLog();
        EXPECT_TRUE(t.Logged("Mobile updated!"));
        EXPECT_TRUE(t.Logged("1 tracks are missing")) << t.AllLog();
        EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/damaged.mp3"));
        EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/damaged.m4a"));
        EXPECT_EQ(WindowsPathOf(damaged), t.Field(0, "FileName"));
        const DatabaseChecker::TResult db = DatabaseChecker::Check(t.Db());
        ASSERT_TRUE(db.Ok()) << db.Error;
        EXPECT_EQ(1, db.Tracks);
        for (uint32_t ms : TrackLengthsMs(t.Db()))
            EXPECT_NEAR(4000, ms, 100);
    }
}

// The setting keeps the edit's text, quoted when the path has a blank; the program run is the
// file that text names, never the text with its quotes nor the path cut at its first blank.
TEST(EncoderArguments, ProgramPathReadsTheSettingAsTheFileEditDoes) {
    TAudioFixtureFolder folder;
    const std::string dir = folder.Path("my encoders");
    fs::create_directories(dir + "/sub dir");
    std::ofstream(dir + "/lame enc").put('x');
    const std::string exe = WindowsPathOf(dir + "/lame enc");
    const std::string sub = WindowsPathOf(dir + "/sub dir");
    struct Case {
        const char* name;
        std::string setting;
        std::string program;
    };
    const Case cases[] = {
        {"quoted path with blanks", "\"" + exe + "\"", exe},
        {"existing path with blanks, unquoted", exe, exe},
        {"quoted path and an argument", "\"" + exe + "\" --quiet", exe},
        {"blanks around the quotes", "  \"" + exe + "\"  ", exe},
        {"existing folder with its separator", sub + "\\", sub},
        {"Linux path", dir + "/lame enc", dir + "/lame enc"},
        {"missing path with a blank is a command line", "C:\\no such\\enc -b", "C:\\no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.program, EncoderProgramPath(c.setting));
    }
}

TEST(TrackManagerConvert, QuotedEncoderPathWithABlankRuns) {
    TCardRun t;
    ReencodeOptions(t.M(), 0);
    const std::string dir = t.Folder.Path("Program Files/lame dir");
    fs::create_directories(dir);
    const char* found = nullptr;
    for (const char* candidate : {"/usr/bin/lame", "/usr/local/bin/lame"})
        if (fs::exists(candidate))
            found = candidate;
    ASSERT_NE(nullptr, found) << "the lame encoder is not installed";
    fs::create_symlink(found, dir + "/lame");
    t.M().Options.comboConverters = "\"" + WindowsPathOf(dir + "/lame") + "\"";
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("loud.mp3 was converted")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    EXPECT_EQ("64", t.Field(0, "BitRate"));
    // The setting itself keeps its quotes.
    EXPECT_EQ('"', t.M().Options.comboConverters.front());
}

TEST(TrackManagerConvert, MissingEncoderFailsTheRunAndKeepsTheOldDatabase) {
    TCardRun t;
    t.WriteOldDb("old database");
    ReencodeOptions(t.M(), 0);
    t.M().Options.comboConverters = "\"C:\\no\\such\\encoder\"";
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3"));
    t.Add(t.PcFile("v24_utf8_vbr.mp3", "quiet.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("Encoding failed:")) << t.AllLog();
    EXPECT_TRUE(t.Logged("Update failed."));
    EXPECT_FALSE(t.Logged("All files were successfuly encoded."));
    EXPECT_EQ("old database", t.Db());
}

TEST(TrackManagerConvert, FailingEncodingLeavesTheTrackOffTheCardAndGoesOn) {
    TCardRun t;
    ReencodeOptions(t.M(), 0);
    // Not MP3 audio at all: the encoder ends with an error.
    const std::string broken = t.Folder.Path("pc/broken.mp3");
    WriteWholeFile(broken, std::string(40000, 'x'));
    t.Add(WindowsPathOf(broken));
    t.M().Model.TrackListHolder.StringsByName("BitRate").Put(0, "320");
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "good.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("broken.mp3 changed since it was added and is no readable MP3"))
        << t.AllLog();
    EXPECT_TRUE(t.Logged("good.mp3 was converted"));
    // The pass went on, but not every file was encoded, and the log says so.
    EXPECT_FALSE(t.Logged("All files were successfuly encoded."));
    EXPECT_TRUE(t.Logged("1 of 2 files could not be encoded."));
    EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/broken.mp3"));
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    EXPECT_EQ(1, DatabaseChecker::Check(t.Db()).Tracks);
}

TEST(TrackManagerConvert, StopDuringEncodingOrDecodingEndsTheEncoderProcess) {
    TAudioFixtureFolder sources;
    // A long source keeps the encoder busy.
    const std::string wav = sources.Path("long.wav");
    WriteSineWav(wav, 120.0);
    const std::string mp3 = sources.Path("long.mp3");
    ASSERT_EQ(0, std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()));
    for (int format : {0, 1}) {
        TCardRun t;
        t.WriteOldDb("old database");
        ReencodeOptions(t.M(), format);
        t.Add(WindowsPathOf(mp3));
        int pid = 0;
        t.State().EncoderStarted = [&] {
            pid = t.State().EncoderPid;
            t.M().btnCancelClick();
        };
        const std::multiset<std::string> before = WatcherDescriptors();
        t.Update();
        // Once the update reports its end, the encoder's watcher has let go of all it held.
        EXPECT_EQ(before, WatcherDescriptors()) << format;
        ASSERT_GT(pid, 0) << format;
        EXPECT_TRUE(WaitProcessGone(pid)) << format;
        EXPECT_EQ("old database", t.Db()) << format;
        EXPECT_TRUE(t.Logged("Update stopped.")) << t.AllLog();
        EXPECT_FALSE(t.Logged("Copying file")) << format;
        EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/long.mp3")) << format;
        EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/long.m4a")) << format;
        EXPECT_EQ(WindowsPathOf(mp3), t.Field(0, "FileName")) << format;
    }
}

namespace {

// Resident memory of a process in MiB; -1 once it is gone.
long ResidentMiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

} // namespace

TEST(TrackManagerConvert, StoppedRunEndsOnlyAfterTheEncoderWatcherLetGo) {
    TCardRun t;
    t.WriteOldDb("old database");
    ReencodeOptions(t.M(), 0);
    // An encoder that takes a moment to end once killed: it has much memory to give back.
    t.M().Options.comboConverters = BV_CHILD_HELPER;
    t.M().Options.ComboConvParams = "hold-memory 400";
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3"));
    std::thread stopper;
    t.State().EncoderStarted = [&] {
        const int pid = t.State().EncoderPid;
        stopper = std::thread([&t, pid] {
            for (int i = 0; i < 2000 && ResidentMiB(pid) >= 0 && ResidentMiB(pid) < 400; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Queue([&t] { t.M().btnCancelClick(); });
        });
    };
    const std::multiset<std::string> before = WatcherDescriptors();
    t.Update();
    const std::multiset<std::string> after = WatcherDescriptors();
    ASSERT_TRUE(stopper.joinable());
    stopper.join();
    EXPECT_TRUE(t.Logged("Update stopped.")) << t.AllLog();
    EXPECT_EQ(before, after);
    EXPECT_EQ("old database", t.Db());
}

TEST(TrackManagerUpdate, ClosingDuringARunStopsAndWaits) {
    TCardRun t;
    t.WriteOldDb("old database");
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    TLatch copying, release;
    t.State().AfterFirstCopyBlock = [&] {
        copying.CountDown();
        release.Wait();
    };
    t.M().btnUpdateMobileClick();
    while (!copying.Done())
        CheckSynchronize(10);
    std::thread releaser([&] { release.CountDown(); });
    t.M().FormClose();
    releaser.join();
    EXPECT_FALSE(t.M().IsBusy());
    EXPECT_EQ("old database", t.Db());
}

TEST(TrackManagerUpdate, ResultsFindTheirRowBySerialAfterRowsMoved) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "first.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "second.mp3"));
    TLatch copying, release;
    t.State().AfterFirstCopyBlock = [&] {
        if (copying.Done())
            return;
        copying.CountDown();
        release.Wait();
    };
    t.M().btnUpdateMobileClick();
    while (!copying.Done())
        CheckSynchronize(10);
    // The row being copied goes while its copy runs; the other row moves up.
    t.M().Model.DeleteTrack(0, 0);
    release.CountDown();
    t.Pump();
    ASSERT_EQ(1, t.M().Model.TrackCount());
    EXPECT_EQ("E:\\mobile\\audio\\second.mp3", t.Field(0, "FileName"));
    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_EQ(1, DatabaseChecker::Check(t.Db()).Tracks);
}

TEST(TrackManagerUpdate, TrackTooLargeForTheDatabaseIsLeftOutAndTheRestWritten) {
    TCardRun t;
    // Rows already on the card (sparse files of those sizes): nothing is copied, only the
    // database is written.
    fs::create_directories(t.Card + "/mobile/audio");
    for (const auto& [name, size] : std::vector<std::pair<std::string, uintmax_t>>{
             {"huge.mp3", 4294967296u}, {"big.mp3", 3000000000u}, {"small.mp3", 4000u}}) {
        WriteWholeFile(t.Card + "/mobile/audio/" + name, "");
        fs::resize_file(t.Card + "/mobile/audio/" + name, size);
    }
    t.M().Model.AppendTrack(
        {"A", "Huge", "", "3:5", "4294967296", "E:\\mobile\\audio\\huge.mp3", "128", "0"});
    t.M().Model.AppendTrack(
        {"A", "Big", "", "3:5", "3000000000", "E:\\mobile\\audio\\big.mp3", "128", "1"});
    t.M().Model.AppendTrack(
        {"A", "Small", "", "3:5", "4000", "E:\\mobile\\audio\\small.mp3", "128", "2"});
    t.M().Model.SyncAllMusic();
    t.Update();
    EXPECT_TRUE(t.Logged("E:\\mobile\\audio\\huge.mp3 was left out of the database: its size of "
                         "4294967296 bytes"))
        << t.AllLog();
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    const auto check = DatabaseChecker::Check(t.Db());
    ASSERT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(2, check.Tracks);
    // The master playlist names the two tracks that were written.
    EXPECT_EQ(2, check.Items / 2);
    const std::string db = t.Db();
    std::vector<uint32_t> sizes;
    for (const auto& rec : check.Records)
        if (rec.Tag == "tihm")
            sizes.push_back((uint32_t(uint8_t(db[rec.Offset + 36])) << 24) |
                            (uint32_t(uint8_t(db[rec.Offset + 37])) << 16) |
                            (uint32_t(uint8_t(db[rec.Offset + 38])) << 8) |
                            uint32_t(uint8_t(db[rec.Offset + 39])));
    EXPECT_EQ((std::vector<uint32_t>{3000000000u, 4000u}), sizes);
}

// ---- One card file per row ---------------------------------------------------

TEST(TrackManagerUpdate, TwoAlbumsWithTheSameFileNameKeepTheirOwnCardFiles) {
    TCardRun t;
    const std::string first = t.PcFile("v23_latin1_cbr.mp3", "albumA/01 - Intro.mp3");
    const std::string second = t.PcFile("v11_only.mp3", "albumB/01 - Intro.mp3");
    t.Add(first);
    t.Add(second);
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    ASSERT_TRUE(fs::exists(t.Card + "/mobile/audio/01 - Intro (2).mp3"));

    // After Reset the same two tracks come back in the other order, and again with a row
    // of the first run still on the card beside them.
    struct Case {
        const char* what;
        bool keepCardRow;
    } cases[] = {{"both from the PC", false}, {"beside the card's own row", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.M().btnResetProgClick();
        if (c.keepCardRow)
            t.Add("E:\\mobile\\audio\\01 - Intro.mp3");
        t.Add(second);
        t.Add(first);
        t.LogLines.clear();
        t.Update();
        EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
        const int rows = t.M().Model.TrackCount();
        std::set<std::string> cardFiles;
        for (int r = 0; r < rows; ++r) {
            const std::string card = t.Field(r, "FileName");
            ASSERT_EQ(0u, card.rfind("E:\\mobile\\audio\\", 0)) << card;
            cardFiles.insert(AnsiUpperCase(card));
        }
        // Each row has a card file of its own, and that file holds the row's own track.
        EXPECT_EQ(static_cast<size_t>(rows), cardFiles.size());
        const int offset = c.keepCardRow ? 1 : 0;
        EXPECT_TRUE(ReadWholeFile(ToLinuxPath(second)) ==
                    ReadWholeFile(ResolvePath(t.Field(offset, "FileName"))))
            << t.Field(offset, "FileName");
        EXPECT_TRUE(ReadWholeFile(ToLinuxPath(first)) ==
                    ReadWholeFile(ResolvePath(t.Field(offset + 1, "FileName"))))
            << t.Field(offset + 1, "FileName");
        if (c.keepCardRow) {
            EXPECT_EQ("E:\\mobile\\audio\\01 - Intro.mp3", t.Field(0, "FileName"));
            EXPECT_TRUE(ReadWholeFile(ToLinuxPath(first)) ==
                        ReadWholeFile(t.Card + "/mobile/audio/01 - Intro.mp3"));
        }
        EXPECT_EQ(rows, DatabaseChecker::Check(t.Db()).Tracks);
    }
}

TEST(TrackManagerUpdate, StopDuringACopyLeavesTheFileTheOldDatabaseListsWhole) {
    TCardRun t;
    auto bigFile = [&](const std::string& name, const std::string& fixture) {
        const std::string path = t.Folder.Path(name);
        fs::create_directories(fs::path(path).parent_path());
        const std::string bytes = ReadWholeFile(TagFixture(fixture));
        std::string big;
        while (big.size() < 3 * FileCopyBlockSize)
            big += bytes;
        WriteWholeFile(path, big);
        return WindowsPathOf(path);
    };
    const std::string v1 = bigFile("pc/old/big.mp3", "v23_latin1_cbr.mp3");
    t.Add(v1);
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    const std::string card = t.Card + "/mobile/audio/big.mp3";
    const std::string cardBytes = ReadWholeFile(card);
    const std::string oldDb = t.Db();

    // Another recording under the same name goes to the same card file; Stop comes while
    // it is copied.
    t.M().btnResetProgClick();
    t.Add(bigFile("pc/new/big.mp3", "v11_only.mp3"));
    TLatch copying, stopped;
    t.State().AfterFirstCopyBlock = [&] {
        copying.CountDown();
        stopped.Wait();
    };
    t.M().btnUpdateMobileClick();
    while (!copying.Done())
        CheckSynchronize(10);
    EXPECT_TRUE(cardBytes == ReadWholeFile(card)); // not truncated while the copy runs
    t.M().btnCancelClick();
    stopped.CountDown();
    t.Pump();
    EXPECT_TRUE(t.Logged("Update stopped.")) << t.AllLog();
    EXPECT_TRUE(oldDb == t.Db());
    EXPECT_TRUE(cardBytes == ReadWholeFile(card));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(t.Card + "/mobile/audio"))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(std::vector<std::string>{"big.mp3"}, names); // the partial copy is gone
}
