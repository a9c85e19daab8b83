// Edits with a button: a one-line edit with a push button embedded at its right edge, the
// file-and-folder edit that takes dropped files and completes names from the file system,
// and the file-name edit whose button opens a file dialog.
#pragma once

#include "ActnList.h"
#include "BvExMask.h"
#include "BvSpeedButton.h"
#include "Dialogs.h"
#include "Menus.h"

#include <memory>
#include <string>
#include <string_view>

BV_DECLARE_EXCEPTION(EComboEditError, EBvException);

enum class TBvImageKind { ikCustom, ikDefault, ikDropDown, ikEllipsis };

// Bit n of a set is option n.
enum TBvAutoCompleteOption : uint8_t {
    acoAutoSuggest = 1,
    acoAutoAppend = 2,
    acoSearch = 4,
    acoFilterPrefixes = 8,
    acoUseTab = 16,
    acoUpDownKeyDropsList = 32,
    acoRTLReading = 64,
};
using TBvAutoCompleteOptions = uint8_t;

enum TBvAutoCompleteFileOption : uint8_t {
    acfFileSystem = 1,
    acfFileSysDirs = 2,
    acfURLHistory = 4,
    acfURLMRU = 8,
};
using TBvAutoCompleteFileOptions = uint8_t;

enum class TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };

// A file name the file-name edit takes: not empty and none of < > " ? * | ("/" is this
// system's path separator, so it may occur).
bool ValidEditFileName(std::string_view fileName);

class TBvCustomComboEdit;
class TBvComboEditHolder;

// The button inside the edit: it shows the edit's picture and hands its click to the edit.
class TBvEditButton : public TBvImageSpeedButton {
    BV_CLASS_INFO()
public:
    explicit TBvEditButton(TBvCustomComboEdit* edit);
    TBvCustomComboEdit* Edit() const { return edit_; }
    void Click() override;
    // The picture drawn when no image of the list is shown (the drawer keeps its own copy).
    void SetPicture(TBitmap* picture, int numGlyphs);

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TBvCustomComboEdit* edit_;
    bool dropClick_ = false;
};

class TBvCustomComboEdit : public TBvExCustomMaskEdit {
    BV_CLASS_INFO()
public:
    explicit TBvCustomComboEdit(TComponent* owner);
    ~TBvCustomComboEdit() override;

    // The key (with its shift state) that clicks the button.
    TShortCut ClickKey;
    int ButtonWidth() const { return showButton_ ? buttonWidth_ : 0; }
    void SetButtonWidth(int value);
    bool ShowButton() const { return showButton_; }
    void SetShowButton(bool value);
    bool ButtonFlat() const;
    void SetButtonFlat(bool value);
    std::string ButtonHint() const;
    void SetButtonHint(const std::string& value);
    // The button's own picture, shown while ImageKind is ikCustom.
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const;
    void SetNumGlyphs(int value);
    TCustomImageList* Images() const;
    void SetImages(TCustomImageList* value);
    int ImageIndex() const;
    void SetImageIndex(int value);
    TBvImageKind ImageKind() const { return imageKind_; }
    void SetImageKind(TBvImageKind value);
    // Off: the text cannot be typed, cut or pasted; the button still works.
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool value);
    // Read-only: no typing, and the button does nothing.
    bool ReadOnly() const { return editReadOnly_; }
    void SetReadOnly(bool value);
    // A read-only edit's button still works while this is on.
    bool AlwaysEnableButton = false;
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor value);
    TColor DisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(TColor value);
    TBvAutoCompleteOptions AutoCompleteOptions() const { return autoCompleteOptions_; }
    void SetAutoCompleteOptions(TBvAutoCompleteOptions value);
    // The entries the completion offers (the file edits offer the file system instead).
    TStrings* AutoCompleteItems() const { return autoCompleteItems_.get(); }
    // Edits of one owner with the same group (-1: none): editing one empties the others.
    int GroupIndex = -1;
    TNotifyEvent OnButtonClick;

    TBvEditButton* Button() const { return button_; }
    // A control shown under the edit by the button; Enter and Esc close it.
    TWinControl* PopupControl = nullptr;
    bool PopupVisible() const;
    virtual void PopupCloseUp(bool accept);

    // The button's click: OnButtonClick, then the popup closes or the drop-down step runs.
    void DoClick();
    // The picture the button shows now (for ikDropDown and ikEllipsis a drawn one).
    TBitmap* ButtonPicture();

    // A line break in the text cuts it there; text pasted or put in otherwise is cut at its
    // own first line break, the rest of the text kept.
    void SetText(const std::string& text) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Resized() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void Change() override;
    bool MemberMessage(TMessage& m) override;
    // What the button does after OnButtonClick: the base shows the popup control.
    virtual void ButtonDropDown();
    // The picture of ikDefault.
    virtual void DrawDefaultGlyph(TBitmap& bitmap);
    // Sets the edit's completion from its options; the file edits complete from the file system.
    virtual void UpdateAutoComplete();
    void Notification(TComponent* component, TOperation operation) override;
    std::unique_ptr<TControlActionLink> CreateActionLink() override;
    // Besides the control's own (its text is never the action's caption): the button's hint,
    // its picture and the key that clicks it.
    void ActionChange(TObject* sender, bool checkDefaults) override;
    void UpdateControls();
    // Gives the button the picture of the image kind.
    void UpdatePicture();
    bool TypingAllowed() const { return directInput_ && !editReadOnly_; }

private:
    void ApplyReadOnly();
    void ApplyDisabledColors();

    TBvComboEditHolder* holder_ = nullptr;
    TBvEditButton* button_ = nullptr;
    std::unique_ptr<TBitmap> glyph_;
    std::unique_ptr<TBitmap> picture_;
    std::unique_ptr<TStringList> autoCompleteItems_;
    std::string lastText_; // the text the last change left, to find what a change put in
    int numGlyphs_ = 1;
    TCustomImageList* images_ = nullptr;
    int imageIndex_ = -1;
    int buttonWidth_ = 21;
    bool showButton_ = true;
    TBvImageKind imageKind_ = TBvImageKind::ikCustom;
    bool directInput_ = true;
    bool editReadOnly_ = false;
    bool flat_ = false;
    TColor disabledColor_ = clWindow;
    TColor disabledTextColor_ = clGrayText;
    TBvAutoCompleteOptions autoCompleteOptions_ = 0;
};

// Ties an action to the edit: the action's hint becomes the button's hint too, its image
// index the button's picture, its shortcut the key that clicks the button, and a click of the
// button runs it (before the button's own step) when the edit has no OnButtonClick. Each
// follows the action while the edit still shows the action's value.
class TBvCustomComboEditActionLink : public TControlActionLink {
public:
    explicit TBvCustomComboEditActionLink(TBvCustomComboEdit* edit)
        : TControlActionLink(edit), edit_(edit) {}
    bool IsButtonHintLinked() const;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;

protected:
    void SetHint(const std::string& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(TShortCut value) override;

private:
    TBvCustomComboEdit* edit_;
};

// (sender, the file name, whether to go on) around the file dialog.
using TExecOpenDialogEvent = std::function<void(TObject* sender, std::string& name, bool& action)>;

// Takes files dropped from other programs and completes names from the file system.
class TBvFileDirEdit : public TBvCustomComboEdit {
    BV_CLASS_INFO()
public:
    // Takes dropped files while AcceptFiles (the window's) is on, as it is at first.
    explicit TBvFileDirEdit(TComponent* owner);
    TBvAutoCompleteFileOptions AutoCompleteFileOptions() const { return autoCompleteFileOptions_; }
    void SetAutoCompleteFileOptions(TBvAutoCompleteFileOptions value);
    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;
    TNotifyEvent OnDropFiles;

protected:
    bool MemberMessage(TMessage& m) override;
    void UpdateAutoComplete() override;
    // One dropped name; index counts from 0.
    virtual void ReceiveDroppedName(const std::string& name, int index) = 0;
    // Whether a drop takes every file or the first only.
    virtual bool TakesSeveralFiles() const { return false; }
    void DoBeforeDialog(std::string& name, bool& action);
    void DoAfterDialog(std::string& name, bool& action);

private:
    TBvAutoCompleteFileOptions autoCompleteFileOptions_ = acfFileSystem;
};

class TBvFilenameEdit : public TBvFileDirEdit {
    BV_CLASS_INFO()
public:
    explicit TBvFilenameEdit(TComponent* owner);
    ~TBvFilenameEdit() override;

    // With AddQuotes the text read by the file-name rule (quotes taken off), else the text.
    std::string FileName() const;
    // Raises EComboEditError "Invalid file name - %s" for a name that cannot be one and
    // keeps the text; a name with a blank is put in quotes when AddQuotes is on.
    void SetFileName(const std::string& value);
    bool AddQuotes = true;
    TFileDialogKind DialogKind() const { return dialogKind_; }
    // Makes a dialog of the new kind with the old one's settings.
    void SetDialogKind(TFileDialogKind value);
    TOpenDialog* Dialog() const { return dialog_.get(); }
    std::string DialogTitle() const { return dialog_->Title; }
    void SetDialogTitle(const std::string& value) { dialog_->Title = value; }
    std::string Filter() const { return dialog_->Filter; }
    void SetFilter(const std::string& value) { dialog_->Filter = value; }
    TOpenOptions DialogOptions() const { return dialog_->Options; }
    void SetDialogOptions(TOpenOptions value) { dialog_->Options = value; }
    std::string DefaultExt() const { return dialog_->DefaultExt; }
    void SetDefaultExt(const std::string& value) { dialog_->DefaultExt = value; }
    int FilterIndex() const { return dialog_->FilterIndex; }
    void SetFilterIndex(int value) { dialog_->FilterIndex = value; }
    // The names the dialog's file name box offers while FileEditStyle is fsComboBox.
    TStrings* HistoryList() const { return dialog_->HistoryList(); }
    void SetHistoryList(const TStrings* value) { dialog_->SetHistoryList(value); }
    TFileEditStyle FileEditStyle() const { return dialog_->FileEditStyle; }
    void SetFileEditStyle(TFileEditStyle value) { dialog_->FileEditStyle = value; }
    std::string InitialDir() const { return dialog_->InitialDir; }
    void SetInitialDir(const std::string& value) { dialog_->InitialDir = value; }

protected:
    void ButtonDropDown() override;
    void DrawDefaultGlyph(TBitmap& bitmap) override;
    void ReceiveDroppedName(const std::string& name, int index) override;
    bool TakesSeveralFiles() const override;

private:
    // The text as it goes into the edit: in quotes when AddQuotes wants them.
    std::string QuotedName(const std::string& name) const;
    TFileDialogKind dialogKind_ = TFileDialogKind::dkOpen;
    std::unique_ptr<TOpenDialog> dialog_;
};
