// File, folder and message dialogs and the one-line input box. Each can be answered by
// a responder instead of a window, which is how tests drive them. Paths cross the
// boundary here: Qt's local paths come back in the program's drive-letter form.
#pragma once

#include "Classes.h"
#include "Component.h"
#include "Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_ABORTRETRYIGNORE = 0x2;
constexpr int MB_YESNOCANCEL = 0x3;
constexpr int MB_YESNO = 0x4;
constexpr int MB_RETRYCANCEL = 0x5;
constexpr int MB_ICONSTOP = 0x10;
constexpr int MB_ICONERROR = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;
// Which button Enter chooses (the first unless told).
constexpr int MB_DEFBUTTON1 = 0x000;
constexpr int MB_DEFBUTTON2 = 0x100;
constexpr int MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct TDialogRequest {
    enum TKind { dkMessage, dkOpenFile, dkSaveFile, dkSelectFolder, dkInput };
    TKind Kind = dkMessage;
    std::string Caption;
    std::string Text;   // message text or input prompt
    std::string Value;  // input box default, initial folder or file name (local form)
    std::string Filter; // file filter in the program's "Name|*.ext|..." form
    int Flags = 0;      // message box flags
    bool MultiSelect = false;
    // File dialogs: the file name field as a combo box that offers History (earlier file
    // names, local form where they name a file of a drive).
    bool FileNameCombo = false;
    std::vector<std::string> History;
    // File dialogs: the size asked for (grown to the dialog's natural size), the
    // dialog centred across and a third down the screen's work area.
    bool UserSize = false;
    int Width = 0;
    int Height = 0;
    // File dialogs: captions for the OK button and the file type label (empty: the dialog's
    // own), the list in the details view, and the list rather than the name field focused.
    std::string AcceptLabel;
    std::string FileTypeLabel;
    bool DetailView = false;
    bool FocusList = false;
    // Folder dialogs: a folder typed that does not exist may be chosen, and the dialog offers
    // to make a new folder.
    bool AllowCreate = true;
};

// The common dialogs' error codes reported after a dialog that chose nothing.
constexpr uint32_t CDERR_DIALOGFAILURE = 0xFFFF;
constexpr uint32_t FNERR_INVALIDFILENAME = 0x3002;

// Where a dialog of the asked size goes: at least its natural size, no larger than
// the work area, centred across and a third of the room down, never above or beside
// the work area.
TRect PlaceInWorkArea(const TRect& workArea, int width, int height, int naturalWidth,
                      int naturalHeight);

struct TDialogAnswer {
    bool Accepted = false;
    int Button = IDCANCEL;          // message boxes: the ID of the button chosen
    std::string Text;               // input box text
    std::vector<std::string> Paths; // local paths chosen
};

using TDialogResponder = std::function<TDialogAnswer(const TDialogRequest&)>;
// An empty responder shows Qt's dialogs.
void SetDialogResponder(TDialogResponder responder);

// The buttons and icon of the flags (MB_xxx); the text is shown as plain text with its
// line breaks. Returns the ID of the button chosen.
int ShowMessageBox(const std::string& text, const std::string& caption, int flags);
// A message as the box shows it: lines end in "\n", a run without blanks longer than a
// box could hold is cut in its middle, and long runs may wrap after each path separator and
// every few characters (a zero-width space marks each place).
std::string MessageBoxShownText(const std::string& text);
void ShowMessage(const std::string& text);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint16_t {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};
using TMsgDlgButtons = uint16_t;
// Returns the modal result of the button chosen.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultValue);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

// Folder selection; directory is in the program's form both ways.
bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory,
                     bool allowCreate = true);

enum TOpenOption : uint32_t {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofAllowMultiSelect = 1u << 9,
    ofPathMustExist = 1u << 11,
    ofFileMustExist = 1u << 12,
};
using TOpenOptions = uint32_t;
// The dialog's file name field: a plain edit, or a combo box that drops down HistoryList.
enum class TFileEditStyle { fsEdit, fsComboBox };

class TOpenDialog : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    std::string FileName;
    TStrings* Files() const { return files_.get(); }
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string DefaultExt;
    std::string Title;
    TOpenOptions Options = ofHideReadOnly;
    TFileEditStyle FileEditStyle = TFileEditStyle::fsEdit;
    // The names the file name combo box offers (FileEditStyle fsComboBox); the dialog keeps
    // its own copy.
    TStrings* HistoryList() const { return historyList_.get(); }
    void SetHistoryList(const TStrings* value);
    virtual bool Execute();
    // Why the last Execute chose nothing: 0 for a Cancel, else a common-dialog error code.
    uint32_t LastError() const { return lastError_; }

protected:
    virtual bool Saving() const { return false; }
    // Lets a descendant add to the request before the dialog is shown.
    virtual void PrepareRequest(TDialogRequest&) {}
    std::unique_ptr<TStringList> files_;
    std::unique_ptr<TStringList> historyList_;
    uint32_t lastError_ = 0;
};

class TSaveDialog : public TOpenDialog {
    BV_CLASS_INFO()
public:
    using TOpenDialog::TOpenDialog;

protected:
    bool Saving() const override { return true; }
};
