// The open and save dialogs with the kit's extras over the GUI layer's file dialogs:
// a size of the user's own, a report of a dialog that returned no file, and the
// settings of the old dialogs kept so that stored windows and callers still set them.
#pragma once

#include "Dialogs.h"

#include <cstdint>
#include <functional>
#include <string>

enum class TBvOpenDialogAC { acEdit, acListView };
enum class TBvOpenDialogAS { asSmallIcon, asReport };

using TDialogErrorEvent = std::function<void(TObject* sender, uint32_t errorCode)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TBvOpenDialog : public TOpenDialog {
    BV_CLASS_INFO()
public:
    explicit TBvOpenDialog(TComponent* owner);

    // Qt's file dialog has its own focus, views, captions and a frame that always
    // sizes; these are kept and do nothing.
    TBvOpenDialogAC ActiveControl = TBvOpenDialogAC::acEdit;
    TBvOpenDialogAS ActiveStyle = TBvOpenDialogAS::asSmallIcon;
    bool AutoSize = false;
    std::string DefBtnCaption;
    std::string FilterLabelCaption;
    TCloseQueryEvent OnShareViolation;

    // With UseUserSize the dialog opens Width x Height (at least its natural size),
    // centred across and a third down the screen's work area.
    bool UseUserSize = false;
    int Width = 0;
    int Height = 0;
    // After a dialog that returned no file; a Cancel reports 0.
    TDialogErrorEvent OnError;

    bool Execute() override;

protected:
    void PrepareRequest(TDialogRequest& request) override;
    virtual void DoError(uint32_t errorCode);
};

class TBvSaveDialog : public TBvOpenDialog {
    BV_CLASS_INFO()
public:
    using TBvOpenDialog::TBvOpenDialog;

protected:
    bool Saving() const override { return true; }
};
