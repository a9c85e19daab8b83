#include "StdCtrls.h"
#include "PublishedTypes.h"

#include "Forms.h"
#include "ScopeExit.h"
#include "StdCtrlsShared.h"
#include "qt/WidgetBinding.h"

#include <cstring>

namespace {

std::string CopyText(intptr_t lParam) {
    return lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
}

intptr_t CopyOut(const std::string& text, intptr_t lParam) {
    if (lParam) {
        std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
    }
    return static_cast<intptr_t>(text.size());
}

// The framework's prefix search: case-insensitive, from the entry after start, wrapping.
int FindPrefix(const TStrings& items, int start, const std::string& text, bool exact) {
    int n = items.Count();
    if (n == 0)
        return -1;
    int first = (start < 0 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        int i = (first + k) % n;
        const std::string& s = items[i];
        if (exact ? AnsiSameText(s, text)
                  : (s.size() >= text.size() && AnsiSameText(s.substr(0, text.size()), text)))
            return i;
    }
    return -1;
}

// What an owner-drawn list shows for an item when nobody draws it: the item's text.
void DrawOwnerItemDefault(TCanvas* canvas, const TRect& rect, const TStrings& items, int index) {
    canvas->FillRect(rect);
    if (index >= 0 && index < items.Count())
        canvas->TextOut(rect.Left + 2, rect.Top, items[index]);
}

// Owner-draw requests go to the parent as WM_ messages; a control without a parent
// answers them itself through the CN_ reflections.
void SendOwnerDraw(TWinControl* control, uint32_t parentMsg, uint32_t ownMsg, void* data) {
    auto lParam = reinterpret_cast<intptr_t>(data);
    if (control->Parent())
        control->Parent()->Perform(parentMsg, control->ControlId(), lParam);
    else
        control->Perform(ownMsg, control->ControlId(), lParam);
}

int SendMeasureItem(TWinControl* control, uint32_t ctlType, int index, int itemHeight,
                    uintptr_t itemData) {
    TMeasureItemStruct mis;
    mis.CtlType = ctlType;
    mis.CtlID = control->ControlId();
    mis.itemID = static_cast<uint32_t>(index);
    mis.itemHeight = static_cast<uint32_t>(itemHeight);
    mis.itemData = itemData;
    SendOwnerDraw(control, WM_MEASUREITEM, CN_MEASUREITEM, &mis);
    return static_cast<int>(mis.itemHeight);
}

// Answers CN_DRAWITEM: the control's canvas_ stands on the given device context, coloured
// for the item's state, while draw runs.
using TDrawItemFn = std::function<void(int, TRect, TOwnerDrawState)>;
void HandleDrawItem(TWinControl* control, TMessage& m, TCanvas*& canvasSlot,
                    const TDrawItemFn& draw) {
    auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
    if (!dis || !dis->hDC)
        return;
    TCanvas own;
    own.AttachTo(dis->hDC);
    own.SetFont(*control->Font());
    own.Brush()->SetColor(control->Color());
    if (dis->itemState & ODS_SELECTED) {
        own.Brush()->SetColor(clHighlight);
        own.Font()->SetColor(clHighlightText);
    }
    canvasSlot = &own;
    TScopeExit reset([&c = canvasSlot] { c = nullptr; });
    draw(static_cast<int>(dis->itemID), dis->rcItem,
         static_cast<TOwnerDrawState>(dis->itemState & 0xFF));
    if (dis->itemState & ODS_FOCUS)
        own.DrawFocusRect(dis->rcItem);
    m.Result = 1;
}

// Answers CN_MEASUREITEM; only a variable-height style asks for each item's height.
using TMeasureItemFn = std::function<void(int, int&)>;
void HandleMeasureItem(TMessage& m, bool variable, const TMeasureItemFn& measure) {
    auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
    if (mis && variable) {
        int h = static_cast<int>(mis->itemHeight);
        measure(static_cast<int>(mis->itemID), h);
        mis->itemHeight = static_cast<uint32_t>(std::max(0, h));
    }
    m.Result = 1;
}

// The item-list messages list and combo boxes share under their own numbers.
struct TItemMessages {
    uint32_t Add, Insert, Delete, Reset, Count, GetText, GetTextLen, Find, FindExact, Select,
        GetData, SetData;
    intptr_t Err;
};

constexpr TItemMessages ListBoxMessages{.Add = LB_ADDSTRING,
                                        .Insert = LB_INSERTSTRING,
                                        .Delete = LB_DELETESTRING,
                                        .Reset = LB_RESETCONTENT,
                                        .Count = LB_GETCOUNT,
                                        .GetText = LB_GETTEXT,
                                        .GetTextLen = LB_GETTEXTLEN,
                                        .Find = LB_FINDSTRING,
                                        .FindExact = LB_FINDSTRINGEXACT,
                                        .Select = LB_SELECTSTRING,
                                        .GetData = LB_GETITEMDATA,
                                        .SetData = LB_SETITEMDATA,
                                        .Err = LB_ERR};

constexpr TItemMessages ComboBoxMessages{.Add = CB_ADDSTRING,
                                         .Insert = CB_INSERTSTRING,
                                         .Delete = CB_DELETESTRING,
                                         .Reset = CB_RESETCONTENT,
                                         .Count = CB_GETCOUNT,
                                         .GetText = CB_GETLBTEXT,
                                         .GetTextLen = CB_GETLBTEXTLEN,
                                         .Find = CB_FINDSTRING,
                                         .FindExact = CB_FINDSTRINGEXACT,
                                         .Select = CB_SELECTSTRING,
                                         .GetData = CB_GETITEMDATA,
                                         .SetData = CB_SETITEMDATA,
                                         .Err = CB_ERR};

// Returns false for a message that is not one of the item-list messages.
bool HandleItemMessage(const TItemMessages& ids, TMessage& m, TStrings& items,
                       const std::function<void(int)>& setItemIndex) {
    const uint32_t msg = m.Msg;
    if (msg == ids.Add) {
        m.Result = items.Add(CopyText(m.LParam));
    } else if (msg == ids.Insert) {
        int i = static_cast<int>(m.WParam);
        if (i < 0 || i > items.Count())
            i = items.Count();
        items.Insert(i, CopyText(m.LParam));
        m.Result = i;
    } else if (msg == ids.Delete) {
        int i = static_cast<int>(m.WParam);
        if (i < 0 || i >= items.Count()) {
            m.Result = ids.Err;
            return true;
        }
        items.Delete(i);
        m.Result = items.Count();
    } else if (msg == ids.Reset) {
        items.Clear();
    } else if (msg == ids.Count) {
        m.Result = items.Count();
    } else if (msg == ids.GetText || msg == ids.GetTextLen) {
        int i = static_cast<int>(m.WParam);
        if (i < 0 || i >= items.Count()) {
            m.Result = ids.Err;
            return true;
        }
        m.Result = msg == ids.GetText ? CopyOut(items.Get(i), m.LParam)
                                      : static_cast<intptr_t>(items.Get(i).size());
    } else if (msg == ids.Find || msg == ids.FindExact) {
        m.Result =
            FindPrefix(items, static_cast<int>(m.WParam), CopyText(m.LParam), msg == ids.FindExact);
    } else if (msg == ids.Select) {
        int i = FindPrefix(items, static_cast<int>(m.WParam), CopyText(m.LParam), false);
        if (i >= 0)
            setItemIndex(i);
        m.Result = i;
    } else if (msg == ids.GetData || msg == ids.SetData) {
        int i = static_cast<int>(m.WParam);
        if (i < 0 || i >= items.Count()) {
            m.Result = ids.Err;
            return true;
        }
        if (msg == ids.SetData)
            items.PutObject(i, reinterpret_cast<TObject*>(m.LParam));
        else
            m.Result = reinterpret_cast<intptr_t>(items.GetObject(i));
    } else {
        return false;
    }
    return true;
}

} // namespace

uintptr_t ItemDataAt(const TStrings& items, int index) {
    return index >= 0 && index < items.Count() ? reinterpret_cast<uintptr_t>(items.GetObject(index))
                                               : 0;
}

void FollowItemChange(std::vector<int>& values, const TStringsChange& change, int count, int fill) {
    const int size = static_cast<int>(values.size());
    switch (change.Kind) {
    case TStringsChangeKind::Inserted:
        if (change.Index >= 0 && change.Index <= size)
            values.insert(values.begin() + change.Index, fill);
        break;
    case TStringsChangeKind::Deleted:
        if (change.Index >= 0 && change.Index < size)
            values.erase(values.begin() + change.Index);
        break;
    case TStringsChangeKind::Replaced:
        if (change.Index >= 0 && change.Index < size)
            values[static_cast<size_t>(change.Index)] = fill;
        break;
    case TStringsChangeKind::Exchanged:
        if (change.Index >= 0 && change.Index < size && change.Other >= 0 && change.Other < size)
            std::swap(values[static_cast<size_t>(change.Index)],
                      values[static_cast<size_t>(change.Other)]);
        break;
    case TStringsChangeKind::Moved:
        if (change.Index >= 0 && change.Index < size && change.Other >= 0 && change.Other < size) {
            int v = values[static_cast<size_t>(change.Index)];
            values.erase(values.begin() + change.Index);
            values.insert(values.begin() + change.Other, v);
        }
        break;
    case TStringsChangeKind::Reset:
        values.assign(static_cast<size_t>(count), fill);
        break;
    }
    // A vector that was out of step (it never is) is brought back to the entries' count.
    values.resize(static_cast<size_t>(count), fill);
}

void SendDrawItem(TWinControl* control, uint32_t ctlType, int index, QImage& image,
                  const TRect& rect, uint32_t state, uintptr_t itemData) {
    TCanvas canvas(&image);
    canvas.SetViewportOrg({-rect.Left, -rect.Top});
    TDrawItemStruct dis;
    dis.CtlType = ctlType;
    dis.CtlID = control->ControlId();
    dis.itemID = static_cast<uint32_t>(index);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = control;
    dis.hDC = &canvas;
    dis.rcItem = rect;
    dis.itemData = itemData;
    SendOwnerDraw(control, WM_DRAWITEM, CN_DRAWITEM, &dis);
}

std::vector<std::string> TControlStrings::TakeAndClear() {
    std::vector<std::string> taken;
    if (items_.empty())
        return taken;
    taken.swap(items_);
    objects_ = {};
    ItemChanged(TStringsChangeKind::Reset);
    Changed();
    return taken;
}

void TControlStrings::SetUpdateState(bool updating) {
    if (Control)
        Control->Perform(WM_SETREDRAW, updating ? 0 : 1, 0);
}

// ---------------------------------------------------------------- label

const TClassInfo& TCustomLabel::StaticClassInfo() {
    static const TClassInfo info("TCustomLabel", &TGraphicControl::StaticClassInfo(), {},
                                 "StdCtrls");
    return info;
}
const TClassInfo& TLabel::StaticClassInfo() {
    static const TClassInfo info("TLabel", &TCustomLabel::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

void TCustomLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool value) {
    transparent_ = value;
    Invalidate();
}

void TCustomLabel::FitWidth(int width) {
    WordWrap = false;
    AdjustBounds();
    if (Width() <= width)
        return;
    WordWrap = true;
    SetBounds(Left(), Top(), width, Height());
    AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
    if (!autoSize_ || IsLoading())
        return;
    TCanvas canvas;
    canvas.SetFont(*Font());
    TRect r = Rect(0, 0, WordWrap ? Width() : 0, 0);
    std::string text = GetText().empty() ? " " : GetText();
    canvas.DrawTextW(text, r,
                     DT_CALCRECT | DT_EXPANDTABS | (WordWrap ? DT_WORDBREAK : 0) |
                         (ShowAccelChar ? 0 : DT_NOPREFIX));
    int x = Left();
    if (Alignment == TAlignment::taRightJustify)
        x = Left() + Width() - r.Width();
    SetBounds(x, Top(), r.Width(), r.Height());
}

bool TCustomLabel::HandleMessage(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        // The label's accelerator hands the focus to the control it names.
        if (FocusControl && IsControlAlive(FocusControl) && Enabled() && ShowAccelChar &&
            IsAccel(static_cast<uint32_t>(m.WParam), GetText()) && FocusControl->CanFocus()) {
            FocusControl->SetFocus();
            m.Result = 1;
        }
        return true;
    }
    bool handled = TGraphicControl::HandleMessage(m);
    if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED || m.Msg == CM_PARENTFONTCHANGED)
        AdjustBounds();
    return handled;
}

void TCustomLabel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    uint32_t flags =
        DT_EXPANDTABS | (WordWrap ? DT_WORDBREAK : 0) | (ShowAccelChar ? 0 : DT_NOPREFIX);
    if (Alignment == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    else if (Alignment == TAlignment::taCenter)
        flags |= DT_CENTER;
    if (Layout != TTextLayout::tlTop) {
        TRect calc = r;
        int h = c->DrawTextW(GetText(), calc, flags | DT_CALCRECT);
        int offset = Layout == TTextLayout::tlBottom ? r.Height() - h : (r.Height() - h) / 2;
        OffsetRect(r, 0, offset);
    }
    if (!Enabled()) {
        TRect hr = r;
        OffsetRect(hr, 1, 1);
        c->Font()->SetColor(clBtnHighlight);
        c->DrawTextW(GetText(), hr, flags);
        c->Font()->SetColor(clBtnShadow);
    }
    c->DrawTextW(GetText(), r, flags);
}

// ---------------------------------------------------------------- buttons

const TClassInfo& TButtonControl::StaticClassInfo() {
    static const TClassInfo info("TButtonControl", &TWinControl::StaticClassInfo(), {}, "StdCtrls");
    return info;
}
const TClassInfo& TButton::StaticClassInfo() {
    static const TClassInfo info("TButton", &TButtonControl::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    SetColor(clBtnFace);
}

bool TButtonControl::HandleMessage(TMessage& m) {
    if (m.Msg == WM_SETTEXT) {
        TWinControl::HandleMessage(m);
        ShowCaption();
        return true;
    }
    if (m.Msg == WM_SIZE && wordWrap_) {
        TWinControl::HandleMessage(m);
        ShowCaption();
        return true;
    }
    return TWinControl::HandleMessage(m);
}

void TButtonControl::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    ShowCaption();
}

void TButtonControl::ShowCaption() {
    if (widget_)
        BvQt::SetButtonText(widget_, GetText(), wordWrap_ ? Width() : 0);
}

int TButtonControl::CaptionHeight() {
    HandleNeeded();
    return BvQt::ButtonCaptionHeight(widget_, GetText(), wordWrap_ ? Width() : 0);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 75, 25);
}

bool TButton::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CN_COMMAND:
        if (((m.WParam >> 16) & 0xFFFF) == BN_CLICKED)
            Click();
        return true;
    case CM_DIALOGKEY:
        // Enter clicks the active button (the focused one, else the default one), Esc the
        // cancel button.
        if (((m.WParam == VK_RETURN && IsActive()) || (m.WParam == VK_ESCAPE && Cancel)) &&
            KeyDataToShiftState(m.LParam) == 0 && CanFocus()) {
            Click();
            m.Result = 1;
        }
        return true;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<uint32_t>(m.WParam), GetText()) && CanFocus()) {
            Click();
            m.Result = 1;
        }
        return true;
    case WM_GETDLGCODE:
        m.Result = DLGC_BUTTON | (IsActive() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        // The button clicks through its own command; the mouse events still arrive.
        {
            TPoint p{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
            TShiftState s = KeysToShift(m.WParam);
            if (m.Msg == WM_LBUTTONDBLCLK)
                s |= ssDouble;
            if (m.Msg == WM_LBUTTONUP) {
                if (OnMouseUp)
                    OnMouseUp(this, TMouseButton::mbLeft, s, p.X, p.Y);
            } else if (OnMouseDown) {
                OnMouseDown(this, TMouseButton::mbLeft, s, p.X, p.Y);
            }
        }
        return true;
    default:
        return TButtonControl::HandleMessage(m);
    }
}

bool TButton::IsActive() const {
    TCustomForm* form = ParentForm();
    TWinControl* focused = form ? form->FocusedControl() : nullptr;
    if (dynamic_cast<TButton*>(focused))
        return focused == this;
    return Default;
}

void TButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
    if (TCustomForm* form = ParentForm(); form && ModalResult != 0)
        form->SetModalResult(ModalResult);
    TButtonControl::Click();
}

const TClassInfo& TCustomCheckBox::StaticClassInfo() {
    static const TClassInfo info("TCustomCheckBox", &TButtonControl::StaticClassInfo(),
                                 {BoolProp<TCustomCheckBox>("Checked", &TCustomCheckBox::Checked,
                                                            &TCustomCheckBox::SetChecked),
                                  EnumProp<TCustomCheckBox, TCheckBoxState>(
                                      "State", CheckBoxStateTypeInfo(), &TCustomCheckBox::State,
                                      &TCustomCheckBox::SetState)},
                                 "StdCtrls");
    return info;
}
const TClassInfo& TCheckBox::StaticClassInfo() {
    static const TClassInfo info("TCheckBox", &TCustomCheckBox::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 97, 17);
}

bool TCustomCheckBox::HandleMessage(TMessage& m) {
    if (m.Msg == WM_LBUTTONUP)
        ControlState &= ~csClicked;
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_BUTTON;
        return true;
    }
    if (m.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<uint32_t>(m.WParam), GetText()) && CanFocus()) {
            SetFocus();
            SetState(state_ == TCheckBoxState::cbUnchecked ? TCheckBoxState::cbChecked
                     : state_ == TCheckBoxState::cbChecked && AllowGrayed
                         ? TCheckBoxState::cbGrayed
                         : TCheckBoxState::cbUnchecked);
            m.Result = 1;
        }
        return true;
    }
    return TButtonControl::HandleMessage(m);
}

const TClassInfo& TRadioButton::StaticClassInfo() {
    static const TClassInfo info(
        "TRadioButton", &TButtonControl::StaticClassInfo(),
        {BoolProp<TRadioButton>("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)},
        "StdCtrls");
    return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
}

bool TRadioButton::HandleMessage(TMessage& m) {
    if (m.Msg == WM_LBUTTONUP)
        ControlState &= ~csClicked;
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
        return true;
    }
    if (m.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<uint32_t>(m.WParam), GetText()) && CanFocus()) {
            SetFocus();
            SetChecked(true);
            m.Result = 1;
        }
        return true;
    }
    return TButtonControl::HandleMessage(m);
}

// ---------------------------------------------------------------- edits

const TClassInfo& TCustomEdit::StaticClassInfo() {
    static const TClassInfo info(
        "TCustomEdit", &TWinControl::StaticClassInfo(),
        {StrProp<TCustomEdit>("Text", &TCustomEdit::GetText, &TCustomEdit::SetText)}, "StdCtrls");
    return info;
}
const TClassInfo& TEdit::StaticClassInfo() {
    static const TClassInfo info("TEdit", &TCustomEdit::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    SetBounds(0, 0, 121, 21);
}

std::string TCustomEdit::GetText() const {
    return text_;
}

void TCustomEdit::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= ES_AUTOHSCROLL;
    if (PasswordChar)
        params.Style |= ES_PASSWORD;
    if (readOnly_)
        params.Style |= ES_READONLY;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

bool TCustomEdit::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case EM_SETRECT:
    case EM_SETRECTNP:
        // A null rectangle gives the edit its own formatting rectangle back.
        formatRect_ = m.LParam ? *reinterpret_cast<const TRect*>(m.LParam) : TRect{};
        if (widget_)
            BvQt::SetEditFormatRect(widget_, formatRect_, ClientWidth(), ClientHeight());
        return true;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<TRect*>(m.LParam))
            *r = IsRectEmpty(formatRect_) ? ClientRect() : formatRect_;
        return true;
    case WM_CUT:
        BvQt::EditCommand(widget_, BvQt::TEditCommand::Cut);
        return true;
    case WM_COPY:
        BvQt::EditCommand(widget_, BvQt::TEditCommand::Copy);
        return true;
    case WM_PASTE:
        BvQt::EditCommand(widget_, BvQt::TEditCommand::Paste);
        return true;
    case WM_CLEAR:
        BvQt::EditCommand(widget_, BvQt::TEditCommand::Clear);
        return true;
    case WM_UNDO:
    case EM_UNDO:
        BvQt::EditCommand(widget_, BvQt::TEditCommand::Undo);
        m.Result = 1;
        return true;
    case WM_GETDLGCODE:
        // A memo keeps Enter and Esc for itself; a one-line edit leaves them to the dialog.
        m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL |
                   (dynamic_cast<TCustomMemo*>(this) ? DLGC_WANTALLKEYS : 0);
        return true;
    case EM_SETREADONLY:
        SetReadOnly(m.WParam != 0);
        m.Result = 1;
        return true;
    case WM_SETTEXT:
        SetText(CopyText(m.LParam));
        m.Result = 1;
        return true;
    default:
        return TWinControl::HandleMessage(m);
    }
}

const TClassInfo& TCustomMemo::StaticClassInfo() {
    static const TClassInfo info("TCustomMemo", &TCustomEdit::StaticClassInfo(),
                                 {StringsProp<TCustomMemo>("Lines", &TCustomMemo::Lines)},
                                 "StdCtrls");
    return info;
}
const TClassInfo& TMemo::StaticClassInfo() {
    static const TClassInfo info("TMemo", &TCustomMemo::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomEdit(owner), lines_(std::make_unique<TControlStrings>()) {
    SetBounds(0, 0, 185, 89);
    lines_->Control = this;
    lines_->OnChange = [this](TStrings&) { LinesToWidget(); };
}

TCustomMemo::~TCustomMemo() {
    Destroying();
    lines_->OnChange = nullptr;
    if (retiring_.joinable())
        retiring_.join();
}

void TCustomMemo::FreeOnWorker(std::function<void()> free) {
    retiring_ = std::thread([previous = std::move(retiring_), free = std::move(free)]() mutable {
        if (previous.joinable())
            previous.join();
        free();
    });
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
    // Lines are wrapped at the window's edge unless the edit scrolls sideways.
    if (!wordWrap_)
        params.Style |= ES_AUTOHSCROLL;
    else
        params.Style &= ~ES_AUTOHSCROLL;
    if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth)
        params.Style |= WS_VSCROLL;
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth)
        params.Style |= WS_HSCROLL;
}

std::string TCustomMemo::GetText() const {
    return lines_->Text();
}

void TCustomMemo::SetText(const std::string& text) {
    // Clearing a long text: its lines are freed on a worker (its document is freed in pieces
    // by the window).
    if (text.empty() && lines_->Count() > RetireLines) {
        FreeOnWorker([lines = lines_->TakeAndClear()]() mutable { lines = {}; });
        return;
    }
    lines_->SetText(text);
}

bool TCustomMemo::HandleMessage(TMessage& m) {
    if (m.Msg == WM_SETTEXT) {
        SetText(CopyText(m.LParam));
        m.Result = 1;
        return true;
    }
    return TCustomEdit::HandleMessage(m);
}

// ---------------------------------------------------------------- list box

const TClassInfo& TCustomListBox::StaticClassInfo() {
    static const TClassInfo info(
        "TCustomListBox", &TWinControl::StaticClassInfo(),
        {StringsProp<TCustomListBox>("Items", &TCustomListBox::Items),
         IntProp<TCustomListBox, int>("ItemIndex", &TCustomListBox::ItemIndex,
                                      &TCustomListBox::SetItemIndex)},
        "StdCtrls");
    return info;
}
const TClassInfo& TListBox::StaticClassInfo() {
    static const TClassInfo info("TListBox", &TCustomListBox::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TControlStrings>()) {
    // Its OnClick is the selection changing, not the mouse button going up.
    ControlStyle &= ~csClickEvents;
    TabStop = true;
    SetBounds(0, 0, 121, 97);
    items_->Control = this;
    items_->OnItemChange = [this](TStrings&, const TStringsChange& c) { ItemsChanged(c); };
}

TCustomListBox::~TCustomListBox() {
    Destroying();
    items_->OnItemChange = nullptr;
    DestroyWnd();
}

void TCustomListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (sorted_)
        params.Style |= LBS_SORT;
    if (style_ == TListBoxStyle::lbOwnerDrawFixed)
        params.Style |= LBS_OWNERDRAWFIXED;
    else if (style_ == TListBoxStyle::lbOwnerDrawVariable)
        params.Style |= LBS_OWNERDRAWVARIABLE;
    if (multiSelect_)
        params.Style |= ExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::SetSorted(bool value) {
    sorted_ = value;
    items_->SetSorted(value);
}

void TCustomListBox::Clear() {
    items_->Clear();
}

int TCustomListBox::MeasureItemHeight(int index) {
    if (style_ != TListBoxStyle::lbOwnerDrawVariable) {
        if (style_ == TListBoxStyle::lbStandard) {
            TCanvas c;
            c.SetFont(*Font());
            return c.TextHeight("Wg");
        }
        return itemHeight_;
    }
    if (index < 0 || index >= Count())
        return itemHeight_;
    heights_.resize(static_cast<size_t>(Count()), -1);
    int& height = heights_[static_cast<size_t>(index)];
    if (height < 0)
        height = SendMeasureItem(this, ODT_LISTBOX, index, itemHeight_, ItemDataAt(*items_, index));
    return height;
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem && style_ != TListBoxStyle::lbStandard) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    if (IsVirtual()) {
        canvas_->FillRect(rect);
        if (index >= 0 && index < Count())
            canvas_->TextOut(rect.Left + 2, rect.Top, ItemText(index));
        return;
    }
    DrawOwnerItemDefault(canvas_, rect, *items_, index);
}

void TCustomListBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

TStrings* TCustomListBox::VirtualItems() const {
    if (!virtualCopy_) {
        virtualCopy_ = std::make_unique<TStringList>();
        virtualCopy_->Reserve(Count());
        for (int i = 0; i < Count(); ++i)
            virtualCopy_->Add(ItemText(i));
    }
    return virtualCopy_.get();
}

std::string TCustomListBox::ItemText(int index) const {
    std::string text;
    if (index < 0 || index >= Count())
        return text;
    if (!IsVirtual())
        return (*items_)[index];
    if (OnData)
        OnData(const_cast<TCustomListBox*>(this), index, text);
    return text;
}

bool TCustomListBox::HandleMessage(TMessage& m) {
    if (IsVirtual()) {
        // The stored Items are empty: the count and the texts are the virtual items'.
        switch (m.Msg) {
        case LB_GETCOUNT:
            m.Result = Count();
            return true;
        case LB_GETTEXTLEN:
        case LB_GETTEXT: {
            const int i = static_cast<int>(m.WParam);
            if (i < 0 || i >= Count()) {
                m.Result = LB_ERR;
                return true;
            }
            const std::string text = ItemText(i);
            m.Result =
                m.Msg == LB_GETTEXT ? CopyOut(text, m.LParam) : static_cast<intptr_t>(text.size());
            return true;
        }
        default:
            break;
        }
    }
    if (HandleItemMessage(ListBoxMessages, m, *items_, [this](int i) { SetItemIndex(i); }))
        return true;
    switch (m.Msg) {
    case CN_DRAWITEM:
        HandleDrawItem(this, m, canvas_,
                       [this](int i, TRect r, TOwnerDrawState st) { DrawItem(i, r, st); });
        return true;
    case CN_MEASUREITEM:
        HandleMeasureItem(m, style_ == TListBoxStyle::lbOwnerDrawVariable,
                          [this](int i, int& h) { MeasureItem(i, h); });
        return true;
    case CN_COMMAND:
        if (((m.WParam >> 16) & 0xFFFF) == LBN_SELCHANGE)
            Click();
        if (((m.WParam >> 16) & 0xFFFF) == LBN_DBLCLK)
            DblClick();
        return true;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case LB_GETCURSEL:
        m.Result = ItemIndex();
        return true;
    case LB_SETCURSEL:
        SetItemIndex(static_cast<int>(m.WParam));
        m.Result = static_cast<int>(m.WParam) < 0 || static_cast<int>(m.WParam) >= Count()
                       ? LB_ERR
                       : static_cast<int64_t>(m.WParam);
        return true;
    case LB_GETSEL: {
        int i = static_cast<int>(m.WParam);
        m.Result = i < 0 || i >= Count() ? LB_ERR : (Selected(i) ? 1 : 0);
        return true;
    }
    case LB_SETSEL: {
        int i = static_cast<int>(m.LParam);
        if (i == -1)
            SetSelectedRange(0, Count() - 1, m.WParam != 0);
        else if (i >= 0 && i < Count())
            SetSelected(i, m.WParam != 0);
        else
            m.Result = LB_ERR;
        return true;
    }
    case LB_GETSELCOUNT:
        m.Result = SelCount();
        return true;
    case LB_GETTOPINDEX:
        m.Result = TopIndex();
        return true;
    case LB_SETTOPINDEX:
        SetTopIndex(static_cast<int>(m.WParam));
        return true;
    case LB_SETITEMHEIGHT: {
        // A variable-height list sets the height of the one item named.
        int i = static_cast<int>(m.WParam);
        int h = static_cast<int>(m.LParam & 0xFFFF);
        if (style_ != TListBoxStyle::lbOwnerDrawVariable) {
            SetItemHeight(h);
        } else if (i >= 0 && i < Count() && h > 0) {
            heights_.resize(static_cast<size_t>(Count()), -1);
            heights_[static_cast<size_t>(i)] = std::min(h, 255);
            Relayout(i);
        } else {
            m.Result = LB_ERR;
        }
        return true;
    }
    case LB_GETITEMHEIGHT: {
        int i = static_cast<int>(m.WParam);
        if (style_ == TListBoxStyle::lbOwnerDrawVariable && Count() > 0)
            m.Result = i >= 0 && i < Count() ? MeasureItemHeight(i) : LB_ERR;
        else
            m.Result = itemHeight_;
        return true;
    }
    case LB_SETHORIZONTALEXTENT:
        if (horizontalExtent_ != static_cast<int>(m.WParam)) {
            horizontalExtent_ = std::max(0, static_cast<int>(m.WParam));
            Relayout();
        }
        return true;
    case LB_GETHORIZONTALEXTENT:
        m.Result = horizontalExtent_;
        return true;
    case LB_GETITEMRECT:
        if (auto* r = reinterpret_cast<TRect*>(m.LParam))
            *r = ItemRect(static_cast<int>(m.WParam));
        m.Result = 1;
        return true;
    default:
        return TWinControl::HandleMessage(m);
    }
}

// ---------------------------------------------------------------- combo box

const TClassInfo& TCustomComboBox::StaticClassInfo() {
    static const TClassInfo info(
        "TCustomComboBox", &TWinControl::StaticClassInfo(),
        {StringsProp<TCustomComboBox>("Items", &TCustomComboBox::Items),
         StrProp<TCustomComboBox>("Text", &TCustomComboBox::GetText, &TCustomComboBox::SetText),
         IntProp<TCustomComboBox, int>("ItemIndex", &TCustomComboBox::ItemIndex,
                                       &TCustomComboBox::SetItemIndex)},
        "StdCtrls");
    return info;
}
const TClassInfo& TComboBox::StaticClassInfo() {
    static const TClassInfo info("TComboBox", &TCustomComboBox::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TControlStrings>()) {
    TabStop = true;
    SetBounds(0, 0, 145, 21);
    items_->Control = this;
    items_->OnItemChange = [this](TStrings&, const TStringsChange& c) { ItemsToWidget(c); };
}

TCustomComboBox::~TCustomComboBox() {
    Destroying();
    items_->OnItemChange = nullptr;
    DestroyWnd();
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
    switch (style_) {
    case TComboBoxStyle::csDropDown:
        params.Style |= CBS_DROPDOWN;
        break;
    case TComboBoxStyle::csSimple:
        params.Style |= CBS_SIMPLE;
        break;
    case TComboBoxStyle::csDropDownList:
        params.Style |= CBS_DROPDOWNLIST;
        break;
    case TComboBoxStyle::csOwnerDrawFixed:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
        break;
    case TComboBoxStyle::csOwnerDrawVariable:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
        break;
    }
    if (sorted_)
        params.Style |= CBS_SORT;
}

void TCustomComboBox::SetItemHeight(int height) {
    if (height > 0)
        itemHeight_ = height;
}

void TCustomComboBox::SetSorted(bool value) {
    sorted_ = value;
    items_->SetSorted(value);
}

int TCustomComboBox::MeasureItemHeight(int index) {
    if (style_ != TComboBoxStyle::csOwnerDrawVariable) {
        if (style_ == TComboBoxStyle::csOwnerDrawFixed)
            return itemHeight_;
        TCanvas c;
        c.SetFont(*Font());
        return c.TextHeight("Wg") + 2;
    }
    return SendMeasureItem(this, ODT_COMBOBOX, index, itemHeight_, ItemDataAt(*items_, index));
}

void TCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    bool ownerDraw =
        style_ == TComboBoxStyle::csOwnerDrawFixed || style_ == TComboBoxStyle::csOwnerDrawVariable;
    if (OnDrawItem && ownerDraw) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    DrawOwnerItemDefault(canvas_, rect, *items_, index);
}

void TCustomComboBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

void TCustomComboBox::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
}

bool TCustomComboBox::HandleMessage(TMessage& m) {
    if (HandleItemMessage(ComboBoxMessages, m, *items_, [this](int i) { SetItemIndex(i); }))
        return true;
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case CN_DRAWITEM:
        HandleDrawItem(this, m, canvas_,
                       [this](int i, TRect r, TOwnerDrawState st) { DrawItem(i, r, st); });
        return true;
    case CN_MEASUREITEM:
        HandleMeasureItem(m, style_ == TComboBoxStyle::csOwnerDrawVariable,
                          [this](int i, int& h) { MeasureItem(i, h); });
        return true;
    case CB_GETCURSEL:
        m.Result = ItemIndex();
        return true;
    case CB_SETCURSEL:
        SetItemIndex(static_cast<int>(m.WParam));
        m.Result = ItemIndex();
        return true;
    case CB_SETITEMHEIGHT:
        SetItemHeight(static_cast<int>(m.LParam));
        return true;
    case CB_GETITEMHEIGHT:
        m.Result = itemHeight_;
        return true;
    case CN_COMMAND:
        // The user chose an item in the list (the mouse, or a key on the closed box).
        if (((m.WParam >> 16) & 0xFFFF) == CBN_SELCHANGE) {
            Change();
            Select();
        }
        return true;
    case EM_SETREADONLY:
        editReadOnly_ = m.WParam != 0;
        ApplyEditReadOnly();
        m.Result = 1;
        return true;
    case CM_FONTCHANGED:
        TWinControl::HandleMessage(m);
        ApplyFontColor();
        return true;
    case CB_SHOWDROPDOWN:
        SetDroppedDown(m.WParam != 0);
        m.Result = 1;
        return true;
    case CB_GETDROPPEDSTATE:
        m.Result = DroppedDown() ? 1 : 0;
        return true;
    case WM_SETTEXT:
        SetText(CopyText(m.LParam));
        m.Result = 1;
        return true;
    default:
        return TWinControl::HandleMessage(m);
    }
}

// ---------------------------------------------------------------- group box

const TClassInfo& TCustomGroupBox::StaticClassInfo() {
    static const TClassInfo info("TCustomGroupBox", &TCustomControl::StaticClassInfo(), {},
                                 "StdCtrls");
    return info;
}
const TClassInfo& TGroupBox::StaticClassInfo() {
    static const TClassInfo info("TGroupBox", &TCustomGroupBox::StaticClassInfo(), {}, "StdCtrls");
    return info;
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    ControlStyle |= csAcceptsControls;
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 105);
}

TRect TCustomGroupBox::ClientRect() const {
    TCanvas c;
    c.SetFont(*Font());
    int h = c.TextHeight("0");
    return Rect(2, h, std::max(2, Width() - 2), std::max(h, Height() - 2));
}

void TCustomGroupBox::Paint() {
    TCanvas* c = Canvas();
    int h = c->TextHeight("0");
    TRect r = Rect(0, h / 2 - 1, Width(), Height());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect frame = r;
    DrawEdge(c, &frame, EDGE_ETCHED, BF_RECT);
    std::string text = GetText();
    if (!text.empty()) {
        TRect tr = Rect(8, 0, 0, h);
        c->DrawTextW(text, tr, DT_CALCRECT | DT_SINGLELINE);
        c->Brush()->SetColor(Color());
        c->FillRect(Rect(tr.Left - 1, tr.Top, tr.Right + 1, tr.Bottom));
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->DrawTextW(text, tr, DT_SINGLELINE);
    }
}
