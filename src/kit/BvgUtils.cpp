#include "BvgUtils.h"

#include "BvDrawUtils.h"
#include "Bvg3DColors.h"
#include "WinApi.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Keeps the pen, brush, font, pen position and background mode of a canvas and puts them back.
class TSavedTools {
public:
    explicit TSavedTools(TCanvas* dc) : dc_(dc), pos_(dc->PenPos()), mode_(dc->BkMode()) {
        pen_.Assign(*dc->Pen());
        brush_.Assign(*dc->Brush());
        font_.Assign(*dc->Font());
        text_ = dc->TextColor();
    }
    ~TSavedTools() {
        dc_->Pen()->Assign(pen_);
        dc_->Brush()->Assign(brush_);
        dc_->Font()->Assign(font_);
        dc_->SetPenPos(pos_);
        dc_->SetBkModeDC(mode_);
        dc_->SetTextColorDC(text_);
    }
    TSavedTools(const TSavedTools&) = delete;
    TSavedTools& operator=(const TSavedTools&) = delete;

private:
    TCanvas* dc_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint pos_;
    int mode_;
    TColor text_ = 0;
};

TColor Shifted(TColor base, int shift) {
    TColor rgb = ColorToRGB(base);
    auto ch = [shift](int v) { return std::clamp(v + shift, 0, 255); };
    return RGB(ch(GetRValue(rgb)), ch(GetGValue(rgb)), ch(GetBValue(rgb)));
}

} // namespace

TRect DrawBevelBox(HDC dc, TRect r, TglSides sides, TBevelCut inner, TBevelCut outer, bool bold,
                   TColor background, bool transparent) {
    if (!dc)
        return r;
    TColor dark, light, shadow;
    if (CurrentLocalColors) {
        dark = ColorToRGB(CurrentLocalColors->DkShadow());
        light = ColorToRGB(CurrentLocalColors->Highlight());
        shadow = ColorToRGB(CurrentLocalColors->Shadow());
    } else {
        dark = GetSysColor(COLOR_3DDKSHADOW);
        light = GetSysColor(COLOR_BTNHIGHLIGHT);
        shadow = GetSysColor(COLOR_BTNSHADOW);
    }
    TSavedTools saved(dc);
    int width = std::max(1, dc->Pen()->Width());
    TPenStyle style = dc->Pen()->Style();
    auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
        dc->Pen()->SetColor(c);
        dc->Pen()->SetWidth(width);
        dc->Pen()->SetStyle(style);
        dc->MoveTo(x1, y1);
        dc->LineTo(x2, y2);
    };
    auto cut = [&](TBevelCut kind) {
        if (kind == TBevelCut::bvNone)
            return;
        const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
        if (sides & fsdLeft) {
            if (kind == TBevelCut::bvLowered && bold) {
                line(dark, L, T, L, B);
                ++r.Left;
                line(shadow, L + 1, T + 1, L + 1, (sides & fsdBottom) ? B : B + 1);
                ++r.Left;
            } else if (kind == TBevelCut::bvRaised) {
                line(light, L, T, L, B + 1);
                ++r.Left;
            } else {
                line(shadow, L, T, L, B);
                ++r.Left;
            }
        }
        if (sides & fsdTop) {
            if (kind == TBevelCut::bvLowered && bold) {
                line(dark, L, T, R, T);
                ++r.Top;
                line(shadow, L + 1, T + 1, R, T + 1);
                ++r.Top;
            } else if (kind == TBevelCut::bvRaised) {
                line(light, L, T, R, T);
                ++r.Top;
            } else {
                line(shadow, L, T, R, T);
                ++r.Top;
            }
        }
        if (sides & fsdRight) {
            if (kind == TBevelCut::bvLowered) {
                line(light, R, T, R, B);
                --r.Right;
            } else if (kind == TBevelCut::bvRaised && bold) {
                line(dark, R, T, R, B + 1);
                --r.Right;
                line(shadow, R - 1, T + 1, R - 1, B + 1);
                --r.Right;
            } else if (kind == TBevelCut::bvRaised) {
                line(shadow, R, T, R, B + 1);
                --r.Right;
            } else {
                line(shadow, R, T, R, B);
                --r.Right;
            }
        }
        if (sides & fsdBottom) {
            if (kind == TBevelCut::bvLowered) {
                line(light, L, B, R + 1, B);
                --r.Bottom;
            } else if (kind == TBevelCut::bvRaised && bold) {
                line(dark, L, B, R, B);
                --r.Bottom;
                line(shadow, (sides & fsdLeft) ? L + 1 : L, B - 1, R, B - 1);
                --r.Bottom;
            } else if (kind == TBevelCut::bvRaised) {
                line(shadow, L, B, R, B);
                --r.Bottom;
            } else {
                line(shadow, L, B, R + 1, B);
                --r.Bottom;
            }
        }
    };
    cut(outer);
    cut(inner);
    if (!transparent) {
        dc->Brush()->SetStyle(TBrushStyle::bsSolid);
        dc->Brush()->SetColor(background);
        dc->FillRect(Rect(r.Left, r.Top, r.Right + 1, r.Bottom + 1));
    }
    return r;
}

void FillGradientRect(HDC dc, const TRect& r, TBvgCustomGradient* gradient, int penWidth,
                      TPenStyle penStyle) {
    if (gradient)
        gradient->DrawInRect(dc, r, penWidth, penStyle);
}

void DrawStyledText(HDC dc, int x, int y, const TFont* font, TBvgCustomGradient* textGradient,
                    const TBvgIllumination* illumination, TColor highlight, TColor shadow,
                    TColor delineate, TColor textColor, bool skipRelief, bool delineated,
                    TglTextStyle style, const std::string& text, const TRect& clip) {
    if (!dc || !font)
        return;
    TSavedTools saved(dc);
    dc->Font()->Assign(*font);
    dc->SetBkModeDC(TRANSPARENT);
    auto out = [&](TColor c, int px, int py) {
        dc->SetTextColorDC(ColorToRGB(c));
        ExtTextOut(dc, px, py, ETO_CLIPPED, &clip, text);
    };
    auto face = [&](int o) {
        int fx = x + o, fy = y + o;
        if (delineated) {
            if (!skipRelief) {
                out(delineate, fx, fy);
                out(delineate, fx + 2, fy + 2);
                out(delineate, fx, fy + 2);
                out(delineate, fx + 2, fy);
            }
            ++fx;
            ++fy;
        }
        if (textGradient) {
            dc->SaveDC();
            dc->IntersectClip(clip);
            textGradient->GradientTextOut(dc, fx, fy, text, clip);
            dc->RestoreDC(-1);
        } else {
            out(textColor, fx, fy);
        }
    };
    int d = delineated ? 4 : 2;
    if (style == TglTextStyle::fstNone || style == TglTextStyle::fstShadow)
        d = d / 2 - 1;
    int depth = illumination ? illumination->ShadowDepth() : 2;
    switch (style) {
    case TglTextStyle::fstRaised:
    case TglTextStyle::fstRecessed: {
        bool raised = style == TglTextStyle::fstRaised;
        if (!skipRelief) {
            out(raised ? highlight : shadow, x, y);
            out(raised ? shadow : highlight, x + d, y + d);
        }
        face(1);
        break;
    }
    case TglTextStyle::fstPushed:
        out(highlight, x + 1, y + 1);
        out(shadow, x, y);
        break;
    case TglTextStyle::fstShadow:
        if (!skipRelief)
            out(shadow, x + d + depth, y + d + depth);
        face(0);
        break;
    case TglTextStyle::fstVolumetric:
        if (!skipRelief)
            for (int k = 1; k <= depth; ++k)
                out(shadow, x + k, y + k);
        face(0);
        break;
    default:
        face(0);
        break;
    }
}

void DrawStyledTextInRect(HDC dc, const TRect& r, const std::string& text, TglTextStyle style,
                          const TFont* font, uint32_t format) {
    if (!dc || !font)
        return;
    TSavedTools saved(dc);
    dc->Font()->Assign(*font);
    dc->SetBkModeDC(TRANSPARENT);
    if (format == 0)
        format = DT_SINGLELINE | DT_VCENTER;
    auto out = [&](TColor c, int dx, int dy) {
        TRect q = r;
        OffsetRect(q, dx, dy);
        dc->SetTextColorDC(ColorToRGB(c));
        dc->DrawTextW(text, q, format);
    };
    TColor textColor = font->Color();
    switch (style) {
    case TglTextStyle::fstRaised:
        out(clBtnHighlight, -1, -1);
        out(clBtnShadow, 1, 1);
        out(textColor, 0, 0);
        break;
    case TglTextStyle::fstRecessed:
        out(clBtnShadow, -1, -1);
        out(clBtnHighlight, 1, 1);
        out(textColor, 0, 0);
        break;
    case TglTextStyle::fstPushed:
        out(clBtnHighlight, 0, 0);
        out(clBtnShadow, -1, -1);
        break;
    case TglTextStyle::fstShadow:
        out(clBtnShadow, 2, 2);
        out(textColor, 0, 0);
        break;
    default:
        out(textColor, 0, 0);
        break;
    }
}

namespace {

// The embossed look of a disabled picture: every pixel that is not the background shows as a
// highlight one pixel down and right, under a shadow in its own place, on the button face.
void MakeDisabled(TBitmap& work, const TBitmap& source, TColor background) {
    int w = source.Width(), h = source.Height();
    TColor face = ColorToRGB(clBtnFace);
    TColor light = ColorToRGB(clBtnHighlight);
    TColor shade = ColorToRGB(clBtnShadow);
    TColor bg = ColorToRGB(background);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            work.SetPixel(x, y, face);
    auto ink = [&](int x, int y) { return source.Pixel(x, y) != bg; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ink(x, y) && x + 1 < w && y + 1 < h)
                work.SetPixel(x + 1, y + 1, light);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ink(x, y))
                work.SetPixel(x, y, shade);
}

void PutImage(HDC dc, TBitmap* image, int x, int y, int w, int h, int clipW, int clipH,
              bool transparent, TColor key) {
    int cw = std::min(w, clipW), ch = std::min(h, clipH);
    if (cw <= 0 || ch <= 0)
        return;
    bool stretched = w != image->Width() || h != image->Height();
    std::unique_ptr<TBitmap> scaled;
    TBitmap* src = image;
    if (stretched) {
        scaled = std::make_unique<TBitmap>(w, h);
        scaled->Canvas()->StretchBltFrom(0, 0, w, h, image->Canvas(), 0, 0, image->Width(),
                                         image->Height(), SRCCOPY);
        src = scaled.get();
    }
    if (!transparent) {
        dc->BitBltFrom(x, y, cw, ch, src->Canvas(), 0, 0, SRCCOPY);
        return;
    }
    DrawTransparentBitmapRect(dc, x, y, cw, ch, src, 0, 0, cw, ch, ColorToRGB(key));
}

} // namespace

void PaintBitmap(HDC dc, TBitmap* bitmap, const TRect& r, int x, int y, int fillOption,
                 int drawState, bool transparent, TColor transparentColor, TColor) {
    if (!dc || !BitmapHasImage(bitmap))
        return;
    int bw = bitmap->Width(), bh = bitmap->Height();
    TBitmap work(bw, bh);
    TColor key = ColorToRGB(transparentColor);
    work.Canvas()->Brush()->SetColor(key);
    work.Canvas()->FillRect(Rect(0, 0, bw, bh));
    if (drawState == fdsDisabled) {
        MakeDisabled(work, *bitmap, key);
        key = ColorToRGB(clBtnFace);
    } else {
        work.Canvas()->BitBltFrom(0, 0, bw, bh, bitmap->Canvas(), 0, 0, SRCCOPY);
        if (drawState == fdsSystemColors) {
            ReplaceBitmapColor(&work, clWhite, clBtnHighlight);
            ReplaceBitmapColor(&work, clGray, clBtnShadow);
        }
    }
    int dx = r.Left + x, dy = r.Top + y;
    int w = bw, h = bh;
    if (fillOption == fopStretch) {
        w = r.Width();
        h = r.Height();
    } else if (fillOption == fopProportional) {
        double k =
            std::min(static_cast<double>(r.Width()) / bw, static_cast<double>(r.Height()) / bh);
        w = static_cast<int>(std::lround(bw * k));
        h = static_cast<int>(std::lround(bh * k));
    }
    if (w <= 0 || h <= 0)
        return;
    if (fillOption != fopTile) {
        PutImage(dc, &work, dx, dy, w, h, w, h, transparent, key);
        return;
    }
    for (int ty = dy; ty < r.Bottom; ty += bh)
        for (int tx = dx; tx < r.Right; tx += bw)
            PutImage(dc, &work, tx, ty, bw, bh, r.Right - tx, r.Bottom - ty, transparent, key);
}

void ReplaceBitmapColor(TBitmap* bitmap, TColor from, TColor to) {
    if (!BitmapHasImage(bitmap))
        return;
    TColor f = ColorToRGB(from), t = ColorToRGB(to);
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (bitmap->Pixel(x, y) == f)
                bitmap->SetPixel(x, y, t);
}

void PaintParentBackground(TControl* control, const TRect& r, HDC dc) {
    if (!control || !control->Parent() || !dc)
        return;
    TRect part;
    if (!IntersectRect(part, control->BoundsRect(), r))
        return;
    int saved = dc->SaveDC();
    // The copy is laid out from the control's corner; dc starts at the rectangle's corner.
    TPoint vo = dc->ViewportOrg();
    dc->SetViewportOrg({vo.X + control->Left() - r.Left, vo.Y + control->Top() - r.Top});
    dc->IntersectClip(Rect(part.Left - control->Left(), part.Top - control->Top(),
                           part.Right - control->Left(), part.Bottom - control->Top()));
    CopyParentImage(control, dc);
    dc->RestoreDC(saved);
}

bool BitmapHasImage(const TBitmap* bitmap) {
    return bitmap && bitmap->Width() != 0 && bitmap->Height() != 0;
}

TColor GetAutoTransparentColor(TBitmap* bitmap, TglAutoTransparentColor which) {
    if (!BitmapHasImage(bitmap))
        return 0;
    int w = bitmap->Width(), h = bitmap->Height();
    switch (which) {
    case TglAutoTransparentColor::ftcLeftTopPixel:
        return bitmap->Pixel(0, 0);
    case TglAutoTransparentColor::ftcLeftBottomPixel:
        return bitmap->Pixel(0, h - 1);
    case TglAutoTransparentColor::ftcRightTopPixel:
        return bitmap->Pixel(w - 1, 0);
    case TglAutoTransparentColor::ftcRightBottomPixel:
        return bitmap->Pixel(w - 1, h - 1);
    default:
        return 0;
    }
}

void DeriveReliefColors(TColor base, TBvgCustomLabelColors* colors) {
    if (!colors)
        return;
    if (colors->AutoShadow())
        colors->SetShadow(Shifted(base, -colors->ShadowShift()));
    if (colors->AutoHighlight())
        colors->SetHighlight(Shifted(base, colors->HighlightShift()));
}
