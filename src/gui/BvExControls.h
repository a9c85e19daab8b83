// The control message layer: between each stock control and the kit stands one class
// that turns the control notifications (CM_ messages) and a few window messages into
// overridable operations whose default bodies hand the message on to the stock control
// exactly as it would have received it, and adds a mouse-over state with enter and
// leave events, a per-control hint colour and a parent-colour notification.
#pragma once

#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ScopeExit.h"
#include "StdCtrls.h"

#include <string>

enum TDialogCode : uint8_t {
    dcWantAllKeys = 1,
    dcWantArrows = 2,
    dcWantChars = 4,
    dcButton = 8,
    dcHasSetSel = 16,
    dcWantTab = 32,
    dcNative = 64,
};
using TDialogCodes = uint8_t;

constexpr uint32_t CM_DENYSUBCLASSING = CM_BASE + 2000;

// Controls that implement this are never subclassed; the layer says so on request.
class IBvDenySubClassing {
public:
    virtual ~IBvDenySubClassing() = default;
};

TDialogCodes DialogCodesFromDlgc(intptr_t flags);
intptr_t DialogCodesToDlgc(TDialogCodes codes);
// clNone: the application's hint colour; clDefault: whatever the parent's hint handling
// chooses (nothing without a parent); any other colour: that colour.
void ResolveHintColor(THintInfo& hintInfo, TControl* control, TColor hintColor);

// The operations every member has; Windowed adds the windowed-only ones.
template <class Base, bool Windowed> class TBvExLayer : public Base {
public:
    template <class... A> explicit TBvExLayer(A&&... args) : Base(std::forward<A>(args)...) {}

    TColor HintColor = clDefault;
    bool MouseOver() const { return mouseOver_; }
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnParentColorChange;

    void WndProc(TMessage& m) override {
        switch (m.Msg) {
        case CM_DIALOGCHAR: {
            std::u16string keyText(1, static_cast<char16_t>(m.WParam));
            m.Result =
                WantDialogChar(static_cast<int>(m.WParam), KeyDataToShiftState(m.LParam), keyText)
                    ? 1
                    : 0;
            return;
        }
        case CM_FOCUSCHANGED:
            FocusChanged(reinterpret_cast<TControl*>(m.LParam));
            return;
        case CM_PARENTFONTCHANGED:
            ParentFontChanged();
            return;
        case CM_PARENTCOLORCHANGED:
            ParentColorChanged();
            return;
        case CM_HITTEST:
            m.Result = HitTest(LoWordSigned(m.LParam), HiWordSigned(m.LParam)) ? 1 : 0;
            return;
        case CM_VISIBLECHANGED:
            VisibleChanged();
            return;
        case CM_ENABLEDCHANGED:
            EnabledChanged();
            return;
        case CM_COLORCHANGED:
            ColorChanged();
            return;
        case CM_FONTCHANGED:
            FontChanged();
            return;
        case CM_TEXTCHANGED:
            TextChanged();
            return;
        case CM_MOUSEENTER:
            MouseEnter(reinterpret_cast<TControl*>(m.LParam));
            return;
        case CM_MOUSELEAVE:
            MouseLeave(reinterpret_cast<TControl*>(m.LParam));
            return;
        case CM_PARENTSHOWHINTCHANGED:
            ParentShowHintChanged();
            return;
        case CM_HINTSHOW:
            m.Result = HintShow(*reinterpret_cast<THintInfo*>(m.LParam)) ? 1 : 0;
            return;
        case CM_DENYSUBCLASSING:
            m.Result = dynamic_cast<const IBvDenySubClassing*>(this) ? 1 : 0;
            return;
        default:
            break;
        }
        if constexpr (Windowed) {
            if (WindowedMessage(m))
                return;
        }
        Base::WndProc(m);
    }

protected:
    // The stock control's own procedure, not this layer's dispatch.
    intptr_t InheritedWndProc(uint32_t msg, intptr_t wParam, intptr_t lParam) {
        TMessage m{msg, static_cast<uint64_t>(wParam), lParam, 0};
        Base::WndProc(m);
        return static_cast<intptr_t>(m.Result);
    }

    virtual void TextChanged() { InheritedWndProc(CM_TEXTCHANGED, 0, 0); }
    virtual bool WantDialogChar(int key, TShiftState shift, const std::u16string&) {
        return InheritedWndProc(CM_DIALOGCHAR, key, ShiftStateToKeyData(shift)) != 0;
    }
    virtual bool HitTest(int x, int y) {
        return InheritedWndProc(CM_HITTEST, 0, MakeLParam(x, y)) != 0;
    }
    virtual void FocusChanged(TControl* control) {
        InheritedWndProc(CM_FOCUSCHANGED, 0, reinterpret_cast<intptr_t>(control));
    }
    virtual void VisibleChanged() { InheritedWndProc(CM_VISIBLECHANGED, 0, 0); }
    virtual void EnabledChanged() { InheritedWndProc(CM_ENABLEDCHANGED, 0, 0); }
    virtual void ColorChanged() { InheritedWndProc(CM_COLORCHANGED, 0, 0); }
    virtual void FontChanged() { InheritedWndProc(CM_FONTCHANGED, 0, 0); }
    virtual void ParentFontChanged() { InheritedWndProc(CM_PARENTFONTCHANGED, 0, 0); }
    virtual void ParentColorChanged() {
        InheritedWndProc(CM_PARENTCOLORCHANGED, 0, 0);
        if (OnParentColorChange)
            OnParentColorChange(this);
    }
    virtual void ParentShowHintChanged() { InheritedWndProc(CM_PARENTSHOWHINTCHANGED, 0, 0); }
    virtual bool HintShow(THintInfo& hintInfo) {
        ResolveHintColor(hintInfo, this, HintColor);
        return InheritedWndProc(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&hintInfo)) != 0;
    }
    virtual void MouseEnter(TControl* control) {
        mouseOver_ = true;
        if (OnMouseEnter)
            OnMouseEnter(this);
        InheritedWndProc(CM_MOUSEENTER, 0, reinterpret_cast<intptr_t>(control));
    }
    virtual void MouseLeave(TControl* control) {
        mouseOver_ = false;
        InheritedWndProc(CM_MOUSELEAVE, 0, reinterpret_cast<intptr_t>(control));
        if (OnMouseLeave)
            OnMouseLeave(this);
    }

    // Windowed members only.
    virtual void CursorChanged() { InheritedWndProc(CM_CURSORCHANGED, 0, 0); }
    virtual void ShowingChanged() { InheritedWndProc(CM_SHOWINGCHANGED, 0, 0); }
    virtual void ShowHintChanged() { InheritedWndProc(CM_SHOWHINTCHANGED, 0, 0); }
    virtual void ControlListChanging(TControl* control, bool inserting) {
        if (inserting)
            InheritedWndProc(CM_CONTROLLISTCHANGE, reinterpret_cast<intptr_t>(control), 1);
        else
            InheritedWndProc(CM_CONTROLCHANGE, reinterpret_cast<intptr_t>(control), 0);
    }
    virtual void ControlListChanged(TControl* control, bool inserting) {
        if (inserting)
            InheritedWndProc(CM_CONTROLCHANGE, reinterpret_cast<intptr_t>(control), 1);
        else
            InheritedWndProc(CM_CONTROLLISTCHANGE, reinterpret_cast<intptr_t>(control), 0);
    }
    virtual void Resized() {}
    virtual void AdjustDialogCodes(TDialogCodes&) {}
    virtual void FocusReceived(HWND lost) {
        InheritedWndProc(WM_SETFOCUS, reinterpret_cast<intptr_t>(lost), 0);
    }
    virtual void FocusLost(HWND gets) {
        InheritedWndProc(WM_KILLFOCUS, reinterpret_cast<intptr_t>(gets), 0);
    }
    virtual bool EraseBackground(TCanvas* canvas, intptr_t param) {
        return InheritedWndProc(WM_ERASEBKGND, reinterpret_cast<intptr_t>(canvas->Handle()),
                                param) != 0;
    }
    // Extra windowed messages a member handles (the edit's clipboard commands).
    virtual bool MemberMessage(TMessage&) { return false; }

private:
    bool WindowedMessage(TMessage& m) {
        switch (m.Msg) {
        case CM_CURSORCHANGED:
            CursorChanged();
            return true;
        case CM_SHOWINGCHANGED:
            ShowingChanged();
            return true;
        case CM_SHOWHINTCHANGED:
            ShowHintChanged();
            return true;
        case CM_CONTROLLISTCHANGE:
            if (m.LParam != 0)
                ControlListChanging(reinterpret_cast<TControl*>(m.WParam), true);
            else
                ControlListChanged(reinterpret_cast<TControl*>(m.WParam), false);
            return true;
        case CM_CONTROLCHANGE:
            if (m.LParam == 0)
                ControlListChanging(reinterpret_cast<TControl*>(m.WParam), false);
            else
                ControlListChanged(reinterpret_cast<TControl*>(m.WParam), true);
            return true;
        case WM_SIZE:
            Base::WndProc(m);
            Resized();
            return true;
        case WM_SETFOCUS:
            FocusReceived(reinterpret_cast<HWND>(m.WParam));
            return true;
        case WM_KILLFOCUS:
            FocusLost(reinterpret_cast<HWND>(m.WParam));
            return true;
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
            if (!dc) {
                Base::WndProc(m);
                return true;
            }
            int saved = dc->SaveDC();
            TCanvas canvas;
            canvas.AttachTo(dc);
            TScopeExit restore([dc, &canvas, saved] {
                canvas.AttachTo(nullptr);
                dc->RestoreDC(saved);
            });
            m.Result = EraseBackground(&canvas, static_cast<intptr_t>(m.LParam)) ? 1 : 0;
            return true;
        }
        case WM_GETDLGCODE: {
            Base::WndProc(m);
            TDialogCodes codes = dcNative | DialogCodesFromDlgc(static_cast<intptr_t>(m.Result));
            AdjustDialogCodes(codes);
            if (!(codes & dcNative))
                m.Result = DialogCodesToDlgc(codes);
            return true;
        }
        case WM_PRINT:
        case WM_PRINTCLIENT: {
            auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
            int saved = dc ? dc->SaveDC() : 0;
            TScopeExit restore([dc, saved] {
                if (dc)
                    dc->RestoreDC(saved);
            });
            Base::WndProc(m);
            return true;
        }
        default:
            return MemberMessage(m);
        }
    }

    bool mouseOver_ = false;
};

class TBvExGraphicControl : public TBvExLayer<TGraphicControl, false> {
    BV_CLASS_INFO()
public:
    explicit TBvExGraphicControl(TComponent* owner) : TBvExLayer(owner) {}
};

class TBvExCustomControl : public TBvExLayer<TCustomControl, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExCustomControl(TComponent* owner) : TBvExLayer(owner) {}
};

// The framework's intermediate classes; they add nothing.
class TBvGraphicControl : public TBvExGraphicControl {
    BV_CLASS_INFO()
public:
    using TBvExGraphicControl::TBvExGraphicControl;
};

class TBvCustomControl : public TBvExCustomControl {
    BV_CLASS_INFO()
public:
    using TBvExCustomControl::TBvExCustomControl;
};
