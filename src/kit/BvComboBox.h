// The kit's combo box: the stock combo box through the message layer, with a read-only
// mode, a greyed placeholder shown while the box is empty and not focused, a limit on the
// pixel width of the typed text, a choice of when owner-drawn items are measured, and an
// optional data provider that supplies the items.
#pragma once

#include "BvDataProvider.h"
#include "BvExStdCtrls.h"
#include "BvMaxPixel.h"

#include <memory>
#include <string>
#include <vector>

class TBvDataConsumerViewList;

enum class TBvComboBoxMeasureStyle { cmsStandard, cmsAfterCreate, cmsBeforeDraw };

class TBvCustomComboBox : public TBvExCustomComboBox {
    BV_CLASS_INFO()
public:
    explicit TBvCustomComboBox(TComponent* owner);
    ~TBvCustomComboBox() override;

    // The user can change neither the selection nor the text: keys, clicks and the wheel
    // only focus the box.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // Shown greyed while the text is empty and the box is not focused.
    const std::string& EmptyValue() const { return emptyValue_; }
    void SetEmptyValue(const std::string& value);
    TColor EmptyFontColor() const { return emptyFontColor_; }
    void SetEmptyFontColor(TColor value);
    bool IsEmptyValue() const { return isEmptyValue_; }
    // The typed text's width limit; Length 0 is no limit.
    TBvMaxPixel* MaxPixel() const { return maxPixel_.get(); }
    TBvComboBoxMeasureStyle MeasureStyle() const { return measureStyle_; }
    void SetMeasureStyle(TBvComboBoxMeasureStyle value);
    // The data consumer; a provider is linked through it.
    TBvDataConsumer* Provider() const { return consumer_; }
    bool ProviderActive() const { return providerActive_; }

    // Empty while the placeholder shows.
    std::string GetText() const override;
    // A non-empty text ends the placeholder and gives the font its colour back; every text
    // is held to the pixel limit.
    void SetText(const std::string& text) override;

    // Chooses an item; a chosen item ends the placeholder.
    void SetItemIndex(int index);
    // The box has an edit part the user types in.
    bool HasEditPart() const;

    // The provider's item count while one is linked, else the items'.
    int GetItemCount() const;
    // The text of item index: the provider's while one is linked, else the item's, whole.
    virtual std::string GetItemText(int index) const;
    // The strings the box keeps aside while a provider supplies the items.
    const TStringList& SavedItems() const { return saved_; }
    // Measures the edit part (index -1) and every item (only the edit part with fixed heights).
    void MeasureAllItems();
    // The height the box holds for an item; the item height where none was set.
    int HeightOfItem(int index) const;

protected:
    void WndProc(TMessage& message) override;
    bool HandleMessage(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Loaded() override;
    void DoEnter() override;
    void DoExit() override;
    void Change() override;
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    void MeasureItem(int index, int& height) override;

    virtual void HideEmptyValue();
    virtual void ShowEmptyValue();
    virtual void DoMeasureItem(int index, int& height);

    // Whether the window has variable item heights.
    bool IsFixedHeight() const { return isFixedHeight_; }

private:
    bool ReadOnlySwallows(TMessage& m);
    void ApplyPixelLimit();
    void ProviderChanged();
    void SyncProviderRows();
    void ItemsChanged(const TStringsChange& change);
    void SelectedByUser();
    int SearchProvider(const std::string& text, int start, bool exact);
    // The item of every provider row, in row order.
    std::vector<TIntf<IBvDataItem>> ProviderRowItems() const;
    void DrawProviderItem(int index, TRect rect, TOwnerDrawState state);
    void SetHeightOfItem(int index, int height);

    bool readOnly_ = false;
    std::string emptyValue_;
    TColor emptyFontColor_ = clGrayText;
    bool isEmptyValue_ = false;
    TColor oldFontColor_ = clWindowText;
    std::unique_ptr<TBvMaxPixel> maxPixel_;
    bool limiting_ = false;
    TBvComboBoxMeasureStyle measureStyle_ = TBvComboBoxMeasureStyle::cmsStandard;
    bool isFixedHeight_ = true;
    // Heights set item by item (CB_SETITEMHEIGHT); -1 where none was.
    std::vector<int> heights_;
    int editHeight_ = -1;
    bool relayoutQueued_ = false;

    TBvDataConsumer* consumer_ = nullptr;
    bool providerActive_ = false;
    bool syncing_ = false;
    TStringList saved_;
    std::function<void(TStrings&, const TStringsChange&)> stockItemChange_;
};

class TBvComboBox : public TBvCustomComboBox {
    BV_CLASS_INFO()
public:
    using TBvCustomComboBox::TBvCustomComboBox;
};
