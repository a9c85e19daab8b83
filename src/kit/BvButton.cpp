#include "BvButton.h"

#include "BvThemes.h"
#include "Forms.h"
#include "WinApi.h"

#include <algorithm>
#include <array>
#include <cmath>

// ---------------------------------------------------------------- TBvCustomButton

const TClassInfo& TBvCustomButton::StaticClassInfo() {
    static const TClassInfo info("TBvCustomButton", &TBvExButton::StaticClassInfo(), {},
                                 "BvButton");
    return info;
}

TBvCustomButton::TBvCustomButton(TComponent* owner)
    : TBvExButton(owner), hotTrackFont_(std::make_unique<TFont>()),
      plainFont_(std::make_unique<TFont>()) {
    UpdateTrackFont(hotTrackFont_.get(), Font(), hotTrackFontOptions_);
}

TBvCustomButton::~TBvCustomButton() {
    Destroying();
}

void TBvCustomButton::SetDropDownMenu(TPopupMenu* menu) {
    if (menu == dropDownMenu_)
        return;
    if (dropDownMenu_)
        dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = menu;
    if (menu)
        menu->FreeNotification(this);
    Invalidate();
}

void TBvCustomButton::Notification(TComponent* component, TOperation operation) {
    TBvExButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == dropDownMenu_)
        dropDownMenu_ = nullptr;
}

void TBvCustomButton::SetHotTrackFont(const TFont& font) {
    hotTrackFont_->Assign(font);
    hotTrackFontOptions_ &= static_cast<TBvTrackFontOptions>(~hoFollowFont);
}

void TBvCustomButton::SetHotTrackFontOptions(TBvTrackFontOptions options) {
    if (options == hotTrackFontOptions_)
        return;
    hotTrackFontOptions_ = options;
    UpdateTrackFont(hotTrackFont_.get(), hotFontShown_ ? plainFont_.get() : Font(), options);
}

void TBvCustomButton::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    Invalidate();
}

void TBvCustomButton::SetDropArrow(bool value) {
    if (value == dropArrow_)
        return;
    dropArrow_ = value;
    Invalidate();
}

void TBvCustomButton::SetForceSameSize(bool value) {
    if (value == forceSameSize_)
        return;
    forceSameSize_ = value;
    if (value)
        SetBounds(Left(), Top(), Width(), Height());
}

std::string TBvCustomButton::GetRealCaption() const {
    std::string caption = Caption();
    if (wordWrap_)
        std::replace(caption.begin(), caption.end(), '|', '\n');
    return caption;
}

void TBvCustomButton::SetBounds(int left, int top, int width, int height) {
    TBvExButton::SetBounds(left, top, width, height);
    // A button taking the size it was sent passes nothing on: every button of the form hears
    // the first broadcast, and answering it would start the round again.
    if (!forceSameSize_ || applyingSameSize_)
        return;
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return;
    intptr_t size = (Height() & 0xFFFF) | ((Width() & 0xFFFF) << 16);
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* c = form->Controls(i);
        if (c != this)
            c->Perform(CM_BVBUTTONSAMESIZE, size, reinterpret_cast<intptr_t>(this));
    }
}

bool TBvCustomButton::HandleMessage(TMessage& m) {
    if (m.Msg == CM_BVBUTTONSAMESIZE) {
        if (reinterpret_cast<TControl*>(m.LParam) != this) {
            int height = static_cast<int>(m.WParam & 0xFFFF);
            int width = static_cast<int>((m.WParam >> 16) & 0xFFFF);
            applyingSameSize_ = true;
            SetBounds(Left(), Top(), width, height);
            applyingSameSize_ = false;
        }
        return true;
    }
    return TBvExButton::HandleMessage(m);
}

void TBvCustomButton::Click() {
    TBvExButton::Click();
    // The click handler may have freed the button.
    if (!IsControlAlive(this))
        return;
    TPoint p = ClientToScreen({0, Height()});
    DoDropDownMenu(p.X, p.Y);
}

bool TBvCustomButton::DoDropDownMenu(int x, int y) {
    if (!dropDownMenu_)
        return false;
    dropDownMenu_->PopupComponent = this;
    if (dropDownMenu_->Alignment == TPopupAlignment::paRight)
        x += Width();
    else if (dropDownMenu_->Alignment == TPopupAlignment::paCenter)
        x += Width() / 2;
    bool handled = false;
    if (OnDropDownMenu)
        OnDropDownMenu(this, {x, y}, handled);
    if (!handled)
        dropDownMenu_->Popup(x, y);
    return true;
}

void TBvCustomButton::DrawDropArrow(TCanvas* canvas, const TRect& r) {
    if (!canvas)
        return;
    canvas->Pen()->SetColor(Enabled() ? clWindowText : clInactiveCaption);
    for (int i = 0; r.Left + i <= r.Right - i && r.Top + i < r.Bottom; ++i) {
        canvas->MoveTo(r.Left + i, r.Top + i);
        canvas->LineTo(r.Right - i, r.Top + i);
    }
}

void TBvCustomButton::ApplyHotTrackFont(bool entering) {
    if (entering == hotFontShown_)
        return;
    swappingFont_ = true;
    if (entering) {
        plainFont_->Assign(*Font());
        Font()->Assign(*hotTrackFont_);
    } else {
        Font()->Assign(*plainFont_);
    }
    hotFontShown_ = entering;
    swappingFont_ = false;
}

void TBvCustomButton::MouseEnter(TControl* control) {
    bool wasOver = MouseOver();
    TBvExButton::MouseEnter(control);
    if (!wasOver && HotTrack)
        ApplyHotTrackFont(true);
}

void TBvCustomButton::MouseLeave(TControl* control) {
    TBvExButton::MouseLeave(control);
    if (hotFontShown_)
        ApplyHotTrackFont(false);
}

void TBvCustomButton::FontChanged() {
    TBvExButton::FontChanged();
    if (!swappingFont_ && !hotFontShown_)
        UpdateTrackFont(hotTrackFont_.get(), Font(), hotTrackFontOptions_);
}

// ---------------------------------------------------------------- stock kinds and pictures

const TBvImgBtnKindInfo& ImgBtnKindInfo(TBvImgBtnKind kind) {
    static const std::array<TBvImgBtnKindInfo, 11> table{{
        {"", -1, mrNone},
        {"OK", 2, mrOk},
        {"Cancel", 4, mrCancel},
        {"&Help", 0, mrNone},
        {"&Yes", 3, mrYes},
        {"&No", 1, mrNo},
        {"&Close", 5, mrNone},
        {"Abort", 8, mrAbort},
        {"&Retry", 6, mrRetry},
        {"&Ignore", 9, mrIgnore},
        {"&All", 7, mrAll},
    }};
    return table[static_cast<size_t>(kind)];
}

namespace {

constexpr int kPicture = 18;
constexpr TColor kPictureMask = 0x008080;

const TColor kGreen = RGB(0x2E, 0x9A, 0x2E);
const TColor kDarkGreen = RGB(0x1C, 0x64, 0x1C);
const TColor kRed = RGB(0xD0, 0x24, 0x24);
const TColor kDarkRed = RGB(0x80, 0x10, 0x10);
const TColor kBlue = RGB(0x2C, 0x5C, 0xB8);
const TColor kDarkBlue = RGB(0x18, 0x34, 0x70);

// A stroke of the given width along the points, made of one-pixel lines side by side.
void Stroke(TCanvas* c, int ox, const std::vector<TPoint>& points, int width, TColor color) {
    c->Pen()->SetColor(color);
    c->Pen()->SetWidth(1);
    for (int dx = 0; dx < width; ++dx)
        for (int dy = 0; dy < width; ++dy) {
            c->MoveTo(ox + points[0].X + dx, points[0].Y + dy);
            for (size_t i = 1; i < points.size(); ++i)
                c->LineTo(ox + points[i].X + dx, points[i].Y + dy);
        }
}

void Disc(TCanvas* c, int ox, TColor fill, TColor edge) {
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(edge);
    c->Ellipse(ox + 1, 1, ox + 17, 17);
}

void Check(TCanvas* c, int ox, int dx, int dy, TColor color) {
    Stroke(c, ox, {{2 + dx, 8 + dy}, {6 + dx, 12 + dy}, {13 + dx, 3 + dy}}, 3, color);
}

// Each picture is drawn anew; cell i of the strip is picture i of the table of kinds.
void DrawPictures(TCanvas* c) {
    // 0: help, a blue disc with a question mark.
    Disc(c, 0, kBlue, kDarkBlue);
    Stroke(c, 0, {{6, 6}, {7, 4}, {10, 4}, {11, 6}, {11, 7}, {8, 9}, {8, 10}}, 2, clWhite);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(8, 12, 10, 14));
    // 1: no, a red disc with a white bar.
    Disc(c, 18, kRed, kDarkRed);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(18 + 4, 8, 18 + 14, 11));
    // 2: OK, a green tick.
    Check(c, 36, 0, 1, kGreen);
    // 3: yes, a white tick on a green disc.
    Disc(c, 54, kGreen, kDarkGreen);
    Stroke(c, 54, {{4, 9}, {7, 12}, {12, 5}}, 2, clWhite);
    // 4: cancel, a red cross.
    Stroke(c, 72, {{3, 3}, {13, 13}}, 3, kRed);
    Stroke(c, 72, {{13, 3}, {3, 13}}, 3, kRed);
    // 5: close, an open door in its frame.
    c->Brush()->SetColor(RGB(0xEE, 0xEE, 0xEC));
    c->Pen()->SetColor(RGB(0x55, 0x57, 0x53));
    c->Rectangle(90 + 3, 1, 90 + 15, 17);
    c->Brush()->SetColor(RGB(0x8F, 0x59, 0x02));
    c->Pen()->SetColor(RGB(0x5C, 0x35, 0x00));
    c->Polygon({{90 + 3, 1}, {90 + 11, 3}, {90 + 11, 17}, {90 + 3, 16}});
    c->Brush()->SetColor(RGB(0xED, 0xD4, 0x00));
    c->FillRect(Rect(90 + 8, 9, 90 + 10, 11));
    // 6: retry, a blue arrow going round.
    {
        std::vector<TPoint> arc;
        for (int a = 40; a <= 330; a += 15) {
            double r = a * 3.14159265358979 / 180.0;
            arc.push_back({static_cast<int>(std::lround(8 + 6 * std::cos(r))),
                           static_cast<int>(std::lround(8 - 6 * std::sin(r)))});
        }
        Stroke(c, 108, arc, 2, kBlue);
        c->Brush()->SetColor(kBlue);
        c->Pen()->SetColor(kBlue);
        c->Polygon({{108 + 10, 1}, {108 + 16, 3}, {108 + 12, 8}});
    }
    // 7: all, two ticks.
    Check(c, 126, -1, -2, kDarkGreen);
    Check(c, 126, 2, 3, kGreen);
    // 8: abort, a red octagon with a white bar.
    c->Brush()->SetColor(kRed);
    c->Pen()->SetColor(kDarkRed);
    c->Polygon({{144 + 6, 1},
                {144 + 12, 1},
                {144 + 17, 6},
                {144 + 17, 12},
                {144 + 12, 17},
                {144 + 6, 17},
                {144 + 1, 12},
                {144 + 1, 6}});
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(144 + 5, 8, 144 + 14, 11));
    // 9: ignore, a blue arrow jumping forward.
    c->Brush()->SetColor(kBlue);
    c->Pen()->SetColor(kDarkBlue);
    c->Polygon({{162 + 2, 4}, {162 + 9, 9}, {162 + 2, 14}});
    c->Polygon({{162 + 9, 4}, {162 + 16, 9}, {162 + 9, 14}});
}

} // namespace

TCustomImageList* ImgBtnDefaultImages() {
    // Lives for the whole run, as every image button may draw from it until the end.
    static TCustomImageList* list = [] {
        auto* images = new TCustomImageList(nullptr, kPicture, kPicture);
        TBitmap strip(kPicture * 10, kPicture);
        TCanvas* c = strip.Canvas();
        c->Brush()->SetColor(kPictureMask);
        c->FillRect(Rect(0, 0, strip.Width(), strip.Height()));
        DrawPictures(c);
        images->AddMasked(&strip, kPictureMask);
        return images;
    }();
    return list;
}

// ---------------------------------------------------------------- TBvCustomImageButton

const TClassInfo& TBvCustomImageButton::StaticClassInfo() {
    static const TClassInfo info("TBvCustomImageButton", &TBvCustomButton::StaticClassInfo(), {},
                                 "BvButton");
    return info;
}
const TClassInfo& TBvImgBtn::StaticClassInfo() {
    static const TClassInfo info("TBvImgBtn", &TBvCustomImageButton::StaticClassInfo(), {},
                                 "BvButton");
    return info;
}

TBvCustomImageButton::TBvCustomImageButton(TComponent* owner)
    : TBvCustomButton(owner), canvas_(std::make_unique<TCanvas>()) {
    SetColor(clBtnFace);
    ImgBtnDefaultImages();
}

TBvCustomImageButton::~TBvCustomImageButton() {
    Destroying();
    StopAnimate();
}

void TBvCustomImageButton::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetAnimate(bool value) {
    if (value == animate_)
        return;
    animate_ = value;
    if (value)
        StartAnimate();
    else
        StopAnimate();
}

void TBvCustomImageButton::SetAnimateFrames(int value) {
    if (value == animateFrames_)
        return;
    animateFrames_ = value;
    if (animating_) {
        StopAnimate();
        StartAnimate();
    }
}

void TBvCustomImageButton::SetAnimateInterval(unsigned value) {
    if (value == animateInterval_)
        return;
    animateInterval_ = value;
    if (animating_) {
        StopAnimate();
        StartAnimate();
    }
}

void TBvCustomImageButton::SetImageIndex(int value) {
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetImages(TCustomImageList* images) {
    if (images == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_)
        images_->FreeNotification(this);
    else
        imageIndex_ = -1;
    Invalidate();
}

void TBvCustomImageButton::Notification(TComponent* component, TOperation operation) {
    TBvCustomButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        imageIndex_ = -1;
        Invalidate();
    }
}

void TBvCustomImageButton::SetKind(TBvImgBtnKind value) {
    if (value == kind_)
        return;
    if (value != TBvImgBtnKind::bkCustom) {
        // A button is the default one or the cancel one, never both: Enter and Esc would
        // otherwise both run it.
        if (value == TBvImgBtnKind::bkOK || value == TBvImgBtnKind::bkYes) {
            Default = true;
            Cancel = false;
        } else if (value == TBvImgBtnKind::bkCancel || value == TBvImgBtnKind::bkNo) {
            Cancel = true;
            Default = false;
        }
        if (kind_ == TBvImgBtnKind::bkCustom && !IsLoading()) {
            SetCaption("");
            SetImages(nullptr);
        }
    }
    kind_ = value;
    ModalResult = ImgBtnKindInfo(value).ModalResult;
    Invalidate();
}

void TBvCustomImageButton::SetLayout(TBvImgBtnLayout value) {
    if (value == layout_)
        return;
    layout_ = value;
    if (IsDesigning() && alignment_ != TAlignment::taCenter)
        alignment_ = value == TBvImgBtnLayout::blImageLeft ? TAlignment::taLeftJustify
                                                           : TAlignment::taRightJustify;
    Invalidate();
}

void TBvCustomImageButton::SetOwnerDraw(bool value) {
    if (value == ownerDraw_)
        return;
    ownerDraw_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetSpacing(int value) {
    if (value == spacing_)
        return;
    spacing_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetMargin(int value) {
    if (value == margin_ || value < -1)
        return;
    margin_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetImageVisible(bool value) {
    if (value == imageVisible_)
        return;
    imageVisible_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetFlat(bool value) {
    if (value == flat_)
        return;
    flat_ = value;
    Invalidate();
}

void TBvCustomImageButton::SetDefaultLook(bool value) {
    if (value == defaultLook_)
        return;
    defaultLook_ = value;
    Invalidate();
}

void TBvCustomImageButton::FocusChanged(TControl* control) {
    TBvCustomButton::FocusChanged(control);
    // A focused button is the one Enter runs; with focus elsewhere the default button is.
    if (dynamic_cast<TButton*>(control))
        SetDefaultLook(control == this);
    else
        SetDefaultLook(Default);
}

std::string TBvCustomImageButton::GetRealCaption() const {
    std::string caption = TBvCustomButton::GetRealCaption();
    if (caption.empty() && kind_ != TBvImgBtnKind::bkCustom)
        caption = ImgBtnKindInfo(kind_).Caption;
    return caption;
}

void TBvCustomImageButton::Click() {
    if (kind_ == TBvImgBtnKind::bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    }
    if (kind_ == TBvImgBtnKind::bkHelp) {
        // The topic of the nearest control up the parents that names one goes to the help hook.
        for (TControl* c = this; c; c = c->Parent())
            if (c->HelpContext != 0) {
                Application->HelpContext(c->HelpContext);
                return;
            }
    }
    TBvCustomButton::Click();
}

namespace {
// The image button's picture follows the action's while it shows the action's.
class TBvImgBtnActionLink : public TControlActionLink {
public:
    explicit TBvImgBtnActionLink(TBvCustomImageButton* client)
        : TControlActionLink(client), button_(client) {}
    bool IsImageIndexLinked() const override {
        return TControlActionLink::IsImageIndexLinked() &&
               button_->ImageIndex() == CustomAction()->ImageIndex();
    }

protected:
    void SetImageIndex(int value) override {
        if (IsImageIndexLinked())
            button_->SetImageIndex(value);
    }

private:
    TBvCustomImageButton* button_;
};
} // namespace

std::unique_ptr<TControlActionLink> TBvCustomImageButton::CreateActionLink() {
    return std::make_unique<TBvImgBtnActionLink>(this);
}

void TBvCustomImageButton::ActionChange(TObject* sender, bool checkDefaults) {
    TBvCustomButton::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (action->ActionList())
        SetImages(action->ActionList()->Images());
    SetImageIndex(action->ImageIndex());
}

int TBvCustomImageButton::CurrentImageIndex() const {
    if (!animating_)
        return imageIndex_;
    int index = imageIndex_ + currentFrame_ - 1;
    if (OnGetAnimateIndex)
        OnGetAnimateIndex(const_cast<TBvCustomImageButton*>(this),
                          static_cast<uint8_t>(currentFrame_), index);
    return index;
}

// ---------------------------------------------------------------- animation

void TBvCustomImageButton::StartFrameTimer(unsigned intervalMs) {
    SetTimer(this, kImageButtonAnimateTimer, intervalMs);
}

void TBvCustomImageButton::StopFrameTimer() {
    KillTimer(this, kImageButtonAnimateTimer);
}

void TBvCustomImageButton::StartAnimate() {
    if (animating_ || IsLoading() || IsDesigning() || IsDestroying())
        return;
    currentFrame_ = 0;
    NextFrame();
    StartFrameTimer(animateInterval_);
    animating_ = true;
}

void TBvCustomImageButton::StopAnimate() {
    if (!animating_)
        return;
    StopFrameTimer();
    animating_ = false;
    currentFrame_ = 0;
    if (!IsDestroying())
        Invalidate();
}

void TBvCustomImageButton::NextFrame() {
    ++currentFrame_;
    if (currentFrame_ > animateFrames_ || currentFrame_ <= 0)
        currentFrame_ = 1;
    Invalidate();
}

void TBvCustomImageButton::Loaded() {
    TBvCustomButton::Loaded();
    if (animate_)
        StartAnimate();
}

void TBvCustomImageButton::CreateParams(TCreateParams& params) {
    TBvCustomButton::CreateParams(params);
    params.Style |= BS_OWNERDRAW;
}

void TBvCustomImageButton::CreateWnd() {
    TBvCustomButton::CreateWnd();
    if (animate_)
        StartAnimate();
}

void TBvCustomImageButton::DestroyWnd() {
    StopAnimate();
    TBvCustomButton::DestroyWnd();
}

// ---------------------------------------------------------------- hot state

void TBvCustomImageButton::MouseEnter(TControl* control) {
    bool enter = !IsDesigning() && Enabled() && !hot_ && !GetCaptureControl();
    TBvCustomButton::MouseEnter(control);
    if (enter) {
        hot_ = true;
        Invalidate();
    }
}

void TBvCustomImageButton::MouseLeave(TControl* control) {
    bool leave = !IsDesigning() && hot_ && Enabled() && !Dragging();
    TBvCustomButton::MouseLeave(control);
    if (leave) {
        hot_ = false;
        Invalidate();
    }
}

void TBvCustomImageButton::EnabledChanged() {
    TBvCustomButton::EnabledChanged();
    if (!Enabled())
        hot_ = false;
    Invalidate();
}

void TBvCustomImageButton::FontChanged() {
    TBvCustomButton::FontChanged();
    Invalidate();
}

// ---------------------------------------------------------------- drawing

bool TBvCustomImageButton::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CN_DRAWITEM:
        if (!IsDestroying())
            DrawItem(*reinterpret_cast<const TDrawItemStruct*>(m.LParam));
        m.Result = 1;
        return true;
    case CN_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
        mis->itemWidth = static_cast<uint32_t>(Width());
        mis->itemHeight = static_cast<uint32_t>(Height());
        m.Result = 1;
        return true;
    }
    case WM_TIMER:
        if (static_cast<uintptr_t>(m.WParam) == kImageButtonAnimateTimer && animating_) {
            NextFrame();
            return true;
        }
        break;
    default:
        break;
    }
    return TBvCustomButton::HandleMessage(m);
}

TBvImgBtnParts TBvCustomImageButton::LayoutParts(TCanvas* canvas, const TRect& content) const {
    TBvImgBtnParts parts;
    int contentWidth = content.Width();
    uint32_t align = alignment_ == TAlignment::taLeftJustify    ? DT_LEFT
                     : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                                : DT_CENTER;
    TRect text = Rect(0, 0, contentWidth, 0);
    std::string caption = GetRealCaption();
    if (!caption.empty())
        canvas->DrawTextW(caption, text, DT_CALCRECT | align);
    else
        text = Rect(0, 0, 0, 0);

    TRect picture = Rect(0, 0, 0, 0);
    int spacing = 0;
    bool stock = kind_ != TBvImgBtnKind::bkCustom;
    int index = CurrentImageIndex();
    if (imageVisible_ && ((images_ && index >= 0 && index < images_->Count()) || stock)) {
        TCustomImageList* list =
            images_ && index >= 0 && index < images_->Count() ? images_ : ImgBtnDefaultImages();
        picture = Rect(0, 0, list->Width() - 1, list->Height() - 1);
        spacing = spacing_;
    }
    int textWidth = text.Width();
    if (alignment_ != TAlignment::taCenter)
        textWidth = std::max(textWidth, Width() - picture.Width() - 18);
    int total = picture.Width() + spacing + textWidth;
    int margin = margin_ == -1 ? (contentWidth - total) / 2 : margin_;
    int pictureX, textX;
    if (layout_ == TBvImgBtnLayout::blImageLeft) {
        pictureX = margin;
        textX = margin + picture.Width() + spacing;
    } else {
        pictureX = contentWidth - margin - picture.Width();
        textX = contentWidth - total - margin;
    }
    int pictureY = content.Top + (content.Height() - picture.Height()) / 2;
    int textY = content.Top + (content.Height() - text.Height()) / 2;
    if (picture.Width() > 0 || picture.Height() > 0)
        parts.Picture =
            Bounds(content.Left + pictureX, pictureY, picture.Width(), picture.Height());
    parts.Caption = Bounds(content.Left + textX, textY, textWidth, text.Height());
    return parts;
}

void TBvCustomImageButton::DrawFace(TCanvas* c, TRect& r, bool pressed, bool focused) {
    bool drawnDefault = defaultLook_ || focused;
    if (flat_) {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        if (hot_ || drawnDefault || IsDesigning()) {
            TRect frame = r;
            if (pressed)
                Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
            else
                Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
        }
        return;
    }
    TRect face = r;
    if (drawnDefault) {
        c->Brush()->SetColor(Enabled() ? clWindowFrame : clInactiveCaption);
        c->FrameRect(face);
        face.Left += 1;
        face.Top += 1;
        face.Right -= 1;
        face.Bottom -= 1;
    }
    if (pressed) {
        c->Brush()->SetColor(clBtnShadow);
        c->FrameRect(face);
        face.Left += 1;
        face.Top += 1;
        face.Right -= 1;
        face.Bottom -= 1;
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(face);
    } else {
        DrawFrameControl(c, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (Enabled() ? 0 : DFCS_INACTIVE));
        face.Left += 2;
        face.Top += 2;
        face.Right -= 2;
        face.Bottom -= 2;
    }
    c->Brush()->SetColor(Color());
    c->FillRect(face);
}

void TBvCustomImageButton::DrawItem(const TDrawItemStruct& item) {
    TCanvas* c = canvas_.get();
    c->AttachTo(item.hDC);
    c->SetFont(*Font());
    if (ownerDraw_ && OnButtonDraw) {
        OnButtonDraw(this, item);
        c->SetTarget(nullptr);
        return;
    }
    bool disabled = (item.itemState & ODS_DISABLED) != 0 || !Enabled();
    bool pressed = (item.itemState & ODS_SELECTED) != 0 && !disabled;
    bool focused = (item.itemState & ODS_FOCUS) != 0;
    bool drawnDefault = defaultLook_ || focused;

    TRect client = item.rcItem;
    DrawFace(c, client, pressed, focused);
    TRect content = item.rcItem;
    content.Left += 4;
    content.Top += 4;
    content.Right -= 4;
    content.Bottom -= 4;
    TRect focusRect = content;
    if (pressed) {
        content.Left += 1;
        content.Right += 1;
        content.Top += 1;
        content.Bottom += 1;
    }

    TBvImgBtnParts parts = LayoutParts(c, content);

    if (DropArrow() && DropDownMenu()) {
        int w = item.rcItem.Width(), h = item.rcItem.Height();
        TRect arrow = Rect(w - 16, h / 2, w - 9, h / 2 + 7);
        if (pressed) {
            arrow.Left += 1;
            arrow.Right += 1;
            arrow.Top += 1;
            arrow.Bottom += 1;
        }
        DrawDropArrow(c, arrow);
    }

    std::string caption = GetRealCaption();
    if (!caption.empty()) {
        uint32_t flags = alignment_ == TAlignment::taLeftJustify    ? DT_LEFT
                         : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                                    : DT_CENTER;
        int oldMode = c->SetBkModeDC(TRANSPARENT);
        TRect r = parts.Caption;
        if (disabled) {
            TRect shadow = r;
            shadow.Left += 1;
            shadow.Right += 1;
            shadow.Top += 1;
            shadow.Bottom += 1;
            c->Font()->SetColor(clBtnHighlight);
            c->DrawTextW(caption, shadow, flags);
            c->Font()->SetColor(clBtnShadow);
            c->DrawTextW(caption, r, flags);
        } else {
            c->DrawTextW(caption, r, flags);
        }
        c->SetBkModeDC(oldMode);
    }

    if (parts.Picture.Width() > 0 || parts.Picture.Height() > 0) {
        int index = CurrentImageIndex();
        if (images_ && index >= 0 && index < images_->Count())
            images_->Draw(c, parts.Picture.Left, parts.Picture.Top, index, !disabled);
        else if (kind_ != TBvImgBtnKind::bkCustom)
            ImgBtnDefaultImages()->Draw(c, parts.Picture.Left, parts.Picture.Top,
                                        ImgBtnKindInfo(kind_).Picture, !disabled);
    }

    if (drawnDefault)
        c->DrawFocusRect(focusRect);
    c->SetTarget(nullptr);
}
