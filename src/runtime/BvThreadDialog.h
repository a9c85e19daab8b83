// The window a worker-thread component can show while its workers run: the
// options any such window has and the dialog that makes it. The window itself
// belongs to the GUI; this is what the component needs of it.
#pragma once

#include "SysUtils.h"

#include <memory>
#include <string>
#include <vector>

class TBvThread;
class TBvCustomThreadDialog;

class TBvThreadBaseDialogOptions : public TObject {
public:
    explicit TBvThreadBaseDialogOptions(TBvCustomThreadDialog& owner) : owner_(owner) {}

    // The setters of what a shown window displays apply it at once.
    bool EnableCancelButton() const { return enableCancelButton_; }
    void SetEnableCancelButton(bool value);
    bool ShowDialog() const { return showDialog_; }
    void SetShowDialog(bool value) { showDialog_ = value; }
    bool ShowModal() const { return showModal_; }
    void SetShowModal(bool value) { showModal_ = value; }
    bool ShowCancelButton() const { return showCancelButton_; }
    void SetShowCancelButton(bool value);
    bool ShowElapsedTime() const { return showElapsedTime_; }
    void SetShowElapsedTime(bool value);
    const std::string& InfoText() const { return infoText_; }
    void SetInfoText(const std::string& value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    const std::string& CancelButtonCaption() const { return cancelButtonCaption_; }
    void SetCancelButtonCaption(const std::string& value);

private:
    void Changed();
    TBvCustomThreadDialog& owner_;
    bool enableCancelButton_ = true;
    bool showDialog_ = false;
    bool showModal_ = true;
    bool showCancelButton_ = true;
    bool showElapsedTime_ = true;
    std::string infoText_;
    std::string caption_;
    std::string cancelButtonCaption_ = "Cancel";
};

// A window shown for one component while its workers run.
class TBvThreadDialogForm {
public:
    virtual ~TBvThreadDialogForm() = default;
    // Shows the window; a modal one returns once it has been closed.
    virtual void ShowForm(bool modal) = 0;
    // Closes the window; it is released once its pending messages are handled.
    virtual void CloseForm() = 0;
};

class TBvCustomThreadDialog : public TObject {
public:
    TBvCustomThreadDialog() = default;
    // Forgets the dialog in every component that uses it.
    ~TBvCustomThreadDialog() override;
    TBvCustomThreadDialog(const TBvCustomThreadDialog&) = delete;
    TBvCustomThreadDialog& operator=(const TBvCustomThreadDialog&) = delete;

    // Made on first use by CreateDialogOptions.
    TBvThreadBaseDialogOptions& DialogOptions();
    // Applies the options to the window shown, when there is one.
    virtual void TransferDialogOptions() {}
    // Makes, without showing it, the window for a component whose workers
    // start; null when ShowDialog is off. The dialog records the window.
    virtual TBvThreadDialogForm* CreateThreadDialogForm(TBvThread& thread) = 0;
    TBvThreadDialogForm* ThreadDialogForm() const { return form_; }
    // Closes the recorded window and lets the application handle one round of
    // pending messages; nothing while the dialog itself is being destroyed.
    void CloseThreadForm();

protected:
    virtual std::unique_ptr<TBvThreadBaseDialogOptions> CreateDialogOptions() = 0;
    void SetThreadDialogForm(TBvThreadDialogForm* form) { form_ = form; }
    bool Destroying() const { return destroying_; }
    // A concrete dialog's destructor calls it first, while it is still whole.
    void DetachThreads();
    // The window is gone (released or destroyed): every component forgets it.
    void ThreadDialogFormRemoved(TBvThreadDialogForm* form);

private:
    friend class TBvThread;
    std::unique_ptr<TBvThreadBaseDialogOptions> options_;
    TBvThreadDialogForm* form_ = nullptr;
    std::vector<TBvThread*> threads_;
    bool destroying_ = false;
};
