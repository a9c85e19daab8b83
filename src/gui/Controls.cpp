// The control: messages, bounds, visibility, colours and fonts, hints, and the
// graphic control that draws on its parent.
#include "Controls.h"
#include "ActnList.h"
#include "ControlsInternal.h"

#include "Forms.h"
#include "Menus.h"
#include "PublishedTypes.h"
#include "ScopeExit.h"
#include "ShellAPI.h"
#include "SysUtils.h"
#include "TextCodec.h"
#include "WinApi.h"
#include "WindowRegistry.h"
#include "qt/WidgetBinding.h"

#include <algorithm>
#include <set>

using namespace BvControlsDrag;

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

bool IsChildOf(const TControl* child, const TControl* parent) {
    for (const TControl* c = child; c; c = c->Parent())
        if (c == parent)
            return true;
    return false;
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
    if (operation == TOperation::opRemove && actionLink_ && component == actionLink_->Action())
        SetAction(nullptr);
}

TBasicAction* TControl::Action() const {
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* value) {
    if (!value) {
        if (actionLink_ && actionLink_->Action())
            actionLink_->Action()->RemoveFreeNotification(this);
        actionLink_.reset();
        return;
    }
    if (value == Action())
        return;
    if (!actionLink_)
        actionLink_ = CreateActionLink();
    if (actionLink_->Action())
        actionLink_->Action()->RemoveFreeNotification(this);
    actionLink_->SetAction(value);
    actionLink_->OnChange = [this](TObject* sender) {
        if (actionLink_ && sender == actionLink_->Action())
            ActionChange(sender, false);
    };
    ActionChange(value, IsLoading());
    value->FreeNotification(this);
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() {
    return std::make_unique<TControlActionLink>(this);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || Caption().empty() || Caption() == Name())
        SetCaption(action->Caption());
    if (!checkDefaults || Enabled())
        SetEnabled(action->Enabled());
    if (!checkDefaults || HelpContext == 0)
        HelpContext = action->HelpContext();
    if (!checkDefaults || Hint().empty())
        SetHint(action->Hint());
    if (!checkDefaults || Visible())
        SetVisible(action->Visible());
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
    TScopeExit restore([w = this, m = before] { w->watched_ = m; });
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
                const bool dblClick = gDrag.HeldDblClick && !gDrag.Started;
                TMessage held = gDrag.DblClick;
                gDrag.Pos = ClientToScreen(p);
                CompleteDrag(true);
                if (dblClick && IsControlAlive(this)) {
                    Dispatch(held);
                    if (IsControlAlive(this))
                        Dispatch(message);
                }
                return;
            }
        }
        // A quick second press is a double click to the system, yet the user may mean to
        // drag what the first one chose: it waits for the pointer like any press.
        if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) &&
            DragMode == TDragMode::dmAutomatic) {
            BeginDrag(false);
            if (message.Msg == WM_LBUTTONDBLCLK && gDrag.Source == this && !gDrag.Started) {
                gDrag.HeldDblClick = true;
                gDrag.DblClick = message;
            }
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
    // A handler of the control's own comes first; without one the action runs.
    if (OnClick)
        OnClick(this);
    else if (actionLink_ && !IsDesigning())
        actionLink_->Execute(this);
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
        TScopeExit reset([&c = canvas_] { c = nullptr; });
        Paint();
        return true;
    }
    return TControl::HandleMessage(m);
}
