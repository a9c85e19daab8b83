#include "BvListBox.h"

#include "BvDataRenderers.h"
#include "BvDataViewList.h"
#include "BvItemsSearchs.h"
#include "Dispatcher.h"
#include "WinApi.h"

#include <algorithm>
#include <cstring>

namespace {

// An unlimited width for a text that is not wrapped.
constexpr int kUnlimitedWidth = 0x3FFFFFFF;
// The tallest item a variable-height list box keeps.
constexpr int kMaxItemHeight = 255;

uint32_t AlignmentFlag(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

intptr_t TextParam(const std::string& text) {
    return reinterpret_cast<intptr_t>(text.c_str());
}

std::string TextOfParam(intptr_t lParam) {
    return lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
}

} // namespace

BV_DECLARE_EXCEPTION(EOutOfResources, Exception);

// ---------------------------------------------------------------- background

const TClassInfo& TBvListBoxBackground::StaticClassInfo() {
    static const TClassInfo info("TBvListBoxBackground", &TPersistent::StaticClassInfo(), {},
                                 "BvListBox");
    return info;
}

TBvListBoxBackground::TBvListBoxBackground() : image_(std::make_unique<TBitmap>()) {}
TBvListBoxBackground::~TBvListBoxBackground() = default;

void TBvListBoxBackground::SetImage(const TBitmap* image) {
    if (image)
        image_->Assign(*image);
    else
        image_->SetSize(0, 0);
    Change();
}

void TBvListBoxBackground::SetFillMode(TBvListboxFillMode mode) {
    if (fillMode_ == mode)
        return;
    fillMode_ = mode;
    Change();
}

void TBvListBoxBackground::SetVisible(bool value) {
    if (visible_ == value)
        return;
    visible_ = value;
    Change();
}

bool TBvListBoxBackground::DoDraw() const {
    return visible_ && image_->Width() > 0 && image_->Height() > 0;
}

void TBvListBoxBackground::Assign(const TPersistent& source) {
    if (auto* other = dynamic_cast<const TBvListBoxBackground*>(&source)) {
        image_->Assign(*other->image_);
        fillMode_ = other->fillMode_;
        visible_ = other->visible_;
        Change();
        return;
    }
    TPersistent::Assign(source);
}

void TBvListBoxBackground::Change() {
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- strings

TBvListBoxStrings::TBvListBoxStrings(TBvCustomListBox* box) : box_(box) {
    // A list box holds every line it is given, equal ones included.
    Duplicates = TDuplicates::dupAccept;
}

int TBvListBoxStrings::Add(std::string value) {
    auto result = box_->Perform(LB_ADDSTRING, 0, TextParam(value));
    if (result < 0)
        throw EOutOfResources("Failed to insert line");
    return static_cast<int>(result);
}

void TBvListBoxStrings::InsertObject(int index, std::string value, TObject* object) {
    CheckIndex(index, true);
    auto result = box_->Perform(LB_INSERTSTRING, index, TextParam(value));
    if (result < 0)
        throw EOutOfResources("Failed to insert line");
    if (object)
        PutObject(static_cast<int>(result), object);
}

void TBvListBoxStrings::Delete(int index) {
    CheckIndex(index);
    box_->Perform(LB_DELETESTRING, index, 0);
}

void TBvListBoxStrings::Clear() {
    box_->Perform(LB_RESETCONTENT, 0, 0);
}

int TBvListBoxStrings::RawAdd(std::string value) {
    return TControlStrings::Add(std::move(value));
}

void TBvListBoxStrings::RawInsert(int index, std::string value) {
    TControlStrings::InsertObject(index, std::move(value), nullptr);
}

void TBvListBoxStrings::RawDelete(int index) {
    TControlStrings::Delete(index);
}

void TBvListBoxStrings::RawClear() {
    TControlStrings::Clear();
}

void TBvListBoxStrings::RawDeleteMany(const std::vector<int>& ascending) {
    if (ascending.empty())
        return;
    size_t out = 0, next = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (next < ascending.size() && static_cast<size_t>(ascending[next]) == i) {
            ++next;
            continue;
        }
        if (out != i) {
            items_[out] = std::move(items_[i]);
            objects_[out] = objects_[i];
        }
        ++out;
    }
    items_.resize(out);
    objects_.resize(out);
    ItemChanged(TStringsChangeKind::Reset);
    TStrings::Changed();
}

// ---------------------------------------------------------------- list box

const TClassInfo& TBvCustomListBox::StaticClassInfo() {
    static const TClassInfo info("TBvCustomListBox", &TBvExCustomListBox::StaticClassInfo(), {},
                                 "BvListBox");
    return info;
}
const TClassInfo& TBvListBox::StaticClassInfo() {
    static const TClassInfo info("TBvListBox", &TBvCustomListBox::StaticClassInfo(), {},
                                 "BvListBox");
    return info;
}

TBvCustomListBox::TBvCustomListBox(TComponent* owner)
    : TBvExCustomListBox(owner), background_(std::make_unique<TBvListBoxBackground>()),
      measureCanvas_(std::make_unique<TCanvas>()) {
    items_ = std::make_unique<TBvListBoxStrings>(this);
    items_->Control = this;
    items_->OnItemChange = [this](TStrings&, const TStringsChange& c) {
        FollowWidths(c);
        ItemsChanged(c);
    };
    background_->OnChange = [this](TObject*) { Invalidate(); };
    measureCanvas_->SetFont(*Font());
    consumer_ = CreateListConsumer(this);
    consumer_->OnChanged = [this](TBvDataConsumer*, TBvConsumerChangeReason reason) {
        if (reason == TBvConsumerChangeReason::crProvider)
            ProviderChanged();
        else
            SyncProviderRows();
    };
}

TBvCustomListBox::~TBvCustomListBox() {
    Destroying();
    // Unlinked first, so that no provider notice reaches a box that is half destroyed.
    providerActive_ = false;
    if (TBvDataConsumer* c = consumer_) {
        consumer_ = nullptr;
        c->OnChanged = nullptr;
        c->OnSubServiceCreated = nullptr;
        c->Destroy();
    }
    items_->OnItemChange = nullptr;
    background_->OnChange = nullptr;
}

bool TBvCustomListBox::WordWrapActive() const {
    return multiLine_ &&
           (scrollBars_ == TScrollStyle::ssNone || scrollBars_ == TScrollStyle::ssVertical);
}

int TBvCustomListBox::TextHeightOfFont() {
    measureCanvas_->SetFont(*Font());
    return measureCanvas_->TextMetrics().tmHeight;
}

TBvTextSize TBvCustomListBox::MeasureText(const std::string& text, int maxWidth) {
    measureCanvas_->SetFont(*Font());
    TRect r{0, 0, maxWidth > 0 ? std::max(1, maxWidth - 2) : kUnlimitedWidth, 1};
    // Without a limit nothing wraps, and the rectangle then takes the text's own width.
    const uint32_t wrap = maxWidth > 0 ? DT_WORDBREAK : 0;
    measureCanvas_->DrawTextW(text, r,
                              DT_CALCRECT | wrap | DT_NOPREFIX | AlignmentFlag(alignment_));
    TBvTextSize size;
    size.cx = r.Right + 4;
    size.cy = std::max(std::min(r.Bottom, kMaxItemHeight), ItemHeight());
    return size;
}

void TBvCustomListBox::RemeasureItems() {
    const bool wrap = WordWrapActive();
    const int limit = wrap ? ClientWidth() : 0;
    const TStrings& lines = ItemsList();
    const int n = lines.Count();
    int widest = 0;
    if (!wrap)
        widths_.assign(static_cast<size_t>(n), 0);
    else
        widths_.clear();
    for (int i = 0; i < n; ++i) {
        if (!multiLine_ && wrap)
            break;
        TBvTextSize size = MeasureText(lines[i], limit);
        if (multiLine_ && style_ == TListBoxStyle::lbOwnerDrawVariable)
            Perform(LB_SETITEMHEIGHT, i, size.cy);
        if (!wrap) {
            widths_[static_cast<size_t>(i)] = size.cx;
            widest = std::max(widest, size.cx);
        }
    }
    if (!wrap)
        SetHorizontalExtent(widest);
}

void TBvCustomListBox::SetHorizontalExtent(int value) {
    if (WordWrapActive() || value == maxItemWidth_)
        return;
    maxItemWidth_ = value;
    Perform(LB_SETHORIZONTALEXTENT, value, 0);
}

void TBvCustomListBox::FollowWidths(const TStringsChange& change) {
    if (WordWrapActive() || bulk_ || providerActive_)
        return;
    const TStrings& lines = *items_;
    auto at = [&](int i) { return static_cast<size_t>(i); };
    switch (change.Kind) {
    case TStringsChangeKind::Inserted: {
        int w = MeasureText(lines[change.Index], 0).cx;
        if (widths_.size() + 1 != static_cast<size_t>(lines.Count()))
            break;
        widths_.insert(widths_.begin() + change.Index, w);
        if (w > maxItemWidth_)
            SetHorizontalExtent(w);
        return;
    }
    case TStringsChangeKind::Replaced: {
        if (widths_.size() != static_cast<size_t>(lines.Count()))
            break;
        int old = widths_[at(change.Index)];
        int w = MeasureText(lines[change.Index], 0).cx;
        widths_[at(change.Index)] = w;
        if (w > maxItemWidth_)
            SetHorizontalExtent(w);
        else if (old == maxItemWidth_ && w < old)
            SetHorizontalExtent(*std::max_element(widths_.begin(), widths_.end()));
        return;
    }
    case TStringsChangeKind::Deleted: {
        if (widths_.size() != static_cast<size_t>(lines.Count()) + 1)
            break;
        int old = widths_[at(change.Index)];
        widths_.erase(widths_.begin() + change.Index);
        // The widest item gone: the next widest sets the extent.
        if (old >= maxItemWidth_)
            SetHorizontalExtent(
                widths_.empty() ? 0 : *std::max_element(widths_.begin(), widths_.end()));
        return;
    }
    case TStringsChangeKind::Exchanged:
        if (widths_.size() != static_cast<size_t>(lines.Count()))
            break;
        std::swap(widths_[at(change.Index)], widths_[at(change.Other)]);
        return;
    case TStringsChangeKind::Moved: {
        if (widths_.size() != static_cast<size_t>(lines.Count()))
            break;
        int w = widths_[at(change.Index)];
        widths_.erase(widths_.begin() + change.Index);
        widths_.insert(widths_.begin() + change.Other, w);
        return;
    }
    case TStringsChangeKind::Reset:
        if (lines.Count() == 0) {
            widths_.clear();
            SetHorizontalExtent(0);
            return;
        }
        break;
    }
    RemeasureItems();
}

const TStrings& TBvCustomListBox::ItemsList() const {
    return providerActive_ ? providerTexts_ : *items_;
}

std::string TBvCustomListBox::LineText(int index) {
    const TStrings& lines = ItemsList();
    std::string text = index >= 0 && index < lines.Count() ? lines[index] : std::string();
    DoGetText(index, text);
    return text;
}

void TBvCustomListBox::DoGetText(int index, std::string& text) {
    if (OnGetText)
        OnGetText(this, index, text);
}

void TBvCustomListBox::UpdateStyle() {
    if (IsLoading())
        return;
    TListBoxStyle before = style_;
    if (multiLine_)
        SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    else if (alignment_ != TAlignment::taLeftJustify && style_ == TListBoxStyle::lbStandard)
        SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    if (before == TListBoxStyle::lbStandard && style_ != TListBoxStyle::lbStandard) {
        SetItemHeight(TextHeightOfFont() + (showFocusRect_ ? 2 : 0));
        RemeasureItems();
    }
}

void TBvCustomListBox::Loaded() {
    TBvExCustomListBox::Loaded();
    UpdateStyle();
}

void TBvCustomListBox::Changed() {
    Perform(CM_CHANGED, 0, reinterpret_cast<intptr_t>(this));
}

// ---------------------------------------------------------------- properties

void TBvCustomListBox::SetMultiLine(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (multiLine_ == value)
        return;
    multiLine_ = value;
    if (value) {
        // Wrapped lines need no sideways scrolling.
        if (scrollBars_ == TScrollStyle::ssBoth)
            SetScrollBars(TScrollStyle::ssVertical);
        else if (scrollBars_ == TScrollStyle::ssHorizontal)
            SetScrollBars(TScrollStyle::ssNone);
        maxItemWidth_ = 0;
        Perform(LB_SETHORIZONTALEXTENT, 0, 0);
        widths_.clear();
        UpdateStyle();
        RemeasureItems();
    } else {
        UpdateStyle();
        RemeasureItems();
    }
    Invalidate();
}

void TBvCustomListBox::SetScrollBars(TScrollStyle value) {
    BV_ASSERT_GUI_THREAD();
    if (scrollBars_ == value)
        return;
    scrollBars_ = value;
    if (HandleAllocated())
        RecreateWnd();
    RemeasureItems();
}

void TBvCustomListBox::SetSorted(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (sorted_ == value)
        return;
    TCustomListBox::SetSorted(value);
    if (HandleAllocated())
        RecreateWnd();
}

void TBvCustomListBox::SetAlignment(TAlignment value) {
    BV_ASSERT_GUI_THREAD();
    if (alignment_ == value)
        return;
    alignment_ = value;
    UpdateStyle();
    Invalidate();
}

void TBvCustomListBox::SetHotTrack(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (hotTrack_ == value)
        return;
    hotTrack_ = value;
    SetCtl3D(!value);
}

void TBvCustomListBox::SetCtl3D(bool value) {
    if (ctl3D_ == value)
        return;
    ctl3D_ = value;
    Invalidate();
}

void TBvCustomListBox::SetSelectedColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (selectedColor_ == value)
        return;
    selectedColor_ = value;
    Invalidate();
}

void TBvCustomListBox::SetSelectedTextColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (selectedTextColor_ == value)
        return;
    selectedTextColor_ = value;
    Invalidate();
}

void TBvCustomListBox::SetDisabledTextColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (disabledTextColor_ == value)
        return;
    disabledTextColor_ = value;
    Invalidate();
}

void TBvCustomListBox::SetShowFocusRect(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (showFocusRect_ == value)
        return;
    showFocusRect_ = value;
    SetItemHeight(TextHeightOfFont() + (value ? 2 : 0));
    RemeasureItems();
    if (Focused())
        Invalidate();
}

void TBvCustomListBox::SetBounds(int left, int top, int width, int height) {
    const int oldWidth = Width();
    TBvExCustomListBox::SetBounds(left, top, width, height);
    if (alignment_ != TAlignment::taLeftJustify)
        Invalidate();
    // Wrapped items are as tall as the new width makes them.
    if (WordWrapActive() && width != oldWidth && Count() > 0)
        RemeasureItems();
}

// ---------------------------------------------------------------- selection operations

std::vector<int> TBvCustomListBox::SelectedLines() const {
    return SelectedIndexes();
}

void TBvCustomListBox::SelectAll() {
    BV_ASSERT_GUI_THREAD();
    if (!multiSelect_)
        return;
    items_->BeginUpdate();
    Perform(LB_SETSEL, 1, -1);
    items_->EndUpdate();
}

void TBvCustomListBox::InvertSelection() {
    BV_ASSERT_GUI_THREAD();
    if (!multiSelect_)
        return;
    items_->BeginUpdate();
    std::vector<int> selected = SelectedIndexes();
    Perform(LB_SETSEL, 1, -1);
    for (int i : selected)
        SetSelected(i, false);
    items_->EndUpdate();
}

void TBvCustomListBox::DeleteSelected() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_)
        return;
    if (multiSelect_) {
        std::vector<int> selected = SelectedIndexes();
        if (!selected.empty()) {
            // Each one is told, the last first; then one pass removes them all, so a long
            // list is not moved up once per deleted line.
            std::vector<std::string> texts;
            if (OnDeleteString) {
                for (auto it = selected.rbegin(); it != selected.rend(); ++it)
                    OnDeleteString(this, (*items_)[*it]);
            }
            DeleteLines(selected);
        }
    } else {
        int index = ItemIndex();
        if (index >= 0) {
            items_->Delete(index);
            if (Count() > 0)
                SetItemIndex(std::max(0, index - 1));
        }
    }
    Changed();
}

void TBvCustomListBox::DeleteLines(const std::vector<int>& ascending) {
    bool keepWidths = !WordWrapActive();
    int widest = 0;
    if (keepWidths && widths_.size() == static_cast<size_t>(Count())) {
        size_t out = 0, next = 0;
        for (size_t i = 0; i < widths_.size(); ++i) {
            if (next < ascending.size() && static_cast<size_t>(ascending[next]) == i) {
                ++next;
                continue;
            }
            widest = std::max(widest, widths_[i]);
            widths_[out++] = widths_[i];
        }
        widths_.resize(out);
        bulk_ = true;
    }
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{bulk_};
    ListStrings()->RawDeleteMany(ascending);
    if (bulk_)
        SetHorizontalExtent(widest);
    if (OnChange)
        OnChange(this);
}

void TBvCustomListBox::MoveSelectedUp() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_)
        return;
    if (multiSelect_) {
        if (Count() == 0 || SelCount() == 0 || Selected(0))
            return;
        items_->BeginUpdate();
        for (int i = 1; i < Count(); ++i) {
            if (Selected(i)) {
                items_->Exchange(i, i - 1);
                SetSelected(i - 1, true);
                SetSelected(i, false);
            }
        }
        items_->EndUpdate();
    } else {
        int index = ItemIndex();
        if (index > 0) {
            items_->Exchange(index, index - 1);
            SetItemIndex(index - 1);
        }
    }
}

void TBvCustomListBox::MoveSelectedDown() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_)
        return;
    if (multiSelect_) {
        if (Count() == 0 || SelCount() == 0 || Selected(Count() - 1))
            return;
        items_->BeginUpdate();
        for (int i = Count() - 2; i >= 0; --i) {
            if (Selected(i)) {
                items_->Exchange(i, i + 1);
                SetSelected(i + 1, true);
                SetSelected(i, false);
            }
        }
        items_->EndUpdate();
    } else {
        int index = ItemIndex();
        if (index >= 0 && index < Count() - 1) {
            items_->Exchange(index, index + 1);
            SetItemIndex(index + 1);
        }
    }
}

// ---------------------------------------------------------------- window

void TBvCustomListBox::CreateParams(TCreateParams& params) {
    TBvExCustomListBox::CreateParams(params);
    if (providerActive_) {
        params.Style &= ~(LBS_HASSTRINGS | LBS_SORT | LBS_NODATA);
        if (!(params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
            params.Style |= LBS_OWNERDRAWFIXED;
    }
    params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth)
        params.Style |= WS_HSCROLL;
    if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth)
        params.Style |= WS_VSCROLL;
    if (sorted_ && !providerActive_)
        params.Style |= LBS_SORT;
}

void TBvCustomListBox::CreateWnd() {
    if (!IsLoading()) {
        if (multiLine_ && style_ != TListBoxStyle::lbOwnerDrawVariable)
            multiLine_ = false;
        if (style_ == TListBoxStyle::lbStandard)
            alignment_ = TAlignment::taLeftJustify;
    }
    horzScrollOffset_ = 0;
    TBvExCustomListBox::CreateWnd();
    // The new window starts without an extent.
    if (!WordWrapActive() && maxItemWidth_ > 0)
        Perform(LB_SETHORIZONTALEXTENT, maxItemWidth_, 0);
}

void TBvCustomListBox::FontChanged() {
    TBvExCustomListBox::FontChanged();
    measureCanvas_->SetFont(*Font());
    if (style_ != TListBoxStyle::lbStandard)
        SetItemHeight(TextHeightOfFont() + (showFocusRect_ ? 2 : 0));
    RemeasureItems();
}

void TBvCustomListBox::MouseEnter(TControl* control) {
    if (IsDesigning() || MouseOver())
        return;
    if (hotTrack_)
        SetCtl3D(true);
    TBvExCustomListBox::MouseEnter(control);
}

void TBvCustomListBox::MouseLeave(TControl* control) {
    if (!MouseOver())
        return;
    if (hotTrack_)
        SetCtl3D(false);
    TBvExCustomListBox::MouseLeave(control);
}

bool TBvCustomListBox::EraseBackground(TCanvas* canvas, intptr_t param) {
    if (!background_->DoDraw())
        return TBvExCustomListBox::EraseBackground(canvas, param);
    DrawBackground(canvas, false);
    return true;
}

void TBvCustomListBox::DrawBackground(TCanvas* dc, bool useOffset) {
    if (!background_->DoDraw() || !dc)
        return;
    TRect area = ClientRect();
    if (useOffset) {
        area.Left += horzScrollOffset_;
        area.Right += horzScrollOffset_;
    }
    TRect clip = dc->HasClip() ? dc->ClipRect() : area;
    if (clip.Width() <= 0 || clip.Height() <= 0)
        return;
    TBitmap* picture = background_->Image();
    int saved = dc->SaveDC();
    dc->IntersectClip(clip);
    if (background_->FillMode() == TBvListboxFillMode::bfmStretch) {
        dc->StretchDraw(area, picture);
    } else {
        const int w = picture->Width(), h = picture->Height();
        for (int y = area.Top; y < area.Bottom; y += h) {
            if (y + h <= clip.Top || y >= clip.Bottom)
                continue;
            for (int x = area.Left; x < area.Right; x += w) {
                if (x + w <= clip.Left || x >= clip.Right)
                    continue;
                dc->Draw(x, y, picture);
            }
        }
    }
    dc->RestoreDC(saved);
}

// ---------------------------------------------------------------- drawing and measuring

void TBvCustomListBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem) {
        TBvExCustomListBox::MeasureItem(index, height);
        return;
    }
    if (providerActive_ && index >= 0 && index < ItemsList().Count()) {
        int measured = ItemHeight();
        if (auto item = ProviderItem(index)) {
            TBvConsumerScope scope(consumer_);
            measureCanvas_->SetFont(*Font());
            if (auto renderer = FindItemsRenderer(item.Get()))
                measured = renderer->MeasureItem(measureCanvas_.get(), item.Get()).Y;
            else
                measured = measureCanvas_->TextHeight(ItemCaptionText(item.Get()));
        }
        height = std::max(std::min(measured, kMaxItemHeight), ItemHeight());
    } else if (multiLine_ && index >= 0 && index < ItemsList().Count()) {
        height = MeasureText(LineText(index), WordWrapActive() ? ClientWidth() : 0).cy;
    }
}

void TBvCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        TBvExCustomListBox::DrawItem(index, rect, state);
        return;
    }
    DefaultDrawItem(index, rect, state);
    if (showFocusRect_ && (state & ODS_FOCUS))
        canvas_->DrawFocusRect(rect);
}

void TBvCustomListBox::DefaultDrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (IsDestroying() || !canvas_)
        return;
    TRect r = rect;
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) {
        r.Left = 0;
        r.Right = std::max(ClientWidth(), maxItemWidth_);
    }
    if (providerActive_) {
        DrawProviderItem(index, r, state);
        return;
    }
    const bool picture = background_->DoDraw();
    if (picture) {
        canvas_->Brush()->SetStyle(TBrushStyle::bsClear);
        canvas_->Font()->SetColor(Font()->Color());
        int saved = canvas_->SaveDC();
        canvas_->IntersectClip(r);
        DrawBackground(canvas_, true);
        canvas_->RestoreDC(saved);
    }
    if (index >= ItemsList().Count())
        return;
    if (!picture)
        canvas_->FillRect(r);
    uint32_t flags = AlignmentFlag(alignment_) | DT_NOPREFIX;
    flags |= multiLine_ ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
    r.Left += 2;
    std::string text = LineText(index);
    canvas_->DrawTextW(text, r, flags);
    if (picture && (state & ODS_SELECTED))
        canvas_->PatBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), DSTINVERT);
}

// ---------------------------------------------------------------- messages

void TBvCustomListBox::WndProc(TMessage& m) {
    switch (m.Msg) {
    case LB_ADDSTRING:
        AddStringMessage(m);
        return;
    case LB_INSERTSTRING:
        InsertStringMessage(m);
        return;
    case LB_DELETESTRING:
        DeleteStringMessage(m);
        return;
    case LB_RESETCONTENT:
        ResetContentMessage(m);
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
        ScrollMessage(m, m.Msg == WM_VSCROLL);
        return;
    case WM_LBUTTONDOWN:
        // A press that is to begin the drag reorder first makes its item the current one, as
        // a list box's own click would.
        if (DragMode == TDragMode::dmAutomatic && !OnStartDrag && !Dragging()) {
            TShiftState shift = KeysToShift(static_cast<uint32_t>(m.WParam));
            bool extend = multiSelect_ && (shift & (ssShift | ssCtrl));
            int index = ItemAtPos({LoWordSigned(m.LParam), HiWordSigned(m.LParam)}, true);
            if (!extend && index >= 0 && !(multiSelect_ && Selected(index))) {
                if (multiSelect_)
                    Perform(LB_SETSEL, 0, -1);
                SetItemIndex(index);
                if (multiSelect_)
                    SetSelected(index, true);
            }
        }
        break;
    default:
        break;
    }
    TBvExCustomListBox::WndProc(m);
}

bool TBvCustomListBox::HandleMessage(TMessage& m) {
    if (providerActive_ && ProviderMessage(m))
        return true;
    switch (m.Msg) {
    case CN_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        if (!dis || !dis->hDC)
            return true;
        TCanvas own;
        own.AttachTo(dis->hDC);
        own.SetFont(*Font());
        own.Brush()->SetColor(Color());
        const int index = static_cast<int>(dis->itemID);
        const auto state = static_cast<TOwnerDrawState>(dis->itemState & 0xFF);
        if (index >= 0) {
            if (state & ODS_SELECTED) {
                own.Brush()->SetColor(selectedColor_);
                own.Font()->SetColor(selectedTextColor_);
            }
            if ((state & (ODS_GRAYED | ODS_DISABLED)) || !Enabled())
                own.Font()->SetColor(disabledTextColor_);
        }
        canvas_ = &own;
        struct Reset {
            TCanvas*& c;
            ~Reset() { c = nullptr; }
        } reset{canvas_};
        if (index < 0) {
            if (background_->DoDraw())
                DrawBackground(&own, false);
            else
                own.FillRect(dis->rcItem);
            if (state & ODS_FOCUS)
                own.DrawFocusRect(dis->rcItem);
        } else {
            DrawItem(index, dis->rcItem, state);
        }
        m.Result = 1;
        return true;
    }
    case CN_COMMAND:
        // The list's own selection-cancel notification.
        if (((m.WParam >> 16) & 0xFFFF) == LBN_SELCANCEL) {
            if (OnSelectCancel)
                OnSelectCancel(this);
            return true;
        }
        break;
    case CN_KEYDOWN:
        if (background_->DoDraw() && m.WParam >= VK_LEFT && m.WParam <= VK_DOWN) {
            Perform(WM_SETREDRAW, 0, 0);
            bool handled = TBvExCustomListBox::HandleMessage(m);
            Perform(WM_SETREDRAW, 1, 0);
            InvalidateRect(this, nullptr, true);
            return handled;
        }
        break;
    case WM_SETFONT: {
        bool handled = TBvExCustomListBox::HandleMessage(m);
        measureCanvas_->SetFont(*Font());
        if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth)
            RemeasureItems();
        return handled;
    }
    default:
        break;
    }
    return TBvExCustomListBox::HandleMessage(m);
}

void TBvCustomListBox::AddStringMessage(TMessage& m) {
    BV_ASSERT_GUI_THREAD();
    DetachProvider();
    std::string text = TextOfParam(m.LParam);
    int index = ListStrings()->RawAdd(text);
    m.Result = index;
    if (OnAddString)
        OnAddString(this, text);
    if (OnChange)
        OnChange(this);
}

void TBvCustomListBox::InsertStringMessage(TMessage& m) {
    BV_ASSERT_GUI_THREAD();
    DetachProvider();
    int index = static_cast<int>(static_cast<intptr_t>(m.WParam));
    if (index < 0 || index > Count())
        index = Count();
    ListStrings()->RawInsert(index, TextOfParam(m.LParam));
    m.Result = index;
}

void TBvCustomListBox::DeleteStringMessage(TMessage& m) {
    BV_ASSERT_GUI_THREAD();
    DetachProvider();
    int index = static_cast<int>(static_cast<intptr_t>(m.WParam));
    if (index < 0 || index >= Count()) {
        m.Result = LB_ERR;
        return;
    }
    std::string text = (*items_)[index];
    // Told before the item goes, unless it was the widest: then the extent shrinks first.
    const bool widest = !WordWrapActive() && widths_.size() == static_cast<size_t>(Count()) &&
                        widths_[static_cast<size_t>(index)] >= maxItemWidth_;
    if (!widest && OnDeleteString)
        OnDeleteString(this, text);
    ListStrings()->RawDelete(index);
    if (widest && OnDeleteString)
        OnDeleteString(this, text);
    m.Result = Count();
    if (OnChange)
        OnChange(this);
}

void TBvCustomListBox::ResetContentMessage(TMessage& m) {
    BV_ASSERT_GUI_THREAD();
    DetachProvider();
    ListStrings()->RawClear();
    widths_.clear();
    SetHorizontalExtent(0);
    m.Result = 0;
}

void TBvCustomListBox::ScrollMessage(TMessage& m, bool vertical) {
    bool dontScroll = false;
    if (vertical && OnVerticalScroll)
        OnVerticalScroll(this, m, dontScroll);
    else if (!vertical && OnHorizontalScroll)
        OnHorizontalScroll(this, m, dontScroll);
    if (dontScroll)
        return;
    const bool picture = background_->DoDraw();
    if (picture)
        Perform(WM_SETREDRAW, 0, 0);
    TBvExCustomListBox::WndProc(m);
    if (picture) {
        Perform(WM_SETREDRAW, 1, 0);
        InvalidateRect(this, nullptr, true);
    }
    if (vertical)
        return;
    horzScrollOffset_ = 0;
    if (picture && maxItemWidth_ > 0) {
        TScrollInfo info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        if (GetScrollInfo(this, SB_HORZ, &info) && info.nMax > 0)
            horzScrollOffset_ =
                static_cast<int>((static_cast<int64_t>(maxItemWidth_) * info.nPos * 2 + info.nMax) /
                                 (2 * static_cast<int64_t>(info.nMax)));
    }
}

// ---------------------------------------------------------------- drag reorder

TDragImageList* TBvCustomListBox::GetDragImages() {
    return dragImages_ && dragImages_->Count() > 0 ? dragImages_.get() : nullptr;
}

void TBvCustomListBox::DoStartDrag(TDragObject*& dragObject) {
    if (OnStartDrag) {
        TBvExCustomListBox::DoStartDrag(dragObject);
        return;
    }
    InternalStartDrag(dragObject);
}

void TBvCustomListBox::InternalStartDrag(TDragObject*&) {
    dragIndex_ = providerActive_ ? -1 : ItemIndex();
    if (dragIndex_ < 0)
        return;
    if (!dragImages_)
        dragImages_ = std::make_unique<TDragImageList>(this);
    dragImages_->Clear();
    std::string text = (*items_)[dragIndex_];
    measureCanvas_->SetFont(*Font());
    int w = 0, h = 0;
    if (multiLine_) {
        TRect r{0, 0, kUnlimitedWidth, 0};
        measureCanvas_->DrawTextW(text, r, DT_CALCRECT | DT_NOPREFIX | AlignmentFlag(alignment_));
        w = r.Width();
        h = r.Height();
    } else {
        TPoint extent = measureCanvas_->TextExtent(text);
        w = extent.X;
        h = extent.Y;
    }
    w = std::min(w + 15, 2000);
    h = std::max(h, 1);
    TBitmap picture(w, h);
    TCanvas* c = picture.Canvas();
    c->SetFont(*Font());
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, w, h});
    if (multiLine_) {
        TRect r{15, 0, w, h};
        c->DrawTextW(text, r, DT_WORDBREAK | DT_NOPREFIX | AlignmentFlag(alignment_));
    } else {
        c->TextOut(15, 0, text);
    }
    dragImages_->SetSize(w, h);
    dragImages_->AddMasked(&picture, clWhite);
    ControlStyle |= csDisplayDragImage;
}

void TBvCustomListBox::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
    if (OnDragOver) {
        TBvExCustomListBox::DragOver(source, x, y, state, accept);
        return;
    }
    InternalDragOver(source, x, y, state, accept);
}

void TBvCustomListBox::InternalDragOver(TObject* source, int, int y, TDragState, bool& accept) {
    accept = source == this && !providerActive_ && dragIndex_ >= 0;
    if (!accept)
        return;
    int step = y < 5 ? SB_LINEUP : (ClientHeight() - y < 6 ? SB_LINEDOWN : -1);
    if (step < 0)
        return;
    TDragImageList* images = GetDragImages();
    if (images)
        images->HideDragImage();
    Perform(WM_VSCROLL, step, 0);
    Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
    if (images)
        images->ShowDragImage();
}

void TBvCustomListBox::DragDrop(TObject* source, int x, int y) {
    if (OnDragDrop) {
        TBvExCustomListBox::DragDrop(source, x, y);
        return;
    }
    InternalDragDrop(source, x, y);
}

void TBvCustomListBox::InternalDragDrop(TObject* source, int x, int y) {
    if (source != this || providerActive_ || dragIndex_ < 0 || dragIndex_ >= Count())
        return;
    const int from = dragIndex_;
    dragIndex_ = -1;
    int target = ItemAtPos({x, y}, true);
    if (target == from)
        return;
    const int top = TopIndex();
    if (target > from)
        --target;
    MoveLine(from, target);
    SetTopIndex(top);
}

void TBvCustomListBox::MoveLine(int from, int to) {
    std::string text = (*items_)[from];
    TObject* data = items_->GetObject(from);
    items_->Delete(from);
    if (to < 0 || to > Count())
        items_->AddObject(text, data);
    else
        items_->InsertObject(to, text, data);
    SetItemIndex(to < 0 || to > Count() - 1 ? Count() - 1 : to);
}

// ---------------------------------------------------------------- data provider

TIntf<IBvDataItem> TBvCustomListBox::ProviderItem(int index) const {
    if (!providerActive_ || !consumer_ || !consumer_->ViewList() || index < 0 ||
        index >= consumer_->ViewList()->Count())
        return nullptr;
    TBvConsumerScope scope(consumer_);
    return consumer_->ViewList()->Item(index);
}

void TBvCustomListBox::DetachProvider() {
    if (providerActive_ && !syncing_ && consumer_)
        consumer_->SetProvider(nullptr);
}

void TBvCustomListBox::ProviderChanged() {
    if (!consumer_ || IsDestroying())
        return;
    const bool active = consumer_->Provider() != nullptr;
    if (active != providerActive_) {
        syncing_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{syncing_};
        TBvListBoxStrings* lines = ListStrings();
        if (active) {
            saved_.Clear();
            for (int i = 0; i < lines->Count(); ++i)
                saved_.AddObject(lines->Get(i), lines->GetObject(i));
            lines->RawClear();
            styleBeforeProvider_ = style_;
            providerActive_ = true;
            providerTexts_.Clear();
            if (style_ == TListBoxStyle::lbStandard)
                SetStyle(TListBoxStyle::lbOwnerDrawFixed);
        } else {
            providerActive_ = false;
            providerTexts_.Clear();
            lines->RawClear();
            SetStyle(styleBeforeProvider_);
            lines->BeginUpdate();
            for (int i = 0; i < saved_.Count(); ++i) {
                lines->RawAdd(saved_.Get(i));
                lines->PutObject(i, saved_.GetObject(i));
            }
            lines->EndUpdate();
            saved_.Clear();
        }
        if (HandleAllocated())
            RecreateWnd();
    }
    SyncProviderRows();
    if (!providerActive_)
        RemeasureItems();
}

void TBvCustomListBox::SyncProviderRows() {
    if (!providerActive_ || !consumer_ || IsDestroying())
        return;
    syncing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{syncing_};
    // The texts the list messages and the measuring answer from.
    providerTexts_.BeginUpdate();
    providerTexts_.Clear();
    if (TBvDataConsumerViewList* view = consumer_->ViewList()) {
        TBvConsumerScope scope(consumer_);
        for (int i = 0; i < view->Count(); ++i) {
            auto item = view->Item(i);
            providerTexts_.Add(item ? ItemCaptionText(item.Get()) : std::string());
        }
    }
    providerTexts_.EndUpdate();
    // The window keeps one empty line per row; the rows draw themselves.
    TBvListBoxStrings* lines = ListStrings();
    const int n = providerTexts_.Count();
    while (lines->Count() < n)
        lines->RawAdd("");
    while (lines->Count() > n)
        lines->RawDelete(lines->Count() - 1);
    RemeasureAll();
    RemeasureItems();
    Invalidate();
}

void TBvCustomListBox::DrawProviderItem(int index, TRect rect, TOwnerDrawState state) {
    DrawProviderRow(canvas_, consumer_, index, rect, state);
}

bool TBvCustomListBox::ProviderMessage(TMessage& m) {
    switch (m.Msg) {
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
        const std::string text = TextOfParam(m.LParam);
        const int start = static_cast<int>(static_cast<intptr_t>(m.WParam));
        const int found =
            m.Msg == LB_FINDSTRINGEXACT
                ? TBvItemsSearchs::SearchExactString(providerTexts_, text, start, false)
                : TBvItemsSearchs::SearchPrefix(providerTexts_, text, start, false);
        if (m.Msg == LB_SELECTSTRING && found >= 0)
            SetItemIndex(found);
        m.Result = found >= 0 ? found : LB_ERR;
        return true;
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
        const int i = static_cast<int>(static_cast<intptr_t>(m.WParam));
        if (i < 0 || i >= providerTexts_.Count()) {
            m.Result = LB_ERR;
            return true;
        }
        const std::string& text = providerTexts_[i];
        if (m.Msg == LB_GETTEXT && m.LParam)
            std::memcpy(reinterpret_cast<char*>(m.LParam), text.c_str(), text.size() + 1);
        m.Result = static_cast<intptr_t>(text.size());
        return true;
    }
    default:
        return false;
    }
}
