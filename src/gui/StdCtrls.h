// The stock controls: buttons, labels, edits, memos, check and radio boxes, combo and
// list boxes (owner drawing and the list and combo message protocols), group boxes.
//
// TCustomListBox and TCustomComboBox are defined in two files. StdCtrls.cpp holds
// their messages, owner drawing and sorting; qt/StdCtrlsWidgets.cpp holds what
// speaks to their Qt widget:
//   TCustomListBox   CreateWidget, DestroyWnd, View, ItemsChanged, Relayout,
//                    RemeasureAll, ItemIndex, SetItemIndex, TopIndex, SetTopIndex,
//                    Selected, SetSelected, SetSelection, SelCount, SelectedIndexes,
//                    SetMultiSelect, SetStyle, SetItemHeight, ItemAtPos, ItemRect, ItemWidth,
//                    RowWidth, InvalidateItem, PaintItem
//   TCustomComboBox  CreateWidget, DestroyWnd, Combo, ItemsToWidget, RelayoutList,
//                    ItemIndex, SetItemIndex, GetText, SetText, DroppedDown,
//                    SetDroppedDown, SetStyle, ApplyEditReadOnly, ApplyFontColor,
//                    DrawsFaceItself, PaintItem
#pragma once

#include "Classes.h"
#include "Controls.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class TBvListView;
class QComboBox;
class TListBoxModel;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual };
enum class TComboBoxStyle {
    csDropDown,
    csSimple,
    csDropDownList,
    csOwnerDrawFixed,
    csOwnerDrawVariable
};

using TOwnerDrawState = uint16_t;
using TDrawItemEvent =
    std::function<void(TWinControl* control, int index, TRect rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TWinControl* control, int index, int& height)>;

constexpr uint16_t BN_CLICKED = 0;
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t LBN_SELCHANGE = 1;
constexpr uint16_t LBN_DBLCLK = 2;
constexpr uint16_t EN_CHANGE = 0x300;

// A string list that tells its control about every change. While it is being updated
// (BeginUpdate to EndUpdate) its control draws nothing, and draws again at the end.
class TControlStrings : public TStringList {
public:
    std::function<void()> OnListChanged;
    // The control that shows the strings.
    TWinControl* Control = nullptr;
    // Empties the list as Clear does, but hands its texts over instead of freeing them, so
    // that a long list can be freed where it costs the window nothing.
    std::vector<std::string> TakeAndClear();

protected:
    void SetUpdateState(bool updating) override;
};

class TCustomLabel : public TGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TCustomLabel(TComponent* owner);
    TAlignment Alignment = TAlignment::taLeftJustify;
    TTextLayout Layout = TTextLayout::tlTop;
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap = false;
    bool ShowAccelChar = true;
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TWinControl* FocusControl = nullptr;
    // Keeps an auto-sized label within width: its caption on one line when it fits, else
    // broken into lines at that width, the label as tall as they need.
    void FitWidth(int width);

protected:
    void Paint() override;
    bool HandleMessage(TMessage& message) override;
    void AdjustBounds();

private:
    bool autoSize_ = true;
    bool transparent_ = false;
};

class TLabel : public TCustomLabel {
    BV_CLASS_INFO()
public:
    using TCustomLabel::TCustomLabel;
};

class TButtonControl : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TButtonControl(TComponent* owner);
    // A check box's or radio button's caption breaks into lines at the control's width
    // (beside its mark) instead of running past its right edge.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // The height the caption's lines take at the control's present width.
    int CaptionHeight();

protected:
    // A new window text reaches the Qt button, whichever kind it is; a new size wraps a
    // long caption again.
    bool HandleMessage(TMessage& message) override;
    void ShowCaption();
    bool wordWrap_ = false;
};

class TButton : public TButtonControl {
    BV_CLASS_INFO()
public:
    explicit TButton(TComponent* owner);
    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;
    void Click() override;

protected:
    // Whether Enter clicks this button: it has the focus, or no button has and it is the
    // default one.
    bool IsActive() const;
    // Adds BS_DEFPUSHBUTTON or BS_PUSHBUTTON. A button that draws itself adds BS_OWNERDRAW
    // in its own CreateParams; its window then asks for every picture through WM_DRAWITEM to
    // the parent, which hands it back as CN_DRAWITEM with the state (pressed, focused,
    // disabled).
    void CreateParams(TCreateParams& params) override;
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
};

class TCustomCheckBox : public TButtonControl {
    BV_CLASS_INFO()
public:
    explicit TCustomCheckBox(TComponent* owner);
    bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
    void SetChecked(bool value) {
        SetState(value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed = false;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
    bool updating_ = false;
};

class TCheckBox : public TCustomCheckBox {
    BV_CLASS_INFO()
public:
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
    BV_CLASS_INFO()
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    bool checked_ = false;
    bool updating_ = false;
};

class TCustomEdit : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TCustomEdit(TComponent* owner);
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength = 0;
    char PasswordChar = 0;
    bool Modified = false;
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    std::string SelText() const;
    void SelectAll();
    void Clear() { SetText(""); }
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    virtual void Change();
    bool readOnly_ = false;
    bool updating_ = false;
    // The formatting rectangle set with EM_SETRECT; empty while the edit uses its own.
    TRect formatRect_;
};

class TEdit : public TCustomEdit {
    BV_CLASS_INFO()
public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo : public TCustomEdit {
    BV_CLASS_INFO()
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    TStrings* Lines() const { return lines_.get(); }
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    TScrollStyle ScrollBars() const { return scrollBars_; }
    // A change makes the window again with the new bars.
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // Adds whole lines at the end (text of lines each ended by CR LF, or LF), as the edit's
    // EM_REPLACESEL at its end would: the window takes the new lines alone, so a long report
    // can be shown piece by piece without laying out what it already shows again.
    void AppendLines(const std::string& text);

protected:
    void CreateParams(TCreateParams& params) override;
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    void LinesToWidget();
    // Gives the window a fresh document and frees the old one in a later turn of the event
    // loop, so clearing a long report and filling the next one are not one long turn.
    void RetireDocument();
    // Runs free on a worker after the ones handed over before it; the GUI thread never waits
    // for it but at the memo's end.
    void FreeOnWorker(std::function<void()> free);

private:
    std::unique_ptr<TControlStrings> lines_;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    bool wordWrap_ = true;
    // The text last put into the widget and the document's revision after it: lines added
    // at the end are appended, not the whole text laid out again (a long log stays fast).
    std::string shownText_;
    const void* shownDocument_ = nullptr;
    int shownRevision_ = -1;
    // The worker freeing the last text given up (it waits for the one before it).
    std::thread retiring_;
};

class TMemo : public TCustomMemo {
    BV_CLASS_INFO()
public:
    using TCustomMemo::TCustomMemo;
};

class TCustomListBox : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    // The items; for a virtual box, a copy of its texts made when asked (for code that reads
    // a box's strings), which writing to leaves the box as it is.
    TStrings* Items() const { return IsVirtual() ? VirtualItems() : items_.get(); }
    int Count() const { return virtualCount_ >= 0 ? virtualCount_ : items_->Count(); }
    // Virtual items: the box keeps no strings of its own and shows `count` items whose texts
    // OnData gives when an item is drawn, measured or read, so a list of any length is shown
    // at the cost of the rows in sight. Selection, focus and heights work as for stored
    // items. A new count starts the items afresh (nothing selected or focused); -1 returns
    // to the stored Items, which stay empty while the box is virtual.
    void SetVirtualCount(int count);
    bool IsVirtual() const { return virtualCount_ >= 0; }
    std::function<void(TCustomListBox* sender, int index, std::string& text)> OnData;
    // The text of an item: the stored one, or OnData's for a virtual box; empty past the end.
    std::string ItemText(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool ExtendedSelect = true;
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    // Selects or clears the items first..last (clamped to the list) in one step, so a long
    // list costs no more than a short one; the current item stays.
    void SetSelectedRange(int first, int last, bool value);
    // Turns every item's selection over in one step; the current item stays.
    void InvertSelected();
    // Makes exactly `items` (ascending) the selected items and `current` the current item
    // (-1 for none), whatever was selected before. The items go to the view at once as runs
    // of neighbours, so showing a selection costs one pass over it however it is spread.
    // Without multiple selection only `current` is chosen.
    void SetSelection(const std::vector<int>& items, int current);
    int SelCount() const;
    // The selected items in ascending order, read in one pass.
    std::vector<int> SelectedIndexes() const;
    int TopIndex() const;
    void SetTopIndex(int index);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    void Clear();
    int ItemAtPos(TPoint pos, bool existing) const;
    TRect ItemRect(int index) const;
    // The width an item is drawn in: the rows' width when the box scrolls sideways, else the
    // width of the area the rows lie in.
    int ItemWidth() const;
    // Draws the one item again at the next paint.
    void InvalidateItem(int index);
    TCanvas* Canvas() const { return canvas_; }
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    // Called from the item painter of the widget.
    void PaintItem(int index, QImage& image, const TRect& rect, uint32_t state);
    int MeasureItemHeight(int index);
    // The width rows are laid out to: the horizontal extent when the box scrolls sideways.
    int RowWidth() const;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    // The copy Items gives of a virtual box's texts, made once per count: texts that change
    // at the same count come with the count set again.
    virtual TStrings* VirtualItems() const;
    void CreateParams(TCreateParams& params) override;
    // Keeps the current item, the selection and the top item for the next window.
    void DestroyWnd() override;
    TBvListView* View() const;
    // Follows one change of the items: the view inserts, removes or redraws that row
    // alone, so the selection stays and a variable-height list measures only that item.
    void ItemsChanged(const TStringsChange& change);
    // Every item is measured again when next laid out (style, height or font changed).
    void RemeasureAll();
    // The view places its rows again from the heights it knows; an index names the one
    // row whose height changed.
    void Relayout(int index = -1);

    std::unique_ptr<TControlStrings> items_;
    // Measured heights of a variable-height list, -1 where not measured yet.
    std::vector<int> heights_;
    TListBoxModel* model_ = nullptr;
    TCanvas* canvas_ = nullptr;
    TListBoxStyle style_ = TListBoxStyle::lbStandard;
    int itemHeight_ = 16;
    int horizontalExtent_ = 0;
    bool multiSelect_ = false;
    bool sorted_ = false;
    int pendingIndex_ = -1;
    std::vector<int> pendingSelected_;
    int pendingTop_ = 0;
    // The number of virtual items; -1 while the box shows its stored Items.
    int virtualCount_ = -1;
    mutable std::unique_ptr<TStringList> virtualCopy_;
};

class TListBox : public TCustomListBox {
    BV_CLASS_INFO()
public:
    using TCustomListBox::TCustomListBox;
};

class TCustomComboBox : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;
    TStrings* Items() const { return items_.get(); }
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    int DropDownCount = 8;
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    TCanvas* Canvas() const { return canvas_; }
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    // index -1 with ODS_COMBOBOXEDIT: the edit part of a box with nothing chosen.
    void PaintItem(int index, QImage& image, const TRect& rect, uint32_t state);
    int MeasureItemHeight(int index);
    // Whether the closed box shows its chosen item through the owner-draw protocol: an
    // owner-draw style, or a window made with an owner-draw style bit.
    bool DrawsFaceItself() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void DestroyWnd() override;
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    virtual void Change();
    virtual void Select();
    QComboBox* Combo() const;
    // Follows one change of the items in the Qt box, item by item.
    void ItemsToWidget(const TStringsChange& change);
    // The edit part's text and the closed face take the font's colour.
    void ApplyFontColor();
    void ApplyEditReadOnly();
    // The open list places its items again from the heights it is told now.
    void RelayoutList();

    std::unique_ptr<TControlStrings> items_;
    TCanvas* canvas_ = nullptr;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    // EM_SETREADONLY: the edit part takes no typing, and the mouse and wheel choose nothing.
    bool editReadOnly_ = false;
    int itemHeight_ = 16;
    bool sorted_ = false;
    bool updating_ = false;
    int pendingIndex_ = -1;
};

class TComboBox : public TCustomComboBox {
    BV_CLASS_INFO()
public:
    using TCustomComboBox::TCustomComboBox;
};

class TCustomGroupBox : public TCustomControl {
    BV_CLASS_INFO()
public:
    explicit TCustomGroupBox(TComponent* owner);
    TRect ClientRect() const override;

protected:
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
    BV_CLASS_INFO()
public:
    using TCustomGroupBox::TCustomGroupBox;
};
