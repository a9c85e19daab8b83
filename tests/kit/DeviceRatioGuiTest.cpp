// The kit's self-drawn controls on a screen of two device pixels per logical pixel: a speed
// button's caption is drawn at the device size and its glyph (a picture of logical pixels)
// enlarged by whole pixels, never blurred; pictures the controls keep of their own faces
// (the progress bar, a buffered list item, a buffered gradient) hold device pixels, so their
// text and lines are as sharp as drawn straight on the screen. The screen tests run where
// the screen has that ratio (their own ctest run).
#include "BvSpecialProgress.h"
#include "BvSpeedButton.h"
#include "BvgCommClasses.h"
#include "BvgListBox.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QImage>
#include <QTest>
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

    // The progress bar keeps its picture at the screen's device pixels: the screen shows it
    // pixel for pixel, and "Copying file: 50%" has detail finer than a logical pixel.
    const TBitmap& kept = bar->Picture();
    ASSERT_EQ(kept.DeviceScale(), 2);
    ASSERT_EQ(kept.Width(), 200);
    const QImage& keptImage = kept.Image();
    int wrong = 0;
    for (int y = 0; y < keptImage.height(); ++y)
        for (int x = 0; x < keptImage.width(); ++x)
            wrong += Rgb(shot, 20 + x, 128 + y) != (keptImage.pixel(x, y) & 0xFFFFFFu);
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(MixedBlocks(shot, QRect(20 + 2 * 60, 128 + 2, 2 * 80, 2 * 13)), 20)
        << "the bar's text is drawn at the device size";
    delete form;
    PumpEvents();
}

// Two owner-drawn list boxes alike but for buffered drawing, each clicked on its second line:
// the buffered one, which draws each item into a picture first, shows the very same pixels,
// text at the device size included.
TEST(KitDeviceRatio2, ABufferedListItemIsAsSharpAsADirectOne) {
    TForm* form = MakeTestForm(340, 160);
    TBvgListBox* lists[2] = {};
    for (int k = 0; k < 2; ++k) {
        auto* list = new TBvgListBox(form);
        list->SetParent(form);
        UseTestFont(list->ItemStyle()->Font());
        UseTestFont(list->ItemSelStyle()->Font());
        list->ItemSelStyle()->SetColor(RGB(60, 90, 170));
        list->ItemSelStyle()->Font()->SetColor(clWhite);
        list->SetBounds(10 + k * 160, 10, 150, 120);
        list->SetOptions(static_cast<TglListBoxOptions>((list->Options() & ~fboHotTrack) |
                                                        (k == 1 ? fboBufferedDraw : 0)));
        for (const char* line : {"Rainy days", "Copying file", "Sunny side"})
            list->Items()->Add(line);
        lists[k] = list;
    }
    form->Show();
    PumpEvents();
    auto view = [](TBvgListBox* list) {
        return qobject_cast<QAbstractItemView*>(list->Widget())->viewport();
    };
    if (view(lists[0])->devicePixelRatioF() != 2.0) {
        delete form;
        PumpEvents();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    QImage shots[2];
    for (int k = 0; k < 2; ++k) {
        TRect r = lists[k]->ItemRect(1);
        QTest::mouseClick(view(lists[k]), Qt::LeftButton, Qt::NoModifier,
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        PumpEvents();
        EXPECT_EQ(lists[k]->ItemIndex(), 1);
    }
    for (int k = 0; k < 2; ++k)
        shots[k] = view(lists[k])->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::string path = std::string(BV_BINARY_DIR) + "/kit_device_ratio_2_lists.png";
    EXPECT_TRUE(form->ClientWidget()->grab().save(QString::fromStdString(path)));
    ASSERT_EQ(shots[0].size(), shots[1].size());
    for (int item = 0; item < 3; ++item) {
        TRect r = lists[1]->ItemRect(item);
        QRect device(r.Left * 2, r.Top * 2, r.Width() * 2, r.Height() * 2);
        EXPECT_EQ(shots[1].copy(device), shots[0].copy(device)) << "item " << item;
        EXPECT_GT(MixedBlocks(shots[1], device), 10) << "item " << item << "'s text is sharp";
    }
    delete form;
    PumpEvents();
}

// A gradient drawn through a buffer onto a picture of device pixels: the same pixels as drawn
// straight onto it, the bias lines on the finer grid and the text under a hatched fill kept.
TEST(KitDevicePictures, ABufferedGradientLooksLikeADirectOne) {
    struct Case {
        const char* name;
        TglGradientDir dir;
        TBrushStyle brush;
    } cases[] = {
        {"left bias", TglGradientDir::fgdLeftBias, TBrushStyle::bsSolid},
        {"right bias", TglGradientDir::fgdRightBias, TBrushStyle::bsSolid},
        {"horizontal, hatched", TglGradientDir::fgdHorizontal, TBrushStyle::bsDiagCross},
        {"rectangle", TglGradientDir::fgdRectangle, TBrushStyle::bsSolid},
    };
    for (const Case& c : cases) {
        TBitmap pictures[2] = {TBitmap(60, 30, 2), TBitmap(60, 30, 2)};
        for (int k = 0; k < 2; ++k) {
            TCanvas* canvas = pictures[k].Canvas();
            canvas->Brush()->SetColor(clWhite);
            canvas->FillRect(Rect(0, 0, 60, 30));
            UseTestFont(canvas->Font());
            canvas->TextOut(4, 8, "Gradient");
            TBvgGradient g;
            g.SetFromColor(RGB(0, 40, 160));
            g.SetToColor(RGB(200, 220, 255));
            g.SetSteps(16);
            g.SetOrientation(c.dir);
            g.SetBrushStyle(c.brush);
            g.SetBufferedDraw(k == 1);
            g.SetActive(true);
            g.DrawInRect(canvas, Rect(0, 0, 60, 30));
        }
        EXPECT_EQ(pictures[1].Image(), pictures[0].Image()) << c.name;
    }
}

} // namespace
