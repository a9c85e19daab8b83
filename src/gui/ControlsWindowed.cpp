// The windowed control: its children, its window, focus and keys, painting, and the
// custom control that paints on its own canvas.
#include "Controls.h"
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

namespace {
bool gPrintClientKeepsState = false;
uint32_t gNextControlId = 1;
} // namespace

void SetPrintClientKeepsState(bool value) {
    gPrintClientKeepsState = value;
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
    TScopeExit reset([&f = creatingHandle_] { f = false; });
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

void TWinControl::ScaleBy(int m, int d) {
    ChangeScale(m, d);
}

void TWinControl::ChangeScale(int m, int d) {
    if (m == d)
        return;
    DisableAlign();
    // The children first, in their parent's old coordinates, then the control itself.
    std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        child->ChangeScale(m, d);
    if (parent_) {
        TControl::ChangeScale(m, d);
    } else {
        // A window keeps its place on the screen and grows or shrinks from there.
        const int left = left_, top = top_;
        TControl::ChangeScale(m, d);
        SetBounds(left, top, width_, height_);
    }
    EnableAlign();
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
        TScopeExit restore([dc, saved] {
            if (saved)
                dc->RestoreDC(saved);
        });
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
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || textKey_)
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
    TScopeExit reset([&c = canvas_] { c = nullptr; });
    Paint();
}
