#include "BvSpeedButton.h"

#include "BvKitGuiUtils.h"
#include "ScopeExit.h"

#include <algorithm>

namespace {

TColor AddToChannels(TColor color, int delta) {
    uint32_t rgb = static_cast<uint32_t>(ColorToRGB(color));
    auto ch = [&](int shift) {
        int v = static_cast<int>((rgb >> shift) & 0xFF) + delta;
        return static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
    };
    return static_cast<TColor>(ch(0) | ch(8) | ch(16));
}

bool SameColor(TColor a, TColor b) {
    return (ColorToRGB(a) & 0xFFFFFF) == (ColorToRGB(b) & 0xFFFFFF);
}

// Every pixel but the transparent colour and the button face becomes its grey level.
void GreyPixels(TBitmap& image, TColor transparent) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            TColor c = image.Pixel(x, y) & 0xFFFFFF;
            if (SameColor(c, transparent) || SameColor(c, clBtnFace))
                continue;
            int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
            int grey = (77 * r + 150 * g + 29 * b) >> 8;
            image.SetPixel(x, y, RGB(grey, grey, grey));
        }
}

// Trailing blanks and line breaks go; each line is shortened to the room unless wrapping.
std::string FitCaption(const std::string& caption, TCanvas* canvas, int width, bool wordWrap) {
    if (wordWrap)
        return caption;
    std::string out, line;
    auto flush = [&] {
        if (!out.empty())
            out += "\n";
        out += MinimizeText(line, canvas, width);
        line.clear();
    };
    for (char c : caption) {
        if (c == '\r')
            continue;
        if (c == '\n')
            flush();
        else
            line += c;
    }
    flush();
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n'))
        out.pop_back();
    return out;
}

uint32_t AlignmentFlags(TAlignment a) {
    switch (a) {
    case TAlignment::taLeftJustify:
        return DT_LEFT;
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

} // namespace

// ---- glyph drawer ----

TBvxButtonGlyph::TBvxButtonGlyph() : glyph_(std::make_unique<TBitmap>()) {
    glyph_->OnChange = [this](TGraphic&) { GlyphChanged(); };
}

TBvxButtonGlyph::~TBvxButtonGlyph() {
    glyph_->OnChange = nullptr;
}

void TBvxButtonGlyph::SetGlyph(TBitmap* value) {
    if (value)
        glyph_->Assign(*value);
    else
        glyph_->SetSize(0, 0);
    GlyphChanged();
}

void TBvxButtonGlyph::GlyphChanged() {
    Invalidate();
    // An empty bitmap has no bottom-left pixel and no width to divide: it leaves both alone.
    if (!glyph_->Empty()) {
        transparentColor_ = glyph_->Pixel(0, glyph_->Height() - 1) & 0xFFFFFF;
        int w = glyph_->Width(), h = glyph_->Height();
        if (w % h == 0) {
            int n = w / h;
            numGlyphs_ = n > 5 ? 1 : n;
        }
    }
    if (OnChange)
        OnChange(nullptr);
}

void TBvxButtonGlyph::SetNumGlyphs(int value) {
    if (value <= 0)
        return;
    value = std::min(value, 5);
    if (value == numGlyphs_)
        return;
    numGlyphs_ = value;
    Invalidate();
}

void TBvxButtonGlyph::SetGrayNewStyle(bool value) {
    if (value == grayNewStyle_)
        return;
    grayNewStyle_ = value;
    Invalidate();
}

void TBvxButtonGlyph::Invalidate() {
    for (auto& image : images_)
        image.reset();
}

TBitmap* TBvxButtonGlyph::StateImage(TBvButtonState state) {
    if (glyph_->Empty())
        return nullptr;
    int index = static_cast<int>(state);
    if (state == TBvButtonState::rbsDown && numGlyphs_ < 3)
        index = 0;
    auto& slot = images_[static_cast<size_t>(static_cast<int>(state))];
    if (slot)
        return slot.get();
    int partWidth = glyph_->Width() / numGlyphs_;
    if (partWidth <= 0)
        return nullptr;
    int part = index < numGlyphs_ ? index : 0;
    auto image = std::make_unique<TBitmap>(partWidth, glyph_->Height());
    image->Canvas()->CopyRect(Rect(0, 0, partWidth, glyph_->Height()), glyph_->Canvas(),
                              Rect(part * partWidth, 0, (part + 1) * partWidth, glyph_->Height()));
    if (state == TBvButtonState::rbsDisabled && numGlyphs_ == 1) {
        std::unique_ptr<TBitmap> grey(
            grayNewStyle_ ? CreateDisabledBitmapEmbossed(image.get(), transparentColor_)
                          : CreateDisabledBitmap(image.get(), clBtnFace));
        if (grey)
            image = std::move(grey);
    } else if (state == TBvButtonState::rbsInactive && numGlyphs_ < 5) {
        GreyPixels(*image, transparentColor_);
    }
    slot = std::move(image);
    return slot.get();
}

TPoint TBvxButtonGlyph::GlyphSize(TCustomImageList* images, int index) const {
    if (images && index >= 0 && index < images->Count())
        return {images->Width(), images->Height()};
    if (!glyph_->Empty() && numGlyphs_ > 0)
        return {glyph_->Width() / numGlyphs_, glyph_->Height()};
    return {0, 0};
}

TBvButtonLayoutResult TBvxButtonGlyph::CalcButtonLayout(TCanvas* canvas, const TRect& client,
                                                        TPoint offset, const std::string& caption,
                                                        TButtonLayout layout, int margin,
                                                        int spacing, bool showMark,
                                                        TCustomImageList* images, int index) const {
    TBvButtonLayoutResult res;
    TPoint clientSize{client.Width(), client.Height()};
    TPoint g = GlyphSize(images, index);
    bool horizontal = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;

    TPoint room;
    if (horizontal) {
        room.X = clientSize.X - g.X;
        if (margin != -1)
            room.X -= margin;
        if (spacing != -1)
            room.X -= spacing;
        if (showMark)
            room.X -= 9;
        room.Y = clientSize.Y;
    } else {
        room.X = clientSize.X;
        room.Y = clientSize.Y - g.Y;
        if (margin != -1)
            room.Y -= margin;
        if (spacing != -1)
            room.Y -= spacing;
    }
    room.X = std::max(room.X, 0);
    room.Y = std::max(room.Y, 0);

    res.Caption = FitCaption(caption, canvas, room.X, WordWrap);
    TRect text = Rect(0, 0, room.X, 0);
    if (!res.Caption.empty()) {
        uint32_t flags = DT_CALCRECT | DT_CENTER | DT_VCENTER | AlignmentFlags(Alignment);
        if (WordWrap)
            flags |= DT_WORDBREAK;
        DrawText(canvas, res.Caption, -1, text, flags);
    } else {
        text = Rect(0, 0, 0, 0);
    }
    TPoint t{std::min(text.Width(), room.X), std::min(text.Height(), room.Y)};

    if (showMark) {
        if (g.X > 0 && layout != TButtonLayout::blGlyphLeft)
            g.X += 6;
        else
            t.X += 9;
    }

    TPoint gp, tp;
    if (horizontal) {
        gp.Y = clientSize.Y / 2 - g.Y / 2;
        tp.Y = clientSize.Y / 2 - t.Y / 2;
    } else {
        gp.X = clientSize.X / 2 - g.X / 2;
        tp.X = clientSize.X / 2 - t.X / 2;
    }

    int c = horizontal ? clientSize.X : clientSize.Y;
    int gs = horizontal ? g.X : g.Y;
    int ts = horizontal ? t.X : t.Y;
    if (ts == 0 || gs == 0)
        spacing = 0;
    if (margin == -1) {
        if (spacing != -1)
            margin = c / 2 - (gs + spacing + ts) / 2;
        else
            margin = spacing = (c - (gs + ts)) / 3;
    } else if (spacing == -1) {
        spacing = (c - margin - gs) / 2 - ts / 2;
    }

    switch (layout) {
    case TButtonLayout::blGlyphLeft:
        gp.X = margin;
        tp.X = gp.X + g.X + spacing;
        break;
    case TButtonLayout::blGlyphRight:
        gp.X = clientSize.X - margin - g.X;
        tp.X = gp.X - spacing - t.X;
        break;
    case TButtonLayout::blGlyphTop:
        gp.Y = margin;
        tp.Y = gp.Y + g.Y + spacing;
        break;
    case TButtonLayout::blGlyphBottom:
        gp.Y = clientSize.Y - margin - g.Y;
        tp.Y = gp.Y - spacing - t.Y;
        break;
    }

    res.GlyphPos = {gp.X + client.Left + offset.X, gp.Y + client.Top + offset.Y};
    res.TextBounds = Bounds(tp.X + client.Left + offset.X, tp.Y + client.Top + offset.Y, t.X, t.Y);
    return res;
}

void TBvxButtonGlyph::DrawMark(TCanvas* canvas, int x, int y, TBvButtonState state) {
    auto triangle = [&](int dx, int dy, TColor color) {
        canvas->Pen()->SetColor(color);
        for (int row = 0; row < 4; ++row) {
            canvas->MoveTo(x + dx + row, y + dy - 1 + row);
            canvas->LineTo(x + dx + row + 7 - 2 * row, y + dy - 1 + row);
        }
    };
    if (state == TBvButtonState::rbsDisabled) {
        triangle(1, 1, clBtnHighlight);
        triangle(0, 0, clBtnShadow);
    } else {
        triangle(0, 0, clBtnText);
    }
}

TRect TBvxButtonGlyph::Draw(TCanvas* canvas, const TRect& client, TPoint offset,
                            const std::string& caption, TButtonLayout layout, int margin,
                            int spacing, TBvButtonState state, bool showMark,
                            TCustomImageList* images, int index) {
    TBvButtonLayoutResult l = CalcButtonLayout(canvas, client, offset, caption, layout, margin,
                                               spacing, showMark, images, index);
    bool drewGlyph = false;
    TPoint g = GlyphSize(images, index);
    if (images && index >= 0 && index < images->Count()) {
        if (state == TBvButtonState::rbsDisabled && !grayNewStyle_) {
            ImageListDrawDisabled(images, canvas, l.GlyphPos.X, l.GlyphPos.Y, index, clBtnHighlight,
                                  clBtnShadow, true);
        } else if (state == TBvButtonState::rbsInactive) {
            // A grey copy: the picture drawn on the transparent colour, every other pixel grey.
            const TColor key = 0xFF00FF;
            TBitmap grey(images->Width(), images->Height());
            grey.Canvas()->Brush()->SetColor(key);
            grey.Canvas()->FillRect(Rect(0, 0, grey.Width(), grey.Height()));
            images->Draw(grey.Canvas(), 0, 0, index, true);
            GreyPixels(grey, key);
            DrawTransparentBitmap(canvas, l.GlyphPos.X, l.GlyphPos.Y, &grey, key);
        } else
            images->Draw(canvas, l.GlyphPos.X, l.GlyphPos.Y, index,
                         state != TBvButtonState::rbsDisabled);
        drewGlyph = true;
    } else if (TBitmap* image = StateImage(state)) {
        DrawTransparentBitmap(canvas, l.GlyphPos.X, l.GlyphPos.Y, image, transparentColor_);
        drewGlyph = true;
    }

    if (!l.Caption.empty()) {
        uint32_t flags = DT_VCENTER | AlignmentFlags(Alignment) | (WordWrap ? DT_WORDBREAK : 0);
        canvas->Brush()->SetStyle(TBrushStyle::bsClear);
        TColor saved = canvas->Font()->Color();
        TRect r = l.TextBounds;
        if (state == TBvButtonState::rbsDisabled) {
            canvas->Font()->SetColor(clBtnHighlight);
            TRect shifted = r;
            OffsetRect(shifted, 1, 1);
            DrawText(canvas, l.Caption, -1, shifted, flags);
            canvas->Font()->SetColor(clBtnShadow);
        }
        DrawText(canvas, l.Caption, -1, r, flags);
        canvas->Font()->SetColor(saved);
        canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    }

    if (showMark) {
        if (layout != TButtonLayout::blGlyphLeft && drewGlyph)
            DrawMark(canvas, l.GlyphPos.X + g.X + 1, l.GlyphPos.Y + g.Y / 2, state);
        else if (!l.Caption.empty())
            DrawMark(canvas, l.TextBounds.Right + 3, l.TextBounds.Top + l.TextBounds.Height() / 2,
                     state);
        else
            DrawMark(canvas, (l.TextBounds.Left + l.TextBounds.Right - 7) / 2,
                     l.TextBounds.Top + l.TextBounds.Height() / 2, state);
    }
    return l.TextBounds;
}

// ---- hot frame options ----

void TBvSpeedButtonHotTrackOptions::Assign(const TPersistent& source) {
    if (auto* o = dynamic_cast<const TBvSpeedButtonHotTrackOptions*>(&source)) {
        Enabled = o->Enabled;
        Color = o->Color;
        FrameColor = o->FrameColor;
        return;
    }
    TPersistent::Assign(source);
}

// ---- the button ----

TBvCustomSpeedButton::TBvCustomSpeedButton(TComponent* owner)
    : TBvGraphicControl(owner), glyph_(std::make_unique<TBvxButtonGlyph>()),
      hotTrackFont_(std::make_unique<TFont>()),
      hotTrackOptions_(std::make_unique<TBvSpeedButtonHotTrackOptions>()) {
    SetBounds(0, 0, 25, 25);
    // The button clicks itself on release, so the framework's click on release stays off. Its
    // caption is a caption (not content, as an edit's text is): a linked action sets it.
    ControlStyle = csCaptureMouse | csOpaque | csDoubleClicks | csReplicatable | csSetCaption;
    SetColor(clBtnFace);
    SetParentFont(true);
    SetParentShowHint(false);
    SetShowHint(true);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    UpdateTrackFont(hotTrackFont_.get(), Font(), hotTrackFontOptions_);
}

TBvCustomSpeedButton::~TBvCustomSpeedButton() {
    glyph_->OnChange = nullptr;
    if (dropDownMenu_)
        dropDownMenu_->RemoveFreeNotification(this);
}

void TBvCustomSpeedButton::Notification(TComponent* component, TOperation operation) {
    TBvGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == dropDownMenu_)
        dropDownMenu_ = nullptr;
}

bool TBvCustomSpeedButton::NewStyle() const {
    return style_ == TButtonStyle::bsNew || style_ == TButtonStyle::bsAutoDetect;
}

void TBvCustomSpeedButton::SetState(TBvButtonState state) {
    if (state_ == state)
        return;
    state_ = state;
    Invalidate();
}

void TBvCustomSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    if (value) {
        if (state_ == TBvButtonState::rbsUp)
            Invalidate();
        state_ = TBvButtonState::rbsExclusive;
    } else {
        state_ = TBvButtonState::rbsUp;
    }
    Invalidate();
    if (value)
        TellGroup();
}

void TBvCustomSpeedButton::SetGroupIndex(int value) {
    if (value == groupIndex_)
        return;
    groupIndex_ = value;
    TellGroup();
}

void TBvCustomSpeedButton::SetAllowAllUp(bool value) {
    if (value == allowAllUp_)
        return;
    allowAllUp_ = value;
    TellGroup();
}

void TBvCustomSpeedButton::TellGroup() {
    if (groupIndex_ == 0 || !Parent())
        return;
    TWinControl* parent = Parent();
    // A receiver may change the list (a handler that frees a button), so each is looked up again.
    for (int i = 0; i < parent->ControlCount(); ++i)
        parent->Controls(i)->Perform(CM_BVBUTTONPRESSED, groupIndex_,
                                     reinterpret_cast<intptr_t>(this));
}

void TBvCustomSpeedButton::ButtonPressed(TBvCustomSpeedButton* sender) {
    if (sender == this)
        return;
    if (sender->down_ && down_) {
        down_ = false;
        state_ = TBvButtonState::rbsUp;
        Invalidate();
    }
    allowAllUp_ = sender->allowAllUp_;
}

void TBvCustomSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_BVBUTTONPRESSED:
        if (static_cast<int>(m.WParam) == groupIndex_ && groupIndex_ != 0) {
            auto* control = reinterpret_cast<TControl*>(m.LParam);
            if (auto* sender = dynamic_cast<TBvCustomSpeedButton*>(control))
                ButtonPressed(sender);
        }
        return;
    case CM_SYSCOLORCHANGE:
        glyph_->Invalidate();
        Invalidate();
        break;
    case WM_LBUTTONDBLCLK:
        if (busy_)
            return;
        TBvGraphicControl::WndProc(m);
        return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        TBvGraphicControl::WndProc(m);
        if (IsControlAlive(this))
            CheckHover();
        return;
    default:
        break;
    }
    TBvGraphicControl::WndProc(m);
}

void TBvCustomSpeedButton::SetDropDownMenu(TPopupMenu* value) {
    if (value == dropDownMenu_)
        return;
    if (dropDownMenu_)
        dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = value;
    if (value)
        value->FreeNotification(this);
    if (markDropDown_)
        Invalidate();
}

#define BV_STORE_REPAINT(Setter, field, Type)                                                      \
    void TBvCustomSpeedButton::Setter(Type value) {                                                \
        if (value == field)                                                                        \
            return;                                                                                \
        field = value;                                                                             \
        Invalidate();                                                                              \
    }
BV_STORE_REPAINT(SetFlat, flat_, bool)
BV_STORE_REPAINT(SetHotTrack, hotTrack_, bool)
BV_STORE_REPAINT(SetGrayedInactive, grayedInactive_, bool)
BV_STORE_REPAINT(SetLayout, layout_, TButtonLayout)
BV_STORE_REPAINT(SetMarkDropDown, markDropDown_, bool)
BV_STORE_REPAINT(SetSpacing, spacing_, int)
BV_STORE_REPAINT(SetStyle, style_, TButtonStyle)
BV_STORE_REPAINT(SetTransparent, transparent_, bool)
#undef BV_STORE_REPAINT

void TBvCustomSpeedButton::SetMargin(int value) {
    if (value < -1 || value == margin_)
        return;
    margin_ = value;
    Invalidate();
}

void TBvCustomSpeedButton::SetAlignment(TAlignment value) {
    if (value == glyph_->Alignment)
        return;
    glyph_->Alignment = value;
    Invalidate();
}

void TBvCustomSpeedButton::SetWordWrap(bool value) {
    if (value == glyph_->WordWrap)
        return;
    glyph_->WordWrap = value;
    glyph_->Invalidate();
    Invalidate();
}

void TBvCustomSpeedButton::SetGrayNewStyle(bool value) {
    glyph_->SetGrayNewStyle(value);
    Invalidate();
}

void TBvCustomSpeedButton::SetHotTrackFontOptions(TBvTrackFontOptions value) {
    if (value == hotTrackFontOptions_)
        return;
    hotTrackFontOptions_ = value;
    UpdateTrackFont(hotTrackFont_.get(), Font(), hotTrackFontOptions_);
}

void TBvCustomSpeedButton::SetAllowTimer(bool value) {
    allowTimer_ = value;
    if (!value)
        repeatTimer_.reset();
}

TPoint TBvCustomSpeedButton::MenuPoint() const {
    if (!dropDownMenu_)
        return {0, 0};
    // The menu's own alignment says which of its corners meets the point; the
    // caption's alignment has nothing to do with it.
    const TPopupAlignment a = dropDownMenu_->Alignment;
    if (MenuPosition == TBvDropDownMenuPos::dmpBottom) {
        switch (a) {
        case TPopupAlignment::paLeft:
            return {-1, Height()};
        case TPopupAlignment::paRight:
            return {Width() + 1, Height()};
        default:
            return {Width() / 2, Height()};
        }
    }
    switch (a) {
    case TPopupAlignment::paLeft:
        return {Width(), -1};
    case TPopupAlignment::paRight:
        return {-1, -1};
    default:
        return {Width() / 2, Height()};
    }
}

void TBvCustomSpeedButton::Click() {
    if (TCustomForm* form = ParentForm())
        form->SetModalResult(ModalResult);
    TBvGraphicControl::Click();
}

std::unique_ptr<TControlActionLink> TBvCustomSpeedButton::CreateActionLink() {
    return std::make_unique<TBvSpeedButtonActionLink>(this);
}

void TBvCustomSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
    TBvGraphicControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || groupIndex_ == 0)
        SetGroupIndex(action->GroupIndex());
    if (groupIndex_ != 0 && allowAllUp_)
        SetDown(action->Checked());
}

void TBvCustomSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TBvGraphicControl::MouseDown(button, shift, x, y);
    if (!IsControlAlive(this) || busy_)
        return;
    if (Enabled() && !mouseInControl_) {
        mouseInControl_ = true;
        Invalidate();
    }
    if (button != TMouseButton::mbLeft || !Enabled())
        return;
    if (!down_)
        SetState(TBvButtonState::rbsDown);
    dragging_ = true;
    busy_ = true;
    if (dropDownMenu_) {
        TPoint p = ClientToScreen(MenuPoint());
        dropDownMenu_->PopupComponent = this;
        dropDownMenu_->Popup(p.X, p.Y);
        if (!IsControlAlive(this))
            return;
        // The menu takes the mouse: the release it swallows never reaches the button,
        // so the capture the press took is given up here, or every later click on the
        // form would go to this button and open the menu again.
        SetMouseCapture(false);
        ControlState &= ~csClicked;
        busy_ = false;
        ReleaseProcessing(-1, -1);
        if (!IsControlAlive(this))
            return;
    }
    busy_ = false;
    if (allowTimer_) {
        if (!repeatTimer_) {
            repeatTimer_ = std::make_unique<TTimer>(nullptr);
            repeatTimer_->SetOnTimer([this](TObject*) { RepeatTick(); });
        }
        repeatTimer_->SetEnabled(false);
        repeatTimer_->SetInterval(InitPause);
        repeatTimer_->SetEnabled(true);
    }
}

void TBvCustomSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TBvGraphicControl::MouseMove(shift, x, y);
    if (!IsControlAlive(this) || !dragging_)
        return;
    TBvButtonState next = TBvButtonState::rbsUp;
    if (down_)
        next = TBvButtonState::rbsExclusive;
    else if (x >= 0 && x < Width() && y >= 0 && y < Height())
        next = TBvButtonState::rbsDown;
    SetState(next);
}

void TBvCustomSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TBvGraphicControl::MouseUp(button, shift, x, y);
    if (!IsControlAlive(this))
        return;
    if (button == TMouseButton::mbLeft)
        ReleaseProcessing(x, y);
    if (IsControlAlive(this) && repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

void TBvCustomSpeedButton::ReleaseProcessing(int x, int y) {
    if (!dragging_)
        return;
    dragging_ = false;
    bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    if (groupIndex_ == 0) {
        state_ = TBvButtonState::rbsUp;
        mouseInControl_ = false;
        Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_)
            state_ = TBvButtonState::rbsExclusive;
        else
            state_ = TBvButtonState::rbsUp;
        Invalidate();
    } else if (down_) {
        SetState(TBvButtonState::rbsExclusive);
    } else {
        SetState(TBvButtonState::rbsUp);
    }
    if (inside && !busy_) {
        Click();
        // The click may have freed the button; nothing of it may be touched then.
        if (!IsControlAlive(this))
            return;
    }
    CheckHover();
}

void TBvCustomSpeedButton::CheckHover() {
    bool over = false;
    if (Enabled() && Visible() && Parent() && IsForegroundTask() && Mouse) {
        TPoint p = Parent()->ScreenToClient(Mouse->CursorPos());
        over = Parent()->ControlAtPos(p, false) == this;
    }
    if (over != mouseInControl_)
        Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, reinterpret_cast<intptr_t>(this));
}

void TBvCustomSpeedButton::RepeatTick() {
    if (!repeatTimer_)
        return;
    repeatTimer_->SetInterval(RepeatInterval);
    if (state_ == TBvButtonState::rbsDown && MouseCapture()) {
        TScopeExit stopRepeating([this] {
            if (IsControlAlive(this) && repeatTimer_)
                repeatTimer_->SetEnabled(false);
        });
        Click();
        stopRepeating.Release();
    }
}

void TBvCustomSpeedButton::MouseEnter(TControl* control) {
    if (IsDesigning() || mouseInControl_ || !Enabled()) {
        TBvGraphicControl::MouseEnter(control);
        return;
    }
    mouseInControl_ = true;
    if (hotTrack_ || (flat_ && !GetCaptureControl()))
        Invalidate();
    TBvGraphicControl::MouseEnter(control);
}

void TBvCustomSpeedButton::MouseLeave(TControl* control) {
    if (mouseInControl_ && Enabled()) {
        mouseInControl_ = false;
        if (hotTrack_ || (flat_ && !dragging_))
            Invalidate();
    } else {
        mouseInControl_ = false;
    }
    TBvGraphicControl::MouseLeave(control);
}

void TBvCustomSpeedButton::EnabledChanged() {
    TBvGraphicControl::EnabledChanged();
    TBvButtonState next = !Enabled() ? TBvButtonState::rbsDisabled
                          : flat_    ? TBvButtonState::rbsInactive
                                     : TBvButtonState::rbsUp;
    glyph_->StateImage(next);
    CheckHover();
    Invalidate();
}

void TBvCustomSpeedButton::VisibleChanged() {
    TBvGraphicControl::VisibleChanged();
    if (Visible())
        CheckHover();
}

void TBvCustomSpeedButton::FontChanged() {
    TBvGraphicControl::FontChanged();
    UpdateTrackFont(hotTrackFont_.get(), Font(), hotTrackFontOptions_);
    Invalidate();
}

void TBvCustomSpeedButton::TextChanged() {
    TBvGraphicControl::TextChanged();
    Invalidate();
}

bool TBvCustomSpeedButton::WantDialogChar(int key, TShiftState shift, const std::u16string& text) {
    if (IsAccel(static_cast<uint32_t>(key), Caption()) && Enabled() && (shift & ssAlt)) {
        Click();
        return true;
    }
    return TBvGraphicControl::WantDialogChar(key, shift, text);
}

void TBvCustomSpeedButton::DrawFrame(TRect& r, bool down) {
    TCanvas* c = Canvas();
    TColor light = AddToChannels(Color(), 64);
    TColor dark = AddToChannels(Color(), -64);
    if (NewStyle()) {
        if (flat_) {
            Frame3D(c, r, down ? dark : light, down ? light : dark, 1);
        } else if (!down) {
            Frame3D(c, r, light, clWindowFrame, 1);
            Frame3D(c, r, Color(), dark, 1);
        } else {
            Frame3D(c, r, clWindowFrame, light, 1);
            Frame3D(c, r, dark, Color(), 1);
        }
    } else if (flat_) {
        Frame3D(c, r, down ? clWindowFrame : light, down ? light : clWindowFrame, 1);
    } else if (!down) {
        Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
        Frame3D(c, r, light, dark, 1);
    } else {
        Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top);
        c->LineTo(r.Right, r.Top);
    }
}

void TBvCustomSpeedButton::Paint() {
    TCanvas* c = Canvas();
    if (!c)
        return;
    if (!Enabled()) {
        state_ = TBvButtonState::rbsDisabled;
        dragging_ = false;
    } else if (state_ == TBvButtonState::rbsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? TBvButtonState::rbsExclusive : TBvButtonState::rbsUp;
    }
    TBvButtonState glyphState =
        flat_ && !mouseInControl_ && !IsDesigning() ? TBvButtonState::rbsInactive : state_;
    TRect p = Rect(0, 0, Width(), Height());
    if (transparent_) {
        CopyParentImage(this, c);
    } else {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->FillRect(p);
    }
    bool pressed = state_ == TBvButtonState::rbsDown || state_ == TBvButtonState::rbsExclusive;
    if (!(glyphState == TBvButtonState::rbsInactive && state_ != TBvButtonState::rbsExclusive)) {
        DrawFrame(p, pressed);
    } else if (flat_) {
        InflateRect(p, -2, -2);
    }
    if (state_ == TBvButtonState::rbsExclusive && !transparent_ &&
        (!flat_ || glyphState == TBvButtonState::rbsInactive)) {
        std::unique_ptr<TBitmap> pattern(CreateTwoColorsBrushPattern(clBtnFace, clBtnHighlight));
        InflateRect(p, 1, 1);
        c->Brush()->SetBitmap(pattern.get());
        c->FillRect(p);
        c->Brush()->SetBitmap(nullptr);
        InflateRect(p, -1, -1);
    }
    TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
    c->SetFont(*Font());
    if (mouseInControl_ || dragging_ || (hotTrackOptions_->Enabled && down_)) {
        if (hotTrack_) {
            c->SetFont(*hotTrackFont_);
            if (hotTrackOptions_->Enabled) {
                c->Pen()->SetColor(hotTrackOptions_->FrameColor);
                std::unique_ptr<TBitmap> pattern;
                if (down_) {
                    pattern.reset(CreateTwoColorsBrushPattern(hotTrackOptions_->Color, clWindow));
                    c->Brush()->SetBitmap(pattern.get());
                } else {
                    c->Brush()->SetColor(hotTrackOptions_->Color);
                }
                c->Rectangle(0, 0, Width(), Height());
                c->Brush()->SetBitmap(nullptr);
            }
        }
    }
    if (state_ == TBvButtonState::rbsDisabled || !grayedInactive_)
        glyphState = state_;
    PaintImage(c, p, offset, glyphState, markDropDown_ && dropDownMenu_);
}

// ---- bitmap glyph button ----

TBvSpeedButton::TBvSpeedButton(TComponent* owner)
    : TBvCustomSpeedButton(owner), hotGlyph_(std::make_unique<TBvxButtonGlyph>()) {
    hotGlyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBvSpeedButton::~TBvSpeedButton() {
    hotGlyph_->OnChange = nullptr;
}

void TBvSpeedButton::SetGlyph(TBitmap* value) {
    ButtonGlyph()->SetGlyph(value);
    Invalidate();
}

void TBvSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
    TBvCustomSpeedButton::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action || !Glyph()->Empty() || !action->ActionList())
        return;
    TCustomImageList* images = action->ActionList()->Images();
    int index = action->ImageIndex();
    if (!images || index < 0 || index >= images->Count())
        return;
    TBitmap picture(images->Width(), images->Height());
    picture.Canvas()->Brush()->SetColor(0xFF00FF);
    picture.Canvas()->FillRect(Rect(0, 0, images->Width(), images->Height()));
    images->Draw(picture.Canvas(), 0, 0, index);
    SetGlyph(&picture);
}

void TBvSpeedButton::SetNumGlyphs(int value) {
    ButtonGlyph()->SetNumGlyphs(value);
    Invalidate();
}

void TBvSpeedButton::SetHotTrackGlyph(TBitmap* value) {
    hotGlyph_->SetGlyph(value);
    Invalidate();
}

void TBvSpeedButton::InvalidateImages() {
    ButtonGlyph()->Invalidate();
    hotGlyph_->Invalidate();
}

void TBvSpeedButton::PaintImage(TCanvas* canvas, const TRect& r, TPoint offset,
                                TBvButtonState state, bool drawMark) {
    TBvxButtonGlyph* drawer = ButtonGlyph();
    if (IsHot() && HotTrack() && !hotGlyph_->Glyph()->Empty()) {
        hotGlyph_->Alignment = drawer->Alignment;
        hotGlyph_->SetGrayNewStyle(drawer->GrayNewStyle());
        hotGlyph_->SetNumGlyphs(drawer->NumGlyphs());
        hotGlyph_->WordWrap = drawer->WordWrap;
        drawer = hotGlyph_.get();
    }
    drawer->Draw(canvas, r, offset, Caption(), Layout(), Margin(), Spacing(), state, drawMark);
}

// ---- image list button ----

// The image list has one change handler; each button chains itself in front of the one it
// found, and a button that lets go of the list either restores it or, when another handler
// was chained after it, stays in the chain as a dead link that only passes the call on.
struct TBvImageSpeedButton::TImagesLink {
    std::function<void(TCustomImageList&)> Previous;
    TBvImageSpeedButton* Button = nullptr;
};

namespace {
struct TImagesLinkCall {
    std::shared_ptr<void> Keep;
    std::function<void(TCustomImageList&)>* Previous;
    TBvImageSpeedButton** Button;
    void operator()(TCustomImageList& list) const {
        std::shared_ptr<void> keep = Keep;
        if (*Previous)
            (*Previous)(list);
        if (*Button)
            (*Button)->Invalidate();
    }
};
} // namespace

TBvImageSpeedButton::TBvImageSpeedButton(TComponent* owner) : TBvCustomSpeedButton(owner) {}

TBvImageSpeedButton::~TBvImageSpeedButton() {
    Relink(nullptr);
}

void TBvImageSpeedButton::Relink(TCustomImageList* value) {
    if (images_) {
        TImagesLinkCall* call = images_->OnChange.target<TImagesLinkCall>();
        if (call && link_ && call->Keep == link_)
            images_->OnChange = link_->Previous;
        if (link_)
            link_->Button = nullptr;
        images_->RemoveFreeNotification(this);
    }
    link_.reset();
    images_ = value;
    if (value) {
        value->FreeNotification(this);
        link_ = std::make_shared<TImagesLink>();
        link_->Button = this;
        link_->Previous = value->OnChange;
        value->OnChange = TImagesLinkCall{link_, &link_->Previous, &link_->Button};
    }
}

void TBvImageSpeedButton::SetImages(TCustomImageList* value) {
    if (value == images_)
        return;
    Relink(value);
    if (!value)
        imageIndex_ = -1;
    Invalidate();
}

void TBvImageSpeedButton::Notification(TComponent* component, TOperation operation) {
    TBvCustomSpeedButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        // The list is going: its change handler goes with it, nothing to restore.
        if (link_)
            link_->Button = nullptr;
        link_.reset();
        images_ = nullptr;
        imageIndex_ = -1;
        Invalidate();
    }
}

bool TBvImageSpeedButton::ShowsHotImage() const {
    return IsHot() && HotTrack() && hotTrackImageIndex_ >= 0;
}

int TBvImageSpeedButton::ShownImageIndex() const {
    return ShowsHotImage() ? hotTrackImageIndex_ : imageIndex_;
}

void TBvImageSpeedButton::SetImageIndex(int value) {
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    if (!ShowsHotImage())
        Invalidate();
}

void TBvImageSpeedButton::SetHotTrackImageIndex(int value) {
    if (value == hotTrackImageIndex_)
        return;
    const bool shown = ShowsHotImage();
    hotTrackImageIndex_ = value;
    if (shown || ShowsHotImage())
        Invalidate();
}

void TBvImageSpeedButton::PaintImage(TCanvas* canvas, const TRect& r, TPoint offset,
                                     TBvButtonState state, bool drawMark) {
    ButtonGlyph()->Draw(canvas, r, offset, Caption(), Layout(), Margin(), Spacing(), state,
                        drawMark, images_, ShownImageIndex());
}

void TBvImageSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
    TBvCustomSpeedButton::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (action->ActionList() && action->ActionList()->Images())
        SetImages(action->ActionList()->Images());
    if (!checkDefaults || imageIndex_ == -1)
        SetImageIndex(action->ImageIndex());
}

// ---- action link ----

TBvSpeedButtonActionLink::TBvSpeedButtonActionLink(TBvCustomSpeedButton* client)
    : TControlActionLink(client), button_(client) {}

bool TBvSpeedButtonActionLink::IsCheckedLinked() const {
    return TControlActionLink::IsCheckedLinked() && button_->GroupIndex() != 0 &&
           button_->AllowAllUp() && button_->Down() == CustomAction()->Checked();
}

bool TBvSpeedButtonActionLink::IsGroupIndexLinked() const {
    return TControlActionLink::IsGroupIndexLinked() &&
           button_->GroupIndex() == CustomAction()->GroupIndex();
}

bool TBvSpeedButtonActionLink::IsImageIndexLinked() const {
    auto* image = dynamic_cast<TBvImageSpeedButton*>(button_);
    return TControlActionLink::IsImageIndexLinked() && image &&
           image->ImageIndex() == CustomAction()->ImageIndex();
}

void TBvSpeedButtonActionLink::SetChecked(bool value) {
    if (IsCheckedLinked())
        button_->SetDown(value);
}

void TBvSpeedButtonActionLink::SetGroupIndex(int value) {
    if (IsGroupIndexLinked())
        button_->SetGroupIndex(value);
}

void TBvSpeedButtonActionLink::SetImageIndex(int value) {
    if (IsImageIndexLinked())
        static_cast<TBvImageSpeedButton*>(button_)->SetImageIndex(value);
}

// ---- button picture ----

TBvButtonImage::TBvButtonImage() : glyph_(std::make_unique<TBvxButtonGlyph>()) {}

void TBvButtonImage::Draw(TCanvas* canvas, int x, int y, const std::string& caption,
                          TButtonLayout layout, int margin, int spacing, TFont* font,
                          TCustomImageList* images, int index) {
    TColor savedBrush = canvas->Brush()->Color();
    TFont savedFont;
    savedFont.Assign(*canvas->Font());
    TRect r = Bounds(x, y, ButtonSize.X, ButtonSize.Y);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    Frame3D(canvas, r, clBtnShadow, clWindowFrame, 1);
    Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    if (font)
        canvas->SetFont(*font);
    glyph_->Draw(canvas, r, {0, 0}, caption, layout, margin, spacing, TBvButtonState::rbsUp, false,
                 images, index);
    canvas->Brush()->SetColor(savedBrush);
    canvas->SetFont(savedFont);
}

// ---- class tables ----

#define BV_SPEEDBUTTON_CLASS(Class, Parent)                                                        \
    const TClassInfo& Class::StaticClassInfo() {                                                   \
        static const TClassInfo info(#Class, &Parent::StaticClassInfo(), {}, "BvSpeedButton");     \
        return info;                                                                               \
    }
BV_SPEEDBUTTON_CLASS(TBvCustomSpeedButton, TBvGraphicControl)
BV_SPEEDBUTTON_CLASS(TBvSpeedButton, TBvCustomSpeedButton)
BV_SPEEDBUTTON_CLASS(TBvImageSpeedButton, TBvCustomSpeedButton)
#undef BV_SPEEDBUTTON_CLASS
