// The phone drive: card commands with no drive or a floppy letter, an update that
// keeps the drive it started on, and card detection choosing the drive.
#include "UpdateTestSupport.h"

#include <functional>
#include <thread>

using namespace BvTest;

namespace {

struct TGuardCase {
    const char* command;
    std::function<void(TTrackManager&)> run;
};

// With no phone drive, or a floppy letter, each card command warns once and leaves
// the card and the track list as they were.
TEST(PhoneDrive, CardCommandsWarnAndDoNothingWithoutADrive) {
    const TGuardCase commands[] = {
        {"Update", [](TTrackManager& m) { m.btnUpdateMobileClick(); }},
        {"Read iTunesDB", [](TTrackManager& m) { m.ReadiTuneDB1Click(); }},
        {"Scan mobile", [](TTrackManager& m) { m.btnScanClick(); }},
        {"Scan mobile for files", [](TTrackManager& m) { m.btnScanMobileClick(); }},
        {"Delete phone DB", [](TTrackManager& m) { m.DeletephoneDB1Click(); }},
    };
    const struct {
        char drive;
        const char* warning;
    } drives[] = {{0, "No phone drive is chosen."},
                  {'A', "You can't choose floppy drive!"},
                  {'b', "You can't choose floppy drive!"}};
    for (const auto& d : drives) {
        for (const auto& c : commands) {
            SCOPED_TRACE(std::string(c.command) + " with drive " + (d.drive ? d.drive : '0'));
            TCardRun t;
            t.WriteOldDb("old database");
            fs::create_directories(t.Card + "/mobile");
            fs::copy_file(TagFixture("v23_latin1_cbr.mp3"), t.Card + "/mobile/on-card.mp3");
            t.Add(t.PcFile("v11_only.mp3", "pc.mp3"));
            t.M().Model.PhoneDrive = d.drive;
            c.run(t.M());
            t.Pump();
            EXPECT_EQ((std::vector<std::string>{d.warning}), t.Ui.Warnings);
            EXPECT_EQ("old database", t.Db());
            EXPECT_EQ(1, t.M().Model.TrackCount());
            EXPECT_TRUE(t.Ui.DriveSelectorStates.empty());
        }
    }
}

// The drive is changed while the first file is being copied: the files and the
// database still go to E:, and the selector is off for the whole run.
TEST(PhoneDrive, AnUpdateKeepsTheDriveItStartedOn) {
    TCardRun t;
    const std::string other = t.Folder.Path("other");
    fs::create_directories(other);
    setenv("BRISVANE_DRIVES", ("E=" + t.Card + ":removable;F=" + other + ":removable").c_str(), 1);
    RefreshDriveTable();
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "two.mp3"));
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
    EXPECT_EQ((std::vector<bool>{false}), t.Ui.DriveSelectorStates);
    t.M().Model.PhoneDrive = 'F';
    release.CountDown();
    t.Pump();

    EXPECT_EQ((std::vector<bool>{false, true}), t.Ui.DriveSelectorStates);
    for (int row = 0; row < 2; ++row) {
        const std::string file = t.Field(row, "FileName");
        EXPECT_EQ(0u, file.find("E:\\")) << file;
        EXPECT_TRUE(fs::exists(ToLinuxPath(file))) << file;
    }
    const auto db = DatabaseChecker::Check(t.Db());
    EXPECT_TRUE(db.Ok()) << db.Error;
    EXPECT_EQ(2, db.Tracks) << t.AllLog();
    EXPECT_TRUE(fs::is_empty(other));
}

struct TDetectCase {
    const char* name;
    char reported;
    bool selectorTakes; // whether the selector can list and choose the letter
    char phoneDrive;    // afterwards
    const char* logged; // a log line part, or ""
    int reads;
};

// A detected card: taken when the selector lists it (after reading the table again),
// said in the log when it cannot, and never the system drive.
TEST(PhoneDrive, CardDetectionChoosesOnlyWhatTheSelectorTakes) {
    const TDetectCase cases[] = {
        {"a letter the selector lists after a fresh read", 'G', true, 'G', "", 0},
        {"a letter the selector cannot take", 'G', false, 'E', "could not be chosen", 0},
        {"the system drive", 'C', true, 'E', "never used as the phone drive", 0},
        {"the current card", 'E', true, 'E', "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCardRun t;
        TTrackManager& m = t.M();
        m.Options.cbAutoDetect = true;
        m.Options.cbAutoReadDB = true;
        m.Model.PhoneDrive = 'E';
        const char reported = c.reported;
        t.State().DetectConnect = [](uint8_t) { return uint8_t{1}; };
        t.State().DetectDisk = [reported](char) { return reported; };
        t.Ui.DriveSelector = [&](char) { return c.selectorTakes; };
        int reads = 0;
        m.Log.SetSink([&](const std::string& line) {
            t.LogLines.push_back(line);
            reads += line.find("Reading iTunes database...") != std::string::npos;
        });
        t.WriteOldDb("");
        m.TransFlashTimerTimer();
        m.TransFlashTimerTimer(); // a refusal is said once
        t.Pump();
        EXPECT_EQ(c.phoneDrive, m.Model.PhoneDrive);
        EXPECT_EQ(c.reads, reads);
        if (*c.logged) {
            EXPECT_EQ(1, std::count_if(t.LogLines.begin(), t.LogLines.end(),
                                       [&](const std::string& l) {
                                           return l.find(c.logged) != std::string::npos;
                                       }))
                << t.AllLog();
        }
        const bool systemDrive = c.reported == 'C';
        EXPECT_EQ(systemDrive || c.reported == 'E' ? "" : std::string(1, c.reported),
                  t.Ui.OfferedDrives.substr(0, 1));
    }
}

} // namespace
