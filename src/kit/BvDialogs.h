// The open and save dialogs with the kit's extras over the GUI layer's file dialogs: a size
// of the user's own, captions for the OK button and the file type label, the details view,
// the file list focused, and a report of a dialog that returned no file.
#pragma once

#include "Dialogs.h"

#include <cstdint>
#include <functional>
#include <string>

enum class TBvOpenDialogAC { acEdit, acListView };
enum class TBvOpenDialogAS { asSmallIcon, asReport };

using TDialogErrorEvent = std::function<void(TObject* sender, uint32_t errorCode)>;

class TBvOpenDialog : public TOpenDialog {
    BV_CLASS_INFO()
public:
    explicit TBvOpenDialog(TComponent* owner);

    // acListView: the file list has the focus when the dialog opens.
    TBvOpenDialogAC ActiveControl = TBvOpenDialogAC::acEdit;
    // asReport: the file list opens in the details view.
    TBvOpenDialogAS ActiveStyle = TBvOpenDialogAS::asSmallIcon;
    bool AutoSize = false;
    // Captions for the OK button and the file type label; empty leaves the dialog's own.
    std::string DefBtnCaption;
    std::string FilterLabelCaption;

    // With UseUserSize the dialog opens Width x Height (at least its natural size),
    // centred across and a third down the screen's work area.
    bool UseUserSize = false;
    int Width = 0;
    int Height = 0;
    // After a dialog that returned no file: 0 for a Cancel, FNERR_INVALIDFILENAME when every
    // file chosen lies outside the program's drives.
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
