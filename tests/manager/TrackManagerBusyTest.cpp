// What a run on the card holds off, how its results reach the GUI thread, the card
// read on its worker, and closing the program in the middle of a run.
#include "UpdateTestSupport.h"

#include "RtFileUtils.h"
#include "TrackFileCopy.h"

#include <chrono>
#include <thread>

using namespace BvTest;

namespace {

using TRunKind = TTrackManager::TRunKind;

struct TRunEvent {
    TRunKind Kind;
    bool Running;
    bool operator==(const TRunEvent& o) const { return Kind == o.Kind && Running == o.Running; }
};

std::ostream& operator<<(std::ostream& out, const TRunEvent& e) {
    return out << static_cast<int>(e.Kind) << (e.Running ? " started" : " ended");
}

// A manager with tracks on the PC, two playlists, and a copy that waits at its
// first block until it is released.
struct THeldUpdate {
    TCardRun T;
    TLatch Copying, Release;
    std::vector<TRunEvent> Events;

    explicit THeldUpdate(int blocks = 3) {
        T.WriteOldDb("old database");
        const std::string big = T.Folder.Path("pc/big.mp3");
        std::string bytes = ReadWholeFile(TagFixture("v23_latin1_cbr.mp3"));
        std::string data;
        while (data.size() < static_cast<size_t>(blocks) * FileCopyBlockSize)
            data += bytes;
        WriteWholeFile(big, data);
        T.Add(WindowsPathOf(big));
        T.Add(T.PcFile("v11_only.mp3", "two.mp3"));
        T.M().Model.UpdateAllMusic();
        T.M().ListBoxPlayLists.Items.Add("Mix");
        T.M().Model.PlaylistTracks[1].Add("1");
        T.M().RunSink = [this](TRunKind kind, bool running) { Events.push_back({kind, running}); };
        T.State().AfterFirstCopyBlock = [this] {
            Copying.CountDown();
            Release.Wait();
        };
    }
    void StartAndWaitForTheCopy() {
        T.M().btnUpdateMobileClick();
        while (!Copying.Done())
            CheckSynchronize(10);
    }
    // The state the held commands would change.
    std::string Fingerprint() {
        TTrackManager& m = T.M();
        std::string s = IntToStr(m.Model.TrackCount()) + "|" + m.ListBoxPlayLists.Items.Text();
        for (int p = 0; p < 3; ++p)
            s += "|" + m.Model.PlaylistTracks[static_cast<size_t>(p)].Text();
        return s + "|" + m.Model.TrackListHolder.StringsByName("Artist").Text();
    }
};

// Every command a run refuses, called as its control calls it.
struct THeldCommand {
    TCommand Command;
    std::function<void(TTrackManager&, TCardRun&)> Call;
};

const std::vector<THeldCommand>& HeldCommands() {
    static const std::vector<THeldCommand> commands = {
        {TCommand::btnUpdateMobileClick,
         [](TTrackManager& m, TCardRun&) { m.btnUpdateMobileClick(); }},
        {TCommand::btnScanClick, [](TTrackManager& m, TCardRun&) { m.btnScanClick(); }},
        {TCommand::ReadiTuneDB1Click, [](TTrackManager& m, TCardRun&) { m.ReadiTuneDB1Click(); }},
        {TCommand::Checkforbadfiles1Click,
         [](TTrackManager& m, TCardRun&) { m.Checkforbadfiles1Click(); }},
        {TCommand::DeletephoneDB1Click,
         [](TTrackManager& m, TCardRun&) { m.DeletephoneDB1Click(); }},
        {TCommand::btnScanMobileClick, [](TTrackManager& m, TCardRun&) { m.btnScanMobileClick(); }},
        {TCommand::btnAddFileClick,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.FileChoices.push_back({true, {t.PcFile("v24_utf8_vbr.mp3", "new.mp3")}});
             m.btnAddFileClick();
         }},
        {TCommand::btnAddDIRClick,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.FolderChoices.push_back({true, WindowsPathOf(t.Folder.Path("pc"))});
             m.btnAddDIRClick();
         }},
        {TCommand::BvDragDrop1Drop,
         [](TTrackManager& m, TCardRun& t) {
             m.BvDragDrop1Drop({t.PcFile("v24_utf8_vbr.mp3", "dropped.mp3")});
         }},
        {TCommand::btnRemoveClick,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.Answers.push_back(TQuestionResult::Yes);
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.SelectAll();
             m.btnRemoveClick();
         }},
        {TCommand::btnResetProgClick, [](TTrackManager& m, TCardRun&) { m.btnResetProgClick(); }},
        {TCommand::Copytotracklist1Click,
         [](TTrackManager& m, TCardRun& t) {
             m.AddMp3ToMediaDB(t.PcFile("v24_utf8_vbr.mp3", "lib.mp3"));
             m.RefreshMediaDBList();
             m.MediaDBList.SelectAll();
             m.Copytotracklist1Click();
         }},
        {TCommand::MenuItem1Click,
         [](TTrackManager& m, TCardRun&) {
             m.RefreshDeletedList();
             m.DeletedList.SelectAll();
             m.MenuItem1Click();
         }},
        {TCommand::SortbyArtist1Click, [](TTrackManager& m, TCardRun&) { m.SortbyArtist1Click(); }},
        {TCommand::SortbyTitle1Click, [](TTrackManager& m, TCardRun&) { m.SortbyTitle1Click(); }},
        {TCommand::SortbyAlbum1Click, [](TTrackManager& m, TCardRun&) { m.SortbyAlbum1Click(); }},
        {TCommand::SortbyBitrate1Click,
         [](TTrackManager& m, TCardRun&) { m.SortbyBitrate1Click(); }},
        {TCommand::SortbySize1Click, [](TTrackManager& m, TCardRun&) { m.SortbySize1Click(); }},
        {TCommand::Sortbylength1Click, [](TTrackManager& m, TCardRun&) { m.Sortbylength1Click(); }},
        {TCommand::mbNewPlstClick,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.Inputs.push_back({true, "New"});
             m.mbNewPlstClick();
         }},
        {TCommand::Renameplaylist1Click,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.Inputs.push_back({true, "Renamed"});
             m.ListBoxPlayListsClick(1);
             m.Renameplaylist1Click();
         }},
        {TCommand::Deleteplaylist1Click,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.Answers.push_back(TQuestionResult::Yes);
             m.ListBoxPlayListsClick(1);
             m.Deleteplaylist1Click();
         }},
        {TCommand::Clearplaylists2Click,
         [](TTrackManager& m, TCardRun& t) {
             t.Ui.Answers.push_back(TQuestionResult::Yes);
             m.Clearplaylists2Click();
         }},
        {TCommand::ListBoxPlayListsDragDrop,
         [](TTrackManager& m, TCardRun&) {
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.SelectAll();
             m.ListBoxPlayListsDragDrop(TDragSource::TrackView, 1);
         }},
        {TCommand::MoveUp2Click,
         [](TTrackManager& m, TCardRun&) {
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.FocusLine(1);
             m.MoveUp2Click();
         }},
        {TCommand::MoveDown2Click,
         [](TTrackManager& m, TCardRun&) {
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.FocusLine(0);
             m.MoveDown2Click();
         }},
        {TCommand::CopyToPlayListPopup1Click,
         [](TTrackManager& m, TCardRun&) {
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.SelectAll();
             m.TrackListMenuPopup();
             m.CopyToPlayListPopup1Click(0);
         }},
        {TCommand::BvPlaylistGLDragDrop,
         [](TTrackManager& m, TCardRun&) {
             m.ListBoxPlayListsClick(0);
             m.BvPlaylist.FocusLine(1);
             m.BvPlaylist.Select(1);
             m.BvPlaylistGLDragDrop(TDragSource::TrackView, 0);
         }},
    };
    return commands;
}

} // namespace

// ---- The busy guard ----------------------------------------------------------------

TEST(BusyGuard, EveryHeldCommandIsRefusedDuringAnUpdateAndEnabledAfter) {
    // The table covers the list the windows grey by, and nothing else.
    std::vector<TCommand> tabled;
    for (const auto& c : HeldCommands())
        tabled.push_back(c.Command);
    EXPECT_EQ(TTrackManager::CommandsHeldWhileBusy(), tabled);

    THeldUpdate h;
    TTrackManager& m = h.T.M();
    EXPECT_FALSE(m.CommandEnabled(TCommand::btnCancelClick));
    h.StartAndWaitForTheCopy();
    EXPECT_EQ(TRunKind::Update, m.CurrentRun());
    EXPECT_TRUE(m.CommandEnabled(TCommand::btnCancelClick));
    EXPECT_TRUE(m.CommandEnabled(TCommand::btnOptionsClick));
    EXPECT_TRUE(m.CommandEnabled(TCommand::Addfiles1Click)); // the library is not under the run
    const std::string before = h.Fingerprint();
    for (const auto& c : HeldCommands()) {
        SCOPED_TRACE(std::string(CommandName(c.Command)));
        EXPECT_FALSE(m.CommandEnabled(c.Command));
        const size_t messages = h.T.Ui.Messages.size();
        c.Call(m, h.T);
        EXPECT_EQ(messages + 1, h.T.Ui.Messages.size());
        EXPECT_EQ(before, h.Fingerprint());
    }
    // The detection starts no read during the run.
    m.Options.cbAutoDetect = true;
    m.Model.TransFlashHandled = 0;
    h.T.State().DetectConnect = [](uint8_t) { return uint8_t{1}; };
    h.T.State().DetectDisk = [](char) { return 'E'; };
    m.TransFlashTimerTimer();
    EXPECT_EQ(0, m.Model.TransFlashHandled.load());
    EXPECT_EQ(TRunKind::Update, m.CurrentRun());

    m.btnCancelClick();
    h.Release.CountDown();
    h.T.Pump();
    EXPECT_EQ((std::vector<TRunEvent>{{TRunKind::Update, true}, {TRunKind::Update, false}}),
              h.Events);
    EXPECT_EQ(TRunKind::None, m.CurrentRun());
    EXPECT_FALSE(m.CommandEnabled(TCommand::btnCancelClick));
    for (const auto& c : HeldCommands())
        EXPECT_TRUE(m.CommandEnabled(c.Command)) << CommandName(c.Command);
    // And they work again.
    h.T.Ui.Inputs.push_back({true, "After"});
    m.mbNewPlstClick();
    EXPECT_EQ(3, m.ListBoxPlayLists.Items.Count());
}

TEST(BusyGuard, CommandsComeBackWhenARunEndsWellOrFails) {
    {
        TCardRun t;
        std::vector<TRunEvent> events;
        t.M().RunSink = [&](TRunKind k, bool r) { events.push_back({k, r}); };
        t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
        t.Update();
        EXPECT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
        EXPECT_EQ((std::vector<TRunEvent>{{TRunKind::Update, true}, {TRunKind::Update, false}}),
                  events);
        EXPECT_TRUE(t.M().CommandEnabled(TCommand::ReadiTuneDB1Click));
    }
    {
        // The encoder cannot be started: the run fails and everything is enabled again.
        TCardRun t;
        std::vector<TRunEvent> events;
        t.M().RunSink = [&](TRunKind k, bool r) { events.push_back({k, r}); };
        t.M().Options.cbAutoEncode = true;
        t.M().Options.cbBitrate = "64";
        t.M().Options.comboConverters = t.Folder.Path("no-such-encoder");
        t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
        t.Update();
        EXPECT_TRUE(t.Logged("Update failed.")) << t.AllLog();
        EXPECT_EQ((std::vector<TRunEvent>{{TRunKind::Update, true}, {TRunKind::Update, false}}),
                  events);
        EXPECT_TRUE(t.M().CommandEnabled(TCommand::btnAddFileClick));
    }
}

// ---- Results reach the GUI thread in batches ------------------------------------------

TEST(RunResults, ManyFilesReachTheGuiThreadAFewDozenTimesASecondAtMost) {
    TCardRun t;
    constexpr int Files = 300;
    for (int i = 0; i < Files; ++i)
        t.Add(t.PcFile(i % 2 ? "v23_latin1_cbr.mp3" : "v11_only.mp3",
                       "many/" + std::to_string(i) + ".mp3"));
    int shown = 0;
    int lastAll = -1;
    t.M().ProgressSink = [&](TProgressBarId bar, int position, int) {
        if (bar == TProgressBarId::All) {
            ++shown;
            lastAll = position;
        }
    };
    const auto start = std::chrono::steady_clock::now();
    t.Update();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    // Every file's line arrived, however few the batches.
    EXPECT_EQ(Files, std::count_if(t.LogLines.begin(), t.LogLines.end(), [](const auto& l) {
                  return l.find(" was successfully copied") != std::string::npos;
              }));
    const auto& st = t.State();
    const long allowed = ms / 40 + 8;
    EXPECT_LE(st.FlushCount, allowed) << ms << " ms";
    EXPECT_LE(shown, allowed + 8) << ms << " ms";
    EXPECT_LT(st.FlushCount, Files);
    EXPECT_EQ(t.State().ProgressAllMax, lastAll);
}

TEST(RunResults, EncoderProgressIsTheLastPercentItWrote) {
    TCardRun t;
    auto& st = t.State();
    st.UpdateRunning = true;
    struct TCase {
        const char* Block;
        int Expected;
    };
    const TCase cases[] = {
        {"    12/3151   ( 0%)|    0:00/    0:00|", 0},
        {"\r   400/3151  (13%)|  0:01\r   800/3151  (25%)|  0:02", 25},
        {"Encoding as 32 kHz j-stereo MPEG-1 Layer III", 25}, // no figure: unchanged
        {"(150%) (x%) ()", 25},                               // none that is a percent
        {"  3151/3151  (100%)|", 100},
    };
    for (const TCase& c : cases) {
        st.EncoderOutputRead(c.Block);
        EXPECT_EQ(c.Expected, st.Progress2Pos) << c.Block;
    }
    st.UpdateRunning = false;
}

TEST(RunResults, RealEncoderMovesTheEncodingBarWhileItRuns) {
    TAudioFixtureFolder sources;
    const std::string wav = sources.Path("long.wav");
    WriteSineWav(wav, 60.0);
    const std::string mp3 = sources.Path("long.mp3");
    ASSERT_EQ(0, std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()));
    TCardRun t;
    t.M().Options.cbAutoEncode = true;
    t.M().Options.cbBitrate = "112";
    t.M().Options.comboM4ABitrate = "64";
    t.M().Options.comboConverters = "lame";
    t.Add(WindowsPathOf(mp3));
    // The bar's position while the encoder runs (the copy of its output comes after).
    bool moved = false;
    t.M().btnUpdateMobileClick();
    while (t.M().IsBusy()) {
        CheckSynchronize(1);
        moved = moved || (t.M().Model.ConverterRunning && t.State().Progress2Pos > 0);
    }
    t.Pump();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_TRUE(moved);
}

// ---- The card read on its worker ------------------------------------------------------

TEST(CardReadWorker, ReadsOffTheGuiThreadAndStopLeavesTheResetState) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    TTrackManager& m = t.M();
    std::vector<TRunEvent> events;
    m.RunSink = [&](TRunKind k, bool r) { events.push_back({k, r}); };

    TLatch reading, release;
    std::thread::id readerThread;
    t.State().CardReadStarted = [&] {
        readerThread = std::this_thread::get_id();
        reading.CountDown();
        release.Wait();
    };
    m.ReadiTuneDB1Click();
    while (!reading.Done())
        CheckSynchronize(10);
    EXPECT_NE(std::this_thread::get_id(), readerThread);
    EXPECT_EQ(TRunKind::Read, m.CurrentRun());
    const size_t messages = t.Ui.Messages.size();
    m.btnResetProgClick();
    m.btnUpdateMobileClick();
    m.ReadiTuneDB1Click();
    EXPECT_EQ(messages + 3, t.Ui.Messages.size());
    m.btnCancelClick();
    release.CountDown();
    t.Pump();
    EXPECT_TRUE(t.Logged("Reading the memory card was stopped.")) << t.AllLog();
    EXPECT_EQ(0, m.Model.TrackCount());
    EXPECT_EQ("All music", m.ListBoxPlayLists.Items[0]);
    EXPECT_EQ((std::vector<TRunEvent>{{TRunKind::Read, true}, {TRunKind::Read, false}}), events);

    // Read again to the end: the track comes back.
    t.State().CardReadStarted = nullptr;
    m.ReadiTuneDB1Click();
    EXPECT_TRUE(m.IsBusy());
    t.Pump();
    EXPECT_EQ(1, m.Model.TrackCount());
    EXPECT_EQ("E:\\mobile\\audio\\one.mp3", t.Field(0, "FileName"));
}

// ---- Closing during a run -------------------------------------------------------------

TEST(ClosingDuringARun, NoKeepsTheRunAndYesStopsItWithTheOldDatabaseWhole) {
    THeldUpdate h(4);
    TTrackManager& m = h.T.M();
    h.StartAndWaitForTheCopy();
    h.T.Ui.Answers = {TQuestionResult::No};
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_EQ(1u, h.T.Ui.Questions.size());
    EXPECT_TRUE(m.IsBusy());

    // Yes: the copy worker is still held, so the bounded wait ends and names it.
    h.T.State().CloseWaitMs = 300;
    h.T.Ui.Answers = {TQuestionResult::Yes};
    EXPECT_TRUE(m.FormCloseQuery());
    ASSERT_EQ(1u, h.T.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, h.T.Ui.Warnings[0].find("the copy worker")) << h.T.Ui.Warnings[0];
    h.Release.CountDown();
    m.FormClose();
    h.T.Pump();
    EXPECT_FALSE(m.IsBusy());
    EXPECT_EQ("old database", h.T.Db());
    EXPECT_FALSE(fs::exists(h.T.Card + "/mobile/audio/big.mp3"));
    EXPECT_TRUE(fs::exists(h.T.Folder.Path("pc/brisvane.ini")));
}

TEST(ClosingDuringARun, YesInTheMiddleOfACopyWaitsForTheWorkersAndSaves) {
    TCardRun t;
    t.WriteOldDb("old database");
    const std::string big = t.Folder.Path("pc/big.mp3");
    WriteWholeFile(big, std::string(64 * FileCopyBlockSize, 'x'));
    t.Add(WindowsPathOf(big));
    // The copy waits after its first block until the run is stopped.
    TLatch copying;
    t.State().AfterFirstCopyBlock = [&] {
        copying.CountDown();
        for (int i = 0; i < 5000 && !t.M().Model.CancelRequested; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    t.M().btnUpdateMobileClick();
    while (!copying.Done())
        CheckSynchronize(1);
    t.Ui.Answers = {TQuestionResult::Yes};
    EXPECT_TRUE(t.M().FormCloseQuery());
    EXPECT_TRUE(t.Ui.Warnings.empty()) << t.Ui.Warnings[0];
    EXPECT_FALSE(t.M().IsBusy());
    t.M().FormClose();
    EXPECT_EQ("old database", t.Db());
    EXPECT_FALSE(fs::exists(t.Card + "/mobile/audio/big.mp3"));
    EXPECT_TRUE(fs::exists(t.Folder.Path("pc/brisvane.ini")));
}
