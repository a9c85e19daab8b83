// The speed bar's item buttons, the cursor and the picture that show an item being
// dragged while the bar is customized.
#include "BvSpeedbar.h"

#include "BvKitGuiUtils.h"
#include "Forms.h"
#include "WinApi.h"

#include <algorithm>

// ---- the drag cursor ----

void DrawSpeedbarDragCursor(TBitmap& picture) {
    picture.SetSize(32, 32);
    TCanvas* c = picture.Canvas();
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(kDragCursorTransparent);
    c->FillRect(Rect(0, 0, 32, 32));
    c->Pen()->SetStyle(TPenStyle::psSolid);
    c->Pen()->SetWidth(1);
    // The pointer, its tip on the hot spot.
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
    c->Polygon({{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}});
    // Below it a small bar with two buttons: what the pointer carries.
    c->Brush()->SetColor(static_cast<TColor>(0xC0C0C0));
    c->Rectangle(10, 19, 31, 30);
    c->Pen()->SetColor(static_cast<TColor>(0x808080));
    c->Brush()->SetColor(static_cast<TColor>(0xA56E3A));
    c->Rectangle(12, 21, 19, 28);
    c->Rectangle(21, 21, 28, 28);
}

void InitSpeedbarDragCursor() {
    if (!Screen)
        return;
    // One picture for the process; a new screen gets it into its slot again.
    static int drawn = 0;
    if (!FindDrawnCursor(drawn)) {
        TBitmap picture;
        DrawSpeedbarDragCursor(picture);
        drawn = CreateDrawnCursor(picture, kDragCursorTransparent, {0, 0});
    }
    // The program's own cursor in the slot stays.
    if (drawn && Screen->Cursors(crBvDragCursor) == crBvDragCursor)
        Screen->SetCursors(crBvDragCursor, drawn);
}

// ---- the item's button ----

TBvSpeedBarButton::TBvSpeedBarButton(TComponent* owner, TBvSpeedItem* item)
    : TBvSpeedButton(owner), item_(item) {
    SetVisible(false);
    SetStyle(TButtonStyle::bsNew);
    SetParentShowHint(true);
    SetParentFont(true);
    SetSpacing(4);
}

void TBvSpeedBarButton::SetBounds(int left, int top, int width, int height) {
    // The button keeps clear of the bar's edge offsets.
    if (TBvSpeedBar* bar = item_ ? item_->SpeedBar() : nullptr) {
        if (bar->Orientation() == TBarOrientation::boHorizontal)
            top = std::max(top, bar->BtnOffsetVert());
        else
            left = std::max(left, bar->BtnOffsetHorz());
    }
    TBvSpeedButton::SetBounds(left, top, width, height);
}

void TBvSpeedBarButton::Paint() {
    if (!Visible())
        return;
    TBvSpeedButton::Paint();
}

void TBvSpeedBarButton::PaintImage(TCanvas* canvas, const TRect& r, TPoint offset,
                                   TBvButtonState state, bool drawMark) {
    TBvSpeedBar* bar = item_ ? item_->SpeedBar() : nullptr;
    if (!bar) {
        TBvSpeedButton::PaintImage(canvas, r, offset, state, drawMark);
        return;
    }
    ButtonGlyph()->Draw(canvas, r, offset, Caption(), Layout(), Margin(), Spacing(), state,
                        drawMark, bar->Images(), item_->ImageIndex());
}

TBvSpeedBarButton::~TBvSpeedBarButton() = default;

void TBvSpeedBarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TBvSpeedBar* bar = item_ ? item_->SpeedBar() : nullptr;
    if (item_ && item_->Editing() && bar && button == TMouseButton::mbLeft && Visible()) {
        customDrag_ = true;
        // The pointer takes the button by its bottom-right corner, where the picture hangs.
        if (Mouse)
            Mouse->SetCursorPos(ClientToScreen({bar->BtnWidth(), bar->BtnHeight()}));
        dragPicture_ = std::make_unique<TBvBtnControl>(nullptr);
        dragPicture_->InitData(item_);
        SetMouseCapture(true);
        return;
    }
    TBvSpeedButton::MouseDown(button, shift, x, y);
}

void TBvSpeedBarButton::MouseMove(TShiftState shift, int x, int y) {
    if (customDrag_) {
        SetVisible(false);
        if (!dragPicture_)
            return;
        TPoint screen = ClientToScreen({x, y});
        TRect picture = Bounds(screen.X - dragPicture_->Width(), screen.Y - dragPicture_->Height(),
                               dragPicture_->Width(), dragPicture_->Height());
        TBvSpeedBar* bar = item_->SpeedBar();
        if (PtInRect(bar->ClientRect(), bar->ScreenToClient(picture.TopLeft())))
            dragPicture_->Activate(picture);
        else
            dragPicture_->ReleaseWindow();
        return;
    }
    TBvSpeedButton::MouseMove(shift, x, y);
}

void TBvSpeedBarButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (customDrag_) {
        customDrag_ = false;
        dragPicture_.reset();
        TBvSpeedBar* bar = item_->SpeedBar();
        // The drop point is where the picture's corner was: the pointer minus the button size.
        TPoint screen = ClientToScreen({x, y});
        TPoint p = bar->ScreenToClient({screen.X - bar->BtnWidth(), screen.Y - bar->BtnHeight()});
        SetMouseCapture(false);
        if (!PtInRect(bar->ClientRect(), p)) {
            item_->SetVisible(false);
            bar->NotifyEditWindow(0, reinterpret_cast<intptr_t>(bar));
        } else if (bar->MoveItemTo(item_, p)) {
            bar->NotifyEditWindow(2, reinterpret_cast<intptr_t>(item_));
            Invalidate();
        } else {
            bar->NotifyEditWindow(0, reinterpret_cast<intptr_t>(bar));
        }
        return;
    }
    TBvSpeedButton::MouseUp(button, shift, x, y);
}

// ---- the drag picture ----

TBvBtnControl::TBvBtnControl(TComponent* owner)
    : TBvCustomControl(owner), image_(std::make_unique<TBvButtonImage>()) {
    SetVisible(false);
    InitSpeedbarDragCursor();
    SetCursor(crBvDragCursor);
}

TBvBtnControl::~TBvBtnControl() = default;

void TBvBtnControl::CreateParams(TCreateParams& params) {
    TBvCustomControl::CreateParams(params);
    params.Style = (params.Style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_DISABLED;
    params.ExStyle |= WS_EX_TOOLWINDOW;
    params.WndParent = nullptr;
}

void TBvBtnControl::InitData(TBvSpeedItem* item) {
    TBvSpeedBarButton* b = item->Button();
    TBvxButtonGlyph* g = image_->Glyph();
    g->Alignment = b->Alignment();
    g->SetGlyph(b->Glyph());
    image_->SetNumGlyphs(b->NumGlyphs());
    g->WordWrap = b->WordWrap();
    Spacing = b->Spacing();
    Margin = b->Margin();
    Layout = b->Layout();
    BtnCaption = item->BtnCaption();
    Font()->Assign(*b->Font());
    TBvSpeedBar* bar = item->SpeedBar();
    Images = bar ? bar->Images() : nullptr;
    ImageIndex = item->ImageIndex();
    if (bar)
        SetBounds(Left(), Top(), bar->BtnWidth(), bar->BtnHeight());
    else
        SetBounds(Left(), Top(), b->Width(), b->Height());
    image_->ButtonSize = {Width(), Height()};
}

void TBvBtnControl::Paint() {
    image_->Draw(Canvas(), 0, 0, BtnCaption, Layout, Margin, Spacing, Font(), Images, ImageIndex);
}

void TBvBtnControl::Resize() {
    TBvCustomControl::Resize();
    image_->ButtonSize = {ClientWidth(), ClientHeight()};
}

void TBvBtnControl::Activate(const TRect& rect) {
    if (!HandleAllocated()) {
        SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
        HandleNeeded();
    }
    // The popup's own style keeps it above every window.
    SetWindowPos(this, nullptr, rect.Left, rect.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TBvBtnControl::ReleaseWindow() {
    SetVisible(false);
    DestroyWnd();
}
