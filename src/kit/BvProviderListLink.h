// Shows a data consumer's rows in one of the gui layer's stock list or combo boxes: the rows
// of the provider's tree, each drawn by the provider's renderer and indented by its level.
// The kit's own list and combo boxes hold their consumer themselves; this link gives the
// stock controls the same provider mode.
#pragma once

#include "BvDataViewList.h"
#include "StdCtrls.h"

class TBvProviderListLink : public TComponent {
    BV_CLASS_INFO()
public:
    // control is a TCustomListBox or a TCustomComboBox; it owns the link.
    explicit TBvProviderListLink(TWinControl* control);
    ~TBvProviderListLink() override;

    TBvDataConsumer* Consumer() const { return consumer_; }
    IBvDataProvider* Provider() const { return consumer_ ? consumer_->Provider() : nullptr; }
    void SetProvider(IBvDataProvider* provider);
    // The item of a row of the control; null when there is none.
    TIntf<IBvDataItem> ItemAt(int index);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Refill();
    void DrawRow(int index, TRect rect, TOwnerDrawState state);
    void Picked();
    void Unlink();

    TWinControl* control_;
    TCustomListBox* list_;
    TCustomComboBox* combo_;
    TBvDataConsumer* consumer_ = nullptr;
    bool refilling_ = false;
};
