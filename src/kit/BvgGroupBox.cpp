#include "BvgGroupBox.h"

#include "BvgUtils.h"
#include "Dispatcher.h"
#include "ExtCtrls.h"
#include "Forms.h"

#include <algorithm>

const TClassInfo& TBvgGroupBox::StaticClassInfo() {
    static const TClassInfo info("TBvgGroupBox", &TCustomGroupBox::StaticClassInfo(), {},
                                 "BvgGroupBox");
    return info;
}

TBvgGroupBox::TBvgGroupBox(TComponent* owner)
    : TCustomGroupBox(owner), border_(std::make_unique<TBvgBevelOptions>()),
      captionBorder_(std::make_unique<TBvgBevelOptions>()),
      gradient_(std::make_unique<TBvgGradient>()),
      captionGradient_(std::make_unique<TBvgGradient>()),
      captionShift_(std::make_unique<TBvgPointClass>()),
      colors_(std::make_unique<TBvgGroupBoxColors>()),
      illumination_(std::make_unique<TBvgIllumination>()) {
    border_->SetInner(TBevelCut::bvSpace);
    captionBorder_->SetInner(TBevelCut::bvSpace);
    gradient_->SetFromColor(clBlack);
    gradient_->SetToColor(clGray);
    captionShift_->SetX(8);
    colors_->SetCaption(clBtnShadow);
    colors_->SetCaptionActive(clBtnShadow);
    colors_->SetText(clHighlightText);
    colors_->SetTextActive(clHighlightText);
    auto changed = [this](TObject* sender) { OptionChanged(sender); };
    border_->OnChanged = changed;
    captionBorder_->OnChanged = changed;
    gradient_->OnChanged = changed;
    captionGradient_->OnChanged = changed;
    captionShift_->OnChanged = changed;
    colors_->OnChanged = changed;
    illumination_->OnChanged = changed;
    // A box built expanded expands back to the height it was built with.
    fullHeight_ = Height();
}

TBvgGroupBox::~TBvgGroupBox() {
    Destroying();
}

void TBvgGroupBox::OptionChanged(TObject* sender) {
    if (sender == captionShift_.get() || sender == captionBorder_.get() ||
        sender == illumination_.get())
        CalcCaptionRect();
    if (!IsLoading())
        Invalidate();
}

void TBvgGroupBox::Notification(TComponent* component, TOperation operation) {
    TCustomGroupBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == focusedChild_)
        focusedChild_ = nullptr;
}

void TBvgGroupBox::SetCaptionTextStyle(TglTextStyle value) {
    BV_ASSERT_GUI_THREAD();
    if (value == captionTextStyle_)
        return;
    captionTextStyle_ = value;
    CalcCaptionRect();
    Invalidate();
}

void TBvgGroupBox::SetCaptionAlignment(TCaptionAlignment value) {
    BV_ASSERT_GUI_THREAD();
    if (value == captionAlignment_)
        return;
    captionAlignment_ = value;
    CalcCaptionRect();
    Invalidate();
}

void TBvgGroupBox::SetTransparent(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == transparent_)
        return;
    transparent_ = value;
    Invalidate();
}

void TBvgGroupBox::SetTransparentCaption(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == transparentCaption_)
        return;
    transparentCaption_ = value;
    Invalidate();
}

void TBvgGroupBox::SetOptions(TglGroupBoxOptions value) {
    BV_ASSERT_GUI_THREAD();
    if (value == options_)
        return;
    options_ = value;
    if (Parent())
        DeriveReliefColors(Parent()->Brush()->Color(), colors_.get());
    CalcCaptionRect();
    Invalidate();
}

TBitmap* TBvgGroupBox::GlyphCollapsed() {
    if (!glyphCollapsed_) {
        glyphCollapsed_ = std::make_unique<TBitmap>();
        glyphCollapsed_->OnChange = [this](TGraphic&) { Invalidate(); };
    }
    return glyphCollapsed_.get();
}

TBitmap* TBvgGroupBox::GlyphExpanded() {
    if (!glyphExpanded_) {
        glyphExpanded_ = std::make_unique<TBitmap>();
        glyphExpanded_->OnChange = [this](TGraphic&) { Invalidate(); };
    }
    return glyphExpanded_.get();
}

void TBvgGroupBox::SetGlyphCollapsed(TBitmap* value) {
    if (value)
        GlyphCollapsed()->Assign(*value);
    else
        GlyphCollapsed()->SetSize(0, 0);
    CalcCaptionRect();
    Invalidate();
}

void TBvgGroupBox::SetGlyphExpanded(TBitmap* value) {
    if (value)
        GlyphExpanded()->Assign(*value);
    else
        GlyphExpanded()->SetSize(0, 0);
    CalcCaptionRect();
    Invalidate();
}

void TBvgGroupBox::SetText(const std::string& text) {
    TCustomGroupBox::SetText(text);
    CalcCaptionRect();
}

void TBvgGroupBox::SetBounds(int left, int top, int width, int height) {
    TCustomGroupBox::SetBounds(left, top, width, height);
    if (!collapsed_)
        fullHeight_ = Height();
}

TRect TBvgGroupBox::ClientRect() const {
    TRect r = TCustomGroupBox::ClientRect();
    ++r.Top;
    r.Bottom = std::max(r.Top, r.Bottom);
    return r;
}

template <class F> void TBvgGroupBox::ForEachInGroup(F f) {
    TComponent* owner = Owner();
    if (!owner || groupIndex_ == 0)
        return;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* box = dynamic_cast<TBvgGroupBox*>(owner->Components(i));
        if (box && box != this && box->groupIndex_ == groupIndex_)
            f(box);
    }
}

void TBvgGroupBox::SetGroupIndex(int value) {
    BV_ASSERT_GUI_THREAD();
    if (value == groupIndex_)
        return;
    groupIndex_ = value;
    if (!IsLoading() && !collapsed_ && groupIndex_ != 0)
        ForEachInGroup([](TBvgGroupBox* other) { other->SetCollapsed(true); });
}

void TBvgGroupBox::SetCollapsed(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == collapsed_ || (value && !(options_ & fgoCanCollapse)))
        return;
    if (IsLoading()) {
        collapsed_ = value;
        return;
    }
    DoCollapse(value);
}

void TBvgGroupBox::Collapse(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (IsLoading())
        return;
    if (value) {
        if (Align() == TAlign::alClient)
            return;
        if (groupIndex_ != 0 && (options_ & fgoOneAlwaysExpanded)) {
            bool otherOpen = false;
            ForEachInGroup(
                [&](TBvgGroupBox* other) { otherOpen = otherOpen || !other->collapsed_; });
            if (!otherOpen)
                return;
        }
    } else if (groupIndex_ != 0 && (options_ & fgoCollapseOther)) {
        ForEachInGroup([](TBvgGroupBox* other) { other->SetCollapsed(true); });
    }
    // Asking for the state the box already has changes nothing on it and reports nothing.
    if (value == collapsed_ || (value && !(options_ & fgoCanCollapse)))
        return;
    DoCollapse(value);
    if (value && OnCollapsed)
        OnCollapsed(this);
    else if (!value && OnExpanded)
        OnExpanded(this);
}

void TBvgGroupBox::DoCollapse(bool value) {
    if (Align() == TAlign::alClient)
        return;
    collapsed_ = value;
    // The caption bar is measured now, not taken from the last paint, which may not have come.
    CalcCaptionRect();
    int captionBottom = captionRect_.Bottom;
    TWinControl* parent = Parent();
    auto children = [&](auto f) {
        TComponent* owner = Owner();
        if (!owner)
            return;
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            auto* c = dynamic_cast<TControl*>(owner->Components(i));
            if (c && c->Parent() == this)
                f(c);
        }
    };
    if (value) {
        fullHeight_ = Height();
        if ((options_ & fgoResizeParent) && parent)
            parent->SetHeight(parent->Height() - (fullHeight_ - captionBottom));
        SetHeight(captionBottom + 1);
        if (options_ & (fgoHideChildrenWhenCollapsed | fgoSaveChildFocus))
            children([&](TControl* c) {
                auto* w = dynamic_cast<TWinControl*>(c);
                if ((options_ & fgoSaveChildFocus) && w && w->Focused()) {
                    focusedChild_ = w;
                    w->FreeNotification(this);
                }
                if (options_ & fgoHideChildrenWhenCollapsed)
                    c->Hide();
            });
    } else {
        if ((options_ & fgoResizeParent) && parent)
            parent->SetHeight(parent->Height() + (fullHeight_ - captionBottom));
        SetHeight(fullHeight_);
        if (options_ & fgoHideChildrenWhenCollapsed)
            children([](TControl* c) { c->Show(); });
        if (auto* w = dynamic_cast<TWinControl*>(focusedChild_)) {
            try {
                if (w->CanFocus())
                    w->SetFocus();
            } catch (...) {
                // A child that cannot take the focus now simply does not get it.
            }
        }
    }
    Invalidate();
}

int TBvgGroupBox::GlyphWidth() const {
    int a = glyphCollapsed_ ? glyphCollapsed_->Width() : 0;
    int b = glyphExpanded_ ? glyphExpanded_->Width() : 0;
    return std::max(a, b);
}

void TBvgGroupBox::CalcCaptionRect() {
    TCanvas c;
    c.SetFont(*Font());
    std::string text = GetText();
    int h = c.TextHeight(text.empty() ? std::string("0") : text);
    TRect r = Rect(captionShift_->X(), 0, 0, h - captionShift_->Y());
    int gw = GlyphWidth();
    TRect m = Rect(r.Left, r.Top, r.Left, r.Bottom);
    c.DrawTextW(text, m, DT_CALCRECT | DT_SINGLELINE);
    r.Right = r.Left + m.Width() + gw + 2;
    int grow = captionBorder_->Bold() ? 3 : 2;
    for (TBevelCut cut : {captionBorder_->Inner(), captionBorder_->Outer()})
        if (cut != TBevelCut::bvNone) {
            r.Right += grow;
            r.Bottom += grow;
        }
    int w = r.Width();
    switch (captionAlignment_) {
    case TCaptionAlignment::fcaLeft:
        r.Left = 0;
        r.Right = w;
        break;
    case TCaptionAlignment::fcaRight:
        r.Left = Width() - w - 1;
        r.Right = r.Left + w;
        break;
    case TCaptionAlignment::fcaCenter:
        r.Left = (Width() - w) / 2;
        r.Right = r.Left + w;
        break;
    case TCaptionAlignment::fcaWidth:
        r.Left = 0;
        r.Right = Width() - 1;
        break;
    default:
        break;
    }
    bool delineated = options_ & fgoDelineatedText;
    if (delineated)
        r.Bottom += 2;
    if (captionTextStyle_ == TglTextStyle::fstShadow)
        r.Bottom += delineated ? illumination_->ShadowDepth() - 2 : illumination_->ShadowDepth();
    else if (captionTextStyle_ != TglTextStyle::fstNone)
        r.Bottom += 2;
    captionRect_ = r;
}

void TBvgGroupBox::Paint() {
    TCanvas* c = Canvas();
    TColor text = collapsed_ ? colors_->Text() : colors_->TextActive();
    TColor caption = collapsed_ ? colors_->Caption() : colors_->CaptionActive();
    TColor client = collapsed_ ? colors_->Client() : colors_->ClientActive();
    TColor delineate = collapsed_ ? colors_->Delineate() : colors_->DelineateActive();
    c->Font()->Assign(*Font());
    int th = c->TextHeight("0");
    TRect frame = Rect(0, (th - captionShift_->Y()) / 2, Width(), Height());
    if (gradient_->Active())
        gradient_->DrawInRect(c, frame);
    --frame.Right;
    --frame.Bottom;
    DrawBevelBox(c, frame, border_->Sides(), border_->Inner(), border_->Outer(), border_->Bold(),
                 client, gradient_->Active() || transparent_);
    std::string title = GetText();
    if (!title.empty()) {
        TBitmap* glyph = collapsed_ ? glyphCollapsed_.get() : glyphExpanded_.get();
        int gw = GlyphWidth();
        CalcCaptionRect();
        TRect cr = captionRect_;
        if (!transparentCaption_) {
            c->Brush()->SetStyle(TBrushStyle::bsSolid);
            c->Brush()->SetColor(colors_->Caption());
            c->FillRect(cr);
        }
        if (captionGradient_->Active())
            captionGradient_->DrawInRect(c, cr);
        bool filled = (options_ & fgoFilledCaption) && !transparentCaption_;
        TRect inner =
            DrawBevelBox(c, cr, captionBorder_->Sides(), captionBorder_->Inner(),
                         captionBorder_->Outer(), captionBorder_->Bold(), caption, !filled);
        if (BitmapHasImage(glyph)) {
            int dy = std::max(0, (inner.Height() - glyph->Height()) / 2);
            PaintBitmap(c, glyph, inner, 0, dy, fopNone, Enabled() ? fdsNormal : fdsDisabled, true,
                        glyph->Pixel(0, glyph->Height() - 1));
        }
        DrawStyledText(c, inner.Left + gw + 2, inner.Top, c->Font(), nullptr, illumination_.get(),
                       colors_->Highlight(), colors_->Shadow(), delineate, text, false,
                       (options_ & fgoDelineatedText) != 0,
                       Enabled() ? captionTextStyle_ : TglTextStyle::fstPushed, title, inner);
    }
    if (AfterPaint)
        AfterPaint(this);
}

bool TBvgGroupBox::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CM_ENABLEDCHANGED: {
        bool r = TCustomGroupBox::HandleMessage(m);
        for (int i = 0; i < ControlCount(); ++i)
            Controls(i)->SetEnabled(Enabled());
        return r;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<TControl*>(m.LParam) != this)
            EndDrag();
        return true;
    default:
        return TCustomGroupBox::HandleMessage(m);
    }
}

void TBvgGroupBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomGroupBox::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || (options_ & fgoIgnoreMouse))
        return;
    if (PtInRect(captionRect_, {x, y}) && (options_ & fgoCanCollapse)) {
        Collapse(!collapsed_);
        return;
    }
    if (Screen)
        Screen->SetCursor(crHandPoint);
    dragStartY_ = y;
    dragging_ = true;
    SetMouseCapture(true);
}

void TBvgGroupBox::MouseMove(TShiftState shift, int x, int y) {
    TCustomGroupBox::MouseMove(shift, x, y);
    if (!dragging_ || (options_ & fgoIgnoreMouse))
        return;
    // A move without the button held means the release went elsewhere: the drag is over.
    if (!(shift & ssLeft)) {
        EndDrag();
        return;
    }
    if (auto* box = dynamic_cast<TScrollBox*>(Parent()))
        box->SetVertPosition(box->VertPosition() + dragStartY_ - y);
}

void TBvgGroupBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomGroupBox::MouseUp(button, shift, x, y);
    if (options_ & fgoIgnoreMouse)
        return;
    EndDrag();
}

void TBvgGroupBox::EndDrag() {
    bool was = dragging_;
    dragging_ = false;
    if (was) {
        if (Screen)
            Screen->SetCursor(crDefault);
        SetMouseCapture(false);
    }
}

void TBvgGroupBox::Loaded() {
    TCustomGroupBox::Loaded();
    CalcCaptionRect();
    // A box built collapsed shows as collapsed, whichever height it was given while loading.
    if (!collapsed_)
        return;
    if (Height() > captionRect_.Bottom + 1) {
        fullHeight_ = Height();
        SetHeight(captionRect_.Bottom + 1);
    }
    if ((options_ & fgoHideChildrenWhenCollapsed) && Owner())
        for (int i = 0; i < Owner()->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TControl*>(Owner()->Components(i)); c && c->Parent() == this)
                c->Hide();
}
