#include "BvDrawUtils.h"

#include "Forms.h"
#include "ScopeExit.h"
#include "TextCodec.h"
#include "qt/WidgetBinding.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    double v = static_cast<double>(a) * b / c;
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

// Byte offsets of each code point start, so text is never cut inside a character.
// Where each of the first `limit` characters starts.
std::vector<size_t> CharStarts(const std::string& s, size_t limit = SIZE_MAX) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size() && starts.size() < limit; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}

TBitmap* MonochromeMask(TBitmap* bitmap, TColor transparentColor) {
    auto* mask = new TBitmap;
    mask->Assign(*bitmap);
    mask->Mask(transparentColor);
    return mask;
}

} // namespace

int RectWidth(const TRect& r) {
    return r.Right - r.Left;
}
int RectHeight(const TRect& r) {
    return r.Bottom - r.Top;
}

bool PtInRectInclusive(const TRect& r, TPoint p) {
    return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
}

std::string MinimizeText(const std::string& text, TCanvas* canvas, int maxWidth) {
    if (!canvas)
        return text;
    // Printed characters are a pixel wide or more, so a start of maxWidth + 2 of them that is
    // already too wide tells that the text must be cut, and where the cut can lie, without
    // measuring (or even counting) a long text whole.
    const size_t probe = static_cast<size_t>(std::max(0, maxWidth)) + 2;
    std::vector<size_t> starts = CharStarts(text, probe + 1);
    auto candidate = [&](size_t keep) { return text.substr(0, starts[keep]) + "..."; };
    size_t tooWide = 0; // a count of characters known not to fit
    size_t fits = 0;    // a count known to fit (0: only "...")
    if (starts.size() > probe && canvas->TextWidth(text.substr(0, starts[probe])) > maxWidth) {
        tooWide = probe;
    } else {
        const int whole = canvas->TextWidth(text);
        if (whole <= maxWidth)
            return text;
        if (starts.size() > probe)
            starts = CharStarts(text);
        // At most all but the last two characters are kept.
        tooWide = starts.size() < 2 ? 0 : starts.size() - 1;
        // A long text that is cut late: start from the share of it that fits and widen the
        // step until the cut lies between two counts, which the halving below then closes.
        if (tooWide > 64) {
            const auto room = static_cast<double>(std::max(0, maxWidth - canvas->TextWidth("...")));
            size_t guess =
                std::min(tooWide - 1,
                         static_cast<size_t>(static_cast<double>(starts.size()) * room / whole));
            size_t step = 8;
            if (guess > 0 && canvas->TextWidth(candidate(guess)) <= maxWidth) {
                fits = guess;
                while (fits + step < tooWide &&
                       canvas->TextWidth(candidate(fits + step)) <= maxWidth) {
                    fits += step;
                    step *= 2;
                }
                tooWide = std::min(tooWide, fits + step);
            } else if (guess > 0) {
                tooWide = guess;
                while (tooWide > step && canvas->TextWidth(candidate(tooWide - step)) > maxWidth) {
                    tooWide -= step;
                    step *= 2;
                }
                fits = tooWide > step ? tooWide - step : 0;
            }
        }
    }
    // The most characters, before "...", that fit: a start only grows wider with each
    // character, so the count is found by halving.
    while (tooWide > fits + 1) {
        const size_t keep = fits + (tooWide - fits) / 2;
        if (canvas->TextWidth(candidate(keep)) <= maxWidth)
            fits = keep;
        else
            tooWide = keep;
    }
    return fits > 0 ? candidate(fits) : std::string("...");
}

int DrawText(TCanvas* canvas, const std::string& text, int len, TRect& r, uint32_t flags) {
    return DrawText(canvas, text, len, &r, flags & ~DT_MODIFYSTRING);
}

int CanvasTextHeight(TCanvas* canvas) {
    return canvas ? canvas->TextMetrics().tmHeight : 0;
}

TColor PaletteColor(TColor color) {
    return ColorToRGB(color) | 0x02000000;
}

void UpdateTrackFont(TFont* trackFont, const TFont* font, TBvTrackFontOptions options) {
    if (!trackFont || !font || !(options & hoFollowFont))
        return;
    if (!(options & hoPreserveCharSet))
        trackFont->SetCharset(font->Charset());
    if (!(options & hoPreserveColor))
        trackFont->SetColor(font->Color());
    if (!(options & hoPreserveHeight))
        trackFont->SetHeight(font->Height());
    if (!(options & hoPreserveName))
        trackFont->SetName(font->Name());
    if (!(options & hoPreservePitch))
        trackFont->SetPitch(font->Pitch());
    if (!(options & hoPreserveStyle))
        trackFont->SetStyle(font->Style());
}

TBitmap* CreateTwoColorsBrushPattern(TColor color1, TColor color2) {
    auto* b = new TBitmap(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            b->SetPixel(x, y, ((x % 2) == (y % 2)) ? color2 : color1);
    return b;
}

TBvDesktopCanvas::TBvDesktopCanvas() {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    image_ = std::make_unique<QImage>(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    image_->fill(Qt::black);
    SetTarget(image_.get());
}
TBvDesktopCanvas::~TBvDesktopCanvas() {
    SetTarget(nullptr);
}

TBvDesktopCanvas* DesktopCanvas() {
    static TBvDesktopCanvas canvas;
    return &canvas;
}

void DrawInvertFrame(const TRect& screenRect, int count) {
    // On the screen itself, over every window; an even count changes nothing.
    if (count % 2 == 0)
        return;
    if (BvQt::HasApplication())
        BvQt::InvertScreenFrame(screenRect);
    else
        DesktopCanvas()->DrawFocusRect(screenRect);
}

void CopyParentImage(TControl* control, TCanvas* dest) {
    if (!control || !control->Parent() || !dest)
        return;
    TWinControl* parent = control->Parent();
    parent->ControlState |= csPaintCopy;
    TScopeExit unmark([p = parent] { p->ControlState &= ~csPaintCopy; });
    int saved = dest->SaveDC();
    TPoint vo = dest->ViewportOrg();
    dest->SetViewportOrg({vo.X - control->Left(), vo.Y - control->Top()});
    dest->IntersectClip(parent->ClientRect());
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<intptr_t>(dest), 0);
    // The parent's own picture only: a WM_PAINT would also paint its graphic children, the
    // caller among them, which would copy its parent again without end.
    parent->PaintWindow(*dest);
    dest->RestoreDC(saved);
    TRect self = control->BoundsRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        if (sibling == control)
            break;
        if (dynamic_cast<TWinControl*>(sibling) || !sibling->Visible())
            continue;
        TRect overlap;
        if (!IntersectRect(overlap, self, sibling->BoundsRect()))
            continue;
        sibling->ControlState |= csPaintCopy;
        saved = dest->SaveDC();
        vo = dest->ViewportOrg();
        dest->SetViewportOrg(
            {vo.X + sibling->Left() - control->Left(), vo.Y + sibling->Top() - control->Top()});
        dest->IntersectClip(Rect(0, 0, sibling->Width(), sibling->Height()));
        sibling->Perform(WM_PAINT, reinterpret_cast<intptr_t>(dest), 0);
        dest->RestoreDC(saved);
        sibling->ControlState &= ~csPaintCopy;
    }
}

void AssignBitmapCell(TGraphic* source, TBitmap* dest, int cols, int rows, int index) {
    if (!source || !dest)
        return;
    cols = std::max(1, cols);
    rows = std::max(1, rows);
    index = std::max(0, index);
    int w = source->Width() / cols, h = source->Height() / rows;
    dest->SetSize(w, h);
    if (auto* bmp = dynamic_cast<TBitmap*>(source)) {
        int cx = (index % cols) * w, cy = (index / cols) * h;
        dest->Canvas()->BitBltFrom(0, 0, w, h, bmp->Canvas(), cx, cy, SRCCOPY);
        dest->SetTransparentColor(bmp->TransparentColor());
    } else {
        dest->Canvas()->Brush()->SetColor(0xC0C0C0);
        dest->Canvas()->FillRect(Rect(0, 0, w, h));
        int cx = (index % cols) * w, cy = (index / cols) * h;
        dest->Canvas()->Draw(-cx, -cy, source);
    }
    dest->SetTransparent(source->Transparent());
}

void StretchBltTransparent(HDC dstDC, int dstX, int dstY, int dstW, int dstH, HDC srcDC, int srcX,
                           int srcY, int srcW, int srcH, TColor transparentColor) {
    if (!dstDC || !srcDC || srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0)
        return;
    // Masks: transparent pixels white in the mask; the copy is cut out by the inverted mask.
    TBitmap copy(srcW, srcH), mask(srcW, srcH), inverted(srcW, srcH), result(dstW, dstH);
    mask.SetMonochrome(true);
    inverted.SetMonochrome(true);
    copy.Canvas()->BitBltFrom(0, 0, srcW, srcH, srcDC, srcX, srcY, SRCCOPY);
    TColor oldBk = copy.Canvas()->SetBkColorDC(PaletteColor(transparentColor) & 0xFFFFFF);
    mask.Canvas()->BitBltFrom(0, 0, srcW, srcH, copy.Canvas(), 0, 0, SRCCOPY);
    copy.Canvas()->SetBkColorDC(oldBk);
    inverted.Canvas()->BitBltFrom(0, 0, srcW, srcH, mask.Canvas(), 0, 0, NOTSRCCOPY);
    result.Canvas()->BitBltFrom(0, 0, dstW, dstH, dstDC, dstX, dstY, SRCCOPY);
    // One-bit sources paint white where set: the result's text and background give that.
    result.Canvas()->SetTextColorDC(clBlack);
    result.Canvas()->SetBkColorDC(clWhite);
    result.Canvas()->StretchBltFrom(0, 0, dstW, dstH, mask.Canvas(), 0, 0, srcW, srcH, SRCAND);
    copy.Canvas()->SetTextColorDC(clBlack);
    copy.Canvas()->SetBkColorDC(clWhite);
    copy.Canvas()->BitBltFrom(0, 0, srcW, srcH, inverted.Canvas(), 0, 0, SRCAND);
    result.Canvas()->StretchBltFrom(0, 0, dstW, dstH, copy.Canvas(), 0, 0, srcW, srcH, SRCPAINT);
    dstDC->BitBltFrom(dstX, dstY, dstW, dstH, result.Canvas(), 0, 0, SRCCOPY);
}

void DrawTransparentBitmapRect(TCanvas* dest, int dstX, int dstY, int dstW, int dstH,
                               TBitmap* bitmap, int srcX, int srcY, int srcW, int srcH,
                               TColor transparentColor) {
    if (!dest || !bitmap || bitmap->Empty())
        return;
    if (dstW < 1)
        dstW = bitmap->Width();
    if (dstH < 1)
        dstH = bitmap->Height();
    if (srcW < 1 || srcH < 1) {
        srcX = srcY = 0;
        srcW = bitmap->Width();
        srcH = bitmap->Height();
    }
    bitmap->Canvas()->Lock();
    TScopeExit unlock([b = bitmap] { b->Canvas()->Unlock(); });
    if (transparentColor == clNone) {
        dest->StretchBltFrom(dstX, dstY, dstW, dstH, bitmap->Canvas(), srcX, srcY, srcW, srcH,
                             dest->CopyMode);
        return;
    }
    if (transparentColor == clDefault)
        transparentColor = bitmap->Pixel(0, bitmap->Height() - 1);
    transparentColor = bitmap->Monochrome() ? 0xFFFFFF : ColorToRGB(transparentColor);
    StretchBltTransparent(dest, dstX, dstY, dstW, dstH, bitmap->Canvas(), srcX, srcY, srcW, srcH,
                          transparentColor);
}

void DrawTransparentBitmap(TCanvas* dest, int dstX, int dstY, TBitmap* bitmap,
                           TColor transparentColor) {
    if (bitmap)
        DrawTransparentBitmapRect(dest, dstX, dstY, bitmap->Width(), bitmap->Height(), bitmap, 0, 0,
                                  bitmap->Width(), bitmap->Height(), transparentColor);
}

TBitmap* CreateDisabledBitmap(TBitmap* bitmap, TColor transparentColor) {
    return CreateDisabledBitmapEx(bitmap, transparentColor, clBtnFace, true, clBtnShadow,
                                  clBtnHighlight);
}

TBitmap* CreateDisabledBitmapEx(TBitmap* bitmap, TColor transparentColor, TColor backColor,
                                bool drawHighlight, TColor shadowColor, TColor highlightColor) {
    if (!bitmap)
        return nullptr;
    int w = bitmap->Width(), h = bitmap->Height();
    std::unique_ptr<TBitmap> mask(MonochromeMask(bitmap, transparentColor));
    auto* result = new TBitmap(w, h);
    TCanvas* c = result->Canvas();
    c->Brush()->SetColor(backColor);
    c->FillRect(Rect(0, 0, w, h));
    c->SetTextColorDC(clBlack);
    c->SetBkColorDC(clWhite);
    if (drawHighlight) {
        c->Brush()->SetColor(highlightColor);
        c->BitBltFrom(1, 1, w - 1, h - 1, mask->Canvas(), 0, 0, ROP_DSPDxax);
    }
    c->Brush()->SetColor(shadowColor);
    c->SetTextColorDC(clBlack);
    c->SetBkColorDC(clWhite);
    c->BitBltFrom(0, 0, w, h, mask->Canvas(), 0, 0, ROP_DSPDxax);
    return result;
}

TBitmap* CreateDisabledBitmapEmbossed(TBitmap* bitmap, TColor transparentColor) {
    if (!bitmap)
        return nullptr;
    int w = bitmap->Width(), h = bitmap->Height();
    auto* result = new TBitmap(w, h);
    result->Canvas()->Brush()->SetColor(transparentColor);
    result->Canvas()->FillRect(Rect(0, 0, w, h));
    TBitmap work(w, h);
    work.Canvas()->Brush()->SetColor(clWhite);
    work.Canvas()->FillRect(Rect(0, 0, w, h));
    DrawTransparentBitmap(work.Canvas(), 0, 0, bitmap, transparentColor);
    work.SetMonochrome(true);
    TCanvas* c = result->Canvas();
    c->SetTextColorDC(clWhite);
    c->SetBkColorDC(clBlack);
    c->Brush()->SetColor(clBtnHighlight);
    c->SetTextColorDC(clWhite);
    c->SetBkColorDC(clBlack);
    c->BitBltFrom(1, 1, w, h, work.Canvas(), 0, 0, ROP_DSPDxax);
    c->Brush()->SetColor(clBtnShadow);
    c->SetTextColorDC(clWhite);
    c->SetBkColorDC(clBlack);
    c->BitBltFrom(0, 0, w, h, work.Canvas(), 0, 0, ROP_DSPDxax);
    return result;
}

void ImageListDrawDisabled(TCustomImageList* images, TCanvas* canvas, int x, int y, int index,
                           TColor highlightColor, TColor grayColor, bool drawHighlight) {
    if (!images || !canvas || index < 0 || index >= images->Count())
        return;
    int w = images->Width(), h = images->Height();
    TBitmap mono(w, h);
    mono.Canvas()->Brush()->SetColor(clWhite);
    mono.Canvas()->FillRect(Rect(0, 0, w, h));
    images->DrawEx(mono.Canvas(), 0, 0, index, ILD_MASK);
    mono.SetMonochrome(true);
    TColor oldBrush = canvas->Brush()->Color();
    TColor oldText = canvas->SetTextColorDC(clWhite);
    TColor oldBk = canvas->SetBkColorDC(clBlack);
    if (drawHighlight) {
        canvas->Brush()->SetColor(highlightColor);
        canvas->SetTextColorDC(clWhite);
        canvas->SetBkColorDC(clBlack);
        canvas->BitBltFrom(x + 1, y + 1, w, h, mono.Canvas(), 0, 0, ROP_DSPDxax);
    }
    canvas->Brush()->SetColor(grayColor);
    canvas->SetTextColorDC(clWhite);
    canvas->SetBkColorDC(clBlack);
    canvas->BitBltFrom(x, y, w, h, mono.Canvas(), 0, 0, ROP_DSPDxax);
    canvas->Brush()->SetColor(oldBrush);
    canvas->SetTextColorDC(oldText);
    canvas->SetBkColorDC(oldBk);
}

void GradientFillRect(TCanvas* canvas, const TRect& r, TColor startColor, TColor endColor,
                      int direction, int colors) {
    if (!canvas || (startColor == clNone && endColor == clNone) || IsRectEmpty(r))
        return;
    canvas->Lock();
    TScopeExit unlock([c = canvas] { c->Unlock(); });
    TColor start = ColorToRGB(startColor), end = ColorToRGB(endColor);
    if (direction == 1 || direction == 3) {
        std::swap(start, end);
        direction -= 1;
    }
    TColor oldBrush = canvas->Brush()->Color();
    TScopeExit restore([c = canvas, color = oldBrush] { c->Brush()->SetColor(color); });
    if (colors < 2 || start == end) {
        canvas->Brush()->SetColor(start);
        canvas->FillRect(r);
        return;
    }
    bool vertical = direction == 0;
    int extent = vertical ? r.Height() : r.Width();
    // At least two bands, so the colour step never divides by zero; a band of no pixels
    // is skipped and the whole extent then takes the end colour.
    int n = std::max(2, std::min(colors, extent));
    int band = extent / n;
    auto mix = [&](int i, int shift) {
        int s = (start >> shift) & 0xFF, e = (end >> shift) & 0xFF;
        return (s + MulDiv(i, e - s, n - 1)) & 0xFF;
    };
    if (band > 0)
        for (int i = 0; i < n; ++i) {
            canvas->Brush()->SetColor(RGB(mix(i, 0), mix(i, 8), mix(i, 16)));
            if (vertical)
                canvas->FillRect(Rect(r.Left, r.Top + i * band, r.Right, r.Top + (i + 1) * band));
            else
                canvas->FillRect(Rect(r.Left + i * band, r.Top, r.Left + (i + 1) * band, r.Bottom));
        }
    int rest = extent - band * n;
    if (rest > 0) {
        canvas->Brush()->SetColor(end);
        if (vertical)
            canvas->FillRect(Rect(r.Left, r.Bottom - rest, r.Right, r.Bottom));
        else
            canvas->FillRect(Rect(r.Right - rest, r.Top, r.Right, r.Bottom));
    }
}
