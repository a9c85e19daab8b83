// Drawing routines of the self-drawn group box and list box: a bevelled box, a gradient fill,
// text in six relief styles, a bitmap drawn stretched, tiled, disabled-looking and with a
// transparent colour, a bitmap colour swap, and what lies under a control.
#pragma once

#include "BvgCommClasses.h"
#include "Controls.h"
#include "Graphics.h"

#include <string>

// Draws the outer, then the inner cut on the chosen sides of r (right and bottom inclusive),
// fills what is left unless transparent, and returns the rectangle inside the bevels. The
// colours are the current local 3-D colours, else the system's.
TRect DrawBevelBox(HDC dc, TRect r, TglSides sides, TBevelCut inner, TBevelCut outer, bool bold,
                   TColor background, bool transparent);
void FillGradientRect(HDC dc, const TRect& r, TBvgCustomGradient* gradient, int penWidth = 1,
                      TPenStyle penStyle = TPenStyle::psSolid);
// One line of text at (x, y) in a relief style, clipped to clip.
void DrawStyledText(HDC dc, int x, int y, const TFont* font, TBvgCustomGradient* textGradient,
                    const TBvgIllumination* illumination, TColor highlight, TColor shadow,
                    TColor delineate, TColor textColor, bool skipRelief, bool delineated,
                    TglTextStyle style, const std::string& text, const TRect& clip);
// DrawText in a simpler relief; format 0 means one line, centred vertically.
void DrawStyledTextInRect(HDC dc, const TRect& r, const std::string& text, TglTextStyle style,
                          const TFont* font, uint32_t format = 0);

enum TBvgFillOption : int { fopNone = 0, fopStretch = 1, fopProportional = 2, fopTile = 3 };
enum TBvgDrawState : int { fdsNormal = 0, fdsDisabled = 1, fdsSystemColors = 2 };
// Draws bitmap into r at offset (x, y); nothing for an empty bitmap.
void PaintBitmap(HDC dc, TBitmap* bitmap, const TRect& r, int x, int y, int fillOption,
                 int drawState, bool transparent, TColor transparentColor,
                 TColor disabledMaskColor = 0);
void ReplaceBitmapColor(TBitmap* bitmap, TColor from, TColor to);
// Paints into dc what lies under the control inside r (parent coordinates): the parent's own
// painting and its graphic controls below the control; dc's origin is r's top-left corner.
void PaintParentBackground(TControl* control, const TRect& r, HDC dc);
bool BitmapHasImage(const TBitmap* bitmap);
TColor GetAutoTransparentColor(TBitmap* bitmap, TglAutoTransparentColor which);
// Fills in the shadow and highlight that the colour set derives from base, when it asks to.
void DeriveReliefColors(TColor base, TBvgCustomLabelColors* colors);
template <class T> T ChooseValue(bool condition, T ifTrue, T ifFalse) {
    return condition ? ifTrue : ifFalse;
}
