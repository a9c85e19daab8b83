#include "BvPanel.h"

#include "BvDrawUtils.h"
#include "BvMouseTimer.h"
#include "BvThemes.h"
#include "Dispatcher.h"

#include <algorithm>
#include <vector>

namespace {
// The corner where the sizing grip reacts.
constexpr int kGripArea = 12;
} // namespace

// ---------------------------------------------------------------- arrangement

const TClassInfo& TBvArrangeSettings::StaticClassInfo() {
    static const TClassInfo info("TBvArrangeSettings", &TPersistent::StaticClassInfo(), {},
                                 "BvPanel");
    return info;
}

void TBvArrangeSettings::Set(int& field, int value) {
    if (field == value)
        return;
    field = value;
    Rearrange();
}
void TBvArrangeSettings::SetWrapControls(bool value) {
    if (value == wrapControls_)
        return;
    wrapControls_ = value;
    Rearrange();
}
void TBvArrangeSettings::SetBorderLeft(int value) {
    Set(borderLeft_, value);
}
void TBvArrangeSettings::SetBorderTop(int value) {
    Set(borderTop_, value);
}
void TBvArrangeSettings::SetDistanceVertical(int value) {
    Set(distanceVertical_, value);
}
void TBvArrangeSettings::SetDistanceHorizontal(int value) {
    Set(distanceHorizontal_, value);
}
void TBvArrangeSettings::SetMaxWidth(int value) {
    Set(maxWidth_, value);
}
void TBvArrangeSettings::SetAutoArrange(bool value) {
    if (value == autoArrange_)
        return;
    autoArrange_ = value;
    if (value)
        Rearrange();
}
void TBvArrangeSettings::SetAutoSize(TBvAutoSizePanel value) {
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (value != TBvAutoSizePanel::asNone)
        Rearrange();
}
void TBvArrangeSettings::Assign(const TPersistent& source) {
    auto* s = dynamic_cast<const TBvArrangeSettings*>(&source);
    if (!s)
        return TPersistent::Assign(source);
    autoArrange_ = s->autoArrange_;
    autoSize_ = s->autoSize_;
    wrapControls_ = s->wrapControls_;
    borderLeft_ = s->borderLeft_;
    borderTop_ = s->borderTop_;
    distanceVertical_ = s->distanceVertical_;
    distanceHorizontal_ = s->distanceHorizontal_;
    showNotVisibleAtDesignTime_ = s->showNotVisibleAtDesignTime_;
    maxWidth_ = s->maxWidth_;
    Rearrange();
}
void TBvArrangeSettings::Rearrange() {
    if (panel_ && autoArrange_ && !panel_->IsLoading())
        panel_->ArrangeControls();
}

// ---------------------------------------------------------------- panel

const TClassInfo& TBvPanel::StaticClassInfo() {
    static const TClassInfo info("TBvPanel", &TBvCustomPanel::StaticClassInfo(), {}, "BvPanel");
    return info;
}

TBvPanel::TBvPanel(TComponent* owner)
    : TBvCustomPanel(owner), arrangeSettings_(std::make_unique<TBvArrangeSettings>(this)) {
    oldColor_ = Color();
}

TBvPanel::~TBvPanel() {
    Destroying();
    if (TBvMouseTimer* timer = SharedMouseTimer())
        timer->Detach(this);
}

bool TBvPanel::SeeThrough() const {
    return transparent_ && !ThemeServices()->ThemesEnabled();
}

void TBvPanel::SetSizeable(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == sizeable_)
        return;
    sizeable_ = value;
    Invalidate();
}
void TBvPanel::SetHotColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (value == hotColor_)
        return;
    hotColor_ = value;
    if (!SeeThrough())
        Invalidate();
}
void TBvPanel::SetTransparent(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == transparent_)
        return;
    transparent_ = value;
    if (SeeThrough())
        ControlStyle &= ~csOpaque;
    else
        ControlStyle |= csOpaque;
    Invalidate();
}
void TBvPanel::SetMultiLine(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == multiLine_)
        return;
    multiLine_ = value;
    Invalidate();
}
void TBvPanel::SetFlatBorder(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == flatBorder_)
        return;
    flatBorder_ = value;
    Invalidate();
}
void TBvPanel::SetFlatBorderColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (value == flatBorderColor_)
        return;
    flatBorderColor_ = value;
    Invalidate();
}

void TBvPanel::SetWidth(int value) {
    BV_ASSERT_GUI_THREAD();
    int old = Width();
    TBvCustomPanel::SetWidth(value);
    if (Width() == old)
        return;
    if (OnChangedWidth)
        OnChangedWidth(this, Width());
    if (OnResizeParent)
        OnResizeParent(this, Left(), Top(), Width(), Height());
    else if (auto* parent = dynamic_cast<TBvPanel*>(Parent()))
        parent->ArrangeSettings()->Rearrange();
}

void TBvPanel::SetHeight(int value) {
    BV_ASSERT_GUI_THREAD();
    int old = Height();
    TBvCustomPanel::SetHeight(value);
    if (Height() == old)
        return;
    if (OnChangedHeight)
        OnChangedHeight(this, Height());
    if (OnResizeParent)
        OnResizeParent(this, Left(), Top(), Width(), Height());
    else if (auto* parent = dynamic_cast<TBvPanel*>(Parent()))
        parent->ArrangeSettings()->Rearrange();
}

void TBvPanel::MouseEnter(TControl* control) {
    if (!IsDesigning() && !control && !MouseOver()) {
        oldColor_ = Color();
        if (!SeeThrough()) {
            SetColor(hotColor_);
            MouseTimer().Attach(this);
        }
    }
    TBvCustomPanel::MouseEnter(control);
}

void TBvPanel::MouseLeave(TControl* control) {
    if (!IsDesigning() && !control && MouseOver()) {
        if (!SeeThrough()) {
            SetColor(oldColor_);
            if (TBvMouseTimer* timer = SharedMouseTimer())
                timer->Detach(this);
        }
        // A leave the timer noticed has no window leave behind it: the next enter must count.
        TWinControl::mouseOver_ = nullptr;
    }
    TBvCustomPanel::MouseLeave(control);
}

void TBvPanel::TextChanged() {
    TBvCustomPanel::TextChanged();
    Invalidate();
}

void TBvPanel::ParentColorChanged() {
    Invalidate();
    TBvCustomPanel::ParentColorChanged();
}

bool TBvPanel::EraseBackground(TCanvas* canvas, intptr_t param) {
    if (SeeThrough())
        return true;
    return TBvCustomPanel::EraseBackground(canvas, param);
}

int TBvPanel::BevelsWidth() const {
    int w = 0;
    if (BevelOuter != TPanelBevel::bvNone)
        w += BevelWidth;
    if (BevelInner != TPanelBevel::bvNone)
        w += BevelWidth;
    return w;
}

void TBvPanel::Paint() {
    if (OnPaint) {
        OnPaint(this);
        return;
    }
    TCanvas* c = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetColor(Color());
    if (SeeThrough()) {
        // Nothing of its own behind the caption: what lies under the panel shows through.
        CopyParentImage(this, c);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
    } else {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->FillRect(r);
    }
    if (flatBorder_) {
        c->Brush()->SetColor(flatBorderColor_);
        c->FrameRect(r);
        InflateRect(r, -1, -1);
    } else {
        auto bevel = [&](TPanelBevel b) {
            if (b == TPanelBevel::bvNone)
                return;
            bool lowered = b == TPanelBevel::bvLowered;
            Frame3D(c, r, lowered ? clBtnShadow : clBtnHighlight,
                    lowered ? clBtnHighlight : clBtnShadow, BevelWidth);
        };
        bevel(BevelOuter);
        Frame3D(c, r, Color(), Color(), BorderWidth);
        bevel(BevelInner);
    }
    std::string text = GetText();
    if (!text.empty()) {
        int inset = BorderWidth + BevelsWidth();
        TRect tr = Rect(inset, inset, Width() - inset, Height() - inset);
        uint32_t flags = DT_EXPANDTABS | (multiLine_ ? DT_WORDBREAK : DT_SINGLELINE);
        if (Alignment == TAlignment::taRightJustify)
            flags |= DT_RIGHT;
        else if (Alignment == TAlignment::taCenter)
            flags |= DT_CENTER;
        c->Font()->Assign(*Font());
        int oldMode = c->SetBkModeDC(TRANSPARENT);
        c->SetTextColorDC(ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
        TRect calc = tr;
        c->DrawTextW(text, calc, flags | DT_CALCRECT);
        int h = calc.Height(), w = calc.Width();
        TRect place = tr;
        place.Top = (Height() - h) / 2;
        place.Bottom = place.Top + h;
        if (Alignment == TAlignment::taRightJustify) {
            place.Right = Width() - inset;
            place.Left = place.Right - w;
        } else if (Alignment == TAlignment::taCenter) {
            place.Left = (Width() - w) / 2;
            place.Right = place.Left + w;
        } else {
            place.Right = place.Left + w;
        }
        c->DrawTextW(text, place, flags);
        c->SetBkModeDC(oldMode);
    }
    if (sizeable_)
        DrawSizeGrip(c);
}

// Three pairs of diagonal strokes, light above dark, as a sizing grip is drawn.
void TBvPanel::DrawSizeGrip(TCanvas* c) {
    int gw = GetSystemMetrics(SM_CXVSCROLL), gh = GetSystemMetrics(SM_CYHSCROLL);
    int right = Width() - BevelWidth - 2, bottom = Height() - BevelWidth - 2;
    TRect g = Rect(right - gw, bottom - gh, right, bottom);
    TPen saved;
    saved.Assign(*c->Pen());
    int size = std::min(g.Width(), g.Height());
    for (int i = 0; i < 3; ++i) {
        int d = size - 4 * i - 1;
        if (d < 2)
            break;
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(g.Right - d, g.Bottom);
        c->LineTo(g.Right, g.Bottom - d);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(g.Right - d + 1, g.Bottom);
        c->LineTo(g.Right, g.Bottom - d + 1);
        c->MoveTo(g.Right - d + 2, g.Bottom);
        c->LineTo(g.Right, g.Bottom - d + 2);
    }
    c->Pen()->Assign(saved);
}

bool TBvPanel::InSizingCorner(int x, int y) const {
    return sizeable_ && x >= Width() - kGripArea && y >= Height() - kGripArea && x < Width() &&
           y < Height();
}

bool TBvPanel::InMoveArea(int x, int y) const {
    return movable_ && x >= 6 && y >= 6 && x < Width() - 5 && y < Height() - 5;
}

void TBvPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && InSizingCorner(x, y)) {
        sizing_ = true;
        sizeStart_ = {x, y};
        SetMouseCapture(true);
        if (Screen)
            Screen->SetCursor(crSizeNWSE);
    } else if (button == TMouseButton::mbLeft && InMoveArea(x, y)) {
        bool allow = true;
        if (OnBeforeMove)
            OnBeforeMove(this, x, y, allow);
        if (allow) {
            moving_ = true;
            moveStart_ = {x, y};
            SetMouseCapture(true);
        }
    }
    TBvCustomPanel::MouseDown(button, shift, x, y);
}

void TBvPanel::MouseMove(TShiftState shift, int x, int y) {
    if (sizing_) {
        int w = Width() + x - sizeStart_.X;
        int h = Height() + y - sizeStart_.Y;
        if (w >= 2 && h >= 2) {
            SetBounds(Left(), Top(), w, h);
            sizeStart_ = {x, y};
        }
    } else if (moving_) {
        // The grabbed point stays under the pointer.
        SetBounds(Left() + x - moveStart_.X, Top() + y - moveStart_.Y, Width(), Height());
    } else if (sizeable_) {
        SetCursor(InSizingCorner(x, y) ? crSizeNWSE : crDefault);
    }
    TBvCustomPanel::MouseMove(shift, x, y);
}

void TBvPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (sizing_) {
        sizing_ = false;
        SetMouseCapture(false);
        if (Screen)
            Screen->SetCursor(crDefault);
    } else if (moving_) {
        moving_ = false;
        SetMouseCapture(false);
        if (OnAfterMove)
            OnAfterMove(this);
    }
    TBvCustomPanel::MouseUp(button, shift, x, y);
}

void TBvPanel::Loaded() {
    TBvCustomPanel::Loaded();
    if (arrangeSettings_->AutoArrange())
        ArrangeControls();
}

void TBvPanel::AlignControls(TControl* control) {
    TBvCustomPanel::AlignControls(control);
    if (arrangeSettings_->AutoArrange())
        ArrangeControls();
}

void TBvPanel::Resize() {
    if (arrangeSettings_->AutoArrange())
        ArrangeControls();
    TBvCustomPanel::Resize();
}

void TBvPanel::ArrangeControls() {
    if (arranging_ || ArrangeLockCount > 0 || IsLoading())
        return;
    arranging_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{arranging_};
    const TBvArrangeSettings& s = *arrangeSettings_;
    std::vector<TControl*> children;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Visible() || (IsDesigning() && s.ShowNotVisibleAtDesignTime()))
            children.push_back(c);
    }
    auto tabOrder = [](TControl* c) {
        auto* w = dynamic_cast<TWinControl*>(c);
        return w ? w->TabOrder : 0;
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](TControl* a, TControl* b) { return tabOrder(a) < tabOrder(b); });
    int inset = BorderWidth + BevelsWidth();
    int limit = s.MaxWidth() > 0 ? s.MaxWidth() : Width() - inset;
    bool sizesWidth =
        s.AutoSize() == TBvAutoSizePanel::asWidth || s.AutoSize() == TBvAutoSizePanel::asBoth;
    int x = inset + s.BorderLeft(), y = inset + s.BorderTop();
    int rowHeight = 0, extentW = 0, extentH = 0;
    DisableAlign();
    for (TControl* c : children) {
        bool wrap = s.WrapControls() && (!sizesWidth || s.MaxWidth() > 0);
        if (wrap && x > inset + s.BorderLeft() && x + c->Width() > limit) {
            x = inset + s.BorderLeft();
            y += rowHeight + s.DistanceVertical();
            rowHeight = 0;
        }
        c->SetBounds(x, y, c->Width(), c->Height());
        extentW = std::max(extentW, x + c->Width());
        extentH = std::max(extentH, y + c->Height());
        rowHeight = std::max(rowHeight, c->Height());
        x += c->Width() + s.DistanceHorizontal();
    }
    EnableAlign();
    arrangeWidth_ = extentW + inset;
    arrangeHeight_ = extentH + inset;
    if (children.empty())
        return;
    if (sizesWidth && arrangeWidth_ != Width())
        SetWidth(arrangeWidth_);
    if ((s.AutoSize() == TBvAutoSizePanel::asHeight || s.AutoSize() == TBvAutoSizePanel::asBoth) &&
        arrangeHeight_ != Height())
        SetHeight(arrangeHeight_);
}
