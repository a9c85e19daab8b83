#include "BvThreadSimpleDialog.h"

namespace {

constexpr int kWidth = 360;
constexpr int kMargin = 12;

} // namespace

TBvThreadSimpleDialogForm::TBvThreadSimpleDialogForm(TComponent* owner,
                                                     TBvThreadSimpleDialog& dialog,
                                                     TBvThread& thread)
    : TForm(owner), dialog_(&dialog), thread_(thread), started_(std::chrono::steady_clock::now()) {
    BorderStyle = TFormBorderStyle::bsDialog;
    SetPosition(TPosition::poScreenCenter);
    info_ = new TLabel(this);
    info_->SetParent(this);
    info_->SetAutoSize(false);
    info_->WordWrap = true;
    time_ = new TLabel(this);
    time_->SetParent(this);
    cancel_ = new TButton(this);
    cancel_->SetParent(this);
    cancel_->Cancel = true;
    cancel_->OnClick = [this](TObject* sender) { CancelClick(sender); };
    timer_ = new TTimer(this);
    timer_->SetInterval(250);
    timer_->SetOnTimer([this](TObject*) { UpdateTime(); });
    // Closing the window by its frame is a request to cancel: the window stays
    // until the workers have ended, so it never hides work still running.
    OnCloseQuery = [this](TObject*, bool& canClose) {
        canClose = finished_;
        if (!finished_ && cancel_->Visible() && cancel_->Enabled())
            CancelClick(cancel_);
    };
    ApplyOptions(dialog.DialogOptions());
}

TBvThreadSimpleDialogForm::~TBvThreadSimpleDialogForm() {
    if (dialog_) {
        if (dialog_->form_ == this)
            dialog_->form_ = nullptr;
        dialog_->ThreadDialogFormRemoved(this);
    }
}

std::string TBvThreadSimpleDialogForm::ElapsedText(std::chrono::seconds elapsed) {
    const long long s = elapsed.count();
    return Format("Elapsed time: %d:%.2d:%.2d", {int(s / 3600), int(s / 60 % 60), int(s % 60)});
}

void TBvThreadSimpleDialogForm::UpdateTime() {
    time_->SetCaption(ElapsedText(std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started_)));
}

void TBvThreadSimpleDialogForm::CancelClick(TObject*) {
    thread_.Terminate();
    cancel_->SetEnabled(false);
}

void TBvThreadSimpleDialogForm::ApplyOptions(const TBvThreadBaseDialogOptions& options) {
    SetCaption(options.Caption());
    info_->SetCaption(options.InfoText());
    info_->SetVisible(!options.InfoText().empty());
    time_->SetVisible(options.ShowElapsedTime());
    cancel_->SetCaption(options.CancelButtonCaption());
    cancel_->SetVisible(options.ShowCancelButton());
    // A worker already asked to stop keeps its button off.
    cancel_->SetEnabled(options.EnableCancelButton() && !thread_.Terminated());
    UpdateTime();
    Arrange();
}

// One column: the info text, the time, the button; the window as high as they need.
void TBvThreadSimpleDialogForm::Arrange() {
    int y = kMargin;
    const int inner = kWidth - 2 * kMargin;
    if (info_->Visible()) {
        TCanvas c;
        c.SetFont(*info_->Font());
        TRect r = Rect(0, 0, inner, 0);
        c.DrawTextW(info_->Caption(), r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        info_->SetBounds(kMargin, y, inner, r.Height() + 2);
        y += info_->Height() + 8;
    }
    if (time_->Visible()) {
        time_->SetBounds(kMargin, y, inner, time_->Height());
        y += time_->Height() + 12;
    }
    if (cancel_->Visible()) {
        cancel_->SetBounds((kWidth - 88) / 2, y, 88, 25);
        y += 25 + kMargin;
    }
    SetClientWidth(kWidth);
    SetClientHeight(std::max(y, 48));
}

void TBvThreadSimpleDialogForm::ShowForm(bool modal) {
    started_ = std::chrono::steady_clock::now();
    UpdateTime();
    if (!modal) {
        Show();
        return;
    }
    ShowModal();
    // A modal window is released only once its loop has returned.
    Release();
}

void TBvThreadSimpleDialogForm::CloseForm() {
    finished_ = true;
    timer_->SetEnabled(false);
    Close();
    if (!Modal())
        Release();
}

TBvThreadSimpleDialog::~TBvThreadSimpleDialog() {
    DetachThreads();
    if (form_) {
        form_->dialog_ = nullptr;
        form_->finished_ = true;
        form_->Close();
        if (!form_->Modal())
            form_->Release();
        form_ = nullptr;
    }
}

std::unique_ptr<TBvThreadBaseDialogOptions> TBvThreadSimpleDialog::CreateDialogOptions() {
    return std::make_unique<TBvThreadBaseDialogOptions>(*this);
}

TBvThreadDialogForm* TBvThreadSimpleDialog::CreateThreadDialogForm(TBvThread& thread) {
    if (!DialogOptions().ShowDialog())
        return nullptr;
    form_ = new TBvThreadSimpleDialogForm(Application, *this, thread);
    SetThreadDialogForm(form_);
    return form_;
}

void TBvThreadSimpleDialog::TransferDialogOptions() {
    if (form_)
        form_->ApplyOptions(DialogOptions());
}
