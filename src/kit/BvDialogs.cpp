#include "BvDialogs.h"

const TClassInfo& TBvOpenDialog::StaticClassInfo() {
    static const TClassInfo info("TBvOpenDialog", &TOpenDialog::StaticClassInfo(), {}, "BvDialogs");
    return info;
}
const TClassInfo& TBvSaveDialog::StaticClassInfo() {
    static const TClassInfo info("TBvSaveDialog", &TBvOpenDialog::StaticClassInfo(), {},
                                 "BvDialogs");
    return info;
}

TBvOpenDialog::TBvOpenDialog(TComponent* owner) : TOpenDialog(owner) {}

void TBvOpenDialog::PrepareRequest(TDialogRequest& request) {
    request.UserSize = UseUserSize;
    request.Width = Width;
    request.Height = Height;
    request.AcceptLabel = DefBtnCaption;
    request.FileTypeLabel = FilterLabelCaption;
    request.DetailView = ActiveStyle == TBvOpenDialogAS::asReport;
    request.FocusList = ActiveControl == TBvOpenDialogAC::acListView;
}

bool TBvOpenDialog::Execute() {
    const bool chosen = TOpenDialog::Execute();
    if (!chosen)
        DoError(LastError());
    return chosen;
}

void TBvOpenDialog::DoError(uint32_t errorCode) {
    if (OnError)
        OnError(this, errorCode);
}
