// The drawing routines and option objects of the self-drawn group box and list box: what each
// routine paints where, the clamps of the options, the change reports and the local 3-D colours.
#include "Bvg3DColors.h"
#include "BvgCommClasses.h"
#include "BvgUtils.h"
#include "GuiTestEnvironment.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

constexpr TColor kPaper = RGB(1, 2, 3);

std::unique_ptr<TBitmap> Paper(int w, int h, TColor colour = kPaper) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(colour);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

TColor Sys(int index) {
    return GetSysColor(index);
}

} // namespace

TEST(BvgOptions, SettersClampAndReportEachRealChangeOnce) {
    TBvgGradient g;
    int changes = 0;
    g.OnChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, &g);
        ++changes;
    };
    struct Case {
        int Set, Stored;
    } steps[] = {{0, 1}, {1000, 255}, {256, 255}, {-5, 1}, {17, 17}};
    for (const auto& c : steps) {
        g.SetSteps(c.Set);
        EXPECT_EQ(g.Steps(), c.Stored) << "Steps := " << c.Set;
    }
    EXPECT_EQ(changes, 4) << "1000 and 256 both store 255: the second is no change";
    changes = 0;
    g.SetFromColor(clBtnFace);
    EXPECT_EQ(g.FromRGB(), GetSysColor(COLOR_BTNFACE));
    g.SetFromColor(clBtnFace);
    EXPECT_EQ(changes, 1);

    TBvgIllumination light;
    light.SetShadowDepth(-3);
    EXPECT_EQ(light.ShadowDepth(), 0);

    // Assign copies everything and reports once.
    TBvgGradient copy;
    int copies = 0;
    copy.OnChanged = [&](TObject*) { ++copies; };
    g.SetActive(true);
    g.SetOrientation(TglGradientDir::fgdRectangle);
    copy.Assign(g);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(copy.Steps(), 17);
    EXPECT_TRUE(copy.Active());
    EXPECT_EQ(copy.Orientation(), TglGradientDir::fgdRectangle);
    EXPECT_EQ(copy.FromRGB(), GetSysColor(COLOR_BTNFACE));
    TBvgPointClass point;
    EXPECT_THROW(copy.Assign(point), EConvertError);
}

TEST(BvgOptions, OneHandlerOfAnItemStyleHearsEveryNestedChange) {
    TBvgListBoxItemStyle style;
    int changes = 0;
    style.SetOnChanged([&](TObject*) { ++changes; });
    style.Bevel()->SetBold(true);
    style.Gradient()->SetActive(true);
    style.TextGradient()->SetSteps(3);
    style.Font()->SetName("DejaVu Serif");
    style.SetColor(clRed);
    EXPECT_EQ(changes, 5);
    TBvgListBoxItemStyle other;
    changes = 0;
    style.Assign(other);
    EXPECT_EQ(changes, 1) << "an assignment is one change, not one per nested object";
    EXPECT_FALSE(style.Bevel()->Bold());
    EXPECT_FALSE(style.Gradient()->Active());
}

TEST(BvgOptions, GroupBoxColoursAssignOnceAndDeriveReliefFromABase) {
    TBvgGroupBoxColors a, b;
    b.SetCaption(clRed);
    b.SetTextActive(clBlue);
    b.SetShadow(clLime);
    int changes = 0;
    a.OnChanged = [&](TObject*) { ++changes; };
    a.Assign(b);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(a.Caption(), clRed);
    EXPECT_EQ(a.TextActive(), clBlue);
    EXPECT_EQ(a.Shadow(), clLime);

    a.SetAutoShadow(true);
    a.SetAutoHighlight(true);
    DeriveReliefColors(RGB(200, 100, 30), &a);
    EXPECT_EQ(a.Shadow(), RGB(140, 40, 0));
    EXPECT_EQ(a.Highlight(), RGB(240, 140, 70));
}

TEST(Bvg3DColors, DerivedColoursStayInRangeChannelByChannel) {
    TBvg3DLocalColors set(nullptr);
    set.DeriveFromBase(RGB(200, 100, 30));
    EXPECT_EQ(set.Shadow(), RGB(140, 40, 0));
    EXPECT_EQ(set.Highlight(), RGB(255, 160, 90));
}

TEST(Bvg3DColors, FreeingASetHandsBackOnlyWhatItHeld) {
    ASSERT_EQ(CurrentLocalColors, nullptr);
    auto a = std::make_unique<TBvg3DLocalColors>(nullptr);
    auto b = std::make_unique<TBvg3DLocalColors>(nullptr);
    auto c = std::make_unique<TBvg3DLocalColors>(nullptr);
    a->MakeCurrent();
    b->MakeCurrent();
    b->MakeCurrent(); // twice: still b, whose previous is still a
    EXPECT_EQ(b->Previous(), a.get());
    c.reset(); // never current: the current set stays
    EXPECT_EQ(CurrentLocalColors, b.get());
    b.reset(); // the current one: the one it replaced comes back
    EXPECT_EQ(CurrentLocalColors, a.get());

    // A set freed while it is another's previous is not handed back later.
    auto d = std::make_unique<TBvg3DLocalColors>(nullptr);
    d->MakeCurrent();
    a.reset();
    EXPECT_EQ(CurrentLocalColors, d.get());
    EXPECT_EQ(d->Previous(), nullptr);
    d.reset();
    EXPECT_EQ(CurrentLocalColors, nullptr);
}

TEST(BvgDrawBevelBox, CutsShrinkTheRectangleAndPaintTheirSides) {
    struct Case {
        const char* Name;
        TBevelCut Inner, Outer;
        bool Bold;
        TRect Inside;
    } cases[] = {
        {"none", TBevelCut::bvNone, TBevelCut::bvNone, false, Rect(0, 0, 19, 19)},
        {"bold lowered", TBevelCut::bvNone, TBevelCut::bvLowered, true, Rect(2, 2, 18, 18)},
        {"raised", TBevelCut::bvRaised, TBevelCut::bvNone, false, Rect(1, 1, 18, 18)},
        {"bold raised", TBevelCut::bvNone, TBevelCut::bvRaised, true, Rect(1, 1, 17, 17)},
        {"space in lowered", TBevelCut::bvSpace, TBevelCut::bvLowered, false, Rect(2, 2, 17, 17)},
    };
    for (const auto& c : cases) {
        auto b = Paper(20, 20);
        TRect inside = DrawBevelBox(b->Canvas(), Rect(0, 0, 19, 19), fsdAllSides, c.Inner, c.Outer,
                                    c.Bold, clRed, false);
        EXPECT_EQ(inside, c.Inside) << c.Name;
        // The background fills what is left, its right and bottom edges included.
        EXPECT_EQ(b->Pixel(inside.Right, inside.Bottom), clRed) << c.Name;
        EXPECT_EQ(b->Pixel(inside.Left, inside.Top), clRed) << c.Name;
    }
    // A bold lowered frame: dark shadow outside, shadow inside on the left and top, highlight
    // on the right and bottom.
    auto b = Paper(20, 20);
    DrawBevelBox(b->Canvas(), Rect(0, 0, 19, 19), fsdAllSides, TBevelCut::bvNone,
                 TBevelCut::bvLowered, true, clRed, true);
    EXPECT_EQ(b->Pixel(0, 5), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(b->Pixel(1, 5), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(b->Pixel(5, 0), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(b->Pixel(19, 5), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(b->Pixel(5, 19), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(b->Pixel(5, 5), kPaper) << "transparent: the inside is left alone";

    // Local colours replace the system's while current.
    TBvg3DLocalColors local(nullptr);
    local.SetShadow(clLime);
    local.MakeCurrent();
    auto l = Paper(10, 10);
    DrawBevelBox(l->Canvas(), Rect(0, 0, 9, 9), fsdLeft, TBevelCut::bvSpace, TBevelCut::bvNone,
                 false, clRed, true);
    EXPECT_EQ(l->Pixel(0, 4), clLime);
    EXPECT_EQ(l->Pixel(4, 0), kPaper) << "only the chosen side";
}

TEST(BvgGradient, FillsBandsFromStartToEnd) {
    TBvgGradient g;
    g.SetFromColor(RGB(0, 0, 0));
    g.SetToColor(RGB(200, 0, 0));
    g.SetActive(true);
    g.SetSteps(4);
    auto b = Paper(10, 40);
    g.DrawInRect(b->Canvas(), Rect(0, 0, 10, 40));
    EXPECT_EQ(b->Pixel(5, 0), RGB(0, 0, 0));
    EXPECT_EQ(b->Pixel(5, 39), RGB(200, 0, 0)) << "the last band is exactly the end colour";
    EXPECT_EQ(b->Pixel(5, 12), RGB(67, 0, 0));

    struct Case {
        const char* Name;
        TRect Area;
        TColor Expected;
    } edges[] = {
        // One band left: it is the start colour, not a division by zero.
        {"one pixel high", Rect(0, 0, 10, 1), RGB(0, 0, 0)},
        {"empty", Rect(0, 0, 10, 0), kPaper},
    };
    for (const auto& c : edges) {
        auto p = Paper(10, 2);
        g.DrawInRect(p->Canvas(), c.Area);
        EXPECT_EQ(p->Pixel(3, 0), c.Expected) << c.Name;
    }
    g.SetOrientation(TglGradientDir::fgdVertical);
    auto v = Paper(1, 3);
    g.DrawInRect(v->Canvas(), Rect(0, 0, 1, 3));
    EXPECT_EQ(v->Pixel(0, 2), RGB(0, 0, 0)) << "one pixel wide, vertical bands";

    // Half filled: the far part stays as it was.
    g.SetOrientation(TglGradientDir::fgdHorizontal);
    g.SetSteps(10);
    g.SetPercentFilling(50);
    auto half = Paper(4, 100);
    g.DrawInRect(half->Canvas(), Rect(0, 0, 4, 100));
    EXPECT_NE(half->Pixel(1, 40), kPaper);
    EXPECT_EQ(half->Pixel(1, 90), kPaper);

    // One step, or inactive: nothing at all.
    g.SetPercentFilling(100);
    g.SetSteps(1);
    auto none = Paper(4, 4);
    g.DrawInRect(none->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(none->Pixel(1, 1), kPaper);
}

TEST(BvgGradient, TextThroughTheGradientNeedsARoomToDrawIn) {
    TBvgGradient g;
    g.SetActive(true);
    g.SetFromColor(clRed);
    g.SetToColor(clBlue);
    auto b = Paper(80, 30, clWhite);
    UseTestFont(b->Canvas()->Font());
    b->Canvas()->SetBkModeDC(TRANSPARENT);
    g.GradientTextOut(b->Canvas(), 2, 2, "MMMM", Rect(0, 0, 0, 0));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(b->Pixel(x, y), clWhite) << "an empty clip draws nothing";
    // The clip is about as high as the letters, so their feet lie near the end colour.
    g.GradientTextOut(b->Canvas(), 2, 0, "MMMM", Rect(0, 0, 80, 12));
    int reddish = 0, bluish = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            TColor p = b->Pixel(x, y);
            if (p == clWhite)
                continue;
            (GetRValue(p) > GetBValue(p) ? reddish : bluish)++;
        }
    EXPECT_GT(reddish, 0);
    EXPECT_GT(bluish, 0) << "the colour moves towards the end colour down the text";
}

TEST(BvgPaintBitmap, DrawsStatesFillsAndTransparency) {
    TBitmap glyph(4, 4);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 4, 4));
    glyph.SetPixel(1, 1, clBlack);
    glyph.SetPixel(2, 2, clWhite);

    TBitmap empty;
    auto e = Paper(8, 8);
    PaintBitmap(e->Canvas(), &empty, Rect(0, 0, 8, 8), 0, 0, fopNone, fdsNormal, false, 0);
    EXPECT_EQ(e->Pixel(0, 0), kPaper);

    struct Case {
        const char* Name;
        int Fill, State;
        bool Transparent;
        TPoint Probe;
        TColor Expected;
    } cases[] = {
        {"plain copy", fopNone, fdsNormal, false, {1, 1}, clBlack},
        {"plain copy keeps its key colour", fopNone, fdsNormal, false, {0, 0}, clFuchsia},
        {"transparent key shows the paper", fopNone, fdsNormal, true, {0, 0}, kPaper},
        {"transparent ink stays", fopNone, fdsNormal, true, {1, 1}, clBlack},
        {"system colours: white is the highlight",
         fopNone,
         fdsSystemColors,
         false,
         {2, 2},
         GetSysColor(COLOR_BTNHIGHLIGHT)},
        {"disabled ink is the shadow",
         fopNone,
         fdsDisabled,
         true,
         {1, 1},
         GetSysColor(COLOR_BTNSHADOW)},
        {"disabled ink casts a highlight",
         fopNone,
         fdsDisabled,
         true,
         {3, 3},
         GetSysColor(COLOR_BTNHIGHLIGHT)},
        {"stretched to the rectangle", fopStretch, fdsNormal, false, {3, 3}, clBlack},
        {"tiled: the second copy", fopTile, fdsNormal, false, {5, 5}, clBlack},
        {"tiled: nothing past the rectangle", fopTile, fdsNormal, false, {7, 7}, kPaper},
    };
    for (const auto& c : cases) {
        auto p = Paper(8, 8);
        TRect r = c.Fill == fopStretch ? Rect(0, 0, 8, 8) : Rect(0, 0, 7, 7);
        PaintBitmap(p->Canvas(), &glyph, r, 0, 0, c.Fill, c.State, c.Transparent, clFuchsia);
        EXPECT_EQ(p->Pixel(c.Probe.X, c.Probe.Y), c.Expected) << c.Name;
    }
    // Tiling over a rectangle smaller than the picture draws one cut copy.
    auto small = Paper(8, 8);
    PaintBitmap(small->Canvas(), &glyph, Rect(0, 0, 2, 2), 0, 0, fopTile, fdsNormal, false, 0);
    EXPECT_EQ(small->Pixel(1, 1), clBlack);
    EXPECT_EQ(small->Pixel(2, 2), kPaper);
}

TEST(BvgBitmaps, CornerColoursAndColourSwaps) {
    TBitmap b(3, 2);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(2, 0, clLime);
    b.SetPixel(0, 1, clBlue);
    b.SetPixel(2, 1, clYellow);
    struct Case {
        TglAutoTransparentColor Which;
        TColor Expected;
    } cases[] = {{TglAutoTransparentColor::ftcLeftTopPixel, clRed},
                 {TglAutoTransparentColor::ftcRightTopPixel, clLime},
                 {TglAutoTransparentColor::ftcLeftBottomPixel, clBlue},
                 {TglAutoTransparentColor::ftcRightBottomPixel, clYellow},
                 {TglAutoTransparentColor::ftcUser, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(GetAutoTransparentColor(&b, c.Which), c.Expected);
    TBitmap none;
    EXPECT_EQ(GetAutoTransparentColor(&none, TglAutoTransparentColor::ftcLeftTopPixel), 0);
    EXPECT_FALSE(BitmapHasImage(&none));
    EXPECT_FALSE(BitmapHasImage(nullptr));
    ReplaceBitmapColor(&b, clRed, clAqua);
    EXPECT_EQ(b.Pixel(0, 0), clAqua);
    EXPECT_EQ(b.Pixel(2, 0), clLime);
    EXPECT_EQ(ChooseValue(true, 1, 2), 1);
}

TEST(BvgStyledText, ReliefsLayTheirCopiesWhereTheStyleSays) {
    TFont font;
    UseTestFont(&font);
    font.SetStyle(fsBold);
    // Where the first copy of the text lands, for each style: the face at (x, y) or offset.
    struct Case {
        const char* Name;
        TglTextStyle Style;
        TColor First; // the colour at the ink's first column
        int Shift;    // how far right the face's colour starts
    } cases[] = {
        {"none", TglTextStyle::fstNone, clBlack, 0},
        {"raised: highlight first", TglTextStyle::fstRaised, clYellow, 0},
        {"recessed: shadow first", TglTextStyle::fstRecessed, clBlue, 0},
        {"pushed: shadow over highlight", TglTextStyle::fstPushed, clBlue, 0},
    };
    for (const auto& c : cases) {
        auto b = Paper(60, 30, clWhite);
        DrawStyledText(b->Canvas(), 5, 5, &font, nullptr, nullptr, clYellow, clBlue, clLime,
                       clBlack, false, false, c.Style, "I", Rect(0, 0, 60, 30));
        // The leftmost inked column of the picture.
        TColor first = clWhite;
        for (int x = 0; x < 60 && first == clWhite; ++x)
            for (int y = 0; y < 30; ++y)
                if (b->Pixel(x, y) != clWhite) {
                    first = b->Pixel(x, y);
                    break;
                }
        EXPECT_EQ(first, c.First) << c.Name;
    }
    // The clip holds: nothing lands outside it.
    auto b = Paper(60, 30, clWhite);
    DrawStyledText(b->Canvas(), 5, 5, &font, nullptr, nullptr, clYellow, clBlue, clLime, clBlack,
                   false, true, TglTextStyle::fstShadow, "WWW", Rect(0, 0, 12, 30));
    for (int y = 0; y < 30; ++y)
        for (int x = 12; x < 60; ++x)
            ASSERT_EQ(b->Pixel(x, y), clWhite) << x << "," << y;
}
