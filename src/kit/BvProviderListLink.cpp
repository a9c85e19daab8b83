#include "BvProviderListLink.h"

#include "BvDataRenderers.h"
#include "Graphics.h"
#include "ScopeExit.h"

const TClassInfo& TBvProviderListLink::StaticClassInfo() {
    static const TClassInfo info("TBvProviderListLink", &TComponent::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvProviderListLink::TBvProviderListLink(TWinControl* control)
    : TComponent(control), control_(control), list_(dynamic_cast<TCustomListBox*>(control)),
      combo_(dynamic_cast<TCustomComboBox*>(control)) {
    if (!list_ && !combo_)
        throw EBvDataProvider("A provider link needs a list box or a combo box");
    FreeNotification(control);
    consumer_ = CreateListConsumer(control);
    consumer_->OnChanged = [this](TBvDataConsumer*, TBvConsumerChangeReason) { Refill(); };
    if (list_) {
        list_->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
        list_->OnDrawItem = [this](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
            DrawRow(index, rect, state);
        };
    } else {
        combo_->SetStyle(TComboBoxStyle::csDropDownList);
        combo_->OnSelect = [this](TObject*) { Picked(); };
    }
}

TBvProviderListLink::~TBvProviderListLink() {
    Destroying();
    Unlink();
}

void TBvProviderListLink::Unlink() {
    // Unlinked before anything else goes, so that no provider notice reaches a control that
    // is half destroyed.
    if (!consumer_)
        return;
    TBvDataConsumer* c = consumer_;
    consumer_ = nullptr;
    c->Destroy();
    if (!control_->IsDestroying()) {
        if (list_)
            list_->OnDrawItem = nullptr;
        else
            combo_->OnSelect = nullptr;
    }
}

void TBvProviderListLink::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    // The control tells its watchers first thing in its destruction.
    if (operation == TOperation::opRemove && component == control_)
        Unlink();
}

void TBvProviderListLink::SetProvider(IBvDataProvider* provider) {
    if (consumer_)
        consumer_->SetProvider(provider);
    Refill();
}

TIntf<IBvDataItem> TBvProviderListLink::ItemAt(int index) {
    if (!consumer_ || !consumer_->ViewList())
        return nullptr;
    TBvConsumerScope scope(consumer_);
    return consumer_->ViewList()->Item(index);
}

void TBvProviderListLink::Refill() {
    if (!consumer_ || refilling_ || control_->IsDestroying())
        return;
    refilling_ = true;
    TScopeExit done([this] { refilling_ = false; });
    TStrings* items = list_ ? list_->Items() : combo_->Items();
    int selected = list_ ? list_->ItemIndex() : combo_->ItemIndex();
    TBvConsumerStrings rows(consumer_);
    TBvDataConsumerViewList* view = consumer_->ViewList();
    items->BeginUpdate();
    items->Clear();
    int n = rows.Count();
    for (int i = 0; i < n; ++i) {
        std::string caption = rows.Get(i);
        // A combo box's list draws its own rows: the level shows as leading blanks.
        if (combo_ && view)
            caption = std::string(static_cast<size_t>(view->ItemLevel(i)) * 3, ' ') + caption;
        items->Add(caption);
    }
    items->EndUpdate();
    if (selected >= 0 && selected < n) {
        if (list_)
            list_->SetItemIndex(selected);
        else
            combo_->SetItemIndex(selected);
    }
}

void TBvProviderListLink::DrawRow(int index, TRect rect, TOwnerDrawState state) {
    TCanvas* canvas = list_->Canvas();
    bool selected = (state & 1) != 0;
    canvas->Brush()->SetColor(selected ? clHighlight : clWindow);
    canvas->Font()->SetColor(selected ? clHighlightText : clWindowText);
    DrawProviderRow(canvas, consumer_, index, rect, state);
}

void TBvProviderListLink::Picked() {
    if (!consumer_ || !consumer_->Provider())
        return;
    auto item = ItemAt(combo_->ItemIndex());
    if (!item)
        return;
    TBvConsumerScope scope(consumer_);
    consumer_->NotifyItemSelected(item.Get());
}
