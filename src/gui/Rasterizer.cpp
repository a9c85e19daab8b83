// The canvas's pixel work: raster operations, pens with their line ends and dashes,
// brushes and patterns, shapes, blits and the drawing routines of a device context.
#include "CanvasPixels.h"
#include "Graphics.h"
#include "qt/QtBridge.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <functional>

namespace {

// The truth-table index of a raster operation: pattern weighs 4, source 2, destination 1.
uint32_t Minterms(uint32_t table, int inputs, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t result = 0;
    for (int idx = 0; idx < (1 << inputs); ++idx) {
        if (!((table >> idx) & 1))
            continue;
        uint32_t term = kRgbMask;
        if (inputs == 3)
            term &= (idx & 4) ? p : ~p;
        term &= (idx & 2) ? s : ~s;
        term &= (idx & 1) ? d : ~d;
        result |= term;
    }
    return result & kRgbMask;
}

const int kDash[] = {18, 6};
const int kDot[] = {3, 3};
const int kDashDot[] = {9, 6, 3, 6};
const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

bool DashOn(TPenStyle style, int pos) {
    const int* pattern = nullptr;
    int n = 0;
    switch (style) {
    case TPenStyle::psDash:
        pattern = kDash;
        n = 2;
        break;
    case TPenStyle::psDot:
        pattern = kDot;
        n = 2;
        break;
    case TPenStyle::psDashDot:
        pattern = kDashDot;
        n = 4;
        break;
    case TPenStyle::psDashDotDot:
        pattern = kDashDotDot;
        n = 6;
        break;
    default:
        return true;
    }
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += pattern[i];
    pos %= total;
    for (int i = 0; i < n; ++i) {
        if (pos < pattern[i])
            return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

} // namespace

uint32_t ApplyRop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t dest) {
    return Minterms((rop >> 16) & 0xFF, 3, pattern, source, dest);
}

uint32_t ApplyRop2(TPenMode mode, uint32_t pen, uint32_t dest) {
    static const int kR2[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    uint32_t table = static_cast<uint32_t>(kR2[static_cast<int>(mode)] - 1);
    return Minterms(table, 2, 0, pen, dest);
}

uint32_t TCanvas::ToDeviceColor(TColor c) const {
    uint32_t px = RgbToPixel(ColorToRGB(c));
    if (monochrome_)
        px = IsWhiteForMono(px) ? kRgbMask : 0;
    return px;
}

uint32_t TCanvas::DevicePixel(int x, int y) const {
    return reinterpret_cast<const uint32_t*>(target_->constScanLine(y))[x] & kRgbMask;
}

uint32_t TCanvas::BrushPixel(int vx, int vy, bool& paint) const {
    paint = true;
    if (TBitmap* pattern = brush_->Bitmap(); pattern && !pattern->Empty()) {
        int px = ((vx % pattern->Width()) + pattern->Width()) % pattern->Width();
        int py = ((vy % pattern->Height()) + pattern->Height()) % pattern->Height();
        uint32_t v = RgbToPixel(pattern->Pixel(px, py));
        if (pattern->Monochrome())
            v = v ? ToDeviceColor(bkColor_) : ToDeviceColor(textColor_);
        return v;
    }
    bool on = true;
    int x = vx & 7, y = vy & 7;
    switch (brush_->Style()) {
    case TBrushStyle::bsClear:
        paint = false;
        return 0;
    case TBrushStyle::bsSolid:
        break;
    case TBrushStyle::bsHorizontal:
        on = y == 0;
        break;
    case TBrushStyle::bsVertical:
        on = x == 0;
        break;
    case TBrushStyle::bsFDiagonal:
        on = ((x - y) & 7) == 0;
        break;
    case TBrushStyle::bsBDiagonal:
        on = ((x + y) & 7) == 7;
        break;
    case TBrushStyle::bsCross:
        on = x == 0 || y == 0;
        break;
    case TBrushStyle::bsDiagCross:
        on = ((x - y) & 7) == 0 || ((x + y) & 7) == 7;
        break;
    }
    if (on)
        return ToDeviceColor(brush_->Color());
    if (bkMode_ == OPAQUE)
        return ToDeviceColor(bkColor_);
    paint = false;
    return 0;
}

void TCanvas::PutPen(const TRect& clip, int dx, int dy, uint32_t color) {
    if (!PtInRect(clip, {dx, dy}))
        return;
    auto* px = reinterpret_cast<uint32_t*>(target_->scanLine(dy)) + dx;
    *px = 0xFF000000u | ApplyRop2(pen_->Mode(), color, *px & kRgbMask);
}

void TCanvas::PenPixel(const TRect& clip, int dx, int dy, bool xMajor, TPoint o, int& dashPos) {
    TPenStyle style = pen_->Style();
    if (style == TPenStyle::psClear)
        return;
    // Dashes keep their logical length: a device step is 1/scale of a logical one.
    bool on = pen_->Width() > 1 || DashOn(style, dashPos / scale_);
    ++dashPos;
    uint32_t color;
    if (on)
        color = ToDeviceColor(pen_->Color());
    else if (bkMode_ == OPAQUE)
        color = ToDeviceColor(bkColor_);
    else
        return;
    int w = pen_->Width();
    if (w <= 1) {
        // One logical pixel thick: a run of scale_ device pixels across the main direction.
        for (int i = 0; i < scale_; ++i) {
            if (xMajor)
                PutPen(clip, dx, dy - o.Y + i, color);
            else
                PutPen(clip, dx - o.X + i, dy, color);
        }
        return;
    }
    int side = w * scale_, off = (w / 2) * scale_;
    int left = dx - o.X - off, top = dy - o.Y - off;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            PutPen(clip, left + x, top + y, color);
}

void TCanvas::PenDot(TPoint p, int& dashPos) {
    // A thin pen's runs side by side fill the block; a wide pen's square covers it at once.
    int columns = pen_->Width() > 1 ? 1 : scale_;
    const TRect clip = DeviceClip();
    int dash = dashPos;
    for (int i = 0; i < columns; ++i) {
        dash = dashPos;
        PenPixel(clip, p.X * scale_ + i, p.Y * scale_, true, {0, 0}, dash);
    }
    dashPos = dash;
}

// Bresenham from a up to but not including b (view coordinates), as the system draws lines,
// stepped at device resolution: the line covers the logical pixels it covers at scale 1 and
// a slanted line is no staircase of blocks. Each end sits in the corner of its pixel's block
// that the line leaves from, so lines drawn either way cover the same device pixels.
void TCanvas::DrawViewLine(TPoint a, TPoint b, int& dashPos) {
    TPoint o{b.X < a.X ? scale_ - 1 : 0, b.Y < a.Y ? scale_ - 1 : 0};
    TPoint from{a.X * scale_ + o.X, a.Y * scale_ + o.Y}, to{b.X * scale_ + o.X, b.Y * scale_ + o.Y};
    int dx = std::abs(to.X - from.X), dy = std::abs(to.Y - from.Y);
    int sx = from.X < to.X ? 1 : -1, sy = from.Y < to.Y ? 1 : -1;
    bool xMajor = dx >= dy;
    // A line wholly outside the clip draws nothing, but its dashes still run on.
    const TRect clip = DeviceClip();
    const int reach = std::max(pen_->Width(), 1) * scale_;
    if (std::max(from.X, to.X) + reach <= clip.Left ||
        std::min(from.X, to.X) - reach >= clip.Right ||
        std::max(from.Y, to.Y) + reach <= clip.Top ||
        std::min(from.Y, to.Y) - reach >= clip.Bottom) {
        dashPos += std::max(dx, dy);
        return;
    }
    int err = dx - dy;
    int x = from.X, y = from.Y;
    while (x != to.X || y != to.Y) {
        PenPixel(clip, x, y, xMajor, o, dashPos);
        int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::MoveTo(int x, int y) {
    penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    if (target_) {
        int dash = 0;
        DrawViewLine(ToView(penPos_.X, penPos_.Y), ToView(x, y), dash);
    }
    penPos_ = {x, y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty() || !target_)
        return;
    int dash = 0;
    for (size_t i = 1; i < points.size(); ++i)
        DrawViewLine(ToView(points[i - 1].X, points[i - 1].Y), ToView(points[i].X, points[i].Y),
                     dash);
    Changed();
}

void TCanvas::FillDeviceRect(const TRect& dr, bool withRop2) {
    TRect r;
    if (!IntersectRect(r, dr, DeviceClip()))
        return;
    // A solid brush is one colour everywhere: whole rows at once, as backgrounds are filled.
    if (!brush_->Bitmap() && brush_->Style() == TBrushStyle::bsSolid) {
        const uint32_t c = ToDeviceColor(brush_->Color());
        const bool copy = !withRop2 || pen_->Mode() == TPenMode::pmCopy;
        for (int y = r.Top; y < r.Bottom; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(y));
            if (copy) {
                std::fill(line + r.Left, line + r.Right, 0xFF000000u | c);
                continue;
            }
            for (int x = r.Left; x < r.Right; ++x)
                line[x] = 0xFF000000u | ApplyRop2(pen_->Mode(), c, line[x] & kRgbMask);
        }
        return;
    }
    for (int y = r.Top; y < r.Bottom; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(y));
        for (int x = r.Left; x < r.Right; ++x) {
            bool paint;
            uint32_t c = BrushPixel(x / scale_, y / scale_, paint);
            if (!paint)
                continue;
            line[x] = 0xFF000000u | (withRop2 ? ApplyRop2(pen_->Mode(), c, line[x] & kRgbMask) : c);
        }
    }
}

void TCanvas::FillMask(const QImage& mask, bool withRop2) {
    TRect clip = DeviceClip();
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const uchar* m = mask.constScanLine(y);
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(y));
        for (int x = clip.Left; x < clip.Right; ++x) {
            if (!m[x])
                continue;
            bool paint;
            uint32_t c = BrushPixel(x / scale_, y / scale_, paint);
            if (!paint)
                continue;
            line[x] = 0xFF000000u | (withRop2 ? ApplyRop2(pen_->Mode(), c, line[x] & kRgbMask) : c);
        }
    }
}

void TCanvas::FillRect(const TRect& r) {
    if (!target_)
        return;
    FillDeviceRect(ToDeviceRect(ToViewRect(r)), false);
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    if (!target_ || IsRectEmpty(r))
        return;
    TRect d = ToViewRect(r);
    FillDeviceRect(ToDeviceRect(Rect(d.Left, d.Top, d.Right, d.Top + 1)), false);
    FillDeviceRect(ToDeviceRect(Rect(d.Left, d.Bottom - 1, d.Right, d.Bottom)), false);
    FillDeviceRect(ToDeviceRect(Rect(d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1)), false);
    FillDeviceRect(ToDeviceRect(Rect(d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1)), false);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!target_)
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    TPoint a = ToView(x1, y1), b = ToView(x2, y2);
    if (pen_->Style() == TPenStyle::psClear) {
        FillDeviceRect(ToDeviceRect(Rect(a.X, a.Y, b.X - 1, b.Y - 1)), true);
    } else {
        int w = pen_->Width();
        FillDeviceRect(ToDeviceRect(Rect(a.X + w, a.Y + w, b.X - w, b.Y - w)), true);
        if (b.X - a.X >= 1 && b.Y - a.Y >= 1) {
            int dash = 0;
            TPoint tl = a, tr{b.X - 1, a.Y}, br{b.X - 1, b.Y - 1}, bl{a.X, b.Y - 1};
            DrawViewLine(tl, tr, dash);
            DrawViewLine(tr, br, dash);
            DrawViewLine(br, bl, dash);
            DrawViewLine(bl, tl, dash);
            if (tl == br)
                PenDot(tl, dash);
        }
    }
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (!target_ || points.size() < 2)
        return;
    QPolygon poly;
    for (const auto& p : points) {
        TPoint d = ToView(p.X, p.Y);
        poly << QPoint(d.X, d.Y);
    }
    QImage mask(target_->size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing, false);
        mp.scale(scale_, scale_);
        mp.setPen(Qt::NoPen);
        mp.setBrush(Qt::white);
        mp.drawPolygon(poly, Qt::OddEvenFill);
    }
    FillMask(mask, true);
    int dash = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const TPoint& p = points[i];
        const TPoint& q = points[(i + 1) % points.size()];
        DrawViewLine(ToView(p.X, p.Y), ToView(q.X, q.Y), dash);
    }
    Changed();
}

namespace {
// A shape drawn in view coordinates into a mask of the target's device pixels.
QImage ShapeMask(const QImage& target, int scale, bool outline,
                 const std::function<void(QPainter&)>& draw) {
    QImage mask(target.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter mp(&mask);
    mp.setRenderHint(QPainter::Antialiasing, false);
    mp.scale(scale, scale);
    if (outline) {
        mp.setPen(QPen(Qt::white, 1));
        mp.setBrush(Qt::NoBrush);
    } else {
        mp.setPen(Qt::NoPen);
        mp.setBrush(Qt::white);
    }
    draw(mp);
    return mask;
}
} // namespace

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    if (!target_)
        return;
    TPoint a = ToView(x1, y1), b = ToView(x2, y2);
    QRect r(a.X, a.Y, b.X - a.X - 1, b.Y - a.Y - 1);
    FillMask(ShapeMask(*target_, scale_, false, [&](QPainter& p) { p.drawEllipse(r); }), true);
    if (pen_->Style() != TPenStyle::psClear) {
        QImage outline = ShapeMask(*target_, scale_, true, [&](QPainter& p) { p.drawEllipse(r); });
        uint32_t c = ToDeviceColor(pen_->Color());
        TRect clip = DeviceClip();
        for (int y = clip.Top; y < clip.Bottom; ++y)
            for (int x = clip.Left; x < clip.Right; ++x)
                if (outline.constScanLine(y)[x])
                    PutPen(clip, x, y, c);
    }
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (!target_)
        return;
    TPoint a = ToView(x1, y1), b = ToView(x2, y2);
    QRect r(a.X, a.Y, b.X - a.X - 1, b.Y - a.Y - 1);
    auto draw = [&](QPainter& p) { p.drawRoundedRect(r, x3 / 2.0, y3 / 2.0); };
    FillMask(ShapeMask(*target_, scale_, false, draw), true);
    if (pen_->Style() != TPenStyle::psClear) {
        QImage outline = ShapeMask(*target_, scale_, true, draw);
        uint32_t c = ToDeviceColor(pen_->Color());
        TRect clip = DeviceClip();
        for (int y = clip.Top; y < clip.Bottom; ++y)
            for (int x = clip.Left; x < clip.Right; ++x)
                if (outline.constScanLine(y)[x])
                    PutPen(clip, x, y, c);
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (!target_ || IsRectEmpty(r))
        return;
    TRect d = ToViewRect(r);
    // Each border pixel once, every other one inverted, so drawing twice removes it; a
    // logical pixel is its whole block of device pixels.
    std::set<std::pair<int, int>> pixels;
    for (int x = d.Left; x < d.Right; ++x) {
        pixels.insert({x, d.Top});
        pixels.insert({x, d.Bottom - 1});
    }
    for (int y = d.Top; y < d.Bottom; ++y) {
        pixels.insert({d.Left, y});
        pixels.insert({d.Right - 1, y});
    }
    TRect clip = DeviceClip();
    for (auto [x, y] : pixels) {
        if (((x + y) & 1) != 0)
            continue;
        for (int j = 0; j < scale_; ++j)
            for (int i = 0; i < scale_; ++i) {
                TPoint p{x * scale_ + i, y * scale_ + j};
                if (!PtInRect(clip, p))
                    continue;
                auto* px = reinterpret_cast<uint32_t*>(target_->scanLine(p.Y)) + p.X;
                *px = 0xFF000000u | (~*px & kRgbMask);
            }
    }
    Changed();
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!target_)
        return -1;
    // A logical pixel reads as the top-left device pixel of its block.
    TPoint d = ToView(x, y);
    d = {d.X * scale_, d.Y * scale_};
    if (d.X < 0 || d.Y < 0 || d.X >= target_->width() || d.Y >= target_->height())
        return -1;
    return PixelToRgb(DevicePixel(d.X, d.Y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (!target_)
        return;
    TPoint v = ToView(x, y);
    if (!PtInRect(ViewClip(), v))
        return;
    uint32_t px = 0xFF000000u | ToDeviceColor(color);
    for (int j = 0; j < scale_; ++j) {
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(v.Y * scale_ + j));
        for (int i = 0; i < scale_; ++i)
            line[v.X * scale_ + i] = px;
    }
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    StretchBltFrom(dest.Left, dest.Top, dest.Width(), dest.Height(), source, sourceRect.Left,
                   sourceRect.Top, sourceRect.Width(), sourceRect.Height(), CopyMode);
}

void TCanvas::BitBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy,
                         uint32_t rop) {
    StretchBltFrom(x, y, w, h, source, sx, sy, w, h, rop);
}

void TCanvas::PatBlt(int x, int y, int w, int h, uint32_t rop) {
    StretchBltFrom(x, y, w, h, nullptr, 0, 0, w, h, rop);
}

void TCanvas::StretchBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw,
                             int sh, uint32_t rop) {
    if (!target_ || w <= 0 || h <= 0)
        return;
    bool useSource = source && source->target_;
    bool usePattern = false;
    {
        uint32_t t = (rop >> 16) & 0xFF;
        usePattern = ((t >> 4) & 0x0F) != (t & 0x0F);
    }
    // Both sides in device pixels: a source at the destination's scale is copied pixel for
    // pixel, a source of fewer device pixels is enlarged by repeating its pixels.
    const int ss = useSource ? source->scale_ : 1;
    TPoint v0 = ToView(x, y);
    TPoint d0{v0.X * scale_, v0.Y * scale_};
    int dw = w * scale_, dh = h * scale_;
    TPoint s0{};
    int64_t srcW = 0, srcH = 0;
    if (useSource) {
        TPoint sv = source->ToView(sx, sy);
        s0 = {sv.X * ss, sv.Y * ss};
        srcW = static_cast<int64_t>(sw) * ss;
        srcH = static_cast<int64_t>(sh) * ss;
    }
    TRect clip = DeviceClip();
    uint32_t srcBk = useSource ? RgbToPixel(source->bkColor_ & 0xFFFFFF) : 0;
    for (int j = 0; j < dh; ++j) {
        int dy = d0.Y + j;
        if (dy < clip.Top || dy >= clip.Bottom)
            continue;
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(dy));
        int py = useSource ? s0.Y + static_cast<int>(j * srcH / dh) : 0;
        for (int i = 0; i < dw; ++i) {
            int dx = d0.X + i;
            if (dx < clip.Left || dx >= clip.Right)
                continue;
            uint32_t s = 0;
            if (useSource) {
                int px = s0.X + static_cast<int>(i * srcW / dw);
                // Outside the source there is nothing to copy; the destination stays.
                if (px < 0 || py < 0 || px >= source->target_->width() ||
                    py >= source->target_->height())
                    continue;
                s = source->DevicePixel(px, py);
                if (source->monochrome_ && !monochrome_)
                    s = s ? RgbToPixel(bkColor_) : RgbToPixel(textColor_);
                else if (!source->monochrome_ && monochrome_)
                    s = (s == srcBk) ? kRgbMask : 0;
            }
            uint32_t p = 0;
            if (usePattern) {
                bool paint;
                p = BrushPixel(dx / scale_, dy / scale_, paint);
                if (!paint)
                    p = line[dx] & kRgbMask;
            }
            line[dx] = 0xFF000000u | ApplyRop3(rop, p, s, line[dx] & kRgbMask);
        }
    }
    Changed();
}

// ---------------------------------------------------------------- device-context routines

TColor SetTextColor(HDC dc, TColor color) {
    return dc ? dc->SetTextColorDC(color) : clNone;
}
TColor SetBkColor(HDC dc, TColor color) {
    return dc ? dc->SetBkColorDC(color) : clNone;
}
int SetBkMode(HDC dc, int mode) {
    return dc ? dc->SetBkModeDC(mode) : 0;
}
int SaveDC(HDC dc) {
    return dc ? dc->SaveDC() : 0;
}
bool RestoreDC(HDC dc, int saved) {
    return dc && dc->RestoreDC(saved);
}
bool GetWindowOrgEx(HDC dc, TPoint* p) {
    if (!dc)
        return false;
    if (p)
        *p = dc->WindowOrg();
    return true;
}
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc)
        return false;
    if (old)
        *old = dc->WindowOrg();
    dc->SetWindowOrg({x, y});
    return true;
}
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc)
        return false;
    if (old)
        *old = dc->ViewportOrg();
    dc->SetViewportOrg({x, y});
    return true;
}
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, uint32_t rop) {
    if (!dest)
        return false;
    dest->BitBltFrom(x, y, w, h, src, sx, sy, rop);
    return true;
}
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                uint32_t rop) {
    if (!dest)
        return false;
    dest->StretchBltFrom(x, y, w, h, src, sx, sy, sw, sh, rop);
    return true;
}
bool PatBlt(HDC dc, int x, int y, int w, int h, uint32_t rop) {
    if (!dc)
        return false;
    dc->PatBlt(x, y, w, h, rop);
    return true;
}
bool DrawFocusRect(HDC dc, const TRect& r) {
    if (!dc)
        return false;
    dc->DrawFocusRect(r);
    return true;
}
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc)
        return 0;
    dc->IntersectClip(Rect(left, top, right, bottom));
    return 2;
}

int GetClipBox(HDC dc, TRect* rect) {
    if (!dc || !rect || !dc->HandleAllocated())
        return 0;
    *rect = dc->ClipRect();
    if (IsRectEmpty(*rect)) {
        *rect = TRect{};
        return NULLREGION;
    }
    return SIMPLEREGION;
}

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    if (!canvas)
        return;
    TColor oldPen = canvas->Pen()->Color();
    canvas->Pen()->SetWidth(1);
    --r.Bottom;
    --r.Right;
    for (int i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        InflateRect(r, -1, -1);
    }
    ++r.Bottom;
    ++r.Right;
    canvas->Pen()->SetColor(oldPen);
}

bool DrawEdge(HDC dc, TRect* r, uint32_t edge, uint32_t flags) {
    if (!dc || !r)
        return false;
    TRect rr = *r;
    auto ring = [&](TColor tl, TColor br) {
        TBrush old;
        old.Assign(*dc->Brush());
        if (flags & BF_TOP) {
            dc->Brush()->SetColor(tl);
            dc->FillRect(Rect(rr.Left, rr.Top, rr.Right, rr.Top + 1));
        }
        if (flags & BF_LEFT) {
            dc->Brush()->SetColor(tl);
            dc->FillRect(Rect(rr.Left, rr.Top, rr.Left + 1, rr.Bottom));
        }
        if (flags & BF_BOTTOM) {
            dc->Brush()->SetColor(br);
            dc->FillRect(Rect(rr.Left, rr.Bottom - 1, rr.Right, rr.Bottom));
        }
        if (flags & BF_RIGHT) {
            dc->Brush()->SetColor(br);
            dc->FillRect(Rect(rr.Right - 1, rr.Top, rr.Right, rr.Bottom));
        }
        dc->Brush()->Assign(old);
        InflateRect(rr, -1, -1);
    };
    if (edge & BDR_RAISEDOUTER)
        ring(cl3DLight, cl3DDkShadow);
    else if (edge & BDR_SUNKENOUTER)
        ring(clBtnShadow, clBtnHighlight);
    if (edge & BDR_RAISEDINNER)
        ring(clBtnHighlight, clBtnShadow);
    else if (edge & BDR_SUNKENINNER)
        ring(cl3DDkShadow, cl3DLight);
    if (flags & BF_ADJUST)
        *r = rr;
    return true;
}

bool DrawFrameControl(HDC dc, TRect* r, uint32_t type, uint32_t state) {
    if (!dc || !r)
        return false;
    TPen old;
    old.Assign(*dc->Pen());
    TColor ink = (state & DFCS_INACTIVE) ? clGrayText : clBlack;
    if (type == DFC_MENU) {
        dc->Pen()->SetColor(ink);
        int cx = r->Left + r->Width() / 2, cy = r->Top + r->Height() / 2;
        if (state & DFCS_MENUBULLET) {
            dc->Brush()->SetColor(ink);
            dc->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        } else {
            for (int i = 0; i < 3; ++i) {
                dc->MoveTo(cx - 3, cy - 1 + i);
                dc->LineTo(cx - 1, cy + 1 + i);
                dc->LineTo(cx + 4, cy - 4 + i);
            }
        }
    } else if (type == DFC_BUTTON) {
        TRect rr = *r;
        DrawEdge(dc, &rr, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        if (state & DFCS_CHECKED) {
            TRect c = *r;
            DrawFrameControl(dc, &c, DFC_MENU, DFCS_MENUCHECK);
        }
    }
    dc->Pen()->Assign(old);
    return true;
}
