#include "BvExControls.h"

#include "BvExExtCtrls.h"
#include "BvExMask.h"
#include "BvExStdCtrls.h"
#include "qt/WidgetBinding.h"

namespace {
struct CodeFlag {
    TDialogCode Code;
    intptr_t Flag;
};
const CodeFlag kCodes[] = {{dcWantAllKeys, DLGC_WANTALLKEYS}, {dcWantArrows, DLGC_WANTARROWS},
                           {dcWantChars, DLGC_WANTCHARS},     {dcButton, DLGC_BUTTON},
                           {dcHasSetSel, DLGC_HASSETSEL},     {dcWantTab, DLGC_WANTTAB}};
} // namespace

TDialogCodes DialogCodesFromDlgc(intptr_t flags) {
    TDialogCodes codes = 0;
    for (const auto& c : kCodes)
        if (flags & c.Flag)
            codes |= c.Code;
    return codes;
}

intptr_t DialogCodesToDlgc(TDialogCodes codes) {
    intptr_t flags = 0;
    for (const auto& c : kCodes)
        if (codes & c.Code)
            flags |= c.Flag;
    return flags;
}

void ResolveHintColor(THintInfo& hintInfo, TControl* control, TColor hintColor) {
    if (hintColor == clNone) {
        hintInfo.HintColor = Application ? Application->HintColor : clInfoBk;
    } else if (hintColor == clDefault) {
        if (control && control->Parent()) {
            THintInfo copy = hintInfo;
            control->Parent()->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&copy));
            hintInfo.HintColor = copy.HintColor;
        }
    } else {
        hintInfo.HintColor = hintColor;
    }
}

#define BV_EX_CLASS(Name, Parent, Unit)                                                            \
    const TClassInfo& Name::StaticClassInfo() {                                                    \
        static const TClassInfo info(#Name, &Parent::StaticClassInfo(), {}, Unit);                 \
        return info;                                                                               \
    }

BV_EX_CLASS(TBvExGraphicControl, TGraphicControl, "BvExControls")
BV_EX_CLASS(TBvExCustomControl, TCustomControl, "BvExControls")
BV_EX_CLASS(TBvGraphicControl, TBvExGraphicControl, "BvComponent")
BV_EX_CLASS(TBvCustomControl, TBvExCustomControl, "BvComponent")
BV_EX_CLASS(TBvExCustomPanel, TCustomPanel, "BvExExtCtrls")
BV_EX_CLASS(TBvCustomPanel, TBvExCustomPanel, "BvComponent")
BV_EX_CLASS(TBvExSplitter, TSplitter, "BvExExtCtrls")
BV_EX_CLASS(TBvExCustomComboBox, TCustomComboBox, "BvExStdCtrls")
BV_EX_CLASS(TBvExButton, TButton, "BvExStdCtrls")
BV_EX_CLASS(TBvExCustomListBox, TCustomListBox, "BvExStdCtrls")
BV_EX_CLASS(TBvExCustomMaskEdit, TCustomMaskEdit, "BvExMask")

void TBvExSplitter::WndProc(TMessage& m) {
    if (m.Msg == WM_LBUTTONDOWN)
        CorrectCollapsedNeighbour();
    TBvExLayer::WndProc(m);
}

void TBvExSplitter::CorrectCollapsedNeighbour() {
    TWinControl* parent = Parent();
    if (!parent || (Align() != TAlign::alTop && Align() != TAlign::alLeft))
        return;
    bool top = Align() == TAlign::alTop;
    auto candidateRect = [&](TControl* c, TRect& r) {
        if (c == this || !c->Visible() || !c->Enabled())
            return false;
        if ((top ? c->Height() : c->Width()) != 0)
            return false;
        r = c->BoundsRect();
        if (top)
            --r.Top;
        else
            --r.Left;
        return true;
    };
    TPoint before = top ? TPoint{Left(), Top() - 1} : TPoint{Left() - 1, Top()};
    TRect r;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (candidateRect(parent->Controls(i), r) && PtInRect(r, before))
            return;
    TPoint after = top ? TPoint{Left(), Top() + Height() - 1} : TPoint{Left() + Width() - 1, Top()};
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (candidateRect(c, r) && PtInRect(r, after)) {
            if (top)
                c->SetTop(-1);
            else
                c->SetLeft(-1);
            return;
        }
    }
}

void TBvExCustomMaskEdit::ErrorBeep() {
    if (beepOnError_)
        BvQt::Beep();
}

bool TBvExCustomMaskEdit::MemberMessage(TMessage& m) {
    TBvClipboardCommand command;
    switch (m.Msg) {
    case WM_CUT:
        command = caCut;
        break;
    case WM_COPY:
        command = caCopy;
        break;
    case WM_PASTE:
        command = caPaste;
        break;
    case WM_CLEAR:
        command = caClear;
        break;
    case WM_UNDO:
    case EM_UNDO:
        command = caUndo;
        break;
    default:
        return false;
    }
    if (clipboardCommands_ & command)
        return false;
    m.Result = 1;
    return true;
}
