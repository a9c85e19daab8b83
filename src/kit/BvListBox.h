// The kit's list box: the stock list box through the control message layer, with word-wrapped
// multi-line items of their own height, aligned and coloured owner drawing, a background
// picture, a horizontal extent that follows the widest item, selection operations, a built-in
// drag reorder, add/delete/scroll events and an optional data provider that supplies the items.
#pragma once

#include "BvDataProvider.h"
#include "BvExStdCtrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBvCustomListBox;

// The list's notification that a selection was cancelled.
constexpr uint16_t LBN_SELCANCEL = 3;

using TBvListBoxDataEvent = std::function<void(TObject* sender, int index, std::string& text)>;
using TBvListboxChange = std::function<void(TObject* sender, const std::string& item)>;
// Msg: the scroll code in the low word of WParam, the position in the high word.
using TBvScrollEvent = std::function<void(TObject* sender, const TMessage& msg, bool& dontScroll)>;

// A measured text: the width with the box's margins and the item height.
struct TBvTextSize {
    int cx = 0;
    int cy = 0;
};

enum class TBvListboxFillMode { bfmTile, bfmStretch };

// The picture behind the items: tiled or stretched over the client area.
class TBvListBoxBackground : public TPersistent {
    BV_CLASS_INFO()
public:
    TBvListBoxBackground();
    ~TBvListBoxBackground() override;

    TBitmap* Image() const { return image_.get(); }
    // Copies the picture.
    void SetImage(const TBitmap* image);
    TBvListboxFillMode FillMode() const { return fillMode_; }
    void SetFillMode(TBvListboxFillMode mode);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool DoDraw() const;
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChange;

private:
    void Change();
    std::unique_ptr<TBitmap> image_;
    TBvListboxFillMode fillMode_ = TBvListboxFillMode::bfmTile;
    bool visible_ = false;
};

// The box's Items: every change goes through the box's list messages (LB_ADDSTRING,
// LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT), so the box's events and its horizontal
// extent see each one whoever makes it. The box stores and removes through the Raw calls.
class TBvListBoxStrings : public TControlStrings {
public:
    explicit TBvListBoxStrings(TBvCustomListBox* box);

    int Add(std::string value) override;
    void InsertObject(int index, std::string value, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;

    int RawAdd(std::string value);
    void RawInsert(int index, std::string value);
    void RawDelete(int index);
    void RawClear();
    // Removes the entries at the given ascending indexes in one pass and tells the views once.
    void RawDeleteMany(const std::vector<int>& ascending);
    // Replaces every entry in one step and tells the views once.
    void RawAssign(std::vector<std::string> lines);

private:
    TBvCustomListBox* box_;
};

class TBvCustomListBox : public TBvExCustomListBox {
    BV_CLASS_INFO()
public:
    explicit TBvCustomListBox(TComponent* owner);
    ~TBvCustomListBox() override;

    TBvListBoxStrings* ListStrings() const { return static_cast<TBvListBoxStrings*>(items_.get()); }

    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    void SetSorted(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    // The look HotTrack switches: flat while the pointer is away, three-dimensional over it.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value);
    TColor SelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(TColor value);
    TColor DisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(TColor value);
    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool value);
    TBvListBoxBackground* Background() const { return background_.get(); }
    // The horizontal extent last given to the window.
    int MaxItemWidth() const { return maxItemWidth_; }
    int HorzScrollOffset() const { return horzScrollOffset_; }
    bool WordWrapActive() const;

    // The data consumer; a provider is linked through it. While one is active the box shows
    // its rows (one empty window line per row, drawn and measured by the provider's
    // renderers) and keeps its own strings aside; changing the items lets the provider go.
    TBvDataConsumer* Provider() const { return consumer_; }
    bool ProviderActive() const { return providerActive_; }
    // The provider's item on a line; null without a provider or past the end.
    TIntf<IBvDataItem> ProviderItem(int index) const;
    // The strings the box keeps aside while a provider supplies the items.
    const TStringList& SavedItems() const { return saved_; }

    // Measures a text as the box draws it: word-wrapped into maxWidth (0: unlimited). cx is
    // the width with the margins, cy the height, at most 255 and at least ItemHeight.
    TBvTextSize MeasureText(const std::string& text, int maxWidth);
    // The width with the margins of a text on one line, quickly: exact or a few pixels
    // wider, never less. For the horizontal extent, which follows every line.
    int MeasureWidth(const std::string& text);
    // Measures each line as MeasureWidth does and keeps the widths; returns the widest.
    int MeasureWidths(const std::vector<std::string>& lines);
    void RemeasureItems();
    // Replaces all lines at once: the view is told once and the extent measured in one pass,
    // so ten thousand lines fill in a moment where adding them one by one took long.
    void SetLines(std::vector<std::string> lines);

    virtual void SelectAll();
    virtual void InvertSelection();
    virtual void DeleteSelected();
    virtual void MoveSelectedUp();
    virtual void MoveSelectedDown();
    // The strings the box shows: the provider's while one is active, else Items.
    virtual const TStrings& ItemsList() const;
    // The selected line indexes in ascending order.
    std::vector<int> SelectedLines() const;

    TBvListBoxDataEvent OnGetText;
    TNotifyEvent OnSelectCancel;
    TNotifyEvent OnChange;
    TBvListboxChange OnDeleteString;
    TBvListboxChange OnAddString;
    TBvScrollEvent OnVerticalScroll;
    TBvScrollEvent OnHorizontalScroll;

    TDragImageList* GetDragImages() override;
    void WndProc(TMessage& m) override;
    void SetBounds(int left, int top, int width, int height) override;

protected:
    friend class TBvListBoxStrings;
    void Loaded() override;
    void Changed() override;
    virtual void DoGetText(int index, std::string& text);
    virtual void DefaultDrawItem(int index, TRect rect, TOwnerDrawState state);
    virtual void InternalDragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void InternalStartDrag(TDragObject*& dragObject);
    virtual void InternalDragDrop(TObject* source, int x, int y);

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool HandleMessage(TMessage& m) override;
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    void MeasureItem(int index, int& height) override;
    void FontChanged() override;
    void MouseEnter(TControl* control) override;
    void MouseLeave(TControl* control) override;
    bool EraseBackground(TCanvas* canvas, intptr_t param) override;
    void DoStartDrag(TDragObject*& dragObject) override;
    void DragOver(TObject* source, int x, int y, TDragState state, bool& accept) override;
    void DragDrop(TObject* source, int x, int y) override;

    // Keeps the window's horizontal extent.
    void SetHorizontalExtent(int value);
    void UpdateStyle();
    void DrawBackground(TCanvas* dc, bool useOffset);
    // The text of a line as drawn: the provider's, the item's or the virtual item's, through
    // OnGetText.
    std::string LineText(int index);
    // The lines drawn: the provider's, the items or the virtual items.
    int LineCount() const;

    // The list messages every change of the items passes through.
    void AddStringMessage(TMessage& m);
    void InsertStringMessage(TMessage& m);
    void DeleteStringMessage(TMessage& m);
    void ResetContentMessage(TMessage& m);
    void ScrollMessage(TMessage& m, bool vertical);
    // Removes the lines at the ascending indexes in one pass, keeping the extent.
    void DeleteLines(const std::vector<int>& ascending);
    // Moves one line with its data; to -1 or past the end appends it.
    virtual void MoveLine(int from, int to);
    void ProviderChanged();
    void SyncProviderRows();
    // A change of the items by the program lets the provider go first.
    void DetachProvider();
    void DrawProviderItem(int index, TRect rect, TOwnerDrawState state);
    bool ProviderMessage(TMessage& m);
    // Follows a change of the items for the kept widths.
    void FollowWidths(const TStringsChange& change);
    int TextHeightOfFont();

    bool multiLine_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool hotTrack_ = false;
    bool ctl3D_ = true;
    TColor selectedColor_ = clHighlight;
    TColor selectedTextColor_ = clHighlightText;
    TColor disabledTextColor_ = clGrayText;
    bool showFocusRect_ = true;
    std::unique_ptr<TBvListBoxBackground> background_;
    int maxItemWidth_ = 0;
    int horzScrollOffset_ = 0;
    int dragIndex_ = -1;
    std::unique_ptr<TDragImageList> dragImages_;
    // The measured width of every item while the box keeps an extent (not word wrapping).
    std::vector<int> widths_;
    bool bulk_ = false;
    // A private canvas for measuring outside a paint.
    std::unique_ptr<TCanvas> measureCanvas_;
    TBvDataConsumer* consumer_ = nullptr;
    bool providerActive_ = false;
    bool syncing_ = false;
    TStringList saved_;
    // The provider's row texts, the lines while it is active.
    TStringList providerTexts_;
    TListBoxStyle styleBeforeProvider_ = TListBoxStyle::lbStandard;
};

class TBvListBox : public TBvCustomListBox {
    BV_CLASS_INFO()
public:
    using TBvCustomListBox::TBvCustomListBox;
};
