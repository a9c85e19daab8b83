// The inspector window as a person uses it: "Open DB" pressed with the mouse, the file
// chosen in the open dialog (answered by a script), the report and the size shown; a cut
// file shows the lines before the cut and why the scan stopped; what is no regular file or
// cannot be read is refused with a message; a ten megabyte database fills the memo while
// the window goes on answering, and another file opened or the window closed meanwhile
// loses nothing.
#include "DatabaseInspector.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "InspectorTestDatabase.h"
#include "Unit1.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

class InspectorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvinspector-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        folder_ = tmpl;
        SetDialogResponder([this](const TDialogRequest& r) {
            Requests.push_back(r);
            TDialogAnswer a;
            if (r.Kind == TDialogRequest::dkOpenFile) {
                a.Accepted = !Chosen.empty();
                if (a.Accepted)
                    a.Paths = {Chosen};
            } else {
                a.Accepted = true;
                a.Button = IDOK;
            }
            return a;
        });
        Window = new TFormDecrypt(Application);
        UseTestFont(Window->Font());
        Window->AfterConstruction();
        Window->Show();
        PumpEvents();
    }
    void TearDown() override {
        delete Window;
        PumpEvents();
        SetDialogResponder({});
        fs::remove_all(folder_);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Presses "Open DB" with the mouse, the dialog answering `path`, and waits for the report.
    void OpenWithTheButton(const std::string& path) {
        Chosen = path;
        QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
        WaitUntilShown();
    }
    // Lets the event loop run until the window has shown its report; counts the rounds.
    int WaitUntilShown() {
        int rounds = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (Window->Busy() && std::chrono::steady_clock::now() < deadline) {
            PumpEvents(1);
            ++rounds;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_FALSE(Window->Busy()) << "the report was not shown in time";
        PumpEvents();
        return rounds;
    }
    std::vector<std::string> MemoLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < Window->Memo1->Lines()->Count(); ++i)
            lines.push_back(Window->Memo1->Lines()->Get(i));
        return lines;
    }
    // Lets the event loop run until the report is coming into the memo, a part of it shown.
    void WaitUntilFilling() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while ((Window->Reading() || Window->Memo1->Lines()->Count() == 0) &&
               std::chrono::steady_clock::now() < deadline) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(Window->Reading());
        ASSERT_TRUE(Window->Busy()) << "the report was shown before the test could act";
    }
    std::vector<TDialogRequest> Messages() const {
        std::vector<TDialogRequest> m;
        for (const auto& r : Requests)
            if (r.Kind == TDialogRequest::dkMessage)
                m.push_back(r);
        return m;
    }

    std::string folder_;
    std::string Chosen;
    TFormDecrypt* Window = nullptr;
    std::vector<TDialogRequest> Requests;
};

// How many of this process's descriptors are open on the file.
int OpenDescriptorsOn(const std::string& path) {
    int count = 0;
    const fs::path target = fs::weakly_canonical(path);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path link = fs::read_symlink(entry.path(), error);
        if (!error && link == target)
            ++count;
    }
    return count;
}

// The report the inspector makes of the file, without its window, as the lines a memo holds
// (a stray line break inside a record's bytes starts a line of its own there too).
std::string ReportOf(const std::string& path) {
    TDatabaseInspector inspector;
    TBvMultiStringHolder temp = MakeTempStringHolder();
    TPlaylistLists uids;
    TReaderContext context;
    TStringList lines;
    lines.SetText(inspector.Open(path, temp, uids, context, true).Report);
    return lines.Text();
}

// Saves what the window shows as a PNG under the build folder, for a person to look at.
QImage SaveShot(TWinControl* window, const std::string& name) {
    QImage shot = window->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const std::string path = std::string(BV_BINARY_DIR) + "/screenshots/" + name + ".png";
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(shot.save(QString::fromStdString(path))) << path;
    return shot;
}

} // namespace

TEST_F(InspectorWindow, ShowsTheReportAndTheSizeOfADatabaseTheProjectWrote) {
    const std::string db = InspectorTest::MakeDatabase(3);
    const std::string path = Write("iTunesDB", db);
    OpenWithTheButton(path);
    ASSERT_FALSE(Requests.empty());
    EXPECT_EQ(TDialogRequest::dkOpenFile, Requests[0].Kind);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(std::to_string(db.size()), Window->Label1->Caption());
    const auto lines = MemoLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(0u, lines[0].rfind("0\tdbhm\t", 0)) << lines[0];
    EXPECT_NE(std::string::npos, lines[0].find("база данных iTunes"));
    EXPECT_EQ(0u, lines[1].rfind("104\tdshm", 0)) << lines[1];
    EXPECT_NE(std::string::npos, Window->Memo1->GetText().find("A title of track number 2"));
    EXPECT_EQ("BD decoder " + ToWindowsPath(path), Window->Caption());
    EXPECT_TRUE(Window->Button1->Enabled());

    // The same file again: the same report, the path twice in the caption.
    const std::string first = Window->Memo1->GetText();
    OpenWithTheButton(path);
    EXPECT_EQ(first, Window->Memo1->GetText());
    EXPECT_EQ("BD decoder " + ToWindowsPath(path) + " " + ToWindowsPath(path), Window->Caption());
}

TEST_F(InspectorWindow, ACutFileShowsTheLinesBeforeTheCutAndTheReason) {
    const std::string whole = InspectorTest::MakeDatabase(3);
    // Cut inside the second track record's fixed fields.
    const size_t second = whole.find("tihm", whole.find("tihm") + 4);
    ASSERT_NE(std::string::npos, second);
    const std::string cut = whole.substr(0, second + 40);
    OpenWithTheButton(Write("cut", cut));
    EXPECT_TRUE(Messages().empty()) << "a damaged file is reported in the memo";
    EXPECT_FALSE(Window->LastResult().Completed);
    const auto lines = MemoLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(0u, lines[0].rfind("0\tdbhm", 0));
    // Every record before the cut has its line, then the reason.
    EXPECT_NE(std::string::npos, Window->Memo1->GetText().find("A title of track number 0"));
    EXPECT_EQ("Scan stopped at offset " + std::to_string(second) +
                  ": the record there runs past the end of the file (" +
                  std::to_string(cut.size()) + " bytes).",
              lines.back());
    EXPECT_EQ(std::to_string(cut.size()), Window->Label1->Caption());
}

TEST_F(InspectorWindow, WhatIsNoRegularFileOrCannotBeReadIsRefusedWithAMessage) {
    OpenWithTheButton(Write("iTunesDB", InspectorTest::MakeDatabase(2)));
    const std::string report = Window->Memo1->GetText();
    const std::string size = Window->Label1->Caption();
    ASSERT_FALSE(report.empty());
    fs::create_directories(folder_ + "/folder");
    const std::string fifo = folder_ + "/pipe";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string& path : {folder_ + "/folder", fifo, folder_ + "/missing"}) {
        Requests.clear();
        OpenWithTheButton(path);
        const auto messages = Messages();
        ASSERT_EQ(1u, messages.size()) << path;
        EXPECT_NE(std::string::npos, messages[0].Text.find(ToWindowsPath(path)))
            << messages[0].Text;
        EXPECT_EQ(report, Window->Memo1->GetText()) << "the last report stays";
        EXPECT_EQ(size, Window->Label1->Caption());
        EXPECT_TRUE(Window->Button1->Enabled());
    }
}

TEST_F(InspectorWindow, OpensAReadOnlyFileAndLeavesNoFileOpenWhateverTheEnd) {
    const std::string whole = InspectorTest::MakeDatabase(3);
    const std::string path = Write("iTunesDB", whole);
    ASSERT_EQ(0, chmod(path.c_str(), 0444));
    const auto before = fs::last_write_time(path);
    OpenWithTheButton(path);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Window->LastResult().Completed);
    EXPECT_EQ(0, OpenDescriptorsOn(path));
    EXPECT_EQ(before, fs::last_write_time(path)) << "the file is only read";
    EXPECT_EQ(whole.size(), fs::file_size(path));
    // A damaged file is closed too.
    const size_t track = whole.find("tihm", whole.find("tihm") + 4);
    const std::string cut = Write("cut", whole.substr(0, track + 40));
    OpenWithTheButton(cut);
    EXPECT_FALSE(Window->LastResult().Completed);
    EXPECT_EQ(0, OpenDescriptorsOn(cut));
}

TEST_F(InspectorWindow, CancellingTheDialogChangesNothing) {
    const std::string caption = Window->Caption();
    OpenWithTheButton("");
    EXPECT_EQ(caption, Window->Caption());
    EXPECT_EQ("0", Window->Label1->Caption());
    EXPECT_TRUE(Window->Memo1->GetText().empty());
}

TEST_F(InspectorWindow, TenMegabytesFillTheMemoWhileTheWindowAnswers) {
    const std::string db = InspectorTest::MakeTenMegabyteDatabase();
    ASSERT_GE(db.size(), 10u * 1000 * 1000);
    const std::string path = Write("iTunesDB", db);
    // A timer of the window's own keeps ticking while the report comes in: the event loop
    // is never held for the whole report.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    Chosen = path;
    QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
    EXPECT_TRUE(Window->Busy());
    EXPECT_FALSE(Window->Button1->Enabled()) << "one file at a time";
    WaitUntilShown();
    ticker.stop();
    EXPECT_GT(ticks, 20);
    EXPECT_EQ(std::to_string(db.size()), Window->Label1->Caption());
    const auto lines = MemoLines();
    ASSERT_GT(lines.size(), 100000u);
    EXPECT_EQ(0u, lines[0].rfind("0\tdbhm", 0));
    // The last line is the file's last record, a few bytes before its end.
    EXPECT_GT(std::stoull(lines.back()), db.size() - 200) << lines.back();
    EXPECT_TRUE(Window->Button1->Enabled());
}

TEST_F(InspectorWindow, ClosingWhileAScanRunsLeavesNothingBehind) {
    Chosen = Write("iTunesDB", InspectorTest::MakeDatabase(3000));
    QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
    EXPECT_TRUE(Window->Busy());
    delete Window;
    Window = nullptr;
    // The worker's late result reaches no window.
    PumpEvents(20);
}

TEST_F(InspectorWindow, PictureAfterOpeningADatabase) {
    OpenWithTheButton(Write("iTunesDB", InspectorTest::MakeDatabase(40)));
    SaveShot(Window, "inspector_window");
}

TEST_F(InspectorWindow, PictureAfterOpeningADatabaseRatio2) {
    OpenWithTheButton(Write("iTunesDB", InspectorTest::MakeDatabase(40)));
    const char* expected = std::getenv("BV_EXPECT_DEVICE_RATIO");
    const double ratio = Window->Widget()->devicePixelRatioF();
    if (expected && std::string(expected) == "2") {
        EXPECT_EQ(2.0, ratio);
    }
    if (ratio != 2.0)
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    const QImage shot = SaveShot(Window, "inspector_window_ratio2");
    EXPECT_EQ(2 * Window->ClientWidth(), shot.width());
}

TEST_F(InspectorWindow, TheMemoHoldsTheWholeReportOnceTheFillEnds) {
    // Large enough that the report is shown over several turns and, opened again, freed on a
    // worker.
    const std::string path = Write("iTunesDB", InspectorTest::MakeDatabase(3000));
    const std::string report = ReportOf(path);
    ASSERT_GT(std::count(report.begin(), report.end(), '\n'), 30000);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        OpenWithTheButton(path);
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(report, Window->Memo1->GetText());
        EXPECT_EQ(report, Window->Memo1->Lines()->Text());
        EXPECT_EQ(std::to_string(fs::file_size(path)), Window->Label1->Caption());
        EXPECT_FALSE(Window->LabelProgress->Visible());
        EXPECT_TRUE(Window->Button1->Enabled());
    }
    EXPECT_EQ("BD decoder " + ToWindowsPath(path) + " " + ToWindowsPath(path), Window->Caption());
}

// While a report comes in, "Open DB" opens another file: a file read whole takes the place
// of the report being shown; a file that cannot be read is refused with its message and the
// report being shown comes in whole all the same.
TEST_F(InspectorWindow, AnotherFileOpenedDuringTheFillLosesNothing) {
    const std::string first = Write("first", InspectorTest::MakeDatabase(6000));
    const std::string second = Write("second", InspectorTest::MakeDatabase(50));
    struct Case {
        const char* Name;
        std::string Path;
        std::string Shown; // the report the memo ends with
        std::string Size;
        size_t Messages;
    };
    const Case cases[] = {
        {"a database", second, ReportOf(second), std::to_string(fs::file_size(second)), 0},
        {"a missing file", folder_ + "/missing", ReportOf(first),
         std::to_string(fs::file_size(first)), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Requests.clear();
        Window->Memo1->Clear();
        const std::string caption = Window->Caption();
        Chosen = first;
        QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
        WaitUntilFilling();
        EXPECT_TRUE(Window->Button1->Enabled()) << "another file may be opened";
        EXPECT_TRUE(Window->LabelProgress->Visible());
        OpenWithTheButton(c.Path);
        EXPECT_EQ(c.Messages, Messages().size());
        EXPECT_EQ(c.Shown, Window->Memo1->GetText());
        EXPECT_EQ(c.Size, Window->Label1->Caption());
        EXPECT_EQ(caption + " " + ToWindowsPath(first) + " " + ToWindowsPath(c.Path),
                  Window->Caption());
        EXPECT_FALSE(Window->LabelProgress->Visible());
        EXPECT_TRUE(Window->Button1->Enabled());
    }
}

// Closing the window while its report comes in hides it, and the report is whole when it is
// shown again; the program ending meanwhile (the window freed) leaves nothing behind.
TEST_F(InspectorWindow, ClosingDuringTheFillLosesNothing) {
    const std::string path = Write("iTunesDB", InspectorTest::MakeDatabase(6000));
    const std::string report = ReportOf(path);
    Chosen = path;
    QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
    WaitUntilFilling();
    Window->Widget()->close();
    PumpEvents();
    EXPECT_FALSE(Window->Visible());
    WaitUntilShown();
    Window->Show();
    PumpEvents();
    EXPECT_EQ(report, Window->Memo1->GetText());
    EXPECT_EQ(std::to_string(fs::file_size(path)), Window->Label1->Caption());

    // Opened again over the long report, and freed before the fill ends.
    Chosen = path;
    QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
    WaitUntilFilling();
    delete Window;
    Window = nullptr;
    PumpEvents(20);
}

TEST_F(InspectorWindow, PictureWhileTheReportComesIn) {
    const std::string path = Write("iTunesDB", InspectorTest::MakeDatabase(6000));
    Chosen = path;
    QTest::mouseClick(Window->Button1->Widget(), Qt::LeftButton);
    EXPECT_TRUE(Window->LabelProgress->Visible());
    EXPECT_EQ("Reading...", Window->LabelProgress->Caption());
    WaitUntilFilling();
    EXPECT_EQ(0u, Window->LabelProgress->Caption().rfind("Showing: ", 0))
        << Window->LabelProgress->Caption();
    SaveShot(Window, "inspector_window_filling");
    WaitUntilShown();
    EXPECT_FALSE(Window->LabelProgress->Visible());
}
