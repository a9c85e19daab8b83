// Drag and drop between controls and the mouse capture: the one running drag, where
// it is over, and how it ends.
#include "Controls.h"
#include "ControlsInternal.h"

#include "Forms.h"
#include "Menus.h"
#include "PublishedTypes.h"
#include "ShellAPI.h"
#include "SysUtils.h"
#include "TextCodec.h"
#include "WinApi.h"
#include "WindowRegistry.h"
#include "qt/WidgetBinding.h"

#include <algorithm>
#include <set>

namespace BvControlsDrag {

TDragRun gDrag;
TControl* gCapture = nullptr;

void EndDragImages(const TDragRun& run) {
    if (run.Images && TDragImageList::Current() == run.Images)
        run.Images->EndDrag();
}

} // namespace BvControlsDrag

using namespace BvControlsDrag;

namespace {

TDragImageList* RunningDragImages() {
    return gDrag.Images && TDragImageList::Current() == gDrag.Images ? gDrag.Images : nullptr;
}

TObject* DragSourceObject() {
    if (auto* c = dynamic_cast<TDragControlObject*>(gDrag.Object))
        return c->Control;
    return gDrag.Object;
}

intptr_t DragMessage(TControl* target, TDragMessage kind, TPoint screenPos) {
    if (!target)
        return 0;
    TDragRec rec;
    rec.Pos = screenPos;
    rec.Source = gDrag.Object;
    rec.Target = target;
    return target->Perform(CM_DRAG, static_cast<intptr_t>(kind), reinterpret_cast<intptr_t>(&rec));
}

} // namespace

TControl* GetCaptureControl() {
    return gCapture;
}

void SetCaptureControl(TControl* control) {
    TControl* old = gCapture;
    gCapture = control;
    // The control that loses the capture is told, so a drag it runs can end.
    if (old && old != control && IsControlAlive(old))
        old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<intptr_t>(control));
}

TControl* DragSourceControl() {
    return gDrag.Source;
}

TControl* FindDragTarget(TPoint screenPos, bool allowDisabled) {
    if (!Screen)
        return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (!form->Visible())
            continue;
        TPoint p = form->ScreenToClient(screenPos);
        if (!PtInRect(form->ClientRect(), p))
            continue;
        TControl* found = form;
        TWinControl* container = form;
        while (container) {
            TControl* child = container->ControlAtPos(p, allowDisabled, true);
            if (!child)
                break;
            found = child;
            p = {p.X - child->Left(), p.Y - child->Top()};
            container = dynamic_cast<TWinControl*>(child);
        }
        return found;
    }
    return nullptr;
}

void DragMoveTo(TPoint screenPos) {
    if (!gDrag.Source)
        return;
    gDrag.Pos = screenPos;
    if (!gDrag.Started) {
        if (std::abs(screenPos.X - gDrag.StartPos.X) < gDrag.Threshold &&
            std::abs(screenPos.Y - gDrag.StartPos.Y) < gDrag.Threshold)
            return;
        gDrag.Started = true;
        if (TDragImageList* images = gDrag.Object->GetDragImages())
            if (images->BeginDrag(nullptr, screenPos.X, screenPos.Y))
                gDrag.Images = images;
    }
    gDrag.Object->DragPos = screenPos;
    if (TDragImageList* images = RunningDragImages())
        images->DragMove(screenPos.X, screenPos.Y);
    TControl* target = FindDragTarget(screenPos, false);
    if (target != gDrag.Target) {
        if (gDrag.Target)
            DragMessage(gDrag.Target, TDragMessage::dmDragLeave, screenPos);
        gDrag.Target = target;
        gDrag.Accepted = false;
        if (target)
            gDrag.Accepted = DragMessage(target, TDragMessage::dmDragEnter, screenPos) != 0;
    }
    if (gDrag.Target)
        gDrag.Accepted = DragMessage(gDrag.Target, TDragMessage::dmDragMove, screenPos) != 0;
    if (!gDrag.Source)
        return; // a handler ended the drag
    gDrag.Object->DragTarget = gDrag.Target;
    BvQt::SetDragCursor(gDrag.Accepted ? gDrag.Source->DragCursor : crNoDrop);
    // The picture shows over controls that show drag images, and away from every control.
    if (TDragImageList* images = RunningDragImages()) {
        if (!gDrag.Target || (gDrag.Target->ControlStyle & csDisplayDragImage))
            images->ShowDragImage();
        else
            images->HideDragImage();
    }
}

void CompleteDrag(bool drop) {
    if (!gDrag.Source)
        return;
    TControl* target = nullptr;
    TPoint local;
    if (gDrag.Started && gDrag.Target) {
        local = gDrag.Target->ScreenToClient(gDrag.Pos);
        if (drop && gDrag.Accepted) {
            gDrag.Object->Dropped = true;
            DragMessage(gDrag.Target, TDragMessage::dmDragDrop, gDrag.Pos);
            target = gDrag.Target;
        } else {
            DragMessage(gDrag.Target, TDragMessage::dmDragLeave, gDrag.Pos);
        }
    }
    // The drag is over before the end handler runs: it may start another one.
    TDragRun d = gDrag;
    gDrag = {};
    BvQt::SetDragCursor(crDefault);
    EndDragImages(d);
    if (gCapture == d.Source)
        gCapture = nullptr;
    // A drop handler may free the target; the end handler then gets no target.
    if (target && !IsControlAlive(target))
        target = nullptr;
    TPoint at = target ? local : TPoint{};
    d.Source->DoEndDrag(target, at.X, at.Y);
    if (d.OwnsObject)
        delete d.Object;
}

void TControl::CMDrag(TMessage& m) {
    auto* rec = reinterpret_cast<TDragRec*>(m.LParam);
    if (!rec)
        return;
    TPoint p = ScreenToClient(rec->Pos);
    TObject* source = DragSourceObject();
    switch (static_cast<TDragMessage>(m.WParam)) {
    case TDragMessage::dmDragEnter:
    case TDragMessage::dmDragLeave:
    case TDragMessage::dmDragMove: {
        bool accept = false;
        ::TDragState state =
            m.WParam == static_cast<intptr_t>(TDragMessage::dmDragEnter)   ? TDragState::dsDragEnter
            : m.WParam == static_cast<intptr_t>(TDragMessage::dmDragLeave) ? TDragState::dsDragLeave
                                                                           : TDragState::dsDragMove;
        DragOver(source, p.X, p.Y, state, accept);
        m.Result = accept ? 1 : 0;
        break;
    }
    case TDragMessage::dmDragDrop:
        DragDrop(source, p.X, p.Y);
        break;
    default:
        break;
    }
}

bool TControl::MouseCapture() const {
    return gCapture == this;
}

void TControl::SetMouseCapture(bool value) {
    if (value)
        SetCaptureControl(this);
    else if (gCapture == this)
        SetCaptureControl(nullptr);
}

void TControl::DragDrop(TObject* source, int x, int y) {
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, x, y, state, accept);
}

TDragImageList* TControl::GetDragImages() {
    return nullptr;
}

TDragImageList* TDragControlObject::GetDragImages() {
    return Control ? Control->GetDragImages() : nullptr;
}

void TControl::DoStartDrag(TDragObject*& dragObject) {
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int x, int y) {
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}

void TControl::BeginDrag(bool immediate, int threshold) {
    if (gDrag.Source)
        return;
    TDragObject* object = nullptr;
    DoStartDrag(object);
    bool owns = object == nullptr;
    if (!object)
        object = new TDragControlObject(this);
    gDrag = {};
    gDrag.Source = this;
    gDrag.Object = object;
    gDrag.OwnsObject = owns;
    gDrag.Threshold = threshold < 0 ? 5 : threshold;
    TPoint cursor = Mouse ? Mouse->CursorPos() : TPoint{};
    gDrag.StartPos = cursor;
    gDrag.Pos = cursor;
    SetMouseCapture(true);
    if (immediate) {
        gDrag.Started = true;
        DragMoveTo(cursor);
    }
}

bool TControl::Dragging() const {
    return gDrag.Source == this;
}

void TControl::EndDrag(bool drop) {
    if (gDrag.Source == this)
        CompleteDrag(drop);
}
