#include "UpdateTestSupport.h"

#include "RtFileUtils.h"
#include "SafeFiles.h"

#include <chrono>
#include <fcntl.h>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace BvTest;

namespace {

// Every file below a folder (links not followed) and its bytes or link target.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).string();
        if (e.is_symlink())
            files[rel] = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            files[rel] = ReadWholeFile(e.path().string());
        else
            files[rel] = "<folder>";
    }
    return files;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

} // namespace

// ---- Links on the card ------------------------------------------------------------

struct TLinkCase {
    const char* Name;
    const char* Link;   // the card folder that is a link, below the card's root
    const char* Inside; // what the outside folder holds, as the card folder would
    const char* Shown;  // the link as the messages name it
    bool OnDatabasePath;
    bool LinkIsDatabaseFolder;
};

class CardLinks : public ::testing::TestWithParam<TLinkCase> {};

TEST_P(CardLinks, NothingOutsideTheCardIsDeletedOrWritten) {
    const TLinkCase& c = GetParam();
    TCardRun t;
    const std::string outside = t.Folder.Path("outside");
    fs::create_directories(outside + "/" + c.Inside);
    // A database and a track of the same name as the PC's track wait outside.
    WriteWholeFile(outside + "/" + c.Inside + "/iTunesDB", "the other folder's own file");
    fs::copy_file(TagFixture("v11_only.mp3"), outside + "/" + c.Inside + "/one.mp3");
    const std::string link = t.Card + "/" + c.Link;
    fs::create_directories(fs::path(link).parent_path());
    fs::create_directory_symlink(outside, link);
    const auto before = FolderContents(outside);

    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    EXPECT_FALSE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_TRUE(AnyContains(t.Ui.Warnings, c.Shown)) << t.AllLog();
    t.M().btnScanMobileClick();
    t.Pump();
    t.M().Checkforbadfiles1Click();
    t.Pump();
    for (int r = 0; r < t.M().Model.TrackCount(); ++r)
        EXPECT_FALSE(t.M().Model.IsOnPhone(t.Field(r, "FileName"))) << t.Field(r, "FileName");
    t.Ui.Answers.push_back(TQuestionResult::Yes);
    t.M().DeletephoneDB1Click();

    EXPECT_EQ(before, FolderContents(outside));
    if (c.LinkIsDatabaseFolder) {
        // The link itself went, as a link.
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    } else {
        EXPECT_TRUE(fs::is_symlink(link));
    }
    if (c.OnDatabasePath && !c.LinkIsDatabaseFolder) {
        EXPECT_EQ(2, std::count_if(t.Ui.Warnings.begin(), t.Ui.Warnings.end(),
                                   [&](const std::string& w) { return w.find(c.Shown) != w.npos; }))
            << "the update and \"Delete phone DB\" each name the link";
    }
}

INSTANTIATE_TEST_SUITE_P(
    , CardLinks,
    ::testing::Values(
        TLinkCase{"iTunesFolder", "iTunes", "iTunes_Control/iTunes", "E:\\iTunes", true, false},
        TLinkCase{"MobileFolder", "mobile", "audio", "E:\\mobile", false, false},
        TLinkCase{"UploadFolder", "mobile/audio", ".", "E:\\mobile\\audio", false, false},
        TLinkCase{"DatabaseFolder", "iTunes/iTunes_Control/iTunes", ".",
                  "E:\\iTunes\\iTunes_Control\\iTunes", true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CardLinkedFile, TrackFileThatIsALinkIsReplacedAsALink) {
    TCardRun t;
    const std::string outside = t.Folder.Path("outside.mp3");
    WriteWholeFile(outside, "not the card's");
    fs::create_directories(t.Card + "/mobile/audio");
    fs::create_symlink(outside, t.Card + "/mobile/audio/one.mp3");
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_EQ("not the card's", ReadWholeFile(outside));
    for (const auto& e : fs::directory_iterator(t.Card + "/mobile/audio"))
        EXPECT_FALSE(fs::is_symlink(e.symlink_status())) << e.path();
}

// ---- A second process --------------------------------------------------------------

namespace {

// A run of the child program; its standard output goes to a file.
class TChildRun {
public:
    TChildRun(const std::vector<std::string>& args, const std::vector<std::string>& env,
              const std::string& outFile)
        : out_(outFile) {
        std::vector<std::string> argv = {BV_UPDATE_CHILD};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargs;
        for (auto& a : argv)
            cargs.push_back(a.data());
        cargs.push_back(nullptr);
        std::vector<std::string> environment = env;
        for (char** e = environ; *e; ++e)
            environment.push_back(*e);
        std::vector<char*> cenv;
        for (auto& e : environment)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, (outFile + ".err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(0, posix_spawn(&pid_, cargs[0], &actions, nullptr, cargs.data(), cenv.data()));
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TChildRun() {
        if (pid_ > 0 && !done_) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }
    pid_t Pid() const { return pid_; }
    // The exit code, or 128 + the signal that ended it.
    int Wait() {
        if (!done_) {
            int status = 0;
            waitpid(pid_, &status, 0);
            Ended(status);
        }
        return code_;
    }
    void Ended(int status) {
        done_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool Done() const { return done_; }
    void Kill() {
        kill(pid_, SIGKILL);
        Wait();
    }
    std::string Output() const {
        return ReadWholeFile(out_) +
               (fs::exists(out_ + ".err") ? ReadWholeFile(out_ + ".err") : "");
    }

private:
    std::string out_;
    pid_t pid_ = -1;
    bool done_ = false;
    int code_ = -1;
};

// Whether the database on the card describes exactly the music files that lie in its
// upload folder, each with the size it has there.
void ExpectDatabaseDescribesTheCard(TCardRun& t) {
    t.M().ReadiTuneDB1Click();
    t.Pump();
    std::map<std::string, std::string> listed, onCard;
    for (int r = 0; r < t.M().Model.TrackCount(); ++r)
        listed[LowerCase(ExtractFileName(t.Field(r, "FileName")))] = t.Field(r, "Size");
    for (const auto& e : fs::directory_iterator(t.Card + "/mobile/audio"))
        if (e.is_regular_file() && e.path().filename().string()[0] != '.')
            onCard[LowerCase(e.path().filename().string())] = IntToStr(int64_t(e.file_size()));
    EXPECT_EQ(onCard, listed) << t.AllLog();
}

} // namespace

TEST(CardLock, TwoUpdatesOfOneCardStartedTogetherOneIsRefused) {
    TCardRun t;
    const std::vector<std::string> first = {ToLinuxPath(t.PcFile("v23_latin1_cbr.mp3", "a.mp3")),
                                            ToLinuxPath(t.PcFile("v11_only.mp3", "b.mp3"))};
    // The second run has a file of the same name and another size: a database of one run
    // describing the other run's card file would show.
    const std::vector<std::string> second = {
        ToLinuxPath(t.PcFile("v24_utf8_vbr.mp3", "c.mp3")),
        ToLinuxPath(t.PcFile("v24_utf16be_mpeg2.mp3", "other/a.mp3"))};
    const std::string release = t.Folder.Path("release");
    std::vector<std::string> secondArgs = {t.Card, t.Folder.Path("data2"), second[0], second[1]};
    fs::create_directories(t.Folder.Path("data1"));
    fs::create_directories(t.Folder.Path("data2"));
    const std::vector<std::string> env = {"BV_CHILD_HOLD=" + release};
    std::vector<std::unique_ptr<TChildRun>> runs;
    runs.push_back(std::make_unique<TChildRun>(
        std::vector<std::string>{t.Card, t.Folder.Path("data1"), first[0], first[1]}, env,
        t.Folder.Path("out1")));
    runs.push_back(std::make_unique<TChildRun>(secondArgs, env, t.Folder.Path("out2")));

    // The run that gets the card waits inside its first copy; the other one ends.
    int status = 0;
    const pid_t ended = waitpid(-1, &status, 0);
    for (auto& run : runs)
        if (run->Pid() == ended)
            run->Ended(status);
    WriteWholeFile(release, "go");
    int updated = 0, refused = 0;
    for (auto& run : runs) {
        const int code = run->Wait();
        const std::string out = run->Output();
        if (code == 0 && out.find("Mobile updated!") != std::string::npos)
            ++updated;
        if (code == 3 && out.find("is being used by another run") != std::string::npos &&
            out.find("Mobile updated!") == std::string::npos)
            ++refused;
    }
    EXPECT_EQ(1, updated) << runs[0]->Output() << "\n----\n" << runs[1]->Output();
    EXPECT_EQ(1, refused);
    ExpectDatabaseDescribesTheCard(t);
    EXPECT_EQ(2, t.M().Model.TrackCount());
}

TEST(CardLock, ACardInUseRefusesEveryCardCommand) {
    TCardRun t;
    fs::create_directories(t.Card + "/iTunes/iTunes_Control/iTunes");
    WriteWholeFile(t.Card + "/iTunes/iTunes_Control/iTunes/iTunesDB", "kept");
    TFolderLock other;
    ASSERT_TRUE(other.TryLock(t.Card));
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    t.M().ReadiTuneDB1Click();
    t.Pump();
    t.M().btnScanClick();
    t.Pump();
    t.M().btnScanMobileClick();
    t.Pump();
    t.Ui.Answers.push_back(TQuestionResult::Yes); // asked first; the card's lock refuses
    t.M().DeletephoneDB1Click();
    EXPECT_EQ(5, std::count_if(t.Ui.Warnings.begin(), t.Ui.Warnings.end(), [](const auto& w) {
                  return w.find("E: is being used by another run") != std::string::npos;
              }));
    EXPECT_EQ("kept", t.Db());
    EXPECT_EQ(1, t.M().Model.TrackCount()) << "the read did not reset the track list";
    EXPECT_FALSE(fs::exists(t.Card + "/mobile"));
    // Once the other run has let go, the card is there for this one.
    other.Unlock();
    t.Update();
    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
}

// ---- Leftovers of interrupted runs ----------------------------------------------------

TEST(Leftovers, ThoseOfKilledRunsGoAndLookalikesStay) {
    TCardRun t;
    const std::string tmp = t.Folder.Path("tmp");
    fs::create_directories(tmp);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", tmp.c_str(), 1);
    const std::string audio = t.Card + "/mobile/audio/";
    const std::string db = t.Card + "/iTunes/iTunes_Control/iTunes/";
    const std::string data = t.Folder.Path("pc/");
    fs::create_directories(audio);
    fs::create_directories(db);
    // What a killed run leaves.
    const std::vector<std::string> left = {
        audio + ".bvcopy-0123456789abcdef", db + ".iTunesDB.89abcdef01234567",
        data + ".brisvane.ini.0123456789abcdef", data + ".MediaDB.db3.fedcba9876543210",
        data + ".MediaDB.db0.00112233445566aa"};
    // Files of the same look that this program did not make, or that a living process is
    // still writing.
    const std::vector<std::string> kept = {audio + ".bvcopy-notes",
                                           audio + ".bvcopy-0123456789abcdef0",
                                           t.Card + "/.bvcopy-0123456789abcdef",
                                           db + ".iTunesDB.backup",
                                           data + ".brisvane.ini.old",
                                           data + ".MediaDB.db8.0123456789abcdef",
                                           data + "brisvane.ini.0123456789abcdef",
                                           data + ".MediaDB.db1.abcdefabcdefabcd"};
    for (const auto& f : left)
        WriteWholeFile(f, "partial");
    for (const auto& f : kept)
        WriteWholeFile(f, "someone's");
    fs::create_directories(tmp + "/brisvane-convert-a1B2c3");
    WriteWholeFile(tmp + "/brisvane-convert-a1B2c3/temp.wav", "partial");
    fs::create_directories(tmp + "/brisvane-convert-living");
    fs::create_directories(tmp + "/brisvane-convert-notes");
    fs::create_directories(tmp + "/brisvane-convert-x");
    TFolderLock living, writing;
    ASSERT_TRUE(living.TryLock(tmp + "/brisvane-convert-living"));
    ASSERT_TRUE(writing.TryLock(data + ".MediaDB.db1.abcdefabcdefabcd"));
    WriteWholeFile(tmp + "/brisvane-convert-notes/x", "");

    // The start of the program clears its own folders, the start of an update the card.
    t.M().FormCreate();
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_TRUE(t.Logged("2 files left on the memory card by an interrupted run were removed."))
        << t.AllLog();
    for (const auto& f : left)
        EXPECT_FALSE(fs::exists(f)) << f;
    for (const auto& f : kept)
        EXPECT_EQ("someone's", ReadWholeFile(f)) << f;
    EXPECT_FALSE(fs::exists(tmp + "/brisvane-convert-a1B2c3"));
    EXPECT_TRUE(fs::exists(tmp + "/brisvane-convert-living"));
    EXPECT_TRUE(fs::exists(tmp + "/brisvane-convert-x"));
    EXPECT_TRUE(fs::exists(tmp + "/brisvane-convert-notes/x"));
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// ---- Killed runs --------------------------------------------------------------------

namespace {

// Every temporary a run makes, wherever it lies below the folder.
std::vector<std::string> TemporariesBelow(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(".bvcopy-", 0) == 0 || name.rfind(".iTunesDB.", 0) == 0 ||
            name.rfind(".brisvane.ini.", 0) == 0 || name.rfind(".MediaDB.", 0) == 0 ||
            name.rfind("brisvane-convert-", 0) == 0)
            found.push_back(e.path().string());
    }
    return found;
}

} // namespace

TEST(UpdateKilled, KilledAtADozenMomentsThenACleanRunLeavesNothingBehind) {
    TCardRun t;
    const std::string tmp = t.Folder.Path("tmp");
    const std::string data = t.Folder.Path("data");
    fs::create_directories(tmp);
    fs::create_directories(data);
    // Tracks to copy (M4A files are never encoded) and one to encode.
    std::vector<std::string> files = {ToLinuxPath(t.PcM4a("big0.m4a", 30.0, 256))};
    for (int i = 1; i < 6; ++i) {
        files.push_back(t.Folder.Path("pc/big" + std::to_string(i) + ".m4a"));
        fs::copy_file(files[0], files.back());
    }
    files.push_back(ToLinuxPath(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3")));
    std::vector<std::string> args = {t.Card, data};
    args.insert(args.end(), files.begin(), files.end());
    const std::vector<std::string> env = {"TMPDIR=" + tmp, "BV_CHILD_ENCODE=1"};

    // A whole run first, to know how long one takes.
    const auto start = std::chrono::steady_clock::now();
    {
        TChildRun run(args, env, t.Folder.Path("out-first"));
        ASSERT_EQ(0, run.Wait()) << run.Output();
    }
    const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();

    std::mt19937 random(20261211);
    for (int kill = 0; kill < 12; ++kill) {
        // The card's copies go, so every run copies again; the old database stays.
        fs::remove_all(t.Card + "/mobile");
        const int after = std::uniform_int_distribution<int>(0, int(whole))(random);
        TChildRun run(args, env, t.Folder.Path("out-" + std::to_string(kill)));
        std::this_thread::sleep_for(std::chrono::milliseconds(after));
        run.Kill();
        SCOPED_TRACE("killed after " + std::to_string(after) + " ms of " + std::to_string(whole));
        const std::string db = t.Db();
        ASSERT_FALSE(db.empty()) << "the database of the first run is still there";
        EXPECT_TRUE(DatabaseChecker::Check(db).Ok()) << DatabaseChecker::Check(db).Error;
        t.LogLines.clear();
        t.M().ReadiTuneDB1Click();
        t.Pump();
        EXPECT_FALSE(t.Logged("Could not read")) << t.AllLog();
        EXPECT_TRUE(t.Ui.Warnings.empty()) << t.Ui.Warnings.front();
        // The library is a whole set of one save: every run adds its seven files.
        TScriptedManagerUi ui;
        TTrackManager next(ui, TManagerPaths{WindowsPathOf(data) + "\\", {}});
        next.Start();
        EXPECT_TRUE(ui.Warnings.empty()) << ui.Warnings.front();
        const int rows = TrackColumn(next.Model.MediaDB, TTrackColumn::Artist).Count();
        EXPECT_EQ(0, rows % 7);
        for (TTrackColumn c : TrackColumns)
            EXPECT_EQ(rows, TrackColumn(next.Model.MediaDB, c).Count());
    }

    TChildRun clean(args, env, t.Folder.Path("out-clean"));
    ASSERT_EQ(0, clean.Wait()) << clean.Output();
    for (const std::string& folder : {t.Card, data, tmp})
        EXPECT_EQ(std::vector<std::string>{}, TemporariesBelow(folder)) << folder;
    ExpectDatabaseDescribesTheCard(t);
    EXPECT_EQ(7, t.M().Model.TrackCount());
}

// ---- The database describes what is on the card ---------------------------------------

struct TChangedSource {
    const char* Name;
    // What happens to the PC file between adding and the update.
    std::function<void(const std::string& linuxPath)> Change;
    bool StillMusic;
    bool Shorter;
};

class ChangedSource : public ::testing::TestWithParam<TChangedSource> {};

TEST_P(ChangedSource, TheRowTakesTheCopiedFileOrIsLeftOut) {
    const TChangedSource& c = GetParam();
    TCardRun t;
    const std::string changed = t.PcFile("v23_latin1_cbr.mp3", "changed.mp3");
    t.Add(changed);
    t.Add(t.PcFile("v24_utf8_vbr.mp3", "steady.mp3"));
    const std::string listedTime = t.Field(0, "Time");
    c.Change(ToLinuxPath(changed));
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    const std::string card = t.Card + "/mobile/audio/changed.mp3";
    if (c.StillMusic) {
        EXPECT_EQ(IntToStr(int64_t(fs::file_size(card))), t.Field(0, "Size"));
        if (c.Shorter) {
            EXPECT_NE(listedTime, t.Field(0, "Time")) << "the length is read again";
        }
        EXPECT_TRUE(t.Ui.Warnings.empty());
    } else {
        EXPECT_FALSE(fs::exists(card));
        EXPECT_TRUE(t.Logged("changed.mp3 changed since it was added and is no readable MP3"))
            << t.AllLog();
        EXPECT_TRUE(AnyContains(t.Ui.Warnings, "1 tracks are missing")) << t.AllLog();
    }
    ExpectDatabaseDescribesTheCard(t);
}

INSTANTIATE_TEST_SUITE_P(
    , ChangedSource,
    ::testing::Values(
        TChangedSource{"CutShort",
                       [](const std::string& f) { fs::resize_file(f, fs::file_size(f) / 2); }, true,
                       true},
        TChangedSource{"Grown",
                       [](const std::string& f) {
                           // Its audio once more before the trailer.
                           std::string bytes = ReadWholeFile(f);
                           const std::string audio = bytes.substr(bytes.size() / 2, 16000);
                           bytes.insert(bytes.size() - 128, audio);
                           WriteWholeFile(f, bytes);
                       },
                       true, false},
        TChangedSource{"NoLongerMusic",
                       [](const std::string& f) { WriteWholeFile(f, std::string(5000, 'n')); },
                       false, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(UpdateSummary, EncoderWritingNoiseAndTracksThatDoNotFitAreCountedAndWarned) {
    TCardRun t;
    // An encoder that ends well and writes no audio at all.
    const std::string encoder = t.Folder.Path("noise-encoder");
    WriteWholeFile(encoder,
                   "#!/bin/sh\nfor last; do :; done\nyes noise | head -c 30000 > \"$last\"\n"
                   "exit 0\n");
    fs::permissions(encoder, fs::perms::owner_all);
    TTrackManager& m = t.M();
    m.Options.cbAutoEncode = true;
    m.Options.cbBitrate = "112";
    m.Options.comboM4ABitrate = "64";
    m.Options.comboConverters = WindowsPathOf(encoder);
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "loud.mp3")); // 128 kbit/s: encoded
    t.Add(t.PcFile("v24_utf16be_mpeg2.mp3", "fits.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "toolarge.mp3"));
    m.Model.TrackListHolder.StringsByName("BitRate").Put(1, "64");
    m.Model.TrackListHolder.StringsByName("BitRate").Put(2, "64");
    // Room for the small file only.
    t.State().FreeSpace = [](char) { return int64_t(20000); };
    t.Update();
    EXPECT_TRUE(t.Logged("Could not convert loud.mp3: The encoder's output is no audio"))
        << t.AllLog();
    EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/loud.mp3"));
    EXPECT_TRUE(t.Logged("Not enough space! Skeeping file toolarge.mp3"));
    EXPECT_TRUE(t.Logged("1 of 2 files could not be copied.")) << t.AllLog();
    EXPECT_TRUE(t.Logged("1 of 1 files could not be encoded."));
    EXPECT_TRUE(t.Logged("Mobile updated!"));
    ASSERT_EQ(1, t.Ui.Warnings.size()) << t.AllLog();
    EXPECT_NE(std::string::npos, t.Ui.Warnings[0].find("2 tracks are missing")) << t.Ui.Warnings[0];
    ExpectDatabaseDescribesTheCard(t);
}

TEST(UpdateSummary, BuildLeavesOutACardFileThatIsGone) {
    TCardRun t;
    t.M().Model.AppendTrack(
        {"A", "Gone", "", "0:2", "4000", "E:\\mobile\\audio\\gone.mp3", "128", "0"});
    t.Add(t.PcFile("v24_utf8_vbr.mp3", "here.mp3"));
    t.M().Model.SyncAllMusic();
    t.Update();
    EXPECT_TRUE(t.Logged("E:\\mobile\\audio\\gone.mp3 is not on the memory card and was left out"))
        << t.AllLog();
    EXPECT_TRUE(AnyContains(t.Ui.Warnings, "1 tracks are missing"));
    ExpectDatabaseDescribesTheCard(t);
}

// ---- The library's eight files are one set ----------------------------------------------

namespace {

// A library saved twice in one data folder: the set "A" and then the set "B", each of two
// rows whose every value names its set and row.
struct TSavedTwice {
    TAudioFixtureFolder Folder;
    std::string Data = Folder.Path("data");
    TScriptedManagerUi Ui;

    TSavedTwice() {
        fs::create_directories(Data);
        for (const std::string set : {"A", "B"}) {
            TScriptedManagerUi ui;
            TTrackManager m(ui, Paths());
            m.Start();
            m.Clear1Click();
            for (int r = 0; r < 2; ++r)
                for (TTrackColumn c : TrackColumns)
                    TrackColumn(m.Model.MediaDB, c).Add(set + IntToStr(r));
            m.FormClose();
            EXPECT_TRUE(ui.Warnings.empty()) << ui.Warnings.front();
        }
    }
    TManagerPaths Paths() const { return {WindowsPathOf(Data) + "\\", {}}; }
    std::string File(int i, const std::string& suffix = "") const {
        return Data + "/MediaDB.db" + std::to_string(i) + suffix;
    }
    // Every row of the library as "value|value|...".
    std::vector<std::string> Rows(TTrackManager& m) const {
        std::vector<std::string> rows;
        const int count = TrackColumn(m.Model.MediaDB, TTrackColumn::Artist).Count();
        for (int r = 0; r < count; ++r) {
            std::string row;
            for (TTrackColumn c : TrackColumns)
                row += TrackColumn(m.Model.MediaDB, c)[r] + "|";
            rows.push_back(row);
        }
        return rows;
    }
};

std::vector<std::string> RowsOf(const std::string& set) {
    std::vector<std::string> rows;
    for (int r = 0; r < 2; ++r) {
        std::string row;
        for (size_t c = 0; c < std::size(TrackColumns); ++c)
            row += set + std::to_string(r) + "|";
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(LibrarySet, MixedFromTwoSavesLoadsThePreviousSetOrNothing) {
    for (const bool previousThere : {true, false}) {
        SCOPED_TRACE(previousThere ? "previous set there" : "previous set gone");
        TSavedTwice s;
        // Four columns of the last save were renamed into place, four were not.
        for (int i = 0; i < 4; ++i)
            fs::copy_file(s.File(i, ".bak"), s.File(i), fs::copy_options::overwrite_existing);
        const std::string mixed = ReadWholeFile(s.File(0)) + ReadWholeFile(s.File(7));
        if (!previousThere)
            for (int i = 0; i < 8; ++i)
                fs::remove(s.File(i, ".bak"));
        TTrackManager m(s.Ui, s.Paths());
        m.Start();
        ASSERT_EQ(1u, s.Ui.Warnings.size());
        if (previousThere) {
            EXPECT_EQ(RowsOf("A"), s.Rows(m));
            EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("interrupted")) << s.Ui.Warnings[0];
        } else {
            EXPECT_EQ(std::vector<std::string>{}, s.Rows(m));
            EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("damaged")) << s.Ui.Warnings[0];
            EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("MediaDB.db0.damaged"));
            EXPECT_EQ(mixed,
                      ReadWholeFile(s.File(0, ".damaged")) + ReadWholeFile(s.File(7, ".damaged")));
        }
        // The next save is a whole set again, and loads without a word.
        m.FormClose();
        TScriptedManagerUi ui;
        TTrackManager again(ui, s.Paths());
        again.Start();
        EXPECT_TRUE(ui.Warnings.empty());
        EXPECT_EQ(s.Rows(m), s.Rows(again));
    }
}

// A user who deletes the library's files to start afresh leaves the manifest behind: the
// library starts empty without a word when all eight are gone, and with a message that
// names what is missing when some are.
TEST(LibrarySet, ManifestWithoutItsFilesStartsAnEmptyLibrary) {
    struct TCase {
        const char* Name;
        std::vector<std::string> Removed; // suffixes of the files removed, for all eight
        int OnlyFile;                     // -1: every file; else this one alone
        const char* Warning;              // nullptr when there is none
    };
    const TCase cases[] = {
        {"the manifest alone", {"", ".bak"}, -1, nullptr},
        {"the eight gone, their backups there", {""}, -1, nullptr},
        {"one of the eight gone",
         {""},
         3,
         "The media library is incomplete: MediaDB.db3 is missing. The library starts empty; "
         "the files that were there were kept aside as "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSavedTwice s;
        std::vector<std::string> before(8);
        for (int i = 0; i < 8; ++i) {
            before[static_cast<size_t>(i)] = ReadWholeFile(s.File(i));
            if (c.OnlyFile < 0 || c.OnlyFile == i)
                for (const std::string& suffix : c.Removed)
                    fs::remove(s.File(i, suffix));
        }
        ASSERT_TRUE(fs::exists(s.Data + "/MediaDB.manifest"));
        TTrackManager m(s.Ui, s.Paths());
        m.Start();
        EXPECT_EQ(std::vector<std::string>{}, s.Rows(m));
        if (!c.Warning) {
            EXPECT_TRUE(s.Ui.Warnings.empty()) << s.Ui.Warnings.front();
        } else {
            ASSERT_EQ(1u, s.Ui.Warnings.size());
            EXPECT_EQ(0u, s.Ui.Warnings[0].find(c.Warning)) << s.Ui.Warnings[0];
            EXPECT_EQ(std::string::npos, s.Ui.Warnings[0].find("damaged")) << s.Ui.Warnings[0];
            // What was there is kept, whole, where the message says.
            for (int i = 0; i < 8; ++i) {
                if (i != c.OnlyFile) {
                    EXPECT_EQ(before[static_cast<size_t>(i)], ReadWholeFile(s.File(i, ".kept")));
                }
            }
            EXPECT_NE(std::string::npos,
                      s.Ui.Warnings[0].find(s.File(0, ".kept").substr(s.Data.size() + 1)));
        }
        // The next start loads what this run saved, without a word.
        m.FormClose();
        TScriptedManagerUi ui;
        TTrackManager again(ui, s.Paths());
        again.Start();
        EXPECT_TRUE(ui.Warnings.empty()) << ui.Warnings.front();
        EXPECT_EQ(std::vector<std::string>{}, s.Rows(again));
    }
}

TEST(LibrarySet, SetsWithoutAMatchingManifestLoadAsFilesAlwaysDid) {
    for (const bool manifestThere : {false, true}) {
        TSavedTwice s;
        if (!manifestThere)
            fs::remove(s.Data + "/MediaDB.manifest");
        // Another program (an older version) writes all eight files anew.
        for (int i = 0; i < 8; ++i)
            WriteWholeFile(s.File(i), "C0\r\nC1\r\nC2\r\n");
        TTrackManager m(s.Ui, s.Paths());
        m.Start();
        EXPECT_TRUE(s.Ui.Warnings.empty());
        EXPECT_EQ(3u, s.Rows(m).size());
    }
}
