// The extensions an item list offers for its looks: three image lists, and renderers that draw
// and measure its items on a canvas.
#pragma once

#include "BvDataItems.h"

class TBvCustomDataItemsImages : public TAggregatedPersistentEx, public IBvDataItemsImages {
    BV_CLASS_INFO()
public:
    explicit TBvCustomDataItemsImages(TBvBaseDataItems* list) : TAggregatedPersistentEx(list) {}
    TCustomImageList* DisabledImages() override { return disabled_; }
    void SetDisabledImages(TCustomImageList* value) override { Store(disabled_, value); }
    TCustomImageList* HotImages() override { return hot_; }
    void SetHotImages(TCustomImageList* value) override { Store(hot_, value); }
    TCustomImageList* Images() override { return images_; }
    void SetImages(TCustomImageList* value) override { Store(images_, value); }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    void Store(TCustomImageList*& field, TCustomImageList* value);
    TCustomImageList* disabled_ = nullptr;
    TCustomImageList* hot_ = nullptr;
    TCustomImageList* images_ = nullptr;
};

class TBvBaseDataItemsRenderer : public TAggregatedPersistentEx, public IBvDataItemsRenderer {
    BV_CLASS_INFO()
public:
    explicit TBvBaseDataItemsRenderer(TBvBaseDataItems* list) : TAggregatedPersistentEx(list) {}
    TBvBaseDataItems* List() const { return static_cast<TBvBaseDataItems*>(Owner()); }
    // Raise EBvDataItems "List index out of bounds (%d)" for an index outside the list;
    // MeasureAt(-1) answers the typical size.
    void DrawAt(TCanvas* canvas, TRect& rect, int index, TProviderDrawStates state) override;
    TPoint MeasureAt(TCanvas* canvas, int index) override;
    // An item that renders itself does so; the others go to PaintItem and SizeItem.
    void DrawItem(TCanvas* canvas, TRect& rect, IBvDataItem* item,
                  TProviderDrawStates state) override;
    TPoint MeasureItem(TCanvas* canvas, IBvDataItem* item) override;
    TPoint TypicalItemSize(TCanvas*) override { return {}; }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
    virtual void PaintItem(TCanvas*, TRect&, IBvDataItem*, TProviderDrawStates) {}
    virtual TPoint SizeItem(TCanvas*, IBvDataItem*) { return {}; }
};

// Draws each item's caption at the rectangle's top left.
class TBvCustomDataItemsTextRenderer : public TBvBaseDataItemsRenderer {
    BV_CLASS_INFO()
public:
    using TBvBaseDataItemsRenderer::TBvBaseDataItemsRenderer;
    TPoint TypicalItemSize(TCanvas* canvas) override;

protected:
    void PaintItem(TCanvas* canvas, TRect& rect, IBvDataItem* item,
                   TProviderDrawStates state) override;
    TPoint SizeItem(TCanvas* canvas, IBvDataItem* item) override;
};

// The caption a text renderer shows for an item.
std::string ItemCaptionText(IBvDataItem* item);

class TBvDataConsumer;

// Draws row `index` of a consumer's view list into `rect`, indented by its level, through the
// item's renderer or as its caption. The canvas's brush and font are the caller's: it fills
// the row first. Nothing is drawn past the fill when the consumer has no such row.
void DrawProviderRow(TCanvas* canvas, TBvDataConsumer* consumer, int index, TRect rect,
                     uint16_t ownerDrawState);
