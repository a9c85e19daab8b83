#include "BvListBox.h"
#include "BvListBoxParts.h"

#include "BvDataRenderers.h"
#include "BvDataViewList.h"
#include "BvItemsSearchs.h"
#include "Dispatcher.h"
#include "ScopeExit.h"
#include "WinApi.h"

#include <algorithm>
#include <cstring>

using namespace BvListBoxParts;

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
    if (maxWidth > 0) {
        // A line that plainly fits the width stays one line: its size is known without laying
        // it out, which a long wrapped list would otherwise do for every line. The margin
        // covers the engine's rounding; a line near the edge is laid out.
        constexpr int FitMargin = 2;
        const TLineWidths widths(*measureCanvas_);
        const int quick = widths.QuickWidth(text);
        if (!text.empty() && quick >= 0 && quick + FitMargin <= r.Width()) {
            TBvTextSize size;
            size.cx = r.Right + 4;
            size.cy = std::max(std::min(widths.LineHeight(), kMaxItemHeight), ItemHeight());
            return size;
        }
    }
    // Without a limit nothing wraps, and the rectangle then takes the text's own width.
    const uint32_t wrap = maxWidth > 0 ? DT_WORDBREAK : 0;
    measureCanvas_->DrawTextW(text, r,
                              DT_CALCRECT | wrap | DT_NOPREFIX | AlignmentFlag(alignment_));
    TBvTextSize size;
    size.cx = r.Right + 4;
    size.cy = std::max(std::min(r.Bottom, kMaxItemHeight), ItemHeight());
    return size;
}

int TBvCustomListBox::MeasureWidth(const std::string& text) {
    measureCanvas_->SetFont(*Font());
    return measureCanvas_->LineWidth(text) + 4;
}

int TBvCustomListBox::MeasureWidths(const std::vector<std::string>& lines) {
    measureCanvas_->SetFont(*Font());
    const TLineWidths width(*measureCanvas_);
    widths_.resize(lines.size());
    int widest = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        widths_[i] = width(lines[i]) + 4;
        widest = std::max(widest, widths_[i]);
    }
    return widest;
}

void TBvCustomListBox::RemeasureItems() {
    if (IsVirtual()) {
        // The lines are not at hand: each is measured again when next in sight, and a
        // virtual box keeps no horizontal extent.
        widths_.clear();
        RemeasureAll();
        return;
    }
    const bool wrap = WordWrapActive();
    const int limit = wrap ? ClientWidth() : 0;
    const TStrings& lines = ItemsList();
    const int n = lines.Count();
    int widest = 0;
    if (!wrap)
        widths_.assign(static_cast<size_t>(n), 0);
    else
        widths_.clear();
    const bool heights = multiLine_ && style_ == TListBoxStyle::lbOwnerDrawVariable;
    if (!wrap && !heights) {
        // Only the widths count here: the quick measure, as a long list takes it.
        SetHorizontalExtent(MeasureWidths(lines.Items()));
        return;
    }
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
        int w = MeasureWidth(lines[change.Index]);
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
        int w = MeasureWidth(lines[change.Index]);
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

int TBvCustomListBox::LineCount() const {
    return IsVirtual() ? Count() : ItemsList().Count();
}

std::string TBvCustomListBox::LineText(int index) {
    const TStrings& lines = ItemsList();
    std::string text = IsVirtual()                           ? ItemText(index)
                       : index >= 0 && index < lines.Count() ? lines[index]
                                                             : std::string();
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
        // The owner-drawn style comes first: the new scroll bars make the window again,
        // and a window made while the style is still standard cannot keep MultiLine.
        UpdateStyle();
        // Wrapped lines need no sideways scrolling.
        if (scrollBars_ == TScrollStyle::ssBoth)
            SetScrollBars(TScrollStyle::ssVertical);
        else if (scrollBars_ == TScrollStyle::ssHorizontal)
            SetScrollBars(TScrollStyle::ssNone);
        maxItemWidth_ = 0;
        Perform(LB_SETHORIZONTALEXTENT, 0, 0);
        widths_.clear();
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
    InvertSelected();
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
    TScopeExit done([this] { bulk_ = false; });
    ListStrings()->RawDeleteMany(ascending);
    if (bulk_)
        SetHorizontalExtent(widest);
    if (OnChange)
        OnChange(this);
}

void TBvCustomListBox::SetLines(std::vector<std::string> lines) {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_)
        return;
    if (sorted_) {
        // A sorted box places each line as it comes.
        items_->BeginUpdate();
        TScopeExit done([this] { items_->EndUpdate(); });
        items_->Clear();
        for (std::string& line : lines)
            items_->Add(std::move(line));
        return;
    }
    DetachProvider();
    const bool keepWidths = !WordWrapActive();
    int widest = 0;
    if (keepWidths)
        widest = MeasureWidths(lines);
    else
        widths_.clear();
    bulk_ = true;
    TScopeExit done([this] { bulk_ = false; });
    if (OnAddString)
        for (const std::string& line : lines)
            OnAddString(this, line);
    ListStrings()->RawAssign(std::move(lines));
    if (keepWidths)
        SetHorizontalExtent(widest);
    if (OnChange)
        OnChange(this);
}

void TBvCustomListBox::MoveSelectedUp() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_)
        return;
    if (multiSelect_) {
        std::vector<int> selected = SelectedIndexes();
        if (Count() == 0 || selected.empty() || selected.front() == 0)
            return;
        const int current = ItemIndex();
        items_->BeginUpdate();
        // Each selected item changes place with the one above it, and the selection goes
        // with them in one step.
        for (int& i : selected) {
            items_->Exchange(i, i - 1);
            --i;
        }
        SetSelection(selected, current);
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
        std::vector<int> selected = SelectedIndexes();
        if (Count() == 0 || selected.empty() || selected.back() == Count() - 1)
            return;
        const int current = ItemIndex();
        items_->BeginUpdate();
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            items_->Exchange(*it, *it + 1);
            ++*it;
        }
        SetSelection(selected, current);
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
    case WM_LBUTTONDBLCLK:
        // A press that is to begin the drag reorder first makes its item the current one, as
        // a list box's own click would; a quick second press may begin it too.
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
        TScopeExit reset([&c = canvas_] { c = nullptr; });
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
