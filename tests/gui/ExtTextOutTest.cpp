// Text drawn into a cell: an opaque cell takes the device context's background colour, whatever
// the brush is, and the call leaves the brush and the background colour as it found them.
#include "GuiTestEnvironment.h"
#include "WinApi.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtTextOut, OpaqueCellTakesTheBackgroundColourNotTheBrush) {
    TBitmap pattern(8, 8);
    pattern.Canvas()->Brush()->SetColor(clLime);
    pattern.Canvas()->FillRect(Rect(0, 0, 8, 8));
    struct Case {
        const char* What;
        void (*Brush)(TBrush*, TBitmap*);
    } cases[] = {
        {"solid red brush", [](TBrush* b, TBitmap*) { b->SetColor(clRed); }},
        {"clear brush",
         [](TBrush* b, TBitmap*) {
             b->SetColor(clRed);
             b->SetStyle(TBrushStyle::bsClear);
         }},
        {"pattern brush",
         [](TBrush* b, TBitmap* p) {
             b->SetColor(clRed);
             b->SetBitmap(p);
         }},
    };
    for (const auto& c : cases) {
        TBitmap bmp(60, 24);
        TCanvas* dc = bmp.Canvas();
        dc->Brush()->SetColor(clWhite);
        dc->FillRect(Rect(0, 0, 60, 24));
        UseTestFont(dc->Font());
        dc->Font()->SetColor(clBlack);
        c.Brush(dc->Brush(), &pattern);
        SetBkColor(dc, clBlue);
        SetBkMode(dc, OPAQUE);
        TBrush before;
        before.Assign(*dc->Brush());

        TRect cell = Rect(0, 0, 50, 20);
        // Blanks only: every pixel of the text's own extent shows its background.
        ASSERT_TRUE(ExtTextOut(dc, 2, 2, ETO_OPAQUE, &cell, "   "));

        struct Pixel {
            int X, Y;
            TColor Expected;
            const char* Where;
        } pixels[] = {
            {0, 0, clBlue, "cell corner"},
            {49, 19, clBlue, "cell's last pixel"},
            {4, 6, clBlue, "inside the text's extent"},
            {50, 10, clWhite, "right of the cell"},
            {10, 20, clWhite, "below the cell"},
        };
        for (const auto& p : pixels)
            EXPECT_EQ(bmp.Pixel(p.X, p.Y), p.Expected) << c.What << ": " << p.Where;
        EXPECT_EQ(dc->Brush()->Color(), before.Color()) << c.What;
        EXPECT_EQ(dc->Brush()->Style(), before.Style()) << c.What;
        EXPECT_EQ(dc->Brush()->Bitmap(), before.Bitmap()) << c.What;
        EXPECT_EQ(dc->BkColor(), clBlue) << c.What;
    }
}

TEST(ExtTextOut, WithoutOpaqueOnlyTheTextIsDrawn) {
    TBitmap bmp(60, 24);
    TCanvas* dc = bmp.Canvas();
    dc->Brush()->SetColor(clWhite);
    dc->FillRect(Rect(0, 0, 60, 24));
    dc->Brush()->SetColor(clRed);
    SetBkColor(dc, clBlue);
    SetBkMode(dc, TRANSPARENT);
    TRect cell = Rect(0, 0, 50, 20);
    ASSERT_TRUE(ExtTextOut(dc, 2, 2, 0, &cell, "   "));
    EXPECT_EQ(bmp.Pixel(0, 0), clWhite);
    EXPECT_EQ(bmp.Pixel(4, 6), clWhite);
}

} // namespace
