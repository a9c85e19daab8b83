// The About box as a person uses it: each link label opens its own address through the
// opener, Enter and Escape close the box, and its picture at both device pixel ratios.
#include "OptionsDialogSupport.h"
#include "UnitAbout.h"

#include <QImage>

#include <unistd.h>

using namespace OptionsTest;

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetUrlOpener([this](const std::string& url) { Opened.push_back(url); });
        Box = new TAboutBox(Application);
        UseTestFont(Box->Font());
        Box->AfterConstruction();
    }
    void TearDown() override {
        delete Box;
        PumpEvents();
        SetUrlOpener({});
    }
    // Clicks a label where its text is, on the box's own widget (labels paint on it).
    void ClickLabel(TLabel* label) {
        QTest::mouseClick(Box->ClientWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(label->Left() + 4, label->Top() + label->Height() / 2));
        PumpEvents();
    }
    // Runs the box modally; `steps` runs once it is up. Returns its modal result.
    int RunModal(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            PumpEvents();
            steps();
            if (Box->Modal() && Box->ModalResult() == mrNone) {
                ADD_FAILURE() << "the box did not close";
                Box->SetModalResult(mrAbort);
            }
        });
        const int result = Box->ShowModal();
        PumpEvents();
        return result;
    }

    TAboutBox* Box = nullptr;
    std::vector<std::string> Opened;
};

} // namespace

TEST_F(AboutBoxTest, ShowsTheProgramItsVersionAndCredits) {
    EXPECT_EQ("About", Box->Caption());
    EXPECT_EQ("Brisvane", Box->ProductName->Caption());
    EXPECT_EQ("Version: 0.7.9 beta", Box->Version->Caption());
    EXPECT_NE(std::string::npos, Box->Credits->Caption().find("Developers:"));
    EXPECT_NE(std::string::npos,
              Box->Credits->Caption().find("Tested on Motorola E398=>E1 ROKR phone."));
    EXPECT_EQ(AboutLinks::ForumTopic, Box->Label4->Caption());
}

TEST_F(AboutBoxTest, ThePointerBecomesAHandOverEachLinkOnly) {
    Box->Show();
    PumpEvents();
    QWidget* client = Box->ClientWidget();
    for (TLabel* link : {Box->Label1, Box->Label2, Box->Label3, Box->Label4}) {
        QTest::mouseMove(client, QPoint(link->Left() + 4, link->Top() + link->Height() / 2));
        PumpEvents();
        EXPECT_EQ(Qt::PointingHandCursor, client->cursor().shape()) << link->Name();
        // Beside the links the pointer is an arrow again.
        QTest::mouseMove(client, QPoint(2, 2));
        PumpEvents();
        EXPECT_EQ(Qt::ArrowCursor, client->cursor().shape()) << link->Name();
    }
    Box->Hide();
}

TEST_F(AboutBoxTest, EachLinkOpensItsOwnAddress) {
    Box->Show();
    PumpEvents();
    const std::pair<TLabel*, const char*> links[] = {{Box->Label1, AboutLinks::Person1},
                                                     {Box->Label2, AboutLinks::Person2},
                                                     {Box->Label3, AboutLinks::Person3},
                                                     {Box->Label4, AboutLinks::ForumTopic}};
    for (const auto& [label, url] : links) {
        Opened.clear();
        ClickLabel(label);
        ASSERT_EQ(1u, Opened.size()) << label->Name();
        EXPECT_EQ(url, Opened[0]) << label->Name();
    }
    // The forum label opens the page it shows, not a person's.
    Opened.clear();
    ClickLabel(Box->Label4);
    EXPECT_EQ(Box->Label4->Caption(), Opened.at(0));
    // A click beside the links opens nothing.
    Opened.clear();
    QTest::mouseClick(Box->ClientWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    PumpEvents();
    EXPECT_TRUE(Opened.empty());
    Box->Hide();
}

TEST_F(AboutBoxTest, EnterAndEscapeCloseTheBox) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        const int result = RunModal([&] {
            ASSERT_TRUE(Box->Showing());
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : Box->Widget(), key);
            PumpEvents();
        });
        EXPECT_EQ(mrOk, result) << key;
        EXPECT_FALSE(Box->Showing()) << key;
    }
    // And the OK button with the mouse.
    const int result = RunModal([&] {
        QTest::mouseClick(Box->OKButton->Widget(), Qt::LeftButton);
        PumpEvents();
    });
    EXPECT_EQ(mrOk, result);
}

TEST_F(AboutBoxTest, LinksStandBesideTheirLinesAndEverythingFits) {
    Box->Show();
    PumpEvents(10);
    // Each link's row is one of the credits' lines; all four in one column.
    EXPECT_EQ(Box->Label1->Left(), Box->Label4->Left());
    EXPECT_LT(Box->Label1->Top(), Box->Label2->Top());
    EXPECT_LT(Box->Label3->Top(), Box->Label4->Top());
    for (TControl* c : {static_cast<TControl*>(Box->Label4), static_cast<TControl*>(Box->Credits),
                        static_cast<TControl*>(Box->OKButton)}) {
        EXPECT_LE(c->Left() + c->Width(), Box->ClientWidth()) << c->Name();
        EXPECT_LE(c->Top() + c->Height(), Box->ClientHeight()) << c->Name();
    }
    EXPECT_GT(Box->OKButton->Top(), Box->Label4->Top() + Box->Label4->Height());
    SaveWindowShot(Box, "about_box");
    Box->Hide();
}

TEST_F(AboutBoxTest, PictureRatio2) {
    Box->Show();
    PumpEvents(10);
    if (!RatioTwoRun(Box)) {
        Box->Hide();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    const QImage shot = SaveWindowShot(Box, "about_box_ratio2");
    EXPECT_EQ(2 * Box->ClientWidth(), shot.width());
    Box->Hide();
}

// The desktop's opener, started by the runtime's process launcher, gets the address as one
// argument, whatever it holds; without an opener the user is told, and nothing hangs.
TEST_F(AboutBoxTest, TheDesktopOpenerGetsTheAddressAsOneArgument) {
    SetUrlOpener({});
    const fs::path bin = fs::temp_directory_path() / ("bv-opener-" + std::to_string(getpid()));
    fs::create_directories(bin);
    const fs::path told = bin / "told";
    WriteFile((bin / "xdg-open").string(),
              "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + told.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    const std::string url = "https://forum.example.org/topic?a=1&b='two words'";
    OpenUrl(url);
    for (int i = 0; i < 500 && !fs::exists(told); ++i)
        QTest::qWait(10);
    QTest::qWait(50);
    EXPECT_EQ("1|" + url, ReadFile(told.string()));

    // No opener anywhere: one message names the page.
    std::vector<std::string> said;
    SetDialogResponder([&](const TDialogRequest& r) {
        said.push_back(r.Text);
        TDialogAnswer a;
        a.Accepted = true;
        a.Button = IDOK;
        return a;
    });
    setenv("PATH", (bin / "none").string().c_str(), 1);
    OpenUrl(url);
    setenv("PATH", path.c_str(), 1);
    SetDialogResponder(nullptr);
    ASSERT_EQ(1u, said.size());
    EXPECT_NE(std::string::npos, said[0].find(url)) << said[0];
    fs::remove_all(bin);
}
