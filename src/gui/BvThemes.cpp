#include "BvThemes.h"
#include "ScopeExit.h"

TThemeServices* ThemeServices() {
    static TThemeServices services;
    return &services;
}

void IncludeThemeStyle(TControl* control, TControlStyle style) {
    if (control)
        control->ControlStyle |= style & (csNeedsBorderPaint | csParentBackground);
}

TControlStyle GetThemeStyle(const TControl* control) {
    return control ? control->ControlStyle & (csNeedsBorderPaint | csParentBackground) : 0;
}

void DrawThemedBackground(TControl* control, TCanvas* canvas, const TRect& r,
                          bool needsParentBackground) {
    if (canvas)
        DrawThemedBackground(control, canvas, r, needsParentBackground, canvas->Brush()->Color());
}

void DrawThemedBackground(TControl* control, TCanvas* canvas, const TRect& r,
                          bool needsParentBackground, TColor color) {
    if (!canvas)
        return;
    if (control && !control->IsDesigning() && control->Parent() &&
        (color == control->Parent()->Color() ||
         ColorToRGB(color) == ColorToRGB(control->Parent()->Color())) &&
        ThemeServices()->ThemesEnabled() &&
        (!needsParentBackground || (control->ControlStyle & csParentBackground))) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (!windowed || windowed->DoubleBuffered)
            PerformEraseBackground(control, canvas->Handle(), &r);
        else
            ThemeServices()->DrawParentBackground(windowed->Handle(), canvas->Handle(), &r);
        return;
    }
    TColor old = canvas->Brush()->Color();
    bool differs = old != color;
    if (differs)
        canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
    if (differs)
        canvas->Brush()->SetColor(old);
}

void PerformEraseBackground(TControl* control, HDC dc, const TRect* r) {
    if (control)
        PerformEraseBackground(control, dc, {control->Left(), control->Top()}, r);
}

void PerformEraseBackground(TControl* control, HDC dc, TPoint offset, const TRect* r) {
    if (!control || !control->Parent() || !dc)
        return;
    // Origin, clip and every other part of the context come back as they were.
    int saved = dc->SaveDC();
    // Each offset shifts on its own: a control at x 0 still needs its y shift.
    if (offset.X != 0 || offset.Y != 0) {
        TPoint org = dc->WindowOrg();
        dc->SetWindowOrg({org.X + offset.X, org.Y + offset.Y});
    }
    if (r) {
        dc->SetClipRect(nullptr);
        dc->IntersectClip(*r);
    }
    TScopeExit restore([dc, saved] { dc->RestoreDC(saved); });
    control->Parent()->Perform(WM_ERASEBKGND, reinterpret_cast<intptr_t>(dc),
                               reinterpret_cast<intptr_t>(dc));
}

void InitThemeSupport() {
    SetPrintClientKeepsState(true);
}
void DoneThemeSupport() {
    SetPrintClientKeepsState(false);
}
