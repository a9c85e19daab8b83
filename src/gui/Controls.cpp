#include "Controls.h"

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

namespace {

TControl* gCapture = nullptr;
bool gPrintClientKeepsState = false;

struct TDragRun {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    bool OwnsObject = false;
    bool Started = false;
    int Threshold = 5;
    TPoint StartPos;
    TPoint Pos;
    TControl* Target = nullptr;
    bool Accepted = false;
    // The source's drag images, shown while the drag runs.
    TDragImageList* Images = nullptr;
};
TDragRun gDrag;

TDragImageList* RunningDragImages() {
    return gDrag.Images && TDragImageList::Current() == gDrag.Images ? gDrag.Images : nullptr;
}

void EndDragImages(const TDragRun& run) {
    if (run.Images && TDragImageList::Current() == run.Images)
        run.Images->EndDrag();
}

} // namespace

std::string GetShortHint(const std::string& hint) {
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

int ShiftStateToKeyData(TShiftState shift) {
    int data = 0;
    if (shift & ssAlt)
        data |= 0x20000000;
    if (shift & ssCtrl)
        data |= 0x10000000;
    if (shift & ssShift)
        data |= 0x08000000;
    return data;
}

TShiftState KeyDataToShiftState(intptr_t keyData) {
    TShiftState s = 0;
    if (keyData & 0x20000000)
        s |= ssAlt;
    if (keyData & 0x10000000)
        s |= ssCtrl;
    if (keyData & 0x08000000)
        s |= ssShift;
    return s;
}

TShiftState KeysToShift(intptr_t keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT)
        s |= ssShift;
    if (keys & MK_CONTROL)
        s |= ssCtrl;
    if (keys & MK_LBUTTON)
        s |= ssLeft;
    if (keys & MK_RBUTTON)
        s |= ssRight;
    if (keys & MK_MBUTTON)
        s |= ssMiddle;
    return s;
}

bool IsAccel(uint32_t key, const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        // The accelerator is the whole UTF-8 character after the "&".
        auto lead = static_cast<unsigned char>(caption[i + 1]);
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string accel = caption.substr(i + 1, length);
        std::string typed = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(key)));
        return AnsiUpperCase(accel) == AnsiUpperCase(typed);
    }
    return false;
}

namespace {
TObject* DragSourceObject() {
    if (auto* c = dynamic_cast<TDragControlObject*>(gDrag.Object))
        return c->Control;
    return gDrag.Object;
}

bool IsMouseMsg(uint32_t msg) {
    return msg >= WM_MOUSEMOVE && msg < WM_MOUSEWHEEL;
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

void SetPrintClientKeepsState(bool value) {
    gPrintClientKeepsState = value;
}

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

bool IsChildOf(const TControl* child, const TControl* parent) {
    for (const TControl* c = child; c; c = c->Parent())
        if (c == parent)
            return true;
    return false;
}

namespace {
uint32_t gNextControlId = 1;
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

// ---------------------------------------------------------------- TControl

const TClassInfo& TControl::StaticClassInfo() {
    static const TClassInfo info(
        "TControl", &TComponent::StaticClassInfo(),
        {StrProp<TControl>("Caption", &TControl::GetText, &TControl::SetText),
         StrProp<TControl>("Hint", &TControl::Hint, &TControl::SetHint),
         IntProp<TControl, int>("Left", &TControl::Left, &TControl::SetLeft),
         IntProp<TControl, int>("Top", &TControl::Top, &TControl::SetTop),
         IntProp<TControl, int>("Width", &TControl::Width, &TControl::SetWidth),
         IntProp<TControl, int>("Height", &TControl::Height, &TControl::SetHeight),
         BoolProp<TControl>("Visible", &TControl::Visible, &TControl::SetVisible),
         BoolProp<TControl>("Enabled", &TControl::Enabled, &TControl::SetEnabled),
         BoolProp<TControl>("ShowHint", &TControl::ShowHint, &TControl::SetShowHint),
         EnumProp<TControl, TAlign>("Align", AlignTypeInfo(), &TControl::Align,
                                    &TControl::SetAlign),
         IntProp<TControl, TColor>("Color", &TControl::Color, &TControl::SetColor),
         ObjProp<TControl, TFont>("Font", &TControl::Font)},
        "Controls");
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
    RegisterControl(this);
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this](TGraphicsObject&) {
        parentFont_ = false;
        Perform(CM_FONTCHANGED, 0, 0);
    };
}

TControl::~TControl() {
    UnregisterControl(this);
    Destroying();
    if (gCapture == this)
        gCapture = nullptr;
    if (gDrag.Source == this) {
        // The drag dies with its source, and with it the drag object it made.
        TDragRun d = gDrag;
        gDrag = {};
        BvQt::SetDragCursor(crDefault);
        EndDragImages(d);
        if (d.OwnsObject)
            delete d.Object;
    }
    if (gDrag.Target == this)
        gDrag.Target = nullptr;
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

namespace {
thread_local TMessageTakenWatch* gTakenWatch = nullptr;
} // namespace

TMessageTakenWatch::TMessageTakenWatch() : outer_(gTakenWatch) {
    gTakenWatch = this;
}

TMessageTakenWatch::~TMessageTakenWatch() {
    gTakenWatch = outer_;
}

intptr_t TMessageTakenWatch::Perform(TControl* control, TMessage& message) {
    const TMessage* before = watched_;
    watched_ = &message;
    struct Restore {
        TMessageTakenWatch* w;
        const TMessage* m;
        ~Restore() { w->watched_ = m; }
    } restore{this, before};
    return control->Perform(message);
}

intptr_t TMessageTakenWatch::Perform(TControl* control, uint32_t msg, intptr_t wParam,
                                     intptr_t lParam) {
    TMessage m{msg, static_cast<uint64_t>(wParam), lParam, 0};
    return Perform(control, m);
}

void NoteMessageTakenByHook(const TMessage& message) {
    // Only the message an input event is waiting on counts, not one a handler sent meanwhile.
    for (TMessageTakenWatch* w = gTakenWatch; w; w = w->outer_)
        if (w->watched_ == &message) {
            w->taken_ = true;
            return;
        }
}

intptr_t TControl::Perform(uint32_t msg, intptr_t wParam, intptr_t lParam) {
    TMessage m{msg, static_cast<uint64_t>(wParam), lParam, 0};
    return Perform(m);
}

intptr_t TControl::Perform(TMessage& message) {
    // A copy: the procedure may free the control, and with it WindowProc.
    TWndMethod proc = WindowProc;
    if (proc)
        proc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message) {
    if (IsMouseMsg(message.Msg)) {
        if (gDrag.Source == this) {
            TPoint p{LoWordSigned(message.LParam), HiWordSigned(message.LParam)};
            if (message.Msg == WM_MOUSEMOVE) {
                DragMoveTo(ClientToScreen(p));
                return;
            }
            if (message.Msg == WM_LBUTTONUP) {
                gDrag.Pos = ClientToScreen(p);
                CompleteDrag(true);
                return;
            }
        }
        if (message.Msg == WM_LBUTTONDOWN && DragMode == TDragMode::dmAutomatic) {
            BeginDrag(false);
            return;
        }
    }
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
    if (!HandleMessage(message))
        DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&) {}

bool TControl::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        WMMouse(m);
        return true;
    case WM_CONTEXTMENU:
        WMContextMenu(m);
        return true;
    case CM_HITTEST:
        CMHitTest(m);
        return true;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        CMMouseEnterLeave(m);
        return true;
    case CM_DRAG:
        CMDrag(m);
        return true;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        return true;
    case CM_VISIBLECHANGED:
        if (parent_)
            parent_->Realign();
        Invalidate();
        return true;
    case CM_PARENTFONTCHANGED:
        if (parentFont_ && parent_) {
            font_->Assign(*parent_->Font());
            parentFont_ = true;
        }
        return true;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_ && parent_) {
            SetColor(parent_->Color());
            parentColor_ = true;
        }
        return true;
    case CM_PARENTSHOWHINTCHANGED:
        if (parentShowHint_ && parent_) {
            SetShowHint(parent_->ShowHint());
            parentShowHint_ = true;
        }
        return true;
    case WM_SETTEXT:
        text_ = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
        m.Result = 1;
        return true;
    default:
        return false;
    }
}

void TControl::WMMouse(TMessage& m) {
    TPoint p{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
    TShiftState shift = KeysToShift(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (ControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (ControlStyle & csClickEvents)
            ControlState |= csClicked;
        if (m.Msg == WM_LBUTTONDBLCLK) {
            if (ControlStyle & csDoubleClicks)
                DblClick();
            shift |= ssDouble;
        }
        MouseDown(TMouseButton::mbLeft, shift, p.X, p.Y);
        break;
    case WM_LBUTTONUP:
        if (ControlStyle & csCaptureMouse)
            SetMouseCapture(false);
        if (ControlState & csClicked) {
            ControlState &= ~csClicked;
            if (PtInRect(ClientRect(), p))
                Click();
        }
        MouseUp(TMouseButton::mbLeft, shift, p.X, p.Y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(TMouseButton::mbRight, shift, p.X, p.Y);
        break;
    case WM_RBUTTONUP:
        MouseUp(TMouseButton::mbRight, shift, p.X, p.Y);
        break;
    case WM_MBUTTONDOWN:
        MouseDown(TMouseButton::mbMiddle, shift, p.X, p.Y);
        break;
    case WM_MBUTTONUP:
        MouseUp(TMouseButton::mbMiddle, shift, p.X, p.Y);
        break;
    case WM_MOUSEMOVE:
        MouseMove(shift, p.X, p.Y);
        break;
    }
}

void TControl::WMContextMenu(TMessage& m) {
    TPoint screen{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, ScreenToClient(screen), handled);
    if (handled) {
        m.Result = 1;
        return;
    }
    if (popupMenu_ && popupMenu_->AutoPopup) {
        popupMenu_->PopupComponent = this;
        popupMenu_->Popup(screen.X, screen.Y);
        m.Result = 1;
        return;
    }
    if (parent_)
        m.Result = parent_->Perform(m.Msg, m.WParam, m.LParam);
}

void TControl::CMHitTest(TMessage& m) {
    m.Result = 1;
}

void TControl::CMMouseEnterLeave(TMessage& m) {
    if (parent_)
        parent_->Perform(m.Msg, 0, m.LParam ? m.LParam : reinterpret_cast<intptr_t>(this));
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

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    bool resized = width != width_ || height != height_;
    if (parent_ && Visible())
        parent_->Invalidate();
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    if (parent_ && align_ != TAlign::alNone)
        parent_->AlignControls(this);
    Invalidate();
    if (resized)
        Resize();
}

TPoint TControl::ClientOrigin() const {
    if (!parent_)
        return {left_, top_};
    TPoint o = parent_->ClientOrigin();
    return {o.X + left_, o.Y + top_};
}

TPoint TWinControl::ClientOrigin() const {
    // Once there is a widget, Qt knows where it is: under a menu bar, inside a frame, after
    // the window was moved.
    if (widget_)
        return BvQt::GlobalClientOrigin(const_cast<TWinControl*>(this)->ClientWidget());
    return TControl::ClientOrigin();
}

TPoint TControl::ClientToScreen(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign align) {
    if (align == align_)
        return;
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
}

void TControl::AnchorToParent(int dw, int dh) {
    if (align_ != TAlign::alNone)
        return;
    int l = left_, t = top_, w = width_, h = height_;
    if (anchors_ & akRight) {
        if (anchors_ & akLeft)
            w += dw;
        else
            l += dw;
    }
    if (anchors_ & akBottom) {
        if (anchors_ & akTop)
            h += dh;
        else
            t += dh;
    }
    SetBounds(l, t, w, h);
}

void TControl::SetVisible(bool value) {
    if (value == visible_)
        return;
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
}

bool TControl::Showing() const {
    return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor color) {
    if (color == color_) {
        parentColor_ = false;
        return;
    }
    color_ = color;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
    if (value == parentColor_)
        return;
    parentColor_ = value;
    if (value && parent_)
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
    if (value == parentFont_)
        return;
    parentFont_ = value;
    if (value && parent_)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetText(const std::string& text) {
    if (text == GetText())
        return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<intptr_t>(text.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
    parentShowHint_ = false;
    if (value == showHint_)
        return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
    if (value == parentShowHint_)
        return;
    parentShowHint_ = value;
    if (value && parent_)
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_)
        return;
    if (popupMenu_)
        popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu)
        menu->FreeNotification(this);
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    Perform(CM_CURSORCHANGED, 0, 0);
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

void TControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated() && visible_)
        BvQt::InvalidateRect(parent_->ClientWidget(), BoundsRect());
}

void TControl::Update() {
    if (parent_)
        parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!parent_)
        return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_)
        return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    Invalidate();
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}
void TControl::Resize() {
    if (OnResize)
        OnResize(this);
}
void TControl::Changed() {
    Perform(CM_CHANGED, 0, reinterpret_cast<intptr_t>(this));
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

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// ---------------------------------------------------------------- TGraphicControl

const TClassInfo& TGraphicControl::StaticClassInfo() {
    static const TClassInfo info("TGraphicControl", &TControl::StaticClassInfo(), {}, "Controls");
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() {
    Destroying();
}

bool TGraphicControl::HandleMessage(TMessage& m) {
    if (m.Msg == WM_PAINT) {
        auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
        if (!dc)
            return true;
        TCanvas own;
        own.AttachTo(dc);
        own.SetFont(*Font());
        own.Brush()->SetColor(Color());
        canvas_ = &own;
        struct Reset {
            TCanvas*& c;
            ~Reset() { c = nullptr; }
        } reset{canvas_};
        Paint();
        return true;
    }
    return TControl::HandleMessage(m);
}

// ---------------------------------------------------------------- TWinControl

const TClassInfo& TWinControl::StaticClassInfo() {
    static const TClassInfo info("TWinControl", &TControl::StaticClassInfo(), {}, "Controls");
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<TBrush>()) {
    brush_->SetColor(Color());
    controlId_ = gNextControlId++;
    RegisterWindow(this);
}

TWinControl::~TWinControl() {
    KillWindowTimers(this);
    UnregisterWindow(this);
    Destroying();
    if (mouseOver_)
        mouseOver_ = nullptr;
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        // Child controls go with their parent, owned or not.
        delete c;
    }
    DestroyComponents();
    DestroyWnd();
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
    if (!control || ContainsControl(control))
        return;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<intptr_t>(control), 1);
    controls_.push_back(control);
    control->parent_ = this;
    if (control->parentFont_)
        control->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (control->parentColor_)
        control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(control); w && HandleAllocated())
        w->HandleNeeded();
    if (control->Align() != TAlign::alNone)
        Realign();
    control->Invalidate();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<intptr_t>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<intptr_t>(control), 0);
    control->Invalidate();
    it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end())
        controls_.erase(it);
    if (mouseOver_ == control)
        mouseOver_ = nullptr;
    control->parent_ = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->widget_ && !IsDestroying())
        BvQt::Detach(w->widget_);
    if (control->Align() != TAlign::alNone && !IsDestroying())
        Realign();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<intptr_t>(control), 0);
}

bool TWinControl::ContainsControl(const TControl* control) const {
    return std::find(controls_.begin(), controls_.end(), control) != controls_.end();
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWinControls)
            continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled))
            continue;
        if (!PtInRect(c->BoundsRect(), pos))
            continue;
        TPoint local{pos.X - c->Left(), pos.Y - c->Top()};
        if (c->Perform(CM_HITTEST, 0, MakeLParam(local.X, local.Y)) == 0)
            continue;
        return c;
    }
    return nullptr;
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return this;
}

void TWinControl::HandleNeeded() {
    if (widget_ || creatingHandle_)
        return;
    if (parent_) {
        parent_->HandleNeeded();
        // Making the parent's window makes its children's too.
        if (widget_)
            return;
    }
    creatingHandle_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{creatingHandle_};
    CreateWnd();
}

QWidget* TWinControl::Widget() {
    HandleNeeded();
    return widget_;
}

QWidget* TWinControl::ClientWidget() {
    return Widget();
}

void TWinControl::CreateChildHandles() {
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->HandleNeeded();
}

bool TWinControl::Showing() const {
    if (!Visible())
        return false;
    if (parent_)
        return parent_->Showing();
    return widget_ && BvQt::IsVisible(widget_);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    int oldW = width_, oldH = height_;
    bool changed = left != left_ || top != top_ || width != width_ || height != height_;
    if (!changed)
        return;
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    if (widget_)
        BvQt::SetGeometry(widget_, left_, top_, width_, height_);
    if (parent_ && Align() != TAlign::alNone)
        parent_->AlignControls(this);
    if (width_ != oldW || height_ != oldH) {
        for (TControl* c : std::vector<TControl*>(controls_))
            c->AnchorToParent(width_ - oldW, height_ - oldH);
        Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
    }
}

void TWinControl::SetEnabled(bool value) {
    TControl::SetEnabled(value);
    if (widget_)
        BvQt::SetEnabled(widget_, value);
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus() {
    if (auto* w = Widget())
        BvQt::SetFocus(w);
}

bool TWinControl::Focused() const {
    return widget_ && BvQt::HasFocus(widget_);
}

void TWinControl::Invalidate() {
    if (widget_)
        BvQt::Invalidate(ClientWidget());
}

void TWinControl::Update() {
    if (widget_)
        BvQt::Repaint(ClientWidget());
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::BringToFront() {
    TControl::BringToFront();
    if (widget_)
        BvQt::Raise(widget_);
}

void TWinControl::EnableAlign() {
    if (--alignDisabled_ <= 0) {
        alignDisabled_ = 0;
        Realign();
    }
}

void TWinControl::AlignControls(TControl* moved) {
    if (alignDisabled_ > 0 || IsDestroying())
        return;
    ++alignDisabled_;
    TRect rest = ClientRect();
    auto before = [](TControl* a, TControl* b, TAlign align) {
        switch (align) {
        case TAlign::alTop:
            return a->Top() < b->Top();
        case TAlign::alBottom:
            return a->Top() + a->Height() > b->Top() + b->Height();
        case TAlign::alLeft:
            return a->Left() < b->Left();
        case TAlign::alRight:
            return a->Left() + a->Width() > b->Left() + b->Width();
        default:
            return false;
        }
    };
    auto place = [&](TAlign align) {
        // The control just moved keeps its place against equals, as the framework orders.
        std::vector<TControl*> list;
        if (moved && moved->Align() == align && moved->Visible() && ContainsControl(moved))
            list.push_back(moved);
        for (TControl* c : controls_) {
            if (c == moved || c->Align() != align || !c->Visible())
                continue;
            size_t k = 0;
            while (k < list.size() && !before(c, list[k], align))
                ++k;
            list.insert(list.begin() + static_cast<long>(k), c);
        }
        for (TControl* c : list) {
            int w = c->Width(), h = c->Height();
            switch (align) {
            case TAlign::alTop:
                c->SetBounds(rest.Left, rest.Top, rest.Width(), h);
                rest.Top += h;
                break;
            case TAlign::alBottom:
                c->SetBounds(rest.Left, rest.Bottom - h, rest.Width(), h);
                rest.Bottom -= h;
                break;
            case TAlign::alLeft:
                c->SetBounds(rest.Left, rest.Top, w, rest.Height());
                rest.Left += w;
                break;
            case TAlign::alRight:
                c->SetBounds(rest.Right - w, rest.Top, w, rest.Height());
                rest.Right -= w;
                break;
            case TAlign::alClient:
                c->SetBounds(rest.Left, rest.Top, std::max(0, rest.Width()),
                             std::max(0, rest.Height()));
                break;
            default:
                break;
            }
        }
    };
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
    --alignDisabled_;
}

void TWinControl::PaintTo(TCanvas& canvas) {
    Perform(WM_ERASEBKGND, reinterpret_cast<intptr_t>(&canvas), 0);
    Perform(WM_PAINT, reinterpret_cast<intptr_t>(&canvas), 0);
}

void TWinControl::PaintWindow(TCanvas&) {}

void TWinControl::PaintControls(TCanvas& canvas, TControl* first) {
    bool started = first == nullptr;
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (!started) {
            started = c == first;
            if (!started)
                continue;
        }
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !ContainsControl(c))
            continue;
        canvas.SaveDC();
        TPoint vo = canvas.ViewportOrg();
        canvas.SetViewportOrg({vo.X + c->Left(), vo.Y + c->Top()});
        canvas.IntersectClip(Rect(0, 0, c->Width(), c->Height()));
        c->Perform(WM_PAINT, reinterpret_cast<intptr_t>(&canvas), 0);
        canvas.RestoreDC(-1);
    }
}

void TWinControl::WndProc(TMessage& m) {
    if (IsMouseMsg(m.Msg)) {
        if (m.Msg == WM_MOUSEMOVE && !gDrag.Source) {
            TPoint p{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
            TControl* over = ControlAtPos(p, false);
            TrackMouse(over ? over : this);
        }
        if (IsControlMouseMsg(m))
            return;
    }
    TControl::WndProc(m);
}

void TWinControl::TrackMouse(TControl* over) {
    if (over == mouseOver_)
        return;
    TControl* old = mouseOver_;
    mouseOver_ = over;
    if (old && (old == this || ContainsControl(old)))
        old->Perform(CM_MOUSELEAVE, 0, 0);
    if (over && mouseOver_ == over) {
        over->Perform(CM_MOUSEENTER, 0, 0);
        if (widget_ && IsControlAlive(over))
            BvQt::SetCursor(ClientWidget(), over->Cursor());
    }
    if (Application)
        Application->HintMouseMessage(over && IsControlAlive(over) ? over : nullptr);
}

bool TWinControl::IsControlMouseMsg(TMessage& m) {
    TPoint p{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
    TControl* target = nullptr;
    if (gCapture && gCapture->Parent() == this && !dynamic_cast<TWinControl*>(gCapture))
        target = gCapture;
    else if (!gCapture || gCapture == this)
        target = ControlAtPos(p, false);
    if (!target)
        return false;
    TMessage child{m.Msg, m.WParam, MakeLParam(p.X - target->Left(), p.Y - target->Top()), 0};
    target->Perform(child);
    m.Result = child.Result;
    return true;
}

bool TWinControl::DoControlMsg(TControl* control, TMessage& m) {
    if (!control || control == this || !IsChildOf(control, this))
        return false;
    TMessage reflected{m.Msg + CN_BASE, m.WParam, m.LParam, 0};
    control->Perform(reflected);
    m.Result = reflected.Result;
    return true;
}

bool TWinControl::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT: {
        auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
        if (dc) {
            PaintWindow(*dc);
            PaintControls(*dc, nullptr);
        }
        return true;
    }
    case WM_PRINTCLIENT: {
        auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
        if (!dc)
            return true;
        int saved = gPrintClientKeepsState ? dc->SaveDC() : 0;
        struct Restore {
            TCanvas* dc;
            int saved;
            ~Restore() {
                if (saved)
                    dc->RestoreDC(saved);
            }
        } restore{dc, saved};
        PaintWindow(*dc);
        PaintControls(*dc, nullptr);
        return true;
    }
    case WM_ERASEBKGND: {
        auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
        if (dc) {
            TBrush old;
            old.Assign(*dc->Brush());
            dc->Brush()->SetColor(Color());
            dc->FillRect(ClientRect());
            dc->Brush()->Assign(old);
        }
        m.Result = 1;
        return true;
    }
    case WM_SIZE:
        Realign();
        Resize();
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
        // A window with scroll bars moves them; the control scrolls with them.
        if (widget_)
            BvQt::ApplyScrollCode(widget_, m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ,
                                  static_cast<int>(m.WParam & 0xFFFF),
                                  static_cast<int>((m.WParam >> 16) & 0xFFFF));
        return true;
    case WM_MOUSEWHEEL:
        // Nobody took the wheel: a window that scrolls moves by the system's number of lines
        // per notch, through its own scroll messages, as if its bar's arrows were clicked.
        if (widget_ && BvQt::CanScroll(widget_, SB_VERT)) {
            unsigned lines = 3;
            SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
            const int delta = static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
            const int turned = delta * static_cast<int>(lines) + wheelRest_;
            const int steps = turned / WHEEL_DELTA;
            wheelRest_ = turned % WHEEL_DELTA;
            for (int i = 0; i < std::abs(steps); ++i)
                Perform(WM_VSCROLL, steps > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
            if (steps != 0)
                Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
            m.Result = 1;
        }
        return true;
    case WM_SETREDRAW:
        // Off: nothing is drawn while many changes are made; on: the whole window is
        // drawn again once.
        if (widget_)
            BvQt::SetUpdatesEnabled(widget_, m.WParam != 0);
        return true;
    case WM_SETFOCUS:
        DoEnter();
        return true;
    case WM_KILLFOCUS:
        DoExit();
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        uint16_t key = static_cast<uint16_t>(m.WParam);
        TShiftState shift = KeyDataToShiftState(m.LParam);
        // Menu short cuts come first: the control's popup menus up the chain, then the form's.
        if ((m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) && IsMenuShortCut(key, shift)) {
            m.WParam = 0;
            m.Result = 1;
            return true;
        }
        bool down = m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN;
        if (down)
            KeyDown(key, shift);
        else
            KeyUp(key, shift);
        // A key nobody took may enter the form's menu bar, as the system does.
        if (key != 0 && IsControlAlive(this) && MenuBarKey(down, key, shift))
            key = 0;
        m.WParam = key;
        m.Result = key == 0 ? 1 : 0;
        return true;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: {
        // Menu short cuts first, then the keys a dialog uses to move (Tab, arrows) and to
        // answer (Enter, Esc), unless the control asks for them through its dialog code.
        uint16_t key = static_cast<uint16_t>(m.WParam);
        m.Result = 1;
        if (IsMenuShortCut(key, KeyDataToShiftState(m.LParam)))
            return true;
        intptr_t mask = 0;
        switch (key) {
        case VK_TAB:
            mask = DLGC_WANTTAB;
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            mask = DLGC_WANTARROWS;
            break;
        case VK_RETURN:
        case VK_ESCAPE:
            mask = DLGC_WANTALLKEYS;
            break;
        default:
            break;
        }
        if (mask && Perform(CM_WANTSPECIALKEY, key, m.LParam) == 0 &&
            (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
            TCustomForm* form = ParentForm();
            if (form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0)
                return true;
        }
        m.Result = 0;
        return true;
    }
    case CN_CHAR:
    case CN_SYSCHAR: {
        // A character the control does not take as text may be an accelerator; with Alt it
        // always is one.
        m.Result = 0;
        if (m.Msg == CN_CHAR && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0)
            return true;
        if (TCustomForm* form = ParentForm())
            m.Result = form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0 ? 1 : 0;
        return true;
    }
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
        Broadcast(m);
        return true;
    case WM_GETDLGCODE:
        m.Result = 0;
        return true;
    case WM_SYSCHAR:
        // Alt with a character nobody took: the menu bar item with that mnemonic drops down.
        if (TCustomForm* form = ParentForm(); form && form->Menu()) {
            form->Perform(WM_SYSCOMMAND, SC_KEYMENU, static_cast<intptr_t>(m.WParam & 0xFFFF));
            m.Result = 1;
        }
        return true;
    case WM_CHAR: {
        char16_t ch = static_cast<char16_t>(m.WParam);
        KeyPress(ch);
        m.WParam = ch;
        m.Result = ch == 0 ? 1 : 0;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        if (dis && dis->CtlType != ODT_MENU && IsWindow(dis->hwndItem) &&
            DoControlMsg(dis->hwndItem, m))
            return true;
        return false;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
        if (mis && mis->CtlType != ODT_MENU && DoControlMsg(FindControlById(mis->CtlID), m))
            return true;
        return false;
    }
    case WM_COMMAND:
        if (m.LParam && IsWindow(reinterpret_cast<TWinControl*>(m.LParam)) &&
            DoControlMsg(reinterpret_cast<TWinControl*>(m.LParam), m))
            return true;
        return false;
    case CM_ENABLEDCHANGED:
        if (widget_)
            BvQt::SetEnabled(widget_, Enabled());
        Invalidate();
        return true;
    case CM_CURSORCHANGED:
        // Under the pointer the new cursor shows at once, unless a child of the window is
        // what the pointer is over.
        if (widget_ && (!mouseOver_ || mouseOver_ == this))
            BvQt::SetCursor(ClientWidget(), Cursor());
        return true;
    case CM_VISIBLECHANGED:
        // A popup window has no parent to show it; it follows Visible itself.
        if (widget_ && (parent_ || (windowStyle_ & WS_POPUP)))
            BvQt::SetVisible(widget_, Visible());
        if (parent_)
            parent_->Realign();
        return true;
    case CM_COLORCHANGED:
        brush_->SetColor(Color());
        for (TControl* c : controls_)
            c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        Invalidate();
        return true;
    case CM_FONTCHANGED:
        if (widget_)
            BvQt::SetFont(widget_, *Font());
        for (TControl* c : controls_)
            c->Perform(CM_PARENTFONTCHANGED, 0, 0);
        Invalidate();
        return true;
    case CM_SHOWHINTCHANGED:
        for (TControl* c : controls_)
            c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        return true;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        CMMouseEnterLeave(m);
        return true;
    case CM_CONTROLLISTCHANGE:
    case CM_CONTROLCHANGE:
        return true;
    default:
        return TControl::HandleMessage(m);
    }
}

void TWinControl::Broadcast(TMessage& m) {
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (!ContainsControl(c))
            continue;
        c->Perform(m);
        if (m.Result != 0)
            return;
    }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    std::vector<TWinControl*> children;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            children.push_back(w);
    std::stable_sort(
        children.begin(), children.end(),
        [](const TWinControl* a, const TWinControl* b) { return a->TabOrder < b->TabOrder; });
    for (TWinControl* w : children) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it != list.end() ? static_cast<int>(it - list.begin()) : forward ? count - 1 : 0;
    int i = start;
    do {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!checkTabStop || c->TabStop) && (!checkParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

bool TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
    TWinControl* next = FindNextControl(current, forward, checkTabStop, !checkTabStop);
    if (!next)
        return false;
    next->SetFocus();
    return true;
}

namespace {
// Alt pressed and released with no other key between enters the menu bar.
bool gAltAlone = false;
} // namespace

bool TWinControl::MenuBarKey(bool down, uint16_t key, TShiftState shift) {
    bool altAlone = gAltAlone;
    gAltAlone = down && key == VK_MENU;
    TCustomForm* form = ParentForm();
    if (!form || !form->Menu())
        return false;
    bool enter = down ? key == VK_F1 + 9 && (shift & (ssShift | ssCtrl | ssAlt)) == 0
                      : key == VK_MENU && altAlone;
    if (!enter)
        return false;
    form->Perform(WM_SYSCOMMAND, SC_KEYMENU, 0);
    return true;
}

bool TWinControl::IsMenuShortCut(uint16_t key, TShiftState shift) {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU)
        return false;
    for (TControl* c = this; c; c = c->Parent())
        if (TPopupMenu* popup = c->PopupMenu(); popup && popup->IsShortCut(key, shift))
            return true;
    TCustomForm* form = ParentForm();
    return form && form->Menu() && form->Menu()->IsShortCut(key, shift);
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomForm* form = ParentForm(); form && form != this && form->KeyPreview) {
        form->KeyDown(key, shift);
        if (key == 0)
            return;
    }
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
    if (TCustomForm* form = ParentForm(); form && form != this && form->KeyPreview) {
        form->KeyUp(key, shift);
        if (key == 0)
            return;
    }
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key) {
    if (TCustomForm* form = ParentForm(); form && form != this && form->KeyPreview) {
        form->KeyPress(key);
        if (key == 0)
            return;
    }
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}
void TWinControl::DoExit() {
    if (OnExit)
        OnExit(this);
}

void TWinControl::SetAcceptFiles(bool accept) {
    acceptFiles_ = accept;
    if (widget_) {
        BvQt::SetAcceptDrops(widget_, accept);
        BvQt::SetAcceptDrops(ClientWidget(), accept);
    }
}

// ---------------------------------------------------------------- TCustomControl

const TClassInfo& TCustomControl::StaticClassInfo() {
    static const TClassInfo info("TCustomControl", &TWinControl::StaticClassInfo(), {}, "Controls");
    return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(TCanvas& canvas) {
    TCanvas own;
    own.AttachTo(&canvas);
    own.SetFont(*Font());
    own.Brush()->SetColor(Color());
    canvas_ = &own;
    struct Reset {
        TCanvas*& c;
        ~Reset() { c = nullptr; }
    } reset{canvas_};
    Paint();
}
