#include "Graphics.h"
#include "GuiTestEnvironment.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A white bitmap to draw on, and a picture of its pixels as text for readable failures.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        bmp.SetSize(8, 6);
        c = bmp.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 8, 6));
    }
    // One character per pixel: '.' white, '#' black, 'r' red, 'b' blue, '?' other.
    std::string Row(int y) {
        std::string s;
        for (int x = 0; x < bmp.Width(); ++x) {
            TColor p = bmp.Pixel(x, y);
            s += p == clWhite   ? '.'
                 : p == clBlack ? '#'
                 : p == clRed   ? 'r'
                 : p == clBlue  ? 'b'
                                : '?';
        }
        return s;
    }
    std::vector<std::string> Picture() {
        std::vector<std::string> rows;
        for (int y = 0; y < bmp.Height(); ++y)
            rows.push_back(Row(y));
        return rows;
    }
    TBitmap bmp;
    TCanvas* c = nullptr;
};

using Pic = std::vector<std::string>;

TEST_F(CanvasTest, LinesLeaveTheirLastPixelOut) {
    c->Pen()->SetColor(clBlack);
    c->MoveTo(1, 1);
    c->LineTo(5, 1);
    c->MoveTo(1, 2);
    c->LineTo(1, 5);
    c->MoveTo(3, 3);
    c->LineTo(6, 6);
    EXPECT_EQ(Picture(),
              (Pic{"........", ".####...", ".#......", ".#.#....", ".#..#...", ".....#.."}));
    EXPECT_EQ(c->PenPos(), (TPoint{6, 6}));
}

TEST_F(CanvasTest, RectangleFillAndFrameKeepRightAndBottomEdgesOut) {
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Picture(),
              (Pic{"........", ".#####..", ".#rrr#..", ".#rrr#..", ".#####..", "........"}));
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(0, 0, 2, 2));
    c->Brush()->SetColor(clBlack);
    c->FrameRect(Rect(3, 2, 8, 6));
    EXPECT_EQ(Picture(),
              (Pic{"bb......", "bb####..", ".#r#####", ".#r#r#.#", ".#####.#", "...#####"}));
}

TEST_F(CanvasTest, RectangleWithoutPenFillsOnePixelLess) {
    c->Pen()->SetStyle(TPenStyle::psClear);
    c->Brush()->SetColor(clRed);
    c->Rectangle(1, 1, 4, 4);
    EXPECT_EQ(Row(1), ".rr.....");
    EXPECT_EQ(Row(3), "........");
}

TEST_F(CanvasTest, RasterOperationsCombineSourcePatternAndDestination) {
    struct Case {
        uint32_t Rop;
        TColor Src, Dst, Brush, Expected;
    } cases[] = {
        {SRCCOPY, RGB(1, 2, 3), RGB(200, 0, 0), clWhite, RGB(1, 2, 3)},
        {SRCAND, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0x3C, 0x00), clWhite, RGB(0x30, 0x0C, 0x00)},
        {SRCPAINT, RGB(0xF0, 0x00, 0x01), RGB(0x0F, 0x10, 0x02), clWhite, RGB(0xFF, 0x10, 0x03)},
        {SRCINVERT, RGB(0xFF, 0x00, 0x0F), RGB(0x0F, 0x0F, 0x0F), clWhite, RGB(0xF0, 0x0F, 0x00)},
        {NOTSRCCOPY, RGB(0xFF, 0x00, 0x0F), clBlack, clWhite, RGB(0x00, 0xFF, 0xF0)},
        {DSTINVERT, clBlack, RGB(0x01, 0x02, 0x03), clWhite, RGB(0xFE, 0xFD, 0xFC)},
        {PATCOPY, clBlack, clWhite, RGB(9, 8, 7), RGB(9, 8, 7)},
        {PATINVERT, clBlack, RGB(0xFF, 0, 0), RGB(0x0F, 0, 0xFF), RGB(0xF0, 0, 0xFF)},
        {BLACKNESS, clWhite, clWhite, clWhite, clBlack},
        {WHITENESS, clBlack, clBlack, clBlack, clWhite},
        // The brush where the source is white, the destination where it is black.
        {ROP_DSPDxax, clWhite, RGB(10, 20, 30), clRed, clRed},
        {ROP_DSPDxax, clBlack, RGB(10, 20, 30), clRed, RGB(10, 20, 30)},
    };
    for (const auto& t : cases) {
        TBitmap src(1, 1), dst(1, 1);
        src.SetPixel(0, 0, t.Src);
        dst.SetPixel(0, 0, t.Dst);
        dst.Canvas()->Brush()->SetColor(t.Brush);
        BitBlt(dst.Canvas(), 0, 0, 1, 1, src.Canvas(), 0, 0, t.Rop);
        EXPECT_EQ(dst.Pixel(0, 0), t.Expected) << std::hex << t.Rop;
    }
}

TEST_F(CanvasTest, MonochromeMaskPaintsTheBrushWhereItIsBlack) {
    // The disabled-image recipe: text colour white and background black turn the mask's
    // black pixels into all ones, which select the brush.
    TBitmap mask(2, 1);
    mask.SetMonochrome(true);
    mask.SetPixel(0, 0, clBlack);
    mask.SetPixel(1, 0, clWhite);
    c->Brush()->SetColor(clBlue);
    SetTextColor(c, clWhite);
    SetBkColor(c, clBlack);
    BitBlt(c, 3, 3, 2, 1, mask.Canvas(), 0, 0, ROP_DSPDxax);
    EXPECT_EQ(Row(3), "...b....");
}

TEST_F(CanvasTest, FocusRectInvertsEveryOtherBorderPixelAndUndoesItself) {
    c->DrawFocusRect(Rect(1, 1, 7, 5));
    EXPECT_EQ(Picture(),
              (Pic{"........", ".#.#.#..", "......#.", ".#......", "..#.#.#.", "........"}));
    c->DrawFocusRect(Rect(1, 1, 7, 5));
    EXPECT_EQ(Picture(), (Pic(6, "........")));
}

TEST_F(CanvasTest, MonochromeSourceTakesTheDestinationsTextAndBackgroundColours) {
    TBitmap mono(2, 1);
    mono.SetMonochrome(true);
    mono.SetPixel(0, 0, clBlack);
    mono.SetPixel(1, 0, clWhite);
    EXPECT_EQ(mono.PixelFormat(), TPixelFormat::pf1bit);
    SetTextColor(c, clRed);
    SetBkColor(c, clBlue);
    BitBlt(c, 0, 0, 2, 1, mono.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(Row(0), "rb......");

    // Colour into one bit: the source's background colour becomes white, all else black.
    TBitmap mask(3, 1);
    mask.SetMonochrome(true);
    TBitmap colour(3, 1);
    colour.SetPixel(0, 0, clRed);
    colour.SetPixel(1, 0, clBlue);
    colour.SetPixel(2, 0, clRed);
    SetBkColor(colour.Canvas(), clRed);
    BitBlt(mask.Canvas(), 0, 0, 3, 1, colour.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(mask.Pixel(0, 0), clWhite);
    EXPECT_EQ(mask.Pixel(1, 0), clBlack);
    EXPECT_EQ(mask.Pixel(2, 0), clWhite);
}

TEST_F(CanvasTest, ImageListDrawsThroughItsMask) {
    TImageList list(nullptr, 2, 2);
    TBitmap strip(4, 2);
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(Rect(0, 0, 4, 2));
    strip.SetPixel(0, 0, clRed);
    strip.SetPixel(3, 1, clRed);
    EXPECT_EQ(list.AddMasked(&strip, clRed), 0);
    ASSERT_EQ(list.Count(), 2);
    list.Draw(c, 1, 1, 0);
    list.Draw(c, 4, 1, 1);
    EXPECT_EQ(Row(1), "..b.bb..");
    EXPECT_EQ(Row(2), ".bb.b...");
    list.DrawEx(c, 0, 4, 0, ILD_MASK);
    EXPECT_EQ(Row(4), ".#......");
    EXPECT_EQ(Row(5), "##......");
}

TEST_F(CanvasTest, TransparentBitmapKeepsItsBottomLeftColourOut) {
    TBitmap pic(2, 2);
    pic.Canvas()->Brush()->SetColor(clBlue);
    pic.Canvas()->FillRect(Rect(0, 0, 2, 2));
    pic.SetPixel(1, 0, clRed);
    pic.SetTransparent(true);
    EXPECT_EQ(pic.TransparentColor(), clBlue);
    c->Draw(2, 2, &pic);
    EXPECT_EQ(Row(2), "...r....");
    EXPECT_EQ(Row(3), "........");
}

TEST_F(CanvasTest, HatchAndPatternBrushes) {
    c->Brush()->SetColor(clBlack);
    c->Brush()->SetStyle(TBrushStyle::bsVertical);
    c->FillRect(Rect(0, 0, 8, 1));
    EXPECT_EQ(Row(0), "#.......");
    TBitmap checker(2, 2);
    checker.SetPixel(0, 0, clRed);
    checker.SetPixel(1, 1, clRed);
    checker.SetPixel(1, 0, clBlue);
    checker.SetPixel(0, 1, clBlue);
    c->Brush()->SetBitmap(&checker);
    c->FillRect(Rect(0, 1, 4, 3));
    c->Brush()->SetBitmap(nullptr);
    EXPECT_EQ(Row(1), "brbr....");
    EXPECT_EQ(Row(2), "rbrb....");
}

TEST_F(CanvasTest, PenModesXorAndNot) {
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 8, 1));
    c->Pen()->SetMode(TPenMode::pmNot);
    c->MoveTo(0, 0);
    c->LineTo(2, 0);
    EXPECT_EQ(c->Pixel(0, 0), RGB(0, 255, 255));
    c->Pen()->SetMode(TPenMode::pmXor);
    c->Pen()->SetColor(clRed);
    c->MoveTo(2, 0);
    c->LineTo(3, 0);
    EXPECT_EQ(c->Pixel(2, 0), clBlack);
}

TEST_F(CanvasTest, SavedStateClipAndOriginsComeBack) {
    int saved = c->SaveDC();
    c->Pen()->SetColor(clRed);
    IntersectClipRect(c, 2, 0, 4, 6);
    SetWindowOrgEx(c, -1, 0, nullptr);
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, 8, 1));
    EXPECT_EQ(Row(0), "..##....");
    ASSERT_TRUE(c->RestoreDC(saved));
    EXPECT_EQ(c->Pen()->Color(), clBlack);
    EXPECT_FALSE(c->HasClip());
    EXPECT_EQ(c->WindowOrg(), (TPoint{0, 0}));
    EXPECT_FALSE(c->RestoreDC(saved));
}

TEST_F(CanvasTest, TextIsDrawnInsideItsExtent) {
    TBitmap big(80, 20);
    TCanvas* bc = big.Canvas();
    UseTestFont(bc->Font());
    bc->Brush()->SetColor(clWhite);
    bc->FillRect(Rect(0, 0, 80, 20));
    bc->Font()->SetColor(clBlack);
    TPoint ext = bc->TextExtent("Hi");
    EXPECT_GT(ext.X, 4);
    EXPECT_GT(ext.Y, 8);
    EXPECT_EQ(bc->TextWidth("HiHi"), 2 * ext.X);
    bc->TextOut(2, 2, "Hi");
    int inked = 0, outside = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            if (big.Pixel(x, y) != clWhite)
                (x >= 2 && x < 2 + ext.X && y >= 2 && y < 2 + ext.Y ? inked : outside)++;
    EXPECT_GT(inked, 5);
    EXPECT_EQ(outside, 0);

    TRect r = Rect(0, 0, 1000, 0);
    int h = DrawText(bc, "a&b", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, ext.Y);
    EXPECT_EQ(r.Width(), bc->TextWidth("ab"));
    r = Rect(0, 0, 1000, 0);
    DrawText(bc, "a&b", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Width(), bc->TextWidth("a&b"));
}

// Long lists measure every line for their horizontal extent; the quick width may come out a
// little wider than the text engine's (kerning is left out) but never narrower, or the end
// of the widest line could not be scrolled to. Text the table does not cover is measured.
TEST_F(CanvasTest, AQuickLineWidthIsNeverNarrowerThanTheDrawnText) {
    TBitmap big(80, 20);
    TCanvas* bc = big.Canvas();
    UseTestFont(bc->Font());
    const std::vector<std::string> ascii = {"a",
                                            "Artist 12 - Title 345 (3:07)",
                                            "&&& a&b ~!@#$%^*()_+{}|:<>?",
                                            "iiiiiiiiiiiiiiiiiiiiiiiiiiiiii",
                                            "WWWWWWWWWWWWWWWWWWWW",
                                            "E:\\mobile\\audio\\track7.mp3"};
    const std::vector<std::string> other = {"Björk – Jóga", "a	b", "♫ →", "two\nlines"};
    auto drawn = [&](const std::string& text) {
        TRect r{0, 0, 100000, 1};
        bc->DrawTextW(text, r, DT_CALCRECT | DT_NOPREFIX);
        return r.Width();
    };
    for (bool bold : {false, true}) {
        bc->Font()->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles(0));
        bc->Font()->SetSize(bold ? 14 : 9);
        const TLineWidths widths(*bc);
        for (const std::string& text : ascii) {
            SCOPED_TRACE(text);
            EXPECT_GE(bc->LineWidth(text), drawn(text));
            EXPECT_LE(bc->LineWidth(text), drawn(text) + 2);
            EXPECT_EQ(widths(text), bc->LineWidth(text));
        }
        // Pairs the engine kerns come out wider, by less than a pixel a character.
        const std::string kerned = "AVAVAV To Wa Ty LT";
        EXPECT_GE(bc->LineWidth(kerned), drawn(kerned));
        EXPECT_LE(bc->LineWidth(kerned), drawn(kerned) + static_cast<int>(kerned.size()));
        for (const std::string& text : other) {
            SCOPED_TRACE(text);
            EXPECT_EQ(bc->LineWidth(text), drawn(text));
        }
        EXPECT_EQ(bc->LineWidth(""), 0);
    }
}

// Latin letters and signs past ASCII (U+00A0 to U+017F) are summed from the font's advances as
// ASCII is: never narrower than the engine's width, and at most a few pixels wider. A soft
// hyphen, which draws only at a break, and text beyond that range go to the engine. One line's
// height is the word-wrapping measure's.
TEST_F(CanvasTest, LatinLettersAreMeasuredQuicklyAndNeverNarrower) {
    TBitmap big(80, 20);
    TCanvas* bc = big.Canvas();
    UseTestFont(bc->Font());
    const std::vector<std::string> latin = {"Björk Guðmundsdóttir", "Łódź Ćwierć Žluťoučký kůň",
                                            "café ½ © ÷ ß ÿ Ÿ", "\u00A0non-breaking\u00A0spaces"};
    const std::vector<std::string> engine = {"co\u00ADop", "Zoë – Keating", "ǅ Ǆ", "音楽"};
    auto drawn = [&](const std::string& text) {
        TRect r{0, 0, 100000, 1};
        bc->DrawTextW(text, r, DT_CALCRECT | DT_NOPREFIX);
        return r.Width();
    };
    for (bool bold : {false, true}) {
        bc->Font()->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles(0));
        bc->Font()->SetSize(bold ? 14 : 9);
        const TLineWidths widths(*bc);
        for (const std::string& text : latin) {
            SCOPED_TRACE(text);
            EXPECT_GE(widths.QuickWidth(text), drawn(text));
            EXPECT_LE(widths.QuickWidth(text), drawn(text) + 3);
            EXPECT_EQ(widths(text), widths.QuickWidth(text));
        }
        for (const std::string& text : engine) {
            SCOPED_TRACE(text);
            EXPECT_EQ(-1, widths.QuickWidth(text));
            EXPECT_EQ(widths(text), drawn(text));
        }
        TRect r{0, 0, 100000, 1};
        bc->DrawTextW("One line of words", r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        EXPECT_EQ(r.Height(), widths.LineHeight());
    }
}

} // namespace
