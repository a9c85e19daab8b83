// Reordering the list box's lines by dragging them within the box.
#include "BvListBoxParts.h"

#include <algorithm>

using namespace BvListBoxParts;

// ---------------------------------------------------------------- drag reorder

TDragImageList* TBvCustomListBox::GetDragImages() {
    return dragImages_ && dragImages_->Count() > 0 ? dragImages_.get() : nullptr;
}

void TBvCustomListBox::DoStartDrag(TDragObject*& dragObject) {
    if (OnStartDrag) {
        TBvExCustomListBox::DoStartDrag(dragObject);
        return;
    }
    InternalStartDrag(dragObject);
}

void TBvCustomListBox::InternalStartDrag(TDragObject*&) {
    dragIndex_ = providerActive_ ? -1 : ItemIndex();
    if (dragIndex_ < 0)
        return;
    if (!dragImages_)
        dragImages_ = std::make_unique<TDragImageList>(this);
    dragImages_->Clear();
    std::string text = ItemText(dragIndex_);
    measureCanvas_->SetFont(*Font());
    int w = 0, h = 0;
    if (multiLine_) {
        TRect r{0, 0, kUnlimitedWidth, 0};
        measureCanvas_->DrawTextW(text, r, DT_CALCRECT | DT_NOPREFIX | AlignmentFlag(alignment_));
        w = r.Width();
        h = r.Height();
    } else {
        TPoint extent = measureCanvas_->TextExtent(text);
        w = extent.X;
        h = extent.Y;
    }
    w = std::min(w + 15, 2000);
    h = std::max(h, 1);
    TBitmap picture(w, h);
    TCanvas* c = picture.Canvas();
    c->SetFont(*Font());
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, w, h});
    if (multiLine_) {
        TRect r{15, 0, w, h};
        c->DrawTextW(text, r, DT_WORDBREAK | DT_NOPREFIX | AlignmentFlag(alignment_));
    } else {
        c->TextOut(15, 0, text);
    }
    dragImages_->SetSize(w, h);
    dragImages_->AddMasked(&picture, clWhite);
    ControlStyle |= csDisplayDragImage;
}

void TBvCustomListBox::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
    if (OnDragOver) {
        TBvExCustomListBox::DragOver(source, x, y, state, accept);
        return;
    }
    InternalDragOver(source, x, y, state, accept);
}

void TBvCustomListBox::InternalDragOver(TObject* source, int, int y, TDragState, bool& accept) {
    accept = source == this && !providerActive_ && dragIndex_ >= 0;
    if (!accept)
        return;
    int step = y < 5 ? SB_LINEUP : (ClientHeight() - y < 6 ? SB_LINEDOWN : -1);
    if (step < 0)
        return;
    TDragImageList* images = GetDragImages();
    if (images)
        images->HideDragImage();
    Perform(WM_VSCROLL, step, 0);
    Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
    if (images)
        images->ShowDragImage();
}

void TBvCustomListBox::DragDrop(TObject* source, int x, int y) {
    if (OnDragDrop) {
        TBvExCustomListBox::DragDrop(source, x, y);
        return;
    }
    InternalDragDrop(source, x, y);
}

void TBvCustomListBox::InternalDragDrop(TObject* source, int x, int y) {
    if (source != this || providerActive_ || IsVirtual() || dragIndex_ < 0 || dragIndex_ >= Count())
        return;
    const int from = dragIndex_;
    dragIndex_ = -1;
    int target = ItemAtPos({x, y}, true);
    if (target == from)
        return;
    const int top = TopIndex();
    if (target > from)
        --target;
    MoveLine(from, target);
    SetTopIndex(top);
}

void TBvCustomListBox::MoveLine(int from, int to) {
    std::string text = (*items_)[from];
    TObject* data = items_->GetObject(from);
    items_->Delete(from);
    if (to < 0 || to > Count())
        items_->AddObject(text, data);
    else
        items_->InsertObject(to, text, data);
    SetItemIndex(to < 0 || to > Count() - 1 ? Count() - 1 : to);
}
