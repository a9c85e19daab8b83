// The list box's rows taken from a data provider: the provider's tree shown as lines,
// kept in step with it.
#include "BvListBoxParts.h"

#include "BvDataRenderers.h"
#include "BvDataViewList.h"
#include "BvItemsSearchs.h"

#include <cstring>

using namespace BvListBoxParts;

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
        TScopeExit done([this] { syncing_ = false; });
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
    TScopeExit done([this] { syncing_ = false; });
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
