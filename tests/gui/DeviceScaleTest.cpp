// Drawing on an image of two device pixels per logical pixel, as the backing store of a
// screen with a device pixel ratio of 2 is: every call keeps its logical coordinates and
// rules, a logical pixel becomes a 2 x 2 block, and text and slanted edges use the finer
// grid. The screen tests run again in a process whose screen has that ratio.
#include "BvDrawUtils.h"
#include "Graphics.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "ThemeIcons.h"
#include "WinApi.h"
#include "qt/WidgetBinding.h"

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int kW = 40, kH = 30;

QImage WhiteImage(int scale) {
    QImage image(kW * scale, kH * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    return image;
}

uint32_t Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

// Where the ratio 2 picture differs from the ratio 1 picture with each pixel doubled.
struct TDifference {
    int Count = 0;
    std::string First;
};
TDifference CompareWithDoubled(const QImage& one, const QImage& two) {
    TDifference d;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x)
            if (Rgb(two, x, y) != Rgb(one, x / 2, y / 2) && d.Count++ == 0)
                d.First = "device pixel " + std::to_string(x) + "," + std::to_string(y);
    return d;
}

// 2 x 2 blocks whose four device pixels are not all alike: detail finer than a logical
// pixel, which a picture merely enlarged from logical pixels never has.
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

TBitmap* Checker() {
    static TBitmap checker(2, 2);
    checker.SetPixel(0, 0, clRed);
    checker.SetPixel(1, 1, clRed);
    checker.SetPixel(0, 1, clBlue);
    checker.SetPixel(1, 0, clBlue);
    return &checker;
}

struct TDrawCase {
    const char* Name;
    std::function<void(TCanvas&)> Draw;
};

// Everything whose every edge lies on logical pixels: at ratio 2 it must be exactly the
// ratio 1 picture with each pixel doubled, so lines and frames meet fills as they do at 1.
const TDrawCase kPixelExactCases[] = {
    {"fill and frame",
     [](TCanvas& c) {
         c.Brush()->SetColor(clRed);
         c.FillRect(Rect(2, 3, 17, 9));
         c.Brush()->SetColor(clBlue);
         c.FrameRect(Rect(20, 2, 35, 12));
     }},
    {"lines both ways leave their last pixel out",
     [](TCanvas& c) {
         c.Pen()->SetColor(clBlack);
         c.MoveTo(2, 2);
         c.LineTo(30, 2);
         c.LineTo(30, 20);
         c.LineTo(5, 20);
         c.LineTo(5, 4);
     }},
    {"rectangle with a thin and a wide pen",
     [](TCanvas& c) {
         c.Pen()->SetColor(clBlack);
         c.Brush()->SetColor(clYellow);
         c.Rectangle(2, 2, 15, 12);
         c.Pen()->SetWidth(3);
         c.Rectangle(20, 4, 36, 20);
         c.Pen()->SetWidth(1);
         c.Rectangle(3, 20, 4, 21);
     }},
    {"rectangle without a pen",
     [](TCanvas& c) {
         c.Pen()->SetStyle(TPenStyle::psClear);
         c.Brush()->SetColor(clGreen);
         c.Rectangle(4, 4, 20, 16);
     }},
    {"dotted and dashed pens keep their logical lengths",
     [](TCanvas& c) {
         c.Pen()->SetColor(clBlack);
         c.Pen()->SetStyle(TPenStyle::psDot);
         c.MoveTo(1, 3);
         c.LineTo(39, 3);
         c.Pen()->SetStyle(TPenStyle::psDashDot);
         c.MoveTo(1, 8);
         c.LineTo(39, 8);
         c.MoveTo(3, 28);
         c.LineTo(3, 10);
     }},
    {"pen modes on what is there",
     [](TCanvas& c) {
         c.Brush()->SetColor(clRed);
         c.FillRect(Rect(0, 0, 20, 10));
         c.Pen()->SetMode(TPenMode::pmNot);
         c.MoveTo(0, 5);
         c.LineTo(30, 5);
         c.Pen()->SetMode(TPenMode::pmXor);
         c.Pen()->SetColor(clBlue);
         c.MoveTo(10, 0);
         c.LineTo(10, 20);
     }},
    {"hatched and pattern brushes",
     [](TCanvas& c) {
         c.Brush()->SetColor(clBlack);
         c.Brush()->SetStyle(TBrushStyle::bsDiagCross);
         c.FillRect(Rect(1, 1, 20, 14));
         c.Brush()->SetBitmap(Checker());
         c.FillRect(Rect(22, 1, 39, 14));
         c.Brush()->SetBitmap(nullptr);
     }},
    {"3-D edges and frames",
     [](TCanvas& c) {
         TRect r = Rect(2, 2, 20, 14);
         DrawEdge(&c, &r, EDGE_RAISED, BF_RECT);
         r = Rect(22, 2, 38, 14);
         Frame3D(&c, r, clBtnHighlight, clBtnShadow, 2);
     }},
    {"focus rectangle, and one drawn twice",
     [](TCanvas& c) {
         c.DrawFocusRect(Rect(2, 2, 20, 12));
         c.DrawFocusRect(Rect(22, 2, 38, 12));
         c.DrawFocusRect(Rect(22, 2, 38, 12));
     }},
    {"single pixels",
     [](TCanvas& c) {
         c.SetPixel(3, 3, clRed);
         c.SetPixel(39, 29, clBlue);
         c.SetPixel(40, 5, clBlue);
     }},
    {"pattern and raster operations",
     [](TCanvas& c) {
         c.Brush()->SetColor(clLime);
         c.PatBlt(2, 2, 20, 10, PATCOPY);
         c.PatBlt(10, 5, 20, 10, DSTINVERT);
     }},
    {"a picture of logical pixels is enlarged, also stretched",
     [](TCanvas& c) {
         TBitmap picture(4, 3);
         picture.Canvas()->Brush()->SetColor(clWhite);
         picture.Canvas()->FillRect(Rect(0, 0, 4, 3));
         picture.SetPixel(0, 0, clRed);
         picture.SetPixel(3, 2, clBlue);
         picture.SetPixel(1, 1, clBlack);
         c.Draw(2, 2, &picture);
         c.StretchDraw(Rect(10, 2, 22, 11), &picture);
         picture.SetTransparent(true);
         c.Draw(25, 2, &picture);
     }},
    {"image list through its mask",
     [](TCanvas& c) {
         TBitmap picture(8, 8);
         picture.Canvas()->Brush()->SetColor(clFuchsia);
         picture.Canvas()->FillRect(Rect(0, 0, 8, 8));
         picture.Canvas()->Brush()->SetColor(clNavy);
         picture.Canvas()->FillRect(Rect(2, 2, 6, 7));
         TImageList list(nullptr, 8, 8);
         list.AddMasked(&picture, clFuchsia);
         list.Draw(&c, 3, 3, 0);
         list.Draw(&c, 20, 3, 0, false);
     }},
    {"origins and clip stay logical",
     [](TCanvas& c) {
         SetWindowOrgEx(&c, -3, -2, nullptr);
         IntersectClipRect(&c, 5, 0, 25, 20);
         c.Brush()->SetColor(clMaroon);
         c.FillRect(Rect(0, 0, 40, 10));
         c.Pen()->SetColor(clBlack);
         c.MoveTo(0, 15);
         c.LineTo(40, 15);
     }},
};

TEST(DeviceScale, DrawingOnLogicalPixelsIsTheSamePictureDoubled) {
    for (const auto& tc : kPixelExactCases) {
        QImage one = WhiteImage(1), two = WhiteImage(2);
        {
            TCanvas c1(&one), c2(&two);
            ASSERT_EQ(c2.DeviceScale(), 2);
            tc.Draw(c1);
            tc.Draw(c2);
        }
        ASSERT_FALSE(one == WhiteImage(1)) << tc.Name << ": drew nothing";
        TDifference d = CompareWithDoubled(one, two);
        EXPECT_EQ(d.Count, 0) << tc.Name << ", first at " << d.First;
    }
}

TEST(DeviceScale, ClippedAwayPartsOfALineKeepItsDashesInStep) {
    for (int scale : {1, 2}) {
        QImage whole = WhiteImage(scale), clipped = WhiteImage(scale);
        for (QImage* image : {&whole, &clipped}) {
            TCanvas c(image);
            if (image == &clipped)
                IntersectClipRect(&c, 0, 10, kW, kH);
            c.Pen()->SetColor(clBlack);
            c.Pen()->SetStyle(TPenStyle::psDashDot);
            c.Polyline({{1, 2}, {37, 2}, {37, 6}, {1, 20}, {38, 20}});
        }
        for (int y = 10 * scale; y < kH * scale; ++y)
            for (int x = 0; x < kW * scale; ++x)
                ASSERT_EQ(Rgb(clipped, x, y), Rgb(whole, x, y))
                    << "scale " << scale << ", device pixel " << x << "," << y;
    }
}

TEST(DeviceScale, ABitmapLoadedFromAnAt2xFileKeepsOnePixelPerLogicalPixel) {
    // Qt reads "@2x" in a file name as a ratio of 2; a bitmap's pixels stay its own.
    QImage saved(6, 4, QImage::Format_RGB32);
    saved.fill(Qt::white);
    saved.setPixel(5, 3, qRgb(255, 0, 0));
    const std::string path = std::string(BV_BINARY_DIR) + "/device_scale_glyph@2x.png";
    ASSERT_TRUE(saved.save(QString::fromStdString(path)));
    TBitmap bitmap;
    bitmap.LoadFromFile(path);
    EXPECT_EQ(bitmap.Width(), 6);
    EXPECT_EQ(bitmap.Canvas()->DeviceScale(), 1);
    EXPECT_EQ(bitmap.Canvas()->Pixel(5, 3), clRed);
    QImage one = WhiteImage(1);
    TCanvas c(&one);
    c.Draw(2, 2, &bitmap);
    EXPECT_EQ(Rgb(one, 7, 5), 0xFF0000u);
    EXPECT_EQ(Rgb(one, 8, 5), 0xFFFFFFu) << "drawn at its own size";
}

TEST(DeviceScale, SlantedLinesAreOneLogicalPixelThickOnTheFinerGrid) {
    QImage one = WhiteImage(1), two = WhiteImage(2);
    for (QImage* image : {&one, &two}) {
        TCanvas c(image);
        c.Pen()->SetColor(clBlack);
        c.MoveTo(2, 2);
        c.LineTo(32, 17); // shallow: one step down every two across
        c.MoveTo(36, 2);
        c.LineTo(36, 3); // a one-pixel line
    }
    // Every device column the slanted line crosses holds exactly two black device pixels,
    // touching, and none lies outside the blocks the line covers at ratio 1 or beside them.
    for (int x = 4; x < 64; ++x) {
        std::vector<int> rows;
        for (int y = 0; y < 40; ++y)
            if (Rgb(two, x, y) == 0)
                rows.push_back(y);
        ASSERT_EQ(rows.size(), 2u) << "device column " << x;
        EXPECT_EQ(rows[1], rows[0] + 1) << "device column " << x;
        bool nearLine = false;
        for (int dy = -1; dy <= 1; ++dy) {
            int ly = rows[0] / 2 + dy;
            nearLine |= ly >= 0 && Rgb(one, x / 2, ly) == 0;
        }
        EXPECT_TRUE(nearLine) << "device column " << x;
    }
    EXPECT_EQ(Rgb(two, 64, 34), 0xFFFFFFu) << "the last pixel stays out";
    EXPECT_GT(MixedBlocks(two, QRect(4, 4, 60, 30)), 10) << "the line steps on device pixels";
    for (int y = 4; y < 6; ++y)
        for (int x = 72; x < 74; ++x)
            EXPECT_EQ(Rgb(two, x, y), 0u) << "the one-pixel line is a whole block";
}

TEST(DeviceScale, ShapesFollowTheirLogicalOutlines) {
    const TDrawCase cases[] = {
        {"ellipse", [](TCanvas& c) { c.Ellipse(2, 2, 30, 24); }},
        {"rounded rectangle", [](TCanvas& c) { c.RoundRect(2, 2, 36, 26, 10, 10); }},
        {"polygon",
         [](TCanvas& c) {
             c.Polygon({{2, 2}, {35, 6}, {20, 27}});
         }},
    };
    for (const auto& tc : cases) {
        QImage one = WhiteImage(1), two = WhiteImage(2);
        for (QImage* image : {&one, &two}) {
            TCanvas c(image);
            c.Pen()->SetColor(clBlack);
            c.Brush()->SetColor(clRed);
            tc.Draw(c);
        }
        // Edges may fall on the finer grid; the inside and the outside agree.
        TDifference d = CompareWithDoubled(one, two);
        int area = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                area += Rgb(one, x, y) != 0xFFFFFFu;
        EXPECT_LT(d.Count, area) << tc.Name << " differs by " << d.Count << " of " << area * 4
                                 << " device pixels";
        EXPECT_EQ(Rgb(two, 30, 28), 0xFF0000u) << tc.Name << ": filled inside";
        EXPECT_EQ(Rgb(two, 78, 58), 0xFFFFFFu) << tc.Name << ": nothing outside";
    }
}

TEST(DeviceScale, PixelsClipAndMetricsAreLogical) {
    QImage two = WhiteImage(2);
    TCanvas c(&two);
    // A logical pixel reads as the top-left device pixel of its block.
    two.setPixel(10, 10, qRgb(255, 0, 0));
    two.setPixel(11, 11, qRgb(0, 0, 255));
    EXPECT_EQ(c.Pixel(5, 5), clRed);
    EXPECT_EQ(c.Pixel(39, 29), clWhite);
    EXPECT_EQ(c.Pixel(40, 29), -1) << "beyond the image";
    c.SetPixel(6, 6, clBlue);
    EXPECT_EQ(c.Pixel(6, 6), clBlue);
    EXPECT_EQ(Rgb(two, 13, 13), 0x0000FFu);

    TRect box;
    ASSERT_EQ(GetClipBox(&c, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(0, 0, kW, kH)) << "the whole image in logical pixels";
    IntersectClipRect(&c, 5, 6, 50, 20);
    SetWindowOrgEx(&c, 2, 1, nullptr);
    ASSERT_EQ(GetClipBox(&c, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(7, 7, 42, 21));

    // Text is measured the same at both ratios: the layout does not move.
    QImage one = WhiteImage(1);
    TCanvas c1(&one);
    UseTestFont(c1.Font());
    UseTestFont(c.Font());
    EXPECT_EQ(c.TextExtent("Brisvane"), c1.TextExtent("Brisvane"));
    EXPECT_EQ(c.TextMetrics().tmHeight, c1.TextMetrics().tmHeight);
}

TEST(DeviceScale, TextIsRenderedAtTheDeviceSizeInsideItsLogicalExtent) {
    QImage two(200, 60, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    two.fill(Qt::white);
    TCanvas c(&two);
    UseTestFont(c.Font());
    c.Font()->SetColor(clBlack);
    TPoint ext = c.TextExtent("Sharp Ag");
    c.TextOut(3, 2, "Sharp Ag");
    int inked = 0, outside = 0, halftone = 0;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x) {
            uint32_t p = Rgb(two, x, y);
            if (p == 0xFFFFFFu)
                continue;
            (x >= 6 && x < 6 + 2 * ext.X && y >= 4 && y < 4 + 2 * ext.Y ? inked : outside)++;
            halftone += p != 0;
        }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(halftone, 0) << "glyphs are drawn without grey edges";
    EXPECT_GT(MixedBlocks(two, QRect(6, 4, 2 * ext.X, 2 * ext.Y)), 20)
        << "the glyphs have device-pixel detail, not doubled logical pixels";

    // DrawText's cell and its opaque background are logical too.
    QImage cell(200, 60, QImage::Format_RGB32);
    cell.setDevicePixelRatio(2);
    cell.fill(Qt::white);
    TCanvas cc(&cell);
    UseTestFont(cc.Font());
    cc.Brush()->SetColor(clYellow);
    TRect r = Rect(10, 5, 90, 25);
    DrawText(&cc, "Cell", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_EQ(Rgb(cell, 19, 9), 0xFFFFFFu) << "outside the cell";
    bool inkInCell = false;
    for (int y = 10; y < 50; ++y)
        for (int x = 20; x < 180; ++x)
            inkInCell |= Rgb(cell, x, y) == 0;
    EXPECT_TRUE(inkInCell);
}

TEST(DeviceScale, CopiesBetweenImagesOfTheSameRatioKeepEveryDevicePixel) {
    QImage from = WhiteImage(2), to = WhiteImage(2);
    for (int y = 0; y < from.height(); ++y)
        for (int x = 0; x < from.width(); ++x)
            from.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) & 1) * 255));
    TCanvas source(&from), dest(&to);
    dest.CopyRect(Rect(5, 4, 25, 14), &source, Rect(1, 2, 21, 12));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(Rgb(to, 10 + x, 8 + y), Rgb(from, 2 + x, 4 + y)) << x << "," << y;
    EXPECT_EQ(Rgb(to, 9, 8), 0xFFFFFFu);
    EXPECT_EQ(Rgb(to, 50, 28), 0xFFFFFFu);
}

TEST(DeviceScale, ThemePicturesUseTheirFinerSizes) {
    if (!HasThemeIcon("drive-harddisk"))
        GTEST_SKIP() << "no icon theme with device pictures";
    QImage one = WhiteImage(1), two = WhiteImage(2);
    TCanvas c1(&one), c2(&two);
    DrawThemeIcon(c1, "drive-harddisk", 4, 4, 16);
    DrawThemeIcon(c2, "drive-harddisk", 4, 4, 16);
    EXPECT_GT(MixedBlocks(two, QRect(8, 8, 32, 32)), 30) << "a 32 x 32 picture, not 16 doubled";
    EXPECT_EQ(Rgb(two, 7, 7), 0xFFFFFFu);
    EXPECT_EQ(Rgb(two, 40, 40), 0xFFFFFFu);
}

// ---------------------------------------------------------------- on a screen of ratio 2

// The screen's ratio; the tests below check their point only where it is 2, and the ctest
// run that gives the screen that ratio says so, so that they cannot pass by skipping.
bool ScreenHasRatio2(QWidget* widget) {
    const char* expected = std::getenv("BV_EXPECT_DEVICE_RATIO");
    if (expected && std::string(expected) == "2") {
        EXPECT_EQ(widget->devicePixelRatioF(), 2.0) << "the run was to give the screen ratio 2";
    }
    return widget->devicePixelRatioF() == 2.0;
}

// A self-drawn control with one-pixel lines, text and a few shapes.
class TSharpPad : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TColor Mark = clBlack;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(ClientRect());
        c->Pen()->SetColor(Mark);
        c->MoveTo(10, 20);
        c->LineTo(110, 20);
        c->MoveTo(130, 2);
        c->LineTo(130, 60);
        c->Font()->SetColor(clBlack);
        c->TextOut(10, 30, "Sharp text Ag");
        c->MoveTo(150, 10);
        c->LineTo(230, 50);
        c->Brush()->SetColor(clRed);
        c->Ellipse(150, 55, 200, 85);
        c->Brush()->SetColor(clNavy);
        c->Brush()->SetStyle(TBrushStyle::bsDiagCross);
        c->Rectangle(210, 55, 260, 85);
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->DrawFocusRect(Rect(8, 27, 100, 48));
    }
};

QImage Grab(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The device pixels of a widget as they are on screen now, read back without painting.
// The offscreen screen gives its window's device pixels from the top-left corner, in an
// image only as large as the window's logical size: the widget must lie in that part.
QImage OnScreen(QWidget* widget) {
    QWidget* top = widget->window();
    QImage all =
        top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    QPoint at = widget->mapTo(top, QPoint(0, 0)) * 2;
    QRect area = QRect(at, widget->size() * 2) & QRect(0, 0, all.width(), all.height());
    QImage part = all.copy(area);
    part.setDevicePixelRatio(1);
    return part;
}

class ScreenRatio2 : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(300, 120);
        pad = new TSharpPad(form);
        pad->SetParent(form);
        UseTestFont(pad->Font());
        pad->SetBounds(10, 10, 270, 95);
        form->Show();
        PumpEvents();
    }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    TForm* form = nullptr;
    TSharpPad* pad = nullptr;
};

TEST_F(ScreenRatio2, SelfDrawnLinesAndTextAreSharpOnTheDevicePixels) {
    if (!ScreenHasRatio2(pad->Widget()))
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    QImage shot = Grab(pad->Widget());
    ASSERT_EQ(shot.width(), 540);
    std::string path = std::string(BV_BINARY_DIR) + "/gui_device_ratio_2.png";
    EXPECT_TRUE(Grab(form->ClientWidget()).save(QString::fromStdString(path)));

    // The horizontal line: two device rows wholly black, white rows on each side.
    auto rowIs = [&](int y, uint32_t colour) {
        for (int x = 20; x < 220; ++x)
            if (Rgb(shot, x, y) != colour)
                return false;
        return true;
    };
    EXPECT_TRUE(rowIs(39, 0xFFFFFFu));
    EXPECT_TRUE(rowIs(40, 0));
    EXPECT_TRUE(rowIs(41, 0));
    EXPECT_TRUE(rowIs(42, 0xFFFFFFu));
    auto columnIs = [&](int x, uint32_t colour) {
        for (int y = 20; y < 120; ++y)
            if (Rgb(shot, x, y) != colour)
                return false;
        return true;
    };
    EXPECT_TRUE(columnIs(259, 0xFFFFFFu));
    EXPECT_TRUE(columnIs(260, 0));
    EXPECT_TRUE(columnIs(261, 0));
    EXPECT_TRUE(columnIs(262, 0xFFFFFFu));

    // The text: only black and white, with detail finer than a logical pixel.
    QImage probe(10, 10, QImage::Format_RGB32);
    TCanvas measure(&probe);
    UseTestFont(measure.Font());
    TPoint ext = measure.TextExtent("Sharp text Ag");
    QRect text(20, 60, 2 * ext.X, 2 * ext.Y);
    int halftone = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x) {
            uint32_t p = Rgb(shot, x, y);
            halftone += p != 0 && p != 0xFFFFFFu && p != 0xFF0000u;
        }
    EXPECT_EQ(halftone, 0);
    EXPECT_GT(MixedBlocks(shot, text), 40) << "glyphs drawn at the device size";
    EXPECT_GT(MixedBlocks(shot, QRect(300, 20, 160, 80)), 40) << "the slanted line";
}

TEST_F(ScreenRatio2, InvalidationAndScrollingStayInLogicalCoordinates) {
    if (!ScreenHasRatio2(pad->Widget()))
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    QImage shot = OnScreen(pad->Widget());
    ASSERT_GE(shot.width(), 270);
    ASSERT_GE(shot.height(), 90);
    ASSERT_EQ(Rgb(shot, 90, 40), 0u);

    // Only the invalidated logical rectangle repaints, and nothing beside it changes.
    pad->Mark = clBlue;
    pad->Paints = 0;
    TRect part = Rect(40, 15, 60, 25);
    ASSERT_TRUE(InvalidateRect(pad, &part, false));
    PumpEvents();
    EXPECT_EQ(pad->Paints, 1);
    shot = OnScreen(pad->Widget());
    EXPECT_EQ(Rgb(shot, 80, 40), 0x0000FFu) << "the line inside the rectangle is repainted";
    EXPECT_EQ(Rgb(shot, 119, 41), 0x0000FFu);
    EXPECT_EQ(Rgb(shot, 79, 40), 0u) << "the line left of it is as it was";
    EXPECT_EQ(Rgb(shot, 120, 41), 0u) << "the line right of it is as it was";

    // Scrolling moves the kept device pixels by logical amounts; only the uncovered strip
    // at the top is painted again.
    QImage before = OnScreen(pad->Widget());
    pad->Mark = clRed;
    ASSERT_TRUE(ScrollWindow(pad, 0, 10, nullptr, nullptr));
    PumpEvents();
    QImage after = OnScreen(pad->Widget());
    for (int x = 20; x < 220; x += 7) {
        EXPECT_EQ(Rgb(after, x, 60), Rgb(before, x, 40)) << "device column " << x;
        EXPECT_EQ(Rgb(after, x, 61), Rgb(before, x, 41)) << "device column " << x;
        EXPECT_EQ(Rgb(after, x, 62), 0xFFFFFFu) << "device column " << x;
    }
    EXPECT_EQ(Rgb(after, 260, 10), 0xFF0000u) << "the uncovered strip is painted anew";
    EXPECT_EQ(Rgb(after, 260, 30), 0u) << "below it, the moved vertical line as it was";
}

TEST(ScreenRatio2Faces, OwnerDrawnListItemsAndTheMenuBarAreDrawnAtTheDeviceSize) {
    TForm* form = MakeTestForm(300, 200);
    auto* menu = new TMainMenu(form);
    for (const char* caption : {"&File", "&Tracklist", "&Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    form->SetMenu(menu);
    auto* list = new TListBox(form);
    list->SetParent(form);
    UseTestFont(list->Font());
    list->SetBounds(10, 10, 200, 120);
    list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    list->OnDrawItem = [list](TWinControl*, int index, TRect rect, TOwnerDrawState) {
        TCanvas* c = list->Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(rect);
        c->Font()->SetColor(clBlack);
        c->TextOut(rect.Left + 2, rect.Top + 1, list->Items()->Get(index));
    };
    list->Items()->Add("Owner-drawn item");
    list->Items()->Add("Another item");
    form->Show();
    PumpEvents();
    if (!ScreenHasRatio2(form->Widget())) {
        delete form;
        PumpEvents();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    QImage frame = Grab(form->Widget());
    QImage items = Grab(list->Widget());
    std::string path = std::string(BV_BINARY_DIR) + "/gui_device_ratio_2_faces.png";
    EXPECT_TRUE(frame.save(QString::fromStdString(path)));
    const int bar = form->MenuBarHeight();
    EXPECT_GT(MixedBlocks(frame, QRect(0, 0, 300, 2 * bar)), 20) << "the menu bar's captions";
    // The second item, away from the focus frame Qt draws around the first.
    const QRect second(8, 36, 300, 24);
    EXPECT_GT(MixedBlocks(items, second), 20) << "the second item's text";
    int halftone = 0;
    for (int y = second.top(); y <= second.bottom(); ++y)
        for (int x = second.left(); x <= second.right(); ++x)
            halftone += Rgb(items, x, y) != 0 && Rgb(items, x, y) != 0xFFFFFFu;
    EXPECT_EQ(halftone, 0) << "the item's picture is not enlarged with blurred edges";
    delete form;
    PumpEvents();
}

// A frame on the screen is dotted in whole logical pixels: on a screen of two device pixels
// per logical pixel each dot is a solid 2 x 2 block, never a blurred one.
TEST(ScreenRatio2Faces, AnInvertedFrameOnTheScreenIsDottedInWholeLogicalPixels) {
    const TRect frame = Rect(100, 80, 300, 130);
    DrawInvertFrame(frame, 1);
    PumpEvents();
    QWidget* top = nullptr;
    for (QWidget* w : BvQt::ScreenFrameWindows())
        if (w->geometry() == QRect(100, 80, 200, 1))
            top = w;
    ASSERT_NE(top, nullptr);
    if (!ScreenHasRatio2(top)) {
        DrawInvertFrame(frame, 1);
        PumpEvents();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    QImage shot = top->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.width(), 400);
    int dark = 0, mixed = 0;
    for (int x = 0; x < 200; ++x) {
        int darkPixels = 0;
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                const int g = qGray(shot.pixel(2 * x + i, j));
                mixed += g > 64 && g < 192;
                darkPixels += g <= 64;
            }
        EXPECT_TRUE(darkPixels == 0 || darkPixels == 4) << "logical pixel " << x;
        dark += darkPixels == 4;
    }
    EXPECT_EQ(dark, 100);
    EXPECT_EQ(mixed, 0);
    DrawInvertFrame(frame, 1);
    PumpEvents();
    EXPECT_TRUE(BvQt::ScreenFrameWindows().empty()) << "drawn again, the frame is gone";
}

// A picture kept at a device scale: its size, pixels and drawing stay logical, its text has
// device-pixel detail, and a change of scale or size keeps what it shows.
TEST(DeviceScaleBitmap, KeepsLogicalSizeAndPixelsAtAnyScale) {
    TBitmap b(10, 6, 2);
    EXPECT_EQ(b.DeviceScale(), 2);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 6);
    EXPECT_EQ(b.Image().size(), QSize(20, 12));
    EXPECT_EQ(b.Canvas()->DeviceScale(), 2);
    b.SetPixel(3, 4, clRed);
    EXPECT_EQ(b.Pixel(3, 4), ColorToRGB(clRed));
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(b.Image().pixel(6 + i, 8 + j) & 0xFFFFFFu, 0xFF0000u) << "a whole block";
    EXPECT_EQ(b.Pixel(10, 0), -1) << "logical bounds, not device ones";

    // A bigger size keeps the picture at its scale; a copy keeps the scale.
    b.SetSize(12, 7);
    EXPECT_EQ(b.Image().size(), QSize(24, 14));
    EXPECT_EQ(b.Pixel(3, 4), ColorToRGB(clRed));
    TBitmap copy;
    copy.Assign(b);
    EXPECT_EQ(copy.DeviceScale(), 2);
    EXPECT_EQ(copy.Width(), 12);
    EXPECT_EQ(copy.Pixel(3, 4), ColorToRGB(clRed));

    // Back to one pixel per logical pixel and up again: the picture follows by whole pixels.
    b.SetDeviceScale(1);
    EXPECT_EQ(b.Image().size(), QSize(12, 7));
    EXPECT_EQ(b.Pixel(3, 4), ColorToRGB(clRed));
    EXPECT_EQ(b.Pixel(2, 4), ColorToRGB(clBlack));
    b.SetDeviceScale(2);
    EXPECT_EQ(b.Pixel(3, 4), ColorToRGB(clRed));
    EXPECT_EQ(b.Image().pixel(7, 9) & 0xFFFFFFu, 0xFF0000u);

    // An empty picture keeps its scale for the size it is given later.
    TBitmap empty;
    empty.SetDeviceScale(2);
    empty.SetSize(4, 3);
    EXPECT_EQ(empty.Image().size(), QSize(8, 6));
    EXPECT_EQ(empty.Width(), 4);
}

TEST(DeviceScaleBitmap, TextDrawnIntoAScaledPictureReachesTheScreenUnchanged) {
    // Text in a picture of scale 2 has detail finer than a logical pixel, and a copy onto a
    // canvas of the same scale carries it pixel for pixel.
    TBitmap picture(60, 16, 2);
    picture.Canvas()->Brush()->SetColor(clWhite);
    picture.Canvas()->FillRect(Rect(0, 0, 60, 16));
    UseTestFont(picture.Canvas()->Font());
    picture.Canvas()->TextOut(2, 1, "Sharp");
    const QImage& img = picture.Image();
    int mixed = 0;
    for (int y = 0; y + 1 < img.height(); y += 2)
        for (int x = 0; x + 1 < img.width(); x += 2) {
            QRgb p = img.pixel(x, y);
            mixed += img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p ||
                     img.pixel(x + 1, y + 1) != p;
        }
    EXPECT_GT(mixed, 10);
    QImage screen(140, 40, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2);
    screen.fill(Qt::black);
    TCanvas canvas(&screen);
    canvas.Draw(5, 3, &picture);
    EXPECT_EQ(screen.copy(10, 6, 120, 32), img.copy(0, 0, 120, 32));
}

} // namespace
