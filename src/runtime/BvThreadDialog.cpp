#include "BvThreadDialog.h"

#include "BvThread.h"
#include "Dispatcher.h"

#include <algorithm>

void TBvThreadBaseDialogOptions::Changed() {
    owner_.TransferDialogOptions();
}

void TBvThreadBaseDialogOptions::SetEnableCancelButton(bool value) {
    enableCancelButton_ = value;
    Changed();
}

void TBvThreadBaseDialogOptions::SetShowCancelButton(bool value) {
    showCancelButton_ = value;
    Changed();
}

void TBvThreadBaseDialogOptions::SetShowElapsedTime(bool value) {
    showElapsedTime_ = value;
    Changed();
}

void TBvThreadBaseDialogOptions::SetInfoText(const std::string& value) {
    infoText_ = value;
    Changed();
}

void TBvThreadBaseDialogOptions::SetCaption(const std::string& value) {
    caption_ = value;
    Changed();
}

void TBvThreadBaseDialogOptions::SetCancelButtonCaption(const std::string& value) {
    cancelButtonCaption_ = value;
    Changed();
}

TBvCustomThreadDialog::~TBvCustomThreadDialog() {
    DetachThreads();
}

void TBvCustomThreadDialog::DetachThreads() {
    destroying_ = true;
    const auto threads = threads_;
    for (TBvThread* thread : threads)
        thread->SetThreadDialog(nullptr);
}

TBvThreadBaseDialogOptions& TBvCustomThreadDialog::DialogOptions() {
    if (!options_)
        options_ = CreateDialogOptions();
    return *options_;
}

void TBvCustomThreadDialog::CloseThreadForm() {
    if (destroying_ || !form_)
        return;
    TBvThreadDialogForm* form = form_;
    form_ = nullptr;
    form->CloseForm();
    ProcessMessages();
}

void TBvCustomThreadDialog::ThreadDialogFormRemoved(TBvThreadDialogForm* form) {
    if (form_ == form)
        form_ = nullptr;
    for (TBvThread* thread : threads_)
        if (thread->dialogForm_ == form)
            thread->dialogForm_ = nullptr;
}
