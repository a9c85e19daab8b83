#include "BvgCommClasses.h"

#include <algorithm>
#include <cmath>

bool SuppressGradients = false;

namespace {

template <class T> bool Store(T& field, T value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return 0;
    double v = static_cast<double>(a) * b / c;
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

// One channel of from moved i of n-1 steps towards to; a single step is the start colour.
int Channel(int from, int to, int i, int n) {
    if (n <= 1)
        return from;
    return from + MulDiv(i, to - from, n - 1);
}

TColor StepColor(TColor from, TColor to, int i, int n) {
    return RGB(Channel(GetRValue(from), GetRValue(to), i, n),
               Channel(GetGValue(from), GetGValue(to), i, n),
               Channel(GetBValue(from), GetBValue(to), i, n));
}

} // namespace

#define BVG_CLASS(Name, Parent)                                                                    \
    const TClassInfo& Name::StaticClassInfo() {                                                    \
        static const TClassInfo info(#Name, &Parent::StaticClassInfo(), {}, "BvgCommClasses");     \
        return info;                                                                               \
    }

BVG_CLASS(TBvgTwainColors, TPersistent)
BVG_CLASS(TBvgCustomGradient, TBvgTwainColors)
BVG_CLASS(TBvgGradient, TBvgCustomGradient)
BVG_CLASS(TBvg2DAlign, TPersistent)
BVG_CLASS(TBvgIllumination, TBvg2DAlign)
BVG_CLASS(TBvgPointClass, TPersistent)
BVG_CLASS(TBvgBevelOptions, TPersistent)
BVG_CLASS(TBvgCustomTextColors, TPersistent)
BVG_CLASS(TBvgCustomLabelColors, TBvgCustomTextColors)
BVG_CLASS(TBvgGroupBoxColors, TBvgCustomLabelColors)
BVG_CLASS(TBvgCustomListBoxItemStyle, TPersistent)
BVG_CLASS(TBvgListBoxItemStyle, TBvgCustomListBoxItemStyle)

// ---------------------------------------------------------------- two colours

TBvgTwainColors::TBvgTwainColors() {
    fromRGB_ = ColorToRGB(fromColor_);
    toRGB_ = ColorToRGB(toColor_);
}

void TBvgTwainColors::Changed() {
    if (OnChanged)
        OnChanged(this);
}

void TBvgTwainColors::SetFromColor(TColor value) {
    if (!Store(fromColor_, value))
        return;
    fromRGB_ = ColorToRGB(value);
    Changed();
}

void TBvgTwainColors::SetToColor(TColor value) {
    if (!Store(toColor_, value))
        return;
    toRGB_ = ColorToRGB(value);
    Changed();
}

void TBvgTwainColors::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgTwainColors*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    fromColor_ = s->fromColor_;
    toColor_ = s->toColor_;
    fromRGB_ = ColorToRGB(fromColor_);
    toRGB_ = ColorToRGB(toColor_);
    Changed();
}

// ---------------------------------------------------------------- gradient

void TBvgCustomGradient::SetBufferedDraw(bool value) {
    if (Store(bufferedDraw_, value))
        Changed();
}
void TBvgCustomGradient::SetSteps(int value) {
    if (Store(steps_, std::clamp(value, 1, 255)))
        Changed();
}
void TBvgCustomGradient::SetPercentFilling(TPercentRange value) {
    if (Store(percentFilling_, std::min<TPercentRange>(value, 100)))
        Changed();
}
void TBvgCustomGradient::SetBrushStyle(TBrushStyle value) {
    if (Store(brushStyle_, value))
        Changed();
}
void TBvgCustomGradient::SetOrientation(TglGradientDir value) {
    if (Store(orientation_, value))
        Changed();
}
void TBvgCustomGradient::SetActive(bool value) {
    if (Store(active_, value))
        Changed();
}
void TBvgCustomGradient::SetReversed(bool value) {
    if (Store(reversed_, value))
        Changed();
}

void TBvgCustomGradient::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgCustomGradient*>(&source);
    if (!s)
        return TBvgTwainColors::Assign(source);
    fromColor_ = s->fromColor_;
    toColor_ = s->toColor_;
    fromRGB_ = ColorToRGB(fromColor_);
    toRGB_ = ColorToRGB(toColor_);
    bufferedDraw_ = s->bufferedDraw_;
    steps_ = s->steps_;
    percentFilling_ = s->percentFilling_;
    brushStyle_ = s->brushStyle_;
    orientation_ = s->orientation_;
    active_ = s->active_;
    reversed_ = s->reversed_;
    Changed();
}

void TBvgCustomGradient::DrawInRect(HDC dc, TRect rect, int penWidth, TPenStyle penStyle) {
    if (!dc || !active_ || SuppressGradients || steps_ == 1 || dc->Monochrome() ||
        IsRectEmpty(rect) || brushStyle_ == TBrushStyle::bsClear)
        return;
    int w = rect.Width(), h = rect.Height();
    if (orientation_ == TglGradientDir::fgdHorzConvergent) {
        FillStrips(dc, Rect(rect.Left, rect.Top, rect.Right, rect.Bottom - h / 2),
                   TglGradientDir::fgdHorizontal, fromRGB_, toRGB_, penWidth, penStyle);
        FillStrips(dc, Rect(rect.Left, rect.Top + h / 2, rect.Right, rect.Bottom),
                   TglGradientDir::fgdHorizontal, toRGB_, fromRGB_, penWidth, penStyle);
        return;
    }
    if (orientation_ == TglGradientDir::fgdVertConvergent) {
        FillStrips(dc, Rect(rect.Left, rect.Top, rect.Right - w / 2, rect.Bottom),
                   TglGradientDir::fgdVertical, fromRGB_, toRGB_, penWidth, penStyle);
        FillStrips(dc, Rect(rect.Left + w / 2, rect.Top, rect.Right, rect.Bottom),
                   TglGradientDir::fgdVertical, toRGB_, fromRGB_, penWidth, penStyle);
        return;
    }
    if (!bufferedDraw_) {
        FillStrips(dc, rect, orientation_, fromRGB_, toRGB_, penWidth, penStyle);
        return;
    }
    // The buffer starts as a copy of what lies there, so a partial fill leaves the rest alone;
    // it holds the target's device pixels, so that copy loses no detail on the way back.
    TBitmap buffer(w, h, dc->DeviceScale());
    buffer.Canvas()->BitBltFrom(0, 0, w, h, dc, rect.Left, rect.Top, SRCCOPY);
    FillStrips(buffer.Canvas(), Rect(0, 0, w, h), orientation_, fromRGB_, toRGB_, penWidth,
               penStyle);
    dc->BitBltFrom(rect.Left, rect.Top, w, h, buffer.Canvas(), 0, 0, SRCCOPY);
}

void TBvgCustomGradient::FillStrips(TCanvas* dc, const TRect& rect, TglGradientDir dir, TColor from,
                                    TColor to, int penWidth, TPenStyle penStyle) {
    int w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0)
        return;
    int n = 0;
    switch (dir) {
    case TglGradientDir::fgdHorizontal:
        n = std::min(steps_, h);
        break;
    case TglGradientDir::fgdVertical:
        n = std::min(steps_, w);
        break;
    case TglGradientDir::fgdLeftBias:
    case TglGradientDir::fgdRightBias:
        n = std::min(steps_, w + h);
        break;
    case TglGradientDir::fgdRectangle:
        n = std::min(steps_, std::min(w / 2, h / 2));
        break;
    default:
        return;
    }
    if (n <= 0)
        return;
    TBrush savedBrush;
    savedBrush.Assign(*dc->Brush());
    TPen savedPen;
    savedPen.Assign(*dc->Pen());
    TPoint savedPos = dc->PenPos();
    penWidth = std::max(1, penWidth);
    // The two ends of the bias lines walk along the edges.
    TPoint p1, p2;
    bool left = dir == TglGradientDir::fgdLeftBias;
    p1 = p2 = left ? TPoint{rect.Left, rect.Top} : TPoint{rect.Right - 1, rect.Top};
    int w2 = w / 2, h2 = h / 2;
    for (int i = 0; i < n; ++i) {
        TColor c = StepColor(from, to, i, n);
        dc->Brush()->SetColor(c);
        dc->Brush()->SetStyle(brushStyle_);
        switch (dir) {
        case TglGradientDir::fgdHorizontal: {
            int a = MulDiv(i, h, n), b = MulDiv(i + 1, h, n);
            if (reversed_)
                dc->FillRect(Rect(rect.Left, rect.Bottom - b, rect.Right, rect.Bottom - a));
            else
                dc->FillRect(Rect(rect.Left, rect.Top + a, rect.Right, rect.Top + b));
            break;
        }
        case TglGradientDir::fgdVertical: {
            int a = MulDiv(i, w, n), b = MulDiv(i + 1, w, n);
            dc->FillRect(Rect(rect.Left + a, rect.Top, rect.Left + b, rect.Bottom));
            break;
        }
        case TglGradientDir::fgdRectangle: {
            int dx = MulDiv(i, w2, n), dy = MulDiv(i, h2, n);
            dc->FillRect(Rect(rect.Left + dx, rect.Top + dy, rect.Right - dx, rect.Bottom - dy));
            break;
        }
        default: {
            dc->Pen()->SetColor(c);
            dc->Pen()->SetWidth(penWidth);
            dc->Pen()->SetStyle(penStyle);
            int lines = MulDiv(i + 1, w + h, n) - MulDiv(i, w + h, n);
            for (int k = 0; k < lines; ++k) {
                if (left) {
                    if (p1.Y < rect.Bottom - 1)
                        p1.Y = std::min(rect.Bottom - 1, p1.Y + penWidth);
                    else
                        p1.X += penWidth;
                    if (p2.X < rect.Right - 1)
                        p2.X = std::min(rect.Right - 1, p2.X + penWidth);
                    else
                        p2.Y += penWidth;
                } else {
                    if (p1.X > rect.Left)
                        p1.X = std::max(rect.Left, p1.X - penWidth);
                    else
                        p1.Y += penWidth;
                    if (p2.Y < rect.Bottom - 1)
                        p2.Y = std::min(rect.Bottom - 1, p2.Y + penWidth);
                    else
                        p2.X -= penWidth;
                }
                dc->MoveTo(p1.X, p1.Y);
                dc->LineTo(p2.X, p2.Y);
            }
            break;
        }
        }
        if (i * 100 / n > percentFilling_)
            break;
    }
    dc->Brush()->Assign(savedBrush);
    dc->Pen()->Assign(savedPen);
    dc->SetPenPos(savedPos);
}

void TBvgCustomGradient::GradientTextOut(HDC dc, int x, int y, const std::string& text,
                                         const TRect& clip) {
    if (!dc || IsRectEmpty(clip))
        return;
    if (!active_ || dc->Monochrome()) {
        dc->TextOut(x, y, text);
        return;
    }
    bool columns = orientation_ == TglGradientDir::fgdVertical;
    int size = columns ? clip.Width() : clip.Height();
    int strips = MulDiv(size, percentFilling_, 100) + 1;
    TColor oldText = dc->TextColor();
    // Strips count from the clip's own edge, so the colours follow the text wherever it lies.
    for (int k = 0; k < strips && k < size; ++k) {
        TRect strip = columns ? Rect(clip.Left + k, clip.Top, clip.Left + k + 1, clip.Bottom)
                              : Rect(clip.Left, clip.Top + k, clip.Right, clip.Top + k + 1);
        auto channel = [&](int from, int to) {
            return static_cast<int>(std::lround(from + static_cast<double>(to - from) * k / size));
        };
        dc->SetTextColorDC(RGB(channel(GetRValue(fromRGB_), GetRValue(toRGB_)),
                               channel(GetGValue(fromRGB_), GetGValue(toRGB_)),
                               channel(GetBValue(fromRGB_), GetBValue(toRGB_))));
        dc->SaveDC();
        dc->IntersectClip(strip);
        dc->TextOut(x, y, text);
        dc->RestoreDC(-1);
    }
    dc->SetTextColorDC(oldText);
}

// ---------------------------------------------------------------- alignment, point

void TBvg2DAlign::Changed() {
    if (OnChanged)
        OnChanged(this);
}
void TBvg2DAlign::SetHorizontal(TglHorAlign value) {
    if (Store(horizontal_, value))
        Changed();
}
void TBvg2DAlign::SetVertical(TglVertAlign value) {
    if (Store(vertical_, value))
        Changed();
}
void TBvg2DAlign::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvg2DAlign*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    horizontal_ = s->horizontal_;
    vertical_ = s->vertical_;
    Changed();
}

void TBvgIllumination::SetShadowDepth(int value) {
    if (Store(shadowDepth_, std::max(0, value)))
        Changed();
}
void TBvgIllumination::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgIllumination*>(&source);
    if (!s)
        return TBvg2DAlign::Assign(source);
    horizontal_ = s->horizontal_;
    vertical_ = s->vertical_;
    shadowDepth_ = s->shadowDepth_;
    Changed();
}

void TBvgPointClass::Changed() {
    if (OnChanged)
        OnChanged(this);
}
void TBvgPointClass::SetX(int value) {
    if (Store(x_, value))
        Changed();
}
void TBvgPointClass::SetY(int value) {
    if (Store(y_, value))
        Changed();
}
void TBvgPointClass::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgPointClass*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    x_ = s->x_;
    y_ = s->y_;
    Changed();
}

// ---------------------------------------------------------------- bevel options

void TBvgBevelOptions::Changed() {
    if (OnChanged)
        OnChanged(this);
}
void TBvgBevelOptions::SetInner(TBevelCut value) {
    if (Store(inner_, value))
        Changed();
}
void TBvgBevelOptions::SetOuter(TBevelCut value) {
    if (Store(outer_, value))
        Changed();
}
void TBvgBevelOptions::SetSides(TglSides value) {
    if (Store(sides_, static_cast<TglSides>(value & fsdAllSides)))
        Changed();
}
void TBvgBevelOptions::SetBold(bool value) {
    if (Store(bold_, value))
        Changed();
}
void TBvgBevelOptions::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgBevelOptions*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    inner_ = s->inner_;
    outer_ = s->outer_;
    sides_ = s->sides_;
    bold_ = s->bold_;
    Changed();
}

// ---------------------------------------------------------------- colour sets

void TBvgCustomTextColors::Changed() {
    if (OnChanged)
        OnChanged(this);
}
void TBvgCustomTextColors::Put(TColor& field, TColor value) {
    if (Store(field, value))
        Changed();
}
void TBvgCustomTextColors::SetText(TColor value) {
    Put(text_, value);
}
void TBvgCustomTextColors::SetDisabledText(TColor value) {
    Put(disabledText_, value);
}
void TBvgCustomTextColors::SetDelineate(TColor value) {
    Put(delineate_, value);
}
void TBvgCustomTextColors::SetBackground(TColor value) {
    Put(background_, value);
}
void TBvgCustomTextColors::SetHighlight(TColor value) {
    Put(highlight_, value);
}
void TBvgCustomTextColors::SetShadow(TColor value) {
    Put(shadow_, value);
}
void TBvgCustomTextColors::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgCustomTextColors*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    text_ = s->text_;
    disabledText_ = s->disabledText_;
    delineate_ = s->delineate_;
    background_ = s->background_;
    highlight_ = s->highlight_;
    shadow_ = s->shadow_;
    Changed();
}

void TBvgCustomLabelColors::SetTextActive(TColor value) {
    Put(textActive_, value);
}
void TBvgCustomLabelColors::SetDelineateActive(TColor value) {
    Put(delineateActive_, value);
}
void TBvgCustomLabelColors::SetAutoHighlight(bool value) {
    if (Store(autoHighlight_, value))
        Changed();
}
void TBvgCustomLabelColors::SetAutoShadow(bool value) {
    if (Store(autoShadow_, value))
        Changed();
}
void TBvgCustomLabelColors::SetActiveBackground(TColor value) {
    Put(activeBackground_, value);
}
void TBvgCustomLabelColors::SetHighlightShift(int value) {
    if (Store(highlightShift_, value))
        Changed();
}
void TBvgCustomLabelColors::SetShadowShift(int value) {
    if (Store(shadowShift_, value))
        Changed();
}
void TBvgCustomLabelColors::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgCustomLabelColors*>(&source);
    if (!s)
        return TBvgCustomTextColors::Assign(source);
    auto onChanged = std::move(OnChanged);
    TBvgCustomTextColors::Assign(source);
    OnChanged = std::move(onChanged);
    textActive_ = s->textActive_;
    delineateActive_ = s->delineateActive_;
    autoHighlight_ = s->autoHighlight_;
    autoShadow_ = s->autoShadow_;
    activeBackground_ = s->activeBackground_;
    highlightShift_ = s->highlightShift_;
    shadowShift_ = s->shadowShift_;
    Changed();
}

void TBvgGroupBoxColors::SetCaption(TColor value) {
    Put(caption_, value);
}
void TBvgGroupBoxColors::SetCaptionActive(TColor value) {
    Put(captionActive_, value);
}
void TBvgGroupBoxColors::SetClient(TColor value) {
    Put(client_, value);
}
void TBvgGroupBoxColors::SetClientActive(TColor value) {
    Put(clientActive_, value);
}
void TBvgGroupBoxColors::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgGroupBoxColors*>(&source);
    if (!s)
        return TBvgCustomLabelColors::Assign(source);
    // The base copies its own fields; the change is reported once, at the end.
    auto onChanged = std::move(OnChanged);
    TBvgCustomLabelColors::Assign(source);
    OnChanged = std::move(onChanged);
    caption_ = s->caption_;
    captionActive_ = s->captionActive_;
    client_ = s->client_;
    clientActive_ = s->clientActive_;
    Changed();
}

// ---------------------------------------------------------------- list-box item styles

TBvgCustomListBoxItemStyle::TBvgCustomListBoxItemStyle()
    : font_(std::make_unique<TFont>()), bevel_(std::make_unique<TBvgBevelOptions>()) {
    font_->OnChange = [this](TGraphicsObject&) { Changed(); };
}
TBvgCustomListBoxItemStyle::~TBvgCustomListBoxItemStyle() = default;

void TBvgCustomListBoxItemStyle::Changed() {
    if (onChanged_)
        onChanged_(this);
}
void TBvgCustomListBoxItemStyle::SetColor(TColor value) {
    if (Store(color_, value))
        Changed();
}
void TBvgCustomListBoxItemStyle::SetDelineateColor(TColor value) {
    if (Store(delineateColor_, value))
        Changed();
}
void TBvgCustomListBoxItemStyle::SetTextStyle(TglTextStyle value) {
    if (Store(textStyle_, value))
        Changed();
}
void TBvgCustomListBoxItemStyle::SetOnChanged(TNotifyEvent handler) {
    onChanged_ = handler;
    bevel_->OnChanged = std::move(handler);
}
void TBvgCustomListBoxItemStyle::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgCustomListBoxItemStyle*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    // The nested objects would each report; one report at the end is enough.
    TNotifyEvent handler = onChanged_;
    SetOnChanged(nullptr);
    color_ = s->color_;
    delineateColor_ = s->delineateColor_;
    font_->Assign(*s->font_);
    bevel_->Assign(*s->bevel_);
    textStyle_ = s->textStyle_;
    SetOnChanged(handler);
    Changed();
}

TBvgListBoxItemStyle::TBvgListBoxItemStyle()
    : gradient_(std::make_unique<TBvgGradient>()), textGradient_(std::make_unique<TBvgGradient>()) {
}
TBvgListBoxItemStyle::~TBvgListBoxItemStyle() = default;

void TBvgListBoxItemStyle::SetOnChanged(TNotifyEvent handler) {
    TBvgCustomListBoxItemStyle::SetOnChanged(handler);
    gradient_->OnChanged = handler;
    textGradient_->OnChanged = std::move(handler);
}
void TBvgListBoxItemStyle::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvgListBoxItemStyle*>(&source);
    if (!s)
        return TBvgCustomListBoxItemStyle::Assign(source);
    TNotifyEvent handler = onChanged_;
    SetOnChanged(nullptr);
    TBvgCustomListBoxItemStyle::Assign(source);
    gradient_->Assign(*s->gradient_);
    textGradient_->Assign(*s->textGradient_);
    SetOnChanged(handler);
    Changed();
}
