// The kit's self-drawn controls on a screen of two device pixels per logical pixel: a speed
// button's caption is drawn at the device size, its glyph (a picture of logical pixels) and
// the progress bar's kept picture are enlarged by whole pixels, never blurred, and edges
// stay two device pixels wide. Runs where the screen has that ratio (its own ctest run).
#include "BvSpecialProgress.h"
#include "BvSpeedButton.h"
#include "GuiTestEnvironment.h"

#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

uint32_t Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

uint32_t Px(TColor c) {
    TColor rgb = ColorToRGB(c);
    return static_cast<uint32_t>((GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb));
}

// 2 x 2 blocks of the area whose device pixels are not all alike.
int MixedBlocks(const QImage& image, const QRect& area) {
    int mixed = 0;
    for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2)
        for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
            uint32_t p = Rgb(image, x, y);
            if (Rgb(image, x + 1, y) != p || Rgb(image, x, y + 1) != p ||
                Rgb(image, x + 1, y + 1) != p)
                ++mixed;
        }
    return mixed;
}

TEST(KitDeviceRatio2, SpeedButtonAndProgressBarLookRight) {
    TForm* form = MakeTestForm(260, 100);
    form->SetColor(clBtnFace);
    auto* button = new TBvSpeedButton(form);
    button->SetParent(form);
    UseTestFont(button->Font());
    button->SetBounds(10, 10, 90, 42);
    button->SetCaption("Update");
    TBitmap glyph(16, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clNavy);
    glyph.Canvas()->FillRect(Rect(3, 3, 13, 13));
    glyph.Canvas()->Pen()->SetColor(clYellow);
    glyph.Canvas()->MoveTo(3, 12);
    glyph.Canvas()->LineTo(13, 2);
    button->SetGlyph(&glyph);
    auto* bar = new TBvSpecialProgress(form);
    bar->SetParent(form);
    UseTestFont(bar->Font());
    bar->SetBounds(10, 64, 200, 17);
    bar->SetSolid(true);
    bar->SetStartColor(RGB(90, 140, 230));
    bar->SetEndColor(RGB(190, 215, 255));
    bar->SetTextOption(TBvTextOption::toFormat);
    bar->SetTextCentered(true);
    bar->SetCaption("Copying file: %d%%");
    bar->SetPosition(50);
    form->Show();
    PumpEvents();
    QWidget* surface = form->ClientWidget();
    const char* expected = std::getenv("BV_EXPECT_DEVICE_RATIO");
    if (expected && std::string(expected) == "2") {
        EXPECT_EQ(surface->devicePixelRatioF(), 2.0) << "the run was to give the screen ratio 2";
    }
    if (surface->devicePixelRatioF() != 2.0) {
        delete form;
        PumpEvents();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    QImage shot = surface->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::string path = std::string(BV_BINARY_DIR) + "/kit_device_ratio_2.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    // The button: its raised edge two device pixels of highlight at the top, the caption
    // with device-pixel detail, and the glyph's pixels as whole 2 x 2 blocks of its colours.
    EXPECT_EQ(Rgb(shot, 60, 20), Px(clBtnHighlight));
    EXPECT_EQ(Rgb(shot, 60, 21), Px(clBtnHighlight));
    QRect caption, picture;
    {
        int left = 200, right = 0, top = 104, bottom = 0;
        for (int y = 20; y < 104; ++y)
            for (int x = 20; x < 200; ++x)
                if (Rgb(shot, x, y) == Px(clNavy)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        picture = QRect(QPoint(left, top), QPoint(right, bottom));
    }
    ASSERT_FALSE(picture.isEmpty()) << "the glyph shows";
    EXPECT_EQ(picture.width(), 20) << "10 logical pixels of navy, doubled";
    EXPECT_EQ(picture.left() % 2, 0) << "on the block grid";
    EXPECT_EQ(MixedBlocks(shot, picture), 0) << "the glyph is enlarged by whole pixels";
    EXPECT_EQ(Rgb(shot, picture.left() - 1, picture.top()), Px(clBtnFace))
        << "the glyph's transparent colour shows the face";
    // The caption under the glyph, inside the button's edges.
    caption = QRect(24, picture.bottom() + 2, 150, 100 - picture.bottom());
    EXPECT_GT(MixedBlocks(shot, caption), 20) << "the caption is drawn at the device size";

    // The progress bar keeps a picture of logical pixels: on screen each is a 2 x 2 block.
    const TBitmap& kept = bar->Picture();
    int wrong = 0;
    for (int y = 0; y < kept.Height(); ++y)
        for (int x = 0; x < kept.Width(); ++x) {
            uint32_t want = Px(kept.Pixel(x, y));
            int dx = (10 + x) * 2, dy = (64 + y) * 2;
            wrong += Rgb(shot, dx, dy) != want || Rgb(shot, dx + 1, dy) != want ||
                     Rgb(shot, dx, dy + 1) != want || Rgb(shot, dx + 1, dy + 1) != want;
        }
    EXPECT_EQ(wrong, 0);
    delete form;
    PumpEvents();
}

} // namespace
