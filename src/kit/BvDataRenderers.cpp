#include "BvDataRenderers.h"

#include "BvDataViewList.h"
#include "Graphics.h"

const TClassInfo& TBvCustomDataItemsImages::StaticClassInfo() {
    static const TClassInfo info("TBvCustomDataItemsImages",
                                 &TAggregatedPersistentEx::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

bool TBvCustomDataItemsImages::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItemsImages>(this, iid, obj) ||
           TAggregatedPersistentEx::GetOwnInterface(iid, obj);
}

void TBvCustomDataItemsImages::Store(TCustomImageList*& field, TCustomImageList* value) {
    if (field == value)
        return;
    auto* list = static_cast<TBvBaseDataItems*>(Owner());
    IInterface* source = static_cast<IBvDataItems*>(list);
    list->NotifyChanging(TBvProviderChangeReason::prListChanged, source);
    field = value;
    list->NotifyChanged(TBvProviderChangeReason::prListChanged, source);
}

const TClassInfo& TBvBaseDataItemsRenderer::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataItemsRenderer",
                                 &TAggregatedPersistentEx::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

bool TBvBaseDataItemsRenderer::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItemsRenderer>(this, iid, obj) ||
           TAggregatedPersistentEx::GetOwnInterface(iid, obj);
}

void TBvBaseDataItemsRenderer::DrawAt(TCanvas* canvas, TRect& rect, int index,
                                      TProviderDrawStates state) {
    if (index < 0 || index >= List()->Count())
        throw EBvDataItems(Format("List index out of bounds (%d)", {index}));
    DrawItem(canvas, rect, List()->GetItem(index).Get(), state);
}

TPoint TBvBaseDataItemsRenderer::MeasureAt(TCanvas* canvas, int index) {
    if (index == -1)
        return TypicalItemSize(canvas);
    if (index < 0 || index >= List()->Count())
        throw EBvDataItems(Format("List index out of bounds (%d)", {index}));
    return MeasureItem(canvas, List()->GetItem(index).Get());
}

void TBvBaseDataItemsRenderer::DrawItem(TCanvas* canvas, TRect& rect, IBvDataItem* item,
                                        TProviderDrawStates state) {
    if (auto own = Supports<IBvDataItemRenderer>(item))
        own->Draw(canvas, rect, state);
    else
        PaintItem(canvas, rect, item, state);
}

TPoint TBvBaseDataItemsRenderer::MeasureItem(TCanvas* canvas, IBvDataItem* item) {
    if (auto own = Supports<IBvDataItemRenderer>(item))
        return own->Measure(canvas);
    return SizeItem(canvas, item);
}

const TClassInfo& TBvCustomDataItemsTextRenderer::StaticClassInfo() {
    static const TClassInfo info("TBvCustomDataItemsTextRenderer",
                                 &TBvBaseDataItemsRenderer::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

std::string ItemCaptionText(IBvDataItem* item) {
    if (auto text = Supports<IBvDataItemText>(item))
        return text->Caption();
    return "(item does not support the IBvDataItemText interface)";
}

void TBvCustomDataItemsTextRenderer::PaintItem(TCanvas* canvas, TRect& rect, IBvDataItem* item,
                                               TProviderDrawStates) {
    canvas->TextRect(rect, rect.Left, rect.Top, ItemCaptionText(item));
}

TPoint TBvCustomDataItemsTextRenderer::SizeItem(TCanvas* canvas, IBvDataItem* item) {
    return canvas->TextExtent(ItemCaptionText(item));
}

TPoint TBvCustomDataItemsTextRenderer::TypicalItemSize(TCanvas* canvas) {
    return canvas->TextExtent("WyWyWyWyWyWyWyWyWyWy");
}

void DrawProviderRow(TCanvas* canvas, TBvDataConsumer* consumer, int index, TRect rect,
                     uint16_t ownerDrawState) {
    canvas->FillRect(rect);
    TBvDataConsumerViewList* view = consumer ? consumer->ViewList() : nullptr;
    if (!view)
        return;
    TBvConsumerScope scope(consumer);
    auto item = view->Item(index);
    if (!item)
        return;
    rect.Left += 2 + view->ItemLevel(index) * view->LevelIndent();
    if (auto renderer = FindItemsRenderer(item.Get()))
        renderer->DrawItem(canvas, rect, item.Get(), ToProviderDrawState(ownerDrawState));
    else
        canvas->TextRect(rect, rect.Left, rect.Top, ItemCaptionText(item.Get()));
}
