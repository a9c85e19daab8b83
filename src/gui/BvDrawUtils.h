// The drawing routines the kit's controls share: rectangles, shortened text and DrawText
// wrappers, transparent and disabled-looking bitmaps, gradient fills, the parent's picture
// behind a windowless control, font following, and a canvas over the whole desktop.
#pragma once

#include "Controls.h"
#include "Graphics.h"

#include <memory>
#include <string>

enum TBvTrackFontOption : uint8_t {
    hoFollowFont = 1,
    hoPreserveCharSet = 2,
    hoPreserveColor = 4,
    hoPreserveHeight = 8,
    hoPreserveName = 16,
    hoPreservePitch = 32,
    hoPreserveStyle = 64,
};
using TBvTrackFontOptions = uint8_t;

int RectWidth(const TRect& r);
int RectHeight(const TRect& r);
// The right and bottom edges count as inside.
bool PtInRectInclusive(const TRect& r, TPoint p);
// The text when it fits maxWidth; else its longest start (at least two characters shorter)
// followed by "..." that fits; "..." alone at the worst.
std::string MinimizeText(const std::string& text, TCanvas* canvas, int maxWidth);
// DrawText on a canvas; the text is never modified, so DT_MODIFYSTRING is dropped.
int DrawText(TCanvas* canvas, const std::string& text, int len, TRect& r, uint32_t flags);

int CanvasTextHeight(TCanvas* canvas);
TColor PaletteColor(TColor color);
void UpdateTrackFont(TFont* trackFont, const TFont* font, TBvTrackFontOptions options);
// An 8 x 8 checkerboard of the two colours (the caller owns it).
TBitmap* CreateTwoColorsBrushPattern(TColor color1, TColor color2);
// Toggles a dotted inverted frame on the screen, over every window, count times.
void DrawInvertFrame(const TRect& screenRect, int count);
// Paints what lies behind a windowless control (its parent and earlier siblings) into dest.
void CopyParentImage(TControl* control, TCanvas* dest);
void AssignBitmapCell(TGraphic* source, TBitmap* dest, int cols, int rows, int index);
void StretchBltTransparent(HDC dstDC, int dstX, int dstY, int dstW, int dstH, HDC srcDC, int srcX,
                           int srcY, int srcW, int srcH, TColor transparentColor);
void DrawTransparentBitmapRect(TCanvas* dest, int dstX, int dstY, int dstW, int dstH,
                               TBitmap* bitmap, int srcX, int srcY, int srcW, int srcH,
                               TColor transparentColor);
void DrawTransparentBitmap(TCanvas* dest, int dstX, int dstY, TBitmap* bitmap,
                           TColor transparentColor);
// The callers own the bitmaps these make.
TBitmap* CreateDisabledBitmap(TBitmap* bitmap, TColor transparentColor);
TBitmap* CreateDisabledBitmapEx(TBitmap* bitmap, TColor transparentColor, TColor backColor,
                                bool drawHighlight, TColor shadowColor, TColor highlightColor);
TBitmap* CreateDisabledBitmapEmbossed(TBitmap* bitmap, TColor transparentColor);
void ImageListDrawDisabled(TCustomImageList* images, TCanvas* canvas, int x, int y, int index,
                           TColor highlightColor, TColor grayColor, bool drawHighlight);
// Direction 0 top to bottom, 1 bottom to top, 2 left to right, 3 right to left.
void GradientFillRect(TCanvas* canvas, const TRect& r, TColor startColor, TColor endColor,
                      int direction, int colors);

// A canvas over the whole desktop; the image stands in for the screen's device context.
class TBvDesktopCanvas : public TCanvas {
public:
    TBvDesktopCanvas();
    ~TBvDesktopCanvas() override;

private:
    std::unique_ptr<QImage> image_;
};
TBvDesktopCanvas* DesktopCanvas();
