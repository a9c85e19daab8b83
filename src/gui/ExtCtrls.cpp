#include "ExtCtrls.h"

#include "Dispatcher.h"
#include "Forms.h"
#include "qt/WidgetBinding.h"

#include <algorithm>

// ---------------------------------------------------------------- panel

const TClassInfo& TCustomPanel::StaticClassInfo() {
    static const TClassInfo info("TCustomPanel", &TCustomControl::StaticClassInfo(), {},
                                 "ExtCtrls");
    return info;
}
const TClassInfo& TPanel::StaticClassInfo() {
    static const TClassInfo info("TPanel", &TCustomPanel::StaticClassInfo(), {}, "ExtCtrls");
    return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    ControlStyle |= csAcceptsControls | csOpaque;
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

TRect TCustomPanel::ClientRect() const {
    int inset = BorderWidth;
    if (BevelOuter != TPanelBevel::bvNone)
        inset += BevelWidth;
    if (BevelInner != TPanelBevel::bvNone)
        inset += BevelWidth;
    if (BorderStyle == TBorderStyle::bsSingle)
        inset += 1;
    return Rect(inset, inset, std::max(inset, Width() - inset), std::max(inset, Height() - inset));
}

void TCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    auto bevel = [&](TPanelBevel b) {
        if (b == TPanelBevel::bvNone)
            return;
        TColor top = b == TPanelBevel::bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = b == TPanelBevel::bvLowered ? clBtnHighlight : clBtnShadow;
        if (b == TPanelBevel::bvSpace)
            top = bottom = Color();
        Frame3D(c, r, top, bottom, BevelWidth);
    };
    if (BorderStyle == TBorderStyle::bsSingle)
        Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
    bevel(BevelOuter);
    Frame3D(c, r, Color(), Color(), BorderWidth);
    bevel(BevelInner);
    std::string text = GetText();
    if (!text.empty()) {
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        uint32_t flags = DT_SINGLELINE | DT_VCENTER |
                         (Alignment == TAlignment::taCenter         ? DT_CENTER
                          : Alignment == TAlignment::taRightJustify ? DT_RIGHT
                                                                    : DT_LEFT);
        c->DrawTextW(text, r, flags);
    }
}

const TClassInfo& TBevel::StaticClassInfo() {
    static const TClassInfo info("TBevel", &TGraphicControl::StaticClassInfo(), {}, "ExtCtrls");
    return info;
}
TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
}
void TBevel::Paint() {
    TRect r = Rect(0, 0, Width(), Height());
    DrawEdge(Canvas(), &r, EDGE_ETCHED, BF_RECT);
}

const TClassInfo& TScrollBox::StaticClassInfo() {
    static const TClassInfo info("TScrollBox", &TCustomControl::StaticClassInfo(), {}, "Forms");
    return info;
}
TScrollBox::TScrollBox(TComponent* owner) : TCustomControl(owner) {
    ControlStyle |= csAcceptsControls;
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

TRect TScrollBox::ClientRect() const {
    int b = Border();
    int bar = barVisible_ ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    return Rect(b, b - position_, std::max(b, Width() - b - bar), std::max(b, Height() - b));
}

int TScrollBox::VertRange() const {
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Visible())
            bottom = std::max(bottom, c->Top() + c->Height());
    }
    return std::max(0, bottom + position_ - Border());
}

void TScrollBox::SetVertPosition(int position) {
    int page = std::max(0, Height() - 2 * Border());
    int maxPos = std::max(0, VertRange() - page);
    position = std::clamp(position, 0, barVisible_ ? maxPos : 0);
    if (position == position_)
        return;
    int delta = position_ - position;
    position_ = position;
    DisableAlign();
    // Children that are not aligned move by the difference; aligned ones follow the client area.
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() == TAlign::alNone)
            c->SetTop(c->Top() + delta);
    }
    EnableAlign();
    UpdateScrollBar();
}

void TScrollBox::ScrollInView(TControl* control) {
    if (!control || control->Parent() != this)
        return;
    int b = Border();
    int page = Height() - 2 * b;
    if (control->Top() < b)
        SetVertPosition(position_ - (b - control->Top()));
    else if (control->Top() + control->Height() > b + page)
        SetVertPosition(position_ + (control->Top() + control->Height() - b - page));
}

void TScrollBox::AlignControls(TControl* control) {
    // A child placed by a pass that is still going asks again; the bar is settled when the
    // outermost pass has placed everything. Settled in the middle, a bar that appeared could
    // not narrow the children, as alignment is off until the pass ends.
    if (AlignDisabled())
        return;
    TCustomControl::AlignControls(control);
    UpdateScrollBar();
}

void TScrollBox::UpdateScrollBar() {
    if (updating_)
        return;
    updating_ = true;
    int page = std::max(0, Height() - 2 * Border());
    bool visible = AutoScroll && VertRange() > page;
    if (visible != barVisible_) {
        barVisible_ = visible;
        TCustomControl::AlignControls(nullptr);
    }
    if (!barVisible_ && position_ != 0) {
        updating_ = false;
        SetVertPosition(0);
        return;
    }
    if (bar_) {
        int b = Border(), w = GetSystemMetrics(SM_CXVSCROLL);
        BvQt::SetScrollBar(bar_, Rect(Width() - b - w, b, Width() - b, b + page),
                           std::max(0, VertRange() - page), std::max(1, page), Increment, position_,
                           barVisible_);
    }
    updating_ = false;
}

bool TScrollBox::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_MOUSEWHEEL: {
        int delta = static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
        SetVertPosition(position_ - delta / 120 * 3 * Increment);
        m.Result = 1;
        return true;
    }
    case CM_CONTROLCHANGE: {
        bool r = TCustomControl::HandleMessage(m);
        UpdateScrollBar();
        return r;
    }
    default: {
        bool r = TCustomControl::HandleMessage(m);
        if (m.Msg == WM_SIZE)
            UpdateScrollBar();
        return r;
    }
    }
}

void TScrollBox::Paint() {
    if (BorderStyle == TBorderStyle::bsSingle) {
        TRect r = Rect(0, 0, Width(), Height());
        DrawEdge(Canvas(), &r, EDGE_SUNKEN, BF_RECT);
    }
}

// ---------------------------------------------------------------- image

const TClassInfo& TImage::StaticClassInfo() {
    static const TClassInfo info("TImage", &TGraphicControl::StaticClassInfo(), {}, "ExtCtrls");
    return info;
}
TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 105, 105);
    picture_->OnChange = [this](TGraphic&) { Invalidate(); };
}
TImage::~TImage() {
    Destroying();
}
void TImage::Paint() {
    if (picture_->Empty())
        return;
    picture_->SetTransparent(Transparent);
    TRect dest = Bounds(0, 0, picture_->Width(), picture_->Height());
    if (Stretch)
        dest = Rect(0, 0, Width(), Height());
    else if (Center)
        OffsetRect(dest, (Width() - picture_->Width()) / 2, (Height() - picture_->Height()) / 2);
    Canvas()->StretchDraw(dest, picture_.get());
}

// ---------------------------------------------------------------- timer

const TClassInfo& TTimer::StaticClassInfo() {
    static const TClassInfo info("TTimer", &TComponent::StaticClassInfo(), {}, "ExtCtrls");
    return info;
}
TTimer::TTimer(TComponent* owner)
    : TComponent(owner), timer_(std::make_unique<TMainThreadTimer>()) {
    Update();
}
TTimer::~TTimer() {
    Destroying();
    timer_.reset();
}
void TTimer::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    Update();
}
void TTimer::SetInterval(unsigned value) {
    if (value == interval_)
        return;
    interval_ = value;
    Update();
}
void TTimer::SetOnTimer(TNotifyEvent event) {
    onTimer_ = std::move(event);
    Update();
}
void TTimer::Update() {
    timer_->SetEnabled(false);
    timer_->SetInterval(interval_);
    if (onTimer_)
        timer_->SetOnTimer([this] { Timer(); });
    else
        timer_->SetOnTimer(nullptr);
    timer_->SetEnabled(enabled_ && interval_ > 0 && onTimer_);
}
void TTimer::Timer() {
    if (onTimer_)
        onTimer_(this);
}

// ---------------------------------------------------------------- splitter

const TClassInfo& TSplitter::StaticClassInfo() {
    static const TClassInfo info("TSplitter", &TGraphicControl::StaticClassInfo(), {}, "ExtCtrls");
    return info;
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 3, 100);
    SetAlign(TAlign::alLeft);
    SetCursor(crHSplit);
    SetParentColor(true);
}

TControl* TSplitter::FindResizeControl() const {
    if (!Parent())
        return nullptr;
    TPoint p{Left(), Top()};
    switch (Align()) {
    case TAlign::alLeft:
        --p.X;
        break;
    case TAlign::alRight:
        p.X += Width();
        break;
    case TAlign::alTop:
        --p.Y;
        break;
    case TAlign::alBottom:
        p.Y += Height();
        break;
    default:
        return nullptr;
    }
    bool before = Align() == TAlign::alLeft || Align() == TAlign::alTop;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* c = Parent()->Controls(i);
        if (c == this || !c->Visible() || !c->Enabled())
            continue;
        TRect r = c->BoundsRect();
        if (r.Width() == 0) {
            if (before)
                --r.Left;
            else
                ++r.Right;
        }
        if (r.Height() == 0) {
            if (before)
                --r.Top;
            else
                ++r.Bottom;
        }
        if (PtInRect(r, p))
            return c;
    }
    return nullptr;
}

void TSplitter::Paint() {
    TCanvas* c = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (Beveled) {
        if (Align() == TAlign::alLeft || Align() == TAlign::alRight)
            InflateRect(r, -1, 2);
        else
            InflateRect(r, 2, -1);
        Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    }
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    control_ = FindResizeControl();
    if (!control_)
        return;
    downPos_ = ClientToScreen({x, y});
    bool horizontal = Align() == TAlign::alLeft || Align() == TAlign::alRight;
    startSize_ = horizontal ? control_->Width() : control_->Height();
    dragging_ = true;
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_ || !control_)
        return;
    TPoint p = ClientToScreen({x, y});
    int delta = 0;
    switch (Align()) {
    case TAlign::alLeft:
        delta = p.X - downPos_.X;
        break;
    case TAlign::alRight:
        delta = downPos_.X - p.X;
        break;
    case TAlign::alTop:
        delta = p.Y - downPos_.Y;
        break;
    case TAlign::alBottom:
        delta = downPos_.Y - p.Y;
        break;
    default:
        return;
    }
    int size = std::max(0, startSize_ + delta);
    if (size < MinSize)
        size = AutoSnap && size < MinSize / 2 ? 0 : MinSize;
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, size, accept);
    if (!accept)
        return;
    if (Align() == TAlign::alLeft || Align() == TAlign::alRight)
        control_->SetWidth(size);
    else
        control_->SetHeight(size);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!dragging_)
        return;
    dragging_ = false;
    control_ = nullptr;
    if (OnMoved)
        OnMoved(this);
}

// ---------------------------------------------------------------- hint window

const TClassInfo& THintWindow::StaticClassInfo() {
    static const TClassInfo info("THintWindow", &TCustomControl::StaticClassInfo(), {}, "Controls");
    return info;
}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetColor(Application ? Application->HintColor : clInfoBk);
    if (Screen)
        Font()->Assign(*Screen->HintFont());
    SetVisible(false);
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
    TCanvas c;
    c.SetFont(*Font());
    // As wide as the widest line, up to the limit; the wrapping measure alone would keep
    // the whole limit, a hint as wide as the screen.
    int widest = 0;
    size_t start = 0;
    for (;;) {
        size_t end = hint.find('\n', start);
        std::string line = hint.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        widest = std::max(widest, c.TextWidth(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    TRect r = Rect(0, 0, std::max(1, std::min(maxWidth, widest)), 0);
    c.DrawTextW(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right = std::min(r.Right, maxWidth);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(TRect rect, const std::string& hint) {
    // On the screen: moved left from its right edge, and above the pointer (the hint opens
    // below it) when there is no room below.
    if (Screen) {
        const TRect area = Screen->WorkAreaAt({rect.Left, rect.Top});
        const int width = rect.Width(), height = rect.Height();
        int left = std::max(area.Left, std::min(rect.Left, area.Right - width));
        int top = rect.Top;
        if (top + height > area.Bottom)
            top = rect.Top - 24 - height;
        top = std::max(area.Top, std::min(top, area.Bottom - height));
        rect = Bounds(left, top, width, height);
    }
    SetText(hint);
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    HandleNeeded();
    BvQt::SetGeometry(widget_, rect.Left, rect.Top, rect.Width(), rect.Height());
    BvQt::SetVisible(widget_, true);
    BvQt::Invalidate(widget_);
}

void THintWindow::ReleaseHandle() {
    if (widget_)
        BvQt::SetVisible(widget_, false);
}

void THintWindow::Paint() {
    TCanvas* c = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Brush()->SetColor(clBlack);
    c->FrameRect(r);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect tr = Rect(3, 1, Width() - 2, Height());
    c->DrawTextW(GetText(), tr, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
