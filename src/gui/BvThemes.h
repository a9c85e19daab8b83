// Theme support: a common way for the kit's controls to paint a background that blends
// with their parent, two control-style flags for it, and the start-up measure that keeps
// a device context's state across every control's WM_PRINTCLIENT handling. Visual themes
// are off on this platform, which the controls handle as the plain-colour case.
#pragma once

#include "Controls.h"

class TThemeServices {
public:
    bool ThemesEnabled() const { return false; }
    bool ThemesAvailable() const { return false; }
    // Nothing to draw while themes are off.
    void DrawParentBackground(HWND, HDC, const TRect*) {}
};

TThemeServices* ThemeServices();

// Adds the members of style that are csNeedsBorderPaint or csParentBackground.
void IncludeThemeStyle(TControl* control, TControlStyle style);
TControlStyle GetThemeStyle(const TControl* control);

void DrawThemedBackground(TControl* control, TCanvas* canvas, const TRect& r,
                          bool needsParentBackground = true);
void DrawThemedBackground(TControl* control, TCanvas* canvas, const TRect& r,
                          bool needsParentBackground, TColor color);

// The parent erases its background into dc, shifted so that it lines up with the control.
void PerformEraseBackground(TControl* control, HDC dc, const TRect* r = nullptr);
void PerformEraseBackground(TControl* control, HDC dc, TPoint offset, const TRect* r = nullptr);

// Start-up and end of the kit: WM_PRINTCLIENT keeps the context's state while installed.
void InitThemeSupport();
void DoneThemeSupport();
