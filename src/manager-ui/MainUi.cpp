// What the track manager asks of the window, answered with the gui layer's message boxes and
// dialogs (which tests answer through SetDialogResponder).
#include "Main.h"

#include "Dialogs.h"
#include "WinApi.h"

namespace {
const std::string kCaption = "Brisvane";
}

void TForm1::ShowMessage(const std::string& text) {
    ShowMessageBox(text, kCaption, MB_OK | MB_ICONINFORMATION);
}

void TForm1::ShowWarning(const std::string& text) {
    ShowMessageBox(text, kCaption, MB_OK | MB_ICONWARNING);
}

TQuestionResult TForm1::AskYesNoCancel(const std::string& text) {
    switch (ShowMessageBox(text, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return TQuestionResult::Yes;
    case IDNO:
        return TQuestionResult::No;
    default:
        return TQuestionResult::Cancel;
    }
}

bool TForm1::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return ::InputQuery(caption, prompt, value);
}

bool TForm1::OpenFiles(const std::string& filter, std::vector<std::string>& files) {
    BvOpenDialog1->Filter = filter;
    BvOpenDialog1->FilterIndex = 1;
    if (!BvOpenDialog1->Execute())
        return false;
    files.clear();
    for (int i = 0; i < BvOpenDialog1->Files()->Count(); ++i)
        files.push_back((*BvOpenDialog1->Files())[i]);
    if (files.empty() && !BvOpenDialog1->FileName.empty())
        files.push_back(BvOpenDialog1->FileName);
    return !files.empty();
}

bool TForm1::SelectFolder(std::string& folder) {
    BvSelectDirectory1->InitialDir = folder;
    if (!BvSelectDirectory1->Execute())
        return false;
    folder = BvSelectDirectory1->Directory();
    return true;
}

bool TForm1::ShowOptionsDialog() {
    return ShowOptionsHook ? ShowOptionsHook() : false;
}

void TForm1::CloseMainWindow() {
    Close();
}

void TForm1::Beep() {
    MessageBeep(0);
}

bool TForm1::SelectPhoneDrive(char letter) {
    return BvDriveCombo1->SetDrive(letter);
}

void TForm1::SetDriveSelectorEnabled(bool enabled) {
    BvDriveCombo1->SetEnabled(enabled);
}
