// Dragging the speed bar to another side of its parent, and resizing it by its edge.
#include "BvSpeedbar.h"
#include "BvSpeedbarParts.h"

#include "BvKitGuiUtils.h"
#include "Forms.h"
#include "WinApi.h"

#include "ScopeExit.h"
#include <algorithm>

// ---- dragging the bar to another side ----

TAlign TBvSpeedBar::SideFromPoint(TPoint p, int width, int height) {
    // A parent without a client area has no sides to choose from.
    if (width <= 0 || height <= 0)
        return TAlign::alNone;
    // Cross-multiplied so that nothing is divided: y < (H / W) x and y < (1 - x / W) H.
    int64_t x = p.X, y = p.Y, w = width, h = height;
    bool upper = y * w < h * x;
    bool beforeOther = y * w < (w - x) * h;
    if (upper)
        return beforeOther ? TAlign::alTop : TAlign::alRight;
    return beforeOther ? TAlign::alLeft : TAlign::alBottom;
}

TAlign TBvSpeedBar::SideAtScreen(TPoint screen, bool& apply) {
    TWinControl* parent = Parent();
    TPoint p = parent->ScreenToClient(screen);
    TAlign side = SideFromPoint(p, parent->ClientWidth(), parent->ClientHeight());
    apply = side != TAlign::alNone;
    if (apply && OnApplyAlign)
        OnApplyAlign(this, side, apply);
    return side;
}

TRect TBvSpeedBar::CandidateFrame(TAlign side) const {
    TWinControl* parent = Parent();
    TRect r = parent->ClientRect();
    const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
    for (TAlign a : order) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (c == this || !c->Visible() || c->Align() != a)
                continue;
            if (a == side) {
                // A control on the same side counts when it lies before the bar.
                bool before = (a == TAlign::alTop && c->Top() < Top()) ||
                              (a == TAlign::alBottom && c->Top() > Top()) ||
                              (a == TAlign::alLeft && c->Left() < Left()) ||
                              (a == TAlign::alRight && c->Left() > Left());
                if (!before)
                    continue;
            }
            if (a == TAlign::alTop)
                r.Top = std::max(r.Top, c->Top() + c->Height());
            else if (a == TAlign::alBottom)
                r.Bottom = std::min(r.Bottom, c->Top());
            else if (a == TAlign::alLeft)
                r.Left = std::max(r.Left, c->Left() + c->Width());
            else
                r.Right = std::min(r.Right, c->Left());
        }
        if (a == side)
            break;
    }
    int thickness = orientation_ == TBarOrientation::boHorizontal ? Height() : Width();
    switch (side) {
    case TAlign::alTop:
        r.Bottom = r.Top + thickness;
        break;
    case TAlign::alBottom:
        r.Top = r.Bottom - thickness;
        break;
    case TAlign::alLeft:
        r.Right = r.Left + thickness;
        break;
    default:
        r.Left = r.Right - thickness;
        break;
    }
    TPoint origin = parent->ClientToScreen({0, 0});
    OffsetRect(r, origin.X, origin.Y);
    return r;
}

bool TBvSpeedBar::AtResizeEdge(int x, int y) const {
    if (!IsEditing() || !(options_ & sbAllowResize) || dragging_)
        return false;
    int w = ClientWidth(), h = ClientHeight();
    switch (Align()) {
    case TAlign::alTop:
        return y > h - 4 && y <= h + 4 && x >= 1 && x <= w;
    case TAlign::alBottom:
        return y >= -3 && y < 5 && x >= 1 && x <= w;
    case TAlign::alLeft:
        return x > w - 4 && x <= w + 4 && y >= 1 && y <= h;
    case TAlign::alRight:
        return x >= -3 && x < 5 && y >= 1 && y <= h;
    default:
        return false;
    }
}

void TBvSpeedBar::ResizeTo(int x, int y) {
    bool horizontal = orientation_ == TBarOrientation::boHorizontal;
    // The pointer's distance from the edge that stays where it is.
    int distance = 0;
    switch (Align()) {
    case TAlign::alTop:
        distance = y;
        break;
    case TAlign::alBottom:
        distance = ClientHeight() - y;
        break;
    case TAlign::alLeft:
        distance = x;
        break;
    default:
        distance = ClientWidth() - x;
        break;
    }
    int size = horizontal ? btnHeight_ : btnWidth_;
    int offset = horizontal ? offsetY_ : offsetX_;
    int rows = std::max(1, std::abs(distance - 2 * offset) / size);
    int extent = rows * size + 2 * offset;
    if (TWinControl* parent = Parent())
        extent = std::min(extent, horizontal ? parent->ClientHeight() : parent->ClientWidth());
    if (horizontal) {
        if (extent != Height())
            SetHeight(extent);
    } else if (extent != Width()) {
        SetWidth(extent);
    }
}

void TBvSpeedBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TBvCustomPanel::MouseDown(button, shift, x, y);
    if (button == TMouseButton::mbLeft && AtResizeEdge(x, y)) {
        SetMouseCapture(true);
        resizing_ = true;
        return;
    }
    if (button != TMouseButton::mbLeft || !Parent() || !(options_ & sbAllowDrag) ||
        !IsSideAlign(Align()))
        return;
    SetMouseCapture(true);
    pressed_ = true;
    downPos_ = {x, y};
}

void TBvSpeedBar::MouseMove(TShiftState shift, int x, int y) {
    TBvCustomPanel::MouseMove(shift, x, y);
    if (resizing_) {
        ResizeTo(x, y);
        return;
    }
    if (!pressed_) {
        // Over the inner edge the pointer shows that the bar can be resized there.
        bool edge = AtResizeEdge(x, y);
        if (edge != resizeCursor_) {
            if (edge) {
                barCursor_ = Cursor();
                SetCursor(orientation_ == TBarOrientation::boHorizontal ? crSizeNS : crSizeWE);
            } else {
                SetCursor(barCursor_);
            }
            resizeCursor_ = edge;
        }
        return;
    }
    if (!MouseCapture()) {
        // Someone else holds the mouse now: the drag is over.
        CancelDrag();
        return;
    }
    TPoint screen = ClientToScreen({x, y});
    if (!dragging_) {
        if (std::abs(x - downPos_.X) < 5 && std::abs(y - downPos_.Y) < 5)
            return;
        dragging_ = true;
        prevAlign_ = Align();
        dragFrame_ = Rect(0, 0, Width(), Height());
        TPoint origin = ClientToScreen({0, 0});
        OffsetRect(dragFrame_, origin.X, origin.Y);
        DrawInvertFrame(dragFrame_, 3);
        if (Screen) {
            savedCursor_ = Screen->Cursor();
            Screen->SetCursor(crBvDragCursor);
        }
        return;
    }
    bool apply = false;
    TAlign side = SideAtScreen(screen, apply);
    TRect next = dragFrame_;
    if (!apply) {
        next = Rect(0, 0, Width(), Height());
        TPoint origin = ClientToScreen({0, 0});
        OffsetRect(next, origin.X, origin.Y);
    } else {
        next = CandidateFrame(side);
    }
    if (!(next == dragFrame_)) {
        DrawInvertFrame(dragFrame_, 3);
        dragFrame_ = next;
        DrawInvertFrame(dragFrame_, 3);
    }
}

void TBvSpeedBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TBvCustomPanel::MouseUp(button, shift, x, y);
    if (resizing_ && button == TMouseButton::mbLeft) {
        EndResize();
        return;
    }
    if (!pressed_ || button != TMouseButton::mbLeft)
        return;
    if (!dragging_) {
        pressed_ = false;
        SetMouseCapture(false);
        return;
    }
    TPoint screen = ClientToScreen({x, y});
    EndDrag(false);
    bool apply = false;
    TAlign side = SideAtScreen(screen, apply);
    TWinControl* parent = Parent();
    TAlign before = Align();
    parent->DisableAlign();
    {
        TScopeExit enableAlign([parent] { parent->EnableAlign(); });
        SetAlign(apply ? side : prevAlign_);
    }
    if (Align() != before)
        PosChanged();
}

void TBvSpeedBar::EndDrag(bool) {
    if (dragging_) {
        DrawInvertFrame(dragFrame_, 3);
        if (Screen)
            Screen->SetCursor(savedCursor_);
    }
    dragging_ = false;
    pressed_ = false;
    if (MouseCapture())
        SetMouseCapture(false);
}

void TBvSpeedBar::CancelDrag() {
    if (pressed_ || dragging_)
        EndDrag(false);
    if (resizing_)
        EndResize();
}

void TBvSpeedBar::EndResize() {
    resizing_ = false;
    if (resizeCursor_) {
        SetCursor(barCursor_);
        resizeCursor_ = false;
    }
    if (MouseCapture())
        SetMouseCapture(false);
}

void TBvSpeedBar::PosChanged() {
    if (OnPosChanged)
        OnPosChanged(this);
}

void TBvSpeedBar::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_CAPTURECHANGED:
    case CM_CANCELMODE:
        // A lost capture (another window, a modal box) ends a drag without docking; the
        // capture the bar's own release gives up is not a loss.
        if (!releasing_ && reinterpret_cast<TControl*>(m.LParam) != this)
            CancelDrag();
        break;
    case WM_LBUTTONUP: {
        releasing_ = true;
        TScopeExit reset([this] { releasing_ = false; });
        TBvCustomPanel::WndProc(m);
        return;
    }
    default:
        break;
    }
    TBvCustomPanel::WndProc(m);
}
