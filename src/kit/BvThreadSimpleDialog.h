// The thread dialog as a window: the info text, the time elapsed since the
// workers started and a Cancel button that asks them to terminate. Modal by
// default, so that the user waits for the work while the window shows it.
#pragma once

#include "BvThread.h"
#include "BvThreadDialog.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

#include <chrono>

class TBvThreadSimpleDialog;

class TBvThreadSimpleDialogForm : public TForm, public TBvThreadDialogForm {
public:
    TBvThreadSimpleDialogForm(TComponent* owner, TBvThreadSimpleDialog& dialog, TBvThread& thread);
    ~TBvThreadSimpleDialogForm() override;

    void ShowForm(bool modal) override;
    void CloseForm() override;
    // Shows the dialog's options: texts, the Cancel button, the elapsed time.
    void ApplyOptions(const TBvThreadBaseDialogOptions& options);

    TLabel* InfoLabel() const { return info_; }
    TLabel* TimeLabel() const { return time_; }
    TButton* CancelButton() const { return cancel_; }
    // "Elapsed time: h:mm:ss".
    static std::string ElapsedText(std::chrono::seconds elapsed);

private:
    friend class TBvThreadSimpleDialog;
    void CancelClick(TObject*);
    void UpdateTime();
    void Arrange();

    TBvThreadSimpleDialog* dialog_;
    TBvThread& thread_;
    TLabel* info_;
    TLabel* time_;
    TButton* cancel_;
    TTimer* timer_;
    std::chrono::steady_clock::time_point started_;
    bool finished_ = false;
};

class TBvThreadSimpleDialog : public TBvCustomThreadDialog {
public:
    TBvThreadSimpleDialog() = default;
    ~TBvThreadSimpleDialog() override;

    TBvThreadDialogForm* CreateThreadDialogForm(TBvThread& thread) override;
    void TransferDialogOptions() override;
    TBvThreadSimpleDialogForm* Form() const { return form_; }

protected:
    std::unique_ptr<TBvThreadBaseDialogOptions> CreateDialogOptions() override;

private:
    friend class TBvThreadSimpleDialogForm;
    TBvThreadSimpleDialogForm* form_ = nullptr;
};
