// The progress bar: its percentage and bar layout, what it draws in both modes, that a
// caption is never taken as a format beyond "%d" and "%%", that it draws only when something
// shows differently, and that it belongs to the GUI thread.
#include "BvSpecialProgress.h"
#include "GuiTestEnvironment.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <thread>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

std::unique_ptr<TBvSpecialProgress> MakeBar(int width, int height, bool solid) {
    auto bar = std::make_unique<TBvSpecialProgress>(nullptr);
    UseTestFont(bar->Font());
    bar->SetColor(clSilver);
    bar->SetBounds(0, 0, width, height);
    bar->SetSolid(solid);
    return bar;
}

bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
    return true;
}

} // namespace

TEST(SpecialProgress, PercentAndBarLayout) {
    struct Case {
        const char* Name;
        int Width;
        bool Solid;
        int Min, Max, Pos;
        int Percent, BarWidth, Blocks;
        bool Partial;
        int PartialWidth;
    } cases[] = {
        {"solid half", 102, true, 0, 100, 50, 50, 50, 0, false, 0},
        {"blocks half", 102, false, 0, 100, 50, 50, 50, 5, false, 0},
        {"an unfinished block is not shown yet", 102, false, 0, 100, 54, 54, 50, 5, false, 0},
        {"a block more than half done is shown", 102, false, 0, 100, 56, 56, 60, 6, false, 0},
        {"the last block is cut at the edge", 97, false, 0, 100, 100, 100, 95, 10, true, 5},
        {"negative range", 102, true, -50, 50, 0, 50, 50, 0, false, 0},
        {"huge range in 64 bits", 102, true, 0, 2000000000, 1500000000, 75, 75, 0, false, 0},
        {"range wider than an int", 102, true, -2000000000, 2000000000, 0, 50, 50, 0, false, 0},
        {"position above the maximum", 102, true, 0, 100, 250, 100, 100, 0, false, 0},
        {"position below the minimum", 102, true, 10, 100, -7, 0, 0, 0, false, 0},
    };
    for (const auto& c : cases) {
        auto bar = MakeBar(c.Width, 15, c.Solid);
        bar->SetMaximum(c.Max);
        bar->SetMinimum(c.Min);
        bar->SetPosition(c.Pos);
        EXPECT_EQ(bar->Percent(), c.Percent) << c.Name;
        EXPECT_EQ(bar->BarWidth(), c.BarWidth) << c.Name;
        if (!c.Solid) {
            EXPECT_EQ(bar->BlockWidth(), 10) << c.Name;
            EXPECT_EQ(bar->BlockCount(), c.Blocks) << c.Name;
            EXPECT_EQ(bar->HasPartialBlock(), c.Partial) << c.Name;
            if (c.Partial) {
                EXPECT_EQ(bar->PartialBlockWidth(), c.PartialWidth) << c.Name;
            }
        }
    }
}

TEST(SpecialProgress, RangeChangesKeepThePositionInside) {
    auto bar = MakeBar(102, 15, true);
    bar->SetMinimum(10);
    bar->SetPosition(40);
    bar->SetMaximum(5);
    EXPECT_EQ(bar->Maximum(), 10) << "a maximum below the minimum becomes the minimum";
    EXPECT_EQ(bar->Position(), 10);
    EXPECT_EQ(bar->Percent(), 0) << "an empty range is 0 per cent";
    EXPECT_EQ(bar->BarWidth(), 33) << "the bar keeps its last width";
    bar->SetMaximum(100);
    bar->SetPosition(60);
    bar->SetMinimum(80);
    EXPECT_EQ(bar->Position(), 80);
}

TEST(SpecialProgress, SolidBarWithItsText) {
    auto bar = MakeBar(102, 15, true);
    bar->SetTextOption(TBvTextOption::toFormat);
    bar->SetTextCentered(true);
    bar->SetCaption("Copying file: %d%%");
    bar->SetPosition(50);
    EXPECT_EQ(bar->DisplayText(), "Copying file: 50%");
    const TBitmap& p = bar->Picture();
    ASSERT_EQ(p.Width(), 102);
    struct Probe {
        int X, Y;
        TColor Expected;
        const char* What;
    } probes[] = {
        {0, 0, clSilver, "the frame in the empty part's colour"},
        {1, 1, clWhite, "the bar starts at the start colour"},
        {50, 1, RGB(5, 5, 5), "the 50th column is 49/50 of the way to black"},
        {51, 1, clSilver, "the empty part"},
        {100, 13, clSilver, "the empty part's far corner"},
        {101, 14, clSilver, "the frame"},
    };
    for (const auto& pr : probes)
        EXPECT_EQ(p.Pixel(pr.X, pr.Y), pr.Expected) << pr.What;

    // The text is the formatted caption, as the same words given plainly draw it.
    auto plain = MakeBar(102, 15, true);
    plain->SetTextOption(TBvTextOption::toCaption);
    plain->SetTextCentered(true);
    plain->SetCaption("Copying file: 50%");
    plain->SetPosition(50);
    EXPECT_TRUE(SamePicture(p, plain->Picture()));
    auto bare = MakeBar(102, 15, true);
    bare->SetPosition(50);
    EXPECT_FALSE(SamePicture(p, bare->Picture())) << "the text shows";
}

TEST(SpecialProgress, BlocksWithGapsInTheBackgroundColour) {
    auto bar = MakeBar(102, 15, false);
    bar->SetStartColor(clNavy);
    bar->SetEndColor(clNavy);
    bar->SetPosition(50);
    const TBitmap& p = bar->Picture();
    struct Probe {
        int X;
        TColor Expected;
    } probes[] = {{1, clNavy},  {9, clNavy},    {10, clSilver}, {11, clNavy},
                  {49, clNavy}, {50, clSilver}, {51, clSilver}, {90, clSilver}};
    for (const auto& pr : probes)
        EXPECT_EQ(p.Pixel(pr.X, 2), pr.Expected) << "column " << pr.X;

    // Shaded blocks: each column a step darker.
    bar->SetStartColor(clWhite);
    bar->SetEndColor(clBlack);
    bar->SetGradientBlocks(true);
    EXPECT_GT(GetRValue(p.Pixel(1, 2)), GetRValue(p.Pixel(8, 2)));
    EXPECT_GT(GetRValue(p.Pixel(8, 2)), GetRValue(p.Pixel(11, 2)));
    // One colour per block without it.
    bar->SetGradientBlocks(false);
    EXPECT_EQ(p.Pixel(1, 2), p.Pixel(8, 2));
    EXPECT_NE(p.Pixel(8, 2), p.Pixel(11, 2));
}

TEST(SpecialProgress, CaptionIsNeverAFormatBeyondPercentD) {
    struct Case {
        const char* Caption;
        const char* Shown;
    } cases[] = {
        {"Copying file: %d%%", "Copying file: 50%"},
        {"Encoding %s: %d%%", "Encoding %s: 50%"},
        {"100% sure: %d", "100% sure: 50"},
        {"%", "%"},
        {"%d%", "50%"},
        {"%x %n %*d %p", "%x %n %*d %p"},
        {"%%d", "%d"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatProgressCaption(c.Caption, 50), c.Shown) << c.Caption;
        // Drawn as it stands: the same picture as the text given plainly.
        auto formatted = MakeBar(140, 15, true);
        formatted->SetTextOption(TBvTextOption::toFormat);
        formatted->SetCaption(c.Caption);
        formatted->SetPosition(50);
        auto plain = MakeBar(140, 15, true);
        plain->SetTextOption(TBvTextOption::toCaption);
        plain->SetCaption(c.Shown);
        plain->SetPosition(50);
        EXPECT_EQ(formatted->DisplayText(), c.Shown);
        EXPECT_TRUE(SamePicture(formatted->Picture(), plain->Picture())) << c.Caption;
    }
}

TEST(SpecialProgress, DrawsOnlyWhenSomethingShowsDifferently) {
    auto bar = MakeBar(102, 15, true);
    bar->SetTextOption(TBvTextOption::toFormat);
    bar->SetCaption("%d%%");
    bar->SetMaximum(1000);
    bar->SetPosition(500);
    int before = bar->Redraws();
    bar->SetPosition(501); // still 50 %, still 50 pixels
    EXPECT_EQ(bar->Redraws(), before);
    bar->SetPosition(510); // 51 %: the text changes
    EXPECT_EQ(bar->Redraws(), before + 1);

    bar->SetTextOption(TBvTextOption::toCaption);
    bar->SetCaption("Busy");
    before = bar->Redraws();
    bar->SetPosition(520); // 52 % but the caption shows no number and the bar is 52 pixels
    EXPECT_EQ(bar->Redraws(), before + 1);
    bar->SetPosition(524); // 52 pixels still
    EXPECT_EQ(bar->Redraws(), before + 1);
    bar->SetTextCentered(true);
    EXPECT_EQ(bar->Redraws(), before + 2);
    bar->SetTextOption(TBvTextOption::toNoText);
    before = bar->Redraws();
    bar->SetTextCentered(false);
    bar->SetCaption("Other");
    EXPECT_EQ(bar->Redraws(), before) << "nothing of the text shows";
}

TEST(SpecialProgress, PaintsIntoTheRealWindowAndNothingWhenTooSmall) {
    TForm* form = MakeTestForm(200, 60);
    form->SetColor(clTeal);
    auto* bar = new TBvSpecialProgress(form);
    bar->SetParent(form);
    UseTestFont(bar->Font());
    bar->SetBounds(10, 10, 102, 15);
    bar->SetSolid(true);
    bar->SetStartColor(clRed);
    bar->SetEndColor(clRed);
    bar->SetPosition(50);
    auto* tiny = new TBvSpecialProgress(form);
    tiny->SetParent(form);
    tiny->SetBounds(150, 10, 2, 15);
    tiny->SetSolid(true);
    tiny->SetStartColor(clRed);
    tiny->SetEndColor(clRed);
    tiny->SetPosition(100);
    form->Show();
    Pump();
    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto at = [&](int x, int y) {
        QRgb p = shot.pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    };
    EXPECT_EQ(at(11, 11), clRed);
    EXPECT_EQ(at(60, 11), clRed);
    EXPECT_EQ(at(61, 11), clTeal) << "the empty part takes the parent's colour";
    EXPECT_EQ(at(151, 12), clTeal) << "a bar under 3 pixels wide shows nothing";
    delete form;
    Pump();
}

#ifndef NDEBUG
TEST(SpecialProgressDeathTest, AWorkerChangingTheBarStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto bar = MakeBar(102, 15, true);
            std::thread worker([&] { bar->SetPosition(5); });
            worker.join();
        },
        "GUI thread");
}
#endif
