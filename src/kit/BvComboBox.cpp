#include "BvComboBox.h"

#include "BvDataRenderers.h"
#include "BvDataViewList.h"
#include "BvItemsSearchs.h"
#include "Dispatcher.h"
#include "ScopeExit.h"
#include "StdCtrlsShared.h"
#include "WindowRegistry.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsOwnerDrawStyle(TComboBoxStyle style) {
    return style == TComboBoxStyle::csOwnerDrawFixed ||
           style == TComboBoxStyle::csOwnerDrawVariable;
}

uint16_t HiWord(uint64_t wParam) {
    return static_cast<uint16_t>((wParam >> 16) & 0xFFFF);
}

} // namespace

const TClassInfo& TBvCustomComboBox::StaticClassInfo() {
    static const TClassInfo info("TBvCustomComboBox", &TBvExCustomComboBox::StaticClassInfo(), {},
                                 "BvCombobox");
    return info;
}

const TClassInfo& TBvComboBox::StaticClassInfo() {
    static const TClassInfo info("TBvComboBox", &TBvCustomComboBox::StaticClassInfo(), {},
                                 "BvCombobox");
    return info;
}

TBvCustomComboBox::TBvCustomComboBox(TComponent* owner) : TBvExCustomComboBox(owner) {
    consumer_ = CreateListConsumer(this);
    consumer_->OnChanged = [this](TBvDataConsumer*, TBvConsumerChangeReason reason) {
        if (reason == TBvConsumerChangeReason::crProvider)
            ProviderChanged();
        else
            SyncProviderRows();
    };
    stockItemChange_ = items_->OnItemChange;
    items_->OnItemChange = [this](TStrings&, const TStringsChange& c) { ItemsChanged(c); };
    maxPixel_ = std::make_unique<TBvMaxPixel>(this);
    maxPixel_->OnChanged = [this](TObject*) { ApplyPixelLimit(); };
}

TBvCustomComboBox::~TBvCustomComboBox() {
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
}

// ---------------------------------------------------------------- read-only mode

void TBvCustomComboBox::SetReadOnly(bool value) {
    if (value == readOnly_)
        return;
    readOnly_ = value;
    Perform(EM_SETREADONLY, value ? 1 : 0, 0);
}

// A key message swallowed here never reaches the Qt box: the input layer keeps a key from the
// widget when its message answers non-zero, so the swallowed keys answer 1.
bool TBvCustomComboBox::ReadOnlySwallows(TMessage& m) {
    if (!readOnly_ || IsDesigning())
        return false;
    const auto key = static_cast<uint16_t>(m.WParam);
    switch (m.Msg) {
    case CN_KEYDOWN:
        if (key != VK_F4)
            return false;
        m.Result = 1;
        return true;
    case CN_SYSKEYDOWN:
    case WM_SYSKEYDOWN:
        if (key != VK_UP && key != VK_DOWN)
            return false;
        m.Result = 1;
        return true;
    case WM_KEYDOWN:
        switch (key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_F4:
        // A closed list moves its selection with these as well.
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            m.Result = 1;
            return true;
        default:
            return false;
        }
    case WM_CHAR:
        m.Result = 1;
        return true;
    case WM_COMMAND:
        if (HiWord(m.WParam) != 1)
            return false;
        m.Result = 0;
        return true;
    case WM_LBUTTONDOWN:
        if (CanFocus())
            SetFocus();
        return true;
    case WM_LBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

void TBvCustomComboBox::WndProc(TMessage& m) {
    if (ReadOnlySwallows(m))
        return;
    TBvExCustomComboBox::WndProc(m);
}

// ---------------------------------------------------------------- placeholder

bool TBvCustomComboBox::HasEditPart() const {
    return Style() == TComboBoxStyle::csDropDown || Style() == TComboBoxStyle::csSimple;
}

void TBvCustomComboBox::SetItemIndex(int index) {
    Perform(CB_SETCURSEL, static_cast<uintptr_t>(static_cast<intptr_t>(index)), 0);
}

void TBvCustomComboBox::SetEmptyValue(const std::string& value) {
    if (value == emptyValue_)
        return;
    // The old placeholder goes before the new one can show.
    if (isEmptyValue_)
        HideEmptyValue();
    emptyValue_ = value;
    if (Focused())
        HideEmptyValue();
    else
        ShowEmptyValue();
}

void TBvCustomComboBox::SetEmptyFontColor(TColor value) {
    if (value == emptyFontColor_)
        return;
    emptyFontColor_ = value;
    if (isEmptyValue_ && !IsDesigning())
        Font()->SetColor(value);
}

void TBvCustomComboBox::ShowEmptyValue() {
    if (emptyValue_.empty() || isEmptyValue_ || !TBvExCustomComboBox::GetText().empty())
        return;
    TBvExCustomComboBox::SetText(emptyValue_);
    isEmptyValue_ = true;
    if (!IsDesigning()) {
        oldFontColor_ = Font()->Color();
        Font()->SetColor(emptyFontColor_);
    }
}

void TBvCustomComboBox::HideEmptyValue() {
    if (emptyValue_.empty() || !isEmptyValue_)
        return;
    isEmptyValue_ = false;
    TBvExCustomComboBox::SetText("");
    if (!IsDesigning())
        Font()->SetColor(oldFontColor_);
}

std::string TBvCustomComboBox::GetText() const {
    if (isEmptyValue_)
        return {};
    // A list of provider rows holds empty lines; its text is the chosen row's.
    if (providerActive_ && !HasEditPart())
        return ItemIndex() >= 0 ? GetItemText(ItemIndex()) : std::string();
    return TBvExCustomComboBox::GetText();
}

void TBvCustomComboBox::SetText(const std::string& text) {
    if (isEmptyValue_) {
        // An empty text keeps the placeholder; any other ends it and gives the font its own
        // colour back.
        if (text.empty())
            return;
        isEmptyValue_ = false;
        if (!IsDesigning())
            Font()->SetColor(oldFontColor_);
    }
    TBvExCustomComboBox::SetText(text);
    ApplyPixelLimit();
}

void TBvCustomComboBox::DoEnter() {
    TBvExCustomComboBox::DoEnter();
    HideEmptyValue();
}

void TBvCustomComboBox::DoExit() {
    TBvExCustomComboBox::DoExit();
    ShowEmptyValue();
}

// ---------------------------------------------------------------- pixel limit

void TBvCustomComboBox::ApplyPixelLimit() {
    // The placeholder is no typed text; a drop-down list has no typing at all.
    if (limiting_ || isEmptyValue_ || !HasEditPart() || maxPixel_->Length() == 0)
        return;
    const std::string text = TBvExCustomComboBox::GetText();
    std::string cut = text;
    maxPixel_->Test(cut, Font());
    if (cut == text)
        return;
    limiting_ = true;
    TScopeExit done([this] { limiting_ = false; });
    TBvExCustomComboBox::SetText(cut);
}

void TBvCustomComboBox::Change() {
    // Typed text, a pasted text and a chosen item are all held to the limit before anyone
    // hears of the change.
    ApplyPixelLimit();
    TBvExCustomComboBox::Change();
}

// ---------------------------------------------------------------- measuring and drawing

void TBvCustomComboBox::SetMeasureStyle(TBvComboBoxMeasureStyle value) {
    if (value == measureStyle_)
        return;
    measureStyle_ = value;
    RecreateWnd();
}

int TBvCustomComboBox::HeightOfItem(int index) const {
    if (index < 0)
        return editHeight_ >= 0 ? editHeight_ : ItemHeight();
    if (!isFixedHeight_ && index < static_cast<int>(heights_.size()) &&
        heights_[static_cast<size_t>(index)] >= 0)
        return heights_[static_cast<size_t>(index)];
    return ItemHeight();
}

void TBvCustomComboBox::SetHeightOfItem(int index, int height) {
    if (height <= 0)
        return;
    if (index < 0) {
        editHeight_ = height;
        return;
    }
    if (isFixedHeight_) {
        SetItemHeight(height);
        return;
    }
    if (index >= items_->Count())
        return;
    heights_.resize(static_cast<size_t>(items_->Count()), -1);
    int& h = heights_[static_cast<size_t>(index)];
    if (h == height)
        return;
    h = height;
    // A height learnt while the list paints is laid out once the paint is over, all the
    // heights learnt until then in one go.
    if (relayoutQueued_)
        return;
    relayoutQueued_ = true;
    Queue([this] {
        if (!IsControlAlive(this))
            return;
        relayoutQueued_ = false;
        RelayoutList();
    });
}

void TBvCustomComboBox::DoMeasureItem(int index, int& height) {
    if (OnMeasureItem && IsOwnerDrawStyle(Style())) {
        OnMeasureItem(this, index, height);
        return;
    }
    if (!providerActive_ || !consumer_)
        return;
    TBvDataConsumerViewList* view = consumer_->ViewList();
    if (!view)
        return;
    TCanvas canvas;
    canvas.SetFont(*Font());
    TBvConsumerScope scope(consumer_);
    auto measureItem = [&](const TIntf<IBvDataItem>& item) {
        if (!item)
            return 0;
        if (auto renderer = FindItemsRenderer(item.Get()))
            return renderer->MeasureItem(&canvas, item.Get()).Y;
        return canvas.TextHeight(ItemCaptionText(item.Get()));
    };
    int measured = 0;
    // The edit part, or a box without a window, is as high as the highest row.
    if (index < 0 || !Combo()) {
        for (const TIntf<IBvDataItem>& item : ProviderRowItems())
            measured = std::max(measured, measureItem(item));
    } else {
        measured = measureItem(view->Item(index));
    }
    height = std::max(height, measured);
}

void TBvCustomComboBox::MeasureItem(int index, int& height) {
    height = HeightOfItem(index);
    if (!IsLoading() && measureStyle_ == TBvComboBoxMeasureStyle::cmsStandard && !providerActive_)
        DoMeasureItem(index, height);
}

void TBvCustomComboBox::MeasureAllItems() {
    const int last = isFixedHeight_ ? -1 : GetItemCount() - 1;
    for (int i = -1; i <= last; ++i) {
        int height = ItemHeight();
        DoMeasureItem(i, height);
        Perform(CB_SETITEMHEIGHT, static_cast<uintptr_t>(static_cast<intptr_t>(i)), height);
        // A fixed-height list of provider rows is as high as its highest row.
        if (i < 0 && isFixedHeight_ && providerActive_ && height > ItemHeight())
            SetItemHeight(height);
    }
}

void TBvCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (IsDestroying() || !Canvas())
        return;
    const bool edit = (state & ODS_COMBOBOXEDIT) != 0;
    if (measureStyle_ == TBvComboBoxMeasureStyle::cmsBeforeDraw && !isFixedHeight_) {
        const int which = edit ? -1 : index;
        int height = ItemHeight();
        DoMeasureItem(which, height);
        SetHeightOfItem(which, height);
    }
    if (OnDrawItem && IsOwnerDrawStyle(Style())) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    if (!Enabled())
        state |= ODS_GRAYED | ODS_DISABLED;
    if (providerActive_ && consumer_ && consumer_->ViewList() && index >= 0) {
        DrawProviderItem(index, rect, state);
        return;
    }
    TCanvas* c = Canvas();
    c->FillRect(rect);
    if (index >= 0 && index < GetItemCount())
        c->TextOut(rect.Left + 2, rect.Top, GetItemText(index));
}

void TBvCustomComboBox::DrawProviderItem(int index, TRect rect, TOwnerDrawState state) {
    TCanvas* c = Canvas();
    const bool selected = (state & ODS_SELECTED) != 0;
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->Font()->SetColor(selected ? clHighlightText : Font()->Color());
    DrawProviderRow(c, consumer_, index, rect, state);
}

// ---------------------------------------------------------------- window

void TBvCustomComboBox::CreateParams(TCreateParams& params) {
    TBvExCustomComboBox::CreateParams(params);
    if (providerActive_) {
        params.Style &= ~(CBS_HASSTRINGS | CBS_SORT);
        if (!(params.Style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)))
            params.Style |= CBS_OWNERDRAWFIXED;
    }
    isFixedHeight_ = (params.Style & CBS_OWNERDRAWVARIABLE) == 0;
}

void TBvCustomComboBox::CreateWnd() {
    TBvExCustomComboBox::CreateWnd();
    Perform(EM_SETREADONLY, readOnly_ ? 1 : 0, 0);
    if (Focused())
        HideEmptyValue();
    else
        ShowEmptyValue();
    SyncProviderRows();
    Perform(WM_INITDIALOG, 0, 0);
}

void TBvCustomComboBox::Loaded() {
    TBvExCustomComboBox::Loaded();
    RecreateWnd();
}

bool TBvCustomComboBox::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_INITDIALOG: {
        const bool variable = !isFixedHeight_;
        if (measureStyle_ == TBvComboBoxMeasureStyle::cmsAfterCreate ||
            (providerActive_ &&
             !(measureStyle_ == TBvComboBoxMeasureStyle::cmsBeforeDraw && variable)))
            MeasureAllItems();
        return true;
    }
    case CB_SETITEMHEIGHT:
        SetHeightOfItem(static_cast<int>(static_cast<intptr_t>(m.WParam)),
                        static_cast<int>(m.LParam));
        m.Result = 0;
        return true;
    case CB_GETITEMHEIGHT:
        m.Result = HeightOfItem(static_cast<int>(static_cast<intptr_t>(m.WParam)));
        return true;
    case CB_SETCURSEL: {
        const int index = static_cast<int>(static_cast<intptr_t>(m.WParam));
        // A chosen item is a text of its own: the placeholder makes way for it.
        if (index >= 0 && index < items_->Count() && isEmptyValue_) {
            isEmptyValue_ = false;
            if (!IsDesigning())
                Font()->SetColor(oldFontColor_);
        }
        return TBvExCustomComboBox::HandleMessage(m);
    }
    case CN_COMMAND:
        if (HiWord(m.WParam) == CBN_SELCHANGE) {
            SelectedByUser();
            return true;
        }
        return TBvExCustomComboBox::HandleMessage(m);
    default:
        break;
    }
    if (providerActive_) {
        switch (m.Msg) {
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
        case CB_SELECTSTRING: {
            const char* text = reinterpret_cast<const char*>(m.LParam);
            const int found =
                SearchProvider(text ? text : "", static_cast<int>(static_cast<intptr_t>(m.WParam)),
                               m.Msg == CB_FINDSTRINGEXACT);
            if (m.Msg == CB_SELECTSTRING && found >= 0)
                SetItemIndex(found);
            m.Result = found >= 0 ? found : CB_ERR;
            return true;
        }
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN: {
            const int i = static_cast<int>(static_cast<intptr_t>(m.WParam));
            if (i < 0 || i >= GetItemCount()) {
                m.Result = CB_ERR;
                return true;
            }
            const std::string text = GetItemText(i);
            if (m.Msg == CB_GETLBTEXT && m.LParam)
                std::memcpy(reinterpret_cast<char*>(m.LParam), text.c_str(), text.size() + 1);
            m.Result = static_cast<intptr_t>(text.size());
            return true;
        }
        default:
            break;
        }
    }
    return TBvExCustomComboBox::HandleMessage(m);
}

// ---------------------------------------------------------------- items and provider mode

int TBvCustomComboBox::GetItemCount() const {
    if (providerActive_ && consumer_)
        return TBvConsumerStrings(consumer_).Count();
    return items_->Count();
}

std::string TBvCustomComboBox::GetItemText(int index) const {
    if (providerActive_ && consumer_) {
        TBvDataConsumerViewList* view = consumer_->ViewList();
        if (!view || index < 0 || index >= view->Count())
            return {};
        TBvConsumerScope scope(consumer_);
        auto item = view->Item(index);
        return item ? ItemCaptionText(item.Get()) : std::string();
    }
    return index >= 0 && index < items_->Count() ? items_->Get(index) : std::string();
}

std::vector<TIntf<IBvDataItem>> TBvCustomComboBox::ProviderRowItems() const {
    std::vector<TIntf<IBvDataItem>> out;
    TBvDataConsumerViewList* view = consumer_ ? consumer_->ViewList() : nullptr;
    if (!providerActive_ || !view)
        return out;
    TBvConsumerScope scope(consumer_);
    // The view list finds a row's item where it last saw it, so reading every row costs
    // the rows, not rows times the list.
    out.reserve(static_cast<size_t>(view->Count()));
    for (int r = 0; r < view->Count(); ++r)
        out.push_back(view->Item(r));
    return out;
}

int TBvCustomComboBox::SearchProvider(const std::string& text, int start, bool exact) {
    TStringList texts;
    for (const TIntf<IBvDataItem>& item : ProviderRowItems())
        texts.Add(item ? ItemCaptionText(item.Get()) : std::string());
    return exact ? TBvItemsSearchs::SearchExactString(texts, text, start, false)
                 : TBvItemsSearchs::SearchPrefix(texts, text, start, false);
}

void TBvCustomComboBox::ItemsChanged(const TStringsChange& change) {
    if (stockItemChange_)
        stockItemChange_(*items_, change);
    FollowItemChange(heights_, change, items_->Count(), -1);
    if (!providerActive_ || syncing_ || !consumer_)
        return;
    // The program changed the items itself: the provider lets go, the box's own strings come
    // back, and the change is made on them.
    std::string text;
    if (change.Index >= 0 && change.Index < items_->Count())
        text = items_->Get(change.Index);
    consumer_->SetProvider(nullptr);
    const int n = items_->Count();
    switch (change.Kind) {
    case TStringsChangeKind::Inserted:
        items_->Insert(std::clamp(change.Index, 0, n), text);
        break;
    case TStringsChangeKind::Replaced:
        if (change.Index >= 0 && change.Index < n)
            items_->Put(change.Index, text);
        break;
    case TStringsChangeKind::Reset:
        items_->Clear();
        break;
    default:
        // Deleting, exchanging or moving a provider's row means nothing for the box's own
        // strings; they stay as they were.
        break;
    }
}

void TBvCustomComboBox::ProviderChanged() {
    if (!consumer_ || IsDestroying())
        return;
    const bool active = consumer_->Provider() != nullptr;
    if (active != providerActive_) {
        syncing_ = true;
        TScopeExit done([this] { syncing_ = false; });
        if (active) {
            saved_.Clear();
            for (int i = 0; i < items_->Count(); ++i)
                saved_.AddObject(items_->Get(i), items_->GetObject(i));
            items_->Clear();
            providerActive_ = true;
        } else {
            providerActive_ = false;
            items_->BeginUpdate();
            items_->Clear();
            for (int i = 0; i < saved_.Count(); ++i)
                items_->AddObject(saved_.Get(i), saved_.GetObject(i));
            items_->EndUpdate();
            saved_.Clear();
        }
        heights_.clear();
        RecreateWnd();
    }
    SyncProviderRows();
}

void TBvCustomComboBox::SyncProviderRows() {
    if (!providerActive_ || !consumer_ || IsDestroying())
        return;
    const int n = TBvConsumerStrings(consumer_).Count();
    syncing_ = true;
    TScopeExit done([this] { syncing_ = false; });
    // The window keeps one empty line per row; the rows draw themselves.
    while (items_->Count() < n)
        items_->Add("");
    while (items_->Count() > n)
        items_->Delete(items_->Count() - 1);
    Invalidate();
}

void TBvCustomComboBox::SelectedByUser() {
    const int index = ItemIndex();
    if (providerActive_) {
        const std::string text = GetItemText(index);
        if (HasEditPart())
            TBvExCustomComboBox::SetText(text);
    }
    // Either handler may free the box (the main window rebuilds a panel on a choice):
    // nothing of it is touched after that.
    Change();
    if (!IsControlAlive(this))
        return;
    Select();
    if (!IsControlAlive(this))
        return;
    if (!providerActive_ || !consumer_ || !consumer_->ViewList() || index < 0)
        return;
    TBvConsumerScope scope(consumer_);
    if (auto item = consumer_->ViewList()->Item(index))
        consumer_->NotifyItemSelected(item.Get());
}
