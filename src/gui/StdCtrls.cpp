#include "StdCtrls.h"
#include "PublishedTypes.h"

#include "Forms.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QAbstractButton>
#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <cstring>

namespace {

// Paints and measures items through the owning control, so owner drawing goes
// through the WM_DRAWITEM and WM_MEASUREITEM protocol.
class TBvItemDelegate : public QStyledItemDelegate {
public:
    using PaintFn = std::function<void(int, QImage&, const TRect&, uint32_t)>;
    using MeasureFn = std::function<int(int)>;
    TBvItemDelegate(QObject* parent, PaintFn paint, MeasureFn measure)
        : QStyledItemDelegate(parent), paint_(std::move(paint)), measure_(std::move(measure)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QRect r = option.rect;
        if (r.width() <= 0 || r.height() <= 0)
            return;
        QImage image(r.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        uint32_t state = 0;
        if (option.state & QStyle::State_Selected)
            state |= ODS_SELECTED;
        if (option.state & QStyle::State_HasFocus)
            state |= ODS_FOCUS;
        if (!(option.state & QStyle::State_Enabled))
            state |= ODS_DISABLED;
        GuardedCall(nullptr, [&] { paint_(index.row(), image, FromQ(r), state); });
        painter->drawImage(r.topLeft(), image);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        int height = 16;
        GuardedCall(nullptr, [&] { height = measure_(index.row()); });
        return QSize(option.rect.width() > 0 ? option.rect.width() : 100, height);
    }

private:
    PaintFn paint_;
    MeasureFn measure_;
};

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

uintptr_t ItemDataAt(const std::vector<uintptr_t>& itemData, int index) {
    return index >= 0 && index < static_cast<int>(itemData.size()) ? itemData[index] : 0;
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
    struct Reset {
        TCanvas*& c;
        ~Reset() { c = nullptr; }
    } reset{canvasSlot};
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
                       std::vector<uintptr_t>& itemData,
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
        itemData.resize(static_cast<size_t>(items.Count()), 0);
        if (msg == ids.SetData)
            itemData[i] = static_cast<uintptr_t>(m.LParam);
        else
            m.Result = static_cast<intptr_t>(itemData[i]);
    } else {
        return false;
    }
    return true;
}

} // namespace

// A combo box whose closed face shows the chosen item through the owner-draw protocol
// when its style is owner-drawn, as the system draws the edit part of such a box.
class TBvComboWidget : public QComboBox {
public:
    TBvComboWidget(TCustomComboBox* owner, QWidget* parent) : QComboBox(parent), owner_(owner) {}
    TCustomComboBox* owner_;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        bool ownerDraw = owner_ && (owner_->Style() == TComboBoxStyle::csOwnerDrawFixed ||
                                    owner_->Style() == TComboBoxStyle::csOwnerDrawVariable);
        if (ownerDraw)
            opt.currentText.clear();
        p.drawComplexControl(QStyle::CC_ComboBox, opt);
        if (!ownerDraw) {
            p.drawControl(QStyle::CE_ComboBoxLabel, opt);
            return;
        }
        QRect r =
            style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        if (r.width() <= 0 || r.height() <= 0)
            return;
        QImage image(r.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        uint32_t state = ODS_COMBOBOXEDIT | (hasFocus() ? (ODS_SELECTED | ODS_FOCUS) : 0) |
                         (isEnabled() ? 0 : ODS_DISABLED);
        GuardedCall(owner_, [&] { owner_->PaintItem(currentIndex(), image, FromQ(r), state); });
        p.drawImage(r.topLeft(), image);
    }
};

class TListBoxModel : public QAbstractListModel {
public:
    explicit TListBoxModel(TCustomListBox* owner) : owner_(owner) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : owner_->Items()->Count();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.row() < owner_->Items()->Count())
            return ToQ(owner_->Items()->Get(index.row()));
        return {};
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    TCustomListBox* owner_;
};

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
        if (auto* b = dynamic_cast<QAbstractButton*>(widget_))
            b->setText(ToQ(GetText()));
        return true;
    }
    return TWinControl::HandleMessage(m);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 75, 25);
}

QWidget* TButton::CreateWidget(QWidget* parent) {
    auto* b = new QPushButton(ToQ(GetText()), parent);
    b->setDefault(Default);
    QObject::connect(b, &QPushButton::clicked, [this] {
        GuardedCall(this, [this] { Perform(CN_COMMAND, BN_CLICKED << 16, 0); });
    });
    return b;
}

bool TButton::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CN_COMMAND:
        if (((m.WParam >> 16) & 0xFFFF) == BN_CLICKED)
            Click();
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        // The button clicks through its own command; the mouse events still arrive.
        {
            TPoint p{LoWordSigned(m.LParam), HiWordSigned(m.LParam)};
            TShiftState s = 0;
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

QWidget* TCustomCheckBox::CreateWidget(QWidget* parent) {
    auto* b = new QCheckBox(ToQ(GetText()), parent);
    b->setTristate(AllowGrayed);
    b->setCheckState(state_ == TCheckBoxState::cbChecked  ? Qt::Checked
                     : state_ == TCheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                          : Qt::Unchecked);
    QObject::connect(b, &QCheckBox::stateChanged, [this](int s) {
        if (updating_)
            return;
        state_ = s == Qt::Checked            ? TCheckBoxState::cbChecked
                 : s == Qt::PartiallyChecked ? TCheckBoxState::cbGrayed
                                             : TCheckBoxState::cbUnchecked;
        GuardedCall(this, [this] { Click(); });
    });
    return b;
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == state_)
        return;
    state_ = state;
    if (auto* b = dynamic_cast<QCheckBox*>(widget_)) {
        updating_ = true;
        b->setCheckState(state == TCheckBoxState::cbChecked  ? Qt::Checked
                         : state == TCheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                             : Qt::Unchecked);
        updating_ = false;
    }
    // Setting the state in code clicks, as the framework does.
    if (!IsLoading())
        Click();
}

bool TCustomCheckBox::HandleMessage(TMessage& m) {
    if (m.Msg == WM_LBUTTONUP)
        ControlState &= ~csClicked;
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

QWidget* TRadioButton::CreateWidget(QWidget* parent) {
    auto* b = new QRadioButton(ToQ(GetText()), parent);
    b->setChecked(checked_);
    QObject::connect(b, &QRadioButton::toggled, [this](bool on) {
        if (updating_)
            return;
        checked_ = on;
        if (on)
            GuardedCall(this, [this] { Click(); });
    });
    return b;
}

void TRadioButton::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    if (auto* b = dynamic_cast<QRadioButton*>(widget_)) {
        updating_ = true;
        b->setChecked(value);
        updating_ = false;
    }
    if (value && Parent()) {
        // The other radio buttons of the same parent go off.
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
                other && other != this)
                other->SetChecked(false);
    }
    if (value && !IsLoading())
        Click();
}

bool TRadioButton::HandleMessage(TMessage& m) {
    if (m.Msg == WM_LBUTTONUP)
        ControlState &= ~csClicked;
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

QWidget* TCustomEdit::CreateWidget(QWidget* parent) {
    auto* e = new QLineEdit(ToQ(text_), parent);
    e->setReadOnly(readOnly_);
    if (MaxLength > 0)
        e->setMaxLength(MaxLength);
    if (PasswordChar)
        e->setEchoMode(QLineEdit::Password);
    QObject::connect(e, &QLineEdit::textChanged, [this](const QString& t) {
        text_ = FromQ(t);
        if (!updating_) {
            Modified = true;
            GuardedCall(this, [this] { Change(); });
        }
    });
    return e;
}

std::string TCustomEdit::GetText() const {
    return text_;
}

void TCustomEdit::SetText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_)) {
        updating_ = true;
        e->setText(ToQ(text));
        updating_ = false;
    }
    Perform(CM_TEXTCHANGED, 0, 0);
    Change();
}

void TCustomEdit::SetReadOnly(bool value) {
    readOnly_ = value;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        e->setReadOnly(value);
    if (auto* p = dynamic_cast<QPlainTextEdit*>(widget_))
        p->setReadOnly(value);
}

int TCustomEdit::SelStart() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    return 0;
}
void TCustomEdit::SetSelStart(int start) {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->setCursorPosition(start);
}
int TCustomEdit::SelLength() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return e->selectionLength();
    return 0;
}
void TCustomEdit::SetSelLength(int length) {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->setSelection(SelStart(), length);
}
std::string TCustomEdit::SelText() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return FromQ(e->selectedText());
    return {};
}
void TCustomEdit::SelectAll() {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->selectAll();
}

void TCustomEdit::Change() {
    if (OnChange)
        OnChange(this);
}

bool TCustomEdit::HandleMessage(TMessage& m) {
    auto* e = dynamic_cast<QLineEdit*>(widget_);
    auto* p = dynamic_cast<QPlainTextEdit*>(widget_);
    switch (m.Msg) {
    case WM_CUT:
        if (e)
            e->cut();
        if (p)
            p->cut();
        return true;
    case WM_COPY:
        if (e)
            e->copy();
        if (p)
            p->copy();
        return true;
    case WM_PASTE:
        if (e)
            e->paste();
        if (p)
            p->paste();
        return true;
    case WM_CLEAR:
        if (e)
            e->del();
        if (p)
            p->textCursor().removeSelectedText();
        return true;
    case WM_UNDO:
    case EM_UNDO:
        if (e)
            e->undo();
        if (p)
            p->undo();
        m.Result = 1;
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
    lines_->OnChange = [this](TStrings&) { LinesToWidget(); };
}

TCustomMemo::~TCustomMemo() {
    Destroying();
    lines_->OnChange = nullptr;
}

QWidget* TCustomMemo::CreateWidget(QWidget* parent) {
    auto* p = new QPlainTextEdit(parent);
    p->setReadOnly(readOnly_);
    p->setLineWrapMode(WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    p->setPlainText(ToQ(GetText()));
    QObject::connect(p, &QPlainTextEdit::textChanged, [this, p] {
        if (updating_)
            return;
        updating_ = true;
        auto handler = lines_->OnChange;
        lines_->OnChange = nullptr;
        lines_->SetText(FromQ(p->toPlainText()));
        lines_->OnChange = handler;
        updating_ = false;
        Modified = true;
        GuardedCall(this, [this] { Change(); });
    });
    return p;
}

void TCustomMemo::LinesToWidget() {
    if (auto* p = dynamic_cast<QPlainTextEdit*>(widget_)) {
        updating_ = true;
        std::string text = lines_->Text();
        if (text.size() >= 2)
            text.resize(text.size() - 2);
        p->setPlainText(ToQ(text));
        p->moveCursor(QTextCursor::End);
        updating_ = false;
    }
    Change();
}

std::string TCustomMemo::GetText() const {
    return lines_->Text();
}

void TCustomMemo::SetText(const std::string& text) {
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
    TabStop = true;
    SetBounds(0, 0, 121, 97);
    items_->OnChange = [this](TStrings&) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
    Destroying();
    items_->OnChange = nullptr;
    DestroyWnd();
}

QListView* TCustomListBox::View() const {
    return dynamic_cast<QListView*>(widget_);
}

QWidget* TCustomListBox::CreateWidget(QWidget* parent) {
    auto* v = new QListView(parent);
    model_ = new TListBoxModel(this);
    v->setModel(model_);
    model_->setParent(v);
    v->setSelectionMode(multiSelect_ ? (ExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                       : QAbstractItemView::MultiSelection)
                                     : QAbstractItemView::SingleSelection);
    v->setUniformItemSizes(style_ != TListBoxStyle::lbOwnerDrawVariable);
    v->setItemDelegate(new TBvItemDelegate(
        v, [this](int i, QImage& img, const TRect& r, uint32_t s) { PaintItem(i, img, r, s); },
        [this](int i) { return MeasureItemHeight(i); }));
    QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex&, const QModelIndex&) {
                         GuardedCall(this, [this] {
                             if (Parent())
                                 Parent()->Perform(WM_COMMAND, (LBN_SELCHANGE << 16),
                                                   reinterpret_cast<intptr_t>(this));
                         });
                     });
    QObject::connect(v, &QListView::clicked,
                     [this](const QModelIndex&) { GuardedCall(this, [this] { Click(); }); });
    if (pendingIndex_ >= 0 && pendingIndex_ < Count())
        v->setCurrentIndex(model_->index(pendingIndex_, 0));
    pendingIndex_ = -1;
    return v;
}

void TCustomListBox::ItemsChanged() {
    itemData_.resize(static_cast<size_t>(items_->Count()), 0);
    if (model_)
        model_->Reset();
}

int TCustomListBox::ItemIndex() const {
    if (!View())
        return pendingIndex_;
    QModelIndex i = View()->currentIndex();
    if (!i.isValid())
        return -1;
    if (!multiSelect_ && !View()->selectionModel()->isSelected(i))
        return -1;
    return i.row();
}

void TCustomListBox::SetItemIndex(int index) {
    if (!View()) {
        pendingIndex_ = index;
        return;
    }
    if (index < 0 || index >= Count()) {
        View()->selectionModel()->clearCurrentIndex();
        View()->clearSelection();
        return;
    }
    View()->setCurrentIndex(model_->index(index, 0));
}

void TCustomListBox::SetMultiSelect(bool value) {
    multiSelect_ = value;
    if (View())
        View()->setSelectionMode(value ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!View())
        return index == pendingIndex_;
    return View()->selectionModel()->isSelected(model_->index(index, 0));
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    HandleNeeded();
    View()->selectionModel()->select(model_->index(index, 0), value
                                                                  ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect);
}

int TCustomListBox::SelCount() const {
    if (!View())
        return pendingIndex_ >= 0 ? 1 : 0;
    return static_cast<int>(View()->selectionModel()->selectedRows().size());
}

int TCustomListBox::TopIndex() const {
    if (!View())
        return 0;
    QModelIndex i = View()->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

void TCustomListBox::SetTopIndex(int index) {
    HandleNeeded();
    if (index >= 0 && index < Count())
        View()->scrollTo(model_->index(index, 0), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
    style_ = style;
    if (View()) {
        View()->setUniformItemSizes(style != TListBoxStyle::lbOwnerDrawVariable);
        model_->Reset();
    }
}

void TCustomListBox::SetItemHeight(int height) {
    if (height <= 0)
        return;
    itemHeight_ = height;
    if (model_)
        model_->Reset();
}

void TCustomListBox::SetSorted(bool value) {
    sorted_ = value;
    items_->SetSorted(value);
}

void TCustomListBox::Clear() {
    items_->Clear();
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
    if (!View())
        return existing ? -1 : 0;
    QModelIndex i = View()->indexAt(QPoint(pos.X, pos.Y));
    if (i.isValid())
        return i.row();
    return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    if (!View() || index < 0 || index >= Count())
        return {};
    return FromQ(View()->visualRect(model_->index(index, 0)));
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
    return SendMeasureItem(this, ODT_LISTBOX, index, itemHeight_, ItemDataAt(itemData_, index));
}

void TCustomListBox::PaintItem(int index, QImage& image, const TRect& rect, uint32_t state) {
    SendDrawItem(this, ODT_LISTBOX, index, image, rect, state, ItemDataAt(itemData_, index));
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem && style_ != TListBoxStyle::lbStandard) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    DrawOwnerItemDefault(canvas_, rect, *items_, index);
}

void TCustomListBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

bool TCustomListBox::HandleMessage(TMessage& m) {
    if (HandleItemMessage(ListBoxMessages, m, *items_, itemData_,
                          [this](int i) { SetItemIndex(i); }))
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
        if (((m.WParam >> 16) & 0xFFFF) == LBN_DBLCLK)
            DblClick();
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
            for (int k = 0; k < Count(); ++k)
                SetSelected(k, m.WParam != 0);
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
    case LB_SETITEMHEIGHT:
        SetItemHeight(static_cast<int>(m.LParam));
        return true;
    case LB_GETITEMHEIGHT:
        m.Result = itemHeight_;
        return true;
    case LB_SETHORIZONTALEXTENT:
        horizontalExtent_ = static_cast<int>(m.WParam);
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
    items_->OnChange = [this](TStrings&) {
        itemData_.resize(static_cast<size_t>(items_->Count()), 0);
        ItemsToWidget();
    };
}

TCustomComboBox::~TCustomComboBox() {
    Destroying();
    items_->OnChange = nullptr;
    DestroyWnd();
}

QComboBox* TCustomComboBox::Combo() const {
    return dynamic_cast<QComboBox*>(widget_);
}

QWidget* TCustomComboBox::CreateWidget(QWidget* parent) {
    auto* c = new TBvComboWidget(this, parent);
    c->setEditable(style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple);
    c->setMaxVisibleItems(DropDownCount);
    c->setItemDelegate(new TBvItemDelegate(
        c, [this](int i, QImage& img, const TRect& r, uint32_t s) { PaintItem(i, img, r, s); },
        [this](int i) { return MeasureItemHeight(i); }));
    updating_ = true;
    for (const auto& s : items_->Items())
        c->addItem(ToQ(s));
    c->setCurrentIndex(pendingIndex_ >= 0 && pendingIndex_ < items_->Count() ? pendingIndex_ : -1);
    if (c->isEditable())
        c->setEditText(ToQ(text_));
    updating_ = false;
    QObject::connect(c, QOverload<int>::of(&QComboBox::activated), [this](int) {
        if (updating_)
            return;
        text_ = FromQ(Combo()->currentText());
        GuardedCall(this, [this] {
            Change();
            Select();
        });
    });
    QObject::connect(c, &QComboBox::editTextChanged, [this](const QString& t) {
        if (updating_)
            return;
        text_ = FromQ(t);
        GuardedCall(this, [this] { Change(); });
    });
    return c;
}

void TCustomComboBox::ItemsToWidget() {
    QComboBox* c = Combo();
    if (!c)
        return;
    updating_ = true;
    int index = c->currentIndex();
    QString edit = c->isEditable() ? c->currentText() : QString();
    c->clear();
    for (const auto& s : items_->Items())
        c->addItem(ToQ(s));
    c->setCurrentIndex(index < items_->Count() ? index : -1);
    if (c->isEditable())
        c->setEditText(edit);
    updating_ = false;
}

int TCustomComboBox::ItemIndex() const {
    return Combo() ? Combo()->currentIndex() : pendingIndex_;
}

void TCustomComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_->Count())
        index = -1;
    if (!Combo()) {
        pendingIndex_ = index;
        text_ = index >= 0 ? items_->Get(index) : std::string();
        return;
    }
    updating_ = true;
    Combo()->setCurrentIndex(index);
    text_ = index >= 0 ? items_->Get(index) : std::string();
    if (Combo()->isEditable())
        Combo()->setEditText(ToQ(text_));
    updating_ = false;
}

std::string TCustomComboBox::GetText() const {
    if (QComboBox* c = Combo())
        return FromQ(c->currentText());
    return text_;
}

void TCustomComboBox::SetText(const std::string& text) {
    text_ = text;
    if (QComboBox* c = Combo()) {
        updating_ = true;
        if (c->isEditable())
            c->setEditText(ToQ(text));
        else
            c->setCurrentIndex(items_->IndexOf(text));
        updating_ = false;
    } else if (style_ == TComboBoxStyle::csDropDownList) {
        pendingIndex_ = items_->IndexOf(text);
    }
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    style_ = style;
    if (QComboBox* c = Combo())
        c->setEditable(style == TComboBoxStyle::csDropDown || style == TComboBoxStyle::csSimple);
}

void TCustomComboBox::SetItemHeight(int height) {
    if (height > 0)
        itemHeight_ = height;
}

void TCustomComboBox::SetSorted(bool value) {
    sorted_ = value;
    items_->SetSorted(value);
}

bool TCustomComboBox::DroppedDown() const {
    return Combo() && Combo()->view() && Combo()->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool value) {
    HandleNeeded();
    if (value) {
        if (OnDropDown)
            OnDropDown(this);
        Combo()->showPopup();
    } else {
        Combo()->hidePopup();
    }
}

int TCustomComboBox::MeasureItemHeight(int index) {
    if (style_ != TComboBoxStyle::csOwnerDrawVariable) {
        if (style_ == TComboBoxStyle::csOwnerDrawFixed)
            return itemHeight_;
        TCanvas c;
        c.SetFont(*Font());
        return c.TextHeight("Wg") + 2;
    }
    return SendMeasureItem(this, ODT_COMBOBOX, index, itemHeight_, ItemDataAt(itemData_, index));
}

void TCustomComboBox::PaintItem(int index, QImage& image, const TRect& rect, uint32_t state) {
    SendDrawItem(this, ODT_COMBOBOX, index, image, rect, state, ItemDataAt(itemData_, index));
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
    if (HandleItemMessage(ComboBoxMessages, m, *items_, itemData_,
                          [this](int i) { SetItemIndex(i); }))
        return true;
    switch (m.Msg) {
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
